#include "envelopes/envelopeprint.h"

#include "core/appstate.h"
#include "core/services.h"
#include "envelopes/senderprofile.h"
#include "labels/addressblock.h"
#include "platform/dialogs.h"
#include "printer/printeroffsets.h"
#include "printer/printfailure.h"

#include <QSizeF>
#include <algorithm>

namespace
{

// Prints Lignes[1..NbLignes] one line height apart, the first one line below `top`, all
// starting at `left`. The step is half the height of line 1, which still ends with its CR and
// so measures two lines.
void printLines(PrinterSurface& printer, AddressOptions& lines, double left, double top)
{
    double y = top;
    const double step = printer.textHeight(lines.Lignes[1]) / 2;
    for (int i = 1; i <= lines.NbLignes; ++i) {
        printer.setScaleMode(PrinterSurface::Millimetres);
        y += step;
        printer.setCurrentX(left);
        printer.setCurrentY(y);
        QString& line = lines.Lignes[i];
        if (line.startsWith(QLatin1Char('\n')))
            line.remove(0, 1);
        // The CR left at the end of the line is only the split's leftover: the position of
        // each line is set above.
        QString text = line;
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        printer.print(text);
    }
}

} // namespace

EnvelopeFormat envelopeFormat(EnvelopeFormatId id)
{
    switch (id) {
    case EnvelopeFormatId::F160x115:
        return {QStringLiteral("160 x 115"),
                QStringLiteral("Enveloppe 160 x 115 mm"),
                70,
                50,
                false,
                false,
                160,
                115};
    case EnvelopeFormatId::F220x110:
        return {QStringLiteral("220 x 110"),
                QStringLiteral("Enveloppe 220 x 110 mm"),
                100,
                45,
                false,
                false,
                220,
                110};
    case EnvelopeFormatId::F230x160:
        return {QStringLiteral("230 x 160"),
                QStringLiteral("Enveloppe 230 x 160 mm"),
                100,
                90,
                true,
                false,
                230,
                160};
    case EnvelopeFormatId::Custom:
        break;
    }
    return {QStringLiteral("Personnalisé"),
            QStringLiteral("Enveloppe personnalisée marges paramétrées"),
            0,
            0,
            false,
            true};
}

void DecoupeExpediteur(AppState& state)
{
    state.address.NbLignes = splitPrintLines(state.sender.TexteExp, state.address.Lignes);
}

