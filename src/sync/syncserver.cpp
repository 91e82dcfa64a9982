#include "sync/syncrun.h"

// What the server holds: its changes since the last run, and the cards to read.

namespace
{

QString tooBig(qint64 limit)
{
    return QStringLiteral("carte de plus de %1").arg(byteSizeText(limit));
}

} // namespace

bool SyncEngine::Run::readAnswer(const DavReply& reply, DavMultistatus& ms)
{
    if (reply.cancelled) {
        cancel = true;
        return false;
    }
    if (!reply.ok()) {
        fail(reply.error);
        return false;
    }
    ms = parseMultistatus(reply.body);
    if (!ms.valid) {
        fail(davBadAnswerText(collectionUrl, ms.error));
        return false;
    }
    return true;
}

void SyncEngine::Run::readMembers(const DavMultistatus& ms, bool delta)
{
    for (const DavResource& r : ms.responses) {
        QString p;
        switch (hrefPlace(collectionUrl, r.href, &p)) {
        case HrefPlace::Collection:
        case HrefPlace::Deeper:
            continue; // the collection itself, or a sub-collection
        case HrefPlace::Outside:
            outside.insert(r.href.trimmed());
            continue;
        case HrefPlace::Member:
            break;
        }
        if (r.status == 404) {
            if (delta)
                removed.insert(p);
            continue;
        }
        if (r.isCollection)
            continue;
        present[p] = r.etag;
        if (r.contentLength >= 0)
            sizes.insert(p, r.contentLength);
    }
}

