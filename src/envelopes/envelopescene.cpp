#include "envelopes/envelopescene.h"

#include <algorithm>
#include <limits>

namespace
{

constexpr double kMinimumScale = 0.01;
constexpr double kMaximumScale = 100;

// The largest scale along one axis: each item's far side, (far - low) * scale + pixels, must
// stay within `room`.
double axisScale(const QList<SceneItem>& items, double room, bool horizontal, double& low)
{
    low = std::numeric_limits<double>::max();
    for (const SceneItem& item : items)
        low = std::min(low, horizontal ? item.mm.left() : item.mm.top());
    double scale = kMaximumScale;
    for (const SceneItem& item : items) {
        const double far = (horizontal ? item.mm.right() : item.mm.bottom()) - low;
        const double pixels = horizontal ? item.pixels.width() : item.pixels.height();
        if (far > 0)
            scale = std::min(scale, (room - pixels) / far);
    }
    return scale;
}

// Pixels taken along one axis at `scale`.
double axisSpan(const QList<SceneItem>& items, double scale, bool horizontal, double low)
{
    double span = 0;
    for (const SceneItem& item : items) {
        const double far = (horizontal ? item.mm.right() : item.mm.bottom()) - low;
        span =
            std::max(span, far * scale + (horizontal ? item.pixels.width() : item.pixels.height()));
    }
    return span;
}

} // namespace

QPointF EnvelopeScene::senderText() const
{
    return senderFrame.normalized().topLeft() + QPointF(2, 1);
}

namespace
{

// From `corner` to the far corner of `box` (the corner alone when there is no box).
QRectF fromCorner(const QPointF& corner, const QRectF& box)
{
    if (!box.isValid())
        return QRectF(corner, QSizeF(0, 0));
    return QRectF(QPointF(std::min(corner.x(), box.left()), std::min(corner.y(), box.top())),
                  QPointF(std::max(corner.x(), box.right()), std::max(corner.y(), box.bottom())));
}

} // namespace

QRectF EnvelopeScene::addressArea() const
{
    return fromCorner(address, addressBox);
}

QRectF EnvelopeScene::senderArea() const
{
    return fromCorner(senderText(), senderBox);
}

QList<SceneItem> sceneItems(const EnvelopeScene& scene, const QSizeF& addressPixels,
                            const QSizeF& senderPixels)
{
    QList<SceneItem> items{{QRectF(QPointF(0, 0), scene.envelope), QSizeF(0, 0)}};
    if (scene.addressShown)
        items.append({scene.addressArea(), addressPixels});
    if (scene.senderShown) {
        items.append({scene.senderFrame.normalized(), QSizeF(0, 0)});
        items.append({scene.senderArea(), senderPixels});
    }
    return items;
}

SceneMapping fitScene(const QList<SceneItem>& items, const QSizeF& area, double margin)
{
    const double roomW = std::max(0.0, area.width() - 2 * margin);
    const double roomH = std::max(0.0, area.height() - 2 * margin);
    double left = 0;
    double top = 0;
    SceneMapping m;
    m.scale = std::min(axisScale(items, roomW, true, left), axisScale(items, roomH, false, top));
    m.scale = std::max(kMinimumScale, m.scale);
    const double spareW = std::max(0.0, roomW - axisSpan(items, m.scale, true, left)) / 2;
    const double spareH = std::max(0.0, roomH - axisSpan(items, m.scale, false, top)) / 2;
    m.origin = QPointF(margin + spareW - left * m.scale, margin + spareH - top * m.scale);
    return m;
}
