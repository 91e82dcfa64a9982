#pragma once

#include <QString>

// What the contacts commands remember between uses during a run.
struct ContactsState {
    QString lastImport;   // contacts file last imported
    QString lastExport;   // file last exported to
    int importFilter = 1; // filter last chosen in the import dialog
    int exportFilter = 1; // filter last chosen in the export dialogs (format and version)
    // A run that lasts longer than this shows its progress window.
    int progressDelayMs = 1000;
};
