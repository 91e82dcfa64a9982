// Printing through a real print server: a private cupsd with a test queue whose jobs land as
// files in a folder (scripts/cups-test-env.sh sets it up and names it in the environment).
// Without it the whole test reports itself skipped.

#include "cupsjobs.h"
#include "datacolumns.h"
#include "envelopes/envelopeprint.h"
#include "envelopes/senderprofile.h"
#include "fakerecordform.h"
#include "labels/addressblock.h"
#include "labels/labelsheet.h"
#include "labels/printparamsfile.h"
#include "memoryrecordform.h"
#include "output/recordsheet.h"
#include "printer/calibrationpage.h"
#include "printer/orientationcommands.h"
#include "printer/orientationmarks.h"
#include "printer/orimp.h"
#include "printer/printeroffsets.h"

#include <QAction>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

namespace
{

// Pixels of page 1 of `pdf` (rendered in colour) whose colour is clearly not a grey.
int colouredPixels(const QString& pdf)
{
    const QString png = pdf + QStringLiteral("-page");
    if (!runTool(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdf, png}))
        return -1;
    const QImage page(png + QStringLiteral(".png"));
    int count = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) -
                    std::min({c.red(), c.green(), c.blue()}) >
                60)
                ++count;
        }
    return count;
}

// Page 1 of `pdf` in grey levels, 10 pixels a millimetre.
QImage pageImage(const QString& pdf)
{
    const QString png = pdf + QStringLiteral("-grey");
    if (!runTool(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
                  QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, png}))
        return QImage();
    return QImage(png + QStringLiteral(".png"));
}

// Of the dark pixels of `before`, the share whose place moved by `shift` is not dark in
// `after`; -1 when there is nothing dark.
double unmatchedShare(const QImage& before, const QImage& after, const QPoint& shift)
{
    int dark = 0;
    int unmatched = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            if (qGray(before.pixel(x, y)) >= 128)
                continue;
            ++dark;
            const QPoint to = QPoint(x, y) + shift;
            bool found = false;
            // A pixel either way for the rounding of the shifted drawing.
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const QPoint p = to + QPoint(dx, dy);
                    found = after.valid(p) && qGray(after.pixel(p)) < 128;
                }
            unmatched += !found;
        }
    return dark == 0 ? -1 : double(unmatched) / dark;
}

using Fixture = CupsFixture;

} // namespace

class TestCupsPrinting : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testQueueIsTheCurrentPrinter();
    void recordSheetReachesTheQueue();
    void abandonedDocumentNeverReachesTheQueue();
    void orientationStoredForOtherClients_data();
    void orientationStoredForOtherClients();
    void orientationStoredByOtherClientsIsRead();
    void pagesFollowTheChosenOrientation_data();
    void pagesFollowTheChosenOrientation();
    void colourDocumentsAskForColour_data();
    void colourDocumentsAskForColour();
    void offsetMovesEveryPrintedItem_data();
    void offsetMovesEveryPrintedItem();
    void cleanupTestCase();
};

void TestCupsPrinting::initTestCase()
{
    // Everything this test stores goes into the private home folder, never the user's.
    QCOMPARE(qEnvironmentVariable("HOME"), qEnvironmentVariable("ELVARINE_TEST_HOME"));
    QVERIFY(QFileInfo(jobsFolder()).isDir());
}

void TestCupsPrinting::testQueueIsTheCurrentPrinter()
{
    Fixture f;
    QVERIFY(f.surface.printerNames().contains(queue()));
    QCOMPARE(f.surface.deviceName(), queue());
}

