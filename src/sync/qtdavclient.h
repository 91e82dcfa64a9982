#pragma once

#include "sync/davclient.h"

class QNetworkAccessManager;

// The CardDAV client on Qt Network, trusting no server: the user's name and password go only to
// the origin the client was given (scheme, host and port: the server the user chose), never
// to another, whether a redirection or a server's demand points there; a redirection to
// another origin is refused (so never from HTTPS to HTTP), one on the same origin followed.
// The system's certificates for HTTPS (a certificate that does not verify ends the exchange).
// Each request has a total deadline, however slowly its answer trickles in, and a size limit.
// QNetworkAccessManager opens up to six connections per server.
class QtDavClient : public DavClient
{
public:
    QtDavClient(const QString& user, const QString& password);
    ~QtDavClient() override;

    DavReply send(const DavRequest& request) override;
    int sendAll(const std::vector<DavRequest>& requests,
                const std::function<bool(size_t index, DavReply& reply)>& done) override;

private:
    struct Pending;
    QNetworkReply* start(const DavRequest& request, const QUrl& url);
    bool finish(Pending& pending, DavReply& reply);
    // Gathers the answer of `reply` into `pending` as it comes, up to its size limit, with the
    // certificate errors met.
    static void collectAnswer(Pending& pending, QNetworkReply* reply);
    bool trusted(const QUrl& url) const;

    std::unique_ptr<QNetworkAccessManager> m_manager;
};

// Makes QtDavClient objects.
class QtDavClientFactory : public DavClientFactory
{
public:
    std::unique_ptr<DavClient> create(const QString& user, const QString& password,
                                      QString* why) override;
};

// The French text of a failed exchange with `url`: a French sentence, then Qt's technical
// detail when it tells more.
QString davFailureText(const QUrl& url, int status, QNetworkReply::NetworkError network,
                       const QString& detail, int timeoutMs);
