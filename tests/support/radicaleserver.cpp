#include "radicaleserver.h"

#include "httpfront.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QXmlStreamReader>
#include <csignal>

namespace
{

const char kRadicale[] = "/usr/bin/radicale";
const char kXandikos[] = "/usr/bin/xandikos";

// Waits until `port` takes connections, or `process` ended.
bool answers(int port, QProcess& process)
{
    for (int i = 0; i < 200; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (socket.waitForConnected(100))
            return true;
        if (process.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(50);
    }
    return false;
}

void signal(QProcess* process, int number)
{
    if (process && process->state() != QProcess::NotRunning)
        ::kill(pid_t(process->processId()), number);
}

int freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

std::unique_ptr<DavTestServer> makeDavServer(DavServerKind kind)
{
    if (kind == DavServerKind::Radicale)
        return RadicaleServer::installed() ? std::make_unique<RadicaleServer>() : nullptr;
    if (!XandikosServer::installed())
        return nullptr;
    return std::make_unique<XandikosServer>(kind == DavServerKind::XandikosWithoutToken);
}

bool RadicaleServer::installed()
{
    return QFile::exists(QString::fromLatin1(kRadicale));
}

RadicaleServer::RadicaleServer(bool tls) : m_tls(tls)
{
    m_port = freePort();
    QString tlsConfig;
    if (tls) {
        const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        QProcess::execute(
            QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
             QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
             QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-days"), QStringLiteral("2"),
             QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert});
        tlsConfig = QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(cert, key);
    }
    QDir(m_dir.path()).mkpath(QStringLiteral("collections"));
    QFile users(m_dir.filePath(QStringLiteral("users")));
    if (users.open(QIODevice::WriteOnly))
        users.write((user() + QLatin1Char(':') + password() + QLatin1Char('\n')).toUtf8());
    QFile config(m_dir.filePath(QStringLiteral("config")));
    if (config.open(QIODevice::WriteOnly)) {
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%4"
                                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\n"
                                    "htpasswd_encryption = plain\ndelay = 0.01\n"
                                    "[storage]\nfilesystem_folder = %3\n"
                                    "[rights]\ntype = owner_only\n"
                                    "[web]\ntype = none\n"
                                    "[logging]\nlevel = warning\n")
                         .arg(m_port)
                         .arg(m_dir.filePath(QStringLiteral("users")), storage(), tlsConfig)
                         .toUtf8());
    }
}

RadicaleServer::~RadicaleServer()
{
    pause(false);
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(3000))
            kill();
    }
}

QString RadicaleServer::storage() const
{
    return m_dir.filePath(QStringLiteral("collections"));
}

bool RadicaleServer::start()
{
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->start(QString::fromLatin1(kRadicale),
                     {QStringLiteral("--config"), m_dir.filePath(QStringLiteral("config"))});
    return m_process->waitForStarted(5000) && answers(m_port, *m_process);
}

void RadicaleServer::kill()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    signal(m_process.get(), SIGKILL);
    m_process->waitForFinished(5000);
}

void RadicaleServer::pause(bool paused)
{
    signal(m_process.get(), paused ? SIGSTOP : SIGCONT);
}

qint64 RadicaleServer::pid() const
{
    return m_process ? m_process->processId() : 0;
}

QUrl RadicaleServer::root() const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/")
                    .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
                    .arg(m_port));
}

QUrl RadicaleServer::addressBook() const
{
    return addressBook(QStringLiteral("contacts"));
}

QUrl RadicaleServer::addressBook(const QString& name) const
{
    return root().resolved(QUrl(user() + QLatin1Char('/') + name + QLatin1Char('/')));
}

// ---------------------------------------------------------------------------- XandikosServer

bool XandikosServer::installed()
{
    return QFile::exists(QString::fromLatin1(kXandikos));
}

XandikosServer::XandikosServer(bool withoutToken) : m_withoutToken(withoutToken)
{
    m_port = freePort();
    m_front = std::make_unique<HttpFront>(HttpFront::basicAuth(user(), password(), withoutToken),
                                          direct());
}

XandikosServer::~XandikosServer()
{
    pause(false);
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(3000))
            kill();
    }
    m_front.reset();
}

QString XandikosServer::name() const
{
    return m_withoutToken ? QStringLiteral("xandikos sans jeton") : QStringLiteral("xandikos");
}

