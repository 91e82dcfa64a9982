#pragma once

#include "printer/printersurface.h"

#include <QString>
#include <optional>

struct Services;

// No printer is installed: reading the printer's information fails.
class NoPrinterError : public PrinterError
{
public:
    NoPrinterError() : PrinterError("Aucune imprimante n'est disponible") {}
};

// The user's lasting default settings of a printer (kept by the print system, so they outlast
// the program and apply to other programs too).
class PrinterSettingsStore
{
public:
    virtual ~PrinterSettingsStore() = default;
    // Stored orientation of `printer`: 1 portrait, 2 landscape; nothing when none is stored.
    virtual std::optional<int> orientation(const QString& printer) = 0;
    // Stores orientation (1 or 2) and duplex (1 single-sided) for `printer`; false on failure.
    virtual bool store(const QString& printer, std::optional<int> orientation, int duplex) = 0;
};

// Switching the current printer between portrait and landscape, in its stored settings, then
// selecting it again by name so the next document uses them. Each may throw PrinterError
// (NoPrinterError when no printer is installed).
void SetOrientation(Services& services, int duplex, int orientation);
void SetFormatPapier(Services& services, int duplex, int paperSize);
void ModePortrait(Services& services);
void ModePaysage(Services& services);
void FormatPapierDefaut(Services& services);
