// Storing rows: additions, edits and deletions, each checked against what the file holds now.
#include "core/recordengine.h"

#include "core/enginemessages.h"
#include "core/enginesql.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace enginesql;

void Recordset::AddNew()
{
    m_posBeforeAdd = m_pos;
    m_editMode = dbEditAdd;
    m_buffer = RowValues();
    m_bufferSet.fill(false);
}

void Recordset::Edit()
{
    checkCurrent();
    // A row another program deleted may still be edited: storing it puts it back.
    const qint64 rowid = m_rowids[size_t(m_pos)];
    if (rowid != m_currentRowid)
        readCurrentRow(rowid);
    m_editMode = dbEditInProgress;
    for (int c = 0; c < kColumnCount; ++c)
        m_buffer[size_t(c)] = shownValue(m_current[size_t(c)]);
    m_bufferSet.fill(false);
}

void Recordset::CancelUpdate()
{
    if (m_editMode == dbEditAdd)
        m_pos = m_posBeforeAdd;
    m_editMode = dbEditNone;
}

void Recordset::checkLengths(const RowValues& values) const
{
    for (int c = 0; c < kColumnCount; ++c) {
        if (!m_bufferSet[size_t(c)] || values[size_t(c)].isNull())
            continue;
        if (values[size_t(c)].toString().size() > m_sizes[size_t(c)])
            fail(errTooLong, QStringLiteral("Le champ « %1 » est trop petit pour accepter la "
                                            "quantité de données que vous essayez d'ajouter "
                                            "(%2 caractères au plus).")
                                 .arg(columnName(c))
                                 .arg(m_sizes[size_t(c)]));
    }
}

void Recordset::Update()
{
    if (m_editMode == dbEditNone)
        fail(errNoEdit, QStringLiteral("Mise à jour sans ajout ni modification en cours."));
    checkLengths(m_buffer);
    QSqlQuery q(m_db.sql());
    if (m_editMode == dbEditAdd) {
        QStringList cols;
        QStringList marks;
        for (int c = 0; c < kColumnCount; ++c) {
            if (!m_bufferSet[size_t(c)])
                continue;
            cols << m_sqlNames[size_t(c)];
            marks << QStringLiteral("?");
        }
        if (cols.isEmpty())
            q.prepare(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table));
        else
            q.prepare(
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(m_table, cols.join(QLatin1String(", ")), marks.join(QLatin1String(", "))));
        for (int c = 0; c < kColumnCount; ++c) {
            if (m_bufferSet[size_t(c)])
                q.addBindValue(m_buffer[size_t(c)]);
        }
        if (!q.exec())
            storeFail(m_db.Name(), QStringLiteral("Impossible d'enregistrer la fiche."),
                      q.lastError());
        const qint64 rowid = q.lastInsertId().toLongLong();
        m_rowids.push_back(rowid);
        m_nom.push_back(m_buffer[0].toString());
        m_prenom.push_back(m_buffer[1].toString());
        m_pos = m_posBeforeAdd;
    } else {
        storeEdit();
    }
    m_editMode = dbEditNone;
    m_changedHere = true;
}

