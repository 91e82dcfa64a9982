#include "sync/synccommandline.h"

#include "core/dosshell.h"
#include "core/recordengine.h"
#include "platform/passwordstore.h"
#include "sync/davclient.h"
#include "sync/discovery.h"
#include "sync/syncengine.h"
#include "sync/syncstore.h"

#include <QTextStream>

int runSyncCommand(const QString& addressFile, QTextStream& out, QTextStream& err)
{
    KeyringPasswordStore keyring;
    return runSyncCommand(addressFile, out, err, keyring);
}

int runSyncCommand(const QString& addressFile, QTextStream& out, QTextStream& err,
                   PasswordStore& passwords)
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
    QString password = qEnvironmentVariable("ELVARINE_PASSWORD");
    if (!qEnvironmentVariableIsSet("ELVARINE_PASSWORD")) {
        QString why;
        const std::optional<QString> kept =
            passwords.readPassword(passwordKey(settings.user, settings.collection), &why);
        if (!kept) {
            err << QStringLiteral("Aucun mot de passe pour %1 : le trousseau du bureau n'en "
                                  "garde pas%2. Donnez-le dans la variable "
                                  "d'environnement ELVARINE_PASSWORD.\n")
                       .arg(passwordKey(settings.user, settings.collection),
                            why.isEmpty() ? QString() : QStringLiteral(" (") + why + ')');
            return 1;
        }
        password = *kept;
    }
    DavClient client(settings.user, password);
    SyncStore store(db->sql());
    SyncEngine engine(*rs, store, client);
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
