#include "labels/minisheet.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace
{

// The drawing of the sheet, in millimetres: an A4 page with a left and a top margin and gaps
// between the labels, so that margins and separators can be seen.
constexpr double kPageWidth = 210;
constexpr double kPageHeight = 297;
constexpr double kLeft = 10;
constexpr double kTop = 12;
constexpr double kGapX = 8;
constexpr double kGapY = 4;
constexpr double kLabelWidth = 92;
constexpr double kLabelHeight = 51;

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
}

QSize MiniSheet::sizeHint() const
{
    return QSize(int(kPageWidth * 1.2), int(kPageHeight * 1.2));
}

QSize MiniSheet::minimumSizeHint() const
{
    return QSize(int(kPageWidth), int(kPageHeight));
}

int MiniSheet::heightForWidth(int width) const
{
    return int(width * kPageHeight / kPageWidth);
}

QRectF MiniSheet::pageRect() const
{
    const double scale = qMin((width() - 1) / kPageWidth, (height() - 1) / kPageHeight);
    const double w = kPageWidth * scale;
    const double h = kPageHeight * scale;
    return QRectF((width() - w) / 2, (height() - h) / 2, w, h);
}

QRectF MiniSheet::labelRect(int n) const
{
    const QRectF page = pageRect();
    const double scale = page.width() / kPageWidth;
    const int c = (n - 1) % 2;
    const int r = (n - 1) / 2;
    const double x = kLeft + c * (kLabelWidth + kGapX);
    const double y = kTop + r * (kLabelHeight + kGapY);
    return QRectF(page.left() + x * scale, page.top() + y * scale, kLabelWidth * scale,
                  kLabelHeight * scale);
}

void MiniSheet::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (int n = 1; n <= 10; ++n)
        m_positions[size_t(n - 1)]->setGeometry(labelRect(n).toAlignedRect());
}

void MiniSheet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF page = pageRect();
    const double scale = page.width() / kPageWidth;
    painter.fillRect(page, QColor(224, 224, 224));
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawRect(page);

    // Margins: a dotted line at the left and at the top margin.
    QPen dotted(QColor(0, 0, 160), 1, Qt::DotLine);
    painter.setPen(dotted);
    const double left = page.left() + kLeft * scale;
    const double top = page.top() + kTop * scale;
    painter.drawLine(QPointF(left, page.top()), QPointF(left, page.bottom()));
    painter.drawLine(QPointF(page.left(), top), QPointF(page.right(), top));

    // Separators: the gap between the two columns and between the rows.
    QPen dashed(QColor(160, 0, 0), 1, Qt::DashLine);
    painter.setPen(dashed);
    const double gapLeft = left + kLabelWidth * scale;
    const double gapRight = gapLeft + kGapX * scale;
    const double lastRowBottom = top + (5 * kLabelHeight + 4 * kGapY) * scale;
    painter.drawLine(QPointF(gapLeft, top), QPointF(gapLeft, lastRowBottom));
    painter.drawLine(QPointF(gapRight, top), QPointF(gapRight, lastRowBottom));
    const double rowRight = left + (2 * kLabelWidth + kGapX) * scale;
    for (int r = 1; r < 5; ++r) {
        const double y1 = top + (r * kLabelHeight + (r - 1) * kGapY) * scale;
        const double y2 = y1 + kGapY * scale;
        painter.drawLine(QPointF(left, y1), QPointF(rowRight, y1));
        painter.drawLine(QPointF(left, y2), QPointF(rowRight, y2));
    }
}
