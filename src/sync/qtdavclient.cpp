#include "sync/qtdavclient.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaEnum>
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

// Qt's text of a network failure, with the failure's name when the text says nothing.
QString technicalDetail(QNetworkReply::NetworkError network, const QString& detail)
{
    const char* name = QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(network);
    const QString code = name ? QString::fromLatin1(name) : QString::number(int(network));
    if (detail.isEmpty() ||
        detail.compare(QLatin1String("Unknown error"), Qt::CaseInsensitive) == 0)
        return code;
    return detail + QStringLiteral(" [") + code + QLatin1Char(']');
}

} // namespace

// The failure of a request the server answered with an error status.
static QString httpStatusText(const QUrl& url, const QString& host, int status)
{
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

// The failure of a request the server did not answer.
static QString networkFailureText(const QUrl& url, const QString& host,
                                  QNetworkReply::NetworkError network, const QString& detail,
                                  int timeoutMs)
{
    const QString technical = technicalDetail(network, detail);
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
        return QStringLiteral("Le serveur %1 ne répond pas à temps : sa réponse n'était pas "
                              "complète au bout de %2 secondes.")
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
    case QNetworkReply::ProtocolFailure:
        return QStringLiteral("Le serveur %1 a répondu d'une façon que le protocole HTTP ne "
                              "permet pas. Détail technique : %2")
            .arg(host, technical);
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("Le réseau n'est pas disponible : le serveur %1 ne peut pas être "
                              "joint. Détail technique : %2")
            .arg(host, technical);
    default:
        if (network >= QNetworkReply::ProxyConnectionRefusedError &&
            network <= QNetworkReply::UnknownProxyError)
            return QStringLiteral("Le serveur mandataire (proxy) du réseau refuse ou coupe la "
                                  "connexion vers %1. Détail technique : %2")
                .arg(host, technical);
        return QStringLiteral("L'échange avec le serveur %1 a échoué : la connexion n'a pas pu "
                              "être établie ou s'est mal terminée. Détail technique : %2")
            .arg(host, technical);
    }
}

QString davFailureText(const QUrl& url, int status, QNetworkReply::NetworkError network,
                       const QString& detail, int timeoutMs)
{
    const QString host = hostText(url);
    if (status >= 400)
        return httpStatusText(url, host, status);
    return networkFailureText(url, host, network, detail, timeoutMs);
}

// -------------------------------------------------------------------------- QtDavClient

struct QtDavClient::Pending {
    DavRequest request;
    QNetworkReply* reply = nullptr;
    int redirects = 0;
    QString sslDetail;
    QByteArray body;       // the answer so far
    qint64 limit = 0;      // the longest answer taken
    bool tooLarge = false; // aborted: the answer is longer than `limit`
    bool timedOut = false; // aborted: the deadline passed
    std::unique_ptr<QTimer> deadline;
};

QtDavClient::QtDavClient(const QString& user, const QString& password)
    : DavClient(user, password), m_manager(std::make_unique<QNetworkAccessManager>())
{
    // Basic credentials go with every request to the origin; a server of that origin asking
    // for another scheme gets them once per request; any other server gets nothing.
    QObject::connect(m_manager.get(), &QNetworkAccessManager::authenticationRequired,
                     m_manager.get(), [this](QNetworkReply* reply, QAuthenticator* auth) {
                         if (!trusted(reply->url()) ||
                             reply->property("elvarineAuthTried").toBool())
                             return; // the reply ends with 401
                         reply->setProperty("elvarineAuthTried", true);
                         auth->setUser(m_user);
                         auth->setPassword(m_password);
                     });
}

QtDavClient::~QtDavClient() = default;

bool QtDavClient::trusted(const QUrl& url) const
{
    return !m_origin.isEmpty() && sameOrigin(url, m_origin);
}

QNetworkReply* QtDavClient::start(const DavRequest& request, const QUrl& url)
{
    if (m_origin.isEmpty())
        m_origin = url;
    QNetworkRequest r(url);
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    r.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Elvarine/1.3.2"));
    if (!request.contentType.isEmpty())
        r.setRawHeader("Content-Type", request.contentType);
    if (!request.depth.isEmpty())
        r.setRawHeader("Depth", request.depth);
    if (!request.ifMatch.isEmpty())
        r.setRawHeader("If-Match", request.ifMatch);
    if (request.ifNoneMatchAny)
        r.setRawHeader("If-None-Match", "*");
    if (trusted(url) && !m_user.isEmpty())
        r.setRawHeader("Authorization",
                       "Basic " + (m_user + QLatin1Char(':') + m_password).toUtf8().toBase64());
    QNetworkReply* reply = request.body.isEmpty() && request.verb == "GET"
                               ? m_manager->get(r)
                               : m_manager->sendCustomRequest(r, request.verb, request.body);
    return reply;
}

