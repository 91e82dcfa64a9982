#include "core/recordengine.h"

#include "core/enginemessages.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace
{

QAtomicInt g_connections;

QString quoted(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

[[noreturn]] void fail(int number, const QString& text)
{
    throw EngineError(number, text);
}

[[noreturn]] void sqlFail(int number, const QString& what, const QSqlError& error)
{
    QString detail = error.databaseText();
    if (detail.isEmpty())
        detail = error.text();
    fail(number, detail.isEmpty() ? what : what + QLatin1String(" (") + detail + QLatin1Char(')'));
}

void exec(QSqlQuery& q, const QString& what, int number = errDisk)
{
    if (!q.exec())
        sqlFail(number, what, q.lastError());
}

// SQLite's primary result code of a failure (SQLITE_BUSY 5, SQLITE_FULL 13...); -1 when unknown.
int sqliteCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xFF) : -1;
}

const int SQLITE_BUSY_CODE = 5;
const int SQLITE_LOCKED_CODE = 6;
const int SQLITE_READONLY_CODE = 8;
const int SQLITE_CORRUPT_CODE = 11;
const int SQLITE_FULL_CODE = 13;

bool isBusy(const QSqlError& error)
{
    const int code = sqliteCode(error);
    return code == SQLITE_BUSY_CODE || code == SQLITE_LOCKED_CODE;
}

// A failure while storing: the conditions the user can act on get their own error.
[[noreturn]] void storeFail(const QString& path, const QString& what, const QSqlError& error)
{
    switch (sqliteCode(error)) {
    case SQLITE_BUSY_CODE:
    case SQLITE_LOCKED_CODE:
        fail(errBusy, busyFileMessage(path));
    case SQLITE_FULL_CODE:
        fail(errDiskFull, diskFullMessage(path));
    case SQLITE_READONLY_CODE:
        fail(errReadOnly, readOnlyFileMessage(path));
    case SQLITE_CORRUPT_CODE:
        fail(errDamagedRecord, damagedRecordMessage(path));
    default:
        sqlFail(errDisk, what, error);
    }
}

// A failure while reading: a lock held by another program is not a damaged file.
[[noreturn]] void readFail(const QString& path, int number, const QString& what,
                           const QSqlError& error)
{
    if (isBusy(error))
        fail(errLocked, lockedFileMessage(path));
    sqlFail(number, what, error);
}

// The affinity SQLite gives a column from its declared type.
enum class Affinity { Integer, Text, Blob, Real, Numeric };

Affinity affinityOf(const QString& declaredType)
{
    const QString t = declaredType.toUpper();
    if (t.contains(QLatin1String("INT")))
        return Affinity::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
        t.contains(QLatin1String("TEXT")))
        return Affinity::Text;
    if (t.contains(QLatin1String("BLOB")) || t.trimmed().isEmpty())
        return Affinity::Blob;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
        t.contains(QLatin1String("DOUB")))
        return Affinity::Real;
    return Affinity::Numeric;
}

// The value a field shows: a text, or null.
QVariant shownValue(const QVariant& raw)
{
    return raw.isNull() ? QVariant() : QVariant(raw.toString());
}

} // namespace

// ---------------------------------------------------------------------------- Database

Database::Database(QString path) : m_path(std::move(path))
{
    m_connection = QStringLiteral("elvarine-%1").arg(g_connections.fetchAndAddRelaxed(1));
}

Database::~Database()
{
    Close();
}

void Database::Close()
{
    if (m_connection.isEmpty())
        return;
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

void Database::open(bool mustExist)
{
    const QFileInfo info(m_path);
    if (mustExist && !(info.exists() && info.isFile()))
        fail(errNotFound, QStringLiteral("Fichier « %1 » introuvable.").arg(m_path));
    if (!mustExist && info.exists())
        fail(errExists, QStringLiteral("Le fichier « %1 » existe déjà.").arg(m_path));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!m_db.isValid())
        fail(errCannotOpen, QStringLiteral("Le pilote SQLite de Qt est absent."));
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!m_db.open())
        sqlFail(errCannotOpen, QStringLiteral("Impossible d'ouvrir le fichier « %1 ».").arg(m_path),
                m_db.lastError());
    // Reading the schema tells a database from any other file.
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        readFail(m_path, errNotDatabase, QStringLiteral("Ce n'est pas une base de données SQLite."),
                 q.lastError());
}

