#include "contacts/csvformat.h"

#include "contacts/textdecoding.h"
#include "core/cp1252.h"

#include <QStringDecoder>

namespace
{

constexpr qsizetype kProgressChars = 65536;
constexpr int kProgressRows = 1000;

bool hasControlCharacters(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != '\v')
            return true;
    }
    return false;
}

} // namespace

QChar detectSeparator(const QString& text)
{
    int counts[3] = {0, 0, 0};
    const QChar candidates[3] = {QLatin1Char(';'), QLatin1Char(','), QLatin1Char('\t')};
    bool inQuotes = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!inQuotes) {
            for (int i = 0; i < 3; ++i) {
                if (c == candidates[i])
                    ++counts[i];
            }
        }
    }
    int best = 0;
    for (int i = 1; i < 3; ++i) {
        if (counts[i] > counts[best])
            best = i;
    }
    return candidates[best];
}

CsvReadResult readCsv(const QByteArray& data, const ProgressFn& progress)
{
    CsvReadResult result;
    QString text;
    switch (byteOrderMark(data)) {
    case ByteOrderMark::Utf8: {
        auto decoded = strictUtf8(data.mid(3));
        if (!decoded) {
            result.error = QStringLiteral("le texte n'est pas de l'UTF-8 valide alors que son "
                                          "début l'annonce (codage des caractères incorrect).");
            return result;
        }
        text = *decoded;
        result.table.encoding = QStringLiteral("UTF-8");
        break;
    }
    case ByteOrderMark::Utf16LE:
    case ByteOrderMark::Utf16BE: {
        QStringDecoder decoder(byteOrderMark(data) == ByteOrderMark::Utf16LE
                                   ? QStringDecoder::Utf16LE
                                   : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        text = decoder.decode(data.mid(2));
        if (decoder.hasError() || data.size() % 2 != 0) {
            result.error = QStringLiteral("le texte n'est pas de l'UTF-16 valide alors que son "
                                          "début l'annonce (codage des caractères incorrect).");
            return result;
        }
        result.table.encoding = QStringLiteral("UTF-16");
        break;
    }
    case ByteOrderMark::None:
        if (hasBinaryBytes(data)) {
            result.error = QStringLiteral("c'est un fichier binaire, pas un fichier texte CSV.");
            return result;
        }
        if (auto decoded = strictUtf8(data)) {
            text = *decoded;
            result.table.encoding = QStringLiteral("UTF-8");
        } else {
            text = fromCp1252(data);
            result.table.encoding = QStringLiteral("Windows-1252");
        }
        break;
    }
    if (text.trimmed().isEmpty()) {
        result.error = QStringLiteral("le fichier est vide.");
        return result;
    }
    if (hasControlCharacters(text)) {
        result.error = QStringLiteral("c'est un fichier binaire, pas un fichier texte CSV.");
        return result;
    }

    const QChar sep = detectSeparator(text);
    result.table.separator = sep;
    std::vector<QStringList>& rows = result.table.rows;
    QStringList cells;
    QString cell;
    bool inQuotes = false;
    bool fieldStart = true;
    int line = 1;
    int quoteLine = 0;
    const qsizetype n = text.size();
    auto endRow = [&] {
        cells << cell;
        cell.clear();
        // A blank line is no row.
        if (!(cells.size() == 1 && cells.first().isEmpty()))
            rows.push_back(cells);
        cells.clear();
        fieldStart = true;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n'))
            ++line;
        if (progress && i % kProgressChars == kProgressChars - 1 && !progress(i, n)) {
            result.cancelled = true;
            rows.clear();
            return result;
        }
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    cell += c;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                cell += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && fieldStart) {
            inQuotes = true;
            fieldStart = false;
            quoteLine = line;
            continue;
        }
        if (c == sep) {
            cells << cell;
            cell.clear();
            fieldStart = true;
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) {
                ++i;
                ++line;
            }
            endRow();
            continue;
        }
        cell += c;
        fieldStart = false;
    }
    if (inQuotes) {
        rows.clear();
        result.error = QStringLiteral("le guillemet ouvert ligne %1 n'est jamais fermé : le "
                                      "fichier est incomplet.")
                           .arg(quoteLine);
        return result;
    }
    if (!cells.isEmpty() || !cell.isEmpty())
        endRow();
    return result;
}

QString csvRow(const QStringList& cells, QChar separator)
{
    QString out;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += separator;
        const QString& v = cells[i];
        if (v.contains(separator) || v.contains(QLatin1Char('"')) ||
            v.contains(QLatin1Char('\n')) || v.contains(QLatin1Char('\r'))) {
            QString q = v;
            q.replace(QLatin1Char('"'), QLatin1String("\"\""));
            out += QLatin1Char('"') + q + QLatin1Char('"');
        } else {
            out += v;
        }
    }
    out += QLatin1String("\r\n");
    return out;
}

QByteArray writeCsv(const std::vector<Contact>& contacts, QChar separator,
                    const ProgressFn& progress, bool* cancelled)
{
    if (cancelled)
        *cancelled = false;
    QByteArray out("\xEF\xBB\xBF");
    out.reserve(qsizetype(contacts.size()) * 200 + 256);
    QStringList header;
    for (int column : columnsInBoxOrder())
        header << fieldCaption(column);
    out += csvRow(header, separator).toUtf8();
    const qint64 total = qint64(contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i) {
        QStringList cells;
        for (int column : columnsInBoxOrder()) {
            const QString& v = contacts[i][size_t(column)];
            cells << (isEmptyValue(v) ? QString() : v);
        }
        out += csvRow(cells, separator).toUtf8();
        if (progress && (i + 1) % kProgressRows == 0 && !progress(qint64(i + 1), total)) {
            if (cancelled)
                *cancelled = true;
            return QByteArray();
        }
    }
    return out;
}
