#include "httpfront.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

QByteArray FrontRequest::header(const QByteArray& name) const
{
    for (const auto& [n, v] : headers) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    }
    return QByteArray();
}

namespace
{

using Headers = QList<QPair<QByteArray, QByteArray>>;

// Splits "head\r\n\r\nbody" into its status or request line, headers and body; false when the
// head is not complete yet.
bool splitMessage(const QByteArray& data, QByteArray& first, Headers& headers, qsizetype& bodyAt)
{
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = data.left(end).split('\n');
    first = lines.value(0).trimmed();
    headers.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            headers.append(
                qMakePair(lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()));
    }
    bodyAt = end + 4;
    return true;
}

QByteArray headerOf(const Headers& headers, const QByteArray& name)
{
    for (const auto& [n, v] : headers) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    }
    return QByteArray();
}

void removeHeader(Headers& headers, const QByteArray& name)
{
    headers.removeIf([&name](const QPair<QByteArray, QByteArray>& h) {
        return h.first.compare(name, Qt::CaseInsensitive) == 0;
    });
}

QByteArray joined(const QByteArray& first, const Headers& headers, const QByteArray& body)
{
    QByteArray out = first + "\r\n";
    for (const auto& [n, v] : headers)
        out += n + ": " + v + "\r\n";
    return out + "\r\n" + body;
}

QByteArray dechunked(const QByteArray& body)
{
    QByteArray out;
    qsizetype pos = 0;
    while (pos < body.size()) {
        const qsizetype eol = body.indexOf("\r\n", pos);
        if (eol < 0)
            break;
        bool ok = false;
        const qsizetype size =
            body.mid(pos, eol - pos).split(';').value(0).trimmed().toLongLong(&ok, 16);
        if (!ok || size == 0)
            break;
        out += body.mid(eol + 2, size);
        pos = eol + 2 + size + 2;
    }
    return out;
}

} // namespace

// One connection: one request, one answer.
class Connection : public QObject
{
public:
    Connection(HttpFront& front, const HttpFront::Handler& handler, const QUrl& upstream,
               QTcpSocket* client, QObject* parent)
        : QObject(parent), m_front(front), m_handler(handler), m_upstream(upstream),
          m_client(client)
    {
        client->setParent(this);
        connect(client, &QTcpSocket::readyRead, this, [this] { readRequest(); });
        connect(client, &QTcpSocket::disconnected, this, [this] { finish(); });
    }

private:
    void readRequest()
    {
        if (m_started)
            return;
        m_in += m_client->readAll();
        QByteArray first;
        qsizetype bodyAt = 0;
        if (!splitMessage(m_in, first, m_request.headers, bodyAt))
            return;
        const qsizetype length = headerOf(m_request.headers, "Content-Length").toLongLong();
        if (m_in.size() - bodyAt < length)
            return;
        m_started = true;
        const QList<QByteArray> parts = first.split(' ');
        m_request.method = parts.value(0);
        m_request.target = parts.value(1);
        m_request.body = m_in.mid(bodyAt, length);
        m_request.number = ++m_front.m_count;
        m_front.log(m_request);
        m_answer = m_handler ? m_handler(m_request) : FrontAnswer();
        waitReady();
    }

    void waitReady()
    {
        if (m_answer.ready && !m_answer.ready()) {
            QTimer::singleShot(10, this, [this] { waitReady(); });
            return;
        }
        switch (m_answer.kind) {
        case FrontAnswer::Drop:
            m_client->abort();
            return;
        case FrontAnswer::Reply:
            m_client->write(m_answer.head);
            pour();
            return;
        case FrontAnswer::Forward:
            forward();
            return;
        }
    }

