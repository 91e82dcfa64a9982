#pragma once

#include "platform/dialogs.h"

// A window's file dialog: it remembers its settings and the last file name between uses,
// the way the program's windows rely on.
class CommonDialog
{
public:
    explicit CommonDialog(Dialogs& dialogs) : m_dialogs(dialogs) {}

    QString DialogTitle;
    QString FileName;
    QString Filter;
    QString InitDir;
    int FilterIndex = 1; // after Show..., the filter the user left selected
    int Flags = 0;
    // When set, a cancel is reported as a failure (Show... returns false). When not set, a
    // cancel returns true and leaves FileName as it was, so the caller goes on with the preset.
    bool CancelError = false;

    // Bare name of FileName, without its folder.
    QString FileTitle() const;

    bool ShowOpen();
    bool ShowSave();

private:
    bool show(bool save);
    Dialogs& m_dialogs;
};
