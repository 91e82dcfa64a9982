#include "sync/discovery.h"

#include "sync/davclient.h"
#include "sync/davxml.h"

namespace
{

QByteArray discoveryQuery()
{
    // One PROPFIND tells what an address is and where the principal and home are.
    return DavBody::collectionStateQuery();
}

DavReply propfind(DavClient& client, const QUrl& url, const QByteArray& depth,
                  const QByteArray& body)
{
    return client.send(davXmlRequest("PROPFIND", url, depth, body));
}

// The resource a Depth 0 answer describes (the first one).
bool readOne(const DavReply& reply, DavResource& out, QString& error)
{
    if (!reply.ok()) {
        error = reply.error;
        return false;
    }
    const DavMultistatus ms = parseMultistatus(reply.body);
    if (!ms.valid) {
        error = davBadAnswerText(reply.url, ms.error);
        return false;
    }
    if (ms.responses.empty()) {
        error = davBadAnswerText(reply.url, QStringLiteral("aucune propriété."));
        return false;
    }
    out = ms.responses.front();
    return true;
}

QString lastPart(const QString& path)
{
    QString p = path;
    while (p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

// The principal of the account: asked of `principalBase` (the address that answered), then of
// the well-known address, whose answer then becomes the base of the principal's path. False,
// with the reason in `result.error` (none when the run was cancelled), when neither gives one.
bool findPrincipal(DavClient& client, const QUrl& address, QString& principal, QUrl& principalBase,
                   DiscoveryResult& result)
{
    DavResource r;
    QString error;
    if (readOne(propfind(client, principalBase, "0", DavBody::principalQuery()), r, error))
        principal = r.principal;
    if (principal.isEmpty()) {
        QUrl wellKnown = address;
        wellKnown.setPath(QStringLiteral("/.well-known/carddav"));
        const DavReply known = propfind(client, wellKnown, "0", DavBody::principalQuery());
        if (known.cancelled)
            return false;
        if (known.stopsRun() && known.status != 403) {
            result.error = known.error;
            return false;
        }
        if (readOne(known, r, error))
            principal = r.principal;
        principalBase = known.url.isEmpty() ? wellKnown : known.url;
    }
    if (!principal.isEmpty())
        return true;
    result.error = QStringLiteral("Aucun carnet d'adresses CardDAV n'a été trouvé à "
                                  "l'adresse %1 : donnez l'adresse de la racine du serveur "
                                  "ou celle du carnet lui-même.")
                       .arg(address.toDisplayString());
    if (!error.isEmpty())
        result.error += QLatin1Char('\n') + error;
    return false;
}

// The address books of the collection `home`, those on the server of `address` only.
void listAddressBooks(DavClient& client, const QUrl& home, const QUrl& address,
                      DiscoveryResult& result)
{
    const DavReply list = propfind(client, home, "1", DavBody::collectionsQuery());
    if (!list.ok()) {
        result.error = list.error;
        return;
    }
    const DavMultistatus ms = parseMultistatus(list.body);
    if (!ms.valid) {
        result.error = davBadAnswerText(home, ms.error);
        return;
    }
    for (const DavResource& r : ms.responses) {
        if (!r.isAddressBook)
            continue;
        const QUrl url = home.resolved(QUrl(r.href));
        if (!sameOrigin(url, address))
            continue; // on another server: not offered
        AddressBook book;
        book.url = url.toString();
        book.name = r.displayName.isEmpty() ? lastPart(url.path()) : r.displayName;
        result.books.push_back(book);
    }
    if (result.books.empty())
        result.error = QStringLiteral("Ce compte n'a aucun carnet d'adresses sur le serveur %1 : "
                                      "créez-en un avec le site du serveur ou un autre "
                                      "logiciel.")
                           .arg(home.host());
}

} // namespace

QString passwordKey(const QString& user, const QString& address)
{
    const QUrl url(address);
    QString host = url.host();
    if (url.port() > 0)
        host += QStringLiteral(":%1").arg(url.port());
    return user + QLatin1Char('@') + host;
}

DiscoveryResult discoverAddressBooks(DavClient& client, const QUrl& address)
{
    DiscoveryResult result;
    DavResource here;
    QString error;
    DavReply reply = propfind(client, address, "0", discoveryQuery());
    if (reply.cancelled)
        return result;
    if (reply.stopsRun() && reply.status != 403) {
        result.error = reply.error;
        return result;
    }
    const QUrl answered = reply.url.isEmpty() ? address : reply.url;
    if (readOne(reply, here, error) && here.isAddressBook) {
        AddressBook book;
        book.url = answered.toString();
        book.name = here.displayName.isEmpty() ? lastPart(answered.path()) : here.displayName;
        result.books.push_back(book);
        return result;
    }
    QString principal;
    QUrl principalBase = answered;
    if (!findPrincipal(client, address, principal, principalBase, result))
        return result;
    // The credentials go to the server asked only: a principal or home elsewhere is not
    // followed.
    const auto elsewhere = [&result, &address](const QUrl& url) {
        if (sameOrigin(url, address))
            return false;
        result.error = QStringLiteral("Le serveur %1 place les carnets d'adresses de ce compte sur "
                                      "un autre serveur (%2) : le mot de passe n'y est pas "
                                      "envoyé. Si ce serveur est le bon, donnez son adresse.")
                           .arg(address.host(), url.toDisplayString(QUrl::RemoveUserInfo));
        return true;
    };
    const QUrl principalUrl = principalBase.resolved(QUrl(principal));
    if (elsewhere(principalUrl))
        return result;
    DavResource p;
    if (!readOne(propfind(client, principalUrl, "0", DavBody::homeSetQuery()), p, error)) {
        result.error = error;
        return result;
    }
    if (p.homeSet.isEmpty()) {
        result.error = QStringLiteral("Le serveur %1 n'indique pas où sont les carnets "
                                      "d'adresses de ce compte (addressbook-home-set absent).")
                           .arg(principalUrl.host());
        return result;
    }
    const QUrl home = principalUrl.resolved(QUrl(p.homeSet));
    if (elsewhere(home))
        return result;
    listAddressBooks(client, home, address, result);
    return result;
}
