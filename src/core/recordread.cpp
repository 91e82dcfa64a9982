// The record set's rows: reading them, moving through them, and the current row's values.
#include "core/recordengine.h"

#include "core/enginemessages.h"
#include "core/enginesql.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

using namespace enginesql;

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
    return QStringLiteral("SELECT %1, %3 FROM %2 ORDER BY %1")
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

std::vector<std::uint8_t> Recordset::marksOf(const std::vector<qint64>& rowids) const
{
    std::vector<std::uint8_t> marks(m_rowids.size(), 0);
    const bool inOrder = std::is_sorted(m_rowids.begin(), m_rowids.end());
    size_t next = 0;
    for (size_t p = 0; p < m_rowids.size(); ++p) {
        const qint64 rowid = m_rowids[p];
        if (inOrder) {
            while (next < rowids.size() && rowids[next] < rowid)
                ++next;
            marks[p] = next < rowids.size() && rowids[next] == rowid;
        } else {
            marks[p] = std::binary_search(rowids.begin(), rowids.end(), rowid);
        }
    }
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
    // The wanted rows, in the wanted order, as a JSON array of row numbers: SQLite walks it and
    // fetches each row by its number.
    QByteArray order;
    order.reserve(int(positions.size() - size_t(from)) * 8 + 2);
    order.append('[');
    for (size_t i = size_t(from); i < positions.size(); ++i) {
        if (i > size_t(from))
            order.append(',');
        const int pos = positions[i];
        order.append(
            QByteArray::number(pos >= 0 && pos < RecordCount() ? m_rowids[size_t(pos)] : -1));
    }
    order.append(']');
    // The whole text of a row is put together by SQLite: one value per row to hand over.
    QStringList groups;
    for (const std::vector<int>& group : columnGroups) {
        QStringList parts;
        for (int c : group)
            parts << QStringLiteral("ifnull(e.%1, '')").arg(m_sqlNames[size_t(c)]);
        groups << parts.join(QLatin1String(" || "));
    }
    const QString text =
        groups.isEmpty() ? QStringLiteral("''") : groups.join(QLatin1String(" || char(1) || "));
    QSqlQuery q(m_db.sql());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT j.key, %1 FROM json_each(?) AS j JOIN %2 AS e ON e.%3 = "
                             "j.value ORDER BY j.key")
                  .arg(text, m_table, m_rowNumber));
    q.addBindValue(QString::fromLatin1(order));
    if (!q.exec())
        readFail(m_db.Name(), errNotDatabase, QStringLiteral("Lecture impossible des fiches."),
                 q.lastError());
    while (q.next()) {
        if (!visit(from + q.value(0).toInt(), q.value(1).toString()))
            break;
    }
}
