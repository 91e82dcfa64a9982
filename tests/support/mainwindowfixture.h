#pragma once

#include "addressfiles.h"
#include "app/frmelvarine.h"
#include "core/appstate.h"
#include "core/services.h"
#include "fakes.h"
#include "platform/programfolder.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"
#include "sync/qtdavclient.h"

#include <QTemporaryDir>
#include <memory>

// A main window in a program folder of its own, with scripted dialogs and fake services.
struct MainWindowFixture {
    // With `withMdb` the folder holds the start-up database "Elvarine.mdb".
    explicit MainWindowFixture(bool withMdb = true);
    ~MainWindowFixture();

    QString path(const QString& name) const { return dir.filePath(name); }
    // Loads, shows and activates the window, as the program does at start-up.
    frmElvarine& start();
    // Starts with "Elvarine.adb" holding `rows` (values in column creation order).
    frmElvarine& startWith(const QList<QVariantList>& rows);

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    FakeClipboard clipboard;
    FakeDesktopServices desktop;
    RecordingPrinter printer;
    QtDavClientFactory davClients; // the real client, for the tests against a test server
    std::unique_ptr<FixedFolder> folder;
    Services services;
    AppState state;
    std::unique_ptr<frmElvarine> w;
};

// Types `text` into the focused widget one character at a time (works with accents).
void typeText(QWidget* widget, const QString& text);
// The names of the name list, in list order.
QStringList listLines(const frmElvarine& w);
// The record workflow's controls as one text, in the order form, list, Ajouter, Supprimer,
// Actualiser, toolbar 16, Modifier, Quitter (E enabled, D disabled), then Annuler (V visible, H
// hidden); toolbar button 14, 15 or 17 found off is named after.
QString workflowControls(const frmElvarine& w);
