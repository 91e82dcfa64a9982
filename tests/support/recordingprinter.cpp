#include "recordingprinter.h"

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
        throw PrinterError("recording printer told to fail");
    if (!docOpen) {
        docOpen = true;
        pages = 1;
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
}

void RecordingPrinter::setCurrentY(double y)
{
    m_y = toMm(y);
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
    if (m_y + lineHeight() > pageHeight + 1e-9) {
        calls << QStringLiteral("NewPage");
        ++pages;
        m_y = 0;
    }
    calls << QStringLiteral("Print %1 %2 \"%3\"").arg(n(m_x), n(m_y), text);
    printed << text;
    m_x = 0;
    m_y += lineHeight();
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
        throw PrinterError("recording printer told to fail");
    calls << QStringLiteral("EndDoc");
    if (docOpen)
        ++documents;
    docOpen = false;
    m_x = m_y = 0;
}

void RecordingPrinter::killDoc()
{
    calls << QStringLiteral("KillDoc");
    if (docOpen)
        ++killed;
    docOpen = false;
    m_x = m_y = 0;
}

bool RecordingPrinter::selectPrinter(const QString& name)
{
    if (!names.contains(name))
        return false;
    device = name;
    calls << QStringLiteral("Select %1").arg(name);
    return true;
}

QPageLayout RecordingPrinter::pageLayout()
{
    const bool landscape = orientationValue == Landscape;
    const double paperWidth = landscape ? 297 : 210;
    const double paperHeight = landscape ? 210 : 297;
    const double x = (paperWidth - pageWidth) / 2;
    const double y = (paperHeight - pageHeight) / 2;
    return QPageLayout(QPageSize(QPageSize::A4),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(x, y, x, y), QPageLayout::Millimeter);
}
