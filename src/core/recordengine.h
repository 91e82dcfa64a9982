#pragma once

#include "core/addressschema.h"
#include "core/nametable.h"
#include "core/rownumbers.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

// An error of the record engine, with its number and its French text.
class EngineError : public std::runtime_error
{
public:
    EngineError(int number, const QString& text)
        : std::runtime_error(text.toStdString()), number(number), text(text)
    {
    }
    int number;
    QString text;
};

// Error numbers the engine reports.
enum EngineErrors {
    errNoCurrentRecord = 3021,
    errNoEdit = 3020,
    errCannotOpen = 3051,
    errNotFound = 3024,
    errExists = 3204,
    errNoTable = 3078,
    errNoColumn = 3265,
    errTooLong = 3163,
    errDeleted = 3167,
    errReadOnly = 3027,
    errNotDatabase = 3343,
    errDisk = 3043,
    errLocked = 3050,           // another program holds the file (opening, reading)
    errBusy = 3260,             // another program held the file too long for a store
    errDiskFull = 3026,         // no room left on the file's disk
    errChangedElsewhere = 3197, // the row changed (or was replaced) since it was read
    errDeletedElsewhere = 3198, // the record is no longer in the file (deleted or replaced)
    errMovedElsewhere = 3199,   // the record is under another row number (the file compacted)
    errDamagedRecord = 3049,    // the row's stored data cannot be read
    errNoRowNumber = 3290,      // every name of the row number is a column, or none exists
    errNumericColumn = 3259,    // a column whose declared type turns texts into numbers
    errTriggers = 3291,         // the file has triggers that would run under the program's writes
};

// The texts of these errors, for the windows, are in core/enginemessages.h.

using RowValues = std::array<QVariant, kColumnCount>; // a null QVariant is a null column

class Recordset;

// One open address file (an SQLite database).
class Database
{
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    enum class Access { ReadWrite, ReadOnly };

    // Creates a new empty file and returns it open; fails when the file exists.
    static std::unique_ptr<Database> CreateDatabase(const QString& path);
    // Opens an existing file. ReadWrite opens it for reading and, when the file and its disk
    // allow it, for writing: a file on a read-only medium or a full disk still opens and reads,
    // and its first store says why it cannot be written. ReadOnly never writes (data that come
    // with the program).
    static std::unique_ptr<Database> OpenDatabase(const QString& path,
                                                  Access access = Access::ReadWrite);

    QString Name() const { return m_path; }
    // Creates the address table with the sixteen text columns in creation order.
    void CreerDATA();
    // All rows of the address table in stored order. Fails when the file is not an address
    // file (no such table, a column missing, not a database) or is one this program cannot
    // write safely (no row numbers, numeric columns, triggers). Nothing is written.
    std::unique_ptr<Recordset> OpenRecordset(const QString& table);
    void Close();

    QSqlDatabase& sql() { return m_db; }

private:
    explicit Database(QString path);
    void open(bool mustExist, Access access = Access::ReadWrite);
    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
};

// The rows of the address table, in stored order, with one current row.
class Recordset
{
public:
    enum EditModes { dbEditNone = 0, dbEditInProgress = 1, dbEditAdd = 2 };

    int RecordCount() const { return int(m_rowids.size()); }
    bool isEOF() const { return m_pos >= RecordCount(); }
    bool isBOF() const { return m_pos < 0; }
    // 0-based place of the current row in stored order; -1 when there is none.
    int AbsolutePosition() const;
    int EditMode() const { return m_editMode; }

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    // Makes the row at `position` (0-based, stored order) current.
    void MoveTo(int position);

    void AddNew();
    void Edit();
    // Stores the pending addition or edit; the file is committed at once.
    void Update();
    void CancelUpdate();
    // Deletes the current row; the position stays on it until the next move.
    void Delete();

    // Value of a column of the current row (or of the row being edited), by name without
    // regard to case. A null column gives a null QVariant.
    QVariant Field(const QString& name) const;
    QVariant Field(int column) const;
    void setField(const QString& name, const QVariant& value);
    void setField(int column, const QVariant& value);

    // Nom and Prénom of row `position`, as kept for the name list.
    // (null columns as empty texts).
    QString nomAt(int position) const { return m_names->nom(position).toString(); }
    QString prenomAt(int position) const { return m_names->prenom(position).toString(); }
    // The names of every row, shared with the name list, which follows their changes. Reading
    // the rows again (Requery) starts a new table.
    std::shared_ptr<const NameTable> names() const { return m_names; }
    // Reads, in one query, the rows at `positions[from]`, `positions[from + 1]`... in that order,
    // giving `visit` each one's index in `positions` and one text made of the given column
    // groups: the columns of a group joined without separator, the groups separated by
    // kGroupSeparator (null columns count as empty texts). Stops when `visit` returns false.
    // Rows deleted meanwhile are skipped.
    static constexpr char16_t kGroupSeparator = u'\x01';
    void scanInOrder(const std::vector<int>& positions, int from,
                     const std::vector<std::vector<int>>& columnGroups,
                     const std::function<bool(int index, const QString& text)>& visit);
    // For the list filter's index: the statement giving the rows' numbers and their sixteen
    // columns, by row number, from the row number bound first, as many rows as the second value
    // bound; the same for the one row whose number is bound to it; the
    // sixteen columns of one row in one text (separated by kGroupSeparator); and, for row
    // numbers (ascending), a mark by stored position.
    QString filterScanSql() const;
    QString filterRowSql() const;
    QString recordText(int position) const;
    std::vector<std::uint8_t> marksOf(const RowNumbers& rowids) const;
    // Counts the rows this record set wrote (stored, added, deleted) since it was opened;
    // rowsWrittenSince(from, rowids) gives the numbers of those written after the count was
    // `from`, false when they are no longer kept (only the latest few thousand are).
    std::uint64_t writeCount() const { return m_writtenStart + m_written.size(); }
    bool rowsWrittenSince(std::uint64_t from, std::vector<qint64>& rowids) const;
    QString fileName() const { return m_db.Name(); }
    // Reads the rows again when the file changed since they were read.
    void Requery();
    // True when the file was changed (here or by another program) since the rows were read.
    bool stale();

