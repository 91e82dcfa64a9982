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
                dropOld(lw, states[size_t(w.state)]);
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
            if (w.state >= 0 && states[size_t(w.state)].rowid != rowid)
                dropOld(lw, states[size_t(w.state)]);
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
            newAddress(next);
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
