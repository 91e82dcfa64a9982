#include "contacts/csvformat.h"

#include "contacts/textdecoding.h"
#include "core/cp1252.h"

#include <QStringDecoder>
#include <algorithm>
#include <functional>

namespace
{

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

namespace
{

// The separator of the first row, counted as the text comes.
class SeparatorCount
{
public:
    void feed(QStringView text)
    {
        for (const QChar c : text) {
            if (m_done)
                return;
            if (c == QLatin1Char('"'))
                m_inQuotes = !m_inQuotes;
            else if (!m_inQuotes && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
                m_done = true;
            else if (!m_inQuotes) {
                for (int i = 0; i < 3; ++i) {
                    if (c == kCandidates[i])
                        ++m_counts[i];
                }
            }
        }
    }
    QChar separator() const
    {
        int best = 0;
        for (int i = 1; i < 3; ++i) {
            if (m_counts[i] > m_counts[best])
                best = i;
        }
        return kCandidates[best];
    }

private:
    static constexpr QChar kCandidates[3] = {u';', u',', u'\t'};
    int m_counts[3] = {0, 0, 0};
    bool m_inQuotes = false;
    bool m_done = false;
};

// Cuts CSV text into rows of cells (RFC 4180), the text handed over in pieces of any size.
class CsvRowParser
{
public:
    using RowFn = std::function<bool(QStringList& cells)>;
    explicit CsvRowParser(QChar separator) : m_sep(separator) {}

    // False when `row` asked to stop.
    bool feed(QStringView text, const RowFn& row)
    {
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = text[i];
            if (m_afterCr) {
                // CR LF ends one row.
                m_afterCr = false;
                if (c == QLatin1Char('\n')) {
                    ++m_line;
                    continue;
                }
            }
            if (m_quoteInQuotes) {
                m_quoteInQuotes = false;
                if (c == QLatin1Char('"')) {
                    append(QStringView(&c, 1));
                    continue;
                }
                m_inQuotes = false;
            }
            if (m_inQuotes) {
                // The run up to the next quote at once.
                qsizetype end = text.indexOf(QLatin1Char('"'), i);
                if (end < 0)
                    end = n;
                const QStringView run = text.sliced(i, end - i);
                m_line += int(run.count(QLatin1Char('\n')));
                append(run);
                i = end;
                if (end < n)
                    m_quoteInQuotes = true;
                continue;
            }
            if (c == QLatin1Char('\n'))
                ++m_line;
            if (c == QLatin1Char('"') && m_fieldStart) {
                m_inQuotes = true;
                m_fieldStart = false;
                m_quoteLine = m_line;
                continue;
            }
            if (c == m_sep) {
                endCell();
                m_fieldStart = true;
                continue;
            }
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                m_afterCr = c == QLatin1Char('\r');
                if (!endRow(row))
                    return false;
                continue;
            }
            append(QStringView(&c, 1));
            m_fieldStart = false;
        }
        return true;
    }

    // The end of the text: the last row. False when a quote is still open, or when `row`
    // asked to stop.
    bool finish(const RowFn& row)
    {
        if (m_quoteInQuotes) {
            m_quoteInQuotes = false;
            m_inQuotes = false;
        }
        if (m_inQuotes)
            return false;
        if (!m_cells.isEmpty() || !m_cell.isEmpty())
            return endRow(row);
        return true;
    }
    bool quoteOpen() const { return m_inQuotes && !m_quoteInQuotes; }
    int quoteLine() const { return m_quoteLine; }

private:
    void append(QStringView run)
    {
        const qsizetype room = kLongestCsvCell - m_cellLength;
        m_cellLength += run.size();
        if (room > 0)
            m_cell.append(run.first(std::min(room, run.size())));
    }
    void endCell()
    {
        if (m_cellLength > kLongestCsvCell)
            m_cell += QChar(0x2026);
        m_cells << m_cell;
        m_cell.clear();
        m_cellLength = 0;
    }
    bool endRow(const RowFn& row)
    {
        endCell();
        m_fieldStart = true;
        bool go = true;
        // A blank line is no row.
        if (!(m_cells.size() == 1 && m_cells.first().isEmpty()))
            go = row(m_cells);
        m_cells.clear();
        return go;
    }

    QChar m_sep;
    QStringList m_cells;
    QString m_cell;
    qsizetype m_cellLength = 0;
    bool m_inQuotes = false;
    bool m_quoteInQuotes = false; // a quote inside quotes, not known yet to be doubled
    bool m_afterCr = false;
    bool m_fieldStart = true;
    int m_line = 1;
    int m_quoteLine = 0;
};

const QString kNotUtf8 =
    QStringLiteral("le texte n'est pas de l'UTF-8 valide alors que son début l'annonce (codage des "
                   "caractères incorrect).");
const QString kNotUtf16 = QStringLiteral(
    "le texte n'est pas de l'UTF-16 valide alors que son début l'annonce (codage des "
    "caractères incorrect).");
const QString kBinary = QStringLiteral("c'est un fichier binaire, pas un fichier texte CSV.");

} // namespace

QString CsvStream::encodingName() const
{
    switch (m_encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return QStringLiteral("UTF-16");
    case TextEncoding::Windows1252:
        break;
    }
    return QStringLiteral("Windows-1252");
}

void CsvStream::assume(TextEncoding encoding, QChar separator, int bomSize)
{
    m_encoding = encoding;
    m_separator = separator;
    m_bomSize = bomSize;
}

