#include "platform/desktopservices.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

bool QtDesktopServices::openUrl(const QUrl& url)
{
    // Made on the heap: an opener still running when the wait ends must not be killed with it.
    auto* opener = new QProcess;
    opener->setProgram(QStringLiteral("xdg-open"));
    opener->setArguments({QString::fromUtf8(url.toEncoded())});
    // No pipes: the program the opener starts may outlive this process's interest in it.
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setStandardInputFile(QProcess::nullDevice());

    QEventLoop loop;
    QObject::connect(opener, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(opener, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer::singleShot(m_waitMs, &loop, &QEventLoop::quit);
    opener->start();
    if (opener->state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (opener->state() != QProcess::NotRunning) {
        QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
        return true;
    }
    const bool handed = opener->error() != QProcess::FailedToStart &&
                        opener->exitStatus() == QProcess::NormalExit && opener->exitCode() == 0;
    delete opener;
    return handed;
}

bool QtDesktopServices::startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}
