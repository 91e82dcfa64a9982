#include "core/namelist.h"

#include "core/fieldrules.h"
#include "core/nametable.h"
#include "core/recordengine.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <string_view>

namespace
{

// What a character counts as in the list order: its letter without accent and letter case (two
// letters for a ligature), and the accent, 0 when none.
struct Folding {
    char16_t base[2] = {0, 0};
    std::uint8_t accent = 0;
};

Folding computeFolding(char16_t c)
{
    Folding f;
    switch (c) {
    case 0x152: // Œ
    case 0x153:
        f.base[0] = u'o';
        f.base[1] = u'e';
        return f;
    case 0xC6: // Æ
    case 0xE6:
        f.base[0] = u'a';
        f.base[1] = u'e';
        return f;
    case 0xDF: // ß
        f.base[0] = u's';
        f.base[1] = u's';
        return f;
    default:
        break;
    }
    char16_t base = c;
    char16_t mark = 0;
    // A precomposed letter decomposes into its letter and its accents (perhaps in steps).
    for (int step = 0; step < 4; ++step) {
        const QChar ch(base);
        if (ch.decompositionTag() != QChar::Canonical)
            break;
        const QString d = ch.decomposition();
        if (d.isEmpty())
            break;
        base = d.at(0).unicode();
        if (d.size() > 1 && mark == 0)
            mark = d.at(1).unicode();
    }
    base = QChar(base).toCaseFolded().unicode();
    f.base[0] = base;
    if (mark != 0)
        f.accent = mark >= 0x300 && mark < 0x370 ? std::uint8_t(1 + (mark - 0x300)) : 0x7F;
    return f;
}

const std::array<Folding, 0x250>& foldingTable()
{
    static const std::array<Folding, 0x250> table = [] {
        std::array<Folding, 0x250> t;
        for (char16_t c = 0; c < 0x250; ++c)
            t[c] = computeFolding(c);
        return t;
    }();
    return table;
}

Folding folding(char16_t c)
{
    return c < 0x250 ? foldingTable()[c] : computeFolding(c);
}

// Order of the ASCII characters that are neither letters nor digits: by their codes.
const std::array<std::uint8_t, 128>& asciiRanks()
{
    static const std::array<std::uint8_t, 128> ranks = [] {
        std::array<std::uint8_t, 128> r{};
        std::uint8_t next = 0;
        for (int c = 0; c < 128; ++c) {
            const bool alnum =
                (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            if (!alnum)
                r[size_t(c)] = next++;
        }
        return r;
    }();
    return ranks;
}

// The weight of a letter or sign without accent: one byte for the ASCII ones, an escape byte
// and the code for the others (signs before digits, digits before letters, other scripts after
// the Latin letters).
void appendPrimary(char16_t b, std::string& key)
{
    if (b < 0x80) {
        if (b >= 'a' && b <= 'z')
            key.push_back(char(0x61 + (b - 'a')));
        else if (b >= '0' && b <= '9')
            key.push_back(char(0x50 + (b - '0')));
        else if (b >= 'A' && b <= 'Z')
            key.push_back(char(0x61 + (b - 'A')));
        else
            key.push_back(char(0x02 + asciiRanks()[b]));
        return;
    }
    key.push_back(QChar(b).isLetter() ? char(0x7C) : char(0x48));
    key.push_back(char(b >> 8));
    key.push_back(char(b & 0xFF));
}

void appendKey(std::initializer_list<QStringView> parts, std::string& key)
{
    // The accents are compared only between lines whose letters are the same: after them.
    thread_local std::string accents;
    accents.clear();
    for (QStringView part : parts) {
        for (QChar qc : part) {
            const char16_t c = qc.unicode();
            if (c >= 0x300 && qc.isMark()) {
                // A combining accent belongs to the letter before it.
                if (!accents.empty() && accents.back() == 0)
                    accents.back() = char(c < 0x370 ? 1 + (c - 0x300) : 0x7F);
                continue;
            }
            const Folding f = folding(c);
            appendPrimary(f.base[0], key);
            accents.push_back(char(f.accent));
            if (f.base[1] != 0) {
                appendPrimary(f.base[1], key);
                accents.push_back(0);
            }
        }
    }
    key.push_back(char(0x01));
    size_t length = accents.size();
    while (length > 0 && accents[length - 1] == 0)
        --length;
    key.append(accents, 0, length);
}

int compareKeys(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (c != 0)
        return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

void appendRecordKey(const NameTable& names, int position, std::string& key)
{
    static const QString space = QStringLiteral(" ");
    appendKey({names.nom(position), space, names.prenom(position)}, key);
}

// Sorts records by their keys, equal keys in stored order. `keyOf(i, key)` appends the key of
// record i.
template <typename KeyOf> std::vector<int> sortedOrder(int n, KeyOf keyOf)
{
    std::string arena;
    arena.reserve(size_t(n) * 24);
    std::vector<size_t> start(static_cast<size_t>(n) + 1);
    for (int i = 0; i < n; ++i) {
        start[size_t(i)] = arena.size();
        keyOf(i, arena);
    }
    start[size_t(n)] = arena.size();
    // The first eight bytes of each key side by side with its record: most comparisons end
    // there, without reaching the arena.
    struct Entry {
        std::uint64_t prefix;
        int position;
    };
    std::vector<Entry> entries(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        std::uint64_t prefix = 0;
        const size_t length = start[size_t(i) + 1] - start[size_t(i)];
        for (size_t b = 0; b < 8; ++b) {
            prefix <<= 8;
            if (b < length)
                prefix |= std::uint8_t(arena[start[size_t(i)] + b]);
        }
        entries[size_t(i)] = {prefix, i};
    }
    auto keyAt = [&](int i) {
        return std::string_view(arena.data() + start[size_t(i)],
                                start[size_t(i) + 1] - start[size_t(i)]);
    };
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int c = compareKeys(keyAt(a.position), keyAt(b.position));
        return c != 0 ? c < 0 : a.position < b.position;
    });
    std::vector<int> order(static_cast<size_t>(n));
    for (size_t i = 0; i < entries.size(); ++i)
        order[i] = entries[i].position;
    return order;
}

// Beyond this many changes at once, sorting everything again is as quick.
constexpr size_t kMaxFollowedChanges = 512;

} // namespace

