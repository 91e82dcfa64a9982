#pragma once

#include "contacts/contact.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <vector>

// What the synchronisation keeps in the address file, in two tables of its own beside the
// address table (which keeps its sixteen columns and its rows' order):
// - `ElvarineSyncSettings` (`Nom`, `Valeur`): the server address, the user name, the chosen
//   address book's address and name, the choice "at opening", the collection's sync token and
//   ctag as of the last complete synchronisation;
// - `ElvarineSync` (`Fiche`, `UID`, `Href`, `ETag`, `Empreinte`): for each record synchronised,
//   by its row number in the address table, the card's UID, its path on the server, its ETag,
//   and the print of the sixteen fields as last synchronised.
// A file never synchronised has neither table.

extern const char kSettingsTable[]; // "ElvarineSyncSettings"
extern const char kStateTable[];    // "ElvarineSync"

struct SyncSettings {
    QString server;         // as the user typed it
    QString user;           // user name on the server
    QString collection;     // the address book's full address
    QString collectionName; // its display name
    bool atOpening = false; // synchronise when the file is opened
    QString syncToken;      // RFC 6578 token of the last complete run
    QString ctag;           // the collection's ctag then, for servers without tokens
    bool configured() const { return !collection.isEmpty(); }
};

struct SyncStateRow {
    qint64 rowid = 0;
    QString uid;
    QString href; // decoded path on the server
    QString etag;
    QByteArray print; // recordPrint() of the fields as last synchronised
};

// The print of a record's sixteen fields: one 64-bit FNV-1a hash per field, of the field as
// stored with empty values alike (null, "", " ") and line breaks as LF. Two prints can be
// compared field by field.
QByteArray recordPrint(const Contact& contact);
// How many fields two prints have alike and how many differ, counting only the fields filled
// in at least one of them; whether Nom and Prénom are alike.
struct PrintComparison {
    int alike = 0;
    int differ = 0;
    bool sameName = false;
};
PrintComparison comparePrints(const QByteArray& a, const QByteArray& b);

// The tables, on the address file's own connection. Failures throw EngineError with a French
// text.
class SyncStore
{
public:
    explicit SyncStore(QSqlDatabase db) : m_db(std::move(db)) {}

    bool hasTables();
    // The settings (defaults when the file has none).
    SyncSettings loadSettings();
    // Writes the settings; creates both tables when missing.
    void saveSettings(const SyncSettings& settings);
    // Writes the collection's token and ctag only.
    void saveCollectionState(const QString& syncToken, const QString& ctag);

    std::vector<SyncStateRow> loadState();
    void putState(const SyncStateRow& row);
    // Removes the state of row `rowid` while it still names the card at `href`.
    void removeState(qint64 rowid, const QString& href);
    // Forgets every record's state and the collection's token (another address book).
    void clearState();

    // Transactions on the file (the record writes of the run share them).
    void begin();
    void commit();
    void rollback();

private:
    void createTables();
    void setValue(const QString& name, const QString& value);

    QSqlDatabase m_db;
};
