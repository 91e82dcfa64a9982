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
// - `ElvarineSync` (`Href`, `Fiche`, `UID`, `ETag`, `Empreinte`, `Attente`, `Envoi`): for each
//   card of the address book paired with a record, its path on the server, the record's row
//   number in the address table, the card's UID and ETag, the print of the sixteen fields as
//   last synchronised, and what was sent to the server and not yet confirmed: a new card (the
//   row is written before the card is sent), a change (with the print of what was sent), or a
//   delete (the row has no record any more).
// A file never synchronised has neither table. The state table of earlier versions (one row per
// row number, without `Attente` and `Envoi`) is brought to this layout when first read.

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

// What was sent for a card and not yet answered. A run that finds such a row settles it first:
// the card at its path with its UID is there or not, whatever the record became meanwhile.
enum class SyncPending {
    None = 0,
    NewCard = 1, // sent with If-None-Match: *
    Change = 2,  // sent with If-Match; `sentPrint` is the print of the card sent
    Delete = 3,  // DELETE sent; the record is gone here (rowid 0)
};

struct SyncStateRow {
    qint64 rowid = 0; // the record's row number; 0 when the record is gone here
    QString uid;
    QString href; // decoded path on the server
    QString etag;
    QByteArray print; // recordPrint() of the fields as last synchronised
    SyncPending pending = SyncPending::None;
    QByteArray sentPrint;
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
    // Writes the state of the card at `row.href` (replacing what it had).
    void putState(const SyncStateRow& row);
    void removeState(const QString& href);
    // Forgets every record's state and the collection's token (another address book).
    void clearState();

    // Transactions on the file (the record writes of the run share them).
    void begin();
    void commit();
    void rollback();

private:
    void createTables();
    bool stateTableIsOld();
    void upgradeStateTable();
    void setValue(const QString& name, const QString& value);

    QSqlDatabase m_db;
};
