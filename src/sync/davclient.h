#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

// One HTTP request of the synchronisation.
struct DavRequest {
    QByteArray verb; // GET, PUT, DELETE, PROPFIND, REPORT, MKCOL
    QUrl url;
    QByteArray body;
    QByteArray contentType; // "application/xml; charset=utf-8", "text/vcard; charset=utf-8"
    QByteArray depth;       // "0", "1" or empty
    QByteArray ifMatch;     // an ETag, or empty
    bool ifNoneMatchAny = false;
    qint64 maxBytes = 0; // the longest answer taken; 0: the client's limit
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
    bool tooLarge = false; // the answer was longer than the request's limit (and dropped)
    QString error;
    bool ok() const { return error.isEmpty() && !cancelled; }
    // No answer at all, or one that says every further request would fail the same way
    // (the server unreachable, the password refused...): the run stops.
    bool stopsRun() const;
};

// A CardDAV server's HTTP client. The real one (QtDavClient) lives in the program's services
// module, loaded at the first synchronisation; tests use it directly or script their own.
// Calls wait for their answers while processing events: the caller shows a modal window for
// as long, so the user's commands cannot reach the data in use meanwhile.
class DavClient
{
public:
    DavClient(const QString& user, const QString& password) : m_user(user), m_password(password) {}
    virtual ~DavClient();
    DavClient(const DavClient&) = delete;
    DavClient& operator=(const DavClient&) = delete;

    // The origin that gets the credentials; by default that of the first address asked.
    void setOrigin(const QUrl& url) { m_origin = url; }
    // A request whose whole answer has not come in this long fails (60 s by default).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }
    // The longest answer a request takes unless it says otherwise (64 MB by default).
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }
    qint64 maxBytes() const { return m_maxBytes; }
    // Polled while waiting; true ends the waits at once (the replies are aborted).
    void setCancelCheck(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }
    // Requests in flight at once in sendAll().
    void setParallel(int n) { m_parallel = n; }

    virtual DavReply send(const DavRequest& request) = 0;
    // Sends every request, `parallel` at a time; `done` gets each answer (index, reply) as it
    // comes. Stops starting new ones once `done` returns false, an answer stops the run, or
    // the run is cancelled; the requests not sent get no answer. Returns how many got one.
    virtual int sendAll(const std::vector<DavRequest>& requests,
                        const std::function<bool(size_t index, DavReply& reply)>& done) = 0;

protected:
    QString m_user;
    QString m_password;
    QUrl m_origin; // the server the credentials belong to
    int m_timeoutMs = 60000;
    qint64 m_maxBytes = 64 * 1024 * 1024;
    int m_parallel = 6;
    std::function<bool()> m_cancelled;
};

// Makes the client of one run for a user and password.
class DavClientFactory
{
public:
    virtual ~DavClientFactory() = default;
    // Null, with the reason in French in `why`, when no client can be made (the network
    // part of the program cannot be loaded).
    virtual std::unique_ptr<DavClient> create(const QString& user, const QString& password,
                                              QString* why) = 0;
};

// `factory`'s client, or null with the reason in `why` (also without a factory).
std::unique_ptr<DavClient> makeDavClient(DavClientFactory* factory, const QString& user,
                                         const QString& password, QString* why);

// A request with an XML body (PROPFIND, REPORT) to `url`, with its Depth header.
DavRequest davXmlRequest(const QByteArray& verb, const QUrl& url, const QByteArray& depth,
                         const QByteArray& body);

// Whether two addresses have the same origin (scheme, host, port).
bool sameOrigin(const QUrl& a, const QUrl& b);
// "12 Mo", "800 ko": a size for a message.
QString byteSizeText(qint64 bytes);
// The same for the text of an answer that cannot be read.
QString davBadAnswerText(const QUrl& url, const QString& why);

// A user's server address made into a URL: "https://" added when no scheme is given; an
// invalid or non-HTTP address gives an empty URL.
QUrl serverUrl(const QString& text);
// `path` (decoded) of `base`'s server.
QUrl urlOnServer(const QUrl& base, const QString& decodedPath);
// The decoded path an href names, resolved against the address it came from.
QString hrefPath(const QUrl& base, const QString& href);
// Where an href of an answer about `collection` (an address ending with "/") points: the
// collection itself, one of its cards (its decoded path in `path`), something deeper inside
// it (a sub-collection), or outside it (another origin, another folder, dot segments).
enum class HrefPlace { Collection, Member, Deeper, Outside };
HrefPlace hrefPlace(const QUrl& collection, const QString& href, QString* path = nullptr);
// A decoded path as an href to send (percent-encoded).
QString encodedHref(const QString& decodedPath);