QString listLine(const QString& nom, const QString& prenom)
{
    return nom + QLatin1Char(' ') + prenom;
}

void appendSortKey(QStringView line, std::string& key)
{
    appendKey({line}, key);
}

std::vector<int> alphabeticalOrder(const std::vector<QString>& lines)
{
    return sortedOrder(int(lines.size()),
                       [&lines](int i, std::string& key) { appendKey({lines[size_t(i)]}, key); });
}

void appendFolded(QStringView text, std::u16string& folded)
{
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80) {
            folded.push_back(c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c);
            continue;
        }
        if (c >= 0x300 && qc.isMark())
            continue;
        const Folding f = folding(c);
        folded.push_back(f.base[0]);
        if (f.base[1] != 0)
            folded.push_back(f.base[1]);
    }
}

QString foldedForFilter(QStringView text)
{
    std::u16string folded;
    folded.reserve(size_t(text.size()));
    appendFolded(text, folded);
    return QString::fromUtf16(folded.data(), qsizetype(folded.size()));
}

void NameListModel::fill(const Recordset& rs)
{
    beginResetModel();
    rebuild(rs);
    endResetModel();
}

void NameListModel::rebuild(const Recordset& rs)
{
    m_names = rs.names();
    m_version = m_names->version();
    const NameTable& names = *m_names;
    m_positions = sortedOrder(
        names.size(), [&names](int i, std::string& key) { appendRecordKey(names, i, key); });
    rebuildInverse();
    // Rows read anew: a filter is looked for again by its owner.
    m_test = {};
    m_matches.clear();
    rebuildShown();
}

void NameListModel::sync(const Recordset& rs)
{
    beginResetModel();
    if (!follow(rs))
        rebuild(rs);
    endResetModel();
}

bool NameListModel::before(const std::string& keyA, int a, int b) const
{
    thread_local std::string keyB;
    keyB.clear();
    appendRecordKey(*m_names, b, keyB);
    const int c = compareKeys(keyA, keyB);
    return c != 0 ? c < 0 : a < b;
}

