#include "sync/davclient.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>

namespace
{

constexpr int kMaxRedirects = 5;
constexpr int kCancelPollMs = 100;

QString hostText(const QUrl& url)
{
    return url.port() > 0 ? QStringLiteral("%1:%2").arg(url.host()).arg(url.port()) : url.host();
}

bool sameServer(const QUrl& a, const QUrl& b)
{
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

} // namespace

bool DavReply::stopsRun() const
{
    if (cancelled)
        return true;
    if (status == 0)
        return !error.isEmpty();
    return status == 401 || status == 403 || status >= 500;
}

QString davFailureText(const QUrl& url, int status, QNetworkReply::NetworkError network,
                       const QString& detail, int timeoutMs)
{
    const QString host = hostText(url);
    if (status >= 400) {
        switch (status) {
        case 401:
            return QStringLiteral("Le serveur %1 refuse le nom d'utilisateur ou le mot de passe "
                                  "(erreur 401).")
                .arg(host);
        case 403:
            return QStringLiteral("Le serveur %1 refuse l'accès à %2 (erreur 403) : ce compte "
                                  "n'a pas le droit de lire ou de modifier ce carnet "
                                  "d'adresses.")
                .arg(host, url.path());
        case 404:
            return QStringLiteral("L'adresse %1 n'existe pas sur le serveur %2 (erreur 404).")
                .arg(url.path(), host);
        case 412:
            return QStringLiteral("La fiche %1 a changé sur le serveur %2 pendant la "
                                  "synchronisation (erreur 412).")
                .arg(url.path(), host);
        default:
            break;
        }
        if (status >= 500)
            return QStringLiteral("Le serveur %1 a rencontré une erreur (erreur %2) : "
                                  "réessayez plus tard.")
                .arg(host)
                .arg(status);
        return QStringLiteral("Le serveur %1 a refusé la demande sur %2 (erreur %3).")
            .arg(host, url.path())
            .arg(status);
    }
    switch (network) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Le serveur %1 est introuvable : vérifiez son adresse et la "
                              "connexion au réseau.")
            .arg(url.host());
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Le serveur %1 est injoignable : il refuse la connexion (il est "
                              "peut-être arrêté).")
            .arg(host);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("Le serveur %1 ne répond pas (rien reçu pendant %2 secondes).")
            .arg(host)
            .arg(timeoutMs / 1000);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("La connexion avec le serveur %1 a été coupée au milieu d'un "
                              "échange.")
            .arg(host);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("Le certificat du serveur %1 n'a pas pu être vérifié (%2) : la "
                              "connexion est refusée.")
            .arg(host, detail);
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("Le serveur %1 renvoie vers une autre adresse de façon "
                              "incorrecte ou non sûre (%2).")
            .arg(host, detail);
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("L'adresse %1 doit commencer par https:// ou http://.")
            .arg(url.toDisplayString());
    default:
        return QStringLiteral("Le serveur %1 est injoignable (%2).").arg(host, detail);
    }
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

QString encodedHref(const QString& decodedPath)
{
    QUrl u;
    u.setPath(decodedPath, QUrl::DecodedMode);
    return u.path(QUrl::FullyEncoded);
}

// ---------------------------------------------------------------------------- DavClient

struct DavClient::Pending {
    DavRequest request;
    QNetworkReply* reply = nullptr;
    int redirects = 0;
    QString sslDetail;
};

DavClient::DavClient(const QString& user, const QString& password)
    : m_manager(std::make_unique<QNetworkAccessManager>()), m_user(user), m_password(password)
{
    // Basic credentials are sent with every request to the server; a server asking for
    // another scheme gets them once per request.
    QObject::connect(m_manager.get(), &QNetworkAccessManager::authenticationRequired,
                     m_manager.get(), [this](QNetworkReply* reply, QAuthenticator* auth) {
                         if (reply->property("elvarineAuthTried").toBool())
                             return; // refused once: the reply ends with 401
                         reply->setProperty("elvarineAuthTried", true);
                         auth->setUser(m_user);
                         auth->setPassword(m_password);
                     });
}

DavClient::~DavClient() = default;

QNetworkReply* DavClient::start(const DavRequest& request, const QUrl& url, int)
{
    if (m_authorityUrl.isEmpty())
        m_authorityUrl = url;
    QNetworkRequest r(url);
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    r.setTransferTimeout(m_timeoutMs);
    r.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Elvarine/1.3.2"));
    if (!request.contentType.isEmpty())
        r.setRawHeader("Content-Type", request.contentType);
    if (!request.depth.isEmpty())
        r.setRawHeader("Depth", request.depth);
    if (!request.ifMatch.isEmpty())
        r.setRawHeader("If-Match", request.ifMatch);
    if (request.ifNoneMatchAny)
        r.setRawHeader("If-None-Match", "*");
    if (sameServer(url, m_authorityUrl) && !m_user.isEmpty())
        r.setRawHeader("Authorization",
                       "Basic " + (m_user + QLatin1Char(':') + m_password).toUtf8().toBase64());
    QNetworkReply* reply = request.body.isEmpty() && request.verb == "GET"
                               ? m_manager->get(r)
                               : m_manager->sendCustomRequest(r, request.verb, request.body);
    return reply;
}

