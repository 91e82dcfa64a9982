#include "sync/synccommandline.h"

#include "core/dosshell.h"
#include "core/recordengine.h"
#include "platform/passwordstore.h"
#include "platform/servicesmodule.h"
#include "sync/davclient.h"
#include "sync/discovery.h"
#include "sync/syncengine.h"
#include "sync/syncstore.h"

#include <QTextStream>

namespace
{

// The password of the account at `key`: ELVARINE_PASSWORD when set, else the keyring's.
std::optional<QString> commandPassword(PasswordStore& passwords, const QString& key,
                                       QTextStream& err)
{
    if (qEnvironmentVariableIsSet("ELVARINE_PASSWORD"))
        return qEnvironmentVariable("ELVARINE_PASSWORD");
    QString why;
    const std::optional<QString> kept = passwords.readPassword(key, &why);
    if (!kept)
        err << QStringLiteral("Aucun mot de passe pour %1 : le trousseau du bureau n'en garde "
                              "pas%2. Donnez-le dans la variable d'environnement "
                              "ELVARINE_PASSWORD.\n")
                   .arg(key, why.isEmpty() ? QString() : QStringLiteral(" (") + why + ')');
    return kept;
}

QString lastPart(const QString& url)
{
    QString path = QUrl(url).path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

int runSyncCommand(const QString& addressFile, QTextStream& out, QTextStream& err)
{
    const auto keyring = moduleKeyring();
    const auto davClients = moduleDavClients();
    return runSyncCommand(addressFile, out, err, *keyring, *davClients);
}

int runSyncCommand(const QString& addressFile, QTextStream& out, QTextStream& err,
                   PasswordStore& passwords, DavClientFactory& davClients)
{
    if (!FichierExiste(addressFile)) {
        err << QStringLiteral("Le fichier d'adresses « %1 » est introuvable.\n").arg(addressFile);
        return 1;
    }
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;
    SyncSettings settings;
    try {
        db = Database::OpenDatabase(addressFile);
        rs = db->OpenRecordset(QString::fromUtf16(kTableName));
        settings = SyncStore(db->sql()).loadSettings();
    } catch (const EngineError& e) {
        err << QStringLiteral("Le fichier « %1 » n'est pas un fichier d'adresses valide.\n%2\n")
                   .arg(addressFile, e.text);
        return 1;
    }
    if (!settings.configured()) {
        err << QStringLiteral("Le fichier « %1 » n'est relié à aucun carnet d'adresses : "
                              "choisissez-le d'abord dans Elvarine, menu Fichier, "
                              "« Synchronisation... ».\n")
                   .arg(addressFile);
        return 1;
    }
    const std::optional<QString> password =
        commandPassword(passwords, passwordKey(settings.user, settings.collection), err);
    if (!password)
        return 1;
    QString why;
    const std::unique_ptr<DavClient> client =
        makeDavClient(&davClients, settings.user, *password, &why);
    if (!client) {
        err << why << '\n';
        return 1;
    }
    SyncStore store(db->sql());
    SyncEngine engine(*rs, store, *client);
    SyncSummary summary = engine.run(settings);
    summary.file = addressFile;
    out << summary.text();
    out.flush();
    if (!summary.error.isEmpty()) {
        err << summary.error << '\n';
        return 1;
    }
    return 0;
}

int runSyncSetupCommand(const QString& server, const QString& user, const QString& book,
                        const QString& addressFile, QTextStream& out, QTextStream& err)
{
    const auto keyring = moduleKeyring();
    const auto davClients = moduleDavClients();
    return runSyncSetupCommand(server, user, book, addressFile, out, err, *keyring, *davClients);
}

int runSyncSetupCommand(const QString& server, const QString& user, const QString& book,
                        const QString& addressFile, QTextStream& out, QTextStream& err,
                        PasswordStore& passwords, DavClientFactory& davClients)
{
    const QUrl url = serverUrl(server);
    if (url.isEmpty()) {
        err << QStringLiteral("L'adresse du serveur « %1 » n'est pas valide : elle s'écrit par "
                              "exemple https://exemple.fr/ ou https://exemple.fr/carnets/.\n")
                   .arg(server);
        return 2;
    }
    if (!FichierExiste(addressFile)) {
        err << QStringLiteral("Le fichier d'adresses « %1 » est introuvable.\n").arg(addressFile);
        return 1;
    }
    std::unique_ptr<Database> db;
    try {
        db = Database::OpenDatabase(addressFile);
        const std::unique_ptr<Recordset> rs = db->OpenRecordset(QString::fromUtf16(kTableName));
    } catch (const EngineError& e) {
        err << QStringLiteral("Le fichier « %1 » n'est pas un fichier d'adresses valide.\n%2\n")
                   .arg(addressFile, e.text);
        return 1;
    }
    const std::optional<QString> password =
        commandPassword(passwords, passwordKey(user, url.toString()), err);
    if (!password)
        return 1;
    QString why;
    const std::unique_ptr<DavClient> client = makeDavClient(&davClients, user, *password, &why);
    if (!client) {
        err << why << '\n';
        return 1;
    }
    client->setOrigin(url);
    const DiscoveryResult found = discoverAddressBooks(*client, url);
    if (!found.error.isEmpty() || found.books.empty()) {
        err << found.error << '\n';
        return 1;
    }
    std::vector<AddressBook> chosen;
    for (const AddressBook& b : found.books) {
        if (book.isEmpty() || b.name.compare(book, Qt::CaseInsensitive) == 0 || b.url == book ||
            lastPart(b.url) == book)
            chosen.push_back(b);
    }
    if (chosen.size() != 1) {
        if (book.isEmpty())
            err << QStringLiteral("Le serveur %1 propose %2 carnets d'adresses : choisissez-en "
                                  "un avec --book NOM.\n")
                       .arg(url.host())
                       .arg(found.books.size());
        else
            err << QStringLiteral("Aucun carnet d'adresses du serveur %1 ne s'appelle « %2 » : "
                                  "choisissez-en un avec --book NOM.\n")
                       .arg(url.host(), book);
        for (const AddressBook& b : found.books)
            out << b.name << '\t' << b.url << '\n';
        return 2;
    }
    try {
        SyncStore store(db->sql());
        const SyncSettings before = store.loadSettings();
        SyncSettings after = before;
        after.server = server.trimmed();
        after.user = user;
        after.collection = chosen.front().url;
        after.collectionName = chosen.front().name;
        if (after.collection != before.collection) {
            // Another address book starts afresh: every record is matched again.
            store.clearState();
            after.syncToken.clear();
            after.ctag.clear();
        }
        store.saveSettings(after);
    } catch (const EngineError& e) {
        err << QStringLiteral("Les réglages n'ont pas pu être enregistrés dans le fichier "
                              "d'adresses « %1 ».\n%2\n")
                   .arg(addressFile, e.text);
        return 1;
    }
    out << QStringLiteral("Le fichier « %1 » est relié au carnet « %2 » (%3) ; « Elvarine --sync "
                          "%1 » le synchronise.\n")
               .arg(addressFile, chosen.front().name, chosen.front().url);
    return 0;
}
