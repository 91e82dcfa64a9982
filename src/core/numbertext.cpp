#include "core/numbertext.h"

#include <cmath>

double leadingNumber(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    const int start = i;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    int digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    int end = i;
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == QLatin1Char('E') || text[i] == QLatin1Char('e'))) {
        int j = i + 1;
        if (j < n && (text[j] == QLatin1Char('-') || text[j] == QLatin1Char('+')))
            ++j;
        int expDigits = 0;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            end = j;
    }
    bool ok = false;
    const double v = text.mid(start, end - start).toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0;
}

namespace
{

QString numberText(double value, int significant)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    QString s = QString::number(value, 'g', significant);
    const int e = s.indexOf(QLatin1Char('e'));
    if (e < 0)
        return s;
    // Exponent form as "1.671168E+07": capital E, sign, at least two digits.
    QString mantissa = s.left(e);
    QString exponent = s.mid(e + 1);
    QChar sign = QLatin1Char('+');
    if (exponent.startsWith(QLatin1Char('-')) || exponent.startsWith(QLatin1Char('+'))) {
        sign = exponent[0];
        exponent.remove(0, 1);
    }
    while (exponent.size() > 2 && exponent.startsWith(QLatin1Char('0')))
        exponent.remove(0, 1);
    if (exponent.size() < 2)
        exponent.prepend(QLatin1Char('0'));
    return mantissa + QLatin1Char('E') + sign + exponent;
}

} // namespace

QString singleText(double value)
{
    return numberText(double(float(value)), 7);
}

QString doubleText(double value)
{
    return numberText(value, 15);
}
