#include "recordingprinter.h"

#include <QRectF>
#include <QSizeF>
#include <utility>

namespace
{
QString n(double v)
{
    return QString::number(qRound(v * 100) / 100.0);
}
} // namespace

void RecordingPrinter::step()
{
    if (failAt > 0 && --failAt == 0)
        throw PrinterError(failure);
    if (!docOpen) {
        docOpen = true;
        pages = 1;
        m_docHeight = pageLayoutFor(m_paper).paintRect(QPageLayout::Millimeter).height();
    }
}

void RecordingPrinter::setScaleMode(int mode)
{
    m_scale = mode;
    calls << QStringLiteral("ScaleMode %1").arg(mode);
}

void RecordingPrinter::setCurrentX(double x)
{
    m_x = toMm(x);
    m_placed = true;
}

void RecordingPrinter::setCurrentY(double y)
{
    m_y = toMm(y);
    m_placed = true;
}

double RecordingPrinter::currentX() const
{
    return fromMm(m_x);
}

double RecordingPrinter::currentY() const
{
    return fromMm(m_y);
}

void RecordingPrinter::setFontName(const QString& name)
{
    m_fontName = name;
    calls << QStringLiteral("FontName %1").arg(name);
}

void RecordingPrinter::setFontSize(double points)
{
    m_fontSize = points;
    calls << QStringLiteral("FontSize %1").arg(n(points));
}

void RecordingPrinter::setFontBold(bool bold)
{
    m_bold = bold;
    calls << QStringLiteral("FontBold %1").arg(int(bold));
}

void RecordingPrinter::setFontItalic(bool italic)
{
    m_italic = italic;
    calls << QStringLiteral("FontItalic %1").arg(int(italic));
}

void RecordingPrinter::setForeColor(quint32 colorRef)
{
    m_color = colorRef;
    calls << QStringLiteral("ForeColor %1").arg(colorRef);
}

void RecordingPrinter::setDrawStyle(int style)
{
    m_drawStyle = style;
    calls << QStringLiteral("DrawStyle %1").arg(style);
}

void RecordingPrinter::print(const QString& text)
{
    step();
    // Only text following on from the previous line moves to a new page.
    if (!std::exchange(m_placed, false) && m_y + lineHeight() > m_docHeight + 1e-9) {
        calls << QStringLiteral("NewPage");
        ++pages;
        m_y = 0;
    }
    calls << QStringLiteral("Print %1 %2 \"%3\"").arg(n(m_x), n(m_y), text);
    printed << text;
    m_x = 0;
    m_y += lineHeight();
}

void RecordingPrinter::newPage()
{
    const bool open = docOpen;
    step();
    if (open) {
        calls << QStringLiteral("NewPage");
        ++pages;
    }
    m_x = m_y = 0;
}

void RecordingPrinter::line(double x1, double y1, double x2, double y2, quint32 colorRef)
{
    step();
    calls << QStringLiteral("Line %1 %2 %3 %4 %5 %6")
                 .arg(n(toMm(x1)), n(toMm(y1)), n(toMm(x2)), n(toMm(y2)))
                 .arg(colorRef)
                 .arg(m_drawStyle);
}

double RecordingPrinter::textHeight(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const int lines = 1 + int(t.count(QLatin1Char('\n')));
    return fromMm(lines * lineHeight());
}

void RecordingPrinter::endDoc()
{
    if (failAt > 0 && --failAt == 0)
        throw PrinterError(failure);
    calls << QStringLiteral("EndDoc");
    if (docOpen) {
        ++documents;
        if (!m_paper)
            papers << QStringLiteral("-");
        else if (m_paper->size.isEquivalentTo(QPageSize(QPageSize::A4)) && !m_paper->orientation)
            papers << QStringLiteral("A4");
        else
            papers << QStringLiteral("%1x%2 mm %3")
                          .arg(n(m_paper->size.size(QPageSize::Millimeter).width()),
                               n(m_paper->size.size(QPageSize::Millimeter).height()))
                          .arg(m_paper->orientation.value_or(0));
    }
    closed();
}

void RecordingPrinter::killDoc()
{
    calls << QStringLiteral("KillDoc");
    if (docOpen)
        ++killed;
    closed();
}

void RecordingPrinter::closed()
{
    docOpen = false;
    m_x = m_y = 0;
    m_placed = false;
    m_scale = Twips;
    m_fontName = QStringLiteral("Arial");
    m_fontSize = 10;
    m_bold = m_italic = false;
    m_color = 0;
    m_drawStyle = Solid;
    m_paper.reset();
}

bool RecordingPrinter::selectPrinter(const QString& name)
{
    if (!names.contains(name))
        return false;
    device = name;
    calls << QStringLiteral("Select %1").arg(name);
    return true;
}

QPageLayout RecordingPrinter::pageLayoutFor(const std::optional<PaperRequest>& paper)
{
    const int orientation = paper && paper->orientation ? *paper->orientation : orientationValue;
    const QPageSize size = paper && paper->size.isValid() ? paper->size : ownPaper;
    const QPageLayout::Orientation o =
        orientation == Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (!size.isEquivalentTo(QPageSize(QPageSize::A4)))
        return QPageLayout(size, o, QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    // pageWidth x pageHeight is the printable area of the sheet upright; turned for landscape.
    const bool landscape = o == QPageLayout::Landscape;
    const double paperWidth = landscape ? 297 : 210;
    const double paperHeight = landscape ? 210 : 297;
    const double x = (paperWidth - (landscape ? pageHeight : pageWidth)) / 2;
    const double y = (paperHeight - (landscape ? pageWidth : pageHeight)) / 2;
    return QPageLayout(size, o, QMarginsF(x, y, x, y), QPageLayout::Millimeter);
}
