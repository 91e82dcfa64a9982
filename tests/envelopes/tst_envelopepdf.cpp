#include "../printer/pdftext.h"
#include "core/appstate.h"
#include "core/services.h"
#include "envelopes/envelopeprint.h"
#include "envelopes/senderprofile.h"
#include "printer/qtprintersurface.h"
#include "scripteddialogs.h"
#include "senderprofiles.h"

#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace
{

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr int kDpi = 200;

bool isRed(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) < 140 && qBlue(c) < 140;
}

} // namespace

class TestEnvelopePdf : public QObject
{
    Q_OBJECT
private slots:
    void addressAndSenderLabelOnPaper();
};

void TestEnvelopePdf::addressAndSenderLabelOnPaper()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
        QStandardPaths::findExecutable("pdftoppm").isEmpty())
        QSKIP("poppler-utils missing");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("enveloppe.pdf");
    QtPrinterSurface surface;
    surface.setOutputFile(pdf);

    AppState state;
    SenderProfile& s = state.sender;
    s = jeanDupont(s, "DejaVu Sans", 8.5, 255 /* red */, "France");
    s.FrameWidth = 60;
    s.FrameHeight = 25;
    s.MarginLeft = 20;
    s.MarginTop = 10;
    AffichExpediteur(s);
    state.print.FontName = "DejaVu Sans";
    state.print.FontSize = 12;
    state.address.BlocAdresse =
        "Durand Marie\r\nAteliers Lebrun\r\n12 rue des Lilas\r\n\r\n69003 Lyon\r\nFrance";
    const EnvelopeFormat format = envelopeFormat(EnvelopeFormatId::F220x110);
    state.label.PosX = format.PosX;
    state.label.PosY = format.PosY;

    ScriptedDialogs dialogs;
    dialogs.expectMessage("Confirmer l'impression de l'adresse \ret de l étiquette expéditeur ?",
                          vbYesNo + vbQuestion, "Impression de l'adresse sur enveloppe", vbYes);
    Services services;
    services.dialogs = &dialogs;
    services.printer = &surface;
    printEnvelopeCommand(state, services, EnvelopeContent::AddressAndSender);
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));

    QCOMPARE(pdfInfo(pdf).pages, 1);
    const QList<QStringList> pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages.first(), (QStringList{"Jean Dupont", "12 rue des Roses", "75011 Paris", "France",
                                         "Durand Marie", "Ateliers Lebrun", "12 rue des Lilas",
                                         "69003 Lyon", "France"}));

    // Positions from the top-left corner of the printable area.
    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFormat(QPrinter::PdfFormat);
    const QRectF printable = reference.pageLayout().paintRect(QPageLayout::Point);
    const QRectF sender = pdfWordBox(pdf, "Jean");
    QVERIFY(!sender.isNull());
    QVERIFY2(std::abs(sender.left() - (printable.left() + 22 * kPointsPerMm)) < 1.5,
             qPrintable(QString::number(sender.left())));
    const QRectF address = pdfWordBox(pdf, "Durand");
    QVERIFY(!address.isNull());
    QVERIFY2(std::abs(address.left() - (printable.left() + 100 * kPointsPerMm)) < 1.5,
             qPrintable(QString::number(address.left())));
    // The first address line one line below 45 mm: a 12-point line is 4 to 6 mm high.
    const double below = (address.top() - printable.top()) / kPointsPerMm - 45;
    QVERIFY2(below > 3 && below < 7, qPrintable(QString::number(below)));

    // The frame's pixels, red, where the profile puts them; white a few millimetres away.
    runTool("pdftoppm",
            {"-r", QString::number(kDpi), "-png", "-singlefile", pdf, dir.filePath("page")});
    QImage page(dir.filePath("page.png"));
    QVERIFY(!page.isNull());
    const double pxPerMm = kDpi / 25.4;
    const QPointF origin = printable.topLeft() / 72.0 * kDpi;
    auto pixel = [&](double xMm, double yMm) {
        return QPoint(qRound(origin.x() + xMm * pxPerMm), qRound(origin.y() + yMm * pxPerMm));
    };
    auto redNear = [&](double xMm, double yMm) {
        const QPoint p = pixel(xMm, yMm);
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                if (page.valid(p.x() + dx, p.y() + dy) && isRed(page.pixel(p.x() + dx, p.y() + dy)))
                    return true;
        return false;
    };
    const struct {
        double x, y;
        bool red;
    } probes[] = {
        {50, 10, true},  {80, 22.5, true},  {50, 35, true},  {20, 22.5, true},  // the four sides
        {50, 5, false},  {85, 22.5, false}, {50, 40, false}, {15, 22.5, false}, // outside
        {75, 30, false},                                                        // inside
    };
    for (const auto& probe : probes)
        QVERIFY2(redNear(probe.x, probe.y) == probe.red,
                 qPrintable(QStringLiteral("%1 mm, %2 mm").arg(probe.x).arg(probe.y)));
}

QTEST_MAIN(TestEnvelopePdf)
#include "tst_envelopepdf.moc"
