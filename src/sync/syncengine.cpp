#include "sync/syncengine.h"

#include "core/recordengine.h"
#include "sync/cardtext.h"
#include "sync/davclient.h"
#include "sync/davxml.h"

#include <QHash>
#include <QSet>
#include <QUuid>
#include <map>
#include <unordered_map>

namespace
{

const QByteArray kXml = "application/xml; charset=utf-8";
const QByteArray kVCard = "text/vcard; charset=utf-8";

QString nameOf(const Contact& c)
{
    const QString name = contactName(c);
    if (!name.isEmpty())
        return name;
    const QString company = c[Field::Societe].trimmed();
    return company.isEmpty() ? QStringLiteral("(fiche sans nom)") : company;
}

QString newUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace

bool SyncSummary::needsReport() const
{
    return !conflicts.isEmpty() || !restored.isEmpty() || !cut.isEmpty() || !unreadable.isEmpty() ||
           !error.isEmpty() || postponed > 0;
}

QString SyncSummary::text() const
{
    QString t;
    t += QStringLiteral("Synchronisation de « %1 » avec le carnet « %2 »").arg(file, collection);
    if (cancelled)
        t += QStringLiteral(" : annulée en cours de route.\n");
    else if (!error.isEmpty())
        t += QStringLiteral(" : interrompue.\n");
    else
        t += QStringLiteral(" : terminée.\n");
    t += QStringLiteral("Envoyé au serveur : %1 nouvelle(s) fiche(s), %2 modifiée(s), %3 "
                        "supprimée(s).\n")
             .arg(sentNew)
             .arg(sentChanged)
             .arg(sentDeleted);
    t += QStringLiteral("Reçu du serveur : %1 nouvelle(s) fiche(s), %2 modifiée(s), %3 "
                        "supprimée(s).\n")
             .arg(receivedNew)
             .arg(receivedChanged)
             .arg(receivedDeleted);
    const auto list = [&t](const QString& title, const QStringList& names) {
        if (names.isEmpty())
            return;
        t += QLatin1Char('\n') + title + QLatin1Char('\n');
        for (const QString& n : names)
            t += QStringLiteral("  - ") + n + QLatin1Char('\n');
    };
    list(QStringLiteral("Fiches modifiées des deux côtés depuis la dernière synchronisation : les "
                        "deux versions sont gardées. La fiche porte la version du serveur, la "
                        "version de ce fichier est dans une nouvelle fiche du même nom :"),
         conflicts);
    list(QStringLiteral("Fiches supprimées d'un côté et modifiées de l'autre : elles sont "
                        "gardées et remises là où elles avaient été supprimées :"),
         restored);
    list(QStringLiteral("Valeurs raccourcies pour tenir dans les champs de la fiche (le serveur "
                        "garde la valeur entière tant que le champ n'est pas modifié ici) :"),
         cut);
    list(QStringLiteral("Cartes illisibles, laissées telles quelles sur le serveur :"), unreadable);
    if (postponed > 0)
        t += QStringLiteral("\n%1 fiche(s) ont changé pendant la synchronisation : elles seront "
                            "traitées à la prochaine.\n")
                 .arg(postponed);
    if (!error.isEmpty())
        t += QLatin1Char('\n') + error + QLatin1Char('\n') +
             QStringLiteral("Ce qui a été fait est gardé ; la prochaine synchronisation reprendra "
                            "là où celle-ci s'est arrêtée.\n");
    if (cancelled && error.isEmpty())
        t += QStringLiteral("\nCe qui a été fait est gardé ; la prochaine synchronisation "
                            "reprendra là où celle-ci s'est arrêtée.\n");
    return t;
}

// ---------------------------------------------------------------------------- one run

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
        qint64 dropRowid = -1; // a state row to remove first (with dropHref)
        QString dropHref;
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
        Count count = Count::None;
        bool retried = false;
    };

    // Steps
    void readLocal();
    void pairLocal();
    bool listServer();
    bool fetch(const QStringList& paths);
    void plan();
    void decide(int stateIndex, bool serverGone, const Fetched* f);
    void planNewCard(int local);
    bool applyLocal(std::vector<LocalWrite>& writes, bool countSteps = true);
    SyncSummary finishRun();
    bool sendRemote(std::vector<RemoteWrite>& writes, std::vector<LocalWrite>& localWrites);
    bool retryRound();
    void renumberMoved();

    // Helpers
    Contact fitted(const Contact& c, bool* cut) const;
    bool step();
    void fail(const QString& text);
    void count(Count c);
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
    std::vector<int> localAdds;

    // Server listing
    bool fullListing = false;
    std::map<QString, QString> present; // path -> ETag
    QSet<QString> removed;
    QString newToken;
    QString newCtag;
    bool supportsSync = false;
    QHash<QString, Fetched> fetched;

    std::vector<LocalWrite> localWrites;
    std::vector<RemoteWrite> remoteWrites;
    std::vector<int> retryStates; // 412 on a change or a delete: decided again
};

