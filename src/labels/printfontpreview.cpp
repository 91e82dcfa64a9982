#include "labels/printfontpreview.h"

#include "labels/printparamsfile.h"
#include "platform/colorref.h"
#include "platform/dialogs.h"
#include "platform/fontspec.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

namespace
{

void setTextColor(QWidget& preview, const QColor& color)
{
    QPalette pal = preview.palette();
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::Text, color);
    preview.setPalette(pal);
}

void readFontFields(const QFont& font, PrintParams& p)
{
    p.FontName = font.family();
    if (font.pointSizeF() > 0)
        p.FontSize = double(float(font.pointSizeF()));
    p.FontBold = font.bold();
    p.FontItalic = font.italic();
}

} // namespace

void applyPreviewFont(QWidget& preview, const QString& name, double size, bool bold, bool italic,
                      const QColor& color)
{
    // Underline and strikethrough stay the preview's own.
    FontSpec spec = fontSpecOf(preview.font());
    spec.name = name;
    spec.size = size;
    spec.bold = bold;
    spec.italic = italic;
    preview.setFont(fontWithSpec(preview.font(), spec));
    setTextColor(preview, color);
}

QString previewText(const QString& text)
{
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

void applyPrintFont(QWidget& preview, const PrintParams& p)
{
    applyPreviewFont(preview, p.FontName, p.FontSize, p.FontBold, p.FontItalic,
                     colorFromRef(quint32(p.ForeColor)));
}

void readPrintFont(const QWidget& preview, PrintParams& p)
{
    readFontFields(preview.font(), p);
    p.ForeColor = qint32(colorRef(preview.palette().color(QPalette::WindowText)));
}

void choosePrintFont(Dialogs& dialogs, QWidget& preview, PrintParams& p)
{
    const QFont current = preview.font();
    const std::optional<FontSpec> chosen = dialogs.chooseFont(fontSpecOf(current));
    if (!chosen)
        return;
    const QFont font = fontWithSpec(current, *chosen);
    preview.setFont(font);
    const QFont shown = preview.font();
    readFontFields(shown, p);
    p.FontStrikethru = shown.strikeOut();
    p.FontUnderline = shown.underline();
}

void choosePrintColor(Dialogs& dialogs, QWidget& preview, PrintParams& p)
{
    const quint32 preset = colorRef(preview.palette().color(QPalette::WindowText));
    const std::optional<quint32> chosen = dialogs.chooseColor(preset);
    if (!chosen)
        return;
    setTextColor(preview, colorFromRef(*chosen));
    p.ForeColor = qint32(colorRef(preview.palette().color(QPalette::WindowText)));
}

bool writeParamsWithPreviewFont(PrintParams& params, const QWidget& preview, const QString& path,
                                Dialogs* dialogs)
{
    readPrintFont(preview, params);
    return writePrintParamsFile(path, params, dialogs);
}
