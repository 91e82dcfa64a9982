#include "labels/printparamsfile.h"

#include "core/appstate.h"

void loadStartupPrintParams(AppState& state, Services&)
{
    state.print = PrintParams();
}
