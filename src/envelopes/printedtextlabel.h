#pragma once

#include "printer/printeditems.h"

#include <QLabel>

// A preview of the envelope window (the sender text `Label9`, the address `Label15`): the text
// lines the print puts there, drawn to scale by the printing code, in the place of the label's
// own painting. As a label it holds the text, the font and the colour being printed, for the font
// and colour commands and for screen readers.
class PrintedTextLabel : public QLabel
{
    Q_OBJECT

public:
    explicit PrintedTextLabel(QWidget* parent = nullptr);

    // The texts of `page` (laid out at `resolution`), the page's origin at the pixel `corner` of
    // this label, `pixelsPerMm` pixels per millimetre.
    void setPrinted(const PrintedPage& page, double resolution, const QPointF& corner,
                    double pixelsPerMm);
    const PrintedPage& printed() const { return m_page; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PrintedPage m_page;
    double m_resolution = 1200;
    QPointF m_corner;
    double m_scale = 1;
};