bool DavClient::finish(Pending& p, DavReply& out)
{
    QNetworkReply* reply = p.reply;
    out.url = reply->url();
    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    out.network = reply->error();
    // Redirections: followed with the same request, never from HTTPS to plain HTTP.
    if (out.status >= 300 && out.status < 400 && out.status != 304) {
        const QUrl target =
            reply->url().resolved(reply->header(QNetworkRequest::LocationHeader).toUrl());
        reply->deleteLater();
        p.reply = nullptr;
        QString why;
        if (!target.isValid() || target.isEmpty())
            why = QStringLiteral("adresse de renvoi absente");
        else if (p.redirects >= kMaxRedirects)
            why = QStringLiteral("trop de renvois");
        else if (out.url.scheme() == QLatin1String("https") &&
                 target.scheme() != QLatin1String("https"))
            why = QStringLiteral("renvoi vers une adresse non chiffrée");
        if (!why.isEmpty()) {
            out.error =
                davFailureText(out.url, 0, QNetworkReply::InsecureRedirectError, why, m_timeoutMs);
            out.network = QNetworkReply::InsecureRedirectError;
            out.status = 0;
            return true;
        }
        ++p.redirects;
        p.reply = start(p.request, target, p.redirects);
        return false;
    }
    out.body = reply->readAll();
    out.etag = reply->rawHeader("ETag");
    if (out.network == QNetworkReply::OperationCanceledError && m_cancelled && m_cancelled()) {
        out.cancelled = true;
    } else if (out.status >= 400) {
        out.error = davFailureText(out.url, out.status, out.network, QString(), m_timeoutMs);
    } else if (out.network != QNetworkReply::NoError || out.status == 0) {
        out.status = 0;
        const QString detail =
            out.network == QNetworkReply::SslHandshakeFailedError && !p.sslDetail.isEmpty()
                ? p.sslDetail
                : reply->errorString();
        out.error = davFailureText(out.url, 0, out.network, detail, m_timeoutMs);
    }
    reply->deleteLater();
    p.reply = nullptr;
    return true;
}

DavReply DavClient::send(const DavRequest& request)
{
    DavReply result;
    sendAll({request}, [&](size_t, DavReply& reply) {
        result = std::move(reply);
        return true;
    });
    if (result.status == 0 && result.error.isEmpty() && !result.cancelled)
        result.cancelled = true; // cancelled before it was sent
    return result;
}

int DavClient::sendAll(const std::vector<DavRequest>& requests,
                       const std::function<bool(size_t, DavReply&)>& done)
{
    std::vector<Pending> pending(requests.size());
    size_t next = 0;
    int inFlight = 0;
    int answered = 0;
    bool stop = false;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kCancelPollMs);

    const auto cancelled = [this] { return m_cancelled && m_cancelled(); };
    std::function<void()> launch;
    std::function<void(size_t)> watch;
    watch = [&](size_t index) {
        QNetworkReply* reply = pending[index].reply;
        QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                         [&pending, index](const QList<QSslError>& errors) {
                             QStringList texts;
                             for (const QSslError& e : errors)
                                 texts << e.errorString();
                             pending[index].sslDetail = texts.join(QLatin1String(" ; "));
                         });
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, index] {
            DavReply out;
            if (!finish(pending[index], out)) {
                // A redirection: the same request goes on at the new address.
                watch(index);
                return;
            }
            --inFlight;
            ++answered;
            if (!done(index, out) || out.stopsRun())
                stop = true;
            launch();
        });
    };
    launch = [&] {
        if (cancelled())
            stop = true;
        while (!stop && inFlight < std::max(1, m_parallel) && next < requests.size()) {
            Pending& p = pending[next];
            p.request = requests[next];
            p.reply = start(p.request, p.request.url, 0);
            ++inFlight;
            watch(next);
            ++next;
        }
        if (inFlight == 0)
            loop.quit();
    };
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!cancelled())
            return;
        stop = true;
        for (Pending& p : pending) {
            if (p.reply)
                p.reply->abort();
        }
    });
    launch();
    if (inFlight > 0) {
        poll.start();
        loop.exec();
    }
    return answered;
}