Contact SyncEngine::Run::fitted(const Contact& c, bool* cut) const
{
    Contact out = c;
    for (int i = 0; i < kColumnCount; ++i) {
        QString& v = out[size_t(i)];
        if (isEmptyValue(v)) {
            v = QString();
            continue;
        }
        v = withLfLineBreaks(v);
        const int size = rs.columnSize(i);
        if (v.size() > size) {
            qsizetype keep = size;
            if (keep > 0 && v[keep - 1].isHighSurrogate())
                --keep;
            v.truncate(keep);
            if (cut)
                *cut = true;
        }
    }
    return out;
}

bool SyncEngine::Run::step()
{
    ++done;
    if (done > total)
        total = done;
    if (opt.progress && !cancel && !opt.progress(done, total))
        cancel = true;
    return !cancel;
}

void SyncEngine::Run::fail(const QString& text)
{
    if (summary.error.isEmpty())
        summary.error = text;
}

void SyncEngine::Run::count(Count c)
{
    switch (c) {
    case Count::SentNew:
        ++summary.sentNew;
        break;
    case Count::SentChanged:
        ++summary.sentChanged;
        break;
    case Count::SentDeleted:
        ++summary.sentDeleted;
        break;
    case Count::ReceivedNew:
        ++summary.receivedNew;
        break;
    case Count::ReceivedChanged:
        ++summary.receivedChanged;
        break;
    case Count::ReceivedDeleted:
        ++summary.receivedDeleted;
        break;
    case Count::None:
        break;
    }
}

void SyncEngine::Run::readLocal()
{
    rs.readNumberedRows([this](qint64 rowid, RowValues& row) {
        Local l;
        l.rowid = rowid;
        l.contact = contactOfRow(row);
        l.values = std::move(row);
        l.empty = isEmptyContact(l.contact);
        l.print = recordPrint(l.contact);
        localByRowid.emplace(rowid, int(locals.size()));
        locals.push_back(std::move(l));
    });
    states = store.loadState();
    for (size_t i = 0; i < states.size(); ++i)
        stateByPath.insert(states[i].href, int(i));
}

// Pairs each state row with a record: same number and same print; then same print under
// another number; then same number with changes, unless the number was taken by another record.
void SyncEngine::Run::pairLocal()
{
    stateLocal.assign(states.size(), -1);
    std::vector<int> unmatchedStates;
    for (size_t s = 0; s < states.size(); ++s) {
        const auto it = localByRowid.find(states[s].rowid);
        if (it != localByRowid.end() && locals[size_t(it->second)].print == states[s].print &&
            locals[size_t(it->second)].state < 0) {
            stateLocal[s] = it->second;
            locals[size_t(it->second)].state = int(s);
        } else {
            unmatchedStates.push_back(int(s));
        }
    }
    if (!unmatchedStates.empty()) {
        QMultiHash<QByteArray, int> freeByPrint;
        for (size_t i = 0; i < locals.size(); ++i) {
            if (locals[i].state < 0 && !locals[i].empty)
                freeByPrint.insert(locals[i].print, int(i));
        }
        std::vector<int> still;
        for (int s : unmatchedStates) {
            const auto it = freeByPrint.find(states[size_t(s)].print);
            if (it != freeByPrint.end()) {
                const int l = it.value();
                freeByPrint.erase(it);
                stateLocal[size_t(s)] = l;
                locals[size_t(l)].state = s;
            } else {
                still.push_back(s);
            }
        }
        for (int s : still) {
            const auto it = localByRowid.find(states[size_t(s)].rowid);
            if (it == localByRowid.end() || locals[size_t(it->second)].state >= 0)
                continue;
            Local& l = locals[size_t(it->second)];
            const PrintComparison cmp = comparePrints(states[size_t(s)].print, l.print);
            const bool sameRecord = cmp.sameName || (cmp.alike > 0 && cmp.alike >= cmp.differ);
            if (!sameRecord)
                continue; // the number was reused: the old record is gone, this one is new
            stateLocal[size_t(s)] = it->second;
            l.state = s;
        }
    }
    for (size_t i = 0; i < locals.size(); ++i) {
        if (locals[i].state < 0 && !locals[i].empty)
            localAdds.push_back(int(i));
    }
}

