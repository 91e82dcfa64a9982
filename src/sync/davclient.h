#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;

// One HTTP request of the synchronisation.
struct DavRequest {
    QByteArray verb; // GET, PUT, DELETE, PROPFIND, REPORT, MKCOL
    QUrl url;
    QByteArray body;
    QByteArray contentType; // "application/xml; charset=utf-8", "text/vcard; charset=utf-8"
    QByteArray depth;       // "0", "1" or empty
    QByteArray ifMatch;     // an ETag, or empty
    bool ifNoneMatchAny = false;
};

// Its answer. `error` is set (in French) when the exchange failed: no answer, or an HTTP
// status of 400 or more.
struct DavReply {
    int status = 0; // HTTP status; 0 when no answer came
    QByteArray body;
    QByteArray etag; // ETag header
    QUrl url;        // the address finally answered, after redirections
    QNetworkReply::NetworkError network = QNetworkReply::NoError;
    bool cancelled = false;
    QString error;
    bool ok() const { return error.isEmpty() && !cancelled; }
    // No answer at all, or one that says every further request would fail the same way
    // (the server unreachable, the password refused...): the run stops.
    bool stopsRun() const;
};

// A CardDAV server's HTTP client: Basic authentication with the user's name and password on
// the server's own host, the system's certificates for HTTPS (a certificate that does not
// verify ends the exchange), redirections followed (never from HTTPS to HTTP), a transfer
// timeout. Calls wait for their answers while processing events, so windows stay alive.
class DavClient
{
public:
    DavClient(const QString& user, const QString& password);
    ~DavClient();
    DavClient(const DavClient&) = delete;
    DavClient& operator=(const DavClient&) = delete;

    // A transfer that stays silent this long fails (30 s by default).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }
    // Polled while waiting; true ends the waits at once (the replies are aborted).
    void setCancelCheck(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }
    // Requests in flight at once in send() of many (QNetworkAccessManager opens up to six
    // connections per server).
    void setParallel(int n) { m_parallel = n; }

    DavReply send(const DavRequest& request);
    // Sends every request, `parallel` at a time; `done` gets each answer (index, reply) as it
    // comes. Stops starting new ones once `done` returns false, an answer stops the run, or
    // the run is cancelled; the requests not sent get no answer. Returns how many got one.
    int sendAll(const std::vector<DavRequest>& requests,
                const std::function<bool(size_t index, DavReply& reply)>& done);

private:
    struct Pending;
    QNetworkReply* start(const DavRequest& request, const QUrl& url, int redirects);
    bool finish(Pending& pending, DavReply& reply);

    std::unique_ptr<QNetworkAccessManager> m_manager;
    QString m_user;
    QString m_password;
    QUrl m_authorityUrl; // the server the credentials belong to (first address asked)
    int m_timeoutMs = 30000;
    int m_parallel = 6;
    std::function<bool()> m_cancelled;
};

// A request with an XML body (PROPFIND, REPORT) to `url`, with its Depth header.
DavRequest davXmlRequest(const QByteArray& verb, const QUrl& url, const QByteArray& depth,
                         const QByteArray& body);

// The French text of a failed exchange with `url`.
QString davFailureText(const QUrl& url, int status, QNetworkReply::NetworkError network,
                       const QString& detail, int timeoutMs);
// The same for the text of an answer that cannot be read.
QString davBadAnswerText(const QUrl& url, const QString& why);

// A user's server address made into a URL: "https://" added when no scheme is given; an
// invalid or non-HTTP address gives an empty URL.
QUrl serverUrl(const QString& text);
// `path` (decoded) of `base`'s server.
QUrl urlOnServer(const QUrl& base, const QString& decodedPath);
// The decoded path an href names, resolved against the address it came from.
QString hrefPath(const QUrl& base, const QString& href);
// A decoded path as an href to send (percent-encoded).
QString encodedHref(const QString& decodedPath);
