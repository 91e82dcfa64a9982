#include "printer/orimp.h"

#include "core/services.h"

namespace
{

// Changes the current printer's stored settings, then selects that printer again by name so the
// next document takes them.
void storeAndReselect(Services& services, int duplex, std::optional<int> orientation)
{
    PrinterSurface& printer = *services.printer;
    const QStringList names = printer.printerNames();
    if (names.isEmpty())
        throw NoPrinterError();
    const QString name = printer.deviceName();
    if (name.isEmpty())
        return;
    if (orientation && services.printerSettings)
        services.printerSettings->store(name, *orientation);
    for (const QString& candidate : names) {
        if (candidate == name) {
            printer.selectPrinter(candidate);
            break;
        }
    }
    printer.setDuplex(duplex);
}

} // namespace

void SetOrientation(Services& services, int duplex, int orientation)
{
    storeAndReselect(services, duplex, orientation);
}

void SetFormatPapier(Services& services, int duplex, int)
{
    // Only orientation and duplex are announced as changed: the paper size stays the printer's,
    // and single-sided printing is the surface's.
    storeAndReselect(services, duplex, std::nullopt);
}

void ModePortrait(Services& services)
{
    SetOrientation(services, 1, PrinterSurface::Portrait);
}

void ModePaysage(Services& services)
{
    SetOrientation(services, 1, PrinterSurface::Landscape);
}

void FormatPapierDefaut(Services& services)
{
    SetFormatPapier(services, 1, 1);
}
