#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef ELVARINE_DATA_FROM_BIN
#define ELVARINE_DATA_FROM_BIN "../share/elvarine"
#endif

namespace
{

QString inFolder(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

} // namespace

QString programFileName(ProgramFile file)
{
    switch (file) {
    case ProgramFile::StartupDatabase:
        return QStringLiteral("Elvarine.mdb");
    case ProgramFile::Help:
        return QStringLiteral("Elvarine.HLP");
    case ProgramFile::AddressFile:
        return QStringLiteral("Elvarine.adb");
    case ProgramFile::PrintParams:
        return QStringLiteral("DEFAUT.PAR");
    case ProgramFile::SenderProfile:
        return QStringLiteral("DEFAUT.UTI");
    case ProgramFile::DialerSettings:
        return QStringLiteral("Telephon.cfg");
    }
    return QString();
}

bool isProgramData(ProgramFile file)
{
    return file == ProgramFile::StartupDatabase || file == ProgramFile::Help;
}

QString programFilePath(const QString& dataFolder, const QString& userFolder, ProgramFile file)
{
    const QString& folder = isProgramData(file) && !dataFolder.isEmpty() ? dataFolder : userFolder;
    return inFolder(folder, programFileName(file));
}

ProgramFolders locateProgramFolders(const ProgramFolderFacts& facts,
                                    const QString& installDataFromBin)
{
    ProgramFolders folders;
    const QString exe = QDir::cleanPath(facts.executableFolder);
    if (facts.holdsStartupDatabase && facts.writable) {
        folders.data = exe;
        folders.user = exe;
        return folders;
    }
    folders.installed = true;
    folders.data =
        facts.holdsStartupDatabase ? exe : QDir::cleanPath(inFolder(exe, installDataFromBin));
    // The XDG base directory rules: an unset, empty or relative XDG_DATA_HOME is ignored.
    const QString dataHome = QDir::isAbsolutePath(facts.xdgDataHome)
                                 ? facts.xdgDataHome
                                 : inFolder(facts.home, QStringLiteral(".local/share"));
    folders.user = QDir::cleanPath(inFolder(dataHome, QStringLiteral("Elvarine")));
    return folders;
}

ProgramFolderFacts programFolderFacts(const QString& executableFolder)
{
    ProgramFolderFacts facts;
    facts.executableFolder = executableFolder;
    facts.holdsStartupDatabase =
        QFileInfo(inFolder(executableFolder, programFileName(ProgramFile::StartupDatabase)))
            .isFile();
    facts.writable = QFileInfo(executableFolder).isWritable();
    facts.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    facts.home = QDir::homePath();
    return facts;
}

QString installDataFromBin()
{
    return QStringLiteral(ELVARINE_DATA_FROM_BIN);
}

bool makeUserFolder(const QString& folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(clean).isDir())
        return true;
    // Each missing folder on the way is made private, as the XDG rules ask.
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path += QLatin1Char('/') + part;
        if (QFileInfo(path).isDir())
            continue;
        if (!QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return false;
    }
    return QFileInfo(clean).isDir();
}

ExecutableFolder::ExecutableFolder()
    : m_folders(locateProgramFolders(programFolderFacts(QCoreApplication::applicationDirPath()),
                                     installDataFromBin()))
{
}
