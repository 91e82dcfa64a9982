#pragma once

#include "core/commandstatus.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

class ProgramFolder;
class QTextStream;
struct CommandLine;

// The program's command line. Every option is read from one table before anything needs a
// display: an option the table does not know, or a malformed one, is refused with a French
// message and status 2 whether or not there is a display, and the commands that run without
// the windows (--export, --sync...) never open one. The help (--help) and the manual page
// elvarine(1) are both written from the same table, so a new option appears in both.
//
// A new option is one row of kCommandLineOptions (commandline.cpp): a command with its
// function, or a setting naming the commands it goes with.

enum class OptionKind {
    Command,     // a run of its own instead of the windows: --export, --import, --sync
    Setting,     // a value the commands read: --format
    Information, // printed, status 0: --help, --version
    Toolkit,     // Qt's own options for the window (-platform, -display...), left to Qt
};

// What a command works with; its summary goes to `out`, French messages to `err`.
struct CommandContext {
    const ProgramFolder& folder;
    QTextStream& out;
    QTextStream& err;
};
using CommandRun = int (*)(const CommandLine& line, CommandContext& context);

struct CommandLineOption {
    const char* name;  // "--export"
    const char* alias; // "-h", or nullptr
    OptionKind kind;
    int values;           // how many values follow the option
    const char* synopsis; // its values and what follows, as the help shows them
    const char* help;     // what it does, in French, one paragraph
    CommandRun run;       // a command's work
    const char* with;     // a setting: the commands it goes with, separated by spaces
    // A command whose value may be left out for a setting that stands for it (--printer for the
    // PDF file of --print-labels): an option that follows is not taken as its value.
    bool valueOptional = false;
    // A command that draws text (printing): it runs with fonts, on the offscreen platform.
    bool drawing = false;
};

// The options the program knows, in the order the help lists them.
const CommandLineOption* commandLineOptions(int* count);

// A command line as read, before anything runs.
struct CommandLine {
    const CommandLineOption* command = nullptr; // none: the windows start
    QStringList values;                         // the command's own values
    QHash<QString, QString> settings;           // by option name; "" for a switch
    QString addressFile;                        // as named (a file: URL made a path), or empty
    bool help = false;
    bool version = false;
    bool platformGiven = false; // -platform is among Qt's options
    QString error;              // why the line is refused (status 2), in French

    // The address file a command works on: the one named, or the default one.
    QString addressFileOr(const ProgramFolder& folder) const;
    // The address file the windows open at start, as an absolute path (the windows change the
    // current folder), or empty.
    QString windowFile() const;
};

// Reads `args` (the arguments after the program's name).
CommandLine parseCommandLine(const QStringList& args);

// "Elvarine 1.3.2".
QString versionText();

// The text of --help; `defaultFile` is the default address file of this copy.
QString commandLineHelp(const QString& defaultFile);

// The manual page elvarine(1), in French (roff), from the same table and texts as the help.
QString commandLineManPage();

// When the windows cannot start, why (no platform named and no X or Wayland display); empty
// when they can. `environment` answers the value of an environment variable.
QString missingDisplayReason(const CommandLine& line, QString (*environment)(const char*));

// Reads the command line of main(): runs --help, --version, a command, or refuses the line,
// and returns the exit status; returns nothing when the windows should start, with the address
// file to open at start (an absolute path, or empty) in `startupFile`.
std::optional<int> runCommandLine(int argc, char** argv, QString* startupFile);
