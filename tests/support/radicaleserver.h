#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

// Debian's radicale CardDAV server on a free local port, with a password file and its storage in
// a temporary folder, for the synchronisation tests and benchmarks.
class RadicaleServer
{
public:
    // True when /usr/bin/radicale is installed (tests skip with status 77 otherwise).
    static bool installed();

    // With `tls`, it answers HTTPS only, with a certificate of its own that no system trusts.
    explicit RadicaleServer(bool tls = false);
    ~RadicaleServer();

    // Starts it (again, on the same port and storage); false when it does not answer.
    bool start();
    // Ends it at once (SIGKILL): connections in progress are cut.
    void kill();
    // Stops it (SIGSTOP) and lets it go on (SIGCONT): it accepts connections but answers nothing.
    void pause(bool paused);
    qint64 pid() const;

    QUrl root() const;        // http://127.0.0.1:PORT/
    QUrl addressBook() const; // the user's address book "contacts" (made by makeAddressBook)
    QString user() const { return QStringLiteral("alice"); }
    QString password() const { return QStringLiteral("secret-alice"); }
    QString storage() const; // the storage folder

private:
    QTemporaryDir m_dir;
    int m_port = 0;
    bool m_tls = false;
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