bool SyncEngine::Run::listServer()
{
    const auto propfind = [this](const QByteArray& depth, const QByteArray& body) {
        return client.send(davXmlRequest("PROPFIND", collectionUrl, depth, body));
    };
    const auto syncReport = [this](const QString& token) {
        return client.send(
            davXmlRequest("REPORT", collectionUrl, "0", DavBody::syncCollection(token)));
    };
    // A server that lists the collection but refuses its sync report is one without tokens.
    const auto refused = [](const DavReply& reply) {
        return !reply.ok() && !reply.cancelled &&
               (reply.status == 400 || reply.status == 403 || reply.status == 405 ||
                reply.status == 409 || reply.status == 501);
    };
    QString token = settings.syncToken;
    if (!token.isEmpty()) {
        const DavReply reply = syncReport(token);
        if (refused(reply)) {
            token.clear(); // the server forgot it, or has none: a full listing
        } else {
            DavMultistatus ms;
            if (!readAnswer(reply, ms))
                return false;
            readMembers(ms, true);
            newToken = ms.syncToken;
            supportsSync = true;
            return true;
        }
    }
    // What the collection offers.
    DavMultistatus state;
    if (!readAnswer(propfind("0", DavBody::collectionStateQuery()), state))
        return false;
    bool isBook = false;
    for (const DavResource& r : state.responses) {
        if (hrefPlace(collectionUrl, r.href) != HrefPlace::Collection && state.responses.size() > 1)
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
    if (!supportsSync && !newCtag.isEmpty() && newCtag == settings.ctag && !states.empty() &&
        !anyPending) {
        // Nothing changed on the server since the last complete run.
        fullListing = false;
        return true;
    }
    fullListing = true;
    if (supportsSync) {
        const DavReply reply = syncReport(QString());
        if (!refused(reply)) {
            DavMultistatus ms;
            if (!readAnswer(reply, ms))
                return false;
            readMembers(ms, false);
            newToken = ms.syncToken;
            return true;
        }
        supportsSync = false;
    }
    DavMultistatus ms;
    if (!readAnswer(propfind("1", DavBody::etagsQuery()), ms))
        return false;
    readMembers(ms, false);
    return true;
}

// After a run that changed the address book, the token is moved past its own changes when the
// server lists nothing else since (a card this run sent and someone deleted at once would
// otherwise be missing from the next run's changes: a server may leave out what was created
// and deleted between two tokens).
void SyncEngine::Run::tokenPastOwnWrites()
{
    if (!supportsSync || newToken.isEmpty() ||
        summary.sentNew + summary.sentChanged + summary.sentDeleted == 0)
        return;
    const DavReply reply =
        client.send(davXmlRequest("REPORT", collectionUrl, "0", DavBody::syncCollection(newToken)));
    if (!reply.ok())
        return;
    const DavMultistatus ms = parseMultistatus(reply.body);
    if (!ms.valid || ms.syncToken.isEmpty())
        return;
    QHash<QString, QString> known;
    for (const SyncStateRow& s : store.loadState())
        known.insert(s.href, s.etag);
    for (const DavResource& r : ms.responses) {
        QString p;
        if (hrefPlace(collectionUrl, r.href, &p) != HrefPlace::Member)
            continue;
        const auto it = known.constFind(p);
        const bool ours = r.status == 404
                              ? it == known.cend()
                              : it != known.cend() && !r.etag.isEmpty() && it.value() == r.etag;
        if (!ours)
            return; // someone else's change: the next run takes it from the older token
    }
    newToken = ms.syncToken;
}

void SyncEngine::Run::takeCards(const DavMultistatus& ms, const QSet<QString>& wanted)
{
    for (const DavResource& r : ms.responses) {
        QString p;
        const HrefPlace place = hrefPlace(collectionUrl, r.href, &p);
        if (place == HrefPlace::Outside)
            outside.insert(r.href.trimmed());
        if (place != HrefPlace::Member || !wanted.contains(p) || fetched.contains(p))
            continue;
        Fetched f;
        if (r.status == 404 || (!r.hasAddressData && r.status >= 400)) {
            f.gone = true;
        } else if (r.addressData.size() > opt.maxCardBytes) {
            f.card.error = tooBig(opt.maxCardBytes);
            f.etag = r.etag;
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
}

// The whole address book in one query, when most of a large one is wanted (some servers
// answer a multiget at a cost that grows with the address book for every card it names).
// Takes the cards answered out of `paths`; false only when the run must stop.
bool SyncEngine::Run::fetchWholeCollection(QStringList& paths)
{
    if (!fullListing || paths.size() < opt.wholeCollectionFrom ||
        size_t(paths.size()) * 2 < present.size())
        return true;
    qint64 estimate = 0;
    for (const auto& [p, etag] : present)
        estimate += sizes.value(p, 4096) + 400;
    if (estimate > client.maxBytes() / 2)
        return true;
    const DavReply reply =
        client.send(davXmlRequest("REPORT", collectionUrl, "1", DavBody::wholeCollectionQuery()));
    if (reply.cancelled) {
        cancel = true;
        return false;
    }
    if (!reply.ok() && !reply.tooLarge && (reply.status == 0 || reply.status == 401)) {
        DavMultistatus none;
        return readAnswer(reply, none);
    }
    if (!reply.ok())
        return true; // refused, or too long: the cards are asked by name
    const DavMultistatus ms = parseMultistatus(reply.body);
    if (!ms.valid)
        return true;
    const QSet<QString> wanted(paths.begin(), paths.end());
    takeCards(ms, wanted);
    QStringList left;
    for (const QString& p : paths) {
        if (fetched.contains(p)) {
            if (!step())
                return false;
        } else {
            left << p;
        }
    }
    paths = left;
    return true;
}

bool SyncEngine::Run::fetch(const QStringList& all)
{
    QStringList paths = all;
    if (!fetchWholeCollection(paths))
        return false;
    // Batches of named cards, each within a part of the answer's limit as far as the listing
    // tells the cards' lengths; an answer too long is asked again in two halves.
    const qint64 batchBytes = client.maxBytes() / 4;
    std::vector<QStringList> queue;
    QStringList batch;
    qint64 bytes = 0;
    for (const QString& p : paths) {
        const qint64 size = sizes.value(p, 0);
        if (!batch.isEmpty() &&
            (batch.size() >= opt.cardsPerMultiget || bytes + size > batchBytes)) {
            queue.push_back(batch);
            batch.clear();
            bytes = 0;
        }
        batch << p;
        bytes += size;
    }
    if (!batch.isEmpty())
        queue.push_back(batch);
    bool ok = true;
    while (ok && !queue.empty()) {
        std::vector<DavRequest> requests;
        for (const QStringList& b : queue) {
            QStringList hrefs;
            for (const QString& p : b)
                hrefs << encodedHref(p);
            requests.push_back(
                davXmlRequest("REPORT", collectionUrl, "1", DavBody::multiget(hrefs)));
        }
        std::vector<QStringList> next;
        client.sendAll(requests, [&](size_t index, DavReply& reply) {
            const QStringList& asked = queue[index];
            if (reply.tooLarge && asked.size() > 1) {
                next.push_back(asked.mid(0, asked.size() / 2));
                next.push_back(asked.mid(asked.size() / 2));
                return true;
            }
            if (reply.tooLarge) {
                Fetched f;
                f.card.error = tooBig(client.maxBytes());
                f.etag = present.count(asked.front()) ? present[asked.front()] : QString();
                fetched.insert(asked.front(), std::move(f));
                return step();
            }
            DavMultistatus ms;
            if (!readAnswer(reply, ms)) {
                ok = false;
                return false;
            }
            takeCards(ms, QSet<QString>(asked.begin(), asked.end()));
            // A card the answer does not name is gone.
            for (const QString& p : asked) {
                if (!fetched.contains(p)) {
                    Fetched f;
                    f.gone = true;
                    fetched.insert(p, std::move(f));
                }
            }
            for (qsizetype i = 0; i < asked.size(); ++i) {
                if (!step())
                    return false;
            }
            return true;
        });
        if (cancel)
            ok = false;
        queue = std::move(next);
    }
    return ok;
}
