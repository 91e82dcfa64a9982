#include "platform/keyringpasswordstore.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace
{

const QString kService = QStringLiteral("Elvarine");
// A keyring that asks the user to unlock it may take a while; one that never answers is given
// up after this.
constexpr int kKeyringWaitMs = 120000;

// Runs `job` to its end while processing events (the caller shows a modal window meanwhile);
// false when it did not finish in time or the wait was cancelled.
bool runJob(QKeychain::Job& job, const std::function<bool()>& cancelled)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false); // never a plain file
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(kKeyringWaitMs, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (cancelled && cancelled())
            loop.quit();
    });
    poll.start(100);
    job.start();
    if (!finished)
        loop.exec();
    return finished;
}

QString keyringFailure(const QKeychain::Job& job, bool finished)
{
    if (!finished)
        return QStringLiteral("le trousseau du bureau ne répond pas.");
    return QStringLiteral("le trousseau du bureau n'est pas disponible (%1).")
        .arg(job.errorString());
}

} // namespace

std::optional<QString> KeyringPasswordStore::readPassword(const QString& key, QString* why)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    const bool finished = runJob(job, m_waitCancel);
    if (finished && job.error() == QKeychain::NoError)
        return job.textData();
    if (why && !(finished && job.error() == QKeychain::EntryNotFound))
        *why = keyringFailure(job, finished);
    return std::nullopt;
}

bool KeyringPasswordStore::writePassword(const QString& key, const QString& password, QString* why)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setTextData(password);
    const bool finished = runJob(job, m_waitCancel);
    if (finished && job.error() == QKeychain::NoError)
        return true;
    if (why)
        *why = keyringFailure(job, finished);
    return false;
}

void KeyringPasswordStore::removePassword(const QString& key)
{
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(key);
    runJob(job, m_waitCancel);
}