bool QtDavClient::finish(Pending& p, DavReply& out)
{
    QNetworkReply* reply = p.reply;
    out.url = reply->url();
    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    out.network = reply->error();
    // Redirections: followed on the same origin only (the credentials stay with it).
    if (!p.tooLarge && !p.timedOut && out.status >= 300 && out.status < 400 && out.status != 304) {
        const QUrl target =
            reply->url().resolved(reply->header(QNetworkRequest::LocationHeader).toUrl());
        reply->deleteLater();
        p.reply = nullptr;
        QString why;
        if (!target.isValid() || target.isEmpty())
            why = QStringLiteral("adresse de renvoi absente");
        else if (p.redirects >= kMaxRedirects)
            why = QStringLiteral("trop de renvois");
        if (!why.isEmpty()) {
            out.error =
                davFailureText(out.url, 0, QNetworkReply::InsecureRedirectError, why, m_timeoutMs);
            out.network = QNetworkReply::InsecureRedirectError;
            out.status = 0;
            return true;
        }
        if (!trusted(target)) {
            out.error =
                QStringLiteral("Le serveur %1 renvoie vers une autre adresse (%2) : ce renvoi "
                               "n'est pas suivi, pour que le nom d'utilisateur et le mot de passe "
                               "n'aillent qu'au serveur choisi. Si cette adresse est la bonne, "
                               "donnez-la comme adresse du serveur dans « Synchronisation... ».")
                    .arg(hostText(out.url), target.toDisplayString(QUrl::RemoveUserInfo));
            out.network = QNetworkReply::InsecureRedirectError;
            out.status = 0;
            return true;
        }
        ++p.redirects;
        p.body.clear();
        p.reply = start(p.request, target);
        return false;
    }
    out.body = std::move(p.body);
    if (!p.tooLarge && !p.timedOut && reply->isOpen())
        out.body += reply->readAll();
    out.etag = reply->rawHeader("ETag");
    if (p.tooLarge) {
        out.body.clear();
        out.tooLarge = true;
        out.status = 0;
        out.error = QStringLiteral("La réponse du serveur %1 à la demande sur %2 dépasse %3 : "
                                   "elle est refusée et rien n'en est gardé.")
                        .arg(hostText(out.url), out.url.path(), byteSizeText(p.limit));
    } else if (p.timedOut) {
        out.status = 0;
        out.network = QNetworkReply::TimeoutError;
        out.error = davFailureText(out.url, 0, QNetworkReply::TimeoutError, QString(), m_timeoutMs);
    } else if (out.network == QNetworkReply::OperationCanceledError && m_cancelled &&
               m_cancelled()) {
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
    p.deadline->stop(); // (deleted with the request: this may run from its own signal)
    return true;
}

DavReply QtDavClient::send(const DavRequest& request)
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

void QtDavClient::collectAnswer(Pending& pending, QNetworkReply* reply)
{
    Pending* p = &pending;
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [p](const QList<QSslError>& errors) {
        QStringList texts;
        for (const QSslError& e : errors)
            texts << e.errorString();
        p->sslDetail = texts.join(QLatin1String(" ; "));
    });
    // The answer is taken as it comes, up to its limit.
    const auto take = [p, reply] {
        if (p->tooLarge || p->reply != reply)
            return;
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (announced > p->limit || p->body.size() + reply->bytesAvailable() > p->limit) {
            p->tooLarge = true;
            reply->abort();
            return;
        }
        p->body += reply->readAll();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, take);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, take);
}

int QtDavClient::sendAll(const std::vector<DavRequest>& requests,
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
        collectAnswer(pending[index], reply);
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
            p.limit = p.request.maxBytes > 0 ? p.request.maxBytes : m_maxBytes;
            // One deadline for the whole request, redirections included.
            p.deadline = std::make_unique<QTimer>();
            p.deadline->setSingleShot(true);
            QObject::connect(p.deadline.get(), &QTimer::timeout, &loop, [&p] {
                if (p.reply) {
                    p.timedOut = true;
                    p.reply->abort();
                }
            });
            p.deadline->start(std::max(1, m_timeoutMs));
            p.reply = start(p.request, p.request.url);
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

std::unique_ptr<DavClient> QtDavClientFactory::create(const QString& user, const QString& password,
                                                      QString*)
{
    return std::make_unique<QtDavClient>(user, password);
}
