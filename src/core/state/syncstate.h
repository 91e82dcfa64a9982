#pragma once

// What the synchronisation commands use during a run (nothing of it is saved).
struct SyncRunState {
    // A synchronisation that lasts longer than this shows its progress window.
    int progressDelayMs = 1000;
    // A server that sends nothing for this long is given up.
    int timeoutMs = 30000;
    bool running = false; // a synchronisation is under way (no second one starts)
};
