#pragma once

#include "addressfiles.h"
#include "contacts/contact.h"
#include "core/recordengine.h"
#include "radicaleserver.h"
#include "sync/cardtext.h"
#include "sync/qtdavclient.h"
#include "sync/syncengine.h"
#include "sync/syncstore.h"

#include <QTemporaryDir>
#include <QTest>

// A test main that skips (status 77) where radicale is not installed.
#define SYNC_TEST_MAIN(TestClass, AppClass)                                                        \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        if (!RadicaleServer::installed()) {                                                        \
            fprintf(stderr, "radicale is not installed: skipped\n");                               \
            return 77;                                                                             \
        }                                                                                          \
        AppClass app(argc, argv);                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass tc;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

// A vCard 3.0 card with UID `uid`, name `nom` `prenom`, and `more` lines (CR LF ended).
inline QByteArray vcard(const QString& uid, const QString& nom, const QString& prenom,
                        const QByteArray& more = {})
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() +
           "\r\nFN:" + (prenom + QLatin1Char(' ') + nom).toUtf8() + "\r\nN:" + nom.toUtf8() + ';' +
           prenom.toUtf8() + ";;;\r\n" + more + "END:VCARD\r\n";
}

// A CardDAV server (radicale unless told) with the user's address book, a phone that writes to
// it, and an address file linked to it.
struct SyncFixture {
    explicit SyncFixture(DavServerKind kind = DavServerKind::Radicale)
        : owned(makeDavServer(kind)), server(owned ? *owned : fallback)
    {
    }
    // Whether the server's program is installed (the test skips otherwise).
    bool available() const { return bool(owned); }

    std::unique_ptr<DavTestServer> owned;
    RadicaleServer fallback;
    DavTestServer& server;
    CardClient phone{server.root(), server.user(), server.password()};
    QTemporaryDir dir;
    QString file;
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;

    // Starts the server, makes the address book and an address file holding `rows`, linked to
    // the address book.
    bool setUp(const QList<QVariantList>& rows)
    {
        if (!owned || !server.start() || !phone.makeAddressBook(server.addressBook()))
            return false;
        file = dir.filePath(QStringLiteral("carnet.adb"));
        makeAddressFile(file, rows);
        open();
        SyncSettings s;
        s.server = server.root().toString();
        s.user = server.user();
        s.collection = server.addressBook().toString();
        s.collectionName = QStringLiteral("Contacts");
        SyncStore(db->sql()).saveSettings(s);
        return true;
    }
    void open()
    {
        db = Database::OpenDatabase(file);
        rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    }
    // Links the file to the address book at `url` instead.
    void relink(const QUrl& url)
    {
        SyncStore store(db->sql());
        SyncSettings s = store.loadSettings();
        s.collection = url.toString();
        store.saveSettings(s);
    }
    void close()
    {
        rs.reset();
        db.reset();
    }
    SyncSummary sync(const QString& password = QString(), const SyncOptions& options = {},
                     int timeoutMs = 30000)
    {
        QtDavClient client(server.user(), password.isNull() ? server.password() : password);
        client.setTimeoutMs(timeoutMs);
        SyncStore store(db->sql());
        SyncEngine engine(*rs, store, client, options);
        return engine.run(store.loadSettings());
    }
    // The records as "Nom|Prénom|Téléphone|E-mail|Ville" in stored order.
    QStringList records()
    {
        QStringList out;
        rs->readNumberedRows([&out](qint64, RowValues& row) {
            const Contact c = contactOfRow(row);
            out << QStringList{c[Field::Nom], c[Field::Prenom], c[Field::Telephone],
                               c[Field::Email], c[Field::Ville]}
                       .join(QLatin1Char('|'));
        });
        return out;
    }
    // The server's cards as the same lines, sorted.
    QStringList serverRecords()
    {
        QStringList out;
        for (const QByteArray& text : phone.cards(server.addressBook())) {
            const Contact c = readCard(text).contact;
            out << QStringList{c[Field::Nom], c[Field::Prenom], c[Field::Telephone],
                               c[Field::Email], c[Field::Ville]}
                       .join(QLatin1Char('|'));
        }
        out.sort();
        return out;
    }
    // The card of the server whose text contains `text` (name -> card); empty when none.
    QPair<QString, QByteArray> serverCard(const QByteArray& text)
    {
        const QMap<QString, QByteArray> cards = phone.cards(server.addressBook());
        for (auto it = cards.cbegin(); it != cards.cend(); ++it) {
            if (it.value().contains(text))
                return {it.key(), it.value()};
        }
        return {};
    }
};

// One data row per server kind; the test then builds its fixture with SERVER_FIXTURE.
inline void serverRows(std::initializer_list<DavServerKind> kinds = {
                           DavServerKind::Radicale, DavServerKind::Xandikos,
                           DavServerKind::XandikosWithoutToken})
{
    QTest::addColumn<int>("serverKind");
    for (DavServerKind kind : kinds) {
        const char* name = kind == DavServerKind::Radicale   ? "radicale"
                           : kind == DavServerKind::Xandikos ? "xandikos"
                                                             : "xandikos sans jeton";
        QTest::newRow(name) << int(kind);
    }
}
#define SERVER_FIXTURE(f)                                                                          \
    QFETCH(int, serverKind);                                                                       \
    SyncFixture f{DavServerKind(serverKind)};                                                      \
    if (!f.available())                                                                            \
        QSKIP("this server is not installed (scripts/install-deps.sh installs it)");

inline QString counts(const SyncSummary& s)
{
    return QStringLiteral("sent %1/%2/%3 received %4/%5/%6")
        .arg(s.sentNew)
        .arg(s.sentChanged)
        .arg(s.sentDeleted)
        .arg(s.receivedNew)
        .arg(s.receivedChanged)
        .arg(s.receivedDeleted);
}
