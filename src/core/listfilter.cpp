#include "core/listfilter.h"

#include "core/namelist.h"
#include "core/recordengine.h"

#include <QAtomicInteger>
#include <QMetaObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <sqlite3.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace
{

QAtomicInteger<quint64> g_filterConnections;

constexpr size_t kBlockBytes = size_t(1) << 20;
constexpr char kColumnEnd = '\x01'; // between two columns
// Beyond this many rows written since the file was read, reading it anew is as quick.
constexpr size_t kMaxLater = 65536;
// Rows read in one read transaction while the index is built: a store waits for that many at
// most (a few milliseconds).
constexpr int kChunkRows = 2048;

// UTF-16 to UTF-8, a lone surrogate encoded as any other code unit.
void appendUtf8(const char16_t* s, size_t n, std::string& out)
{
    for (size_t i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
}

// The first place in `text` where `needle` (not empty) starts. Rather than memmem (whose set-up
// for each call costs more than an entry's text), the places where the needle's first and
// last bytes both are, sixteen at a time, and only those compared whole.
const char* findIn(const char* text, size_t size, const std::string& needle)
{
    const size_t n = needle.size();
    if (n > size)
        return nullptr;
    if (n == 1)
        return static_cast<const char*>(std::memchr(text, needle[0], size));
    const size_t starts = size - n + 1; // places where the needle may start
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[n - 1]);
    for (; i + 16 <= starts; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + n - 1));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const size_t at = i + size_t(__builtin_ctz(mask));
            if (n == 2 || std::memcmp(text + at + 1, needle.data() + 1, n - 2) == 0)
                return text + at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i < starts; ++i) {
        if (text[i] == needle[0] && std::memcmp(text + i + 1, needle.data() + 1, n - 1) == 0)
            return text + i;
    }
    return nullptr;
}

sqlite3* handleOf(QSqlDatabase& db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement(sqlite3* db, const QString& sql)
    {
        if (db)
            sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size() * 2), &stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    // The folded text of the current row's columns after the row number.
    void record(std::vector<std::pair<const char*, int>>& columns, std::string& text) const
    {
        columns.clear();
        const int n = sqlite3_column_count(stmt);
        for (int c = 1; c < n; ++c) {
            const bool null = sqlite3_column_type(stmt, c) == SQLITE_NULL;
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            columns.emplace_back(null ? nullptr : p, null ? 0 : sqlite3_column_bytes(stmt, c));
        }
        text.clear();
        FilterIndex::appendRecord(columns, text);
    }
};

} // namespace

RowsRead readFoldedRows(sqlite3* db, const QString& scanSql, int chunkRows,
                        const std::function<void(qint64 rowid, const std::string& text)>& row,
                        const std::function<bool()>& next)
{
    Statement scan(db, scanSql);
    if (!scan.stmt)
        return RowsRead::Failed;
    std::vector<std::pair<const char*, int>> columns;
    std::string text;
    qint64 from = std::numeric_limits<qint64>::min();
    int busyChunks = 0;
    for (;;) {
        sqlite3_bind_int64(scan.stmt, 1, from);
        sqlite3_bind_int(scan.stmt, 2, chunkRows);
        int rows = 0;
        bool last = false; // the row read was the highest row number there can be
        int rc;
        while ((rc = sqlite3_step(scan.stmt)) == SQLITE_ROW) {
            const qint64 rowid = sqlite3_column_int64(scan.stmt, 0);
            scan.record(columns, text);
            row(rowid, text);
            ++rows;
            last = rowid == std::numeric_limits<qint64>::max();
            if (!last)
                from = rowid + 1;
        }
        // Ends the chunk's read transaction.
        sqlite3_reset(scan.stmt);
        if (rc != SQLITE_DONE) {
            // Kept waiting past the busy timeout by a writer: that chunk is read again, from
            // its first row not read, a few times.
            if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++busyChunks < 4 && next())
                continue;
            return RowsRead::Failed;
        }
        if (rows < chunkRows || last)
            return RowsRead::Whole;
        if (!next())
            return RowsRead::Stopped;
    }
}

void releaseFreedHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// ------------------------------------------------------------------------------ the index

void FilterIndex::appendRecord(const std::vector<std::pair<const char*, int>>& columns,
                               std::string& text)
{
    std::u16string folded;
    bool firstColumn = true;
    for (const auto& [p, n] : columns) {
        if (!firstColumn)
            text.push_back(kColumnEnd);
        firstColumn = false;
        const size_t start = text.size();
        bool ascii = true;
        for (int i = 0; p && i < n; ++i) {
            const char c = p[i];
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
            text.push_back(c >= 'A' && c <= 'Z' ? char(c + 32) : c);
        }
        if (!ascii) {
            text.resize(start);
            const QString s = QString::fromUtf8(p, n);
            folded.clear();
            appendFolded(s, folded);
            appendUtf8(folded.data(), folded.size(), text);
        }
    }
}

void FilterIndex::clear()
{
    *this = FilterIndex();
}

void FilterIndex::append(qint64 rowid, const std::string& text)
{
    // A new block when this one is full, or when the row number is too far from its first
    // for a distance of 32 bits.
    if (m_blocks.empty() || m_blocks.back().text.size() + text.size() > kBlockBytes ||
        std::uint64_t(rowid) - std::uint64_t(m_blocks.back().rowid) > 0xFFFFFFFFu) {
        if (!m_blocks.empty())
            m_blocks.back().text.shrink_to_fit();
        m_blocks.push_back({{}, int(m_rowids.size()), rowid});
        m_blocks.back().text.reserve(std::max(kBlockBytes, text.size()));
    }
    Block& b = m_blocks.back();
    m_rowids.push_back(std::uint32_t(std::uint64_t(rowid) - std::uint64_t(b.rowid)));
    m_starts.push_back(std::uint32_t(b.text.size()));
    m_gone.push_back(0);
    b.text += text;
    m_lastValid = false;
}

size_t FilterIndex::entryOf(qint64 rowid) const
{
    const auto after = std::upper_bound(m_blocks.begin(), m_blocks.end(), rowid,
                                        [](qint64 r, const Block& b) { return r < b.rowid; });
    if (after == m_blocks.begin())
        return m_rowids.size();
    const size_t block = size_t(after - m_blocks.begin()) - 1;
    const std::uint64_t distance = std::uint64_t(rowid) - std::uint64_t(m_blocks[block].rowid);
    if (distance > 0xFFFFFFFFu)
        return m_rowids.size();
    const auto first = m_rowids.begin() + m_blocks[block].first;
    const auto last =
        block + 1 < m_blocks.size() ? m_rowids.begin() + m_blocks[block + 1].first : m_rowids.end();
    const auto at = std::lower_bound(first, last, std::uint32_t(distance));
    return at != last && *at == distance ? size_t(at - m_rowids.begin()) : m_rowids.size();
}

void FilterIndex::set(qint64 rowid, const std::string* text)
{
    const size_t entry = entryOf(rowid);
    if (entry < m_gone.size())
        m_gone[entry] = 1;
    if (text)
        m_later[rowid] = *text;
    else
        m_later.erase(rowid);
}

void FilterIndex::shrink()
{
    m_rowids.shrink_to_fit();
    m_starts.shrink_to_fit();
    m_gone.shrink_to_fit();
    m_blocks.shrink_to_fit();
    if (!m_blocks.empty())
        m_blocks.back().text.shrink_to_fit();
}

size_t FilterIndex::entryEnd(size_t block, size_t entry) const
{
    const size_t next =
        block + 1 < m_blocks.size() ? size_t(m_blocks[block + 1].first) : m_rowids.size();
    return entry + 1 < next ? m_starts[entry + 1] : m_blocks[block].text.size();
}

