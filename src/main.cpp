#include "app/application.h"
#include "app/commandline.h"

int main(int argc, char** argv)
{
    // Every option is read first; the commands (import, export, synchronisation, help) run
    // without a display, before any window exists.
    QString startupFile;
    if (const std::optional<int> status = runCommandLine(argc, argv, &startupFile))
        return *status;
    return runElvarine(argc, argv, startupFile);
}
