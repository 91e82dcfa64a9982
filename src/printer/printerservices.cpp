#include "printer/printerservices.h"

#include "core/services.h"
#include "printer/cupsprintersettings.h"
#include "printer/moduleprintersurface.h"
#include "printer/printeroffsets.h"

PrinterServices::PrinterServices()
    : settings(std::make_unique<CupsPrinterSettings>()),
      surface(std::make_unique<ModulePrinterSurface>(settings.get())),
      offsets(std::make_unique<SettingsPrinterOffsets>())
{
}

PrinterServices::~PrinterServices() = default;

std::unique_ptr<PrinterServices> installPrinterServices(Services& services)
{
    auto printing = std::make_unique<PrinterServices>();
    services.printer = printing->surface.get();
    services.printerSettings = printing->settings.get();
    services.printerOffsets = printing->offsets.get();
    return printing;
}
