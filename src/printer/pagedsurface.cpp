#include "printer/pagedsurface.h"

#include <QPaintDevice>

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
    return m_scale == Millimetres ? v : v * 25.4 / 1440.0;
}

double PagedSurface::fromMm(double v) const
{
    return m_scale == Millimetres ? v : v * 1440.0 / 25.4;
}

double PagedSurface::deviceToMm(double px) const
{
    return px * 25.4 / metricsDevice().logicalDpiY();
}

void PagedSurface::setScaleMode(int mode)
{
    m_scale = mode == Millimetres ? Millimetres : Twips;
}

void PagedSurface::setCurrentX(double x)
{
    m_x = toMm(x);
}

void PagedSurface::setCurrentY(double y)
{
    m_y = toMm(y);
}

double PagedSurface::currentX() const
{
    return fromMm(m_x);
}

double PagedSurface::currentY() const
{
    return fromMm(m_y);
}

void PagedSurface::setFontName(const QString& name)
{
    m_fontName = name;
    fontChanged();
}

void PagedSurface::setFontSize(double points)
{
    if (points > 0)
        m_fontSize = points;
    fontChanged();
}

void PagedSurface::setFontBold(bool bold)
{
    m_bold = bold;
    fontChanged();
}

void PagedSurface::setFontItalic(bool italic)
{
    m_italic = italic;
    fontChanged();
}

void PagedSurface::setForeColor(quint32 colorRef)
{
    m_color = colorRef;
}

void PagedSurface::setDrawStyle(int style)
{
    m_drawStyle = style;
}

void PagedSurface::fontChanged()
{
    m_fontDirty = true;
    m_metrics.reset();
}

const QFont& PagedSurface::currentFont()
{
    if (m_fontDirty) {
        m_font = QFont(m_fontName);
        m_font.setPointSizeF(m_fontSize);
        m_font.setBold(m_bold);
        m_font.setItalic(m_italic);
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
    m_pageHeight = beginDocument();
    m_open = true;
    m_pages = 1;
    fontChanged();
}

void PagedSurface::documentClosed()
{
    m_open = false;
    m_pages = 0;
    m_x = 0;
    m_y = 0;
}

void PagedSurface::print(const QString& text)
{
    ensureDocument();
    for (const QString& line : printedTextLines(text))
        printLine(line);
}

void PagedSurface::printLine(const QString& text)
{
    const QFontMetricsF& fm = metrics();
    const double height = deviceToMm(fm.lineSpacing());
    if (m_y > 0 && m_y + height > m_pageHeight + 1e-6) {
        beginPage();
        ++m_pages;
        m_y = 0;
    }
    if (!text.isEmpty()) {
        PrintedItem item;
        item.kind = PrintedItem::Text;
        item.at = QPointF(m_x, m_y + deviceToMm(fm.ascent()));
        item.text = text;
        item.font = m_font;
        item.colorRef = m_color;
        drawItem(item);
    }
    m_x = 0;
    m_y += height;
}

void PagedSurface::line(double x1, double y1, double x2, double y2, quint32 colorRef)
{
    ensureDocument();
    PrintedItem item;
    item.kind = PrintedItem::Line;
    item.at = QPointF(toMm(x1), toMm(y1));
    item.to = QPointF(toMm(x2), toMm(y2));
    item.colorRef = colorRef;
    item.drawStyle = m_drawStyle;
    drawItem(item);
}

double PagedSurface::textHeight(const QString& text)
{
    const double height = deviceToMm(metrics().lineSpacing());
    return fromMm(measuredLines(text) * height);
}