void Recordset::Delete()
{
    // A row being added is not in the file yet: there is nothing to delete.
    if (m_editMode == dbEditAdd)
        fail(errNoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
    checkCurrent();
    const qint64 rowid = m_rowids[size_t(m_pos)];
    // The row is deleted only while it still holds what was last read of it, so another
    // program's record is never taken with it. A row not read yet is read first; a row found
    // deleted when it was read is looked at again, and a record that took its number since then
    // was never shown: it stays.
    const bool foundGone = rowid == m_currentRowid && m_currentGone;
    bool checked = true;
    if (rowid != m_currentRowid || m_currentGone) {
        try {
            readCurrentRow(rowid);
        } catch (const EngineError& e) {
            // A damaged row cannot be compared; it can still be deleted by its number.
            if (e.number != errDamagedRecord)
                throw;
            checked = false;
        }
    }
    if (checked && !m_currentGone && foundGone)
        fail(errChangedElsewhere, recordChangedBeforeDeleteMessage(m_db.Name()));
    if (!checked || !m_currentGone) {
        QString sql = QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(m_table, m_rowNumber);
        if (checked)
            sql += heldSql();
        QSqlQuery q(m_db.sql());
        q.prepare(sql);
        q.addBindValue(rowid);
        if (checked) {
            for (const QVariant& v : m_current)
                q.addBindValue(v);
        }
        if (!q.exec())
            storeFail(m_db.Name(), QStringLiteral("Impossible de supprimer la fiche."),
                      q.lastError());
        if (checked && q.numRowsAffected() == 0) {
            // Changed or replaced meanwhile: the row as it is now becomes the row read, to be
            // shown; deleting again, once the user has seen it, deletes that version.
            readCurrentRow(rowid);
            if (!m_currentGone)
                fail(errChangedElsewhere, recordChangedBeforeDeleteMessage(m_db.Name()));
        }
    }
    // Deleted here, or already by the other program: what the user asked for is done.
    m_rowids.erase(m_rowids.begin() + m_pos);
    m_nom.erase(m_nom.begin() + m_pos);
    m_prenom.erase(m_prenom.begin() + m_pos);
    m_onDeleted = true;
    m_editMode = dbEditNone;
    m_currentRowid = -1;
    m_currentGone = false;
    m_changedHere = true;
}

void Recordset::setField(int column, const QVariant& value)
{
    if (column < 0 || column >= kColumnCount)
        fail(errNoColumn, QStringLiteral("Élément non trouvé dans cette collection."));
    if (m_editMode == dbEditNone)
        fail(errNoEdit, QStringLiteral("Mise à jour sans ajout ni modification en cours."));
    m_buffer[size_t(column)] = value.isNull() ? QVariant() : QVariant(value.toString());
    m_bufferSet[size_t(column)] = true;
}

void Recordset::setField(const QString& name, const QVariant& value)
{
    setField(columnIndex(name), value);
}

void Recordset::throwConflict(qint64 rowid)
{
    // The row as it is now becomes the row read, so storing again, once the user was told,
    // writes the changed fields over the other program's version.
    readCurrentRow(rowid);
    if (m_currentGone)
        fail(errDeletedElsewhere, recordDeletedElsewhereMessage(m_db.Name()));
    fail(errChangedElsewhere, recordChangedElsewhereMessage(m_db.Name()));
}

void Recordset::storeEdit()
{
    checkCurrent();
    const qint64 rowid = m_rowids[size_t(m_pos)];
    if (rowid != m_currentRowid)
        readCurrentRow(rowid);
    QSqlQuery q(m_db.sql());
    if (m_currentGone) {
        // Deleted by another program, and stored again once the user was told: the record
        // comes back under its number, as the form shows it.
        q.prepare(insertSql(true));
        q.addBindValue(rowid);
        for (const QVariant& v : m_buffer)
            q.addBindValue(v);
        if (!q.exec()) {
            if (sqliteCode(q.lastError()) == SQLITE_CONSTRAINT_CODE) // the number was taken again
                throwConflict(rowid);
            storeFail(m_db.Name(), QStringLiteral("Impossible d'enregistrer la fiche."),
                      q.lastError());
        }
        for (int c = 0; c < kColumnCount; ++c)
            m_current[size_t(c)] = m_buffer[size_t(c)];
        m_currentGone = false;
        m_nom[size_t(m_pos)] = m_buffer[0].toString();
        m_prenom[size_t(m_pos)] = m_buffer[1].toString();
        return;
    }
    QStringList sets;
    for (int c = 0; c < kColumnCount; ++c) {
        if (m_bufferSet[size_t(c)])
            sets << m_sqlNames[size_t(c)] + QLatin1String(" = ?");
    }
    if (sets.isEmpty())
        return;
    // One statement checks that the row still holds every column as read and writes it, so
    // nothing another program stored in the meantime is overwritten.
    q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                  .arg(m_table, sets.join(QLatin1String(", ")), m_rowNumber) +
              heldSql());
    for (int c = 0; c < kColumnCount; ++c) {
        if (m_bufferSet[size_t(c)])
            q.addBindValue(m_buffer[size_t(c)]);
    }
    q.addBindValue(rowid);
    for (const QVariant& v : m_current)
        q.addBindValue(v);
    if (!q.exec())
        storeFail(m_db.Name(), QStringLiteral("Impossible d'enregistrer la fiche."), q.lastError());
    if (q.numRowsAffected() != 1)
        throwConflict(rowid);
    // What was just stored is now what the file holds for this row.
    for (int c = 0; c < kColumnCount; ++c) {
        if (m_bufferSet[size_t(c)])
            m_current[size_t(c)] = m_buffer[size_t(c)];
    }
    if (m_bufferSet[0])
        m_nom[size_t(m_pos)] = m_buffer[0].toString();
    if (m_bufferSet[1])
        m_prenom[size_t(m_pos)] = m_buffer[1].toString();
}