std::unique_ptr<Database> Database::CreateDatabase(const QString& path)
{
    std::unique_ptr<Database> db(new Database(path));
    db->open(false);
    return db;
}

std::unique_ptr<Database> Database::OpenDatabase(const QString& path)
{
    std::unique_ptr<Database> db(new Database(path));
    db->open(true);
    return db;
}

void Database::CreerDATA()
{
    QStringList columns;
    for (int c = 0; c < kColumnCount; ++c)
        columns << QStringLiteral("%1 TEXT(%2)").arg(quoted(columnName(c))).arg(kColumns[c].size);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("CREATE TABLE %1 (%2)")
                  .arg(quoted(QString::fromUtf16(kTableName)), columns.join(QLatin1String(", "))));
    exec(q, QStringLiteral("Impossible de créer la table des adresses."));
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QString& table)
{
    const QString notValid = QStringLiteral("Ce n'est pas une base de données SQLite.");
    // The table, whatever the case of its name. Every query is finished before the write probe
    // below: a statement left open would keep the file's read lock, and SQLite then refuses the
    // write lock at once instead of waiting for another writer to finish.
    QString tableName;
    {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
        if (!q.exec())
            readFail(m_path, errNotDatabase, notValid, q.lastError());
        while (q.next()) {
            const QString name = q.value(0).toString();
            if (tableName.isEmpty() && name.compare(table, Qt::CaseInsensitive) == 0)
                tableName = name;
        }
        if (q.lastError().isValid())
            readFail(m_path, errNotDatabase, notValid, q.lastError());
    }
    if (tableName.isEmpty())
        fail(errNoTable, QStringLiteral("La table « %1 » est absente.").arg(table));

    // Its columns, matched by name without regard to case, in whatever order the file has them.
    std::array<QString, kColumnCount> sqlNames;
    std::array<QString, kColumnCount> types;
    std::array<int, kColumnCount> sizes{};
    QStringList allNames;
    {
        QSqlQuery info(m_db);
        info.setForwardOnly(true);
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(tableName))))
            readFail(m_path, errNotDatabase, notValid, info.lastError());
        static const QRegularExpression sizePattern(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
        while (info.next()) {
            const QString name = info.value(1).toString();
            allNames << name;
            const int c = columnIndex(name);
            if (c < 0 || !sqlNames[size_t(c)].isEmpty())
                continue;
            sqlNames[size_t(c)] = quoted(name);
            types[size_t(c)] = info.value(2).toString();
            const auto m = sizePattern.match(types[size_t(c)]);
            sizes[size_t(c)] = m.hasMatch() ? m.captured(1).toInt() : kColumns[c].size;
            if (sizes[size_t(c)] <= 0)
                sizes[size_t(c)] = kColumns[c].size;
        }
    }
    for (int c = 0; c < kColumnCount; ++c) {
        if (sqlNames[size_t(c)].isEmpty())
            fail(errNoColumn,
                 QStringLiteral("La colonne « %1 » de la table est absente.").arg(columnName(c)));
    }
    // A column of INTEGER, REAL or NUMERIC affinity stores "01000" as the number 1000: the text
    // typed would not come back.
    for (int c = 0; c < kColumnCount; ++c) {
        const Affinity a = affinityOf(types[size_t(c)]);
        if (a != Affinity::Text && a != Affinity::Blob)
            fail(errNumericColumn, numericColumnMessage(m_path, columnName(c), types[size_t(c)]));
    }

    // The row number, under the first of its three names that no column takes for itself.
    QString rowNumber;
    for (const char* alias : {"rowid", "oid", "_rowid_"}) {
        const QString name = QString::fromLatin1(alias);
        if (!allNames.contains(name, Qt::CaseInsensitive)) {
            rowNumber = name;
            break;
        }
    }
    if (rowNumber.isEmpty())
        fail(errNoRowNumber, rowNumberHiddenMessage(m_path));
    {
        QSqlQuery probe(m_db);
        if (!probe.prepare(
                QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(rowNumber, quoted(tableName))))
            fail(errNoRowNumber, noRowNumberMessage(m_path));
    }

    // Every store is written at once: a file that cannot be written is refused here, not later.
    // (a header write inside a transaction that is rolled back: nothing reaches the file).
    // Beginning waits for another writer's short lock, as a store does.
    {
        QSqlQuery probe(m_db);
        int userVersion = 0;
        if (probe.exec(QStringLiteral("PRAGMA user_version")) && probe.next())
            userVersion = probe.value(0).toInt();
        probe.finish();
        bool writable = probe.exec(QStringLiteral("BEGIN IMMEDIATE"));
        QSqlError writeError = probe.lastError();
        if (writable) {
            writable = probe.exec(QStringLiteral("PRAGMA user_version = %1").arg(userVersion));
            if (!writable)
                writeError = probe.lastError();
            probe.exec(QStringLiteral("ROLLBACK"));
        }
        if (!writable) {
            if (isBusy(writeError))
                fail(errLocked, lockedFileMessage(m_path));
            if (sqliteCode(writeError) == SQLITE_FULL_CODE)
                fail(errDiskFull, diskFullMessage(m_path));
            sqlFail(errReadOnly,
                    QStringLiteral(
                        "Le fichier ne peut pas être modifié (lecture seule ou verrouillé)."),
                    writeError);
        }
    }

    std::unique_ptr<Recordset> rs(
        new Recordset(*this, quoted(tableName), rowNumber, sqlNames, sizes));
    rs->load();
    return rs;
}

