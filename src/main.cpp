#include "app/application.h"
#include "contacts/commandline.h"

int main(int argc, char** argv)
{
    // The command line (import, export) runs without a display, before any window exists.
    if (const std::optional<int> status = runContactsCommandLine(argc, argv))
        return *status;
    return runElvarine(argc, argv);
}