bool NameListModel::follow(const Recordset& rs)
{
    if (!m_names || rs.names() != m_names)
        return false;
    bool complete = false;
    const std::vector<NameTable::Change>& changes = m_names->changesSince(m_version, complete);
    if (!complete || changes.size() > kMaxFollowedChanges)
        return false;
    if (changes.empty())
        return true;
    // The entries' stored positions moved along with each change (-1: deleted), and the records
    // added or changed, to be put at their places afterwards.
    std::vector<int> entries = m_positions;
    std::vector<int> placed;
    int count = int(m_indexOf.size());
    for (const NameTable::Change& change : changes) {
        const int p = change.position;
        switch (change.kind) {
        case NameTable::ChangeKind::Added:
            if (p < count) {
                for (int& e : entries)
                    e += e >= p ? 1 : 0;
                for (int& d : placed)
                    d += d >= p ? 1 : 0;
            }
            ++count;
            placed.push_back(p);
            if (m_test)
                m_matches.insert(m_matches.begin() + p, 0);
            break;
        case NameTable::ChangeKind::Removed:
            for (int& e : entries)
                e = e == p ? -1 : (e > p ? e - 1 : e);
            placed.erase(std::remove(placed.begin(), placed.end(), p), placed.end());
            for (int& d : placed)
                d -= d > p ? 1 : 0;
            --count;
            if (m_test)
                m_matches.erase(m_matches.begin() + p);
            break;
        case NameTable::ChangeKind::Changed:
            placed.push_back(p);
            break;
        }
    }
    if (count != m_names->size())
        return false;
    std::vector<std::uint8_t> moving(size_t(count), 0);
    for (int d : placed)
        moving[size_t(d)] = 1;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&moving](int e) { return e < 0 || moving[size_t(e)]; }),
                  entries.end());
    std::string key;
    for (int d = 0; d < count; ++d) {
        if (!moving[size_t(d)])
            continue;
        key.clear();
        appendRecordKey(*m_names, d, key);
        const auto at = std::upper_bound(entries.begin(), entries.end(), d,
                                         [&](int a, int b) { return before(key, a, b); });
        entries.insert(at, d);
        if (m_test)
            m_matches[size_t(d)] = m_test(d) ? 1 : 0;
    }
    m_positions = std::move(entries);
    m_version = m_names->version();
    rebuildInverse();
    rebuildShown();
    return true;
}

void NameListModel::rebuildInverse()
{
    m_indexOf.assign(m_positions.size(), -1);
    for (size_t i = 0; i < m_positions.size(); ++i)
        m_indexOf[size_t(m_positions[i])] = int(i);
}

void NameListModel::rebuildShown()
{
    // A vector of its own size each time: the few lines of a narrow filter do not keep the
    // room of a wide one.
    std::vector<int> shown;
    if (m_test) {
        shown.reserve(size_t(std::count_if(m_matches.begin(), m_matches.end(),
                                           [](std::uint8_t m) { return m != 0; })));
        for (size_t i = 0; i < m_positions.size(); ++i) {
            if (m_matches[size_t(m_positions[i])])
                shown.push_back(int(i));
        }
    }
    m_shown = std::move(shown);
}

void NameListModel::setFilter(std::vector<std::uint8_t> matches, RecordTest test)
{
    beginResetModel();
    m_test = std::move(test);
    m_matches = std::move(matches);
    if (m_test)
        m_matches.resize(m_positions.size(), 0);
    else
        m_matches.clear();
    rebuildShown();
    endResetModel();
}

void NameListModel::clear()
{
    beginResetModel();
    m_names.reset();
    m_version = 0;
    m_positions.clear();
    m_indexOf.clear();
    m_matches.clear();
    m_shown.clear();
    m_matches.resize(0);
    endResetModel();
}

int NameListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_test ? m_shown.size() : m_positions.size());
}

QModelIndex NameListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || column != 0 || row < 0 || row >= NameListModel::rowCount())
        return QModelIndex();
    return createIndex(row, 0);
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    // The line shows the beginning of a very long name; line() keeps it whole.
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return shownPart(line(index.row()));
    return QVariant();
}

QString NameListModel::line(int row) const
{
    const int position = recordPosition(row);
    if (position < 0 || !m_names)
        return QString();
    return m_names->line(position);
}

int NameListModel::recordPosition(int row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    return m_positions[size_t(m_test ? m_shown[size_t(row)] : row)];
}

int NameListModel::indexOfPosition(int position) const
{
    if (position < 0 || position >= int(m_indexOf.size()))
        return -1;
    const int index = m_indexOf[size_t(position)];
    if (!m_test)
        return index;
    const auto at = std::lower_bound(m_shown.begin(), m_shown.end(), index);
    return at != m_shown.end() && *at == index ? int(at - m_shown.begin()) : -1;
}

std::vector<int> NameListModel::positions() const
{
    if (!m_test)
        return m_positions;
    std::vector<int> shown;
    shown.reserve(m_shown.size());
    for (int i : m_shown)
        shown.push_back(m_positions[size_t(i)]);
    return shown;
}
