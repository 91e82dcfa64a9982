#pragma once

class Dialogs;
class Clipboard;
class DesktopServices;
class ProgramFolder;
class PrinterSurface;
class PrinterSettingsStore;
class PrinterOffsets;
class SerialPortFactory;
class PasswordStore;
class DavClientFactory;

// The platform services the windows reach, real ones in the program, fakes in tests.
// Services a window does not use may be left null in its tests.
struct Services {
    Dialogs* dialogs = nullptr;
    Clipboard* clipboard = nullptr;
    DesktopServices* desktop = nullptr;
    ProgramFolder* folder = nullptr;
    PrinterSurface* printer = nullptr;
    PrinterSettingsStore* printerSettings = nullptr;
    PrinterOffsets* printerOffsets = nullptr;
    SerialPortFactory* serial = nullptr;
    PasswordStore* passwords = nullptr;     // the desktop's keyring
    DavClientFactory* davClients = nullptr; // the CardDAV client of each synchronisation
};
