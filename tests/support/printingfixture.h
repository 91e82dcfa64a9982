#pragma once

#include "core/appstate.h"
#include "core/services.h"
#include "fakerecordform.h"
#include "labels/addressblock.h"
#include "labels/printparamsfile.h"
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

// The label state of a print of label `number` of the built-in sheet (mode 0), or of `count`
// identical labels (mode 1), in DejaVu Sans.
inline void setUpLabelJob(AppState& state, int mode, int number, int count)
{
    state.print = defaultPrintParams(QStringLiteral("DejaVu Sans"), 0);
    state.label.ModeImpression = mode;
    state.label.NumEtiquette = number;
    state.label.NbEtiquettes = count;
}

// The address block of Durand's record composed with `options`.
inline void composeDurand(AddressOptions& options)
{
    FakeRecordForm form;
    form.records << durand();
    form.selected = 0;
    ComposeAdresse(options, form);
}
