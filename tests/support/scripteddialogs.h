#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

// Dialogs answered from a script written by the test. Each expected dialog names what it must
// show; a dialog that differs from the next expected one, or that comes when none is expected,
// fails the running test.
class ScriptedDialogs : public Dialogs
{
public:
    ~ScriptedDialogs() override;

    ScriptedDialogs& expectMessage(const QString& text, int style, const QString& title,
                                   int answer = vbOK);
    // A message box whose text starts with `prefix`.
    ScriptedDialogs& expectMessageStartingWith(const QString& prefix, int style,
                                               const QString& title, int answer = vbOK);
    // `expectedDefault` is checked when given.
    ScriptedDialogs& expectInput(const QString& prompt, const QString& title, const QString& answer,
                                 std::optional<QString> expectedDefault = std::nullopt);
    // `expected.fileName` is checked only when `checkFileName` is set. A null answer cancels.
    ScriptedDialogs& expectOpenFile(const FileDialogRequest& expected,
                                    std::optional<QString> answer, bool checkFileName = false);
    ScriptedDialogs& expectSaveFile(const FileDialogRequest& expected,
                                    std::optional<QString> answer, bool checkFileName = false);
    // The filter the user leaves selected when answering the last expected file dialog
    // (1-based); by default the dialog reports none.
    ScriptedDialogs& choosingFilter(int filterIndex);
    ScriptedDialogs& expectFont(std::optional<FontSpec> answer,
                                std::optional<FontSpec> expectedPreset = std::nullopt);
    ScriptedDialogs& expectColor(std::optional<quint32> answer,
                                 std::optional<quint32> expectedPreset = std::nullopt);
    // Runs `action` when the last expected dialog is shown, before it is answered.
    ScriptedDialogs& whenShown(std::function<void()> action);

    // True when every expected dialog was shown.
    bool done() const { return m_script.isEmpty(); }
    // What is still expected, for failure messages.
    QString pending() const;
    // Every dialog shown, one line each ("msg|title|style|text" ...).
    QStringList shown;
    // Forget what is still expected.
    void clear() { m_script.clear(); }

    int msgBox(const QString& text, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    FileDialogAnswer openFile(const FileDialogRequest& request) override;
    FileDialogAnswer saveFile(const FileDialogRequest& request) override;
    std::optional<FontSpec> chooseFont(const FontSpec& preset) override;
    std::optional<quint32> chooseColor(quint32 preset) override;

private:
    enum Kind { Message, Input, Open, Save, Font, Color };
    struct Step {
        Kind kind = Message;
        QString text;
        QString title;
        int style = 0;
        bool prefixOnly = false;
        int answer = vbOK;
        QString answerText;
        std::optional<QString> expectedDefault;
        FileDialogRequest file;
        bool checkFileName = false;
        std::optional<QString> fileAnswer;
        int filterAnswer = 0;
        std::optional<FontSpec> fontAnswer;
        std::optional<FontSpec> fontPreset;
        std::optional<quint32> colorAnswer;
        std::optional<quint32> colorPreset;
        std::function<void()> action;
    };
    // Takes the next step if it is of `kind`; fails the test otherwise.
    std::optional<Step> take(Kind kind, const QString& what);
    FileDialogAnswer answerFile(Kind kind, const FileDialogRequest& request);
    ScriptedDialogs& expectFile(Kind kind, const FileDialogRequest& expected,
                                std::optional<QString> answer, bool checkFileName);
    void fail(const QString& message);
    QList<Step> m_script;
};

// A file dialog as a test expects it.
inline FileDialogRequest fileRequest(const QString& title, const QString& filter, int flags = 0,
                                     int filterIndex = 1, const QString& fileName = QString())
{
    FileDialogRequest r{title, fileName, filter, filterIndex, flags, QString()};
    return r;
}

// Escapes CR and LF so message texts read well in failure output.
QString visible(const QString& text);
