#include "printer/cupsprintersettings.h"

#include <cups/cups.h>

namespace
{

// A printer name as CUPS takes it: "queue" or "queue/instance".
struct DestName {
    QByteArray name;
    QByteArray instance;
    explicit DestName(const QString& printer)
        : name(printer.section(QLatin1Char('/'), 0, 0).toLocal8Bit()),
          instance(printer.section(QLatin1Char('/'), 1).toLocal8Bit())
    {
    }
    const char* instanceOrNull() const
    {
        return instance.isEmpty() ? nullptr : instance.constData();
    }
};

} // namespace

std::optional<int> CupsPrinterSettings::orientationFromIpp(const QByteArray& value)
{
    bool ok = false;
    const int v = value.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    switch (v) {
    case 3: // portrait
    case 6: // reverse portrait
        return 1;
    case 4: // landscape
    case 5: // reverse landscape
        return 2;
    default:
        return std::nullopt;
    }
}

const char* CupsPrinterSettings::sidesForDuplex(int duplex)
{
    switch (duplex) {
    case 2:
        return "two-sided-long-edge";
    case 3:
        return "two-sided-short-edge";
    default:
        return "one-sided";
    }
}

std::optional<int> CupsPrinterSettings::orientation(const QString& printer)
{
    if (printer.isEmpty())
        return std::nullopt;
    const DestName dest(printer);
    cups_dest_t* d =
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, dest.name.constData(), dest.instanceOrNull());
    if (!d)
        return std::nullopt;
    std::optional<int> result;
    if (const char* value = cupsGetOption("orientation-requested", d->num_options, d->options))
        result = orientationFromIpp(QByteArray(value));
    cupsFreeDests(1, d);
    return result;
}

bool CupsPrinterSettings::store(const QString& printer, std::optional<int> orientation, int duplex)
{
    if (printer.isEmpty())
        return false;
    const DestName name(printer);
    // The whole list is read and written back: the user's options file holds every printer.
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    cups_dest_t* dest = cupsGetDest(name.name.constData(), name.instanceOrNull(), count, dests);
    if (!dest) {
        cupsFreeDests(count, dests);
        return false;
    }
    if (orientation)
        dest->num_options = cupsAddOption("orientation-requested", *orientation == 2 ? "4" : "3",
                                          dest->num_options, &dest->options);
    dest->num_options =
        cupsAddOption("sides", sidesForDuplex(duplex), dest->num_options, &dest->options);
    const int status = cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests);
    cupsFreeDests(count, dests);
    return status == 0;
}