bool CsvStream::eachChunk(const std::function<bool(QByteArrayView bytes)>& chunk,
                          const ProgressFn& progress)
{
    m_source.rewind();
    QByteArray read;
    qsizetype skip = m_bomSize;
    while (m_source.next(read)) {
        // The mark may be cut by tiny chunks.
        const qsizetype skipped = std::min(skip, read.size());
        skip -= skipped;
        if (!chunk(QByteArrayView(read).sliced(skipped)))
            return false;
        if (progress && !progress(m_source.position(), std::max<qint64>(m_source.size(), 1))) {
            m_cancelled = true;
            return false;
        }
    }
    if (!m_source.errorString().isEmpty()) {
        m_error = QStringLiteral("il ne peut pas être lu (%1).").arg(m_source.errorString());
        return false;
    }
    return true;
}

bool CsvStream::decodePass(TextEncoding encoding, const ProgressFn& progress, bool checkBinary)
{
    m_binary = m_badText = m_control = false;
    m_blank = true;
    ChunkDecoder decoder(encoding);
    SeparatorCount separator;
    bool endsInCtrlZ = false;
    const bool read = eachChunk(
        [&](QByteArrayView bytes) {
            if (checkBinary && !m_binary) {
                // A final Ctrl-Z is allowed: one that ended the chunk before is not final.
                m_binary = endsInCtrlZ || (!bytes.isEmpty() && hasBinaryBytes(bytes.toByteArray()));
                endsInCtrlZ = !bytes.isEmpty() && bytes.back() == '\x1A';
            }
            const QString text = decoder.decode(bytes);
            if (m_blank && !text.trimmed().isEmpty())
                m_blank = false;
            m_control = m_control || hasControlCharacters(text);
            separator.feed(text);
            return true;
        },
        progress);
    if (!read)
        return false;
    m_badText = !decoder.finish();
    m_separator = separator.separator();
    return true;
}

bool CsvStream::inspect(const ProgressFn& progress)
{
    m_source.rewind();
    QByteArray head;
    m_source.next(head);
    // A mark cut by a tiny chunk: the first three bytes are enough.
    while (head.size() < 3) {
        QByteArray more;
        if (!m_source.next(more))
            break;
        head += more;
    }
    const ByteOrderMark bom = byteOrderMark(head);
    m_bomSize = bom == ByteOrderMark::Utf8 ? 3 : bom == ByteOrderMark::None ? 0 : 2;
    switch (bom) {
    case ByteOrderMark::Utf8:
        m_encoding = TextEncoding::Utf8;
        break;
    case ByteOrderMark::Utf16LE:
        m_encoding = TextEncoding::Utf16LE;
        break;
    case ByteOrderMark::Utf16BE:
        m_encoding = TextEncoding::Utf16BE;
        break;
    case ByteOrderMark::None:
        m_encoding = TextEncoding::Utf8;
        break;
    }
    if (!decodePass(m_encoding, progressPart(progress, 0, 700), bom == ByteOrderMark::None))
        return false;
    if (bom == ByteOrderMark::None) {
        if (m_binary) {
            m_error = kBinary;
            return false;
        }
        if (m_badText) {
            // Not UTF-8: Windows-1252, whose every byte is a character.
            m_encoding = TextEncoding::Windows1252;
            if (!decodePass(m_encoding, progressPart(progress, 700, 1000), false))
                return false;
        }
    } else if (m_badText) {
        m_error = bom == ByteOrderMark::Utf8 ? kNotUtf8 : kNotUtf16;
        return false;
    }
    if (m_blank) {
        m_error = QStringLiteral("le fichier est vide.");
        return false;
    }
    if (m_control) {
        m_error = kBinary;
        return false;
    }
    return true;
}

bool CsvStream::readRows(const std::function<bool(QStringList& cells)>& row,
                         const ProgressFn& progress)
{
    ChunkDecoder decoder(m_encoding);
    CsvRowParser parser(m_separator);
    if (!eachChunk([&](QByteArrayView bytes) { return parser.feed(decoder.decode(bytes), row); },
                   progress))
        return false;
    if (parser.quoteOpen()) {
        m_error = QStringLiteral("le guillemet ouvert ligne %1 n'est jamais fermé : le "
                                 "fichier est incomplet.")
                      .arg(parser.quoteLine());
        return false;
    }
    return parser.finish(row);
}

CsvReadResult readCsv(const QByteArray& data, const ProgressFn& progress)
{
    ByteSource source(data);
    return readCsv(source, progress);
}

CsvReadResult readCsv(ByteSource& source, const ProgressFn& progress)
{
    CsvReadResult result;
    CsvStream stream(source);
    const bool read = stream.inspect(progressPart(progress, 0, 300)) &&
                      stream.readRows(
                          [&result](QStringList& cells) {
                              result.table.rows.push_back(cells);
                              return true;
                          },
                          progressPart(progress, 300, 1000));
    result.cancelled = stream.cancelled();
    if (!read) {
        result.table.rows.clear();
        result.error = stream.error();
        return result;
    }
    result.table.separator = stream.separator();
    result.table.encoding = stream.encodingName();
    result.table.textEncoding = stream.encoding();
    result.table.bomSize = stream.bomSize();
    result.table.rowCount = qint64(result.table.rows.size());
    for (const QStringList& row : result.table.rows)
        result.table.widestRow = std::max(result.table.widestRow, int(row.size()));
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
