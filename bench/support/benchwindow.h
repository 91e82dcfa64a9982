#pragma once

#include "app/frmelvarine.h"
#include "core/appstate.h"
#include "core/services.h"
#include "platform/programfolder.h"
#include "quietdialogs.h"

#include <QTemporaryDir>
#include <memory>

// A main window loaded in a program folder of its own, with a copy of the generated address
// file of `count` records beside it (not opened yet: `file`).
struct BenchWindow {
    explicit BenchWindow(int count);
    QTemporaryDir dir;
    QString file;
    QuietDialogs dialogs;
    FixedFolder folder;
    Services services;
    AppState state;
    std::unique_ptr<frmElvarine> w;
};
