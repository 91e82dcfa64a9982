#include "core/nametable.h"

#include <algorithm>

namespace
{

// The latest changes kept: a list further behind is built again, which is as quick then.
constexpr size_t kMaxLoggedChanges = 4096;

} // namespace

QStringView NameTable::nom(int position) const
{
    const Record& r = m_records[size_t(position)];
    return QStringView(m_text.data() + r.start, qsizetype(r.nomLength));
}

QStringView NameTable::prenom(int position) const
{
    const Record& r = m_records[size_t(position)];
    return QStringView(m_text.data() + r.start + r.nomLength, qsizetype(r.prenomLength));
}

QString NameTable::line(int position) const
{
    const Record& r = m_records[size_t(position)];
    QString text;
    text.reserve(qsizetype(r.nomLength + r.prenomLength + 1));
    text.append(nom(position));
    text.append(QLatin1Char(' '));
    text.append(prenom(position));
    return text;
}

void NameTable::reserve(int records, qsizetype characters)
{
    m_records.reserve(size_t(records));
    m_text.reserve(size_t(characters));
}

std::uint32_t NameTable::put(QStringView text)
{
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    m_text.insert(m_text.end(), units, units + text.size());
    return std::uint32_t(text.size());
}

void NameTable::append(QStringView nom, QStringView prenom)
{
    Record r;
    r.start = m_text.size();
    r.nomLength = put(nom);
    r.prenomLength = put(prenom);
    m_records.push_back(r);
    log(ChangeKind::Added, size() - 1);
}

void NameTable::set(int position, QStringView nom, QStringView prenom)
{
    if (this->nom(position) == nom && this->prenom(position) == prenom) {
        // Stored again: the line stays, the rest of the record may have changed.
        log(ChangeKind::Changed, position);
        return;
    }
    // The new texts go after the others (the views given may point into the arena).
    const QString copy = nom.toString() + prenom.toString();
    Record r;
    r.start = m_text.size();
    r.nomLength = put(QStringView(copy).left(nom.size()));
    r.prenomLength = put(QStringView(copy).mid(nom.size()));
    Record& old = m_records[size_t(position)];
    m_unused += old.nomLength + old.prenomLength;
    old = r;
    log(ChangeKind::Changed, position);
    compact();
}

void NameTable::erase(int position)
{
    const Record& old = m_records[size_t(position)];
    m_unused += old.nomLength + old.prenomLength;
    m_records.erase(m_records.begin() + position);
    log(ChangeKind::Removed, position);
    compact();
}

void NameTable::compact()
{
    if (m_unused < 65536 || m_unused * 2 < m_text.size())
        return;
    std::vector<char16_t> text;
    text.reserve(m_text.size() - m_unused);
    for (Record& r : m_records) {
        const std::uint64_t start = text.size();
        text.insert(text.end(), m_text.begin() + qsizetype(r.start),
                    m_text.begin() + qsizetype(r.start + r.nomLength + r.prenomLength));
        r.start = start;
    }
    m_text = std::move(text);
    m_unused = 0;
}

void NameTable::log(ChangeKind kind, int position)
{
    ++m_version;
    if (m_log.size() >= 2 * kMaxLoggedChanges) {
        // Only the latest changes are kept.
        m_log.erase(m_log.begin(), m_log.begin() + qsizetype(kMaxLoggedChanges));
        m_logStart += kMaxLoggedChanges;
    }
    m_log.push_back({kind, position});
}

const std::vector<NameTable::Change>& NameTable::changesSince(std::uint64_t from,
                                                              bool& complete) const
{
    m_since.clear();
    complete = from >= m_logStart && from <= m_version;
    if (complete)
        m_since.assign(m_log.begin() + qsizetype(from - m_logStart), m_log.end());
    return m_since;
}

size_t NameTable::bytes() const
{
    return m_text.capacity() * sizeof(char16_t) + m_records.capacity() * sizeof(Record) +
           m_log.capacity() * sizeof(Change);
}
