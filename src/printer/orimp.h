#pragma once

#include "printer/printersurface.h"

#include <QPageSize>
#include <QString>
#include <optional>

struct Services;

// No printer is installed: reading the printer's information fails.
class NoPrinterError : public PrinterError
{
public:
    NoPrinterError() : PrinterError(QStringLiteral("Aucune imprimante n'est disponible.")) {}
};

// What the print system keeps about each printer: the user's lasting orientation of it (which
// outlasts the program and applies to other programs too), its own paper, and whether it takes
// documents now.
class PrinterSettingsStore
{
public:
    virtual ~PrinterSettingsStore() = default;
    // Stored orientation of `printer`: 1 portrait, 2 landscape; nothing when none is stored.
    virtual std::optional<int> orientation(const QString& printer) = 0;
    // Stores the orientation (1 or 2) of `printer`, and nothing else; false on failure.
    virtual bool store(const QString& printer, int orientation) = 0;
    // The paper `printer` prints on unless a document asks for another; nothing when unknown.
    virtual std::optional<QPageSize> paperSize(const QString& /*printer*/) { return std::nullopt; }
    // Why `printer` refuses documents now, in a French sentence with the print server's words
    // after it; empty when it takes them.
    virtual QString refusal(const QString& /*printer*/) { return QString(); }
};

// Switching the current printer between portrait and landscape, in its stored settings, then
// selecting it again by name so the next document uses them; the duplex mode goes to the
// printer surface, for the program's own documents. SetFormatPapier stores nothing: the paper
// stays the printer's. Each may throw PrinterError (NoPrinterError when no printer is
// installed).
void SetOrientation(Services& services, int duplex, int orientation);
void SetFormatPapier(Services& services, int duplex, int paperSize);
void ModePortrait(Services& services);
void ModePaysage(Services& services);
void FormatPapierDefaut(Services& services);