SyncEngine::Run::LocalStatus SyncEngine::Run::statusOf(int s) const
{
    const int l = stateLocal[size_t(s)];
    if (l < 0)
        return LocalStatus::Gone;
    return locals[size_t(l)].print == states[size_t(s)].print ? LocalStatus::Same
                                                              : LocalStatus::Changed;
}

bool SyncEngine::Run::listServer()
{
    const auto propfind = [this](const QByteArray& depth, const QByteArray& body) {
        DavRequest r;
        r.verb = "PROPFIND";
        r.url = collectionUrl;
        r.depth = depth;
        r.body = body;
        r.contentType = kXml;
        return client.send(r);
    };
    const auto syncReport = [this](const QString& token) {
        DavRequest r;
        r.verb = "REPORT";
        r.url = collectionUrl;
        r.depth = "0";
        r.body = DavBody::syncCollection(token);
        r.contentType = kXml;
        return client.send(r);
    };
    const auto readMembers = [this](const DavMultistatus& ms, bool delta) {
        for (const DavResource& r : ms.responses) {
            const QString p = path(r.href);
            if (p == collectionPath || p.endsWith(QLatin1Char('/')))
                continue; // the collection itself, or a sub-collection
            if (r.status == 404) {
                if (delta)
                    removed.insert(p);
                continue;
            }
            if (r.isCollection)
                continue;
            present[p] = r.etag;
        }
    };
    const auto answerFailed = [this](const DavReply& reply) {
        if (reply.cancelled) {
            cancel = true;
            return true;
        }
        if (!reply.ok()) {
            fail(reply.error);
            return true;
        }
        return false;
    };

    QString token = settings.syncToken;
    if (!token.isEmpty()) {
        const DavReply reply = syncReport(token);
        if (!reply.ok() && (reply.status == 403 || reply.status == 409 || reply.status == 400) &&
            davErrorNames(reply.body, QStringLiteral("valid-sync-token"))) {
            token.clear(); // the server forgot it: a full listing, compared with the state
        } else {
            if (answerFailed(reply))
                return false;
            const DavMultistatus ms = parseMultistatus(reply.body);
            if (!ms.valid) {
                fail(davBadAnswerText(collectionUrl, ms.error));
                return false;
            }
            readMembers(ms, true);
            newToken = ms.syncToken;
            supportsSync = true;
            return true;
        }
    }
    if (token.isEmpty()) {
        // What the collection offers.
        const DavReply reply = propfind("0", DavBody::collectionStateQuery());
        if (answerFailed(reply))
            return false;
        const DavMultistatus ms = parseMultistatus(reply.body);
        if (!ms.valid) {
            fail(davBadAnswerText(collectionUrl, ms.error));
            return false;
        }
        bool isBook = false;
        for (const DavResource& r : ms.responses) {
            if (path(r.href) != collectionPath && ms.responses.size() > 1)
                continue;
            isBook = isBook || r.isAddressBook;
            supportsSync = r.hasSyncToken || r.supportsSyncCollection;
            newCtag = r.ctag;
        }
        if (!isBook) {
            fail(QStringLiteral("L'adresse %1 n'est pas un carnet d'adresses CardDAV : choisissez "
                                "le carnet dans « Synchronisation... ».")
                     .arg(collectionUrl.toDisplayString()));
            return false;
        }
        if (!supportsSync && !newCtag.isEmpty() && newCtag == settings.ctag && !states.empty()) {
            // Nothing changed on the server since the last complete run.
            fullListing = false;
            return true;
        }
    }
    fullListing = true;
    if (supportsSync) {
        const DavReply reply = syncReport(QString());
        if (answerFailed(reply))
            return false;
        const DavMultistatus ms = parseMultistatus(reply.body);
        if (!ms.valid) {
            fail(davBadAnswerText(collectionUrl, ms.error));
            return false;
        }
        readMembers(ms, false);
        newToken = ms.syncToken;
        return true;
    }
    const DavReply reply = propfind("1", DavBody::etagsQuery());
    if (answerFailed(reply))
        return false;
    const DavMultistatus ms = parseMultistatus(reply.body);
    if (!ms.valid) {
        fail(davBadAnswerText(collectionUrl, ms.error));
        return false;
    }
    readMembers(ms, false);
    return true;
}

