// The record set's rows: reading them, moving through them, and the current row's values.
#include "core/recordengine.h"

#include "core/enginemessages.h"
#include "core/enginesql.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <algorithm>
#include <memory>
#include <sqlite3.h>

using namespace enginesql;

namespace
{

// The SQLite connection under the Qt one, for the scans that step a statement themselves.
sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

// A failed step: a lock held by another program is said so; anything else is a damaged file.
[[noreturn]] void stepFail(sqlite3* handle, const QString& path, int rc = SQLITE_ERROR)
{
    const int primary = (rc == SQLITE_ERROR ? sqlite3_errcode(handle) : rc) & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        fail(errLocked, lockedFileMessage(path));
    fail(errNotDatabase, QStringLiteral("Lecture impossible des fiches. (%1)")
                             .arg(QString::fromUtf8(sqlite3_errmsg(handle))));
}

// For a scan reading rows here and there across the whole file: the file is read through a
// mapping of it for as long as the scan lasts, instead of one system call and one copy per page
// (a search over a million records took twice as long as reading the file straight through).
// The scan holds a read of the file, so no other connection can change or shorten it meanwhile;
// the mapping is given back at the end. A page of a mapping that cannot be read (a USB key
// pulled out, a network share gone) ends the program instead of failing the read: files
// elsewhere than on the machine's own disks are read as before.
class MappedReading
{
public:
    MappedReading(sqlite3* handle, const QString& path) : m_handle(handle)
    {
        static const QList<QByteArray> kLocalDisks = {"ext2", "ext3", "ext4", "btrfs", "xfs",
                                                      "f2fs", "jfs",  "zfs",  "tmpfs"};
        const qint64 size = QFileInfo(path).size();
        if (!kLocalDisks.contains(QStorageInfo(path).fileSystemType()))
            m_handle = nullptr;
        if (m_handle && size > 0)
            exec(QByteArray("PRAGMA mmap_size = ") + QByteArray::number(size + (size >> 3)));
    }
    ~MappedReading()
    {
        if (m_handle)
            exec("PRAGMA mmap_size = 0");
    }
    MappedReading(const MappedReading&) = delete;
    MappedReading& operator=(const MappedReading&) = delete;

private:
    void exec(const QByteArray& sql)
    {
        sqlite3_exec(m_handle, sql.constData(), nullptr, nullptr, nullptr);
    }
    sqlite3* m_handle;
};

// Decodes `size` bytes of UTF-8 into `out` (room for `size` units); the units written.
qsizetype decodeUtf8(const char* bytes, int size, QChar* out)
{
    int i = 0;
    while (i < size && uchar(bytes[i]) < 0x80) {
        out[i] = QLatin1Char(bytes[i]);
        ++i;
    }
    if (i == size)
        return size;
    const QString rest = QString::fromUtf8(bytes + i, size - i);
    std::copy(rest.constBegin(), rest.constEnd(), out + i);
    return i + rest.size();
}

} // namespace

Recordset::Recordset(Database& db, QString table, QString rowNumber,
                     std::array<QString, kColumnCount> sqlNames,
                     std::array<int, kColumnCount> sizes)
    : m_db(db), m_table(std::move(table)), m_rowNumber(std::move(rowNumber)),
      m_sqlNames(std::move(sqlNames)), m_sizes(sizes)
{
}

int Recordset::dataVersion()
{
    QSqlQuery q(m_db.sql());
    if (q.exec(QStringLiteral("PRAGMA data_version")) && q.next())
        return q.value(0).toInt();
    return -1;
}

