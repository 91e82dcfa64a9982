// Printing through a real print server: a private cupsd with a test queue whose jobs land as
// files in a folder (scripts/cups-test-env.sh sets it up and names it in the environment).
// Without it the whole test reports itself skipped.

#include "core/appstate.h"
#include "core/services.h"
#include "envelopes/envelopeprint.h"
#include "envelopes/senderprofile.h"
#include "memoryrecordform.h"
#include "output/recordsheet.h"
#include "pdftext.h"
#include "printer/cupsprintersettings.h"
#include "printer/orientationcommands.h"
#include "printer/orimp.h"
#include "printer/qtprintersurface.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace
{

QString queue()
{
    return qEnvironmentVariable("ELVARINE_TEST_QUEUE");
}

QString jobsFolder()
{
    return qEnvironmentVariable("ELVARINE_TEST_JOBS");
}

// The file the test backend wrote for job `id`, once it is complete; empty after `ms`.
QString waitForJob(int id, int ms = 15000)
{
    const QString path = QDir(jobsFolder()).filePath(QStringLiteral("job-%1.out").arg(id));
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (QFileInfo::exists(path))
            return path;
        QThread::msleep(50);
    }
    return QString();
}

int jobFiles()
{
    return int(QDir(jobsFolder()).entryList({QStringLiteral("job-*.out")}, QDir::Files).size());
}

// The options the queue's backend got with job `id` (written before the job's file).
QString jobOptions(int id)
{
    QFile file(QDir(jobsFolder()).filePath(QStringLiteral("job-%1.options").arg(id)));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

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

// `lpoptions -p QUEUE` as an outside client sees it.
QString lpoptions()
{
    return toolOutput(QStringLiteral("lpoptions"), {QStringLiteral("-p"), queue()});
}

struct Fixture {
    AppState state;
    ScriptedDialogs dialogs;
    CupsPrinterSettings settings;
    QtPrinterSurface surface{&settings};
    Services services;
    Fixture()
    {
        services.dialogs = &dialogs;
        services.printer = &surface;
        services.printerSettings = &settings;
    }
};

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
    Mnu_imprimFICHE(f.state, f.services, form);
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
    QTest::addColumn<int>("wanted");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("status");
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
    QVERIFY2(options.contains(QStringLiteral("sides=one-sided")), qPrintable(options));
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
    QTest::addColumn<quint32>("senderColor");
    QTest::addColumn<bool>("colour");
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

void TestCupsPrinting::cleanupTestCase()
{
    // Leave the queue in portrait for whatever runs next.
    runTool(QStringLiteral("lpoptions"), {QStringLiteral("-p"), queue(), QStringLiteral("-o"),
                                          QStringLiteral("orientation-requested=3")});
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("ELVARINE_TEST_QUEUE") ||
        qEnvironmentVariableIsEmpty("ELVARINE_TEST_JOBS") ||
        qEnvironmentVariableIsEmpty("ELVARINE_TEST_HOME") ||
        qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        std::fprintf(stderr, "SKIP: no test print server (run through scripts/cups-test-env.sh "
                             "as root); the CUPS printing tests are skipped\n");
        return 77;
    }
    // Before anything reads the print system's settings: the private home only.
    qputenv("HOME", qgetenv("ELVARINE_TEST_HOME"));
    QApplication app(argc, argv);
    if (!runTool(QStringLiteral("lpstat"), {QStringLiteral("-r")})) {
        std::fprintf(stderr, "SKIP: the test print server does not answer; the CUPS printing "
                             "tests are skipped\n");
        return 77;
    }
    TestCupsPrinting test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cupsprinting.moc"
