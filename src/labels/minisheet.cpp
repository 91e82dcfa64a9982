#include "labels/minisheet.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace
{

constexpr double kAround = 2;      // mm shown around the paper and the labels
constexpr double kHintScale = 1.2; // pixels per millimetre wanted
constexpr int kLeastPixels = 6;    // a label stays big enough to be clicked

} // namespace

SheetPosition::SheetPosition(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(text);
    setCursor(Qt::PointingHandCursor);
    setBackground(Qt::white);
}

void SheetPosition::setBackground(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
}

QColor SheetPosition::background() const
{
    return palette().color(QPalette::Window);
}

void SheetPosition::setOffPaper(const QRectF& part)
{
    if (part == m_offPaper)
        return;
    m_offPaper = part;
    update();
}

void SheetPosition::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (m_offPaper.isEmpty())
        return;
    // What does not print: hatched in red.
    QPainter painter(this);
    painter.fillRect(m_offPaper, QBrush(QColor(200, 0, 0), Qt::BDiagPattern));
}

void SheetPosition::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QLabel::mousePressEvent(event);
}

void SheetPosition::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->pos()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void SheetPosition::keyPressEvent(QKeyEvent* event)
{
    // Keyboard users select a position with the space bar or Enter.
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

MiniSheet::MiniSheet(QWidget* parent) : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    for (int n = 1; n <= 10; ++n) {
        auto* p = new SheetPosition(QStringLiteral("Etiquette %1").arg(n), this);
        p->setObjectName(QStringLiteral("Label%1").arg(n));
        connect(p, &SheetPosition::clicked, this, [this, n] { emit positionClicked(n); });
        m_positions[size_t(n - 1)] = p;
    }
    // Until told otherwise: the default geometry on an A4 portrait sheet.
    for (int n = 1; n <= 10; ++n)
        m_labels[size_t(n - 1)] = QRectF(5 + (n - 1) % 2 * 90, (n - 1) / 2 * 45.0, 90, 45);
}

void MiniSheet::setSheet(const QSizeF& paper, const QRectF& printable,
                         const std::array<QRectF, 10>& labels)
{
    m_paper = paper;
    m_printable = printable;
    m_labels = labels;
    updateGeometry();
    placePositions();
    update();
}

QRectF MiniSheet::drawnArea() const
{
    QRectF area(QPointF(0, 0), m_paper);
    for (const QRectF& label : m_labels)
        area = area.united(label.normalized());
    return area.adjusted(-kAround, -kAround, kAround, kAround);
}

double MiniSheet::scale() const
{
    const QRectF area = drawnArea();
    if (area.width() <= 0 || area.height() <= 0)
        return 1;
    return std::max(0.01, std::min((width() - 1) / area.width(), (height() - 1) / area.height()));
}

QPointF MiniSheet::paperCorner() const
{
    const QRectF area = drawnArea();
    const double k = scale();
    const QPointF spare((width() - area.width() * k) / 2, (height() - area.height() * k) / 2);
    return spare - area.topLeft() * k;
}

QRectF MiniSheet::toWidget(const QRectF& mm) const
{
    const double k = scale();
    return QRectF(paperCorner() + mm.topLeft() * k, mm.size() * k);
}

QSize MiniSheet::sizeHint() const
{
    const QRectF area = drawnArea();
    return QSize(int(area.width() * kHintScale), int(area.height() * kHintScale));
}

QSize MiniSheet::minimumSizeHint() const
{
    const QRectF area = drawnArea();
    return QSize(int(area.width()), int(area.height()));
}

int MiniSheet::heightForWidth(int width) const
{
    const QRectF area = drawnArea();
    return area.width() > 0 ? int(width * area.height() / area.width()) : width;
}

void MiniSheet::placePositions()
{
    const QRectF paper = toWidget(QRectF(QPointF(0, 0), m_paper));
    for (int n = 1; n <= 10; ++n) {
        SheetPosition* p = m_positions[size_t(n - 1)];
        QRect r = toWidget(m_labels[size_t(n - 1)].normalized()).toAlignedRect();
        r.setSize(r.size().expandedTo(QSize(kLeastPixels, kLeastPixels)));
        p->setGeometry(r);
        // The part beyond the paper's edge, in the label's own pixels: the whole label, or the
        // band beyond the edge it crosses.
        const QRectF whole(QPointF(0, 0), QSizeF(r.size()));
        const QRectF inside = QRectF(r).intersected(paper).translated(-QPointF(r.topLeft()));
        QRectF off;
        if (inside.isEmpty()) {
            off = whole;
        } else if (!inside.adjusted(-1, -1, 1, 1).contains(whole)) {
            off = whole;
            if (inside.bottom() < whole.bottom() - 1)
                off.setTop(inside.bottom());
            else if (inside.top() > 1)
                off.setBottom(inside.top());
            else if (inside.right() < whole.right() - 1)
                off.setLeft(inside.right());
            else
                off.setRight(inside.left());
        }
        p->setOffPaper(off);
    }
}

void MiniSheet::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placePositions();
}

void MiniSheet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF paper = toWidget(QRectF(QPointF(0, 0), m_paper));
    painter.fillRect(paper, QColor(224, 224, 224));
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawRect(paper);
    // The printable area: a dotted line where the printer stops.
    painter.setPen(QPen(QColor(0, 0, 160), 1, Qt::DotLine));
    painter.drawRect(toWidget(m_printable));
}