void FilterIndex::scanBlock(size_t b, const std::string& needle,
                            std::vector<std::uint64_t>& found) const
{
    // Straight through the block's text, sixteen places at a time as findIn does. Each place
    // found belongs to the entry whose start is the last one before it (entries in order, so
    // the entry only moves forward), and the search goes on at the next entry.
    const char* text = m_blocks[b].text.data();
    const size_t size = m_blocks[b].text.size();
    const size_t n = needle.size();
    if (n == 0 || n > size)
        return;
    const size_t starts = size - n + 1;
    const size_t last = b + 1 < m_blocks.size() ? size_t(m_blocks[b + 1].first) : m_rowids.size();
    size_t e = size_t(m_blocks[b].first);
    size_t end = entryEnd(b, e);
    // The needle is at `at`: the next place to look at.
    auto place = [&](size_t at) {
        if (at >= end) {
            while (e + 1 < last && m_starts[e + 1] <= at)
                ++e;
            end = entryEnd(b, e);
        }
        if (at + n > end)
            return at + 1; // across two entries' texts
        if (!m_gone[e])
            found[e / 64] |= std::uint64_t(1) << (e % 64);
        return end;
    };
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i lastByte = _mm_set1_epi8(needle[n - 1]);
    while (i + 16 <= starts) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + n - 1));
        unsigned mask = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(x, first), _mm_cmpeq_epi8(y, lastByte))));
        size_t next = i + 16;
        for (; mask != 0; mask &= mask - 1) {
            const size_t at = i + size_t(__builtin_ctz(mask));
            if (n > 2 && std::memcmp(text + at + 1, needle.data() + 1, n - 2) != 0)
                continue;
            const size_t resume = place(at);
            if (resume > at + 1) {
                next = resume; // the rest of this entry is not looked at
                break;
            }
        }
        i = next;
    }
#endif
    while (i < starts) {
        if (text[i] == needle[0] && std::memcmp(text + i + 1, needle.data() + 1, n - 1) == 0)
            i = place(i);
        else
            ++i;
    }
}

template <typename Visit>
bool FilterIndex::eachEntry(const std::vector<std::uint64_t>& bits, Visit visit) const
{
    size_t block = 0;
    for (size_t w = 0; w < bits.size(); ++w) {
        for (std::uint64_t left = bits[w]; left != 0; left &= left - 1) {
            const size_t e = w * 64 + size_t(__builtin_ctzll(left));
            while (block + 1 < m_blocks.size() && size_t(m_blocks[block + 1].first) <= e)
                ++block;
            if (!visit(e, block))
                return false;
        }
    }
    return true;
}

