#pragma once

struct AppState;
struct Services;

// Start-up: the dialer settings from "Telephon.cfg" in the program folder, or the defaults.
void loadStartupDialerSettings(AppState& state, Services& services);