bool SyncEngine::Run::fetch(const QStringList& paths)
{
    std::vector<DavRequest> requests;
    std::vector<QStringList> batches;
    for (qsizetype i = 0; i < paths.size(); i += opt.cardsPerMultiget) {
        const QStringList batch = paths.mid(i, opt.cardsPerMultiget);
        QStringList hrefs;
        for (const QString& p : batch)
            hrefs << encodedHref(p);
        DavRequest r;
        r.verb = "REPORT";
        r.url = collectionUrl;
        r.depth = "1";
        r.contentType = kXml;
        r.body = DavBody::multiget(hrefs);
        requests.push_back(std::move(r));
        batches.push_back(batch);
    }
    bool ok = true;
    client.sendAll(requests, [&](size_t index, DavReply& reply) {
        if (reply.cancelled) {
            cancel = true;
            ok = false;
            return false;
        }
        if (!reply.ok()) {
            fail(reply.error);
            ok = false;
            return false;
        }
        const DavMultistatus ms = parseMultistatus(reply.body);
        if (!ms.valid) {
            fail(davBadAnswerText(collectionUrl, ms.error));
            ok = false;
            return false;
        }
        QSet<QString> answered;
        for (const DavResource& r : ms.responses) {
            const QString p = path(r.href);
            answered.insert(p);
            Fetched f;
            if (r.status == 404 || (!r.hasAddressData && r.status >= 400)) {
                f.gone = true;
            } else {
                f.etag = r.etag;
                f.text = r.addressData;
                f.card = readCard(f.text);
                if (f.card.error.isEmpty()) {
                    f.fitted = fitted(f.card.contact, &f.cut);
                    f.print = recordPrint(f.fitted);
                }
            }
            fetched.insert(p, std::move(f));
        }
        // A card the answer does not name is gone.
        for (const QString& p : batches[index]) {
            if (!answered.contains(p)) {
                Fetched f;
                f.gone = true;
                fetched.insert(p, std::move(f));
            }
        }
        for (qsizetype i = 0; i < batches[index].size(); ++i) {
            if (!step())
                return false;
        }
        return true;
    });
    if (cancel)
        ok = false;
    return ok;
}

void SyncEngine::Run::planNewCard(int local)
{
    RemoteWrite w;
    w.kind = RemoteWrite::PutNew;
    w.uid = newUid();
    w.path = collectionPath + w.uid + QStringLiteral(".vcf");
    w.text = newCardText(locals[size_t(local)].contact, w.uid);
    w.local = local;
    w.count = Count::SentNew;
    remoteWrites.push_back(std::move(w));
}

