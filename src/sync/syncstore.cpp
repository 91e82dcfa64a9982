#include "sync/syncstore.h"

#include "core/recordengine.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtEndian>

const char kSettingsTable[] = "ElvarineSyncSettings";
const char kStateTable[] = "ElvarineSync";

namespace
{

const QString kCreateSettings = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS ElvarineSyncSettings (Nom TEXT PRIMARY KEY, Valeur TEXT)");
const QString kCreateState = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS ElvarineSync (Href TEXT PRIMARY KEY, Fiche INTEGER, UID TEXT NOT "
    "NULL, ETag TEXT, Empreinte BLOB NOT NULL, Attente INTEGER NOT NULL DEFAULT 0, Envoi BLOB)");
const QString kStateColumns = QStringLiteral("PRAGMA table_info(ElvarineSync)");
const QString kRenameOldState =
    QStringLiteral("ALTER TABLE ElvarineSync RENAME TO ElvarineSyncAvantAttente");
const QString kCopyOldState =
    QStringLiteral("INSERT OR REPLACE INTO ElvarineSync (Href, Fiche, UID, ETag, Empreinte) "
                   "SELECT Href, Fiche, UID, ETag, Empreinte FROM ElvarineSyncAvantAttente");
const QString kDropOldState = QStringLiteral("DROP TABLE ElvarineSyncAvantAttente");
const QString kSelectSettings = QStringLiteral("SELECT Nom, Valeur FROM ElvarineSyncSettings");
const QString kPutSetting =
    QStringLiteral("INSERT OR REPLACE INTO ElvarineSyncSettings (Nom, Valeur) VALUES (?, ?)");
const QString kSelectState = QStringLiteral("SELECT Fiche, UID, Href, ETag, Empreinte, Attente, "
                                            "Envoi FROM ElvarineSync ORDER BY Fiche, Href");
const QString kPutState =
    QStringLiteral("INSERT OR REPLACE INTO ElvarineSync (Href, Fiche, UID, ETag, Empreinte, "
                   "Attente, Envoi) VALUES (?, ?, ?, ?, ?, ?, ?)");
const QString kRemoveState = QStringLiteral("DELETE FROM ElvarineSync WHERE Href = ?");
const QString kClearState = QStringLiteral("DELETE FROM ElvarineSync");
const QString kTableCount =
    QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN (?, ?)");

constexpr quint64 kFnvOffset = 14695981039346656037ULL;
constexpr quint64 kFnvPrime = 1099511628211ULL;

[[noreturn]] void storeFail(const QString& what, const QSqlError& error)
{
    QString detail = error.databaseText();
    if (detail.isEmpty())
        detail = error.text();
    throw EngineError(
        errDisk, detail.isEmpty() ? what : what + QLatin1String(" (") + detail + QLatin1Char(')'));
}

void run(QSqlQuery& q, const QString& what)
{
    if (!q.exec())
        storeFail(what, q.lastError());
}

quint64 fieldHash(const QString& value)
{
    quint64 h = kFnvOffset;
    if (isEmptyValue(value))
        return h;
    for (const QChar c : value) {
        char16_t u = c.unicode();
        if (u == u'\r')
            continue; // CR LF and LF alike (a lone CR is rare enough to count as nothing)
        h = (h ^ (u & 0xFF)) * kFnvPrime;
        h = (h ^ (u >> 8)) * kFnvPrime;
    }
    return h;
}

quint64 hashAt(const QByteArray& print, int column)
{
    return qFromBigEndian<quint64>(print.constData() + column * 8);
}

const QString kSettingsError = QStringLiteral("Impossible de lire ou d'écrire les réglages de "
                                              "synchronisation dans le fichier d'adresses.");

} // namespace

QByteArray recordPrint(const Contact& contact)
{
    QByteArray print(kColumnCount * 8, Qt::Uninitialized);
    for (int c = 0; c < kColumnCount; ++c)
        qToBigEndian<quint64>(fieldHash(contact[size_t(c)]), print.data() + c * 8);
    return print;
}

PrintComparison comparePrints(const QByteArray& a, const QByteArray& b)
{
    PrintComparison result;
    if (a.size() != kColumnCount * 8 || b.size() != kColumnCount * 8) {
        result.differ = kColumnCount;
        return result;
    }
    for (int c = 0; c < kColumnCount; ++c) {
        const quint64 x = hashAt(a, c);
        const quint64 y = hashAt(b, c);
        if (x == kFnvOffset && y == kFnvOffset)
            continue;
        if (x == y)
            ++result.alike;
        else
            ++result.differ;
    }
    result.sameName = hashAt(a, Field::Nom) == hashAt(b, Field::Nom) &&
                      hashAt(a, Field::Prenom) == hashAt(b, Field::Prenom);
    return result;
}

bool SyncStore::hasTables()
{
    QSqlQuery q(m_db);
    q.prepare(kTableCount);
    q.addBindValue(QString::fromLatin1(kSettingsTable));
    q.addBindValue(QString::fromLatin1(kStateTable));
    run(q, kSettingsError);
    return q.next() && q.value(0).toInt() == 2;
}

void SyncStore::createTables()
{
    QSqlQuery q(m_db);
    q.prepare(kCreateSettings);
    run(q, kSettingsError);
    if (stateTableIsOld())
        upgradeStateTable();
    q.prepare(kCreateState);
    run(q, kSettingsError);
}

