// Reading every row at once and appending many rows in one transaction (imports, exports).
#include "core/recordengine.h"

#include "core/enginesql.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace
{

// Rows between two progress reports.
constexpr int kProgressStep = 500;

// The place of `rowid` among the rows read (kept in row-number order); end when absent.
std::vector<qint64>::iterator findRowid(std::vector<qint64>& rowids, qint64 rowid)
{
    const auto at = std::lower_bound(rowids.begin(), rowids.end(), rowid);
    if (at != rowids.end() && *at == rowid)
        return at;
    return std::find(rowids.begin(), rowids.end(), rowid);
}

// Binds the row number and the values the row must still hold after what `q` already has bound,
// and runs it; true when the row was reached (it still held them).
bool runWhileHeld(QSqlQuery& q, const QString& path, qint64 rowid, const RowValues& expected,
                  const QString& what)
{
    q.addBindValue(rowid);
    for (const QVariant& v : expected)
        q.addBindValue(enginesql::shownValue(v));
    if (!q.exec())
        enginesql::storeFail(path, what, q.lastError());
    return q.numRowsAffected() == 1;
}

} // namespace

QString Recordset::columnsSql() const
{
    QStringList cols;
    for (const QString& n : m_sqlNames)
        cols << n;
    return cols.join(QLatin1String(", "));
}

QString Recordset::insertSql(bool withRowNumber) const
{
    QString marks = QStringLiteral("?");
    for (int c = 1; c < kColumnCount + int(withRowNumber); ++c)
        marks += QLatin1String(", ?");
    const QString cols =
        withRowNumber ? m_rowNumber + QLatin1String(", ") + columnsSql() : columnsSql();
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(m_table, cols, marks);
}

QString Recordset::heldSql() const
{
    QString sql;
    for (const QString& name : m_sqlNames)
        sql += QStringLiteral(" AND %1 IS ? COLLATE BINARY").arg(name);
    return sql;
}

bool Recordset::scanRows(const std::function<bool(qint64 rowid, RowValues& row)>& visit)
{
    QSqlQuery q(m_db.sql());
    q.setForwardOnly(true);
    // In stored order, by the row number's own name: a column called "rowid" is not it.
    if (!q.exec(QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                    .arg(m_rowNumber, columnsSql(), m_table)))
        enginesql::readFail(m_db.Name(), errNotDatabase,
                            QStringLiteral("Lecture impossible des fiches."), q.lastError());
    RowValues row;
    while (q.next()) {
        for (int c = 0; c < kColumnCount; ++c) {
            QVariant v = q.value(c + 1);
            if (v.isNull())
                row[size_t(c)] = QVariant();
            else if (v.typeId() == QMetaType::QString)
                row[size_t(c)] = std::move(v);
            else
                row[size_t(c)] = QVariant(v.toString());
        }
        if (!visit(q.value(0).toLongLong(), row))
            return false;
    }
    if (q.lastError().isValid())
        enginesql::readFail(m_db.Name(), errNotDatabase,
                            QStringLiteral("Lecture impossible des fiches."), q.lastError());
    return true;
}

bool Recordset::readAllRows(const std::function<void(RowValues& row)>& visit,
                            const RowProgress& progress)
{
    const qint64 total = RecordCount();
    qint64 done = 0;
    return scanRows([&](qint64, RowValues& row) {
        visit(row);
        ++done;
        return !(progress && done % kProgressStep == 0 && !progress(done, std::max(total, done)));
    });
}

bool Recordset::appendRows(const std::vector<RowValues>& rows, const RowProgress& progress)
{
    for (const RowValues& row : rows)
        checkFits(row);
    if (rows.empty())
        return true;
    const qint64 total = qint64(rows.size());
    return appendRowStream([&](const RowSink& add) {
        for (size_t i = 0; i < rows.size(); ++i) {
            add(rows[i]);
            if (progress && (i + 1) % kProgressStep == 0 && !progress(qint64(i + 1), total))
                return false;
        }
        return !(progress && !progress(total, total));
    });
}

