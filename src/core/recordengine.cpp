// Opening an address file: the file, its table and columns checked before any row is read.
#include "core/recordengine.h"

#include "core/enginemessages.h"
#include "core/enginesql.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

using namespace enginesql;

namespace
{

QAtomicInt g_connections;

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

const QString kNotValid = QStringLiteral("Ce n'est pas une base de données SQLite.");

// The table named `table`, whatever the case of its name. Every query is finished before the
// next one: a statement left open would keep the file's read lock, and another program's store
// would then wait for it.
QString tableNamed(QSqlDatabase& db, const QString& path, const QString& table)
{
    QString tableName;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    if (!q.exec())
        readFail(path, errNotDatabase, kNotValid, q.lastError());
    while (q.next()) {
        const QString name = q.value(0).toString();
        if (tableName.isEmpty() && name.compare(table, Qt::CaseInsensitive) == 0)
            tableName = name;
    }
    if (q.lastError().isValid())
        readFail(path, errNotDatabase, kNotValid, q.lastError());
    if (tableName.isEmpty())
        fail(errNoTable, QStringLiteral("La table « %1 » est absente.").arg(table));
    return tableName;
}

// The address columns of a table as the file declares them.
struct TableColumns {
    std::array<QString, kColumnCount> sqlNames; // quoted, as the file spells them
    std::array<QString, kColumnCount> types;
    std::array<int, kColumnCount> sizes{};
    QStringList allNames; // every column of the table, address columns or not
};

// Its columns, matched by name without regard to case, in whatever order the file has them;
// every address column must be there, and of text affinity.
TableColumns columnsOf(QSqlDatabase& db, const QString& path, const QString& tableName)
{
    TableColumns t;
    {
        QSqlQuery info(db);
        info.setForwardOnly(true);
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(tableName))))
            readFail(path, errNotDatabase, kNotValid, info.lastError());
        static const QRegularExpression sizePattern(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
        while (info.next()) {
            const QString name = info.value(1).toString();
            t.allNames << name;
            const int c = columnIndex(name);
            if (c < 0 || !t.sqlNames[size_t(c)].isEmpty())
                continue;
            t.sqlNames[size_t(c)] = quoted(name);
            t.types[size_t(c)] = info.value(2).toString();
            const auto m = sizePattern.match(t.types[size_t(c)]);
            t.sizes[size_t(c)] = m.hasMatch() ? m.captured(1).toInt() : kColumns[c].size;
            if (t.sizes[size_t(c)] <= 0)
                t.sizes[size_t(c)] = kColumns[c].size;
        }
    }
    for (int c = 0; c < kColumnCount; ++c) {
        if (t.sqlNames[size_t(c)].isEmpty())
            fail(errNoColumn,
                 QStringLiteral("La colonne « %1 » de la table est absente.").arg(columnName(c)));
    }
    // A column of INTEGER, REAL or NUMERIC affinity stores "01000" as the number 1000: the text
    // typed would not come back.
    for (int c = 0; c < kColumnCount; ++c) {
        const Affinity a = affinityOf(t.types[size_t(c)]);
        if (a != Affinity::Text && a != Affinity::Blob)
            fail(errNumericColumn, numericColumnMessage(path, columnName(c), t.types[size_t(c)]));
    }
    return t;
}

// The row number, under the first of its three names that no column takes for itself.
QString rowNumberOf(QSqlDatabase& db, const QString& path, const QString& tableName,
                    const QStringList& allNames)
{
    QString rowNumber;
    for (const char* alias : {"rowid", "oid", "_rowid_"}) {
        const QString name = QString::fromLatin1(alias);
        if (!allNames.contains(name, Qt::CaseInsensitive)) {
            rowNumber = name;
            break;
        }
    }
    if (rowNumber.isEmpty())
        fail(errNoRowNumber, rowNumberHiddenMessage(path));
    QSqlQuery probe(db);
    if (!probe.prepare(
            QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(rowNumber, quoted(tableName))))
        fail(errNoRowNumber, noRowNumberMessage(path));
    return rowNumber;
}

// A trigger would run under every store and could change or delete other records behind the
// user's back (an insert deleting older rows, say): such a file is not written to. Nothing is
// written here: a file on a read-only medium or a full disk opens and reads; its first store
// says why it cannot be written.
void refuseTriggers(QSqlDatabase& db, const QString& path)
{
    QSqlQuery triggers(db);
    triggers.setForwardOnly(true);
    if (!triggers.exec(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' ORDER BY name")))
        readFail(path, errNotDatabase, kNotValid, triggers.lastError());
    QStringList names;
    while (triggers.next())
        names << triggers.value(0).toString();
    if (!names.isEmpty())
        fail(errTriggers, triggersMessage(path, names));
}

} // namespace

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

void Database::open(bool mustExist, Access access)
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
    m_db.setConnectOptions(access == Access::ReadOnly
                               ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000;QSQLITE_OPEN_READONLY")
                               : QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
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

std::unique_ptr<Database> Database::OpenDatabase(const QString& path, Access access)
{
    std::unique_ptr<Database> db(new Database(path));
    db->open(true, access);
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
    const QString tableName = tableNamed(m_db, m_path, table);
    const TableColumns columns = columnsOf(m_db, m_path, tableName);
    const QString rowNumber = rowNumberOf(m_db, m_path, tableName, columns.allNames);
    refuseTriggers(m_db, m_path);
    std::unique_ptr<Recordset> rs(
        new Recordset(*this, quoted(tableName), rowNumber, columns.sqlNames, columns.sizes));
    rs->load();
    return rs;
}