bool FilterIndex::find(const std::string& needle, RowNumbers& rowids,
                       const std::function<bool()>& stop)
{
    rowids = RowNumbers();
    std::vector<std::uint64_t> found((m_rowids.size() + 63) / 64, 0);
    const bool narrow = m_lastValid && needle.find(m_lastNeedle) != std::string::npos &&
                        m_lastCount < m_rowids.size() / 8;
    if (needle.empty()) {
        for (size_t e = 0; e < m_rowids.size(); ++e) {
            if (!m_gone[e])
                found[e / 64] |= std::uint64_t(1) << (e % 64);
        }
    } else if (narrow) {
        // Among the few entries found before.
        size_t looked = 0;
        const bool whole = eachEntry(m_lastFound, [&](size_t e, size_t block) {
            const size_t start = m_starts[e];
            if (!m_gone[e] &&
                findIn(m_blocks[block].text.data() + start, entryEnd(block, e) - start, needle))
                found[e / 64] |= std::uint64_t(1) << (e % 64);
            return ++looked % 65536 != 0 || !stop();
        });
        if (!whole)
            return false;
    } else {
        // The second half of the blocks read on a thread of its own, at the same time: the
        // window waits meanwhile, and reading the texts takes most of a search.
        const size_t half = std::thread::hardware_concurrency() > 1 ? m_blocks.size() / 2 : 0;
        std::atomic<bool> dropped{false};
        std::vector<std::uint64_t> second;
        auto scan = [&](size_t from, size_t to, std::vector<std::uint64_t>& bits) {
            for (size_t b = from; b < to && !dropped; ++b) {
                scanBlock(b, needle, bits);
                if (stop())
                    dropped = true;
            }
        };
        std::thread other;
        if (half > 0) {
            second.assign(found.size(), 0);
            other = std::thread(scan, half, m_blocks.size(), std::ref(second));
        }
        scan(0, half > 0 ? half : m_blocks.size(), found);
        if (other.joinable())
            other.join();
        if (dropped)
            return false;
        for (size_t w = 0; w < second.size(); ++w)
            found[w] |= second[w];
    }
    // The rows written since the build, merged in by row number.
    size_t count = 0;
    auto later = m_later.begin();
    auto addLater = [&](qint64 until) {
        for (; later != m_later.end() && later->first < until; ++later) {
            if (needle.empty() || later->second.find(needle) != std::string::npos)
                rowids.push_back(later->first);
        }
    };
    eachEntry(found, [&](size_t e, size_t block) {
        const qint64 rowid = rowidOf(block, e);
        addLater(rowid);
        rowids.push_back(rowid);
        ++count;
        return true;
    });
    addLater(std::numeric_limits<qint64>::max());
    if (later != m_later.end() &&
        (needle.empty() || later->second.find(needle) != std::string::npos))
        rowids.push_back(later->first); // the greatest row number there is
    rowids.shrink();
    m_lastNeedle = needle;
    m_lastFound = std::move(found);
    m_lastCount = count;
    m_lastValid = true;
    return true;
}

size_t FilterIndex::bytes() const
{
    size_t n = m_rowids.capacity() * 4 + m_starts.capacity() * 4 + m_gone.capacity() +
               m_lastFound.capacity() * 8 + m_blocks.capacity() * sizeof(Block);
    for (const Block& b : m_blocks)
        n += b.text.capacity();
    for (const auto& [rowid, text] : m_later)
        n += text.capacity() + 64;
    return n;
}

// ------------------------------------------------------------------------------ the thread

ListFilter::ListFilter(Result result, QObject* parent)
    : QObject(parent), m_result(std::move(result)), m_thread([this] { run(); })
{
}

ListFilter::~ListFilter()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_latest = 0;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ListFilter::index(const QString& path, const QString& scanSql, const QString& rowSql)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_work.close = false;
        m_work.index = true;
        m_work.path = path;
        m_work.scanSql = scanSql;
        m_work.rowSql = rowSql;
        m_work.written.clear(); // read with the rest
        ++m_indexGeneration;
    }
    m_wake.notify_all();
}

void ListFilter::written(const std::vector<qint64>& rowids)
{
    if (rowids.empty())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_work.index)
            m_work.written.insert(m_work.written.end(), rowids.begin(), rowids.end());
    }
    m_wake.notify_all();
}

void ListFilter::follow(const Recordset& rs)
{
    const auto names = rs.names();
    std::vector<qint64> rowids;
    if (m_followed.lock() != names || !rs.rowsWrittenSince(m_writes, rowids))
        index(rs.fileName(), rs.filterScanSql(), rs.filterRowSql());
    else
        written(rowids);
    m_followed = names;
    m_writes = rs.writeCount();
}

void ListFilter::close()
{
    m_followed.reset();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_work = Work();
        m_work.close = true;
        m_latest = 0;
        ++m_indexGeneration;
    }
    m_wake.notify_all();
}

void ListFilter::request(const QString& folded, quint64 tag)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_work.request = true;
        m_work.folded = folded;
        m_work.tag = tag;
        m_latest = tag;
    }
    m_wake.notify_all();
}

void ListFilter::cancel()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_work.request = false;
    m_latest = 0;
}

bool ListFilter::stale()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_quit || m_latest != m_running;
}

size_t ListFilter::indexBytes()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_quit || (!m_busy && !m_work.any()); });
    return m_indexBytes;
}

