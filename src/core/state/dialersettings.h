#pragma once

// Telephone dialing choices, stored in "Telephon.cfg".
struct DialerSettings {
    int TypeNumerotation = 0; // 0 tone, 1 pulse
    int NumPort = 2;          // serial port 1..4
    int ChoixNumeroteur = 0;  // 0 the program's modem dialer, 1 the desktop's dialer
};
