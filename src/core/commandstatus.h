#pragma once

// The exit statuses of the program's command-line runs (app/commandline.h): done, failed (what
// was done is kept, or nothing was written), or a command line that cannot be run as written.
enum CommandLineStatus { kCommandDone = 0, kCommandFailed = 1, kCommandUsage = 2 };
