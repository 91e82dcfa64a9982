#include "printer/printeroffsets.h"

#include "core/services.h"
#include "printer/printersurface.h"

#include <QSettings>
#include <cmath>
#include <exception>
#include <memory>

namespace
{

std::unique_ptr<QSettings> openSettings(const QString& iniFile)
{
    if (!iniFile.isEmpty())
        return std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Elvarine"), QStringLiteral("Elvarine"));
}

double readMm(const QSettings& settings, const QString& key)
{
    bool ok = false;
    const double v = settings.value(key).toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::abs(v) > kMaxPrinterOffset)
        return 0;
    return v;
}

} // namespace

SettingsPrinterOffsets::SettingsPrinterOffsets(const QString& iniFile) : m_iniFile(iniFile) {}

QString SettingsPrinterOffsets::groupOf(const QString& printer)
{
    QString group;
    for (const QChar c : printer) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('%'))
            group += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            group += c;
    }
    return QStringLiteral("Calibration/") + group;
}

PrinterOffset SettingsPrinterOffsets::offset(const QString& printer)
{
    if (printer.isEmpty())
        return {};
    const std::unique_ptr<QSettings> settings = openSettings(m_iniFile);
    const QString group = groupOf(printer);
    return {readMm(*settings, group + QStringLiteral("/horizontal")),
            readMm(*settings, group + QStringLiteral("/vertical"))};
}

bool SettingsPrinterOffsets::store(const QString& printer, const PrinterOffset& offset)
{
    if (printer.isEmpty())
        return false;
    const std::unique_ptr<QSettings> settings = openSettings(m_iniFile);
    const QString group = groupOf(printer);
    settings->setValue(group + QStringLiteral("/horizontal"), offset.x);
    settings->setValue(group + QStringLiteral("/vertical"), offset.y);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

PrinterOffset currentPrinterOffset(Services& services)
{
    if (!services.printerOffsets || !services.printer)
        return {};
    try {
        const QString printer = services.printer->deviceName();
        return printer.isEmpty() ? PrinterOffset{} : services.printerOffsets->offset(printer);
    } catch (const std::exception&) {
        // No printer to ask: no offset; printing, when asked for, says why it fails.
        return {};
    }
}
