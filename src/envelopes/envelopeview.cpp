#include "envelopes/envelopeview.h"

#include "envelopes/printedtextlabel.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace
{

constexpr double kMarginPx = 8;
const QColor kPaper(255, 252, 240);
const QColor kOutline(90, 90, 90);
const QColor kGuide(120, 120, 200);
// Room left right of and below a printed text's box, mm, for the glyphs' overhang.
constexpr double kTextPad = 1;

// The stamp in the envelope's top-right corner.
constexpr double kStampWidth = 20;  // mm
constexpr double kStampHeight = 24; // mm
constexpr double kStampInset = 6;   // mm from the top and right edges

class StampPicture : public QWidget
{
public:
    explicit StampPicture(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(kOutline, 1, Qt::DotLine));
        p.setBrush(Qt::white);
        p.drawRect(outer);
        const double inset = std::max(2.0, outer.width() / 8);
        const QRectF inner = outer.adjusted(inset, inset, -inset, -inset);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 60, 60));
        p.drawRect(inner);
        // A hill and a sun, so it reads as a picture.
        p.setBrush(QColor(255, 220, 120));
        const double r = inner.width() / 6;
        p.drawEllipse(QPointF(inner.right() - 2 * r, inner.top() + 2 * r), r, r);
        QPainterPath hill;
        hill.moveTo(inner.bottomLeft());
        hill.quadTo(QPointF(inner.center().x(), inner.center().y()), inner.bottomRight());
        hill.closeSubpath();
        p.setBrush(QColor(250, 250, 250));
        p.drawPath(hill);
    }
};

} // namespace

EnvelopeView::EnvelopeView(QWidget* parent) : QWidget(parent)
{
    m_stamp = new StampPicture(this);
    m_stamp->setObjectName(QStringLiteral("Image1"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize EnvelopeView::sizeHint() const
{
    return QSize(520, 380);
}

QSize EnvelopeView::minimumSizeHint() const
{
    return QSize(320, 230);
}

void EnvelopeView::adopt(QLabel* label)
{
    if (!label || label->parentWidget() == this)
        return;
    label->setParent(this);
    label->show();
}

void EnvelopeView::setSenderPreview(PrintedTextLabel* label)
{
    m_sender = label;
    adopt(label);
    relayout();
}

void EnvelopeView::setAddressPreview(PrintedTextLabel* label)
{
    m_address = label;
    adopt(label);
    relayout();
}

void EnvelopeView::setMarginMarks(QLabel* left, QLabel* top)
{
    m_leftMark = left;
    m_topMark = top;
    adopt(left);
    adopt(top);
    relayout();
}

void EnvelopeView::setScene(const EnvelopeScene& scene)
{
    m_scene = scene;
    relayout();
    update();
}

void EnvelopeView::setPrinted(const PrintedPage& sender, const PrintedPage& address,
                              double resolution)
{
    m_senderPage = sender;
    m_addressPage = address;
    m_resolution = resolution;
    relayout();
    update();
}

SceneMapping EnvelopeView::mapping() const
{
    return fitScene(sceneItems(m_scene, QSizeF(0, 0), QSizeF(0, 0)), QSizeF(size()), kMarginPx);
}

bool EnvelopeView::event(QEvent* event)
{
    // A preview whose text changed asks for a new layout.
    if (event->type() == QEvent::LayoutRequest)
        relayout();
    return QWidget::event(event);
}

void EnvelopeView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void EnvelopeView::relayout()
{
    const SceneMapping m = mapping();
    const QPointF address = m_scene.address;
    // Each preview covers what its text covers, from the point the print places it from.
    auto place = [&](PrintedTextLabel* label, const QRectF& area, const PrintedPage& page) {
        if (!label)
            return;
        const QPoint topLeft = m.toPixels(area.topLeft()).toPoint();
        const QSizeF size = (area.size() + QSizeF(kTextPad, kTextPad)) * m.scale;
        label->setGeometry(QRect(topLeft, QSize(int(size.width()) + 1, int(size.height()) + 1)));
        label->setPrinted(page, m_resolution, m.origin - QPointF(topLeft), m.scale);
    };
    auto centre = [](QLabel* label, QPointF at) {
        if (!label)
            return;
        const QSize s = label->sizeHint();
        label->resize(s);
        label->move((at - QPointF(s.width() / 2.0, s.height() / 2.0)).toPoint());
    };
    place(m_sender, m_scene.senderArea(), m_senderPage);
    place(m_address, m_scene.addressArea(), m_addressPage);
    centre(m_leftMark, m.toPixels(QPointF(address.x() / 2, address.y())));
    centre(m_topMark, m.toPixels(QPointF(address.x(), address.y() / 2)));
    const QRectF stamp = m.toPixels(QRectF(m_scene.envelope.width() - kStampInset - kStampWidth,
                                           kStampInset, kStampWidth, kStampHeight));
    m_stamp->setGeometry(stamp.toRect());
    // The margin marks lie over the guide lines; the previews over everything else.
    m_stamp->lower();
    for (QLabel* label :
         {static_cast<QLabel*>(m_leftMark.data()), static_cast<QLabel*>(m_topMark.data()),
          static_cast<QLabel*>(m_sender.data()), static_cast<QLabel*>(m_address.data())})
        if (label)
            label->raise();
}

void EnvelopeView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const SceneMapping m = mapping();

    // The envelope.
    const QRectF envelope = m.toPixels(QRectF(QPointF(0, 0), m_scene.envelope));
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(kPaper);
    p.drawRect(envelope);

    // Guide lines from the left and top edges to the address corner, with end marks.
    const QPointF corner = m.toPixels(m_scene.address);
    const QPointF leftEdge = m.toPixels(QPointF(0, m_scene.address.y()));
    const QPointF topEdge = m.toPixels(QPointF(m_scene.address.x(), 0));
    p.setPen(QPen(kGuide, 1, Qt::DashLine));
    p.drawLine(leftEdge, corner);
    p.drawLine(topEdge, corner);
    p.setPen(QPen(kGuide, 1));
    const double tick = 4;
    p.drawLine(leftEdge - QPointF(0, tick), leftEdge + QPointF(0, tick));
    p.drawLine(topEdge - QPointF(tick, 0), topEdge + QPointF(tick, 0));
    p.drawLine(corner - QPointF(0, tick), corner + QPointF(0, tick));
    p.drawLine(corner - QPointF(tick, 0), corner + QPointF(tick, 0));

    // The sender frame, as it is printed.
    if (m_scene.senderShown)
        paintPrintedPageScaled(p, m_senderPage, m_resolution, m.origin, m.scale,
                               PrintedItems::Lines);
}
