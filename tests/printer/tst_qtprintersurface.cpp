#include "app/application.h"
#include "core/appstate.h"
#include "core/services.h"
#include "datacolumns.h"
#include "memoryrecordform.h"
#include "output/recordsheet.h"
#include "pdftext.h"
#include "printer/qtprintersurface.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

namespace
{

constexpr double kPointsPerMm = 72.0 / 25.4;

// Printed lines as pdftotext gives them back: single spaces, no trailing space, empty lines
// invisible.
QStringList visibleLines(const QStringList& lines)
{
    QStringList out;
    for (const QString& line : lines) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            out << simple;
    }
    return out;
}

// Line height and printable height (mm) of the surface's documents, measured on a document
// that is then dropped.
std::pair<double, double> measure(QtPrinterSurface& surface)
{
    const int scale = surface.scaleMode();
    surface.setScaleMode(PrinterSurface::Millimetres);
    surface.print(QString());
    const double line = surface.textHeight(QStringLiteral("x"));
    const double page = surface.printableHeight();
    surface.killDoc();
    surface.setScaleMode(scale);
    return {line, page};
}

} // namespace

class TestQtPrinterSurface : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void sixtyRecordsOverSeveralPages();
    void textAtThePositionInEitherScale_data();
    void textAtThePositionInEitherScale();
    void fontsKeepTheirPointSize_data();
    void fontsKeepTheirPointSize();
    void textHeightCountsLineBreaks_data();
    void textHeightCountsLineBreaks();
    void printMovesDownOneLinePerLine_data();
    void printMovesDownOneLinePerLine();
    void newPageOnlyWhenTheLineDoesNotFit();
    void killDocDropsTheDocument();
    void endDocWithoutDocumentSendsNothing();
    void positionStartsAgainAfterEachDocument();
    void printSetupChoosesPrintToFile();

private:
    QTemporaryDir m_dir;
    QString m_pdf;
};

void TestQtPrinterSurface::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(installFrenchTranslations(*QCoreApplication::instance()),
             "Qt's French translations are missing");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QFAIL("pdftotext (poppler-utils) is not installed");
}

void TestQtPrinterSurface::init()
{
    static int n = 0;
    m_pdf = m_dir.filePath(QStringLiteral("out%1.pdf").arg(++n));
}

void TestQtPrinterSurface::sixtyRecordsOverSeveralPages()
{
    QtPrinterSurface surface;
    surface.setOutputFile(m_pdf);
    const auto [line, page] = measure(surface);
    QVERIFY(line > 0 && page > line);
    const int perPage = int(std::floor(page / line + 1e-9));

    MemoryRecordForm form(frenchRecords(60));
    form.sortList();
    QStringList printed;
    for (int record : form.listOrder)
        printed += sheetBlockOf(form.records[size_t(record)]);
    QCOMPARE(printed.size(), 780);

    AppState state;
    ScriptedDialogs dialogs;
    Services services;
    services.dialogs = &dialogs;
    services.printer = &surface;
    dialogs.expectMessage(QStringLiteral("Imprimer l'état du fichier ?\r          Confirmez"), 292,
                          QStringLiteral("Impression de toutes les fiches"), vbYes);
    int refreshed = 0;
    QVERIFY(printAllRecordSheets(services, form, [&] { ++refreshed; }));
    QCOMPARE(refreshed, 1);

    const int expectedPages = (780 + perPage - 1) / perPage;
    QVERIFY(expectedPages > 1);
    QCOMPARE(pdfInfo(m_pdf).pages, expectedPages);
    const QList<QStringList> pages = pdfPages(m_pdf);
    QCOMPARE(pages.size(), expectedPages);
    for (int p = 0; p < expectedPages; ++p)
        QCOMPARE(pages[p], visibleLines(printed.mid(p * perPage, perPage)));
}

void TestQtPrinterSurface::textAtThePositionInEitherScale_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<double>("unit"); // millimetres per unit
    QTest::newRow("millimetres") << int(PrinterSurface::Millimetres) << 1.0;
    QTest::newRow("twips") << int(PrinterSurface::Twips) << 25.4 / 1440.0;
}

