#pragma once

#include "core/appstate.h"
#include "core/services.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"

// The program's state and its services with a recording printer and scripted dialogs, for the
// print routines that need no window.
struct RecordingPrintFixture {
    AppState state;
    ScriptedDialogs dialogs;
    RecordingPrinter printer;
    Services services;
    RecordingPrintFixture()
    {
        services.dialogs = &dialogs;
        services.printer = &printer;
    }
};