bool Recordset::appendRowStream(const std::function<bool(const RowSink& add)>& produce)
{
    QSqlDatabase& db = m_db.sql();
    if (!db.transaction())
        enginesql::storeFail(m_db.Name(), QStringLiteral("Impossible d'enregistrer les fiches."),
                             db.lastError());
    // Kept aside until the rows are committed: the record set learns them all or none.
    // (the names in a table of their own: compact, whatever the number of rows).
    std::vector<qint64> rowids;
    NameTable pending;
    try {
        QSqlQuery q(db);
        if (!q.prepare(insertSql(false)))
            enginesql::storeFail(
                m_db.Name(), QStringLiteral("Impossible d'enregistrer les fiches."), q.lastError());
        const RowSink add = [&](const RowValues& row) {
            checkFits(row);
            for (int c = 0; c < kColumnCount; ++c) {
                const QVariant& v = row[size_t(c)];
                q.bindValue(c, v.isNull() ? QVariant() : QVariant(v.toString()));
            }
            if (!q.exec())
                enginesql::storeFail(m_db.Name(),
                                     QStringLiteral("Impossible d'enregistrer les fiches."),
                                     q.lastError());
            rowids.push_back(q.lastInsertId().toLongLong());
            pending.append(row[0].toString(), row[1].toString());
        };
        const bool done = produce(add);
        q.finish();
        if (!done) {
            db.rollback();
            return false;
        }
        if (rowids.empty()) {
            db.rollback();
            return true;
        }
        if (!db.commit())
            enginesql::storeFail(m_db.Name(),
                                 QStringLiteral("Impossible d'enregistrer les fiches."),
                                 db.lastError());
    } catch (...) {
        db.rollback();
        throw;
    }
    for (size_t i = 0; i < rowids.size(); ++i) {
        m_rowids.push_back(rowids[i]);
        m_names->append(pending.nom(int(i)), pending.prenom(int(i)));
        written(rowids[i]);
    }
    return true;
}

void Recordset::readNumberedRows(const std::function<void(qint64 rowid, RowValues& row)>& visit)
{
    scanRows([&](qint64 rowid, RowValues& row) {
        visit(rowid, row);
        return true;
    });
}

void Recordset::checkFits(const RowValues& values) const
{
    for (int c = 0; c < kColumnCount; ++c) {
        const QVariant& v = values[size_t(c)];
        if (!v.isNull() && v.toString().size() > m_sizes[size_t(c)])
            throw EngineError(errTooLong,
                              QStringLiteral("Le champ « %1 » est trop petit pour accepter la "
                                             "quantité de données que vous essayez d'ajouter "
                                             "(%2 caractères au plus).")
                                  .arg(columnName(c))
                                  .arg(m_sizes[size_t(c)]));
    }
}

qint64 Recordset::insertRow(const RowValues& values)
{
    checkFits(values);
    QSqlQuery q(m_db.sql());
    q.prepare(insertSql(false));
    for (const QVariant& v : values)
        q.addBindValue(enginesql::shownValue(v));
    if (!q.exec())
        enginesql::storeFail(m_db.Name(), QStringLiteral("Impossible d'enregistrer la fiche."),
                             q.lastError());
    const qint64 rowid = q.lastInsertId().toLongLong();
    m_rowids.push_back(rowid);
    m_names->append(values[0].toString(), values[1].toString());
    written(rowid);
    return rowid;
}

bool Recordset::updateRow(qint64 rowid, const RowValues& expected, const RowValues& values)
{
    checkFits(values);
    QStringList sets;
    for (const QString& n : m_sqlNames)
        sets << n + QLatin1String(" = ?");
    // One statement checks that the row still holds what was read and writes it.
    QSqlQuery q(m_db.sql());
    q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                  .arg(m_table, sets.join(QLatin1String(", ")), m_rowNumber) +
              heldSql());
    for (const QVariant& v : values)
        q.addBindValue(enginesql::shownValue(v));
    if (!runWhileHeld(q, m_db.Name(), rowid, expected,
                      QStringLiteral("Impossible d'enregistrer la fiche.")))
        return false;
    written(rowid);
    const auto at = findRowid(m_rowids, rowid);
    if (at != m_rowids.end()) {
        const size_t i = size_t(at - m_rowids.begin());
        m_names->set(int(i), values[0].toString(), values[1].toString());
    }
    if (rowid == m_currentRowid)
        m_currentRowid = -1; // read again when shown
    return true;
}

bool Recordset::deleteRow(qint64 rowid, const RowValues& expected)
{
    QSqlQuery q(m_db.sql());
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(m_table, m_rowNumber) + heldSql());
    if (!runWhileHeld(q, m_db.Name(), rowid, expected,
                      QStringLiteral("Impossible de supprimer la fiche.")))
        return false;
    written(rowid);
    const auto at = findRowid(m_rowids, rowid);
    if (at != m_rowids.end()) {
        const size_t i = size_t(at - m_rowids.begin());
        m_rowids.erase(at);
        m_names->erase(int(i));
        if (m_pos >= RecordCount() && m_pos > 0)
            m_pos = RecordCount() - 1;
    }
    if (rowid == m_currentRowid)
        m_currentRowid = -1;
    return true;
}