bool SyncStore::stateTableIsOld()
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(kStateColumns);
    run(q, kSettingsError);
    bool any = false;
    while (q.next()) {
        any = true;
        if (q.value(1).toString() == QLatin1String("Attente"))
            return false;
    }
    return any;
}

void SyncStore::upgradeStateTable()
{
    QSqlQuery q(m_db);
    for (const QString& sql : {kRenameOldState, kCreateState, kCopyOldState, kDropOldState}) {
        q.prepare(sql);
        run(q, kSettingsError);
    }
}

SyncSettings SyncStore::loadSettings()
{
    SyncSettings s;
    if (!hasTables())
        return s;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(kSelectSettings);
    run(q, kSettingsError);
    while (q.next()) {
        const QString name = q.value(0).toString();
        const QString value = q.value(1).toString();
        if (name == QLatin1String("Serveur"))
            s.server = value;
        else if (name == QLatin1String("Utilisateur"))
            s.user = value;
        else if (name == QLatin1String("Carnet"))
            s.collection = value;
        else if (name == QLatin1String("NomCarnet"))
            s.collectionName = value;
        else if (name == QLatin1String("AOuverture"))
            s.atOpening = value == QLatin1String("1");
        else if (name == QLatin1String("SyncToken"))
            s.syncToken = value;
        else if (name == QLatin1String("CTag"))
            s.ctag = value;
    }
    return s;
}

void SyncStore::setValue(const QString& name, const QString& value)
{
    QSqlQuery q(m_db);
    q.prepare(kPutSetting);
    q.addBindValue(name);
    q.addBindValue(value);
    run(q, kSettingsError);
}

void SyncStore::saveSettings(const SyncSettings& s)
{
    begin();
    try {
        createTables();
        setValue(QStringLiteral("Serveur"), s.server);
        setValue(QStringLiteral("Utilisateur"), s.user);
        setValue(QStringLiteral("Carnet"), s.collection);
        setValue(QStringLiteral("NomCarnet"), s.collectionName);
        setValue(QStringLiteral("AOuverture"),
                 s.atOpening ? QStringLiteral("1") : QStringLiteral("0"));
        setValue(QStringLiteral("SyncToken"), s.syncToken);
        setValue(QStringLiteral("CTag"), s.ctag);
        commit();
    } catch (...) {
        rollback();
        throw;
    }
}

void SyncStore::saveCollectionState(const QString& syncToken, const QString& ctag)
{
    setValue(QStringLiteral("SyncToken"), syncToken);
    setValue(QStringLiteral("CTag"), ctag);
}

std::vector<SyncStateRow> SyncStore::loadState()
{
    std::vector<SyncStateRow> rows;
    if (!hasTables())
        return rows;
    if (stateTableIsOld()) {
        begin();
        try {
            upgradeStateTable();
            commit();
        } catch (...) {
            rollback();
            throw;
        }
    }
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(kSelectState);
    run(q, kSettingsError);
    while (q.next()) {
        SyncStateRow r;
        r.rowid = q.value(0).isNull() ? 0 : q.value(0).toLongLong();
        r.uid = q.value(1).toString();
        r.href = q.value(2).toString();
        r.etag = q.value(3).toString();
        r.print = q.value(4).toByteArray();
        const int pending = q.value(5).toInt();
        r.pending = pending >= 1 && pending <= 3 ? SyncPending(pending) : SyncPending::None;
        r.sentPrint = q.value(6).toByteArray();
        rows.push_back(std::move(r));
    }
    return rows;
}

void SyncStore::putState(const SyncStateRow& r)
{
    QSqlQuery q(m_db);
    q.prepare(kPutState);
    q.addBindValue(r.href);
    q.addBindValue(r.rowid > 0 ? QVariant(r.rowid) : QVariant(QMetaType(QMetaType::LongLong)));
    q.addBindValue(r.uid);
    q.addBindValue(r.etag);
    q.addBindValue(r.print);
    q.addBindValue(int(r.pending));
    q.addBindValue(r.pending == SyncPending::Change ? QVariant(r.sentPrint)
                                                    : QVariant(QMetaType(QMetaType::QByteArray)));
    run(q, kSettingsError);
}

void SyncStore::removeState(const QString& href)
{
    QSqlQuery q(m_db);
    q.prepare(kRemoveState);
    q.addBindValue(href);
    run(q, kSettingsError);
}

void SyncStore::clearState()
{
    if (!hasTables())
        return;
    begin();
    try {
        QSqlQuery q(m_db);
        q.prepare(kClearState);
        run(q, kSettingsError);
        saveCollectionState(QString(), QString());
        commit();
    } catch (...) {
        rollback();
        throw;
    }
}

void SyncStore::begin()
{
    if (!m_db.transaction())
        storeFail(kSettingsError, m_db.lastError());
}

void SyncStore::commit()
{
    if (!m_db.commit()) {
        const QSqlError error = m_db.lastError();
        m_db.rollback();
        storeFail(QStringLiteral("Impossible d'enregistrer la synchronisation dans le fichier "
                                 "d'adresses."),
                  error);
    }
}

void SyncStore::rollback()
{
    m_db.rollback();
}