    void forward()
    {
        m_server = new QTcpSocket(this);
        connect(m_server, &QTcpSocket::connected, this, [this] {
            Headers headers = m_request.headers;
            removeHeader(headers, "Connection");
            removeHeader(headers, "Keep-Alive");
            removeHeader(headers, "Host");
            // Plain answers, so they can be changed on their way.
            removeHeader(headers, "Accept-Encoding");
            headers.append(qMakePair(
                QByteArray("Host"),
                QStringLiteral("%1:%2").arg(m_upstream.host()).arg(m_upstream.port()).toLatin1()));
            headers.append(qMakePair(QByteArray("Connection"), QByteArray("close")));
            m_server->write(joined(m_request.method + ' ' + m_request.target + " HTTP/1.1", headers,
                                   m_request.body));
        });
        connect(m_server, &QTcpSocket::readyRead, this, [this] { m_out += m_server->readAll(); });
        connect(m_server, &QTcpSocket::disconnected, this, [this] { relay(); });
        connect(m_server, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
            if (e != QAbstractSocket::RemoteHostClosedError)
                m_client->abort(); // the server is not there: the connection is cut
        });
        m_server->connectToHost(m_upstream.host(), quint16(m_upstream.port()));
    }

    void relay()
    {
        m_out += m_server->readAll();
        if (m_answer.dropAfterForward) {
            if (m_answer.afterForward)
                m_answer.afterForward();
            m_client->abort();
            return;
        }
        QByteArray first;
        Headers headers;
        qsizetype bodyAt = 0;
        if (!splitMessage(m_out, first, headers, bodyAt)) {
            m_client->abort();
            return;
        }
        QByteArray body = m_out.mid(bodyAt);
        if (headerOf(headers, "Transfer-Encoding").toLower().contains("chunked"))
            body = dechunked(body);
        if (m_answer.rewrite)
            body = m_answer.rewrite(m_request, body);
        removeHeader(headers, "Transfer-Encoding");
        removeHeader(headers, "Content-Length");
        removeHeader(headers, "Connection");
        headers.append(qMakePair(QByteArray("Content-Length"), QByteArray::number(body.size())));
        headers.append(qMakePair(QByteArray("Connection"), QByteArray("close")));
        m_client->write(joined(first, headers, body));
        m_client->disconnectFromHost();
    }

    // The filler of a reply, at its pace.
    void pour()
    {
        if (m_client->state() != QAbstractSocket::ConnectedState)
            return;
        const qint64 left = m_answer.fillerBytes - m_poured;
        if (left <= 0 || m_answer.filler.isEmpty()) {
            m_client->disconnectFromHost();
            return;
        }
        if (m_answer.bytesPerSecond > 0) {
            QByteArray piece;
            while (piece.size() < m_answer.bytesPerSecond &&
                   m_poured + piece.size() < m_answer.fillerBytes)
                piece += m_answer.filler.at((m_poured + piece.size()) % m_answer.filler.size());
            m_client->write(piece);
            m_poured += piece.size();
            QTimer::singleShot(1000, this, [this] { pour(); });
            return;
        }
        if (m_client->bytesToWrite() < 1024 * 1024) {
            qint64 written = 0;
            while (written < 1024 * 1024 && m_poured < m_answer.fillerBytes) {
                m_client->write(m_answer.filler);
                m_poured += m_answer.filler.size();
                written += m_answer.filler.size();
            }
        }
        QTimer::singleShot(1, this, [this] { pour(); });
    }

    void finish()
    {
        if (m_server)
            m_server->abort();
        deleteLater();
    }

    HttpFront& m_front;
    const HttpFront::Handler& m_handler;
    QUrl m_upstream;
    QTcpSocket* m_client;
    QTcpSocket* m_server = nullptr;
    QByteArray m_in;
    QByteArray m_out;
    bool m_started = false;
    FrontRequest m_request;
    FrontAnswer m_answer;
    qint64 m_poured = 0;
};

class HttpFront::Worker : public QObject
{
public:
    Worker(HttpFront& front) : m_front(front)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = m_server.nextPendingConnection())
                new Connection(m_front, m_front.m_handler, m_front.m_upstream, client, this);
        });
    }
    int listen() { return m_server.listen(QHostAddress::LocalHost, 0) ? m_server.serverPort() : 0; }

private:
    HttpFront& m_front;
    QTcpServer m_server;
};

HttpFront::HttpFront(Handler handler, const QUrl& upstream)
    : m_handler(std::move(handler)), m_upstream(upstream)
{
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            m_worker = new Worker(*this);
            m_port = m_worker->listen();
        },
        Qt::BlockingQueuedConnection);
}

HttpFront::~HttpFront()
{
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            // The connections still open go with the thread's loop.
            delete m_worker;
            m_worker = nullptr;
            delete m_context;
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QUrl HttpFront::root() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port));
}

void HttpFront::log(const FrontRequest& request)
{
    QMutexLocker lock(&m_mutex);
    m_requests.append(request);
}

QList<FrontRequest> HttpFront::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

void HttpFront::clear()
{
    QMutexLocker lock(&m_mutex);
    m_requests.clear();
    m_count = 0;
}

QByteArray HttpFront::answer(int status, const QByteArray& body,
                             const QList<QPair<QByteArray, QByteArray>>& headers)
{
    Headers all = headers;
    all.append(qMakePair(QByteArray("Content-Length"), QByteArray::number(body.size())));
    all.append(qMakePair(QByteArray("Connection"), QByteArray("close")));
    return joined("HTTP/1.1 " + QByteArray::number(status) + " Answer", all, body);
}

HttpFront::Handler HttpFront::basicAuth(const QString& user, const QString& password,
                                        bool withoutSyncReport)
{
    const QByteArray expected = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
    return [expected, withoutSyncReport](const FrontRequest& r) {
        FrontAnswer a;
        if (r.header("Authorization") != expected) {
            a.kind = FrontAnswer::Reply;
            a.head = answer(401, "Identification requise",
                            {{"WWW-Authenticate", "Basic realm=\"carnets\""}});
        } else if (withoutSyncReport && r.method == "REPORT" &&
                   r.body.contains("sync-collection")) {
            a.kind = FrontAnswer::Reply;
            a.head = answer(403,
                            "<?xml version=\"1.0\"?><D:error xmlns:D=\"DAV:\">"
                            "<D:supported-report/></D:error>",
                            {{"Content-Type", "application/xml"}});
        }
        return a;
    };
}