void TestQtPrinterSurface::textAtThePositionInEitherScale()
{
    QFETCH(int, scale);
    QFETCH(double, unit);
    QtPrinterSurface surface;
    surface.setOutputFile(m_pdf);
    surface.setScaleMode(scale);
    surface.setFontName(QStringLiteral("DejaVu Sans"));
    surface.setFontSize(12);
    surface.setCurrentX(20 / unit);
    surface.setCurrentY(30 / unit);
    surface.print(QStringLiteral("Repère"));
    QCOMPARE(surface.currentX(), 0.0);
    surface.setCurrentX(70 / unit);
    surface.setCurrentY(130 / unit);
    surface.print(QStringLiteral("Second"));
    surface.endDoc();

    const QRectF first = pdfWordBox(m_pdf, QStringLiteral("Repère"));
    const QRectF second = pdfWordBox(m_pdf, QStringLiteral("Second"));
    QVERIFY(!first.isNull() && !second.isNull());
    // 50 mm right and 100 mm down between the two words.
    QVERIFY2(std::abs(second.left() - first.left() - 50 * kPointsPerMm) < 0.5,
             qPrintable(QStringLiteral("x step %1 pt").arg(second.left() - first.left())));
    QVERIFY2(std::abs(second.top() - first.top() - 100 * kPointsPerMm) < 0.5,
             qPrintable(QStringLiteral("y step %1 pt").arg(second.top() - first.top())));

    // Measured from the top-left corner of the printable area: the text's top, not its
    // baseline, is at the position.
    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFormat(QPrinter::PdfFormat);
    const QRectF printable = reference.pageLayout().paintRect(QPageLayout::Point);
    QVERIFY2(std::abs(first.left() - (printable.left() + 20 * kPointsPerMm)) < 1.5,
             qPrintable(QStringLiteral("left %1 pt").arg(first.left())));
    QVERIFY2(std::abs(first.top() - (printable.top() + 30 * kPointsPerMm)) < 3,
             qPrintable(QStringLiteral("top %1 pt").arg(first.top())));
}

void TestQtPrinterSurface::fontsKeepTheirPointSize_data()
{
    addColumns<int, double>("scale", "points");
    QTest::newRow("20 pt in twips") << int(PrinterSurface::Twips) << 20.0;
    QTest::newRow("20 pt in millimetres") << int(PrinterSurface::Millimetres) << 20.0;
    QTest::newRow("8 pt in millimetres") << int(PrinterSurface::Millimetres) << 8.0;
}

void TestQtPrinterSurface::fontsKeepTheirPointSize()
{
    QFETCH(int, scale);
    QFETCH(double, points);
    QtPrinterSurface surface;
    surface.setOutputFile(m_pdf);
    surface.setScaleMode(scale);
    surface.setFontName(QStringLiteral("DejaVu Sans"));
    surface.setFontSize(points);
    const double unitMm = scale == PrinterSurface::Millimetres ? 1.0 : 25.4 / 1440.0;
    // One line of a font is a little more than its size.
    const double lineMm = surface.textHeight(QStringLiteral("Hg")) * unitMm;
    const double sizeMm = points / kPointsPerMm;
    QVERIFY2(lineMm > sizeMm && lineMm < 1.5 * sizeMm,
             qPrintable(QStringLiteral("line %1 mm for %2 pt").arg(lineMm).arg(points)));

    surface.print(QStringLiteral("Hauteur"));
    surface.endDoc();
    const QRectF box = pdfWordBox(m_pdf, QStringLiteral("Hauteur"));
    QVERIFY(!box.isNull());
    QVERIFY2(box.height() > 0.9 * points && box.height() < 1.4 * points,
             qPrintable(QStringLiteral("word %1 pt high for %2 pt").arg(box.height()).arg(points)));
}

void TestQtPrinterSurface::textHeightCountsLineBreaks_data()
{
    addColumns<QString, int>("text", "lines");
    QTest::newRow("empty") << QString() << 1;
    QTest::newRow("word") << QStringLiteral("Durand") << 1;
    QTest::newRow("ending in CR") << QStringLiteral("Durand Marie\r") << 2;
    QTest::newRow("ending in CR LF") << QStringLiteral("Durand Marie\r\n") << 2;
    QTest::newRow("CR LF inside") << QStringLiteral("a\r\nb") << 2;
    QTest::newRow("two CR") << QStringLiteral("a\rb\r") << 3;
    QTest::newRow("LF") << QStringLiteral("\n") << 2;
}

void TestQtPrinterSurface::textHeightCountsLineBreaks()
{
    QFETCH(QString, text);
    QFETCH(int, lines);
    QtPrinterSurface surface;
    surface.setScaleMode(PrinterSurface::Millimetres);
    const double one = surface.textHeight(QStringLiteral("x"));
    QVERIFY(one > 0);
    QCOMPARE(surface.textHeight(text), lines * one);
    QVERIFY(!surface.documentOpen()); // measuring opens no document
}

void TestQtPrinterSurface::printMovesDownOneLinePerLine_data()
{
    addColumns<QString, int>("text", "lines");
    QTest::newRow("empty line") << QString() << 1;
    QTest::newRow("text") << QStringLiteral("Rue des Écoles") << 1;
    QTest::newRow("line ending in CR") << QStringLiteral("Rue des Écoles\r") << 1;
    QTest::newRow("two lines") << QStringLiteral("Rue\r\nVille") << 2;
}

