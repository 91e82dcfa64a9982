#pragma once

#include "contacts/contact.h"

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
};

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
