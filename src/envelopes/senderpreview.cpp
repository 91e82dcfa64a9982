#include "envelopes/senderpreview.h"

#include "envelopes/senderprofile.h"
#include "platform/colorref.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

void applySenderFont(QWidget& preview, const SenderProfile& p)
{
    QFont f = preview.font();
    if (!p.FontName.trimmed().isEmpty())
        f.setFamily(p.FontName);
    if (p.FontSize > 0 && p.FontSize < 2000)
        f.setPointSizeF(p.FontSize);
    f.setBold(p.FontBold);
    f.setItalic(p.FontItalic);
    preview.setFont(f);
    QPalette pal = preview.palette();
    pal.setColor(QPalette::WindowText, colorFromRef(senderColorRef(p.TextColor)));
    preview.setPalette(pal);
}

QString previewText(const QString& text)
{
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}
