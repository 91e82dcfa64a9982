#include "labels/labelsheet.h"

#include "core/appstate.h"
#include "core/services.h"
#include "labels/addressblock.h"
#include "platform/dialogs.h"
#include "printer/printeroffsets.h"
#include "printer/printfailure.h"

#include <QStringList>

namespace
{

constexpr quint32 kBlack = 0;

// The number as the program's number-to-text conversion writes it: a leading space before a
// number that is not negative.
QString withSignSpace(int n)
{
    return n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n);
}

void noPrinter()
{
    throw PrinterError(QStringLiteral("Aucune imprimante n'est disponible."));
}

} // namespace

LabelCorner labelCorner(const PrintParams& p, int position)
{
    const int c = (position - 1) % 2;
    const int r = (position - 1) / 2;
    LabelCorner corner;
    corner.x = p.MargeGauche + c * (p.LargeurEtiq + p.SepHorizontal);
    corner.y = p.MargeHaute + r * (p.HauteurEtiq + p.SepVertical);
    return corner;
}

PaperRequest labelSheetPaper()
{
    return {QPageSize(QPageSize::A4), std::nullopt};
}

QPageLayout labelPageLayout(PrinterSurface& printer)
{
    try {
        const QPageLayout layout = printer.pageLayoutFor(labelSheetPaper());
        if (layout.isValid())
            return layout;
    } catch (const std::exception&) {
        // No printer to ask: the label sheet's own A4 page; printing says why it fails.
    }
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
}

QRectF labelOnPaper(const PrintParams& params, int position, const QPageLayout& page,
                    const PrinterOffset& offset)
{
    const LabelCorner corner = labelCorner(params, position);
    const QPointF printable = page.paintRect(QPageLayout::Millimeter).topLeft();
    return QRectF(printable + QPointF(corner.x + offset.x, corner.y + offset.y),
                  QSizeF(params.LargeurEtiq, params.HauteurEtiq))
        .normalized();
}

QList<int> labelsOffPage(const PrintParams& params, const QList<int>& positions,
                         const QPageLayout& page, const PrinterOffset& offset)
{
    // A hair of tolerance: a label ending on the edge still fits.
    const QRectF printable =
        page.paintRect(QPageLayout::Millimeter).adjusted(-0.01, -0.01, 0.01, 0.01);
    QList<int> off;
    for (int position : positions) {
        if (!printable.contains(labelOnPaper(params, position, page, offset)))
            off << position;
    }
    return off;
}

QString labelFitWarning(const QList<int>& off, int orientation)
{
    if (off.isEmpty())
        return QString();
    const QString mode = orientation == PrinterSurface::Landscape ? QStringLiteral("Paysage")
                                                                  : QStringLiteral("Portrait");
    if (off.size() == 1)
        return QStringLiteral("Attention : l'étiquette N° %1 ne tient pas sur la page en mode %2 ; "
                              "ce qui dépasse n'est pas imprimé.")
            .arg(off.first())
            .arg(mode);
    QStringList numbers;
    for (int n : off)
        numbers << QString::number(n);
    const QString last = numbers.takeLast();
    return QStringLiteral("Attention : les étiquettes N° %1 et %2 ne tiennent pas sur la page en "
                          "mode %3 ; ce qui dépasse n'est pas imprimé.")
        .arg(numbers.join(QStringLiteral(", ")), last, mode);
}

QString labelPaperNotice(const QPageSize& printerPaper)
{
    if (!printerPaper.isValid() || printerPaper.isEquivalentTo(QPageSize(QPageSize::A4)))
        return QString();
    return QStringLiteral("Les étiquettes s'impriment sur une feuille A4 ; le papier de "
                          "l'imprimante est %1.")
        .arg(printerPaper.name());
}

PrintConfirmation labelPrintConfirmation(int modeImpression, int count, int number)
{
    PrintConfirmation c;
    if (modeImpression == 1) {
        const QString n = QString::number(count);
        c.title = QStringLiteral("Impression de ") + n + QStringLiteral(" étiquettes ");
        c.question = QStringLiteral("Confirmer l'impression d'une page de ") + n +
                     QStringLiteral(" étiquettes identiques");
    } else {
        c.title = QStringLiteral("Impression de l'étiquette N° ") + withSignSpace(number);
        c.question =
            QStringLiteral("Confirmer l'impression de la l'étiquette N° ") + withSignSpace(number);
    }
    return c;
}

