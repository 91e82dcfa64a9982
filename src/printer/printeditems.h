#pragma once

#include <QFont>
#include <QLineF>
#include <QPointF>
#include <QString>
#include <vector>

class QPainter;

// One thing a printer surface puts on a page, in millimetres from the top-left corner of the
// printable area: a text on its baseline, or a straight line. The printer paints each item as it
// comes; the preview keeps them page by page and paints them later, with the same painting code.
struct PrintedItem {
    enum Kind { Text, Line };
    Kind kind = Text;
    // Text: the left end of the baseline. Line: the start.
    QPointF at;
    // Line: the end.
    QPointF to;
    QString text;
    QFont font; // at its point size
    quint32 colorRef = 0;
    int drawStyle = 0; // PrinterSurface::DrawStyles and the other line styles
};

struct PrintedPage {
    std::vector<PrintedItem> items;
};

// Pen width of printed lines, mm.
constexpr double kPrintedLineWidth = 0.2;

// Paints `item` with `painter`, whose coordinates are device pixels of a device of `resolution`
// dots per inch with the origin at the printable area's corner (a printer's painter as it is,
// or any painter scaled to that). Fonts keep their size in points of that device.
void paintPrintedItem(QPainter& painter, const PrintedItem& item, double resolution);
void paintPrintedPage(QPainter& painter, const PrintedPage& page, double resolution);

// Paints the items of `page` at any scale: the printable area's corner at `corner` (pixels of
// `painter`), `pixelsPerMm` pixels per millimetre; `resolution` is the one the page was laid out
// at. With `only`, the items of that kind alone.
enum class PrintedItems { All, Texts, Lines };
void paintPrintedPageScaled(QPainter& painter, const PrintedPage& page, double resolution,
                            const QPointF& corner, double pixelsPerMm,
                            PrintedItems only = PrintedItems::All);