void SyncEngine::Run::decide(int si, bool serverGone, const Fetched* f)
{
    const SyncStateRow& s = states[size_t(si)];
    const LocalStatus status = statusOf(si);
    const int li = stateLocal[size_t(si)];
    Local* local = li >= 0 ? &locals[size_t(li)] : nullptr;
    const bool moved = local && local->rowid != s.rowid;

    if (serverGone) {
        if (status == LocalStatus::Gone) {
            LocalWrite w;
            w.kind = LocalWrite::DropState;
            w.dropRowid = s.rowid;
            w.dropHref = s.href;
            localWrites.push_back(std::move(w));
        } else if (status == LocalStatus::Same) {
            LocalWrite w;
            w.kind = LocalWrite::Delete;
            w.rowid = local->rowid;
            w.expected = local->values;
            w.dropRowid = s.rowid;
            w.dropHref = s.href;
            w.count = Count::ReceivedDeleted;
            localWrites.push_back(std::move(w));
        } else {
            // Changed here, deleted on the server: kept, and put back on the server.
            summary.restored << nameOf(local->contact);
            if (moved) {
                LocalWrite w;
                w.kind = LocalWrite::DropState;
                w.dropRowid = s.rowid;
                w.dropHref = s.href;
                localWrites.push_back(std::move(w));
            }
            planNewCard(li);
        }
        return;
    }
    if (!f) {
        // The server's card did not change.
        if (status == LocalStatus::Same) {
            if (moved) {
                LocalWrite w;
                w.kind = LocalWrite::PutState;
                w.withState = true;
                w.state = s;
                w.state.rowid = local->rowid;
                w.dropRowid = s.rowid;
                w.dropHref = s.href;
                localWrites.push_back(std::move(w));
            }
        } else if (status == LocalStatus::Gone) {
            RemoteWrite w;
            w.kind = RemoteWrite::Delete;
            w.path = s.href;
            w.ifMatch = s.etag.toUtf8();
            w.state = si;
            w.count = Count::SentDeleted;
            remoteWrites.push_back(std::move(w));
        } else {
            ++summary.postponed; // its card could not be fetched
        }
        return;
    }
    if (!f->card.error.isEmpty()) {
        summary.unreadable << s.href;
        return;
    }
    const bool serverChanged = f->print != s.print;
    if (f->cut && serverChanged)
        summary.cut << nameOf(f->fitted);
    SyncStateRow next = s;
    next.etag = f->etag;
    next.print = f->print;
    if (status == LocalStatus::Same) {
        LocalWrite w;
        w.withState = true;
        w.state = next;
        w.state.rowid = local->rowid;
        if (moved) {
            w.dropRowid = s.rowid;
            w.dropHref = s.href;
        }
        if (serverChanged) {
            w.kind = LocalWrite::Update;
            w.rowid = local->rowid;
            w.expected = local->values;
            w.values = rowOfContact(f->fitted);
            w.count = Count::ReceivedChanged;
        } else if (f->etag != s.etag || moved) {
            w.kind = LocalWrite::PutState;
        } else {
            return;
        }
        localWrites.push_back(std::move(w));
        return;
    }
    if (status == LocalStatus::Gone) {
        if (serverChanged) {
            // Deleted here, changed on the server: kept, put back here.
            summary.restored << nameOf(f->fitted);
            LocalWrite w;
            w.kind = LocalWrite::Insert;
            w.values = rowOfContact(f->fitted);
            w.withState = true;
            w.state = next;
            w.dropRowid = s.rowid;
            w.dropHref = s.href;
            localWrites.push_back(std::move(w));
        } else {
            RemoteWrite w;
            w.kind = RemoteWrite::Delete;
            w.path = s.href;
            w.ifMatch = f->etag.toUtf8();
            w.state = si;
            w.count = Count::SentDeleted;
            remoteWrites.push_back(std::move(w));
        }
        return;
    }
    // Changed here.
    if (!serverChanged) {
        RemoteWrite w;
        w.kind = RemoteWrite::PutChange;
        w.path = s.href;
        w.uid = s.uid;
        w.ifMatch = f->etag.toUtf8();
        w.text = mergedCardText(f->text, f->fitted, local->contact);
        w.local = li;
        w.state = si;
        w.count = Count::SentChanged;
        remoteWrites.push_back(std::move(w));
        return;
    }
    if (f->print == local->print) {
        // The same change on both sides.
        LocalWrite w;
        w.kind = LocalWrite::PutState;
        w.withState = true;
        w.state = next;
        w.state.rowid = local->rowid;
        if (moved) {
            w.dropRowid = s.rowid;
            w.dropHref = s.href;
        }
        localWrites.push_back(std::move(w));
        return;
    }
    // Changed on both sides: the record takes the server's version, this file's version goes
    // into a new record and a new card (a copy of the server's card, so nothing it holds is
    // lost whichever the user keeps).
    summary.conflicts << nameOf(local->contact);
    LocalWrite server;
    server.kind = LocalWrite::Update;
    server.rowid = local->rowid;
    server.expected = local->values;
    server.values = rowOfContact(f->fitted);
    server.withState = true;
    server.state = next;
    server.state.rowid = local->rowid;
    if (moved) {
        server.dropRowid = s.rowid;
        server.dropHref = s.href;
    }
    server.count = Count::ReceivedChanged;
    localWrites.push_back(std::move(server));
    LocalWrite copy;
    copy.kind = LocalWrite::Insert;
    copy.values = local->values;
    localWrites.push_back(std::move(copy));
    RemoteWrite w;
    w.kind = RemoteWrite::PutNew;
    w.uid = newUid();
    w.path = collectionPath + w.uid + QStringLiteral(".vcf");
    w.text = mergedCardText(withUid(f->text, w.uid), f->fitted, local->contact);
    w.localWrite = int(localWrites.size()) - 1;
    w.local = li; // its fields
    w.count = Count::SentNew;
    remoteWrites.push_back(std::move(w));
}