void Recordset::load()
{
    QSqlQuery q(m_db.sql());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1, %2, %3 FROM %4 ORDER BY %1")
                    .arg(m_rowNumber, m_sqlNames[0], m_sqlNames[1], m_table)))
        readFail(m_db.Name(), errNotDatabase, QStringLiteral("Lecture impossible des fiches."),
                 q.lastError());
    std::vector<qint64> rowids;
    auto names = std::make_shared<NameTable>();
    while (q.next()) {
        rowids.push_back(q.value(0).toLongLong());
        names->append(q.value(1).toString(), q.value(2).toString());
    }
    if (q.lastError().isValid())
        readFail(m_db.Name(), errNotDatabase, QStringLiteral("Lecture impossible des fiches."),
                 q.lastError());
    m_rowids = std::move(rowids);
    m_names = std::move(names);
    m_pos = 0;
    m_onDeleted = false;
    m_editMode = dbEditNone;
    m_currentRowid = -1;
    m_currentGone = false;
    m_dataVersion = dataVersion();
}

void Recordset::Requery()
{
    load();
}

bool Recordset::stale()
{
    // Stores made here keep the rows read in step; only another program's changes count.
    return dataVersion() != m_dataVersion;
}

int Recordset::AbsolutePosition() const
{
    if (m_pos < 0 || m_pos >= RecordCount() || m_onDeleted)
        return -1;
    return m_pos;
}

