#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <functional>

class Connection;

// One request a front received.
struct FrontRequest {
    int number = 0; // 1 for the first request the front received
    QByteArray method;
    QByteArray target; // as sent: "/alice/contacts/"
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QByteArray header(const QByteArray& name) const; // empty when absent
};

// What the front does with a request.
struct FrontAnswer {
    enum Kind {
        Forward, // to the server behind the front, and its answer back
        Reply,   // `head`, then `filler` repeated up to `fillerBytes`, then the connection closed
        Drop,    // the connection cut at once, nothing sent on
    } kind = Forward;
    // Forward: the server's answer is not passed on, the connection is cut once it came (the
    // request reached the server, its sender never hears of it); `afterForward` runs first.
    bool dropAfterForward = false;
    std::function<void()> afterForward;
    // Forward: the body of the server's answer changed before it goes on.
    std::function<QByteArray(const FrontRequest&, const QByteArray& body)> rewrite;
    // Reply
    QByteArray head;
    QByteArray filler;
    qint64 fillerBytes = 0;
    int bytesPerSecond = 0; // 0: as fast as the connection takes it
    // Polled before anything is done: the request waits while it returns false.
    std::function<bool()> ready;
};

// A small HTTP server on a free local port and a thread of its own (so it answers while the
// test's thread waits): each request is answered as `handler` says (called on the front's
// thread), by default forwarded to `upstream`. One request per connection ("Connection:
// close"). A test's server with hostile answers, a proxy that cuts a run at its k-th request,
// an authenticating front for a server that has no login of its own.
class HttpFront
{
public:
    using Handler = std::function<FrontAnswer(const FrontRequest&)>;
    explicit HttpFront(Handler handler, const QUrl& upstream = QUrl());
    ~HttpFront();
    HttpFront(const HttpFront&) = delete;
    HttpFront& operator=(const HttpFront&) = delete;

    QUrl root() const; // http://127.0.0.1:PORT/
    int port() const { return m_port; }
    int count() const { return m_count.load(); }
    QList<FrontRequest> requests() const;
    void clear();

    // A whole HTTP answer.
    static QByteArray answer(int status, const QByteArray& body = {},
                             const QList<QPair<QByteArray, QByteArray>>& headers = {});
    // A front that asks for Basic authentication as `user`:`password` and forwards the
    // requests that give it; with `withoutSyncReport`, it refuses the sync-collection report as
    // a server without sync tokens does.
    static Handler basicAuth(const QString& user, const QString& password,
                             bool withoutSyncReport = false);

private:
    class Worker;
    friend class Worker;
    friend class ::Connection;
    void log(const FrontRequest& request);

    Handler m_handler;
    QUrl m_upstream;
    QThread m_thread;
    QObject* m_context = nullptr; // lives on the front's thread
    Worker* m_worker = nullptr;
    int m_port = 0;
    std::atomic<int> m_count{0};
    mutable QMutex m_mutex;
    QList<FrontRequest> m_requests;
};