// ---------------------------------------------------------------------------- Recordset

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
    std::vector<QString> nom;
    std::vector<QString> prenom;
    while (q.next()) {
        rowids.push_back(q.value(0).toLongLong());
        nom.push_back(q.value(1).toString());
        prenom.push_back(q.value(2).toString());
    }
    if (q.lastError().isValid())
        readFail(m_db.Name(), errNotDatabase, QStringLiteral("Lecture impossible des fiches."),
                 q.lastError());
    m_rowids = std::move(rowids);
    m_nom = std::move(nom);
    m_prenom = std::move(prenom);
    m_pos = 0;
    m_onDeleted = false;
    m_editMode = dbEditNone;
    m_currentRowid = -1;
    m_currentGone = false;
    m_changedHere = false;
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
    QStringList cols;
    for (const QString& n : m_sqlNames)
        cols << n;
    QSqlQuery q(m_db.sql());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                  .arg(cols.join(QLatin1String(", ")), m_table, m_rowNumber));
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
    // The row read is deleted only while it still holds what was read: another program's
    // record that took its place stays.
    const bool checked = rowid == m_currentRowid && !m_currentGone;
    QString sql = QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(m_table, m_rowNumber);
    if (checked) {
        for (const QString& name : m_sqlNames)
            sql += QStringLiteral(" AND %1 IS ? COLLATE BINARY").arg(name);
    }
    QSqlQuery q(m_db.sql());
    q.prepare(sql);
    q.addBindValue(rowid);
    if (checked) {
        for (const QVariant& v : m_current)
            q.addBindValue(v);
    }
    if (!q.exec())
        storeFail(m_db.Name(), QStringLiteral("Impossible de supprimer la fiche."), q.lastError());
    if (checked && q.numRowsAffected() == 0) {
        readCurrentRow(rowid);
        if (!m_currentGone)
            throwConflict(rowid);
        // Already deleted by the other program: what the user asked for is done.
    }
    m_rowids.erase(m_rowids.begin() + m_pos);
    m_nom.erase(m_nom.begin() + m_pos);
    m_prenom.erase(m_prenom.begin() + m_pos);
    m_onDeleted = true;
    m_editMode = dbEditNone;
    m_currentRowid = -1;
    m_currentGone = false;
    m_changedHere = true;
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
        QStringList cols{m_rowNumber};
        QStringList marks{QStringLiteral("?")};
        for (const QString& name : m_sqlNames) {
            cols << name;
            marks << QStringLiteral("?");
        }
        q.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(m_table, cols.join(QLatin1String(", ")), marks.join(QLatin1String(", "))));
        q.addBindValue(rowid);
        for (const QVariant& v : m_buffer)
            q.addBindValue(v);
        if (!q.exec()) {
            if (sqliteCode(q.lastError()) == 19) // SQLITE_CONSTRAINT: the number was taken again
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
    QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                      .arg(m_table, sets.join(QLatin1String(", ")), m_rowNumber);
    for (const QString& name : m_sqlNames)
        sql += QStringLiteral(" AND %1 IS ? COLLATE BINARY").arg(name);
    q.prepare(sql);
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
