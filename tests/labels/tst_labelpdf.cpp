#include "../printer/pdftext.h"
#include "core/appstate.h"
#include "core/services.h"
#include "fakerecordform.h"
#include "labels/addressblock.h"
#include "labels/labelsheet.h"
#include "labels/printparamsfile.h"
#include "printer/qtprintersurface.h"
#include "printingfixture.h"
#include "scripteddialogs.h"

#include <QImage>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace
{

constexpr int kDpi = 200;

double pixelToMm(double px)
{
    return px * 25.4 / kDpi;
}

int mmToPixel(double mm)
{
    return int(std::floor(mm * kDpi / 25.4));
}

// Centres, in millimetres, of the runs of dark pixels along one row or one column.
QList<double> darkRuns(const QImage& image, bool row, int at)
{
    QList<double> centres;
    const int n = row ? image.width() : image.height();
    int start = -1;
    for (int i = 0; i <= n; ++i) {
        const bool dark = i < n && qGray(row ? image.pixel(i, at) : image.pixel(at, i)) < 128;
        if (dark && start < 0)
            start = i;
        if (!dark && start >= 0) {
            centres << pixelToMm((start + i) / 2.0);
            start = -1;
        }
    }
    return centres;
}

bool hasRunNear(const QList<double>& runs, double mm, double tolerance)
{
    for (double r : runs)
        if (std::abs(r - mm) <= tolerance)
            return true;
    return false;
}

QString describe(const QList<double>& runs)
{
    QStringList out;
    for (double r : runs)
        out << QString::number(r, 'f', 2);
    return out.join(QLatin1Char(' '));
}

} // namespace

// One label printed through the real printer surface into a PDF file, read back with poppler.
class TestLabelPdf : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void selectedLabelLandsOnItsPlace();
    void pageOfIdenticalLabels();

private:
    void printTo(const QString& pdf, int mode, int number, int count);
    QTemporaryDir m_dir;
    QPointF m_printable; // top-left corner of the printable area on the page, mm
};

