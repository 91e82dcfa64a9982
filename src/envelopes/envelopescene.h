#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// What the envelope window's drawing shows, in millimetres from the envelope's top-left corner
// (which stands for the top-left corner of the printable area, as the print does).
struct EnvelopeScene {
    QSizeF envelope{160, 115};          // the envelope drawn
    QPointF address{70, 50};            // PosX, PosY: corner of the address block
    bool addressShown = true;           // the address preview is shown
    QRectF senderFrame{20, 10, 45, 20}; // MarginLeft, MarginTop, FrameWidth, FrameHeight
    bool senderShown = false;           // the sender preview (and its frame) is shown
    // What the printed texts cover, mm (empty when not known): the address block, the sender text.
    QRectF addressBox;
    QRectF senderBox;

    // Where the sender preview starts: 2 mm right of the frame's left side, where the text is
    // placed from, and a little below its top (the first line is printed one line height below).
    QPointF senderText() const;
    // The places of the two previews, mm: from the point each text is placed from to the far
    // corner of what it covers.
    QRectF addressArea() const;
    QRectF senderArea() const;
};

// One thing the drawing shows: a rectangle in millimetres, and beyond its right and bottom
// sides a size in pixels (a preview keeps its own size in pixels, whatever the scale).
struct SceneItem {
    QRectF mm;
    QSizeF pixels;
};

// The items of `scene`: the envelope, the address preview (its area, and `addressPixels` beyond
// it) and when the sender is shown its frame and its preview (area and `senderPixels`). A frame
// of negative size counts by its normalised rectangle.
QList<SceneItem> sceneItems(const EnvelopeScene& scene, const QSizeF& addressPixels,
                            const QSizeF& senderPixels);

// How millimetres map to the pixels of a drawing area: `scale` pixels per millimetre,
// `origin` the pixel of the envelope's corner.
struct SceneMapping {
    double scale = 1;
    QPointF origin;

    QPointF toPixels(const QPointF& mm) const { return origin + mm * scale; }
    QRectF toPixels(const QRectF& mm) const
    {
        return QRectF(toPixels(mm.topLeft()), mm.size() * scale);
    }
};

// The largest mapping that shows every item whole inside `area` with `margin` pixels on every
// side, keeping the proportions and centring what is left over. When an item cannot fit at any
// scale (its pixels alone are wider than the area), the scale still stays above a hundredth of a
// pixel per millimetre.
SceneMapping fitScene(const QList<SceneItem>& items, const QSizeF& area, double margin);
