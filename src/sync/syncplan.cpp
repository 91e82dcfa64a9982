#include "sync/syncrun.h"

// What a run does with each card and record: the writes on either side.

using syncrun::nameOf;
using syncrun::newUid;

void SyncEngine::Run::noteUnreadable(const QString& path, const Fetched& f)
{
    // A card too long to be read says so; any other is named only.
    summary.unreadable << (f.card.error.startsWith(QLatin1String("carte de plus de"))
                               ? QStringLiteral("%1 (%2)").arg(path, f.card.error)
                               : path);
}

void SyncEngine::Run::newAddress(RemoteWrite& w) const
{
    w.uid = newUid();
    w.path = collectionPath + w.uid + QStringLiteral(".vcf");
}

void SyncEngine::Run::dropOld(LocalWrite& w, const SyncStateRow& s)
{
    w.dropHref = s.href;
}

void SyncEngine::Run::planDelete(int si, const QString& etag)
{
    RemoteWrite w;
    w.kind = RemoteWrite::Delete;
    w.path = states[size_t(si)].href;
    w.ifMatch = etag.toUtf8();
    w.state = si;
    w.count = Count::SentDeleted;
    remoteWrites.push_back(std::move(w));
}

void SyncEngine::Run::planNewCard(int local, const QString& replacing)
{
    RemoteWrite w;
    w.kind = RemoteWrite::PutNew;
    w.dropHref = replacing;
    const auto kept = replacing.isEmpty() ? keptAddresses.find(local) : keptAddresses.end();
    if (kept != keptAddresses.end()) {
        w.uid = kept->second.first;
        w.path = kept->second.second;
    } else {
        newAddress(w);
    }
    w.text = newCardText(locals[size_t(local)].contact, w.uid);
    w.local = local;
    w.count = Count::SentNew;
    remoteWrites.push_back(std::move(w));
}

void SyncEngine::Run::decide(int si, bool serverGone, const Fetched* f)
{
    if (serverGone)
        decideServerGone(si);
    else if (!f)
        decideServerUnchanged(si);
    else if (!f->card.error.isEmpty())
        noteUnreadable(states[size_t(si)].href, *f);
    else
        decideFetched(si, *f);
}

// The card is gone from the server.
void SyncEngine::Run::decideServerGone(int si)
{
    const SyncStateRow& s = states[size_t(si)];
    const LocalStatus status = statusOf(si);
    const int li = stateLocal[size_t(si)];
    Local* local = li >= 0 ? &locals[size_t(li)] : nullptr;
    if (status == LocalStatus::Gone) {
        LocalWrite w;
        w.kind = LocalWrite::DropState;
        dropOld(w, s);
        localWrites.push_back(std::move(w));
    } else if (status == LocalStatus::Same) {
        LocalWrite w;
        w.kind = LocalWrite::Delete;
        w.rowid = local->rowid;
        w.expected = local->values;
        dropOld(w, s);
        w.count = Count::ReceivedDeleted;
        localWrites.push_back(std::move(w));
    } else {
        // Changed here, deleted on the server: kept, and put back on the server (the new
        // card's state replaces this one).
        summary.restored << nameOf(local->contact);
        planNewCard(li, s.href);
    }
}

// The server's card did not change.
void SyncEngine::Run::decideServerUnchanged(int si)
{
    const SyncStateRow& s = states[size_t(si)];
    const LocalStatus status = statusOf(si);
    const int li = stateLocal[size_t(si)];
    Local* local = li >= 0 ? &locals[size_t(li)] : nullptr;
    const bool moved = local && local->rowid != s.rowid;
    if (status == LocalStatus::Same) {
        if (moved) {
            LocalWrite w;
            w.kind = LocalWrite::PutState;
            w.withState = true;
            w.state = s;
            w.state.rowid = local->rowid;
            dropOld(w, s);
            localWrites.push_back(std::move(w));
        }
    } else if (status == LocalStatus::Gone) {
        planDelete(si, s.etag);
    } else {
        ++summary.postponed; // its card could not be fetched
    }
}

// The server's card, fetched and readable.
void SyncEngine::Run::decideFetched(int si, const Fetched& fetched)
{
    const Fetched* f = &fetched;
    const SyncStateRow& s = states[size_t(si)];
    const LocalStatus status = statusOf(si);
    const int li = stateLocal[size_t(si)];
    Local* local = li >= 0 ? &locals[size_t(li)] : nullptr;
    const bool moved = local && local->rowid != s.rowid;
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
        if (moved)
            dropOld(w, s);
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
            dropOld(w, s);
            localWrites.push_back(std::move(w));
        } else {
            planDelete(si, f->etag);
        }
        return;
    }
    // Changed here.
    decideChangedHere(si, fetched, next);
}

// The record changed here; `next` is the state the server's card gives.
void SyncEngine::Run::decideChangedHere(int si, const Fetched& fetched, const SyncStateRow& next)
{
    const Fetched* f = &fetched;
    const SyncStateRow& s = states[size_t(si)];
    const int li = stateLocal[size_t(si)];
    Local* local = li >= 0 ? &locals[size_t(li)] : nullptr;
    const bool moved = local && local->rowid != s.rowid;
    const bool serverChanged = f->print != s.print;
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
        if (moved)
            dropOld(w, s);
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
    if (moved)
        dropOld(server, s);
    server.count = Count::ReceivedChanged;
    localWrites.push_back(std::move(server));
    LocalWrite copy;
    copy.kind = LocalWrite::Insert;
    copy.values = local->values;
    localWrites.push_back(std::move(copy));
    RemoteWrite w;
    w.kind = RemoteWrite::PutNew;
    newAddress(w);
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
            noteUnreadable(path, f);
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
        if (stateVoid[s])
            continue;
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
