#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

// The name and first name of every record, by stored position, kept compactly: all texts in one
// arena of UTF-16 code units, each record an offset and two lengths (no text object per record).
// Changes are logged so that a name list kept in step with the table can follow them one record
// at a time instead of sorting everything again.
class NameTable
{
public:
    enum class ChangeKind : std::uint8_t { Added, Changed, Removed };
    struct Change {
        ChangeKind kind;
        int position; // stored position at the time of the change
    };

    int size() const { return int(m_records.size()); }
    QStringView nom(int position) const;
    QStringView prenom(int position) const;
    // Name, one space, first name (a null column counts as an empty text).
    QString line(int position) const;

    void reserve(int records, qsizetype characters);
    // Adds a record after the others.
    void append(QStringView nom, QStringView prenom);
    // Record `position` was stored again, with these texts.
    void set(int position, QStringView nom, QStringView prenom);
    // Removes record `position`: the records after it move up by one.
    void erase(int position);

    // Counts every change made since the table was built; changesSince(from) lists those made
    // after the count was `from`, or nothing with `complete` false when they are no longer kept
    // (only the latest few thousand are).
    std::uint64_t version() const { return m_version; }
    const std::vector<Change>& changesSince(std::uint64_t from, bool& complete) const;
    // Memory the table holds, in bytes.
    size_t bytes() const;

private:
    struct Record {
        std::uint64_t start;
        std::uint32_t nomLength;
        std::uint32_t prenomLength;
    };
    void log(ChangeKind kind, int position);
    std::uint32_t put(QStringView text);
    void compact();

    std::vector<char16_t> m_text;
    std::vector<Record> m_records;
    size_t m_unused = 0; // code units of texts replaced or removed
    std::uint64_t m_version = 0;
    std::uint64_t m_logStart = 0; // version before the first logged change
    std::vector<Change> m_log;
    mutable std::vector<Change> m_since;
};
