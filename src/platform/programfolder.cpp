#include "platform/programfolder.h"

#include <QCoreApplication>

QString ExecutableFolder::path() const
{
    return QCoreApplication::applicationDirPath();
}
