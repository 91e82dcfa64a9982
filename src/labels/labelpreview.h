#pragma once

#include "printer/printeditems.h"

#include <QLabel>
#include <QRectF>
#include <QSizeF>

// The label window's address preview (`Label15`): one label drawn to scale with what the print
// puts on it (the frame, the cut outline and every line of the address in the print font, drawn
// by the printing code), text running past the label's edges shown where it prints. As a label
// it also holds the print font, the text colour and the address text, for the font and colour
// commands and for screen readers.
class LabelPreview : public QLabel
{
    Q_OBJECT

public:
    explicit LabelPreview(QWidget* parent = nullptr);

    // The label of `size` (mm) with `page`, laid out at `resolution`, its corner at the page's
    // origin; `extent` is what the page's items cover (mm).
    void showLabel(const QSizeF& size, const PrintedPage& page, double resolution,
                   const QRectF& extent);
    const PrintedPage& printed() const { return m_page; }
    QSizeF labelSize() const { return m_label; }

    // The part of the drawing shown, mm: the label and everything printed around it.
    QRectF shownArea() const;
    // Screen pixels per millimetre, and the pixel of the label's corner, as drawn now.
    double pixelsPerMm() const;
    QPointF labelCorner() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSizeF m_label{90, 45};
    PrintedPage m_page;
    double m_resolution = 1200;
    QRectF m_extent;
};
