#pragma once

struct AppState;
struct Services;

// Start-up: the sender profile from "DEFAUT.UTI" in the program folder, or the defaults.
void loadStartupSenderProfile(AppState& state, Services& services);