void TestLabelPdf::initTestCase()
{
    for (const char* tool : {"pdftotext", "pdftoppm"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP("poppler-utils is not installed");
    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFormat(QPrinter::PdfFormat);
    m_printable = reference.pageLayout().paintRect(QPageLayout::Millimeter).topLeft();
}

void TestLabelPdf::printTo(const QString& pdf, int mode, int number, int count)
{
    AppState state;
    setUpLabelJob(state, mode, number, count);
    state.print.SepHorizontal = 5;
    state.print.SepVertical = 3;
    applyTitreCommand(state.address, TitreCommand::Monsieur);
    composeDurand(state.address);

    QtPrinterSurface surface;
    surface.setOutputFile(pdf);
    ScriptedDialogs dialogs;
    Services services;
    services.dialogs = &dialogs;
    services.printer = &surface;
    const PrintConfirmation c = labelPrintConfirmation(mode, count, number);
    dialogs.expectMessage(c.question, 36, c.title, vbYes);
    QVERIFY(printLabelCommand(state, services));
    QVERIFY2(dialogs.done(), qPrintable(dialogs.pending()));
}

void TestLabelPdf::selectedLabelLandsOnItsPlace()
{
    const QString pdf = m_dir.filePath(QStringLiteral("label4.pdf"));
    printTo(pdf, 0, 4, 8);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(pdfInfo(pdf).pages, 1);

    // Label 4 is the right one of the second row: corner (100, 48) mm with the separators.
    const double x = 100;
    const double y = 48;

    // The text, as laid out on the page: each line of the block, starting in the right half.
    const QString layout = toolOutput(QStringLiteral("pdftotext"),
                                      {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                       QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    QStringList lines;
    for (const QString& line : layout.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    QCOMPARE(lines, (QStringList{"M. Durand Marie", "Ateliers Lebrun", "12 rue des Lilas",
                                 "69003 Lyon", "France"}));
    const QRectF name = pdfWordBox(pdf, QStringLiteral("Durand"));
    const QRectF first = pdfWordBox(pdf, QStringLiteral("M."));
    const QRectF town = pdfWordBox(pdf, QStringLiteral("Lyon"));
    QVERIFY(!name.isNull() && !first.isNull() && !town.isNull());
    const double pt = 72 / 25.4;
    // 7 mm inside the label's left edge.
    QVERIFY2(std::abs(first.left() / pt - (m_printable.x() + x + 7)) < 0.5,
             qPrintable(QStringLiteral("text starts at %1 mm").arg(first.left() / pt)));
    // Line 1 one line down from the label's top, the town on line 5 (the empty line counts).
    const double lineMm = (town.top() - first.top()) / pt / 4;
    QVERIFY2(lineMm > 3.5 && lineMm < 4.5, qPrintable(QString::number(lineMm)));
    QVERIFY2(std::abs(first.top() / pt - (m_printable.y() + y + lineMm)) < 1.0,
             qPrintable(QStringLiteral("first line at %1 mm").arg(first.top() / pt)));

    // The frame and the cut outline where the geometry puts them.
    const QString png = m_dir.filePath(QStringLiteral("label4"));
    QVERIFY(runTool(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
                     QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, png}));
    QImage page(png + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    const double left = m_printable.x() + x;
    const double top = m_printable.y() + y;

    // Across the label below its text: frame sides at 2 mm inside each edge.
    const QList<double> across = darkRuns(page, true, mmToPixel(top + 40));
    QVERIFY2(hasRunNear(across, left + 2, 0.5), qPrintable(describe(across)));
    QVERIFY2(hasRunNear(across, left + 88, 0.5), qPrintable(describe(across)));
    for (double r : across)
        QVERIFY2(r < left + 2.5 || r > left + 87.5 || std::abs(r - left - 45) > 46,
                 qPrintable(describe(across)));
    // Down the middle of the label: the solid frame 2 mm inside the top and bottom edges, the
    // dash-dot cut outline on the edges (looked for over a few millimetres, past its gaps).
    const QList<double> down = darkRuns(page, false, mmToPixel(left + 60));
    for (double expected : {top + 2, top + 43})
        QVERIFY2(hasRunNear(down, expected, 0.5),
                 qPrintable(QStringLiteral("%1 not in %2").arg(expected).arg(describe(down))));
    for (double expected : {top, top + 45}) {
        bool found = false;
        for (double col = left + 50; col < left + 70 && !found; col += 0.5)
            found = hasRunNear(darkRuns(page, false, mmToPixel(col)), expected, 0.5);
        QVERIFY2(found, qPrintable(QStringLiteral("no cut edge at %1 mm").arg(expected)));
    }
    // The cut outline is dash-dot: broken along its length; the frame is solid.
    int dark = 0;
    int frameDark = 0;
    const int from = mmToPixel(top + 5);
    const int to = mmToPixel(top + 40);
    for (int row = from; row < to; ++row) {
        bool cut = false;
        bool frame = false;
        for (int dx = -2; dx <= 2; ++dx) {
            cut = cut || qGray(page.pixel(mmToPixel(left) + dx, row)) < 128;
            frame = frame || qGray(page.pixel(mmToPixel(left + 2) + dx, row)) < 128;
        }
        dark += cut;
        frameDark += frame;
    }
    const double cutShare = double(dark) / (to - from);
    QVERIFY2(cutShare > 0.3 && cutShare < 0.95, qPrintable(QString::number(cutShare)));
    QCOMPARE(frameDark, to - from);
    // Nothing of the label on the left half of its row.
    const QList<double> leftHalf = darkRuns(page, true, mmToPixel(top + 20));
    for (double r : leftHalf)
        QVERIFY2(r > left - 0.5, qPrintable(describe(leftHalf)));
}

void TestLabelPdf::pageOfIdenticalLabels()
{
    const QString pdf = m_dir.filePath(QStringLiteral("page.pdf"));
    printTo(pdf, 1, 0, 3);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(pdfInfo(pdf).pages, 1);
    const QList<QStringList> pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    // Two labels side by side in the first row, one in the second.
    const QString layout = toolOutput(QStringLiteral("pdftotext"),
                                      {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                       QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    QCOMPARE(layout.count(QStringLiteral("M. Durand Marie")), 3);
    QVERIFY(QRegularExpression(QStringLiteral("M\\. Durand Marie\\s{4,}M\\. Durand Marie"))
                .match(layout)
                .hasMatch());
}

QTEST_MAIN(TestLabelPdf)
#include "tst_labelpdf.moc"