void drawLabel(PrinterSurface& printer, const PrintParams& p, AddressOptions& address, double x,
               double y)
{
    const double w = p.LargeurEtiq;
    const double h = p.HauteurEtiq;
    if (p.ImprimerCadre) {
        printer.setDrawStyle(PrinterSurface::Solid);
        printer.line(x + 2, y + 2, x + w - 2, y + 2, kBlack);
        printer.line(x + w - 2, y + 2, x + w - 2, y + h - 2, kBlack);
        printer.line(x + w - 2, y + h - 2, x + 2, y + h - 2, kBlack);
        printer.line(x + 2, y + 2, x + 2, y + h - 2, kBlack);
    }
    if (p.ImprimerDecoupe) {
        printer.setDrawStyle(PrinterSurface::DashDot);
        printer.line(x, y, x + w, y, kBlack);
        printer.line(x + w, y, x + w, y + h, kBlack);
        printer.line(x + w, y + h, x, y + h, kBlack);
        printer.line(x, y, x, y + h, kBlack);
    }
    printer.setScaleMode(PrinterSurface::Millimetres);
    printer.setFontName(p.FontName);
    printer.setFontSize(p.FontSize);
    printer.setFontBold(p.FontBold);
    printer.setFontItalic(p.FontItalic);
    printer.setForeColor(quint32(p.ForeColor));

    // The first print line ends with the CR of its line break; measured with a whole line break
    // after it, it is two lines high.
    QString first = address.Lignes[1];
    if (first.endsWith(QLatin1Char('\r')))
        first += QLatin1Char('\n');
    else if (!first.endsWith(QLatin1Char('\n')))
        first += QLatin1String("\r\n");
    const double lineHeight = printer.textHeight(first) / 2;

    double lineY = y;
    const double lineX = x + 7;
    for (int i = 1; i <= address.NbLignes && i < 16; ++i) {
        lineY += lineHeight;
        printer.setCurrentX(lineX);
        printer.setCurrentY(lineY);
        QString& stored = address.Lignes[i];
        if (stored.startsWith(QLatin1Char('\n')))
            stored.remove(0, 1);
        QString text = stored;
        while (text.endsWith(QLatin1Char('\r')) || text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        printer.print(text);
    }
}

bool Imprim1carte(AppState& state, Services& services)
{
    try {
        if (!services.printer)
            noPrinter();
        PrinterSurface& printer = *services.printer;
        printer.setPaper(labelSheetPaper());
        printer.setScaleMode(PrinterSurface::Millimetres);
        const PrinterOffset offset = currentPrinterOffset(services);
        const LabelCorner corner = labelCorner(state.print, state.label.NumEtiquette);
        state.label.PosX = corner.x;
        state.label.PosY = corner.y;
        drawLabel(printer, state.print, state.address, corner.x + offset.x, corner.y + offset.y);
        printer.endDoc();
        return true;
    } catch (const PrinterError& e) {
        reportPrintFailure(services, e);
        return false;
    }
}

bool Imprim10Cartes(AppState& state, Services& services, int count)
{
    try {
        if (!services.printer)
            noPrinter();
        PrinterSurface& printer = *services.printer;
        printer.setPaper(labelSheetPaper());
        printer.setScaleMode(PrinterSurface::Millimetres);
        const PrinterOffset offset = currentPrinterOffset(services);
        for (int k = 1; k <= count; ++k) {
            const LabelCorner corner = labelCorner(state.print, k);
            state.label.PosX = corner.x;
            state.label.PosY = corner.y;
            drawLabel(printer, state.print, state.address, corner.x + offset.x,
                      corner.y + offset.y);
        }
        printer.endDoc();
        return true;
    } catch (const PrinterError& e) {
        reportPrintFailure(services, e);
        return false;
    }
}

bool printLabelCommand(AppState& state, Services& services)
{
    const int count = state.label.NbEtiquettes;
    const PrintConfirmation c =
        labelPrintConfirmation(state.label.ModeImpression, count, state.label.NumEtiquette);
    if (!services.dialogs ||
        services.dialogs->msgBox(c.question, vbYesNo + vbQuestion, c.title) != vbYes)
        return false;
    return printLabels(state, services);
}

bool printLabels(AppState& state, Services& services)
{
    const int count = state.label.NbEtiquettes;
    try {
        if (!services.printer)
            noPrinter();
        services.printer->setScaleMode(PrinterSurface::Millimetres);
    } catch (const PrinterError& e) {
        reportPrintFailure(services, e);
        return false;
    }
    DecoupeAdresse(state.address);
    if (state.label.ModeImpression == 1)
        return Imprim10Cartes(state, services, count);
    return Imprim1carte(state, services);
}
