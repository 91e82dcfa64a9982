#include "sync/syncrun.h"

namespace
{

const QByteArray kVCard = "text/vcard; charset=utf-8";

} // namespace

// The local changes sent to the server, and the cards sent again after the server refused
// them (changed there meanwhile).

qint64 SyncEngine::Run::rowidOf(const RemoteWrite& w,
                                const std::vector<LocalWrite>& localWritesDone) const
{
    if (w.localWrite >= 0)
        return localWritesDone[size_t(w.localWrite)].rowid;
    return w.local >= 0 ? locals[size_t(w.local)].rowid : -1;
}

// The state of each request written before it is sent: a new card's row with its UID and
// address, a change with the print of what is sent, a delete with the record gone. One
// transaction for a step of requests.
void SyncEngine::Run::writeIntents(std::vector<RemoteWrite>& writes,
                                   const std::vector<size_t>& chunk,
                                   const std::vector<LocalWrite>& writesDoneHere)
{
    store.begin();
    try {
        for (size_t i : chunk) {
            RemoteWrite& w = writes[i];
            SyncStateRow row;
            if (w.kind == RemoteWrite::PutNew) {
                row.rowid = rowidOf(w, writesDoneHere);
                row.uid = w.uid;
                row.href = w.path;
                row.print = w.sentPrint;
                row.pending = SyncPending::NewCard;
            } else {
                row = states[size_t(w.state)];
                if (w.kind == RemoteWrite::PutChange) {
                    row.rowid = rowidOf(w, writesDoneHere);
                    row.pending = SyncPending::Change;
                    row.sentPrint = w.sentPrint;
                } else {
                    row.rowid = 0;
                    row.pending = SyncPending::Delete;
                }
            }
            if (!w.dropHref.isEmpty() && w.dropHref != row.href)
                store.removeState(w.dropHref);
            store.putState(row);
        }
        store.commit();
    } catch (...) {
        store.rollback();
        throw;
    }
}

std::vector<size_t> SyncEngine::Run::sendableWrites(std::vector<RemoteWrite>& writes,
                                                    const std::vector<LocalWrite>& writesDoneHere)
{
    std::vector<size_t> sendable;
    for (size_t i = 0; i < writes.size(); ++i) {
        RemoteWrite& w = writes[i];
        // A copy kept after a conflict is sent only once its record is stored.
        if (w.localWrite >= 0 && !writesDoneHere[size_t(w.localWrite)].done)
            continue;
        if (w.kind != RemoteWrite::Delete) {
            // What the card now gives, as the record stores it: the state's print; the record
            // takes it when the card reads back differently (a value the card shapes).
            const CardInfo sent = readCard(w.text);
            w.back = fitted(sent.contact, nullptr);
            w.sentPrint = recordPrint(w.back);
            w.readable = sent.error.isEmpty();
        }
        sendable.push_back(i);
    }
    return sendable;
}

DavRequest SyncEngine::Run::requestFor(const RemoteWrite& w) const
{
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
    return r;
}

bool SyncEngine::Run::settleTakenAddresses(std::vector<RemoteWrite>& taken,
                                           std::vector<RemoteWrite>& again,
                                           std::vector<LocalWrite>& results,
                                           const std::vector<LocalWrite>& writesDoneHere)
{
    // Which of the addresses taken hold the card sent (its UID): those are sent.
    QStringList hrefs;
    for (const RemoteWrite& w : taken)
        hrefs << encodedHref(w.path);
    const DavReply reply =
        client.send(davXmlRequest("REPORT", collectionUrl, "1", DavBody::multiget(hrefs)));
    DavMultistatus ms;
    if (!readAnswer(reply, ms))
        return false;
    struct There {
        QString uid;
        QString etag;
        QByteArray print; // empty when the card cannot be read
    };
    QHash<QString, There> there;
    for (const DavResource& r : ms.responses) {
        QString p;
        if (hrefPlace(collectionUrl, r.href, &p) != HrefPlace::Member || !r.hasAddressData)
            continue;
        const CardInfo card = readCard(r.addressData);
        There t{card.uid, r.etag, {}};
        if (card.error.isEmpty())
            t.print = recordPrint(fitted(card.contact, nullptr));
        there.insert(p, t);
    }
    for (RemoteWrite& w : taken) {
        const auto it = there.constFind(w.path);
        if (it != there.cend() && it->uid == w.uid) {
            if (it->print.isEmpty() || it->print == w.sentPrint) {
                results.push_back(confirmedWrite(w, it->etag, writesDoneHere));
                continue;
            }
            // An earlier version of the card, sent by a run that stopped: the card is this
            // record's, and the record as it is now goes as a change of it.
            SyncStateRow row;
            row.rowid = rowidOf(w, writesDoneHere);
            row.uid = w.uid;
            row.href = w.path;
            row.etag = it->etag;
            row.print = it->print;
            LocalWrite noted;
            noted.withState = true;
            noted.state = row;
            results.push_back(std::move(noted));
            states.push_back(row);
            stateLocal.push_back(w.local);
            stateVoid.push_back(0);
            stateByPath.insert(row.href, int(states.size()) - 1);
            RemoteWrite change = w;
            change.kind = RemoteWrite::PutChange;
            change.ifMatch = it->etag.toUtf8();
            change.state = int(states.size()) - 1;
            change.dropHref.clear();
            again.push_back(std::move(change));
            continue;
        }
        RemoteWrite next = w;
        next.retried = true;
        next.dropHref = w.path;
        newAddress(next);
        next.text = withUid(w.text, next.uid);
        again.push_back(std::move(next));
    }
    return true;
}