void ListFilter::run()
{
    const QString connection =
        QStringLiteral("elvarine-filter-%1").arg(g_filterConnections.fetchAndAddRelaxed(1));
    FilterIndex index;
    bool indexed = false;
    QString path, scanSql, rowSql;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000;QSQLITE_OPEN_READONLY"));
        std::vector<std::pair<const char*, int>> columns;
        std::string text;
        for (;;) {
            Work work;
            quint64 generation;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_busy = false;
                m_indexBytes = indexed ? index.bytes() : 0;
                m_idle.notify_all();
                m_wake.wait(lock, [this] { return m_quit || m_work.any(); });
                if (m_quit)
                    break;
                work = std::move(m_work);
                m_work = Work();
                m_busy = true;
                generation = m_indexGeneration;
            }
            if (work.close) {
                index.clear();
                indexed = false;
                db.close();
            }
            if (!work.index && indexed && index.laterCount() > kMaxLater) {
                // Many rows written since: read anew, from the same file.
                work.index = true;
                work.path = path;
                work.scanSql = scanSql;
                work.rowSql = rowSql;
            }
            if (work.index) {
                // Read from the start; a request waits for it, another reading or closing
                // stops it.
                index.clear();
                indexed = false;
                db.close();
                db.setDatabaseName(work.path);
                db.open();
                path = work.path;
                scanSql = work.scanSql;
                rowSql = work.rowSql;
                // A file that cannot be read to its end keeps what was read of it.
                const bool stopped =
                    readFoldedRows(
                        db.isOpen() ? handleOf(db) : nullptr, work.scanSql, kChunkRows,
                        [&index](qint64 rowid, const std::string& text) {
                            index.append(rowid, text);
                        },
                        [this, generation] {
                            const std::lock_guard<std::mutex> lock(m_mutex);
                            return !m_quit && m_indexGeneration == generation;
                        }) == RowsRead::Stopped;
                indexed = !stopped;
                if (indexed) {
                    index.shrink();
                    // Reading the file and sorting the list left freed room in the heaps.
                    releaseFreedHeap();
                }
                const std::lock_guard<std::mutex> lock(m_mutex);
                // The request waits for the next turn, with the rows written meanwhile.
                if (work.request && !m_work.request && m_latest == work.tag) {
                    m_work.request = true;
                    m_work.folded = work.folded;
                    m_work.tag = work.tag;
                }
                continue;
            }
            if (indexed && !work.written.empty()) {
                std::sort(work.written.begin(), work.written.end());
                work.written.erase(std::unique(work.written.begin(), work.written.end()),
                                   work.written.end());
                Statement read(handleOf(db), rowSql);
                for (const qint64 rowid : work.written) {
                    if (!read.stmt)
                        break;
                    sqlite3_reset(read.stmt);
                    sqlite3_bind_int64(read.stmt, 1, rowid);
                    if (sqlite3_step(read.stmt) == SQLITE_ROW) {
                        read.record(columns, text);
                        index.set(rowid, &text);
                    } else {
                        index.set(rowid, nullptr);
                    }
                }
            }
            if (!work.request)
                continue;
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_running = work.tag;
            }
            std::string needle;
            appendUtf8(reinterpret_cast<const char16_t*>(work.folded.utf16()),
                       size_t(work.folded.size()), needle);
            RowNumbers rowids;
            if (indexed && !index.find(needle, rowids, [this] { return stale(); }))
                continue;
            if (stale())
                continue;
            auto found = std::make_shared<RowNumbers>(std::move(rowids));
            const quint64 tag = work.tag;
            QMetaObject::invokeMethod(
                this,
                [this, tag, found] {
                    bool latest;
                    {
                        const std::lock_guard<std::mutex> lock(m_mutex);
                        latest = tag == m_latest;
                    }
                    if (latest)
                        m_result(tag, std::move(*found));
                },
                Qt::QueuedConnection);
        }
        index.clear();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}
