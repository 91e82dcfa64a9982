#pragma once

#include "platform/dialogs.h"

#include <QStringList>

// The standard dialogs of the desktop, through Qt's own (translated) dialogs.
class QtDialogs : public Dialogs
{
public:
    int msgBox(const QString& text, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    FileDialogAnswer openFile(const FileDialogRequest& request) override;
    FileDialogAnswer saveFile(const FileDialogRequest& request) override;
    std::optional<FontSpec> chooseFont(const FontSpec& preset) override;
    std::optional<quint32> chooseColor(quint32 preset) override;

    // "Elvarine (*.adb)|*.adb" -> {"Elvarine (*.adb *.ADB)"}: Qt name filters, each pattern
    // offered in both letter cases since the file system tells them apart.
    static QStringList qtNameFilters(const QString& filter);
    // The message text as shown: lone carriage returns become line breaks.
    static QString displayText(const QString& text);

private:
    FileDialogAnswer fileDialog(const FileDialogRequest& request, bool save);
};
