#include "core/fieldrules.h"

QString trimLeadingSpaces(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == QLatin1Char(' '))
        ++start;
    return text.mid(start);
}

QString trimSpaces(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return trimLeadingSpaces(text.left(end));
}

QString shownPart(const QString& text)
{
    return text.size() > kShownLength ? text.left(kShownLength) : text;
}

QString menuCaptionText(const QString& text)
{
    QString caption = shownPart(text);
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    return caption;
}
