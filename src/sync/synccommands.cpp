#include "sync/synccommands.h"

#include "contacts/contactsprogress.h"
#include "core/appstate.h"
#include "core/recordbinding.h"
#include "core/services.h"
#include "platform/dialogs.h"
#include "platform/passwordstore.h"
#include "sync/davclient.h"
#include "sync/discovery.h"
#include "sync/passwordprompt.h"
#include "sync/syncengine.h"
#include "sync/syncreportdialog.h"
#include "sync/syncsettingsdialog.h"
#include "sync/syncstore.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <optional>

namespace
{

const QString kSettingsTitle = QStringLiteral("Synchronisation");
const QString kSyncTitle = QStringLiteral("Synchroniser maintenant");

QString boxText(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return text;
}

bool fileOpen(AppState& state, RecordBinding& data1)
{
    return state.FicAnOuvre == 1 && data1.hasRecordset() && data1.database();
}

// The password of the account: from the keyring (read under the progress window), else asked
// (and kept when the user says so). Nothing when the user gave up.
std::optional<QString> accountPassword(Services& services, const SyncSettings& settings,
                                       ContactsProgress& progress)
{
    const QString key = passwordKey(settings.user, settings.collection);
    if (services.passwords) {
        if (auto kept = readKeptPassword(*services.passwords, key, progress))
            return kept;
        if (progress.cancelled())
            return std::nullopt;
    }
    PasswordPrompt prompt(settings.user, QUrl(settings.collection).host(), progress.dialog());
    if (prompt.exec() != QDialog::Accepted)
        return std::nullopt;
    if (prompt.keep() && services.passwords) {
        QString why;
        services.passwords->setWaitCancel([&progress] { return progress.cancelled(); });
        const bool kept = services.passwords->writePassword(key, prompt.password(), &why);
        services.passwords->setWaitCancel({});
        if (!kept && !progress.cancelled())
            services.dialogs->msgBox(QStringLiteral("Le mot de passe n'a pas pu être gardé : "
                                                    "%1\rIl sera demandé à chaque "
                                                    "synchronisation.")
                                         .arg(why),
                                     vbExclamation, kSyncTitle);
    }
    return prompt.password();
}

bool run(AppState& state, Services& services, RecordBinding& data1, QWidget* parent,
         const std::function<void()>& cmdRefresh, bool atOpening)
{
    if (!fileOpen(state, data1) || state.sync.running)
        return false;
    SyncStore store(data1.database()->sql());
    SyncSettings settings;
    try {
        settings = store.loadSettings();
    } catch (const EngineError& e) {
        services.dialogs->msgBox(boxText(e.text), vbCritical, QStringLiteral("Erreur"));
        return false;
    }
    if (!settings.configured()) {
        if (!atOpening)
            services.dialogs->msgBox(QStringLiteral("Ce fichier d'adresses n'est relié à aucun "
                                                    "carnet d'adresses : choisissez-le d'abord "
                                                    "dans « Synchronisation... »."),
                                     vbExclamation, kSyncTitle);
        return false;
    }
    if (atOpening && !settings.atOpening)
        return false;

    // From the keyring's answer to the server's last one, the progress window is modal and
    // shown: the user's commands cannot open, close or change the file under the run.
    state.sync.running = true;
    SyncSummary summary;
    bool ran = false;
    QString failure; // the synchronisation could not start
    {
        const QString label = QStringLiteral("Synchronisation avec le carnet « %1 »...")
                                  .arg(settings.collectionName.isEmpty() ? settings.collection
                                                                         : settings.collectionName);
        ContactsProgress progress(label, parent, 0);
        progress.showNow();
        const std::optional<QString> password = accountPassword(services, settings, progress);
        if (password) {
            progress.setLabel(label);
            const std::unique_ptr<DavClient> client =
                makeDavClient(services.davClients, settings.user, *password, &failure);
            if (client) {
                client->setTimeoutMs(state.sync.timeoutMs);
                SyncOptions options;
                options.progress = progress.progress();
                SyncEngine engine(data1.recordset(), store, *client, options);
                summary = engine.run(settings);
                ran = true;
            }
        }
    }
    state.sync.running = false;
    if (!failure.isEmpty())
        services.dialogs->msgBox(boxText(failure), vbExclamation, kSyncTitle);
    if (!ran)
        return false;
    summary.file = QFileInfo(data1.DatabaseName).fileName();
    if (cmdRefresh)
        cmdRefresh();
    if (summary.needsReport() || summary.cancelled) {
        SyncReportDialog report(summary.text(), parent);
        report.exec();
    } else if (!atOpening) {
        services.dialogs->msgBox(boxText(summary.text().trimmed()), vbInformation, kSyncTitle);
    }
    return summary.error.isEmpty() && !summary.cancelled;
}

} // namespace

bool openSyncSettings(AppState& state, Services& services, RecordBinding& data1, QWidget* parent)
{
    if (!fileOpen(state, data1))
        return false;
    SyncStore store(data1.database()->sql());
    try {
        const SyncSettings before = store.loadSettings();
        SyncSettingsDialog window(before, services.passwords, services.davClients,
                                  *services.dialogs, state.sync.timeoutMs, parent);
        if (window.exec() != QDialog::Accepted)
            return false;
        const SyncSettings after = window.settings();
        if (after.collection != before.collection)
            store.clearState();
        store.saveSettings(after);
    } catch (const EngineError& e) {
        services.dialogs->msgBox(boxText(QStringLiteral("Les réglages n'ont pas pu être "
                                                        "enregistrés dans le fichier "
                                                        "d'adresses.\n%1")
                                             .arg(e.text)),
                                 vbCritical, QStringLiteral("Erreur"));
        return false;
    }
    return true;
}

bool synchroniseNow(AppState& state, Services& services, RecordBinding& data1, QWidget* parent,
                    const std::function<void()>& cmdRefresh)
{
    return run(state, services, data1, parent, cmdRefresh, false);
}

void synchroniseAtOpening(AppState& state, Services& services, RecordBinding& data1,
                          QWidget* parent, const std::function<void()>& cmdRefresh)
{
    run(state, services, data1, parent, cmdRefresh, true);
}