void SyncEngine::Run::plan()
{
    // Cards on the server that no record knows.
    QMultiHash<QByteArray, int> addsByPrint;
    for (int l : localAdds)
        addsByPrint.insert(locals[size_t(l)].print, l);
    QSet<int> pairedAdds;
    // In the order of their addresses, so a run is repeatable.
    QStringList newPaths;
    for (auto it = fetched.cbegin(); it != fetched.cend(); ++it) {
        if (!stateByPath.contains(it.key()))
            newPaths << it.key();
    }
    newPaths.sort();
    for (const QString& path : newPaths) {
        const Fetched& f = fetched[path];
        if (f.gone)
            continue;
        if (!f.card.error.isEmpty()) {
            summary.unreadable << path;
            continue;
        }
        if (f.card.isGroup || isEmptyContact(f.fitted))
            continue;
        LocalWrite w;
        w.withState = true;
        w.state.uid = f.card.uid;
        w.state.href = path;
        w.state.etag = f.etag;
        w.state.print = f.print;
        const auto match = addsByPrint.find(f.print);
        if (match != addsByPrint.end()) {
            // The same record added on both sides (or sent by a run that stopped before it
            // could note it): paired, nothing sent.
            const int l = match.value();
            addsByPrint.erase(match);
            pairedAdds.insert(l);
            w.kind = LocalWrite::PutState;
            w.state.rowid = locals[size_t(l)].rowid;
        } else {
            w.kind = LocalWrite::Insert;
            w.values = rowOfContact(f.fitted);
            w.count = Count::ReceivedNew;
            if (f.cut)
                summary.cut << nameOf(f.fitted);
        }
        localWrites.push_back(std::move(w));
    }
    // Records that the server knows.
    for (size_t s = 0; s < states.size(); ++s) {
        const QString& href = states[s].href;
        const auto f = fetched.constFind(href);
        bool gone = removed.contains(href) || (fullListing && !present.count(href));
        if (f != fetched.cend() && f->gone)
            gone = true;
        decide(int(s), gone, gone || f == fetched.cend() ? nullptr : &f.value());
    }
    for (int l : localAdds) {
        if (!pairedAdds.contains(l))
            planNewCard(l);
    }
}

void SyncEngine::Run::renumberMoved()
{
    // State rows that follow their record to another number: all removed, then all written
    // again, so one does not take another's number in between.
    std::vector<LocalWrite*> moving;
    for (LocalWrite& w : localWrites) {
        if (w.withState && w.dropRowid >= 0 && w.kind != LocalWrite::Insert &&
            w.kind != LocalWrite::Delete && w.state.rowid != w.dropRowid)
            moving.push_back(&w);
    }
    if (moving.empty())
        return;
    store.begin();
    try {
        for (LocalWrite* w : moving)
            store.removeState(w->dropRowid, w->dropHref);
        for (LocalWrite* w : moving) {
            SyncStateRow moved = w->state;
            // Until the write itself, the record keeps the state it had.
            const int s = stateByPath.value(moved.href, -1);
            if (s >= 0) {
                moved.etag = states[size_t(s)].etag;
                moved.print = states[size_t(s)].print;
            }
            store.putState(moved);
            w->dropRowid = -1;
        }
        store.commit();
    } catch (...) {
        store.rollback();
        throw;
    }
}

bool SyncEngine::Run::applyLocal(std::vector<LocalWrite>& writes, bool countSteps)
{
    size_t i = 0;
    while (i < writes.size()) {
        const size_t end = std::min(writes.size(), i + size_t(opt.rowsPerTransaction));
        std::vector<Count> counted;
        store.begin();
        try {
            for (size_t k = i; k < end; ++k) {
                LocalWrite& w = writes[k];
                if (w.done)
                    continue;
                bool ok = true;
                switch (w.kind) {
                case LocalWrite::Update:
                    ok = rs.updateRow(w.rowid, w.expected, w.values);
                    break;
                case LocalWrite::Insert:
                    w.rowid = rs.insertRow(w.values);
                    w.state.rowid = w.rowid;
                    break;
                case LocalWrite::Delete:
                    ok = rs.deleteRow(w.rowid, w.expected);
                    break;
                case LocalWrite::PutState:
                case LocalWrite::DropState:
                    break;
                }
                if (!ok) {
                    ++summary.postponed; // changed by another program meanwhile
                    continue;
                }
                if (w.dropRowid >= 0)
                    store.removeState(w.dropRowid, w.dropHref);
                if (w.withState)
                    store.putState(w.state);
                counted.push_back(w.count);
            }
            store.commit();
        } catch (const EngineError& e) {
            store.rollback();
            rs.Requery();
            fail(QStringLiteral("Le fichier d'adresses n'a pas pu être modifié : %1").arg(e.text));
            return false;
        }
        for (size_t k = i; k < end; ++k)
            writes[k].done = true;
        for (Count c : counted)
            count(c);
        for (size_t k = i; countSteps && k < end; ++k) {
            if (!step())
                return false;
        }
        i = end;
    }
    return true;
}