    // Bulk reading and appending (recordbulk.cpp).
    // Called with (rows done, rows in all); returning false cancels.
    using RowProgress = std::function<bool(qint64 done, qint64 total)>;
    // Maximum characters of a column in this file.
    int columnSize(int column) const { return m_sizes[size_t(column)]; }
    // Hands every row of the table to `visit`, all sixteen columns, in stored order, read in
    // one query (null columns as null QVariants; `visit` may move the values out). False when
    // cancelled.
    bool readAllRows(const std::function<void(RowValues& row)>& visit,
                     const RowProgress& progress = {});
    // Adds `rows` after the existing ones in one transaction: either every row is stored or
    // none. Values longer than their column are refused (EngineError) before anything is
    // written. False when cancelled through `progress`: the file is then left as it was.
    // Throws EngineError when the file refuses the rows (nothing stored).
    bool appendRows(const std::vector<RowValues>& rows, const RowProgress& progress = {});
    // The same for rows handed over one at a time: `produce` calls its argument with each row
    // (a value too long for its column throws EngineError) and returns false to cancel.
    // Either every row is stored or none (an exception from `produce` leaves the file as it was).
    using RowSink = std::function<void(const RowValues& row)>;
    bool appendRowStream(const std::function<bool(const RowSink& add)>& produce);

    // Rows reached by their row number (synchronisation). These write inside whatever
    // transaction the caller opened on the file (Database::sql()) and keep the rows read
    // in step; values must fit their columns (EngineError otherwise).
    // Hands every row with its row number to `visit`, in stored order (as readAllRows).
    void readNumberedRows(const std::function<void(qint64 rowid, RowValues& row)>& visit);
    // Adds a row after the others; its row number.
    qint64 insertRow(const RowValues& values);
    // Writes `values` over row `rowid` while it still holds `expected` (texts as readAllRows
    // gives them); false when it changed or is gone (nothing written).
    bool updateRow(qint64 rowid, const RowValues& expected, const RowValues& values);
    // Deletes row `rowid` while it still holds `expected`; false when it changed or is gone.
    bool deleteRow(qint64 rowid, const RowValues& expected);

private:
    friend class Database;
    Recordset(Database& db, QString table, QString rowNumber,
              std::array<QString, kColumnCount> sqlNames, std::array<int, kColumnCount> sizes);
    void load();
    void loadCurrent() const;
    void checkCurrent() const;
    void checkLengths(const RowValues& values) const;
    int dataVersion();
    void checkFits(const RowValues& values) const;
    // SQL texts: the columns "a, b, ...", an INSERT of every column (after the row number when
    // `withRowNumber`), and the condition that a row still holds the values bound after it
    // (" AND a IS ? COLLATE BINARY ...").
    QString columnsSql() const;
    QString insertSql(bool withRowNumber) const;
    QString heldSql() const;
    // Every row in stored order with its row number; `visit` returns false to stop (false then).
    bool scanRows(const std::function<bool(qint64 rowid, RowValues& row)>& visit);

    // The current row as read: the values exactly as the file holds them (their SQLite types
    // kept), so a store can check that the row still holds them.
    void readCurrentRow(qint64 rowid) const;
    // The row holding exactly `values` (as readCurrentRow keeps them), the nearest to `near`
    // when several do; -1 when none does.
    qint64 rowHolding(const RowValues& values, qint64 near) const;
    // Row `rowid` no longer holds what was read of the current row: the record is looked for
    // by what was read, wherever the file now keeps it. Found, it becomes the current row
    // under its new number (true); otherwise the row as it is now is read (false).
    bool findCurrentAgain(qint64 rowid);
    // After findCurrentAgain failed: true when the row now under the old number is the same
    // record changed (its name and first name as read), false when it is gone or holds another.
    bool sameRecordAsRead(const RowValues& read) const;
    [[noreturn]] void throwConflict(qint64 rowid);
    void storeEdit();

    Database& m_db;
    QString m_table;
    QString m_rowNumber; // rowid, oid or _rowid_: the first that no column hides
    std::array<QString, kColumnCount> m_sqlNames; // quoted names as the file spells them
    std::array<int, kColumnCount> m_sizes;
    void written(qint64 rowid);
    std::vector<qint64> m_rowids;
    std::vector<qint64> m_written;    // row numbers written, the latest last
    std::uint64_t m_writtenStart = 0; // rows written before the first one kept
    std::shared_ptr<NameTable> m_names = std::make_shared<NameTable>();
    int m_pos = 0;
    bool m_onDeleted = false;
    int m_editMode = dbEditNone;
    int m_posBeforeAdd = 0;
    RowValues m_buffer;
    std::array<bool, kColumnCount> m_bufferSet{};
    mutable RowValues m_current; // raw values as read
    mutable qint64 m_currentRowid = -1;
    // The current record is no longer in the file (deleted, or its number now holds another
    // record): a store adds it as a new record.
    mutable bool m_currentGone = false;
    int m_dataVersion = -1;
};
