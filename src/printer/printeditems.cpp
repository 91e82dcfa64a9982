#include "printer/printeditems.h"

#include "platform/colorref.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPen>

namespace
{

double toDevice(double mm, double resolution)
{
    return mm * resolution / 25.4;
}

QPointF toDevice(const QPointF& mm, double resolution)
{
    return QPointF(toDevice(mm.x(), resolution), toDevice(mm.y(), resolution));
}

QPen linePen(const PrintedItem& item, double resolution)
{
    QPen pen(colorFromRef(item.colorRef), toDevice(kPrintedLineWidth, resolution));
    pen.setCapStyle(Qt::FlatCap);
    switch (item.drawStyle) {
    case 1: // dash
        pen.setDashPattern({15, 7.5});
        break;
    case 2: // dot
        pen.setDashPattern({2.5, 5});
        break;
    case 3: // dash-dot
        pen.setDashPattern({15, 5, 2.5, 5});
        break;
    case 4: // dash-dot-dot
        pen.setDashPattern({15, 5, 2.5, 5, 2.5, 5});
        break;
    case 5: // invisible
        pen.setStyle(Qt::NoPen);
        break;
    default:
        pen.setStyle(Qt::SolidLine);
        break;
    }
    return pen;
}

} // namespace

void paintPrintedItem(QPainter& painter, const PrintedItem& item, double resolution)
{
    if (item.kind == PrintedItem::Line) {
        painter.setPen(linePen(item, resolution));
        painter.drawLine(toDevice(item.at, resolution), toDevice(item.to, resolution));
        return;
    }
    // A font's points are measured at the painter's device: on a device of another resolution
    // (a screen under a scaled painter) the size is converted so the glyphs keep their size in
    // the coordinates of `resolution`.
    QFont font = item.font;
    const int deviceDpi = painter.device() ? painter.device()->logicalDpiY() : 0;
    if (deviceDpi > 0 && deviceDpi != qRound(resolution))
        font.setPointSizeF(item.font.pointSizeF() * resolution / deviceDpi);
    if (painter.font() != font)
        painter.setFont(font);
    painter.setPen(colorFromRef(item.colorRef));
    painter.drawText(toDevice(item.at, resolution), item.text);
}

void paintPrintedPage(QPainter& painter, const PrintedPage& page, double resolution)
{
    for (const PrintedItem& item : page.items)
        paintPrintedItem(painter, item, resolution);
}

void paintPrintedPageScaled(QPainter& painter, const PrintedPage& page, double resolution,
                            const QPointF& corner, double pixelsPerMm, PrintedItems only)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(corner);
    const double scale = pixelsPerMm * 25.4 / resolution;
    painter.scale(scale, scale);
    for (const PrintedItem& item : page.items) {
        if ((only == PrintedItems::Texts && item.kind != PrintedItem::Text) ||
            (only == PrintedItems::Lines && item.kind != PrintedItem::Line))
            continue;
        paintPrintedItem(painter, item, resolution);
    }
    painter.restore();
}