void TestQtPrinterSurface::printMovesDownOneLinePerLine()
{
    QFETCH(QString, text);
    QFETCH(int, lines);
    QtPrinterSurface surface;
    surface.setOutputFile(m_pdf);
    surface.setScaleMode(PrinterSurface::Millimetres);
    const double one = surface.textHeight(QStringLiteral("x"));
    surface.setCurrentX(40);
    surface.setCurrentY(10);
    surface.print(text);
    QCOMPARE(surface.currentX(), 0.0);
    QVERIFY(std::abs(surface.currentY() - (10 + lines * one)) < 1e-6);
    surface.endDoc();
    const QStringList printed =
        text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")), Qt::SkipEmptyParts);
    QCOMPARE(pdfPages(m_pdf).value(0), printed); // no line-break character is drawn
    // Each printed line one line below the one before, wherever the face puts its glyph boxes.
    for (int i = 1; i < printed.size(); ++i) {
        const QRectF above = pdfWordBox(m_pdf, printed[i - 1].section(QLatin1Char(' '), 0, 0));
        const QRectF below = pdfWordBox(m_pdf, printed[i].section(QLatin1Char(' '), 0, 0));
        QVERIFY(!above.isNull() && !below.isNull());
        QVERIFY2(std::abs(below.bottom() - above.bottom() - one * kPointsPerMm) < 0.5,
                 qPrintable(QStringLiteral("%1 pt apart").arg(below.bottom() - above.bottom())));
    }
}

void TestQtPrinterSurface::newPageOnlyWhenTheLineDoesNotFit()
{
    QtPrinterSurface surface;
    surface.setOutputFile(m_pdf);
    surface.setScaleMode(PrinterSurface::Millimetres);
    const auto [line, page] = measure(surface);

    surface.setCurrentY(page - line); // the last line that fits
    surface.print(QStringLiteral("Dernière"));
    QCOMPARE(surface.pageCount(), 1);
    surface.print(QStringLiteral("Suivante")); // would not fit: top of a new page
    QCOMPARE(surface.pageCount(), 2);
    QVERIFY(std::abs(surface.currentY() - line) < 1e-6);
    surface.endDoc();
    const QList<QStringList> pages = pdfPages(m_pdf);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages[0], QStringList{QStringLiteral("Dernière")});
    QCOMPARE(pages[1], QStringList{QStringLiteral("Suivante")});
}

void TestQtPrinterSurface::killDocDropsTheDocument()
{
    QtPrinterSurface surface;
    surface.setOutputFile(m_pdf);
    surface.print(QStringLiteral("Abandonné"));
    surface.line(0, 0, 1000, 1000, 0);
    surface.killDoc();
    QVERIFY(!surface.documentOpen());
    QVERIFY(!QFile::exists(m_pdf));

    surface.print(QStringLiteral("Imprimé"));
    surface.endDoc();
    QCOMPARE(pdfPages(m_pdf), (QList<QStringList>{{QStringLiteral("Imprimé")}}));
}

void TestQtPrinterSurface::endDocWithoutDocumentSendsNothing()
{
    QtPrinterSurface surface;
    surface.setOutputFile(m_pdf);
    surface.setFontSize(14);
    surface.textHeight(QStringLiteral("x"));
    surface.endDoc();
    surface.killDoc();
    QVERIFY(!QFile::exists(m_pdf));
}

void TestQtPrinterSurface::positionStartsAgainAfterEachDocument()
{
    QtPrinterSurface surface;
    surface.setOutputFile(m_pdf);
    surface.setScaleMode(PrinterSurface::Millimetres);
    surface.setDrawStyle(PrinterSurface::DashDot);
    surface.line(5, 5, 95, 5, 0x0000FF);
    surface.setCurrentX(50);
    surface.print(QStringLiteral("Premier"));
    surface.endDoc();
    QCOMPARE(surface.currentX(), 0.0);
    QCOMPARE(surface.currentY(), 0.0);
    // The next document starts from the first state again: what one print set (scale, line
    // style) is not left to the next.
    QCOMPARE(surface.scaleMode(), int(PrinterSurface::Twips));
    surface.print(QStringLiteral("Second"));
    surface.endDoc();
    QCOMPARE(pdfPages(m_pdf), (QList<QStringList>{{QStringLiteral("Second")}}));
}

void TestQtPrinterSurface::printSetupChoosesPrintToFile()
{
    QtPrinterSurface surface;
    const QString chosen = m_dir.filePath(QStringLiteral("choisi.pdf"));
    QString title;
    QStringList buttons;
    bool answered = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        for (auto* b : dialog->findChildren<QPushButton*>())
            buttons << b->text();
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        if (printers && file) {
            printers->setCurrentIndex(printers->count() - 1); // print to file (PDF)
            file->setText(chosen);
            answered = true;
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
    QVERIFY(surface.showPrintSetup());
    QVERIFY(answered);
    QCOMPARE(title, QStringLiteral("Configuration de l'impression"));
    QVERIFY2(buttons.contains(QStringLiteral("Annuler")), qPrintable(buttons.join(", ")));
    QCOMPARE(surface.outputFile(), chosen);
    QCOMPARE(surface.deviceName(), QString()); // a file has no stored printer settings

    surface.print(QStringLiteral("Vers un fichier"));
    surface.endDoc();
    QCOMPARE(pdfPages(chosen), (QList<QStringList>{{QStringLiteral("Vers un fichier")}}));
}

QTEST_MAIN(TestQtPrinterSurface)
#include "tst_qtprintersurface.moc"
