#pragma once

#include <functional>

class QWidget;
class RecordBinding;
struct AppState;
struct Services;

// The Fichier menu's synchronisation commands, for the address file open in `data1`. They use
// the dialogs and the keyring of `services`; `parent` owns their windows; `cmdRefresh` (the main
// window's Actualiser) rebuilds the name list after records changed.

// "Synchronisation...": the address book settings of the open file. True when they were
// changed (another address book starts afresh: every record is matched again).
bool openSyncSettings(AppState& state, Services& services, RecordBinding& data1, QWidget* parent);

// "Synchroniser maintenant": two-way synchronisation with the chosen address book, the
// progress window with "Annuler" when it lasts, then the summary (a window listing the records
// kept twice, put back or cut, and any fault). True when it went through.
bool synchroniseNow(AppState& state, Services& services, RecordBinding& data1, QWidget* parent,
                    const std::function<void()>& cmdRefresh);

// At the opening of an address file: the same when the file's settings ask for it; the summary
// only shows when there is something to read.
void synchroniseAtOpening(AppState& state, Services& services, RecordBinding& data1,
                          QWidget* parent, const std::function<void()>& cmdRefresh);
