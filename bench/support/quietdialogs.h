#pragma once

#include "platform/dialogs.h"

#include <QStringList>

// Dialogs that answer at once and remember what they showed, for benchmarks.
class QuietDialogs : public Dialogs
{
public:
    QStringList shown;
    QString inputAnswer;
    int yesNoAnswer = vbYes; // the answer to every question
    int msgBox(const QString& text, int style, const QString& title) override
    {
        shown << title + QLatin1String(": ") + text;
        return (style & 7) == vbYesNo ? yesNoAnswer : vbOK;
    }
    QString inputBox(const QString&, const QString&, const QString&) override
    {
        return inputAnswer;
    }
    FileDialogAnswer openFile(const FileDialogRequest&) override { return {}; }
    FileDialogAnswer saveFile(const FileDialogRequest&) override { return {}; }
    std::optional<FontSpec> chooseFont(const FontSpec&) override { return std::nullopt; }
    std::optional<quint32> chooseColor(quint32) override { return std::nullopt; }
};
