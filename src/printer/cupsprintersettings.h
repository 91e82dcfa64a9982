#pragma once

#include "printer/orimp.h"

// The user's lasting printer options kept by CUPS (what `lpoptions -p PRINTER -o ...` stores):
// the orientation as orientation-requested (3 portrait, 4 landscape) and single- or two-sided
// printing as sides. Other programs printing through CUPS with the user's options see them too.
class CupsPrinterSettings : public PrinterSettingsStore
{
public:
    std::optional<int> orientation(const QString& printer) override;
    bool store(const QString& printer, std::optional<int> orientation, int duplex) override;

    // orientation-requested value -> 1 portrait / 2 landscape; nothing for an unknown value.
    static std::optional<int> orientationFromIpp(const QByteArray& value);
    // sides value for a duplex mode (1 single-sided, 2 long edge, 3 short edge).
    static const char* sidesForDuplex(int duplex);
};
