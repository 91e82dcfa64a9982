#pragma once

#include <QStringList>
#include <optional>

class ProgramFolder;
class QTextStream;

// The program's command line, for scripts and other programs; it needs no display:
//   Elvarine [ADDRESSFILE]                     (the windows: not handled here)
//   Elvarine --export FILE.vcf|FILE.csv [ADDRESSFILE] [--format vcard|csv]
//   Elvarine --import FILE [ADDRESSFILE] [--format vcard|csv]
//   Elvarine --sync [ADDRESSFILE]   (run by `sync`, given by the program)
//   Elvarine --sync-setup SERVER USER [--book NAME] [ADDRESSFILE]   (run by `setup`)
//   Elvarine --help
// ADDRESSFILE is the default address file (ProgramFile::AddressFile) unless given. The summary goes
// to `out`, French messages to `err`. Returns the exit status (0 done, 1 failed, 2 wrong command
// line), or nothing when `args` (the arguments after the program's name) ask for none of these, so
// the windows start.
using SyncCommand = int (*)(const QString& addressFile, QTextStream& out, QTextStream& err);
using SyncSetupCommand = int (*)(const QString& server, const QString& user, const QString& book,
                                 const QString& addressFile, QTextStream& out, QTextStream& err);
std::optional<int> runContactsCommandLine(const QStringList& args, const ProgramFolder& folder,
                                          QTextStream& out, QTextStream& err,
                                          SyncCommand sync = nullptr,
                                          SyncSetupCommand setup = nullptr);

// The same from main(): a command-line run gets a QCoreApplication (no display) of its own.
std::optional<int> runContactsCommandLine(int argc, char** argv, SyncCommand sync = nullptr,
                                          SyncSetupCommand setup = nullptr);

// Exit statuses.
enum CommandLineStatus { kCommandDone = 0, kCommandFailed = 1, kCommandUsage = 2 };