bool XandikosServer::start()
{
    m_process = std::make_unique<QProcess>();
    m_process->setStandardOutputFile(QProcess::nullDevice());
    // Its access log goes to the error channel: left out.
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->start(QString::fromLatin1(kXandikos),
                     {QStringLiteral("-d"), m_dir.filePath(QStringLiteral("dav")),
                      QStringLiteral("-l"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                      QString::number(m_port), QStringLiteral("--autocreate")});
    return m_process->waitForStarted(5000) && answers(m_port, *m_process);
}

void XandikosServer::kill()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    signal(m_process.get(), SIGKILL);
    m_process->waitForFinished(5000);
}

void XandikosServer::pause(bool paused)
{
    signal(m_process.get(), paused ? SIGSTOP : SIGCONT);
}

qint64 XandikosServer::pid() const
{
    return m_process ? m_process->processId() : 0;
}

QUrl XandikosServer::root() const
{
    return m_front->root();
}

QUrl XandikosServer::direct() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port));
}

QString XandikosServer::folder(const QString& name) const
{
    return m_dir.filePath(QStringLiteral("dav/user/contacts/") + name);
}

QUrl XandikosServer::addressBook() const
{
    return addressBook(QStringLiteral("contacts"));
}

QUrl XandikosServer::addressBook(const QString& name) const
{
    // The principal is /user/, its address books in /user/contacts/.
    return root().resolved(QUrl(QStringLiteral("user/contacts/") + name + QLatin1Char('/')));
}

// ---------------------------------------------------------------------------- CardClient

CardClient::CardClient(const QUrl&, const QString& user, const QString& password)
{
    m_auth = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

CardClient::Answer CardClient::request(const QByteArray& verb, const QUrl& url,
                                       const QByteArray& body,
                                       const QList<QPair<QByteArray, QByteArray>>& headers)
{
    QNetworkRequest r(url);
    r.setRawHeader("Authorization", m_auth);
    if (body.startsWith("<?xml"))
        r.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    for (const auto& [name, value] : headers)
        r.setRawHeader(name, value);
    QNetworkReply* reply = m_manager.sendCustomRequest(r, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(m_timeoutMs, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    if (!reply->isFinished())
        reply->abort(); // no answer in time: status 0
    Answer a;
    a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    a.body = reply->readAll();
    a.etag = reply->rawHeader("ETag");
    reply->deleteLater();
    return a;
}

bool CardClient::makeAddressBook(const QUrl& book)
{
    const QByteArray body =
        "<?xml version=\"1.0\"?><mkcol xmlns=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><set><prop><resourcetype><collection/>"
        "<C:addressbook/></resourcetype><displayname>Contacts</displayname></prop></set>"
        "</mkcol>";
    return request("MKCOL", book, body).status == 201;
}

QByteArray CardClient::putCard(const QUrl& book, const QString& name, const QByteArray& card)
{
    return request("PUT", book.resolved(QUrl(name)), card,
                   {{"Content-Type", "text/vcard; charset=utf-8"}})
        .etag;
}

QByteArray CardClient::getCard(const QUrl& book, const QString& name, int* status)
{
    const Answer a = request("GET", book.resolved(QUrl(name)));
    if (status)
        *status = a.status;
    return a.status == 200 ? a.body : QByteArray();
}

int CardClient::deleteCard(const QUrl& book, const QString& name)
{
    return request("DELETE", book.resolved(QUrl(name))).status;
}

QMap<QString, QByteArray> CardClient::cards(const QUrl& book)
{
    const QByteArray query =
        "<?xml version=\"1.0\"?><C:addressbook-query xmlns=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><prop><getetag/><C:address-data/></prop>"
        "</C:addressbook-query>";
    const Answer a = request("REPORT", book, query, {{"Depth", "1"}});
    QMap<QString, QByteArray> out;
    QXmlStreamReader xml(a.body);
    QString href;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("href"))
            href = xml.readElementText();
        else if (xml.name() == QLatin1String("address-data")) {
            const QString name = href.mid(href.lastIndexOf(QLatin1Char('/')) + 1);
            if (name.isEmpty())
                continue; // the address book itself
            out.insert(QUrl::fromPercentEncoding(name.toUtf8()), xml.readElementText().toUtf8());
        }
    }
    return out;
}
