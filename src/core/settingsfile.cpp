#include "core/settingsfile.h"

#include "core/cp1252.h"
#include "core/numbertext.h"

#include <QFile>
#include <QSaveFile>
#include <cmath>

void SettingsWriter::item(const QString& text)
{
    if (m_lineStarted)
        m_bytes.append(',');
    m_bytes.append(toCp1252(text));
    m_lineStarted = true;
}

void SettingsWriter::text(const QString& value)
{
    item(QLatin1Char('"') + value + QLatin1Char('"'));
}

void SettingsWriter::boolean(bool value)
{
    item(value ? QStringLiteral("#TRUE#") : QStringLiteral("#FALSE#"));
}

void SettingsWriter::single(double value)
{
    item(singleText(value));
}

void SettingsWriter::real(double value)
{
    item(doubleText(value));
}

void SettingsWriter::integer(qint64 value)
{
    item(QString::number(value));
}

void SettingsWriter::endLine()
{
    m_bytes.append("\r\n");
    m_lineStarted = false;
}

void SettingsWriter::fontLines(const QString& name, double size, bool bold, bool italic)
{
    text(storableSettingsText(name));
    endLine();
    single(size);
    endLine();
    boolean(bold);
    endLine();
    boolean(italic);
    endLine();
}

QString storableSettingsText(const QString& text)
{
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] != QLatin1Char('"'))
            continue;
        int after = i + 1;
        while (after < s.size() && s[after] == QLatin1Char(' '))
            ++after;
        if (after < s.size() && s[after] == QLatin1Char(','))
            s[i] = QLatin1Char('\'');
    }
    return s;
}

std::optional<double> SettingsItem::toNumber() const
{
    switch (kind) {
    case Number:
        return number;
    case Boolean:
        return boolean ? -1.0 : 0.0;
    case Empty:
        return 0.0;
    case Text:
        break;
    }
    return std::nullopt;
}

bool SettingsItem::isTrue() const
{
    if (kind == Boolean)
        return boolean;
    if (kind == Number)
        return number == -1;
    return false;
}

namespace
{

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// A whole unquoted item that reads as a number (plain or exponent form).
std::optional<double> wholeNumber(const QString& s)
{
    if (s.isEmpty())
        return std::nullopt;
    for (const QChar c : s) {
        if (!(c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('-') ||
              c == QLatin1Char('+') || c == QLatin1Char('E') || c == QLatin1Char('e')) ||
            c.unicode() > 127)
            return std::nullopt;
    }
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace

SettingsReader::SettingsReader(const QByteArray& bytes) : m_text(fromCp1252(bytes)) {}

bool SettingsReader::atEnd() const
{
    int p = m_pos;
    while (p < m_text.size() && (m_text[p] == QLatin1Char(' ') || isLineEnd(m_text[p])))
        ++p;
    return p >= m_text.size();
}

std::optional<SettingsItem> SettingsReader::next()
{
    const int n = m_text.size();
    // Leading spaces; an item never starts at a line end left over from the previous line.
    while (m_pos < n && (m_text[m_pos] == QLatin1Char(' ') || m_text[m_pos] == QLatin1Char('\t')))
        ++m_pos;
    if (m_pos >= n)
        return std::nullopt;

    SettingsItem item;
    if (m_text[m_pos] == QLatin1Char('"')) {
        const int start = m_pos + 1;
        int lineEnd = start;
        while (lineEnd < n && !isLineEnd(m_text[lineEnd]))
            ++lineEnd;
        // The closing quote is the first one followed (after spaces) by a delimiter.
        int close = -1;
        int lastQuote = -1;
        for (int q = start; q < lineEnd; ++q) {
            if (m_text[q] != QLatin1Char('"'))
                continue;
            lastQuote = q;
            int after = q + 1;
            while (after < lineEnd && m_text[after] == QLatin1Char(' '))
                ++after;
            if (after >= lineEnd || m_text[after] == QLatin1Char(',')) {
                close = q;
                break;
            }
        }
        if (close < 0)
            close = lastQuote >= 0 ? lastQuote : lineEnd;
        item.kind = SettingsItem::Text;
        item.quoted = true;
        item.text = m_text.mid(start, close - start);
        m_pos = close < lineEnd ? close + 1 : lineEnd;
        // Anything between the closing quote and the delimiter is dropped.
        while (m_pos < n && m_text[m_pos] != QLatin1Char(',') && !isLineEnd(m_text[m_pos]))
            ++m_pos;
    } else {
        const int start = m_pos;
        while (m_pos < n && m_text[m_pos] != QLatin1Char(',') && !isLineEnd(m_text[m_pos]))
            ++m_pos;
        QString raw = m_text.mid(start, m_pos - start);
        while (raw.endsWith(QLatin1Char(' ')) || raw.endsWith(QLatin1Char('\t')))
            raw.chop(1);
        item.text = raw;
        if (raw.isEmpty()) {
            item.kind = SettingsItem::Empty;
        } else if (raw.compare(QLatin1String("#TRUE#"), Qt::CaseInsensitive) == 0) {
            item.kind = SettingsItem::Boolean;
            item.boolean = true;
        } else if (raw.compare(QLatin1String("#FALSE#"), Qt::CaseInsensitive) == 0) {
            item.kind = SettingsItem::Boolean;
            item.boolean = false;
        } else if (const auto v = wholeNumber(raw)) {
            item.kind = SettingsItem::Number;
            item.number = *v;
        } else {
            item.kind = SettingsItem::Text;
        }
    }
    // Consume the delimiter: one comma, or one line end (CR LF, CR or LF).
    if (m_pos < n && m_text[m_pos] == QLatin1Char(',')) {
        ++m_pos;
    } else if (m_pos < n && m_text[m_pos] == QLatin1Char('\r')) {
        ++m_pos;
        if (m_pos < n && m_text[m_pos] == QLatin1Char('\n'))
            ++m_pos;
    } else if (m_pos < n && m_text[m_pos] == QLatin1Char('\n')) {
        ++m_pos;
    }
    return item;
}

std::optional<QByteArray> readWholeFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (f.size() > kLargestSettingsFile)
        return std::nullopt;
    // At most one byte more than the limit, whatever the file claims (a device reports 0).
    QByteArray bytes = f.read(kLargestSettingsFile + 1);
    if (bytes.size() > kLargestSettingsFile)
        return std::nullopt;
    return bytes;
}

bool isDrawableFontSize(double points)
{
    return std::isfinite(points) && points > 0 && points <= kLargestFontSize;
}

bool isColorRef(double value)
{
    return std::isfinite(value) && value >= 0 && value <= kLargestColor;
}

bool writeWholeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}
