#pragma once

// What the files of the synchronisation engine share: one run's working tables and steps.

#include "core/recordengine.h"
#include "sync/cardtext.h"
#include "sync/davclient.h"
#include "sync/davxml.h"
#include "sync/syncengine.h"

#include <QHash>
#include <QSet>
#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

namespace syncrun
{

// The name a record is listed under in the summary.
QString nameOf(const Contact& c);
// A new card's UID.
QString newUid();

} // namespace syncrun

class SyncEngine::Run
{
public:
    Run(SyncEngine& engine, const SyncSettings& settings)
        : rs(engine.m_records), store(engine.m_store), client(engine.m_client),
          opt(engine.m_options), settings(settings)
    {
    }

    SyncSummary go();

private:
    enum class LocalStatus { Same, Changed, Gone };
    enum class Count {
        None,
        SentNew,
        SentChanged,
        SentDeleted,
        ReceivedNew,
        ReceivedChanged,
        ReceivedDeleted
    };

    struct Local {
        qint64 rowid = 0;
        RowValues values;
        Contact contact;
        QByteArray print;
        int state = -1; // the state row paired with it
        bool empty = false;
    };

    struct Fetched {
        QString etag;
        QByteArray text;
        CardInfo card;
        Contact fitted;
        QByteArray print;
        bool gone = false;
        bool cut = false;
    };

    struct LocalWrite {
        enum Kind { Update, Insert, Delete, PutState, DropState } kind = PutState;
        qint64 rowid = 0;
        RowValues expected;
        RowValues values;
        bool withState = false;
        SyncStateRow state;
        QString dropHref; // a state row to remove first
        Count count = Count::None;
        bool done = false;
    };

    struct RemoteWrite {
        enum Kind { PutChange, PutNew, Delete } kind = PutNew;
        QString path;
        QByteArray ifMatch;
        QByteArray text;
        QString uid;
        int local = -1;      // the record sent: an index of `locals`...
        int localWrite = -1; // ...or the local write that inserted it
        int state = -1;      // the state row it replaces or deletes
        QString dropHref;    // a state row the new card's replaces (written with its intent)
        Count count = Count::None;
        bool retried = false;
        bool mayBeAbsent = false; // a delete of a card that may never have reached the server
        // What the card sent gives, as the record stores it (filled when it is sent).
        Contact back;
        QByteArray sentPrint;
        bool readable = false;
    };

    // Steps
    void readLocal();
    void pairLocal();
    bool listServer();
    void readMembers(const DavMultistatus& ms, bool delta);
    bool fetch(const QStringList& paths);
    bool fetchWholeCollection(QStringList& paths);
    void takeCards(const DavMultistatus& ms, const QSet<QString>& wanted);
    bool settle();
    void tokenPastOwnWrites();
    void plan();
    void decide(int stateIndex, bool serverGone, const Fetched* f);
    void decideServerGone(int stateIndex);
    void decideServerUnchanged(int stateIndex);
    void decideFetched(int stateIndex, const Fetched& f);
    void decideChangedHere(int stateIndex, const Fetched& f, const SyncStateRow& next);
    void planNewCard(int local, const QString& replacing = QString());
    void planDelete(int stateIndex, const QString& etag);
    void newAddress(RemoteWrite& w) const; // a new UID and the card's address from it
    void noteUnreadable(const QString& path, const Fetched& f);
    static void dropOld(LocalWrite& w, const SyncStateRow& s); // removes `s` with the write
    bool applyLocal(std::vector<LocalWrite>& writes, bool countSteps = true);
    SyncSummary finishRun();
    bool sendRemote(std::vector<RemoteWrite>& writes, std::vector<LocalWrite>& localWrites);
    // The writes that can go now (a conflict's copy waits for its record), their cards read
    // back as the record would store them.
    std::vector<size_t> sendableWrites(std::vector<RemoteWrite>& writes,
                                       const std::vector<LocalWrite>& localWrites);
    DavRequest requestFor(const RemoteWrite& w) const;
    // What a card the server took writes here: its state, and the record too when the card
    // reads back otherwise.
    // The state as it was, for a change the server refused (changed there meanwhile).
    LocalWrite unsentWrite(const RemoteWrite& w, const std::vector<LocalWrite>& localWrites) const;
    // A deleted card's state dropped.
    static LocalWrite droppedWrite(const RemoteWrite& w);
    // Applies the writes gathered so far and forgets them; false when they could not be.
    bool flushLocal(std::vector<LocalWrite>& results);
    LocalWrite confirmedWrite(const RemoteWrite& w, const QString& etag,
                              const std::vector<LocalWrite>& localWrites) const;
    // New cards refused because their address is taken: those that hold the card sent (a
    // request that went twice) are confirmed into `results`; those holding an earlier version
    // of it (sent by a run that stopped, arrived late) are noted and sent again as a change;
    // the others go into `again` under a new address. False when the server's answer cannot
    // be read.
    bool settleTakenAddresses(std::vector<RemoteWrite>& taken, std::vector<RemoteWrite>& again,
                              std::vector<LocalWrite>& results,
                              const std::vector<LocalWrite>& localWrites);
    void writeIntents(std::vector<RemoteWrite>& writes, const std::vector<size_t>& chunk,
                      const std::vector<LocalWrite>& localWrites);
    bool retryRound();

    // Helpers
    Contact fitted(const Contact& c, bool* cut) const;
    bool step();
    void fail(const QString& text);
    void count(Count c);
    // The multistatus of `reply`; false (the run failed or was cancelled) when there is none.
    bool readAnswer(const DavReply& reply, DavMultistatus& ms);
    QString path(const QString& href) const { return hrefPath(collectionUrl, href); }
    QUrl url(const QString& decodedPath) const { return urlOnServer(collectionUrl, decodedPath); }
    LocalStatus statusOf(int stateIndex) const;
    qint64 rowidOf(const RemoteWrite& w, const std::vector<LocalWrite>& localWrites) const;

    Recordset& rs;
    SyncStore& store;
    DavClient& client;
    SyncOptions& opt;
    SyncSettings settings;
    SyncSummary summary;
    QUrl collectionUrl;
    QString collectionPath;
    bool cancel = false;
    qint64 done = 0;
    qint64 total = 1;

    std::vector<Local> locals;
    std::unordered_map<qint64, int> localByRowid;
    std::vector<SyncStateRow> states;
    QHash<QString, int> stateByPath;
    std::vector<int> stateLocal;
    std::vector<char> stateVoid; // a new card's state whose card never reached the server
    std::vector<int> localAdds;
    // The UID and address a record keeps when its new card was sent by the last run and is not
    // on the server: the request may still arrive there, and is then the same card.
    std::unordered_map<int, std::pair<QString, QString>> keptAddresses;
    bool anyPending = false; // state rows sent and not confirmed by the last run
    QSet<QString> outside;   // addresses outside the address book, ignored

    // Server listing
    bool fullListing = false;
    std::map<QString, QString> present; // path -> ETag
    QHash<QString, qint64> sizes;       // path -> its length when the server tells
    QSet<QString> removed;
    QString newToken;
    QString newCtag;
    bool supportsSync = false;
    QHash<QString, Fetched> fetched;

    std::vector<LocalWrite> localWrites;
    std::vector<RemoteWrite> remoteWrites;
    std::vector<int> retryStates; // 412 on a change or a delete: decided again
};