void TestCupsPrinting::recordSheetReachesTheQueue()
{
    Fixture f;
    MemoryRecordForm form({boxTexts(
        {"Dupré", "Hélène", "Ébénisterie Dupré", "3 place de l'Église", "", "25000", "Besançon"})});
    f.dialogs
        .expectMessage(QStringLiteral("Imprimer la fiche Dupré Hélène ?\r           Confirmez"),
                       292, QStringLiteral("Impression de la fiche en cours"), vbYes)
        .expectMessage(QStringLiteral("Imprimer une autre fiche à la suite ?\r         Confirmez"),
                       292, QStringLiteral("Impression d'une autre fiche"), vbNo);
    printCurrentRecordSheet(f.services, form);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(f.surface.lastJobId() > 0);

    const QString job = waitForJob(f.surface.lastJobId());
    QVERIFY2(!job.isEmpty(), "the job did not reach the queue's folder");
    QFile file(job);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    const QList<QStringList> pages = pdfPages(job);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].value(0), QStringLiteral("Nom : Dupré Prénom : Hélène"));
    QVERIFY(pages[0].contains(QStringLiteral("Code postal : 25000 Ville : Besançon")));
}

void TestCupsPrinting::abandonedDocumentNeverReachesTheQueue()
{
    Fixture f;
    const int before = jobFiles();
    f.surface.print(QStringLiteral("Abandonné"));
    f.surface.killDoc();
    const int abandonedJob = f.surface.lastJobId();

    // A document sent afterwards is the only one to arrive.
    f.surface.print(QStringLiteral("Envoyé"));
    f.surface.endDoc();
    QVERIFY(f.surface.lastJobId() != abandonedJob);
    const QString job = waitForJob(f.surface.lastJobId());
    QVERIFY(!job.isEmpty());
    QCOMPARE(jobFiles(), before + 1);
    QCOMPARE(pdfPages(job), (QList<QStringList>{{QStringLiteral("Envoyé")}}));
}

void TestCupsPrinting::orientationStoredForOtherClients_data()
{
    addColumns<int, QString, QString>("wanted", "stored", "status");
    QTest::newRow("landscape") << 2 << "orientation-requested=4"
                               << "En cours : Paysage";
    QTest::newRow("landscape again") << 2 << "orientation-requested=4"
                                     << "En cours : Paysage";
    QTest::newRow("portrait") << 1 << "orientation-requested=3"
                              << "En cours : Portrait";
}

void TestCupsPrinting::orientationStoredForOtherClients()
{
    QFETCH(int, wanted);
    QFETCH(QString, stored);
    QFETCH(QString, status);
    Fixture f;
    QAction port(QStringLiteral("Imprimante en mode Portrait"));
    QAction pays(QStringLiteral("Imprimante en mode Paysage"));
    QLabel label(QStringLiteral("En cours :"));

    const std::optional<int> read = changeOrientation(f.services, wanted);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(read, std::optional<int>(wanted));
    showOrientation(read, &port, &pays, &label);
    QCOMPARE(label.text(), status);
    QCOMPARE(port.isChecked(), wanted == 1);
    QCOMPARE(pays.isChecked(), wanted == 2);

    const QString options = lpoptions();
    QVERIFY2(options.contains(stored), qPrintable(options));
    QCOMPARE(f.settings.orientation(queue()), std::optional<int>(wanted));
    QCOMPARE(f.surface.orientation(), wanted);
}

void TestCupsPrinting::orientationStoredByOtherClientsIsRead()
{
    Fixture f;
    for (const auto& [value, orientation] : {std::pair{"4", 2}, std::pair{"3", 1}}) {
        QVERIFY(runTool(QStringLiteral("lpoptions"),
                        {QStringLiteral("-p"), queue(), QStringLiteral("-o"),
                         QStringLiteral("orientation-requested=%1").arg(QLatin1String(value))}));
        QCOMPARE(f.surface.orientation(), orientation);
        QAction port, pays;
        refreshOrientationMarks(f.services, &port, &pays);
        QCOMPARE(port.isChecked(), orientation == 1);
        QCOMPARE(pays.isChecked(), orientation == 2);
    }
}

void TestCupsPrinting::pagesFollowTheChosenOrientation_data()
{
    QTest::addColumn<int>("wanted");
    QTest::newRow("landscape") << 2;
    QTest::newRow("portrait") << 1;
}

