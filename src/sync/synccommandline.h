#pragma once

#include <QString>

class DavClientFactory;
class PasswordStore;
class QTextStream;

// `Elvarine --sync [ADDRESSFILE]`: synchronises the address file with the address book chosen
// in its "Synchronisation..." settings, without a display. The password comes from the
// ELVARINE_PASSWORD environment variable when set, else from the desktop's keyring. The
// summary goes to `out`, French messages to `err`. Returns 0 when the synchronisation went
// through, 1 when it failed or stopped (what was done is kept).
int runSyncCommand(const QString& addressFile, QTextStream& out, QTextStream& err);
// The program's own keyring and CardDAV client come from its services module.
int runSyncCommand(const QString& addressFile, QTextStream& out, QTextStream& err,
                   PasswordStore& passwords, DavClientFactory& davClients);

// `Elvarine --sync-setup SERVER USER [--book NAME] [ADDRESSFILE]`: links the address file to an
// address book of the server, found as "Chercher les carnets" finds it (the well-known
// address, the user's principal, its address-book home, or the address book's own address);
// the password as for --sync. With one address book, it is chosen; with several, the one named
// `book` (its name or its address). Returns 0 when the file is linked, 1 when it failed, 2 when
// the server has several address books and `book` names none of them (they are listed on
// `out`).
int runSyncSetupCommand(const QString& server, const QString& user, const QString& book,
                        const QString& addressFile, QTextStream& out, QTextStream& err);
int runSyncSetupCommand(const QString& server, const QString& user, const QString& book,
                        const QString& addressFile, QTextStream& out, QTextStream& err,
                        PasswordStore& passwords, DavClientFactory& davClients);
