#pragma once

#include <memory>

struct Services;
class CupsPrinterSettings;
class SettingsPrinterOffsets;
class ModulePrinterSurface;

// The real printer surface, the user's stored printer settings and the printers' calibration,
// owned together.
struct PrinterServices {
    PrinterServices();
    ~PrinterServices();
    std::unique_ptr<CupsPrinterSettings> settings;
    std::unique_ptr<ModulePrinterSurface> surface; // made from the services module when first used
    std::unique_ptr<SettingsPrinterOffsets> offsets;
};

// Creates the real printer services and puts them into `services` (printer, printerSettings,
// printerOffsets).
// Call it once the QApplication exists; keep the result alive as long as `services` is used.
std::unique_ptr<PrinterServices> installPrinterServices(Services& services);