void TestCupsPrinting::pagesFollowTheChosenOrientation()
{
    QFETCH(int, wanted);
    Fixture f;
    QVERIFY(changeOrientation(f.services, wanted).has_value());

    // A label as the label window draws it: millimetres, a cut outline, then its lines.
    f.surface.setScaleMode(PrinterSurface::Millimetres);
    f.surface.setDrawStyle(PrinterSurface::DashDot);
    f.surface.line(5, 0, 95, 0, 0);
    f.surface.line(95, 0, 95, 45, 0);
    f.surface.setFontName(QStringLiteral("DejaVu Sans"));
    f.surface.setFontSize(12);
    f.surface.setCurrentX(12);
    f.surface.setCurrentY(f.surface.textHeight(QStringLiteral("x\r")) / 2);
    f.surface.print(QStringLiteral("Madame Hélène Dupré\r"));
    f.surface.endDoc();

    const QString job = waitForJob(f.surface.lastJobId());
    QVERIFY2(!job.isEmpty(), "the job did not reach the queue's folder");
    const PdfInfo info = pdfInfo(job);
    QCOMPARE(info.pages, 1);
    QVERIFY2(wanted == 2 ? info.width > info.height : info.width < info.height,
             qPrintable(QStringLiteral("page %1 x %2 pt").arg(info.width).arg(info.height)));
    QCOMPARE(pdfPages(job), (QList<QStringList>{{QStringLiteral("Madame Hélène Dupré")}}));
}

void TestCupsPrinting::colourDocumentsAskForColour_data()
{
    addColumns<quint32, bool>("senderColor", "colour");
    QTest::newRow("red sender label") << quint32(0x0000FF) << true;
    QTest::newRow("black sender label") << quint32(0) << false;
}

void TestCupsPrinting::colourDocumentsAskForColour()
{
    // The test queue has no driver description, so Qt takes it for a grey-only printer: only
    // the job's own request makes a coloured sender label print in colour.
    QFETCH(quint32, senderColor);
    QFETCH(bool, colour);
    Fixture f;
    SenderProfile& sender = f.state.sender;
    sender = defaultSenderProfile();
    sender.Ligne1 = QStringLiteral("Jean Dupont");
    sender.Ligne2 = QStringLiteral("12 rue des Roses");
    sender.FontName = QStringLiteral("DejaVu Sans");
    sender.FontSize = 20;
    sender.FontBold = true;
    sender.TextColor = senderColor;
    AffichExpediteur(sender);
    printSenderLabel(f.state, f.services);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.surface.documentInColour(), colour);

    const QString job = waitForJob(f.surface.lastJobId());
    QVERIFY2(!job.isEmpty(), "the job did not reach the queue's folder");
    const QString options = jobOptions(f.surface.lastJobId());
    QVERIFY2(options.contains(QStringLiteral("media=")), qPrintable(options));
    QVERIFY2(options.contains(QStringLiteral("print-color-mode=color")) == colour,
             qPrintable(options));
    // The sender frame and text are in the sender's colour in the job itself.
    const int coloured = colouredPixels(job);
    QVERIFY2(colour ? coloured > 100 : coloured == 0, qPrintable(QString::number(coloured)));
    QCOMPARE(pdfPages(job), (QList<QStringList>{{QStringLiteral("Jean Dupont"),
                                                 QStringLiteral("12 rue des Roses")}}));
}

void TestCupsPrinting::offsetMovesEveryPrintedItem_data()
{
    addColumns<QString, bool>("printed", "moves");
    QTest::newRow("selected label, frame and cut outline") << "label" << true;
    QTest::newRow("envelope with its sender label") << "envelope" << true;
    QTest::newRow("calibration page") << "calibration" << true;
    QTest::newRow("record sheet") << "sheet" << false;
}

