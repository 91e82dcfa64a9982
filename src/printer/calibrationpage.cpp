#include "printer/calibrationpage.h"

#include "core/services.h"
#include "platform/dialogs.h"
#include "printer/printersurface.h"
#include "printer/printfailure.h"

#include <QPageLayout>
#include <QRectF>
#include <cmath>
#include <exception>

namespace
{

constexpr double kArm = 5; // half the length of a cross's bars, mm
constexpr quint32 kBlack = 0;

QString mmText(double mm)
{
    return QString::number(mm, 'f', mm == std::floor(mm) ? 0 : 1);
}

} // namespace

QList<QPointF> calibrationCrosses(const QSizeF& paper)
{
    const double columns[] = {20, std::floor(paper.width() / 2), std::floor(paper.width()) - 50};
    const double rows[] = {20, std::floor(paper.height() / 2), std::floor(paper.height()) - 30};
    QList<QPointF> crosses;
    for (double y : rows)
        for (double x : columns)
            crosses << QPointF(x, y);
    return crosses;
}

QString calibrationCaption(const QPointF& cross)
{
    return QStringLiteral("x = %1 mm  y = %2 mm").arg(mmText(cross.x()), mmText(cross.y()));
}

void drawCalibrationPage(PrinterSurface& printer, const QString& printerName,
                         const PrinterOffset& offset)
{
    const QPageLayout layout = printer.pageLayout();
    const QSizeF paper = layout.fullRect(QPageLayout::Millimeter).size();
    // Positions are measured from the printable area's corner; the crosses' places from the
    // sheet's.
    const QPointF printable = layout.paintRect(QPageLayout::Millimeter).topLeft();
    const auto onSurface = [&](const QPointF& onSheet) {
        return onSheet - printable + QPointF(offset.x, offset.y);
    };

    printer.setScaleMode(PrinterSurface::Millimetres);
    printer.setDrawStyle(PrinterSurface::Solid);
    const QList<QPointF> crosses = calibrationCrosses(paper);
    for (const QPointF& cross : crosses) {
        const QPointF c = onSurface(cross);
        printer.line(c.x() - kArm, c.y(), c.x() + kArm, c.y(), kBlack);
        printer.line(c.x(), c.y() - kArm, c.x(), c.y() + kArm, kBlack);
    }

    printer.setFontName(QStringLiteral("Arial"));
    printer.setFontBold(false);
    printer.setFontItalic(false);
    printer.setForeColor(kBlack);
    printer.setFontSize(8);
    for (const QPointF& cross : crosses) {
        const QPointF c = onSurface(cross);
        printer.setCurrentX(c.x() + 2);
        printer.setCurrentY(c.y() + 1);
        printer.print(calibrationCaption(cross));
    }

    const QStringList notice = {
        QStringLiteral("Chaque croix est imprimée à la place écrite à côté d'elle, mesurée depuis"),
        QStringLiteral("les bords gauche et haut de la feuille. Mesurez à la règle où elle se "
                       "trouve :"),
        QStringLiteral("décalage = place écrite - place mesurée (en mm, négatif vers la gauche ou "
                       "vers le haut)."),
        QStringLiteral("Décalage appliqué à cette page : horizontal %1 mm, vertical %2 mm.")
            .arg(mmText(offset.x), mmText(offset.y)),
    };
    const QPointF title = onSurface(QPointF(20, 40));
    printer.setFontSize(11);
    printer.setFontBold(true);
    printer.setCurrentX(title.x());
    printer.setCurrentY(title.y());
    printer.print(QStringLiteral("Page de calibration de l'imprimante ") + printerName);
    printer.setFontSize(9);
    printer.setFontBold(false);
    const double line = printer.textHeight(QStringLiteral("x"));
    double y = title.y() + 2 * line;
    for (const QString& text : notice) {
        printer.setCurrentX(title.x());
        printer.setCurrentY(y);
        printer.print(text);
        y += line;
    }
}

bool printCalibrationPage(Services& services, const PrinterOffset& offset)
{
    try {
        if (!services.printer)
            throw PrinterError(QStringLiteral("Aucune imprimante n'est disponible."));
        drawCalibrationPage(*services.printer, services.printer->deviceName(), offset);
        services.printer->endDoc();
        return true;
    } catch (const std::exception& e) {
        reportPrintFailure(services, e);
        return false;
    }
}
