#pragma once

#include "core/rownumbers.h"

#include <QObject>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class NameTable;
class Recordset;
struct sqlite3;

// Gives the room freed in the heaps back to the system (glibc keeps it otherwise, resident):
// after the large, short-lived vectors of reading the file and of a filter's result.
void releaseFreedHeap();

// The folded texts of every record of an address file (letter case and accents taken away as
// foldedForFilter does, UTF-8, columns separated by \x01), kept compactly: the texts in
// blocks of bytes, a record never split between two, and the row numbers (as distances from
// their block's first) and starts in contiguous arrays by entry. Rows written later are kept
// apart until the next build.
class FilterIndex
{
public:
    // Folded text of one row, its columns as SQLite gives them (UTF-8, null for a null column).
    static void appendRecord(const std::vector<std::pair<const char*, int>>& columns,
                             std::string& text);

    void clear();
    // Adds a row after the others (row numbers ascending).
    void append(qint64 rowid, const std::string& text);
    // Row `rowid` now holds `text`, or is gone (`text` null).
    void set(qint64 rowid, const std::string* text);

    // Row numbers (ascending) of the rows holding `needle` (UTF-8, folded). A needle holding
    // the previous one looks only among the previous rows found when they are few (otherwise
    // reading every text straight through is quicker). `stop` is asked now and then; true
    // drops the search (false returned).
    bool find(const std::string& needle, RowNumbers& rowids, const std::function<bool()>& stop);

    int size() const { return int(m_rowids.size()); }
    size_t laterCount() const { return m_later.size(); }
    // Gives back the room kept for growing, once built.
    void shrink();
    // Memory held, in bytes.
    size_t bytes() const;

private:
    struct Block {
        std::string text;
        int first = 0;    // first entry in the block
        qint64 rowid = 0; // row number of the first entry
    };
    size_t entryEnd(size_t block, size_t entry) const;
    qint64 rowidOf(size_t block, size_t entry) const
    {
        return m_blocks[block].rowid + qint64(m_rowids[entry]);
    }
    // Entry of row `rowid`, or size() when none.
    size_t entryOf(qint64 rowid) const;
    // Marks in `found` the entries of `block` holding `needle` (reads only: two blocks may be
    // scanned at once).
    void scanBlock(size_t block, const std::string& needle,
                   std::vector<std::uint64_t>& found) const;
    // Calls `visit(entry, block)` for each entry whose bit is set in `bits`, in entry order,
    // with the block holding it; stops at the first false (and then gives false).
    template <typename Visit>
    bool eachEntry(const std::vector<std::uint64_t>& bits, Visit visit) const;

    std::vector<Block> m_blocks;
    std::vector<std::uint32_t> m_rowids;   // by entry, ascending: the distance from the block's
    std::vector<std::uint32_t> m_starts;   // start of an entry's text in its block
    std::vector<std::uint8_t> m_gone;      // entries written again or deleted since the build
    std::map<qint64, std::string> m_later; // rows written since the build, by row number
    // The last search: its needle and the entries it found, one bit each (the rows written
    // later are always looked at).
    std::string m_lastNeedle;
    std::vector<std::uint64_t> m_lastFound;
    size_t m_lastCount = 0;
    bool m_lastValid = false;
};

// How reading the rows of `scanSql` ended.
enum class RowsRead { Whole, Stopped, Failed };

// Reads the rows of `scanSql` (a row number and sixteen columns, ascending, from the row number
// bound first, at most as many rows as the second value bound) `chunkRows` at a time, each
// chunk in a read transaction of its own: a store through another connection then waits for
// one chunk at most, never for the whole file. Gives each row's number and folded text to
// `row`; `next` is asked between two chunks, and false stops the reading.
RowsRead readFoldedRows(sqlite3* db, const QString& scanSql, int chunkRows,
                        const std::function<void(qint64 rowid, const std::string& text)>& row,
                        const std::function<bool()>& next);

// Looks for a text in every record of an address file on a thread of its own, through a
// read-only connection of its own, so that typing in the list filter never waits: the thread
// reads the file once into a FilterIndex, then each request searches it; each new request drops
// the search under way, and only the latest one's result is handed back, on the thread that
// owns this object.
class ListFilter : public QObject
{
    Q_OBJECT
public:
    // Row numbers (ascending) of the records holding the text; `tag` is the request's.
    using Result = std::function<void(quint64 tag, RowNumbers rowids)>;

    explicit ListFilter(Result result, QObject* parent = nullptr);
    ~ListFilter() override;

    // Reads the file `path` anew into the index, in the background: `scanSql` gives the rows as
    // readFoldedRows reads them; `rowSql` the row number and sixteen columns of the row number
    // bound to it.
    void index(const QString& path, const QString& scanSql, const QString& rowSql);
    // Rows written (stored, added, deleted) since: read again before the next search.
    void written(const std::vector<qint64>& rowids);
    // Drops the index and the file.
    void close();
    // Keeps the index in step with `rs`: read anew for another table of rows (a file opened or
    // read again) or when the rows written since are no longer known, otherwise told of them.
    void follow(const Recordset& rs);
    // Looks for `folded` (as foldedForFilter gives it); answered once the index is read.
    void request(const QString& folded, quint64 tag);
    // Drops the search under way and any request not started.
    void cancel();
    // The search under way is no longer wanted (on the filter's thread).
    bool stale();
    // Memory the index holds once read, in bytes; waits for the index (benches and tests).
    size_t indexBytes();

private:
    struct Work {
        bool close = false;
        bool index = false;
        QString path, scanSql, rowSql;
        std::vector<qint64> written;
        bool request = false;
        QString folded;
        quint64 tag = 0;
        bool any() const { return close || index || !written.empty() || request; }
    };
    void run();

    Result m_result;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    Work m_work;
    bool m_quit = false;
    bool m_busy = false;
    quint64 m_indexGeneration = 0; // counts the readings asked; a reading for an older stops
    quint64 m_latest = 0;          // the tag of the latest request; a search for another stops
    quint64 m_running = 0;         // the tag of the search under way
    size_t m_indexBytes = 0;
    std::weak_ptr<const NameTable> m_followed; // the rows read into the index (main thread)
    std::uint64_t m_writes = 0;                // and the writes it was told of
    std::thread m_thread;
};
