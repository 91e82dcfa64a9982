#pragma once

#include <QString>
#include <memory>

class DavClientFactory;
class PasswordStore;
class PrinterSettingsStore;
class SerialPortFactory;
class SystemPrinterSurface;

// The real services whose libraries the program does not load at start (Qt Network, Qt Print
// Support, Qt Serial Port, the keyring's QtKeychain) live in a module of their own,
// "elvarine-services.so", loaded at their first use. This is its table of makers; the module
// exports it as the C function `elvarine_services_module`.
struct ServicesModuleTable {
    // kServicesModuleVersion of the module's build; a module of another build is refused.
    int version;
    std::unique_ptr<DavClientFactory> (*davClients)();
    std::unique_ptr<PasswordStore> (*keyring)();
    std::unique_ptr<SerialPortFactory> (*serialPorts)();
    // `settings` (may be null) gives the stored orientation of each printer.
    std::unique_ptr<SystemPrinterSurface> (*printer)(PrinterSettingsStore* settings);
};

// Changes whenever the table or the classes it hands over change.
constexpr int kServicesModuleVersion = 1;
constexpr const char* kServicesModuleName = "elvarine-services.so";
constexpr const char* kServicesModuleEntry = "elvarine_services_module";

// Where the module is looked for, first to last: beside the executable in `executableFolder`
// (a build folder, a portable copy), then in the install's folder for it (`moduleFromBin`,
// relative to the executable's folder, e.g. "../lib/elvarine/modules").
QStringList servicesModuleCandidates(const QString& executableFolder, const QString& moduleFromBin);
// The install's module folder relative to the folder of the installed executable.
QString installModuleFromBin();

// The module, loaded once by the first caller (from the main thread) and kept for the whole
// run; null when it cannot be loaded, with the reason in French in `why`. A failure is
// remembered: later calls give the same reason without trying again.
const ServicesModuleTable* servicesModule(QString* why = nullptr);

// The services of the module, each loading it at its first real call. Without the module,
// each fails the way its interface fails, with the reason in French.
std::unique_ptr<DavClientFactory> moduleDavClients();
std::unique_ptr<PasswordStore> moduleKeyring();
std::unique_ptr<SerialPortFactory> moduleSerialPorts();
