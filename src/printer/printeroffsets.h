#pragma once

#include <QString>

struct Services;

// How far a printer's labels and envelopes are moved to make up for the way it feeds the paper,
// mm: x to the right, y downwards; negative values move left or up.
struct PrinterOffset {
    double x = 0;
    double y = 0;
    bool operator==(const PrinterOffset& o) const { return x == o.x && y == o.y; }
    bool operator!=(const PrinterOffset& o) const { return !(*this == o); }
};

// The largest offset taken, mm, either way.
constexpr double kMaxPrinterOffset = 100;

// The calibration of each printer, kept in the user's settings.
class PrinterOffsets
{
public:
    virtual ~PrinterOffsets() = default;
    // The offset stored for `printer`; none stored (or unreadable) is no offset.
    virtual PrinterOffset offset(const QString& printer) = 0;
    // Stores the offset of `printer`; false when it cannot be written.
    virtual bool store(const QString& printer, const PrinterOffset& offset) = 0;
};

// The offsets in the user's settings of the program (QSettings, organisation and application
// "Elvarine": ~/.config/Elvarine/Elvarine.conf), or in the settings file `iniFile` when given:
// "Calibration/<printer>/horizontal" and ".../vertical", in mm. A value that is not a number
// within kMaxPrinterOffset reads as 0.
class SettingsPrinterOffsets : public PrinterOffsets
{
public:
    explicit SettingsPrinterOffsets(const QString& iniFile = QString());
    PrinterOffset offset(const QString& printer) override;
    bool store(const QString& printer, const PrinterOffset& offset) override;

    // The settings group of `printer`: its name, with the characters the settings give a meaning
    // to ('/', '\' and '%') written as %XX.
    static QString groupOf(const QString& printer);

private:
    QString m_iniFile;
};

// The offset the printing of labels and envelopes applies: the one stored for the current
// printer of `services`; none without a store or without a printer name (a PDF file).
PrinterOffset currentPrinterOffset(Services& services);
