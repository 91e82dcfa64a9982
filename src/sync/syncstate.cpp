#include "sync/syncrun.h"

// The records of the address file paired with the state rows of the last run, what that run
// left unconfirmed settled, and the local writes of a run (each record with its state row, in
// transactions).

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
    std::vector<SyncStateRow> loaded = store.loadState();
    states.reserve(loaded.size());
    for (SyncStateRow& s : loaded) {
        // A card noted outside the address book (by an earlier version) is forgotten: its
        // record is sent again as a new card of the address book.
        if (hrefPlace(collectionUrl, encodedHref(s.href)) != HrefPlace::Member) {
            outside.insert(s.href);
            LocalWrite w;
            w.kind = LocalWrite::DropState;
            w.dropHref = s.href;
            localWrites.push_back(std::move(w));
            continue;
        }
        anyPending = anyPending || s.pending != SyncPending::None;
        stateByPath.insert(s.href, int(states.size()));
        states.push_back(std::move(s));
    }
    stateVoid.assign(states.size(), 0);
}

// Pairs each state row with a record: same number and same print (or the print of a change
// sent and not confirmed); then same print under another number; then same number with
// changes, unless the number was taken by another record. A state whose record is gone here
// (its card being deleted) pairs with none.
void SyncEngine::Run::pairLocal()
{
    stateLocal.assign(states.size(), -1);
    std::vector<int> unmatchedStates;
    for (size_t s = 0; s < states.size(); ++s) {
        const SyncStateRow& st = states[s];
        if (st.rowid <= 0)
            continue;
        const auto it = localByRowid.find(st.rowid);
        const auto samePrint = [&st](const QByteArray& print) {
            return print == st.print ||
                   (st.pending == SyncPending::Change && print == st.sentPrint);
        };
        if (it != localByRowid.end() && samePrint(locals[size_t(it->second)].print) &&
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

// What the last run sent without hearing the answer, settled from what the server now holds:
// a new card is there (at its address, with its UID) or it is not; a change is there (the card
// gives what was sent) or it is not; a delete is decided again like any card whose record is
// gone. Written before anything else is decided.
bool SyncEngine::Run::settle()
{
    if (!anyPending)
        return true;
    std::vector<LocalWrite> writes;
    for (size_t s = 0; s < states.size(); ++s) {
        SyncStateRow& st = states[s];
        if (st.pending == SyncPending::None || st.pending == SyncPending::Delete)
            continue;
        const auto f = fetched.constFind(st.href);
        const bool there = f != fetched.cend() && !f->gone;
        if (st.pending == SyncPending::NewCard) {
            if (there && (!f->card.error.isEmpty() || f->card.uid == st.uid)) {
                st.etag = f->etag;
                st.pending = SyncPending::None;
                LocalWrite w;
                w.withState = true;
                w.state = st;
                const int l = stateLocal[s];
                if (l >= 0)
                    w.state.rowid = locals[size_t(l)].rowid;
                writes.push_back(std::move(w));
                continue;
            }
            // Not there (or another card holds its address): its record, if still there, is a
            // record added here. With its address free, the request may yet arrive (held on
            // its way, or still being handled when the last run stopped): the record is sent
            // again at the same address, so both are one card; a record gone since has its
            // card deleted there, should it arrive.
            const bool addressFree = !there;
            LocalWrite w;
            w.kind = LocalWrite::DropState;
            w.dropHref = st.href;
            writes.push_back(std::move(w));
            stateVoid[s] = 1;
            stateByPath.remove(st.href);
            const int l = stateLocal[s];
            if (l >= 0) {
                stateLocal[s] = -1;
                locals[size_t(l)].state = -1;
            }
            if (l >= 0 && !locals[size_t(l)].empty) {
                localAdds.push_back(l);
                if (addressFree)
                    keptAddresses[l] = {st.uid, st.href};
            } else if (addressFree) {
                RemoteWrite d;
                d.kind = RemoteWrite::Delete;
                d.path = st.href;
                d.state = int(s);
                d.count = Count::SentDeleted;
                d.mayBeAbsent = true;
                remoteWrites.push_back(std::move(d));
            }
            continue;
        }
        // A change: the card gives what was sent, or the change did not arrive.
        if (there && f->card.error.isEmpty() && f->print == st.sentPrint) {
            st.print = st.sentPrint;
            st.etag = f->etag;
        }
        st.pending = SyncPending::None;
        st.sentPrint.clear();
        LocalWrite w;
        w.withState = true;
        w.state = st;
        const int l = stateLocal[s];
        if (l >= 0)
            w.state.rowid = locals[size_t(l)].rowid;
        writes.push_back(std::move(w));
    }
    std::sort(localAdds.begin(), localAdds.end());
    return applyLocal(writes, false);
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
                if (!w.dropHref.isEmpty())
                    store.removeState(w.dropHref);
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
