// The page rules every surface shares (the preview's surface stands for the printer's): placed
// text keeps to its page and what falls off the paper is cut; a page break only when text flows
// past the end or the caller asks; each document from the first state. And
// the user's options file as the orientation switch rewrites it.

#include "datacolumns.h"
#include "printer/cupsprintersettings.h"
#include "printer/previewsurface.h"

#include <QGuiApplication>
#include <QTest>

namespace
{

// The paper's bottom edge of the surface's open document, mm from the printable corner.
double paperBottom(const PreviewSurface& s)
{
    return s.paperRect().bottom();
}

QStringList texts(const PrintedPage& page)
{
    QStringList out;
    for (const PrintedItem& item : page.items)
        if (item.kind == PrintedItem::Text)
            out << item.text;
    return out;
}

} // namespace

class TestPagedSurface : public QObject
{
    Q_OBJECT
private slots:
    void placedTextStaysOnItsPageAndIsCut();
    void linesAreCutAtThePapersEdge();
    void pageBreaksOnlyWhenTextFlowsOrWhenAsked();
    void eachDocumentStartsFromTheFirstState();
    void optionsFileKeepsAllButThatOrientation_data();
    void optionsFileKeepsAllButThatOrientation();
    void mediaNames_data();
    void mediaNames();
};

void TestPagedSurface::placedTextStaysOnItsPageAndIsCut()
{
    PreviewSurface s;
    s.setScaleMode(PrinterSurface::Millimetres);
    s.print(QStringLiteral("Haut"));
    const double bottom = paperBottom(s);
    const double line = s.textHeight(QStringLiteral("x"));
    // Across the edge: drawn, cut there by whatever paints the page. Below it: not drawn.
    s.setCurrentX(10);
    s.setCurrentY(bottom - line / 2);
    s.print(QStringLiteral("Coupée\r\nDessous"));
    s.setCurrentY(bottom + 5);
    s.print(QStringLiteral("Hors"));
    s.setCurrentX(300);
    s.setCurrentY(20);
    s.print(QStringLiteral("Droite"));
    QCOMPARE(s.pageCount(), 1);
    s.endDoc();
    QCOMPARE(s.pages().size(), size_t(1));
    QCOMPARE(texts(s.pages()[0]), (QStringList{"Haut", "Coupée"}));
}

void TestPagedSurface::linesAreCutAtThePapersEdge()
{
    PreviewSurface s;
    s.setScaleMode(PrinterSurface::Millimetres);
    s.line(10, 100, 10, 1000, 0);
    const QRectF paper = s.paperRect();
    s.line(paper.right() + 1, 0, paper.right() + 50, 50, 0); // beside the sheet
    s.line(-50, 20, 50, 20, 0);
    s.line(30, 30, 40, 40, 0);
    s.endDoc();
    const std::vector<PrintedItem>& items = s.pages()[0].items;
    QCOMPARE(items.size(), size_t(3));
    QCOMPARE(items[0].at, QPointF(10, 100));
    QCOMPARE(items[0].to, QPointF(10, paper.bottom()));
    QCOMPARE(items[1].at, QPointF(paper.left(), 20));
    QCOMPARE(items[1].to, QPointF(50, 20));
    QCOMPARE(items[2].to, QPointF(40, 40));
}

void TestPagedSurface::pageBreaksOnlyWhenTextFlowsOrWhenAsked()
{
    PreviewSurface s;
    s.setScaleMode(PrinterSurface::Millimetres);
    const double line = s.textHeight(QStringLiteral("x"));
    s.print(QString());
    const double page = s.printableHeight();
    s.setCurrentY(page - line / 2); // the line does not fit, but it was placed there
    s.print(QStringLiteral("Placée"));
    QCOMPARE(s.pageCount(), 1);
    s.print(QStringLiteral("Suivante")); // flows on: a new page
    QCOMPARE(s.pageCount(), 2);
    QCOMPARE(s.currentY(), line);
    s.newPage();
    QCOMPARE(s.pageCount(), 3);
    QCOMPARE(s.currentY(), 0.0);
    s.print(QStringLiteral("Troisième"));
    s.endDoc();
    QCOMPARE(s.pages().size(), size_t(3));
    QCOMPARE(texts(s.pages()[2]), QStringList{"Troisième"});

    // Asked for with no document open: the document's first page.
    s.newPage();
    QCOMPARE(s.pageCount(), 1);
    s.killDoc();
}

