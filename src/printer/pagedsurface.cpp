#include "printer/pagedsurface.h"

#include <QPaintDevice>
#include <algorithm>
#include <utility>

namespace
{

// Lines a text measures: one more than its line breaks (CR LF counts once).
int measuredLines(const QString& text)
{
    int breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            ++breaks;
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            ++breaks;
        }
    }
    return breaks + 1;
}

} // namespace

QStringList printedTextLines(const QString& text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            lines << current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty() || lines.isEmpty())
        lines << current;
    return lines;
}

// ---- position, scale and font ----

double PagedSurface::toMm(double v) const
{
    return m_job.scale == Millimetres ? v : v * 25.4 / 1440.0;
}

double PagedSurface::fromMm(double v) const
{
    return m_job.scale == Millimetres ? v : v * 1440.0 / 25.4;
}

double PagedSurface::deviceToMm(double px) const
{
    return px * 25.4 / metricsDevice().logicalDpiY();
}

void PagedSurface::setScaleMode(int mode)
{
    m_job.scale = mode == Millimetres ? Millimetres : Twips;
}

void PagedSurface::setCurrentX(double x)
{
    m_job.x = toMm(x);
    m_job.placed = true;
}

void PagedSurface::setCurrentY(double y)
{
    m_job.y = toMm(y);
    m_job.placed = true;
}

double PagedSurface::currentX() const
{
    return fromMm(m_job.x);
}

double PagedSurface::currentY() const
{
    return fromMm(m_job.y);
}

void PagedSurface::setFontName(const QString& name)
{
    m_job.fontName = name;
    fontChanged();
}

void PagedSurface::setFontSize(double points)
{
    if (points > 0)
        m_job.fontSize = points;
    fontChanged();
}

void PagedSurface::setFontBold(bool bold)
{
    m_job.bold = bold;
    fontChanged();
}

void PagedSurface::setFontItalic(bool italic)
{
    m_job.italic = italic;
    fontChanged();
}

void PagedSurface::setForeColor(quint32 colorRef)
{
    m_job.color = colorRef;
}

void PagedSurface::setDrawStyle(int style)
{
    m_job.drawStyle = style;
}

void PagedSurface::fontChanged()
{
    m_fontDirty = true;
    m_metrics.reset();
}

const QFont& PagedSurface::currentFont()
{
    if (m_fontDirty) {
        m_font = QFont(m_job.fontName);
        m_font.setPointSizeF(m_job.fontSize);
        m_font.setBold(m_job.bold);
        m_font.setItalic(m_job.italic);
        m_fontDirty = false;
        m_metrics.reset();
    }
    return m_font;
}

const QFontMetricsF& PagedSurface::metrics()
{
    const QFont& font = currentFont();
    if (!m_metrics)
        m_metrics.emplace(font, &metricsDevice());
    return *m_metrics;
}

// ---- drawing ----

void PagedSurface::ensureDocument()
{
    if (m_open)
        return;
    const QPageLayout layout = beginDocument();
    const QRectF printable = layout.paintRect(QPageLayout::Millimeter);
    m_pageHeight = printable.height();
    m_paperRect = cutsAtPaperEdge()
                      ? layout.fullRect(QPageLayout::Millimeter).translated(-printable.topLeft())
                      : QRectF(-1e6, -1e6, 2e6, 2e6);
    m_open = true;
    m_pages = 1;
    fontChanged();
}

void PagedSurface::documentClosed()
{
    m_open = false;
    m_pages = 0;
    // The next document starts from the first state, whatever this one set.
    m_job = JobState();
    m_paper.reset();
    fontChanged();
}

void PagedSurface::startPage()
{
    beginPage();
    ++m_pages;
    m_job.x = 0;
    m_job.y = 0;
}

void PagedSurface::newPage()
{
    if (!m_open) {
        ensureDocument();
        m_job.x = 0;
        m_job.y = 0;
        return;
    }
    startPage();
}

void PagedSurface::print(const QString& text)
{
    ensureDocument();
    // Every line of a text printed at a place the caller chose belongs to that place.
    const bool placed = std::exchange(m_job.placed, false);
    for (const QString& line : printedTextLines(text))
        printLine(line, placed);
}

void PagedSurface::printLine(const QString& text, bool placed)
{
    const QFontMetricsF& fm = metrics();
    const double height = deviceToMm(fm.lineSpacing());
    if (!placed && m_job.y > 0 && m_job.y + height > m_pageHeight + 1e-6) {
        const double x = m_job.x;
        startPage();
        m_job.x = x;
    }
    // A line that starts beyond the paper's edge is not drawn; one across it is cut there.
    const double top = m_job.y;
    const double left = m_job.x;
    if (!text.isEmpty() && top < m_paperRect.bottom() && top + height > m_paperRect.top() &&
        left < m_paperRect.right()) {
        PrintedItem item;
        item.kind = PrintedItem::Text;
        item.at = QPointF(left, top + deviceToMm(fm.ascent()));
        item.text = text;
        item.font = m_font;
        item.colorRef = m_job.color;
        drawItem(item);
    }
    m_job.x = 0;
    m_job.y += height;
}

void PagedSurface::line(double x1, double y1, double x2, double y2, quint32 colorRef)
{
    ensureDocument();
    const std::optional<QLineF> onPaper =
        clippedLine(QLineF(toMm(x1), toMm(y1), toMm(x2), toMm(y2)), m_paperRect);
    if (!onPaper)
        return;
    PrintedItem item;
    item.kind = PrintedItem::Line;
    item.at = onPaper->p1();
    item.to = onPaper->p2();
    item.colorRef = colorRef;
    item.drawStyle = m_job.drawStyle;
    drawItem(item);
}

double PagedSurface::textHeight(const QString& text)
{
    const double height = deviceToMm(metrics().lineSpacing());
    return fromMm(measuredLines(text) * height);
}

std::optional<QLineF> clippedLine(const QLineF& line, const QRectF& area)
{
    // Liang-Barsky: the part of the segment p1 + t (p2 - p1), t in [0, 1], inside the area.
    const double dx = line.dx();
    const double dy = line.dy();
    double t0 = 0;
    double t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {line.x1() - area.left(), area.right() - line.x1(), line.y1() - area.top(),
                         area.bottom() - line.y1()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt; // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return std::nullopt;
    }
    return QLineF(line.pointAt(t0), line.pointAt(t1));
}