qint64 SyncEngine::Run::rowidOf(const RemoteWrite& w,
                                const std::vector<LocalWrite>& localWritesDone) const
{
    if (w.localWrite >= 0)
        return localWritesDone[size_t(w.localWrite)].rowid;
    return w.local >= 0 ? locals[size_t(w.local)].rowid : -1;
}

bool SyncEngine::Run::sendRemote(std::vector<RemoteWrite>& writes,
                                 std::vector<LocalWrite>& writesDoneHere)
{
    std::vector<DavRequest> requests;
    std::vector<size_t> index;
    for (size_t i = 0; i < writes.size(); ++i) {
        const RemoteWrite& w = writes[i];
        // A copy kept after a conflict is sent only once its record is stored.
        if (w.localWrite >= 0 && !writesDoneHere[size_t(w.localWrite)].done)
            continue;
        DavRequest r;
        r.url = url(w.path);
        if (w.kind == RemoteWrite::Delete) {
            r.verb = "DELETE";
        } else {
            r.verb = "PUT";
            r.body = w.text;
            r.contentType = kVCard;
        }
        if (w.kind == RemoteWrite::PutNew)
            r.ifNoneMatchAny = true;
        else if (!w.ifMatch.isEmpty())
            r.ifMatch = w.ifMatch;
        requests.push_back(std::move(r));
        index.push_back(i);
    }
    std::vector<LocalWrite> results;
    std::vector<RemoteWrite> again;
    bool ok = true;
    const auto flush = [&] {
        if (results.empty())
            return true;
        const bool applied = applyLocal(results, false);
        results.clear();
        return applied;
    };
    client.sendAll(requests, [&](size_t k, DavReply& reply) {
        RemoteWrite& w = writes[index[k]];
        if (reply.cancelled) {
            cancel = true;
            return false;
        }
        const int status = reply.status;
        if (w.kind == RemoteWrite::Delete) {
            if (reply.ok() || status == 404) {
                LocalWrite lw;
                lw.kind = LocalWrite::DropState;
                lw.dropRowid = states[size_t(w.state)].rowid;
                lw.dropHref = states[size_t(w.state)].href;
                lw.count = Count::SentDeleted;
                results.push_back(std::move(lw));
            } else if (status == 412) {
                retryStates.push_back(w.state);
            } else {
                fail(reply.error);
                ok = false;
            }
        } else if (reply.ok()) {
            const qint64 rowid = rowidOf(w, writesDoneHere);
            const Local& local = locals[size_t(w.local)];
            // What the card now gives, as the record stores it: the state's print; the record
            // takes it when the card reads back differently (a value the card shapes).
            CardInfo sent = readCard(w.text);
            const Contact back = fitted(sent.contact, nullptr);
            LocalWrite lw;
            lw.kind = LocalWrite::PutState;
            lw.withState = true;
            lw.state.rowid = rowid;
            lw.state.uid = w.uid;
            lw.state.href = w.path;
            lw.state.etag = QString::fromUtf8(reply.etag);
            lw.state.print = recordPrint(back);
            lw.count = w.count;
            if (w.state >= 0 && states[size_t(w.state)].rowid != rowid) {
                lw.dropRowid = states[size_t(w.state)].rowid;
                lw.dropHref = states[size_t(w.state)].href;
            }
            if (sent.error.isEmpty() && lw.state.print != local.print) {
                lw.kind = LocalWrite::Update;
                lw.rowid = rowid;
                lw.expected = local.values;
                lw.values = rowOfContact(back);
            }
            results.push_back(std::move(lw));
        } else if (status == 412 && w.kind == RemoteWrite::PutNew && !w.retried) {
            // The address is taken: another one.
            RemoteWrite next = w;
            next.retried = true;
            next.uid = newUid();
            next.path = collectionPath + next.uid + QStringLiteral(".vcf");
            next.text = withUid(w.text, next.uid);
            again.push_back(std::move(next));
        } else if ((status == 412 || status == 404) && w.kind == RemoteWrite::PutChange) {
            retryStates.push_back(w.state);
        } else {
            fail(reply.error);
            ok = false;
        }
        if (results.size() >= size_t(opt.rowsPerTransaction) && !flush())
            return false;
        return ok && step();
    });
    if (!flush())
        return false;
    if (cancel)
        return false;
    if (ok && !again.empty())
        return sendRemote(again, writesDoneHere);
    return ok;
}

