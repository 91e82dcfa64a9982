#include "sync/syncrun.h"

// The records of the address file paired with the state rows of the last run, and the local
// writes of a run (each record with its state row, in transactions).

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
