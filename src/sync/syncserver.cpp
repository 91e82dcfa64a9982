#include "sync/syncrun.h"

// What the server holds: its changes since the last run, and the cards to read.

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

bool SyncEngine::Run::listServer()
{
    const auto propfind = [this](const QByteArray& depth, const QByteArray& body) {
        return client.send(davXmlRequest("PROPFIND", collectionUrl, depth, body));
    };
    const auto syncReport = [this](const QString& token) {
        return client.send(
            davXmlRequest("REPORT", collectionUrl, "0", DavBody::syncCollection(token)));
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
    QString token = settings.syncToken;
    if (!token.isEmpty()) {
        const DavReply reply = syncReport(token);
        if (!reply.ok() && (reply.status == 403 || reply.status == 409 || reply.status == 400) &&
            davErrorNames(reply.body, QStringLiteral("valid-sync-token"))) {
            token.clear(); // the server forgot it: a full listing, compared with the state
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
    if (token.isEmpty()) {
        // What the collection offers.
        DavMultistatus ms;
        if (!readAnswer(propfind("0", DavBody::collectionStateQuery()), ms))
            return false;
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
        DavMultistatus ms;
        if (!readAnswer(syncReport(QString()), ms))
            return false;
        readMembers(ms, false);
        newToken = ms.syncToken;
        return true;
    }
    DavMultistatus ms;
    if (!readAnswer(propfind("1", DavBody::etagsQuery()), ms))
        return false;
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
        requests.push_back(davXmlRequest("REPORT", collectionUrl, "1", DavBody::multiget(hrefs)));
        batches.push_back(batch);
    }
    bool ok = true;
    client.sendAll(requests, [&](size_t index, DavReply& reply) {
        DavMultistatus ms;
        if (!readAnswer(reply, ms)) {
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
