#pragma once

#include <QString>

class PasswordStore;
class QTextStream;

// `Elvarine --sync [ADDRESSFILE]`: synchronises the address file with the address book chosen
// in its "Synchronisation..." settings, without a display. The password comes from the
// ELVARINE_PASSWORD environment variable when set, else from the desktop's keyring. The
// summary goes to `out`, French messages to `err`. Returns 0 when the synchronisation went
// through, 1 when it failed or stopped (what was done is kept).
int runSyncCommand(const QString& addressFile, QTextStream& out, QTextStream& err);
int runSyncCommand(const QString& addressFile, QTextStream& out, QTextStream& err,
                   PasswordStore& passwords);
