#pragma once

struct AppState;
struct Services;

// Start-up: the print parameters from "DEFAUT.PAR" in the program folder, or the defaults.
void loadStartupPrintParams(AppState& state, Services& services);