void Recordset::MoveFirst()
{
    if (m_rowids.empty())
        fail(errNoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
    m_editMode = dbEditNone;
    m_onDeleted = false;
    m_pos = 0;
}

void Recordset::MoveLast()
{
    if (m_rowids.empty())
        fail(errNoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
    m_editMode = dbEditNone;
    m_onDeleted = false;
    m_pos = RecordCount() - 1;
}

void Recordset::MoveNext()
{
    if (isEOF())
        fail(errNoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
    m_editMode = dbEditNone;
    if (m_onDeleted)
        m_onDeleted = false; // the rows after the deleted one have moved up already
    else
        ++m_pos;
}

void Recordset::MovePrevious()
{
    if (isBOF())
        fail(errNoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
    m_editMode = dbEditNone;
    m_onDeleted = false;
    --m_pos;
}

void Recordset::MoveTo(int position)
{
    if (position < 0 || position >= RecordCount())
        fail(errNoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
    m_editMode = dbEditNone;
    m_onDeleted = false;
    m_pos = position;
}

void Recordset::checkCurrent() const
{
    if (m_onDeleted)
        fail(errDeleted, QStringLiteral("Enregistrement supprimé."));
    if (m_pos < 0 || m_pos >= RecordCount())
        fail(errNoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
}

void Recordset::readCurrentRow(qint64 rowid) const
{
    QSqlQuery q(m_db.sql());
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(columnsSql(), m_table, m_rowNumber));
    q.addBindValue(rowid);
    const auto failed = [&] {
        const QSqlError error = q.lastError();
        if (isBusy(error))
            fail(errLocked, lockedFileMessage(m_db.Name()));
        // Whatever else stops the row from being read is damage in the file.
        fail(errDamagedRecord, damagedRecordMessage(m_db.Name()));
    };
    if (!q.exec())
        failed();
    m_currentRowid = rowid;
    m_current = RowValues();
    if (!q.next()) {
        if (q.lastError().isValid()) {
            m_currentRowid = -1;
            failed();
        }
        m_currentGone = true;
        return;
    }
    m_currentGone = false;
    for (int c = 0; c < kColumnCount; ++c)
        m_current[size_t(c)] = q.value(c);
}

void Recordset::loadCurrent() const
{
    checkCurrent();
    const qint64 rowid = m_rowids[size_t(m_pos)];
    if (rowid != m_currentRowid)
        readCurrentRow(rowid);
    if (m_currentGone && m_editMode == dbEditNone)
        fail(errDeletedElsewhere, recordDeletedElsewhereMessage(m_db.Name()));
}

QVariant Recordset::Field(int column) const
{
    if (column < 0 || column >= kColumnCount)
        fail(errNoColumn, QStringLiteral("Élément non trouvé dans cette collection."));
    if (m_editMode != dbEditNone)
        return m_buffer[size_t(column)];
    loadCurrent();
    return shownValue(m_current[size_t(column)]);
}

QVariant Recordset::Field(const QString& name) const
{
    return Field(columnIndex(name));
}

QString Recordset::filterScanSql() const
{
    QStringList names(m_sqlNames.begin(), m_sqlNames.end());
    return QStringLiteral("SELECT %1, %3 FROM %2 WHERE %1 >= ? ORDER BY %1 LIMIT ?")
        .arg(m_rowNumber, m_table, names.join(QLatin1String(", ")));
}

QString Recordset::filterRowSql() const
{
    QStringList names(m_sqlNames.begin(), m_sqlNames.end());
    return QStringLiteral("SELECT %1, %3 FROM %2 WHERE %1 = ?")
        .arg(m_rowNumber, m_table, names.join(QLatin1String(", ")));
}

void Recordset::written(qint64 rowid)
{
    // The oldest half goes when the log is full: a follower that far behind reads anew.
    constexpr size_t kKept = 8192;
    if (m_written.size() >= kKept) {
        m_written.erase(m_written.begin(), m_written.begin() + kKept / 2);
        m_writtenStart += kKept / 2;
    }
    m_written.push_back(rowid);
}

bool Recordset::rowsWrittenSince(std::uint64_t from, std::vector<qint64>& rowids) const
{
    rowids.clear();
    if (from < m_writtenStart || from > writeCount())
        return false;
    rowids.assign(m_written.begin() + std::ptrdiff_t(from - m_writtenStart), m_written.end());
    return true;
}

QString Recordset::recordText(int position) const
{
    if (position < 0 || position >= RecordCount())
        return QString();
    QStringList parts;
    for (const QString& name : m_sqlNames)
        parts << QStringLiteral("ifnull(%1, '')").arg(name);
    QSqlQuery q(m_db.sql());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                  .arg(parts.join(QLatin1String(" || char(1) || ")), m_table, m_rowNumber));
    q.addBindValue(m_rowids[size_t(position)]);
    if (!q.exec() || !q.next())
        return QString();
    return q.value(0).toString();
}

std::vector<std::uint8_t> Recordset::marksOf(const RowNumbers& rowids) const
{
    std::vector<std::uint8_t> marks(m_rowids.size(), 0);
    if (rowids.empty())
        return marks;
    if (std::is_sorted(m_rowids.begin(), m_rowids.end())) {
        RowNumbers::Reader found(rowids);
        if (rowids.size() * 16 < m_rowids.size()) {
            // A few: each looked up, each further on than the one before.
            auto from = m_rowids.begin();
            for (qint64 rowid; found.next(rowid);) {
                from = std::lower_bound(from, m_rowids.end(), rowid);
                if (from == m_rowids.end())
                    break;
                if (*from == rowid)
                    marks[size_t(from - m_rowids.begin())] = 1;
            }
            return marks;
        }
        // Both in ascending order: one pass over each.
        qint64 next = 0;
        bool more = found.next(next);
        for (size_t p = 0; more && p < m_rowids.size(); ++p) {
            const qint64 rowid = m_rowids[p];
            while (more && next < rowid)
                more = found.next(next);
            marks[p] = more && next == rowid;
        }
        return marks;
    }
    const std::vector<qint64> sorted = rowids.toVector();
    for (size_t p = 0; p < m_rowids.size(); ++p)
        marks[p] = std::binary_search(sorted.begin(), sorted.end(), m_rowids[p]);
    return marks;
}

void Recordset::scanInOrder(const std::vector<int>& positions, int from,
                            const std::vector<std::vector<int>>& columnGroups,
                            const std::function<bool(int, const QString&)>& visit)
{
    if (from < 0)
        from = 0;
    if (from >= int(positions.size()))
        return;
    // One statement, prepared once and stepped row by row in the wanted order: a row is read
    // only when it is reached, nothing is sorted or held, and a stop costs nothing more.
    QStringList columns;
    std::vector<int> groupEnds; // columns read up to each group's end
    for (const std::vector<int>& group : columnGroups) {
        for (int c : group)
            columns << m_sqlNames[size_t(c)];
        groupEnds.push_back(int(columns.size()));
    }
    if (columns.isEmpty())
        columns << QStringLiteral("NULL");
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                               .arg(columns.join(QLatin1String(", ")), m_table, m_rowNumber)
                               .toUtf8();
    sqlite3* handle = handleOf(m_db.sql());
    if (!handle)
        fail(errNotDatabase, QStringLiteral("Lecture impossible des fiches."));
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        stepFail(handle, m_db.Name());
    }
    // Given back after the statements below are finalized.
    const MappedReading mapped(positions.size() - size_t(from) > 4096 ? handle : nullptr,
                               m_db.Name());
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    // A second statement left on its first row keeps one read of the file open for the whole
    // scan: without it every row would take and drop the file's lock on its own.
    sqlite3_stmt* pinRaw = nullptr;
    sqlite3_prepare_v2(handle, "SELECT 1 FROM sqlite_master", -1, &pinRaw, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> pin(pinRaw, sqlite3_finalize);
    if (pinRaw)
        sqlite3_step(pinRaw);
    const QChar separator(kGroupSeparator);
    // The rows are read by chunks of the list, each chunk in row-number order (neighbouring
    // rows share the file's pages, read once instead of once per row), then handed over in list
    // order. The first chunks are small, so that a line found near the start comes at once.
    struct Slot {
        qint64 rowid;
        size_t index;
    };
    std::vector<Slot> wanted;
    // By place in the chunk: where its text begins (-1 when it has none) and ends.
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    QString store;
    QString text;
    size_t chunk = 256;
    for (size_t first = size_t(from); first < positions.size();) {
        const size_t end = std::min(positions.size(), first + chunk);
        wanted.clear();
        for (size_t i = first; i < end; ++i) {
            const int pos = positions[i];
            if (pos >= 0 && pos < RecordCount())
                wanted.push_back({m_rowids[size_t(pos)], i});
        }
        std::sort(wanted.begin(), wanted.end(),
                  [](const Slot& l, const Slot& r) { return l.rowid < r.rowid; });
        spans.assign(end - first, {-1, -1});
        qsizetype length = 0;
        for (const Slot& slot : wanted) {
            sqlite3_bind_int64(raw, 1, slot.rowid);
            const int rc = sqlite3_step(raw);
            if (rc == SQLITE_ROW) {
                // The stored UTF-8 decoded straight into the chunk's text: a UTF-8 text never
                // has fewer bytes than UTF-16 units.
                qsizetype bound = length + qsizetype(groupEnds.size());
                for (int c = 0; c < int(columns.size()); ++c)
                    bound += sqlite3_column_bytes(raw, c);
                if (store.size() < bound)
                    store.resize(std::max(bound, store.size() * 2));
                QChar* out = store.data();
                const qsizetype start = length;
                int column = 0;
                for (size_t g = 0; g < groupEnds.size(); ++g) {
                    if (g > 0)
                        out[length++] = separator;
                    for (; column < groupEnds[g]; ++column) {
                        const auto* bytes =
                            reinterpret_cast<const char*>(sqlite3_column_text(raw, column));
                        const int size = sqlite3_column_bytes(raw, column);
                        length += decodeUtf8(bytes, size, out + length);
                    }
                }
                spans[slot.index - first] = {start, length};
            }
            sqlite3_reset(raw);
            if (rc != SQLITE_ROW && rc != SQLITE_DONE) // DONE: deleted meanwhile
                stepFail(handle, m_db.Name(), rc);
        }
        for (size_t i = first; i < end; ++i) {
            const auto [start, stop] = spans[i - first];
            if (start < 0)
                continue;
            text.resize(stop - start);
            std::copy(store.constData() + start, store.constData() + stop, text.data());
            if (!visit(int(i), text))
                return;
        }
        first = end;
        chunk = std::min<size_t>(chunk * 2, 16384);
    }
}
