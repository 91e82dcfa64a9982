#pragma once

#include <QString>
#include <optional>

// Message box styles: buttons + icon + default button, as the program has always numbered them.
enum MsgStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// The button the user pressed.
enum MsgResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// Common-dialog flags used by the program.
enum FileDialogFlags : int {
    cdlOFNOverwritePrompt = 2,
};

// What a file dialog is asked to show. `filter` uses the "Label (*.ext)|*.ext" form,
// pairs separated by '|'; `filterIndex` is 1-based.
struct FileDialogRequest {
    QString title;
    QString fileName;
    QString filter;
    int filterIndex = 1;
    int flags = 0;
    QString initialDir;
};

struct FileDialogAnswer {
    bool accepted = false;
    QString path;        // full path of the chosen file
    int filterIndex = 0; // 1-based filter the user left selected; 0 when not known
};

// A font as the font dialogs and previews carry it.
struct FontSpec {
    QString name;
    double size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethru = false;
    bool operator==(const FontSpec& o) const
    {
        return name == o.name && size == o.size && bold == o.bold && italic == o.italic &&
               underline == o.underline && strikethru == o.strikethru;
    }
};

// Standard dialogs: every window reaches them through this, so tests can script them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Returns one of MsgResult. Carriage returns in `text` are line breaks.
    virtual int msgBox(const QString& text, int style, const QString& title) = 0;
    // Returns the typed text; Cancel gives an empty text.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
    virtual FileDialogAnswer openFile(const FileDialogRequest& request) = 0;
    virtual FileDialogAnswer saveFile(const FileDialogRequest& request) = 0;
    // Font dialog preset with `preset`; nothing when cancelled.
    virtual std::optional<FontSpec> chooseFont(const FontSpec& preset) = 0;
    // Colour dialog with colours as red + 256 * green + 65536 * blue; nothing when cancelled.
    virtual std::optional<quint32> chooseColor(quint32 preset) = 0;
};