PaperRequest envelopePaper(const EnvelopePaper& choice)
{
    if (!choice.OwnSize || choice.Width <= 0 || choice.Height <= 0)
        return {QPageSize(QPageSize::A4), std::nullopt};
    // A paper size is named in its portrait dimensions; an envelope wider than high is printed
    // in landscape on it.
    const QSizeF portrait(std::min(choice.Width, choice.Height),
                          std::max(choice.Width, choice.Height));
    return {QPageSize(portrait, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
            choice.Width > choice.Height ? PrinterSurface::Landscape : PrinterSurface::Portrait};
}

void drawSenderLabel(PrinterSurface& printer, SenderProfile& sender, AddressOptions& lines,
                     const PrinterOffset& offset)
{
    printer.setScaleMode(PrinterSurface::Millimetres);
    printer.setDrawStyle(PrinterSurface::Solid);
    const double l = sender.MarginLeft + offset.x;
    const double t = sender.MarginTop + offset.y;
    const double w = sender.FrameWidth;
    const double h = sender.FrameHeight;
    const quint32 color = senderColorRef(sender.TextColor);
    printer.line(l, t, l + w, t, color);
    printer.line(l + w, t, l + w, t + h, color);
    printer.line(l + w, t + h, l, t + h, color);
    printer.line(l, t + h, l, t, color);

    lines.NbLignes = splitPrintLines(sender.TexteExp, lines.Lignes);
    printer.setScaleMode(PrinterSurface::Millimetres);
    printer.setFontName(sender.FontName);
    printer.setFontSize(sender.FontSize);
    printer.setFontBold(sender.FontBold);
    printer.setFontItalic(sender.FontItalic);
    printer.setForeColor(color);
    printLines(printer, lines, l + 2, t);
}

void drawEnvelopeAddress(PrinterSurface& printer, const PrintParams& font, AddressOptions& address,
                         double x, double y)
{
    DecoupeAdresse(address);
    printer.setScaleMode(PrinterSurface::Millimetres);
    printer.setFontName(font.FontName);
    printer.setFontSize(font.FontSize);
    printer.setFontBold(font.FontBold);
    printer.setFontItalic(font.FontItalic);
    printer.setForeColor(quint32(font.ForeColor) & 0xFFFFFFu);
    printLines(printer, address, x, y);
}

bool ImprimExpediteur(AppState& state, Services& services)
{
    try {
        drawSenderLabel(*services.printer, state.sender, state.address,
                        currentPrinterOffset(services));
        return true;
    } catch (const PrinterError& e) {
        reportPrintFailure(services, e);
        return false;
    }
}

void ImprimEnveloppe(AppState& state, Services& services, EnvelopeContent content)
{
    PrinterSurface& printer = *services.printer;
    // A failed sender label has been dropped with its document; the address then goes into a
    // new one, on the same paper.
    printer.setPaper(envelopePaper(state.envelope));
    if (content == EnvelopeContent::AddressAndSender)
        ImprimExpediteur(state, services);
    try {
        printer.setPaper(envelopePaper(state.envelope));
        const PrinterOffset offset = currentPrinterOffset(services);
        drawEnvelopeAddress(printer, state.print, state.address, state.label.PosX + offset.x,
                            state.label.PosY + offset.y);
        printer.endDoc();
    } catch (const PrinterError& e) {
        reportPrintFailure(services, e);
    }
}

void printSenderLabel(AppState& state, Services& services)
{
    services.printer->setPaper(envelopePaper(state.envelope));
    if (!ImprimExpediteur(state, services))
        return;
    try {
        services.printer->endDoc();
    } catch (const PrinterError& e) {
        reportPrintFailure(services, e);
    }
}

void printEnvelopeCommand(AppState& state, Services& services, EnvelopeContent content)
{
    QString title = QStringLiteral("Impression de l'adresse sur enveloppe");
    QString message;
    switch (content) {
    case EnvelopeContent::SenderOnly:
        title = QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe");
        message = QStringLiteral("Confirmer l'impression de l'étiquette expéditeur ?");
        break;
    case EnvelopeContent::AddressOnly:
        message = QStringLiteral("Confirmer l'impression de l'adresse ?");
        break;
    case EnvelopeContent::AddressAndSender:
        message = QStringLiteral("Confirmer l'impression de l'adresse \r"
                                 "et de l étiquette expéditeur ?");
        break;
    }
    if (services.dialogs->msgBox(message, vbYesNo + vbQuestion, title) != vbYes)
        return;
    printEnvelope(state, services, content);
}

void printEnvelope(AppState& state, Services& services, EnvelopeContent content)
{
    try {
        services.printer->setScaleMode(PrinterSurface::Millimetres);
    } catch (const PrinterError& e) {
        reportPrintFailure(services, e);
        return;
    }
    if (content == EnvelopeContent::SenderOnly)
        printSenderLabel(state, services);
    else
        ImprimEnveloppe(state, services, content);
}

QString marginAdviceText()
{
    return QStringLiteral("Les marges hautes et gauches ne prennent pas\n"
                          "en compte les marges non imprimables de\n"
                          "l'imprimante pour la feuille ou  l'enveloppe !\n"
                          "\n"
                          "Il faut déduire les marges non imprimables\n"
                          "de l'imprimante pour les valeurs des marges.");
}

void showMarginAdvice(Dialogs& dialogs)
{
    dialogs.msgBox(marginAdviceText(), vbOKOnly + vbInformation, QStringLiteral("Avertissement"));
}
