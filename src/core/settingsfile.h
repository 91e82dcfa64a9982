#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The comma-separated text form of the settings files (".PAR", ".UTI", "Telephon.cfg"):
// texts in double quotes, booleans as #TRUE# / #FALSE#, numbers bare with a point, items of a
// line separated by one comma, lines ended by CR LF, Windows-1252 bytes.
class SettingsWriter
{
public:
    void text(const QString& value);
    void boolean(bool value);
    // A single-precision real (7 significant digits).
    void single(double value);
    // A double-precision real (15 significant digits).
    void real(double value);
    void integer(qint64 value);
    // Ends the current line with CR LF.
    void endLine();
    // The four font lines of the print parameters and sender files: name, size (single
    // precision), bold, italic, one a line.
    void fontLines(const QString& name, double size, bool bold, bool italic);

    QByteArray bytes() const { return m_bytes; }

private:
    void item(const QString& text);
    QByteArray m_bytes;
    bool m_lineStarted = false;
};

// `text` as the reader gives it back whole: the reader takes a quoted text up to the first quote
// followed by a comma, so such a quote inside a value would cut it short and shift every value
// after it (it is written as an apostrophe); line breaks become spaces.
QString storableSettingsText(const QString& text);

// One item read back.
struct SettingsItem {
    enum Kind { Empty, Text, Number, Boolean };
    Kind kind = Empty;
    QString text;         // the item as written (without quotes)
    double number = 0;    // for Number
    bool boolean = false; // for Boolean
    bool quoted = false;

    // The item as a number: numbers as they are, #TRUE# as -1 and #FALSE# as 0, an empty item
    // as 0; nothing for a text.
    std::optional<double> toNumber() const;
    // The item as a text: texts as read, numbers and booleans as written.
    QString toText() const { return text; }
    // True only for #TRUE# or the number -1.
    bool isTrue() const;
};

// Reads items in sequence, whatever the line structure: an item ends at a comma or a line end;
// spaces before an item are skipped; a quoted item runs to its closing quote (a quote followed by
// a comma, a line end or the end of the file, so a quote inside a text does not end it).
class SettingsReader
{
public:
    explicit SettingsReader(const QByteArray& bytes);
    // Nothing once the data is exhausted.
    std::optional<SettingsItem> next();
    bool atEnd() const;

private:
    QString m_text;
    int m_pos = 0;
};

// The largest settings file read: the real ones hold a few hundred bytes. A larger file is
// refused as unreadable without being read whole (a file of 200 MB must not fill the memory).
constexpr qint64 kLargestSettingsFile = 1024 * 1024;
// Reads a whole file; nothing when it cannot be read or is larger than kLargestSettingsFile.
std::optional<QByteArray> readWholeFile(const QString& path);

// What a printer can draw, as the print parameters and sender profile files accept it:
// - a font size above 0 and up to 512 points, the largest the font dialog takes (a label is
//   45 mm high, about 128 points; an envelope about 310 points); a font of 1e9 points draws
//   nothing at all;
// - a colour from 0 (black) to 0xFFFFFF (white), red + 256 * green + 65536 * blue; a negative
//   number or one above white is no colour (-1 would draw white text on the page).
constexpr double kLargestFontSize = 512;
constexpr double kLargestColor = 0xFFFFFF;
bool isDrawableFontSize(double points);
bool isColorRef(double value);
// Replaces `path` with `bytes` in one step: either the new contents are all there or the old file
// stays untouched. False when the file could not be written.
bool writeWholeFile(const QString& path, const QByteArray& bytes);