SyncEngine::Run::LocalWrite
SyncEngine::Run::confirmedWrite(const RemoteWrite& w, const QString& etag,
                                const std::vector<LocalWrite>& writesDoneHere) const
{
    const qint64 rowid = rowidOf(w, writesDoneHere);
    const Local& local = locals[size_t(w.local)];
    LocalWrite lw;
    lw.kind = LocalWrite::PutState;
    lw.withState = true;
    lw.state.rowid = rowid;
    lw.state.uid = w.uid;
    lw.state.href = w.path;
    lw.state.etag = etag;
    lw.state.print = w.sentPrint;
    lw.count = w.count;
    if (w.readable && w.sentPrint != local.print) {
        lw.kind = LocalWrite::Update;
        lw.rowid = rowid;
        lw.expected = local.values;
        lw.values = rowOfContact(w.back);
    }
    return lw;
}

SyncEngine::Run::LocalWrite
SyncEngine::Run::unsentWrite(const RemoteWrite& w,
                             const std::vector<LocalWrite>& writesDoneHere) const
{
    LocalWrite lw;
    lw.withState = true;
    lw.state = states[size_t(w.state)];
    lw.state.rowid = rowidOf(w, writesDoneHere);
    return lw;
}

SyncEngine::Run::LocalWrite SyncEngine::Run::droppedWrite(const RemoteWrite& w)
{
    LocalWrite lw;
    lw.kind = LocalWrite::DropState;
    lw.dropHref = w.path;
    lw.count = Count::SentDeleted;
    return lw;
}

bool SyncEngine::Run::flushLocal(std::vector<LocalWrite>& results)
{
    if (results.empty())
        return true;
    const bool applied = applyLocal(results, false);
    results.clear();
    return applied;
}

bool SyncEngine::Run::sendRemote(std::vector<RemoteWrite>& writes,
                                 std::vector<LocalWrite>& writesDoneHere)
{
    const std::vector<size_t> sendable = sendableWrites(writes, writesDoneHere);
    std::vector<LocalWrite> results;
    std::vector<RemoteWrite> again;
    bool ok = true;
    std::vector<RemoteWrite> taken;
    const auto answered = [&](RemoteWrite& w, DavReply& reply) {
        if (reply.cancelled) {
            cancel = true;
            return false;
        }
        const int status = reply.status;
        if (w.kind == RemoteWrite::Delete) {
            // A card that may never have arrived: any refusal of the address (a server may
            // forbid what it does not hold) says it is not there.
            const bool refusedHere = w.mayBeAbsent && status >= 400 && status < 500 &&
                                     status != 401 && status != 408 && status != 429;
            if (reply.ok() || status == 404 || refusedHere) {
                results.push_back(droppedWrite(w));
                if (!reply.ok() && w.mayBeAbsent)
                    results.back().count = Count::None; // it never arrived
            } else if (status == 412) {
                retryStates.push_back(w.state);
            } else {
                fail(reply.error);
                ok = false;
            }
        } else if (reply.ok()) {
            results.push_back(confirmedWrite(w, QString::fromUtf8(reply.etag), writesDoneHere));
        } else if (status == 412 && w.kind == RemoteWrite::PutNew && !w.retried) {
            // The address is taken: by this very card when the request went twice (a
            // connection cut before the answer, the request sent again), else by another.
            taken.push_back(w);
        } else if ((status == 412 || status == 404) && w.kind == RemoteWrite::PutChange) {
            results.push_back(unsentWrite(w, writesDoneHere));
            retryStates.push_back(w.state);
        } else {
            fail(reply.error);
            ok = false;
        }
        if (results.size() >= size_t(opt.rowsPerTransaction) && !flushLocal(results))
            return false;
        return ok && step();
    };
    const size_t perStep = size_t(std::max(1, opt.requestsPerStep));
    for (size_t first = 0; ok && !cancel && first < sendable.size(); first += perStep) {
        const std::vector<size_t> chunk(sendable.begin() + qsizetype(first),
                                        sendable.begin() +
                                            qsizetype(std::min(sendable.size(), first + perStep)));
        try {
            writeIntents(writes, chunk, writesDoneHere);
        } catch (const EngineError& e) {
            fail(QStringLiteral("Le fichier d'adresses n'a pas pu être modifié : %1").arg(e.text));
            return false;
        }
        std::vector<DavRequest> requests;
        for (size_t i : chunk)
            requests.push_back(requestFor(writes[i]));
        bool stopped = false;
        client.sendAll(requests, [&](size_t k, DavReply& reply) {
            const bool goOn = answered(writes[chunk[k]], reply);
            stopped = stopped || !goOn;
            return goOn;
        });
        if (!taken.empty() && !stopped) {
            if (!settleTakenAddresses(taken, again, results, writesDoneHere)) {
                flushLocal(results);
                return false;
            }
            taken.clear();
        }
        if (!flushLocal(results))
            return false;
        if (stopped)
            break;
    }
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
