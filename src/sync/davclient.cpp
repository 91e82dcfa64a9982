#include "sync/davclient.h"

#include <QUrl>

namespace
{

QString hostText(const QUrl& url)
{
    return url.port() > 0 ? QStringLiteral("%1:%2").arg(url.host()).arg(url.port()) : url.host();
}

int defaultPort(const QUrl& url)
{
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

} // namespace

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && defaultPort(a) == defaultPort(b);
}

QString byteSizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024)
        return QStringLiteral("%1 Mo").arg((bytes + 512 * 1024) / (1024 * 1024));
    return QStringLiteral("%1 ko").arg(std::max<qint64>(1, (bytes + 512) / 1024));
}

bool DavReply::stopsRun() const
{
    if (cancelled)
        return true;
    if (tooLarge)
        return false; // the caller decides (another request may do)
    if (status == 0)
        return !error.isEmpty();
    return status == 401 || status == 403 || status >= 500;
}

QString davBadAnswerText(const QUrl& url, const QString& why)
{
    return QStringLiteral("Le serveur %1 a donné une réponse illisible : %2")
        .arg(hostText(url), why);
}

DavRequest davXmlRequest(const QByteArray& verb, const QUrl& url, const QByteArray& depth,
                         const QByteArray& body)
{
    DavRequest r;
    r.verb = verb;
    r.url = url;
    r.depth = depth;
    r.body = body;
    r.contentType = "application/xml; charset=utf-8";
    return r;
}

QUrl serverUrl(const QString& text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return QUrl();
    if (!t.contains(QLatin1String("://")))
        t = QStringLiteral("https://") + t;
    QUrl url(t, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return QUrl();
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    return url;
}

QUrl urlOnServer(const QUrl& base, const QString& decodedPath)
{
    QUrl url = base;
    url.setPath(decodedPath, QUrl::DecodedMode);
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

QString hrefPath(const QUrl& base, const QString& href)
{
    const QUrl resolved = base.resolved(QUrl(href, QUrl::TolerantMode));
    return resolved.path(QUrl::FullyDecoded);
}

HrefPlace hrefPlace(const QUrl& collection, const QString& href, QString* path)
{
    const QUrl resolved = collection.resolved(QUrl(href.trimmed(), QUrl::TolerantMode));
    if (!resolved.isValid() || !sameOrigin(resolved, collection) || resolved.hasQuery())
        return HrefPlace::Outside;
    const QString p = resolved.path(QUrl::FullyDecoded);
    const QString base = collection.path(QUrl::FullyDecoded);
    if (p == base || p + QLatin1Char('/') == base)
        return HrefPlace::Collection;
    if (!p.startsWith(base))
        return HrefPlace::Outside;
    const QString rest = p.mid(base.size());
    // Dot segments left encoded by the resolution would lead elsewhere once sent back.
    for (const QString& segment : rest.split(QLatin1Char('/'))) {
        if (segment == QLatin1String(".") || segment == QLatin1String(".."))
            return HrefPlace::Outside;
    }
    if (rest.contains(QLatin1Char('/')))
        return HrefPlace::Deeper;
    if (path)
        *path = p;
    return HrefPlace::Member;
}

QString encodedHref(const QString& decodedPath)
{
    QUrl u;
    u.setPath(decodedPath, QUrl::DecodedMode);
    return u.path(QUrl::FullyEncoded);
}

DavClient::~DavClient() = default;

std::unique_ptr<DavClient> makeDavClient(DavClientFactory* factory, const QString& user,
                                         const QString& password, QString* why)
{
    if (!factory) {
        if (why)
            *why = QStringLiteral("La synchronisation n'est pas disponible dans ce programme.");
        return nullptr;
    }
    return factory->create(user, password, why);
}
