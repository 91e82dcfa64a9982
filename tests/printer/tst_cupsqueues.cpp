// Printing on the private print server's other queues, as on real printers: the user's printer
// options left as they were but for the orientation of the printer switched, a queue whose paper
// is US Letter, a queue that refuses jobs, and labels, envelopes and sheets that keep to their
// pages. Without the server the whole test reports itself skipped.

#include "cupsjobs.h"
#include "envelopes/envelopeprint.h"
#include "fakerecordform.h"
#include "labels/addressblock.h"
#include "labels/labelsheet.h"
#include "labels/printparamsfile.h"
#include "memoryrecordform.h"
#include "output/recordsheet.h"
#include "printer/calibrationpage.h"
#include "printer/orientationcommands.h"
#include "printer/previewsurface.h"
#include "printingfixture.h"

#include <QTest>

namespace
{

constexpr double kPt = 72 / 25.4; // points per millimetre

QString letterQueue()
{
    return qEnvironmentVariable("ELVARINE_TEST_LETTER_QUEUE");
}

QString rejectQueue()
{
    return qEnvironmentVariable("ELVARINE_TEST_REJECT_QUEUE");
}

QString optionsPath()
{
    return qEnvironmentVariable("HOME") + QStringLiteral("/.cups/lpoptions");
}

QByteArray userOptions()
{
    QFile file(optionsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeUserOptions(const QByteArray& text)
{
    QDir().mkpath(QFileInfo(optionsPath()).absolutePath());
    QFile file(optionsPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// The printer `lpstat -d` names for this user.
QString userDefault()
{
    return toolOutput(QStringLiteral("lpstat"), {QStringLiteral("-d")})
        .section(QLatin1Char(':'), 1)
        .trimmed();
}

bool makeSystemDefault(const QString& printer)
{
    return runTool(QStringLiteral("lpadmin"), {QStringLiteral("-d"), printer});
}

// The PDF the queue got for the surface's last job.
QString lastJob(CupsFixture& f)
{
    return f.surface.lastJobId() > 0 ? waitForJob(f.surface.lastJobId()) : QString();
}

// The label state for label `number` of the built-in sheet, the block of Durand composed, in a
// print font large enough for the last lines of label 10 to fall off a landscape page.
void setUpLabels(AppState& state, int mode, int number, int count = 1)
{
    setUpLabelJob(state, mode, number, count);
    state.print.FontSize = 16;
    composeDurand(state.address);
}

// Every word of every page of `pdf`.
QStringList allWords(const QString& pdf)
{
    QStringList words;
    for (const QList<PdfWord>& page : pdfWords(pdf))
        for (const PdfWord& w : page)
            words << w.text;
    return words;
}

// Distance between the tops of the lines "Nom : ..." and "Société : ..." of a record sheet, pt.
double linePitch(const QString& pdf)
{
    const QRectF nom = pdfWordBox(pdf, QStringLiteral("Nom"));
    const QRectF societe = pdfWordBox(pdf, QStringLiteral("Société"));
    return nom.isNull() || societe.isNull() ? -1 : societe.top() - nom.top();
}

} // namespace

class TestCupsQueues : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void orientationChangesOnlyThatPrintersLine();
    void landscapeLabelsStayOnTheirPage();
    void letterQueueGetsLetterSheetsAndA4Labels();
    void calibrationPageLeavesNoFontBehind();
    void envelopeOnItsOwnPaper();
    void refusedJobsSayWhy();
};

void TestCupsQueues::initTestCase()
{
    QCOMPARE(qEnvironmentVariable("HOME"), qEnvironmentVariable("ELVARINE_TEST_HOME"));
    QVERIFY(!letterQueue().isEmpty());
    QVERIFY(!rejectQueue().isEmpty());
}

void TestCupsQueues::cleanup()
{
    // The next test, and the other print server tests, start from the server's own settings.
    makeSystemDefault(queue());
    QFile::remove(optionsPath());
}

void TestCupsQueues::orientationChangesOnlyThatPrintersLine()
{
    QFile::remove(optionsPath());
    CupsFixture f;
    QCOMPARE(f.surface.deviceName(), queue());

    // No options file yet: the switch writes the printer's orientation and nothing else, no
    // default printer.
    QCOMPARE(changeOrientation(f.services, 2), std::optional<int>(2));
    QCOMPARE(userOptions(), "Dest " + queue().toUtf8() + " orientation-requested=4\n");
    QVERIFY2(lpoptions().contains(QStringLiteral("orientation-requested=4")),
             qPrintable(lpoptions()));

    // The user makes another printer the system's default: every program, this one included,
    // now prints there.
    QVERIFY(makeSystemDefault(letterQueue()));
    QCOMPARE(userDefault(), letterQueue());
    QCOMPARE(f.surface.deviceName(), letterQueue());

    // A file of the user's own: the default it names and the other lines stay byte for byte.
    const QByteArray before = "# options de Marie\n"
                              "Default " +
                              letterQueue().toUtf8() +
                              " cpi=12\n"
                              "Dest " +
                              queue().toUtf8() +
                              "/brouillon number-up=2 orientation-requested=4\n"
                              "Dest " +
                              queue().toUtf8() + " landscape sides=two-sided-long-edge\n";
    writeUserOptions(before);
    CupsFixture g;
    QCOMPARE(g.surface.deviceName(), letterQueue());
    QCOMPARE(changeOrientation(g.services, 2), std::optional<int>(2));
    QVERIFY(g.surface.selectPrinter(queue()));
    QCOMPARE(changeOrientation(g.services, 1), std::optional<int>(1));
    const QByteArray after = "# options de Marie\n"
                             "Default " +
                             letterQueue().toUtf8() +
                             " cpi=12 orientation-requested=4\n"
                             "Dest " +
                             queue().toUtf8() +
                             "/brouillon number-up=2 orientation-requested=4\n"
                             "Dest " +
                             queue().toUtf8() +
                             " sides=two-sided-long-edge orientation-requested=3\n";
    QCOMPARE(userOptions(), after);
    QCOMPARE(userDefault(), letterQueue());
    // Other clients read what was stored.
    QVERIFY2(lpoptions(letterQueue()).contains(QStringLiteral("orientation-requested=4")),
             qPrintable(lpoptions(letterQueue())));
    QVERIFY2(lpoptions(queue()).contains(QStringLiteral("orientation-requested=3")),
             qPrintable(lpoptions(queue())));
    QVERIFY(f.dialogs.done() && g.dialogs.done());
}

void TestCupsQueues::landscapeLabelsStayOnTheirPage()
{
    CupsFixture f;
    QVERIFY(f.settings.store(queue(), 2));
    setUpLabels(f.state, 0, 10);
    QVERIFY(printLabels(f.state, f.services));
    const QString job = lastJob(f);
    QVERIFY2(!job.isEmpty(), "the job did not reach the queue's folder");

    // One landscape page; the lines of label 10 that start below its edge are not printed,
    // anywhere.
    const PdfInfo info = pdfInfo(job);
    QCOMPARE(info.pages, 1);
    QVERIFY(info.width > info.height);
    const QList<PdfWord> words = pdfWords(job).value(0);
    QVERIFY(!words.isEmpty());
    for (const PdfWord& w : words)
        QVERIFY2(w.box.top() < info.height, qPrintable(w.text));
    const QStringList printed = allWords(job);
    QVERIFY(printed.contains(QStringLiteral("Durand")));
    QVERIFY(!printed.contains(QStringLiteral("France")));

    // The job says it is landscape, once, and nothing else about it.
    const QString options = jobOptions(f.surface.lastJobId());
    QCOMPARE(options.count(QStringLiteral("orientation-requested=4")), 1);
    QVERIFY2(!options.contains(QStringLiteral("landscape")), qPrintable(options));

    // The same drawing seen by the preview: the frame and cut outline end at the paper's edge,
    // and ten identical labels make one page.
    AppState drawn = f.state;
    setUpLabels(drawn, 1, 0, 10);
    PreviewDocument preview(f.services, [&drawn](Services& s) {
        printLabels(drawn, s);
        return true;
    });
    preview.drawAll();
    QCOMPARE(preview.pageCount(), 1);
    const QPageLayout layout = preview.surface().layout();
    QCOMPARE(layout.orientation(), QPageLayout::Landscape);
    const double bottom = layout.fullRect(QPageLayout::Millimeter).height() -
                          layout.paintRect(QPageLayout::Millimeter).top();
    int lines = 0;
    for (const PrintedItem& item : preview.page(0).items) {
        if (item.kind == PrintedItem::Line) {
            ++lines;
            QVERIFY(item.at.y() <= bottom + 1e-6 && item.to.y() <= bottom + 1e-6);
        } else {
            QVERIFY(preview.surface().itemBounds(item).top() < bottom);
        }
    }
    QVERIFY(lines > 0);
    QVERIFY(f.dialogs.done());
}

void TestCupsQueues::letterQueueGetsLetterSheetsAndA4Labels()
{
    QVERIFY(makeSystemDefault(letterQueue()));
    CupsFixture f;
    QCOMPARE(f.surface.deviceName(), letterQueue());
    QCOMPARE(f.surface.pageLayout().pageSize().id(), QPageSize::Letter);

    // Six records' sheets run over two Letter pages, every line within them.
    std::vector<BoxTexts> records;
    for (int i = 0; i < 6; ++i)
        records.push_back(boxTexts({QStringLiteral("Nom%1").arg(i), "Zoé", "", "1 rue Haute"}));
    MemoryRecordForm form(records);
    printRecordSheets(f.surface, form, 0, form.listCount());
    f.surface.endDoc();
    const QString sheets = lastJob(f);
    QVERIFY(!sheets.isEmpty());
    QVERIFY2(jobOptions(f.surface.lastJobId()).contains(QStringLiteral("media=na_letter")),
             qPrintable(jobOptions(f.surface.lastJobId())));
    const PdfInfo info = pdfInfo(sheets);
    QCOMPARE(info.pages, 2);
    QVERIFY(std::abs(info.width - 612) < 0.5 && std::abs(info.height - 792) < 0.5);
    for (const QList<PdfWord>& page : pdfWords(sheets))
        for (const PdfWord& w : page)
            QVERIFY2(w.box.bottom() <= 279.4 * kPt, qPrintable(w.text));
    QVERIFY(allWords(sheets).contains(QStringLiteral("Nom5")));

    // Labels keep the A4 label sheet on the same printer.
    setUpLabels(f.state, 0, 1);
    QVERIFY(printLabels(f.state, f.services));
    const QString labels = lastJob(f);
    QVERIFY(!labels.isEmpty());
    QVERIFY(jobOptions(f.surface.lastJobId()).contains(QStringLiteral("media=iso_a4")));
    const PdfInfo a4 = pdfInfo(labels);
    QVERIFY(std::abs(a4.width - 595.3) < 0.5 && std::abs(a4.height - 841.9) < 0.5);
    QCOMPARE(labelPaperNotice(f.surface.pageLayoutFor(std::nullopt).pageSize()),
             QStringLiteral("Les étiquettes s'impriment sur une feuille A4 ; le papier de "
                            "l'imprimante est Letter / ANSI A."));
    QVERIFY(f.dialogs.done());
}

void TestCupsQueues::calibrationPageLeavesNoFontBehind()
{
    CupsFixture f;
    MemoryRecordForm form({boxTexts({"Moreau", "Zoé", "Ébénisterie Moreau"})});
    const auto printSheet = [&] {
        printRecordSheet(f.surface, form);
        f.surface.endDoc();
        return lastJob(f);
    };
    const QString alone = printSheet();
    QVERIFY(!alone.isEmpty());
    QVERIFY(printCalibrationPage(f.services, PrinterOffset{}));
    const QString calibration = lastJob(f);
    QVERIFY(allWords(calibration).contains(QStringLiteral("calibration")));
    const QString after = printSheet();
    QVERIFY(!after.isEmpty() && after != alone);

    const double pitch = linePitch(alone);
    QVERIFY(pitch > 0);
    QVERIFY2(std::abs(linePitch(after) - pitch) < 0.01,
             qPrintable(QStringLiteral("%1 pt after the calibration page, %2 pt alone")
                            .arg(linePitch(after))
                            .arg(pitch)));
    const QRectF before = pdfWordBox(alone, QStringLiteral("Moreau"));
    const QRectF now = pdfWordBox(after, QStringLiteral("Moreau"));
    QVERIFY(std::abs(before.height() - now.height()) < 0.01);
    QVERIFY(std::abs(before.top() - now.top()) < 0.01);
    QVERIFY(f.dialogs.done());
}

void TestCupsQueues::envelopeOnItsOwnPaper()
{
    // The same DL envelope on A4, then on its own paper: the address keeps its place from the
    // sheet's left and top edges.
    CupsFixture f;
    f.state.print = defaultPrintParams(QStringLiteral("DejaVu Sans"), 0);
    FakeRecordForm form;
    form.records << durand();
    form.selected = 0;
    ComposeAdresse(f.state.address, form);
    f.state.label.PosX = 100;
    f.state.label.PosY = 45;
    f.state.envelope = EnvelopePaper{false, 220, 110};
    printEnvelope(f.state, f.services, EnvelopeContent::AddressOnly);
    const QString onA4 = lastJob(f);
    QVERIFY(!onA4.isEmpty());
    QVERIFY(jobOptions(f.surface.lastJobId()).contains(QStringLiteral("media=iso_a4")));

    f.state.envelope.OwnSize = true;
    printEnvelope(f.state, f.services, EnvelopeContent::AddressOnly);
    const QString own = lastJob(f);
    QVERIFY(!own.isEmpty() && own != onA4);
    const QString options = jobOptions(f.surface.lastJobId());
    QVERIFY2(options.contains(QStringLiteral("media=iso_dl_110x220mm")), qPrintable(options));
    QCOMPARE(options.count(QStringLiteral("orientation-requested=4")), 1);
    const PdfInfo info = pdfInfo(own);
    QCOMPARE(info.pages, 1);
    QVERIFY2(std::abs(info.width - 220 * kPt) < 0.5 && std::abs(info.height - 110 * kPt) < 0.5,
             qPrintable(QStringLiteral("%1 x %2 pt").arg(info.width).arg(info.height)));
    for (const QString& word : {QStringLiteral("Durand"), QStringLiteral("Lyon")}) {
        const QRectF a = pdfWordBox(onA4, word);
        const QRectF b = pdfWordBox(own, word);
        QVERIFY(!a.isNull() && !b.isNull());
        QVERIFY2((a.topLeft() - b.topLeft()).manhattanLength() < 0.03,
                 qPrintable(QStringLiteral("%1 moved by %2, %3 pt")
                                .arg(word)
                                .arg(b.left() - a.left())
                                .arg(b.top() - a.top())));
    }
    QVERIFY(f.dialogs.done());
}

void TestCupsQueues::refusedJobsSayWhy()
{
    CupsFixture f;
    const int before = jobFiles();
    QVERIFY(f.surface.selectPrinter(rejectQueue()));
    const QString refused =
        QStringLiteral("L'imprimante %1 n'accepte pas de documents pour le moment : %2")
            .arg(rejectQueue(), qEnvironmentVariable("ELVARINE_TEST_REJECT_REASON"));

    // The record sheet says so at once, before asking whether another sheet follows.
    MemoryRecordForm form({boxTexts({"Moreau", "Zoé"})});
    f.dialogs
        .expectMessage(QStringLiteral("Imprimer la fiche Moreau Zoé ?\r           Confirmez"), 292,
                       QStringLiteral("Impression de la fiche en cours"), vbYes)
        .expectMessage(QStringLiteral("Erreur sur l'imprimante !\r") + refused, 16,
                       QStringLiteral("Erreur"));
    printCurrentRecordSheet(f.services, form);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(!f.surface.documentOpen());

    // A label, the same.
    setUpLabels(f.state, 0, 1);
    f.dialogs.expectMessage(QStringLiteral("Erreur d'impression !\r") + refused, 16,
                            QStringLiteral("Erreur"));
    QVERIFY(!printLabels(f.state, f.services));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));

    // A printer removed since it was chosen.
    const QString gone = QStringLiteral("ElvarineRetiree");
    QVERIFY(
        runTool(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), gone, QStringLiteral("-E"), QStringLiteral("-v"),
                 QStringLiteral("file:/dev/null"), QStringLiteral("-m"), QStringLiteral("raw")}));
    QVERIFY(f.surface.selectPrinter(gone));
    QVERIFY(runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), gone}));
    f.dialogs.expectMessage(
        QStringLiteral("Erreur d'impression !\rL'imprimante %1 n'est plus installée.").arg(gone),
        16, QStringLiteral("Erreur"));
    QVERIFY(!printLabels(f.state, f.services));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(jobFiles(), before);
}

int main(int argc, char** argv)
{
    return runWithPrintServer<TestCupsQueues>(argc, argv);
}

#include "tst_cupsqueues.moc"
