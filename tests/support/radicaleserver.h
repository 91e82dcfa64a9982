#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

class HttpFront;

// A CardDAV server of Debian's packages on a free local port, its storage in a temporary
// folder, with the user "alice" and her password, for the synchronisation tests and benchmarks.
class DavTestServer
{
public:
    virtual ~DavTestServer() = default;
    virtual QString name() const = 0; // "radicale", "xandikos"
    // Starts it (again, on the same port and storage); false when it does not answer.
    virtual bool start() = 0;
    // Ends it at once (SIGKILL): connections in progress are cut.
    virtual void kill() = 0;
    // Stops it (SIGSTOP) and lets it go on (SIGCONT): it accepts connections but answers nothing.
    virtual void pause(bool paused) = 0;
    virtual qint64 pid() const = 0;
    virtual QUrl root() const = 0;        // http://127.0.0.1:PORT/
    virtual QUrl addressBook() const = 0; // the user's address book (made by makeAddressBook)
    // Another address book of the user, named `name` in its address.
    virtual QUrl addressBook(const QString& name) const = 0;
    QString user() const { return QStringLiteral("alice"); }
    QString password() const { return QStringLiteral("secret-alice"); }
};

enum class DavServerKind {
    Radicale,
    Xandikos,             // behind a front that asks for the password
    XandikosWithoutToken, // the same front refusing the sync-collection report
};
// The server, not started; null when its program is not installed.
std::unique_ptr<DavTestServer> makeDavServer(DavServerKind kind);

// Debian's radicale, with a password file.
class RadicaleServer : public DavTestServer
{
public:
    // True when /usr/bin/radicale is installed (tests skip with status 77 otherwise).
    static bool installed();

    // With `tls`, it answers HTTPS only, with a certificate of its own that no system trusts.
    explicit RadicaleServer(bool tls = false);
    ~RadicaleServer() override;

    QString name() const override { return QStringLiteral("radicale"); }
    bool start() override;
    void kill() override;
    void pause(bool paused) override;
    qint64 pid() const override;

    QUrl root() const override;
    QUrl addressBook() const override; // "contacts"
    QUrl addressBook(const QString& name) const override;
    QString storage() const; // the storage folder

private:
    QTemporaryDir m_dir;
    int m_port = 0;
    bool m_tls = false;
    std::unique_ptr<QProcess> m_process;
};

// Debian's xandikos, which has no login of its own: an HttpFront before it asks for the
// password (and, `withoutToken`, refuses the sync-collection report).
class XandikosServer : public DavTestServer
{
public:
    static bool installed();
    explicit XandikosServer(bool withoutToken = false);
    ~XandikosServer() override;

    QString name() const override;
    bool start() override;
    void kill() override;
    void pause(bool paused) override;
    qint64 pid() const override;
    QUrl root() const override; // the front's
    QUrl addressBook() const override;
    QUrl addressBook(const QString& name) const override;
    QUrl direct() const; // xandikos itself, without the front
    // The folder (a git repository) that holds the address book `name` once made.
    QString folder(const QString& name) const;

private:
    QTemporaryDir m_dir;
    int m_port = 0;
    bool m_withoutToken = false;
    std::unique_ptr<HttpFront> m_front;
    std::unique_ptr<QProcess> m_process;
};

// A second client of the server (plain HTTP requests), as a phone or a webmail would be.
class CardClient
{
public:
    CardClient(const QUrl& root, const QString& user, const QString& password);

    struct Answer {
        int status = 0;
        QByteArray body;
        QByteArray etag;
    };
    Answer request(const QByteArray& verb, const QUrl& url, const QByteArray& body = {},
                   const QList<QPair<QByteArray, QByteArray>>& headers = {});

    // How long a request may wait for its answer (30 s unless told).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // Creates the address book "contacts" of the user (extended MKCOL); true when made.
    bool makeAddressBook(const QUrl& book);
    // Writes a card at book + name; its ETag.
    QByteArray putCard(const QUrl& book, const QString& name, const QByteArray& card);
    QByteArray getCard(const QUrl& book, const QString& name, int* status = nullptr);
    int deleteCard(const QUrl& book, const QString& name);
    // Every card of the book: name (last part of its path) -> text.
    QMap<QString, QByteArray> cards(const QUrl& book);

private:
    QNetworkAccessManager m_manager;
    QByteArray m_auth;
    int m_timeoutMs = 30000;
};
