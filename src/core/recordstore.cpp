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
        m_names->append(m_buffer[0].toString(), m_buffer[1].toString());
        written(rowid);
        m_pos = m_posBeforeAdd;
    } else {
        storeEdit();
    }
    m_editMode = dbEditNone;
}

void Recordset::Delete()
{
    // A row being added is not in the file yet: there is nothing to delete.
    if (m_editMode == dbEditAdd)
        fail(errNoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
    checkCurrent();
    const qint64 rowid = m_rowids[size_t(m_pos)];
    // The row is deleted only while it still holds what was last read of it, so another
    // program's record is never taken with it. A row not read yet is read first. A row found
    // deleted when it was read is looked at again: a record that took its number since then was
    // never shown, and stays.
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
    bool anotherRecordThere = checked && !m_currentGone && foundGone;
    if (!anotherRecordThere && (!checked || !m_currentGone)) {
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
            // Not there as read. Moved by a compacting of the file: the record stays current
            // at its new place, to be deleted once the user was told. Changed where it was: the
            // row as it is now is shown, and deleting again deletes that version. Gone: done.
            // Its number holding another record: that record is not touched.
            const RowValues read = m_current;
            if (findCurrentAgain(rowid))
                fail(errMovedElsewhere, recordMovedBeforeDeleteMessage(m_db.Name()));
            if (!m_currentGone) {
                if (sameRecordAsRead(read))
                    fail(errChangedElsewhere, recordChangedBeforeDeleteMessage(m_db.Name()));
                anotherRecordThere = true;
            }
        }
    }
    // Deleted here, or already by the other program: what the user asked for is done.
    m_rowids.erase(m_rowids.begin() + m_pos);
    m_names->erase(m_pos);
    written(rowid);
    m_onDeleted = true;
    m_editMode = dbEditNone;
    m_currentRowid = -1;
    m_currentGone = false;
    // The record is gone all the same, but the user is told that nothing was deleted: the
    // record now under its number is another one.
    if (anotherRecordThere)
        fail(errDeletedElsewhere, recordGoneBeforeDeleteMessage(m_db.Name()));
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

qint64 Recordset::rowHolding(const RowValues& values, qint64 near) const
{
    QSqlQuery q(m_db.sql());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE 1%3 ORDER BY abs(%1 - ?) LIMIT 1")
                  .arg(m_rowNumber, m_table, heldSql()));
    for (const QVariant& v : values)
        q.addBindValue(v);
    q.addBindValue(near);
    if (!q.exec())
        readFail(m_db.Name(), errNotDatabase, QStringLiteral("Lecture impossible des fiches."),
                 q.lastError());
    const qint64 found = q.next() ? q.value(0).toLongLong() : -1;
    if (q.lastError().isValid())
        readFail(m_db.Name(), errNotDatabase, QStringLiteral("Lecture impossible des fiches."),
                 q.lastError());
    return found;
}

bool Recordset::findCurrentAgain(qint64 rowid)
{
    // A compacting (VACUUM) gives the rows new numbers: the record read is wherever a row still
    // holds exactly what was read of it.
    const qint64 found = rowHolding(m_current, rowid);
    if (found >= 0 && found != rowid) {
        m_rowids[size_t(m_pos)] = found;
        written(found);
        m_currentRowid = found;
        m_currentGone = false;
        return true;
    }
    readCurrentRow(rowid);
    return false;
}

bool Recordset::sameRecordAsRead(const RowValues& read) const
{
    // Another program changing a record keeps its name; a different name under the same number
    // is another record (a compacting moved the rows, or the number was given again).
    for (int c : {0, 1}) {
        if (read[size_t(c)].toString() != m_current[size_t(c)].toString())
            return false;
    }
    return true;
}

void Recordset::throwConflict(qint64 rowid)
{
    const RowValues read = m_current;
    if (findCurrentAgain(rowid))
        fail(errMovedElsewhere, recordMovedElsewhereMessage(m_db.Name()));
    // Changed where it was: the row as it is now becomes the row read, so storing again, once
    // the user was told, writes the changed fields over the other program's version.
    if (!m_currentGone && sameRecordAsRead(read))
        fail(errChangedElsewhere, recordChangedElsewhereMessage(m_db.Name()));
    // Gone, or its number now holds another record, which is left alone: storing again adds
    // the record as the form shows it.
    m_currentGone = true;
    fail(errDeletedElsewhere, recordDeletedElsewhereMessage(m_db.Name()));
}

void Recordset::storeEdit()
{
    checkCurrent();
    const qint64 rowid = m_rowids[size_t(m_pos)];
    if (rowid != m_currentRowid)
        readCurrentRow(rowid);
    QSqlQuery q(m_db.sql());
    if (m_currentGone) {
        // No longer in the file, and stored again once the user was told: the record is added
        // as the form shows it, under a number of its own (its old one may hold another record).
        q.prepare(insertSql(false));
        for (const QVariant& v : m_buffer)
            q.addBindValue(v);
        if (!q.exec())
            storeFail(m_db.Name(), QStringLiteral("Impossible d'enregistrer la fiche."),
                      q.lastError());
        const qint64 added = q.lastInsertId().toLongLong();
        m_rowids[size_t(m_pos)] = added;
        m_currentRowid = added;
        for (int c = 0; c < kColumnCount; ++c)
            m_current[size_t(c)] = m_buffer[size_t(c)];
        m_currentGone = false;
        m_names->set(m_pos, m_buffer[0].toString(), m_buffer[1].toString());
        written(rowid);
        written(added);
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
    m_names->set(m_pos, m_bufferSet[0] ? m_buffer[0].toString() : nomAt(m_pos),
                 m_bufferSet[1] ? m_buffer[1].toString() : prenomAt(m_pos));
    written(rowid);
}