void TestCupsPrinting::offsetMovesEveryPrintedItem()
{
    // The same document printed on the test queue before and after an offset is stored for it
    // in the user's settings: every word and every line moves by the offset, or nothing moves.
    QFETCH(QString, printed);
    QFETCH(bool, moves);
    Fixture f;
    QTemporaryDir dir;
    SettingsPrinterOffsets offsets(dir.filePath(QStringLiteral("Elvarine.conf")));
    f.services.printerOffsets = &offsets;
    AppState& state = f.state;
    state.print = defaultPrintParams(QStringLiteral("DejaVu Sans"), 0);
    state.sender = defaultSenderProfile();
    state.sender.Ligne1 = QStringLiteral("Jean Dupont");
    state.sender.Ligne4 = QStringLiteral("75011 Paris");
    state.sender.FontName = QStringLiteral("DejaVu Sans");
    AffichExpediteur(state.sender);
    FakeRecordForm form;
    form.records << durand();
    form.selected = 0;
    ComposeAdresse(state.address, form);

    const auto print = [&]() -> QString {
        const int before = f.surface.lastJobId();
        if (printed == QLatin1String("label")) {
            state.label.ModeImpression = 0;
            state.label.NumEtiquette = 4;
            printLabels(state, f.services);
        } else if (printed == QLatin1String("envelope")) {
            state.label.PosX = 100;
            state.label.PosY = 45;
            printEnvelope(state, f.services, EnvelopeContent::AddressAndSender);
        } else if (printed == QLatin1String("calibration")) {
            printCalibrationPage(f.services, currentPrinterOffset(f.services));
        } else {
            printRecordSheet(f.surface, form);
            f.surface.endDoc();
        }
        return f.surface.lastJobId() == before ? QString() : waitForJob(f.surface.lastJobId());
    };
    const QString plain = print();
    QVERIFY(!plain.isEmpty());
    const PrinterOffset offset{3, -2};
    QVERIFY(offsets.store(queue(), offset));
    QCOMPARE(currentPrinterOffset(f.services), offset);
    const QString moved = print();
    QVERIFY(!moved.isEmpty());
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));

    // Every word, by its box (points).
    const double pt = 72 / 25.4;
    const QPointF shift = moves ? QPointF(offset.x, offset.y) * pt : QPointF();
    const QList<PdfWord> before = pdfWords(plain).value(0);
    const QList<PdfWord> after = pdfWords(moved).value(0);
    QVERIFY(before.size() > 3);
    QCOMPARE(after.size(), before.size());
    // The calibration page writes the offset it applies, on a line of its own.
    double appliedLine = -1;
    for (const PdfWord& w : before)
        if (w.text == QStringLiteral("appliqué"))
            appliedLine = w.box.top();
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (std::abs(before[i].box.top() - appliedLine) < 1)
            continue;

        QCOMPARE(after[i].text, before[i].text);
        const QPointF d = after[i].box.topLeft() - before[i].box.topLeft();
        QVERIFY2(
            std::abs(d.x() - shift.x()) < 0.1 && std::abs(d.y() - shift.y()) < 0.1,
            qPrintable(
                QStringLiteral("%1 moved by %2, %3 pt").arg(before[i].text).arg(d.x()).arg(d.y())));
    }
    // Every line and letter, by the page's pixels (10 a millimetre).
    const QImage a = pageImage(plain);
    const QImage b = pageImage(moved);
    QVERIFY(!a.isNull() && !b.isNull());
    const QPoint pixels = moves ? QPoint(30, -20) : QPoint();
    const double unmatched = unmatchedShare(a, b, pixels);
    QVERIFY2(unmatched >= 0 && unmatched < 0.01, qPrintable(QString::number(unmatched)));
}

void TestCupsPrinting::cleanupTestCase()
{
    // Leave the queue in portrait for whatever runs next.
    runTool(QStringLiteral("lpoptions"), {QStringLiteral("-p"), queue(), QStringLiteral("-o"),
                                          QStringLiteral("orientation-requested=3")});
}

int main(int argc, char** argv)
{
    return runWithPrintServer<TestCupsPrinting>(argc, argv);
}

#include "tst_cupsprinting.moc"
