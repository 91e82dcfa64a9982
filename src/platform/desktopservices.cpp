#include "platform/desktopservices.h"

#include <QDesktopServices>
#include <QProcess>

bool QtDesktopServices::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool QtDesktopServices::startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}
