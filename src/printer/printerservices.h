#pragma once

#include <memory>

struct Services;
class CupsPrinterSettings;
class QtPrinterSurface;

// The real printer surface and the user's stored printer settings, owned together.
struct PrinterServices {
    PrinterServices();
    ~PrinterServices();
    std::unique_ptr<CupsPrinterSettings> settings;
    std::unique_ptr<QtPrinterSurface> surface;
};

// Creates the real printer services and puts them into `services` (printer, printerSettings).
// Call it once the QApplication exists; keep the result alive as long as `services` is used.
std::unique_ptr<PrinterServices> installPrinterServices(Services& services);
