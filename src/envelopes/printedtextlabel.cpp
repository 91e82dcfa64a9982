#include "envelopes/printedtextlabel.h"

#include <QPainter>

PrintedTextLabel::PrintedTextLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The envelope shows through around the text.
    setAttribute(Qt::WA_TranslucentBackground);
}

void PrintedTextLabel::setPrinted(const PrintedPage& page, double resolution, const QPointF& corner,
                                  double pixelsPerMm)
{
    m_page = page;
    m_resolution = resolution;
    m_corner = corner;
    m_scale = pixelsPerMm;
    update();
}

void PrintedTextLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintPrintedPageScaled(painter, m_page, m_resolution, m_corner, m_scale, PrintedItems::Texts);
}
