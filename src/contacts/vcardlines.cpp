#include "contacts/vcardlines.h"

#include <climits>

namespace vcard
{

static QByteArray unquoted(const QByteArray& value)
{
    QByteArray v = value.trimmed();
    if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
        v = v.mid(1, v.size() - 2);
    else if (v.startsWith('"'))
        v = v.mid(1);
    return v;
}

// Splits at `separator` outside double quotes.
QList<QByteArray> splitOutsideQuotes(const QByteArray& text, char separator)
{
    QList<QByteArray> parts;
    bool inQuote = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            inQuote = !inQuote;
        else if (c == separator && !inQuote) {
            parts << text.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << text.mid(start);
    return parts;
}

static bool isEncodingName(const QByteArray& upper)
{
    return upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "8BIT" || upper == "7BIT" ||
           upper == "B" || upper == "QP";
}

// "name[;param...]:value", the name possibly grouped ("item1.TEL"); false when the line has no
// colon.
bool parseProperty(const QByteArray& line, Property& p)
{
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n && line[i] != ';' && line[i] != ':')
        ++i;
    if (i >= n)
        return false;
    QByteArray name = line.left(i).trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.sliced(dot + 1);
    p.name = name;
    while (i < n && line[i] == ';') {
        const qsizetype start = ++i;
        bool inQuote = false;
        while (i < n) {
            const char c = line[i];
            if (c == '"')
                inQuote = !inQuote;
            else if (!inQuote && (c == ';' || c == ':'))
                break;
            ++i;
        }
        const QByteArray text = line.mid(start, i - start).trimmed();
        if (text.isEmpty())
            continue;
        Param param;
        const qsizetype eq = text.indexOf('=');
        if (eq < 0) {
            // vCard 2.1 lets a parameter be written by its value alone ("TEL;HOME;FAX:").
            const QByteArray upper = text.toUpper();
            param.name = isEncodingName(upper) ? QByteArray("ENCODING") : QByteArray("TYPE");
            param.values << upper;
        } else {
            param.name = text.left(eq).trimmed().toUpper();
            for (const QByteArray& v : splitOutsideQuotes(text.mid(eq + 1), ','))
                param.values << unquoted(v);
        }
        p.params.push_back(std::move(param));
    }
    if (i >= n || line[i] != ':')
        return false;
    p.value = line.mid(i + 1);
    return true;
}

const Param* findParam(const Property& p, const char* name)
{
    for (const Param& param : p.params) {
        if (param.name == name)
            return &param;
    }
    return nullptr;
}

// Every TYPE value of a property, upper case.
QList<QByteArray> typesOf(const Property& p)
{
    QList<QByteArray> types;
    for (const Param& param : p.params) {
        if (param.name != "TYPE")
            continue;
        // vCard 4.0 quotes its lists: TYPE="voice,home".
        for (const QByteArray& v : param.values) {
            for (const QByteArray& t : v.split(','))
                types << t.trimmed().toUpper();
        }
    }
    return types;
}

// Preference of a property: PREF=n (vCard 4.0, 1 most preferred), TYPE=PREF (2.1, 3.0) as 1;
// without either, after every preferred one.
int preference(const Property& p)
{
    if (const Param* pref = findParam(p, "PREF")) {
        bool ok = false;
        const int n = pref->values.value(0).toInt(&ok);
        return ok && n > 0 ? n : 1;
    }
    return typesOf(p).contains("PREF") ? 1 : INT_MAX;
}

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    const qsizetype n = in.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = in[i];
        if (c == '=' && i + 2 < n) {
            const int hi = hexDigit(in[i + 1]);
            const int lo = hexDigit(in[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.append(char(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        if (c == '=' && i == n - 1)
            break; // a soft line break left at the very end
        out.append(c);
    }
    return out;
}

// Backslash escapes of a text value (after splitting structured values).
QString unescaped(const QString& s, Version version)
{
    if (!s.contains(QLatin1Char('\\')))
        return s;
    QString out;
    out.reserve(s.size());
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c != QLatin1Char('\\') || i + 1 >= n) {
            out += c;
            continue;
        }
        const QChar next = s[i + 1];
        if ((next == QLatin1Char('n') || next == QLatin1Char('N')) && version != Version::V21)
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('\\') || next == QLatin1Char(',') ||
                 next == QLatin1Char(';') || next == QLatin1Char(':'))
            out += next;
        else {
            out += c;
            out += next;
        }
        ++i;
    }
    return out;
}

// Components of a structured value (N, ADR, ORG), split at semicolons that are not escaped.
QStringList components(const QString& s)
{
    QStringList parts;
    QString current;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\\') && i + 1 < n) {
            current += c;
            current += s[i + 1];
            ++i;
        } else if (c == QLatin1Char(';')) {
            parts << current;
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current;
    return parts;
}

QString trimmedValue(const QString& s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (from < to && blank(s[from]))
        ++from;
    while (to > from && blank(s[to - 1]))
        --to;
    return s.mid(from, to - from);
}

} // namespace vcard
