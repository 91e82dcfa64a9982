#pragma once

#include "contacts/contact.h"
#include "contacts/textdecoding.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

// A CSV file as read: its rows of cells (the first row is usually the header).
struct CsvTable {
    std::vector<QStringList> rows;
    QChar separator = QLatin1Char(';');
    QString encoding; // "UTF-8", "UTF-16", "Windows-1252"
    // Read by a CsvStream: the rows above are the first ones only (as many as asked for);
    // these count every row of the file and the cells of its widest one.
    qint64 rowCount = 0;
    int widestRow = 0;
    // How to read the file again (CsvStream::assume).
    TextEncoding textEncoding = TextEncoding::Utf8;
    int bomSize = 0;
};

// Cells longer than this are kept cut to this length, followed by "…": no field of an address
// file holds so much, and a value of any size is then read in bounded memory.
constexpr qsizetype kLongestCsvCell = qsizetype(1) << 20;

struct CsvReadResult {
    CsvTable table;
    // Why the file cannot be read, in French, starting in lower case; empty when read.
    QString error;
    bool cancelled = false;
};

// Reads a CSV file (RFC 4180: quoted values may hold separators, quotes and line breaks).
// Encoding: UTF-8 with or without byte-order mark, UTF-16 with one, else Windows-1252. The
// separator is the one of `,` `;` and tab found most often in the first row outside quotes.
CsvReadResult readCsv(const QByteArray& data, const ProgressFn& progress = {});
CsvReadResult readCsv(ByteSource& source, const ProgressFn& progress = {});

// A CSV file read a chunk at a time, in bounded memory whatever it holds: `inspect` goes over
// the whole file once to decide its encoding and separator and to check it is text (the same
// rules as readCsv), then `readRows` hands its rows over, as often as wanted.
class CsvStream
{
public:
    explicit CsvStream(ByteSource& source) : m_source(source) {}
    // False when the file is not a CSV text, or when cancelled (`cancelled()`); `error()`
    // says why, in French, starting in lower case.
    bool inspect(const ProgressFn& progress = {});
    // Hands each row (blank lines left out) to `row`, which returns false to stop. False
    // when stopped, cancelled through `progress`, or when a quote is never closed (`error()`).
    bool readRows(const std::function<bool(QStringList& cells)>& row,
                  const ProgressFn& progress = {});

    QString error() const { return m_error; }
    bool cancelled() const { return m_cancelled; }
    QChar separator() const { return m_separator; }
    TextEncoding encoding() const { return m_encoding; }
    // "UTF-8", "UTF-16" or "Windows-1252".
    QString encodingName() const;
    // Settings of an earlier `inspect` of the same file.
    void assume(TextEncoding encoding, QChar separator, int bomSize);
    int bomSize() const { return m_bomSize; }

private:
    bool decodePass(TextEncoding encoding, const ProgressFn& progress, bool checkBinary);
    // Reads the file again from its start, the byte order mark left out, handing each chunk to
    // `chunk` (false stops). False when stopped, cancelled or when the file cannot be read.
    bool eachChunk(const std::function<bool(QByteArrayView bytes)>& chunk,
                   const ProgressFn& progress);

    ByteSource& m_source;
    TextEncoding m_encoding = TextEncoding::Utf8;
    QChar m_separator = QLatin1Char(';');
    int m_bomSize = 0;
    QString m_error;
    bool m_cancelled = false;
    // Found by the last decoding pass.
    bool m_binary = false;
    bool m_badText = false;
    bool m_blank = true;
    bool m_control = false;
};

// The separator of a first row: `,` `;` or tab, the most frequent outside quotes (`;` when
// none is there).
QChar detectSeparator(const QString& text);

// One row, values quoted where needed (a separator, a quote or a line break inside), ended by
// CR LF.
QString csvRow(const QStringList& cells, QChar separator);

// Our own CSV export: UTF-8 with byte-order mark, a header of the field captions in the record
// form's order, one row per contact, empty fields as empty cells.
QByteArray writeCsv(const std::vector<Contact>& contacts, QChar separator,
                    const ProgressFn& progress = {}, bool* cancelled = nullptr);
