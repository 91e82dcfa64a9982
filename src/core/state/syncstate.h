#pragma once

// What the synchronisation commands use during a run (nothing of it is saved).
struct SyncRunState {
    // A request whose whole answer has not come in this long is given up.
    int timeoutMs = 60000;
    bool running = false; // a synchronisation is under way (no second one starts)
};
