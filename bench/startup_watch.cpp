// Loaded before a program (LD_PRELOAD) by the start-up bench: the program writes "shown" and
// ends as soon as its first titled main window is shown.
#include "startupwatch.h"

namespace
{

[[gnu::constructor]] void watchAtLoad()
{
    watchFirstMainWindow();
}

} // namespace