void TestPagedSurface::eachDocumentStartsFromTheFirstState()
{
    PreviewSurface s;
    const double twipsLine = s.textHeight(QStringLiteral("x"));
    s.print(QStringLiteral("Premier"));
    const PrintedItem first = s.pages()[0].items[0];
    s.endDoc();

    s.setScaleMode(PrinterSurface::Millimetres);
    s.setFontName(QStringLiteral("DejaVu Serif"));
    s.setFontSize(8);
    s.setFontBold(true);
    s.setFontItalic(true);
    s.setForeColor(0x0000FF);
    s.setDrawStyle(PrinterSurface::DashDot);
    s.setPaper(PaperRequest{QPageSize(QPageSize::A5), std::nullopt});
    s.setCurrentY(40);
    s.print(QStringLiteral("Calibration"));
    s.killDoc(); // dropped documents too
    QVERIFY(!s.paper());
    QCOMPARE(s.scaleMode(), int(PrinterSurface::Twips));
    QCOMPARE(s.textHeight(QStringLiteral("x")), twipsLine);

    s.print(QStringLiteral("Premier"));
    s.line(0, 0, 100, 0, 0);
    s.endDoc();
    const PrintedPage& again = s.pages()[1];
    QCOMPARE(again.items[0].font, first.font);
    QCOMPARE(again.items[0].at, first.at);
    QCOMPARE(again.items[0].colorRef, first.colorRef);
    QCOMPARE(again.items[1].drawStyle, int(PrinterSurface::Solid));
    QCOMPARE(s.layout().pageSize().id(), QPageSize::A4);
}

void TestPagedSurface::optionsFileKeepsAllButThatOrientation_data()
{
    addColumns<QByteArray, int, QByteArray>("before", "orientation", "after");
    QTest::newRow("no file") << QByteArray() << 2
                             << QByteArray("Dest Brother orientation-requested=4\n");
    QTest::newRow("other printers and a default kept")
        << QByteArray("Default Canon\nDest HP media=A4\n") << 1
        << QByteArray("Default Canon\nDest HP media=A4\nDest Brother orientation-requested=3\n");
    QTest::newRow("last line without its end")
        << QByteArray("Dest HP media=A4") << 2
        << QByteArray("Dest HP media=A4\nDest Brother orientation-requested=4\n");
    QTest::newRow("its own Default line, name in another case, CR LF kept")
        << QByteArray("Default brother sides=one-sided orientation-requested=3\r\n# fin\r\n") << 2
        << QByteArray("Default brother sides=one-sided orientation-requested=4\r\n# fin\r\n");
    QTest::newRow("quoted values and the landscape alias")
        << QByteArray("Dest Brother job-sheets=\"none, none\" landscape nolandscape "
                      "Landscape=true cpi=12\n")
        << 1
        << QByteArray("Dest Brother job-sheets=\"none, none\" cpi=12 orientation-requested=3\n");
    QTest::newRow("an instance is another printer")
        << QByteArray("Dest Brother/brouillon orientation-requested=4\n") << 1
        << QByteArray("Dest Brother/brouillon orientation-requested=4\n"
                      "Dest Brother orientation-requested=3\n");
}

void TestPagedSurface::optionsFileKeepsAllButThatOrientation()
{
    QFETCH(QByteArray, before);
    QFETCH(int, orientation);
    QFETCH(QByteArray, after);
    QCOMPARE(CupsPrinterSettings::withOrientation(before, QStringLiteral("Brother"), orientation),
             after);
}

void TestPagedSurface::mediaNames_data()
{
    QTest::addColumn<QByteArray>("media");
    QTest::addColumn<int>("id"); // QPageSize::PageSizeId, -1 for none
    QTest::newRow("PWG") << QByteArray("na_letter_8.5x11in") << int(QPageSize::Letter);
    QTest::newRow("legacy") << QByteArray("Letter") << int(QPageSize::Letter);
    QTest::newRow("PPD") << QByteArray("A4") << int(QPageSize::A4);
    QTest::newRow("first of a list") << QByteArray("iso_a5_148x210mm,tray-1") << int(QPageSize::A5);
    QTest::newRow("unknown") << QByteArray("papier-peint") << -1;
}

void TestPagedSurface::mediaNames()
{
    QFETCH(QByteArray, media);
    QFETCH(int, id);
    const std::optional<QPageSize> paper = CupsPrinterSettings::paperFromMedia(media);
    QCOMPARE(paper.has_value(), id >= 0);
    if (paper)
        QCOMPARE(int(paper->id()), id);
}

QTEST_MAIN(TestPagedSurface)
#include "tst_pagedsurface.moc"
