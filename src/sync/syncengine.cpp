#include "sync/syncrun.h"

#include <QUuid>

namespace syncrun
{

QString nameOf(const Contact& c)
{
    const QString name = contactName(c);
    if (!name.isEmpty())
        return name;
    const QString company = c[Field::Societe].trimmed();
    return company.isEmpty() ? QStringLiteral("(fiche sans nom)") : company;
}

QString newUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace syncrun

bool SyncSummary::needsReport() const
{
    return !conflicts.isEmpty() || !restored.isEmpty() || !cut.isEmpty() || !unreadable.isEmpty() ||
           !error.isEmpty() || postponed > 0 || outside > 0;
}

QString SyncSummary::text() const
{
    QString t;
    t += QStringLiteral("Synchronisation de « %1 » avec le carnet « %2 »").arg(file, collection);
    if (cancelled)
        t += QStringLiteral(" : annulée en cours de route.\n");
    else if (!error.isEmpty())
        t += QStringLiteral(" : interrompue.\n");
    else
        t += QStringLiteral(" : terminée.\n");
    t += QStringLiteral("Envoyé au serveur : %1 nouvelle(s) fiche(s), %2 modifiée(s), %3 "
                        "supprimée(s).\n")
             .arg(sentNew)
             .arg(sentChanged)
             .arg(sentDeleted);
    t += QStringLiteral("Reçu du serveur : %1 nouvelle(s) fiche(s), %2 modifiée(s), %3 "
                        "supprimée(s).\n")
             .arg(receivedNew)
             .arg(receivedChanged)
             .arg(receivedDeleted);
    const auto list = [&t](const QString& title, const QStringList& names) {
        if (names.isEmpty())
            return;
        t += QLatin1Char('\n') + title + QLatin1Char('\n');
        for (const QString& n : names)
            t += QStringLiteral("  - ") + n + QLatin1Char('\n');
    };
    list(QStringLiteral("Fiches modifiées des deux côtés depuis la dernière synchronisation : les "
                        "deux versions sont gardées. La fiche porte la version du serveur, la "
                        "version de ce fichier est dans une nouvelle fiche du même nom :"),
         conflicts);
    list(QStringLiteral("Fiches supprimées d'un côté et modifiées de l'autre : elles sont "
                        "gardées et remises là où elles avaient été supprimées :"),
         restored);
    list(QStringLiteral("Valeurs raccourcies pour tenir dans les champs de la fiche (le serveur "
                        "garde la valeur entière tant que le champ n'est pas modifié ici) :"),
         cut);
    list(QStringLiteral("Cartes illisibles, laissées telles quelles sur le serveur :"), unreadable);
    if (outside > 0)
        t += QStringLiteral("\n%1 adresse(s) donnée(s) par le serveur mènent hors du carnet "
                            "d'adresses : elles sont ignorées.\n")
                 .arg(outside);
    if (postponed > 0)
        t += QStringLiteral("\n%1 fiche(s) ont changé pendant la synchronisation : elles seront "
                            "traitées à la prochaine.\n")
                 .arg(postponed);
    if (!error.isEmpty())
        t += QLatin1Char('\n') + error + QLatin1Char('\n') +
             QStringLiteral("Ce qui a été fait est gardé ; la prochaine synchronisation reprendra "
                            "là où celle-ci s'est arrêtée.\n");
    if (cancelled && error.isEmpty())
        t += QStringLiteral("\nCe qui a été fait est gardé ; la prochaine synchronisation "
                            "reprendra là où celle-ci s'est arrêtée.\n");
    return t;
}

Contact SyncEngine::Run::fitted(const Contact& c, bool* cut) const
{
    Contact out = c;
    for (int i = 0; i < kColumnCount; ++i) {
        QString& v = out[size_t(i)];
        if (isEmptyValue(v)) {
            v = QString();
            continue;
        }
        v = withLfLineBreaks(v);
        const int size = rs.columnSize(i);
        if (v.size() > size) {
            qsizetype keep = size;
            if (keep > 0 && v[keep - 1].isHighSurrogate())
                --keep;
            v.truncate(keep);
            if (cut)
                *cut = true;
        }
    }
    return out;
}

bool SyncEngine::Run::step()
{
    ++done;
    if (done > total)
        total = done;
    if (opt.progress && !cancel && !opt.progress(done, total))
        cancel = true;
    return !cancel;
}

void SyncEngine::Run::fail(const QString& text)
{
    if (summary.error.isEmpty())
        summary.error = text;
}

void SyncEngine::Run::count(Count c)
{
    // In the order of Count, after None.
    static constexpr int SyncSummary::*counters[] = {
        &SyncSummary::sentNew,     &SyncSummary::sentChanged,     &SyncSummary::sentDeleted,
        &SyncSummary::receivedNew, &SyncSummary::receivedChanged, &SyncSummary::receivedDeleted};
    if (c != Count::None)
        ++(summary.*counters[int(c) - 1]);
}

SyncSummary SyncEngine::Run::go()
{
    collectionUrl = QUrl(settings.collection);
    if (!collectionUrl.path().endsWith(QLatin1Char('/')))
        collectionUrl.setPath(collectionUrl.path() + QLatin1Char('/'));
    collectionPath = collectionUrl.path(QUrl::FullyDecoded);
    summary.collection =
        settings.collectionName.isEmpty() ? settings.collection : settings.collectionName;
    if (!settings.configured() || !collectionUrl.isValid() || collectionUrl.host().isEmpty()) {
        fail(QStringLiteral("Aucun carnet d'adresses n'est choisi pour ce fichier : "
                            "choisissez-le dans « Synchronisation... »."));
        return summary;
    }
    // "Annuler" answers while an answer is awaited, not only between two.
    client.setCancelCheck([this] {
        if (!cancel && opt.progress && !opt.progress(done, total))
            cancel = true;
        return cancel;
    });
    // The password goes to the address book's server only.
    client.setOrigin(collectionUrl);
    try {
        readLocal();
        pairLocal();
        if (!listServer())
            return finishRun();
        if (present.size() > size_t(opt.maxMembers)) {
            fail(QStringLiteral("Le carnet d'adresses « %1 » du serveur %2 compte %3 cartes : une "
                                "synchronisation en accepte au plus %4. Rien n'a été changé.")
                     .arg(summary.collection, collectionUrl.host())
                     .arg(present.size())
                     .arg(opt.maxMembers));
            return finishRun();
        }
        // What to fetch: cards new or changed on the server (among them those a run that
        // stopped sent without hearing the answer), and the cards of the records changed here
        // (their properties are kept when the change is sent).
        QStringList paths;
        for (const auto& [p, etag] : present) {
            const int s = stateByPath.value(p, -1);
            if (s < 0 || etag.isEmpty() || states[size_t(s)].etag != etag)
                paths << p;
        }
        QSet<QString> wanted(paths.begin(), paths.end());
        for (size_t s = 0; s < states.size(); ++s) {
            const QString& href = states[s].href;
            if (statusOf(int(s)) == LocalStatus::Changed && !wanted.contains(href) &&
                !removed.contains(href) && !(fullListing && !present.count(href))) {
                paths << href;
                wanted.insert(href);
            }
        }
        total = paths.size() + 1;
        if (!paths.isEmpty() && !fetch(paths))
            return finishRun();
        if (!settle())
            return finishRun();
        plan();
        total = done + qint64(localWrites.size() + remoteWrites.size()) + 1;
        if (!applyLocal(localWrites))
            return finishRun();
        if (!sendRemote(remoteWrites, localWrites))
            return finishRun();
        if (!retryRound())
            return finishRun();
    } catch (const EngineError& e) {
        fail(
            QStringLiteral("Le fichier d'adresses n'a pas pu être lu ou modifié : %1").arg(e.text));
    }
    return finishRun();
}

SyncSummary SyncEngine::Run::finishRun()
{
    summary.outside = int(outside.size());
    if (cancel && summary.error.isEmpty())
        summary.cancelled = true;
    if (summary.complete()) {
        // Everything the server's token covers is applied: the next run starts from it.
        tokenPastOwnWrites();
        try {
            store.begin();
            store.saveCollectionState(supportsSync ? newToken : QString(), newCtag);
            store.commit();
        } catch (const EngineError& e) {
            store.rollback();
            fail(QStringLiteral("Le fichier d'adresses n'a pas pu être modifié : %1").arg(e.text));
        }
    }
    try {
        rs.Requery();
    } catch (const EngineError&) {
        // The run is over and its summary says what it did; the record set keeps the rows it
        // had, and the next reading of the file says why it cannot be read.
    }
    client.setCancelCheck({});
    return summary;
}

// ---------------------------------------------------------------------------- SyncEngine

SyncEngine::SyncEngine(Recordset& records, SyncStore& store, DavClient& client, SyncOptions options)
    : m_records(records), m_store(store), m_client(client), m_options(std::move(options))
{
}

SyncEngine::~SyncEngine() = default;

SyncSummary SyncEngine::run(const SyncSettings& settings)
{
    Run run(*this, settings);
    return run.go();
}
