#pragma once

#include "core/state/contactsstate.h"
#include "core/search/searchstate.h"
#include "core/state/addressoptions.h"
#include "core/state/copybuffer.h"
#include "core/state/dialersettings.h"
#include "core/state/printparams.h"
#include "core/state/senderprofile.h"
#include "core/state/syncstate.h"

#include <QString>

// Program-wide state, owned by the application and handed to every window. It lives for the
// whole run; nothing in it is saved on the way out.
struct AppState {
    // The folder of the files the program writes or looks for beside itself (the default
    // address file, the default settings files) and the file dialogs' default folder: the
    // program's own folder for a portable copy, the user's data folder once installed.
    QString CheminAppli;
    // The folder of the program's read-only data (start-up database, help); CheminAppli when
    // empty.
    QString CheminDonnees;
    QString FicAdresses; // address file last chosen or opened
    int FicAnOuvre = 0;  // 1 once an address file is open

    SearchState search;
    CopyBuffer copy;

    AddressOptions address;
    PrintParams print;
    QString FicParam; // last parameters file chosen
    LabelPrintState label;
    EnvelopePaper envelope;

    SenderProfile sender;
    QString FicUtil;       // last sender profile saved
    QString FicUtilCharge; // last sender profile loaded, named in the sender window's caption

    DialerSettings dialer;
    QString NumeroAppel; // number proposed to the modem dialer

    ContactsState contacts;
    SyncRunState sync;
};
