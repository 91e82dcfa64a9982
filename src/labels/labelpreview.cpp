#include "labels/labelpreview.h"

#include <QPainter>
#include <algorithm>

namespace
{

constexpr double kAround = 2;      // mm shown around the label and its text
constexpr double kHintScale = 3.2; // pixels per millimetre wanted
constexpr double kLeastScale = 1.6;

} // namespace

LabelPreview::LabelPreview(QWidget* parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void LabelPreview::showLabel(const QSizeF& size, const PrintedPage& page, double resolution,
                             const QRectF& extent)
{
    m_label = size;
    m_page = page;
    m_resolution = resolution;
    m_extent = extent;
    updateGeometry();
    update();
}

QRectF LabelPreview::shownArea() const
{
    QRectF area = QRectF(QPointF(0, 0), m_label).normalized();
    if (m_extent.isValid())
        area = area.united(m_extent);
    return area.adjusted(-kAround, -kAround, kAround, kAround);
}

double LabelPreview::pixelsPerMm() const
{
    const QRectF room = contentsRect();
    const QRectF area = shownArea();
    if (area.width() <= 0 || area.height() <= 0)
        return 1;
    return std::max(0.01, std::min(room.width() / area.width(), room.height() / area.height()));
}

QPointF LabelPreview::labelCorner() const
{
    const QRectF room = contentsRect();
    const QRectF area = shownArea();
    const double scale = pixelsPerMm();
    const QPointF spare((room.width() - area.width() * scale) / 2,
                        (room.height() - area.height() * scale) / 2);
    return room.topLeft() + spare - area.topLeft() * scale;
}

QSize LabelPreview::sizeHint() const
{
    const QRectF area = shownArea();
    const int frame = 2 * (frameWidth() + margin());
    return QSize(int(area.width() * kHintScale) + frame, int(area.height() * kHintScale) + frame);
}

QSize LabelPreview::minimumSizeHint() const
{
    const QRectF area = shownArea();
    const int frame = 2 * (frameWidth() + margin());
    return QSize(int(area.width() * kLeastScale) + frame, int(area.height() * kLeastScale) + frame);
}

void LabelPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    painter.setClipRect(contentsRect());
    const double scale = pixelsPerMm();
    const QPointF corner = labelCorner();
    // The label itself, white on the sheet's grey, with its edge.
    const QRectF label(corner, m_label * scale);
    painter.fillRect(contentsRect(), QColor(224, 224, 224));
    painter.fillRect(label.normalized(), Qt::white);
    painter.setPen(QPen(QColor(160, 160, 160), 1));
    painter.drawRect(label.normalized());
    paintPrintedPageScaled(painter, m_page, m_resolution, corner, scale);
}
