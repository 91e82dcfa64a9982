#include "app/application.h"
#include "contacts/commandline.h"
#include "sync/synccommandline.h"

int main(int argc, char** argv)
{
    // The command line (import, export, synchronisation) runs without a display, before any
    // window exists.
    if (const std::optional<int> status =
            runContactsCommandLine(argc, argv, runSyncCommand, runSyncSetupCommand))
        return *status;
    return runElvarine(argc, argv);
}