bool SyncEngine::Run::retryRound()
{
    if (retryStates.empty())
        return true;
    const std::vector<int> retry = std::move(retryStates);
    retryStates.clear();
    QStringList paths;
    for (int s : retry) {
        fetched.remove(states[size_t(s)].href);
        paths << states[size_t(s)].href;
    }
    if (!fetch(paths))
        return false;
    localWrites.clear();
    remoteWrites.clear();
    for (int s : retry) {
        const auto f = fetched.constFind(states[size_t(s)].href);
        const bool gone = f == fetched.cend() || f->gone;
        decide(s, gone, gone ? nullptr : &f.value());
    }
    if (!applyLocal(localWrites))
        return false;
    const bool sent = sendRemote(remoteWrites, localWrites);
    // Changed again on the server meanwhile: the next run takes it.
    summary.postponed += int(retryStates.size());
    retryStates.clear();
    return sent;
}

SyncSummary SyncEngine::Run::go()
{
    collectionUrl = QUrl(settings.collection);
    if (!collectionUrl.path().endsWith(QLatin1Char('/')))
        collectionUrl.setPath(collectionUrl.path() + QLatin1Char('/'));
    collectionPath = collectionUrl.path(QUrl::FullyDecoded);
    summary.collection =
        settings.collectionName.isEmpty() ? settings.collection : settings.collectionName;
    if (!settings.configured() || !collectionUrl.isValid() || collectionUrl.host().isEmpty()) {
        fail(QStringLiteral("Aucun carnet d'adresses n'est choisi pour ce fichier : "
                            "choisissez-le dans « Synchronisation... »."));
        return summary;
    }
    // "Annuler" answers while an answer is awaited, not only between two.
    client.setCancelCheck([this] {
        if (!cancel && opt.progress && !opt.progress(done, total))
            cancel = true;
        return cancel;
    });
    try {
        readLocal();
        pairLocal();
        if (!listServer())
            return finishRun();
        // What to fetch: cards new or changed on the server, and the cards of the records
        // changed here (their properties are kept when the change is sent).
        QStringList paths;
        for (const auto& [p, etag] : present) {
            const int s = stateByPath.value(p, -1);
            if (s < 0 || etag.isEmpty() || states[size_t(s)].etag != etag)
                paths << p;
        }
        QSet<QString> wanted(paths.begin(), paths.end());
        for (size_t s = 0; s < states.size(); ++s) {
            const QString& href = states[s].href;
            if (statusOf(int(s)) == LocalStatus::Changed && !wanted.contains(href) &&
                !removed.contains(href) && !(fullListing && !present.count(href))) {
                paths << href;
                wanted.insert(href);
            }
        }
        total = paths.size() + 1;
        if (!paths.isEmpty() && !fetch(paths))
            return finishRun();
        plan();
        total = done + qint64(localWrites.size() + remoteWrites.size()) + 1;
        renumberMoved();
        if (!applyLocal(localWrites))
            return finishRun();
        if (!sendRemote(remoteWrites, localWrites))
            return finishRun();
        if (!retryRound())
            return finishRun();
    } catch (const EngineError& e) {
        fail(
            QStringLiteral("Le fichier d'adresses n'a pas pu être lu ou modifié : %1").arg(e.text));
    }
    return finishRun();
}

SyncSummary SyncEngine::Run::finishRun()
{
    if (cancel && summary.error.isEmpty())
        summary.cancelled = true;
    if (summary.complete()) {
        // Everything the server's token covers is applied: the next run starts from it.
        try {
            store.begin();
            store.saveCollectionState(supportsSync ? newToken : QString(), newCtag);
            store.commit();
        } catch (const EngineError& e) {
            store.rollback();
            fail(QStringLiteral("Le fichier d'adresses n'a pas pu être modifié : %1").arg(e.text));
        }
    }
    try {
        rs.Requery();
    } catch (const EngineError&) {
    }
    client.setCancelCheck({});
    return summary;
}

// ---------------------------------------------------------------------------- SyncEngine

SyncEngine::SyncEngine(Recordset& records, SyncStore& store, DavClient& client, SyncOptions options)
    : m_records(records), m_store(store), m_client(client), m_options(std::move(options))
{
}

SyncEngine::~SyncEngine() = default;

SyncSummary SyncEngine::run(const SyncSettings& settings)
{
    Run run(*this, settings);
    return run.go();
}
