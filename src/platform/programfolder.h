#pragma once

#include <QString>

// The files the program finds by their name. The first two are read-only data that come with
// the program; the others are the user's: the program writes them, or looks for them, beside
// itself (in CheminAppli).
enum class ProgramFile {
    StartupDatabase, // "Elvarine.mdb"
    Help,            // "Elvarine.HLP"
    AddressFile,     // "Elvarine.adb", the default address file
    PrintParams,     // "DEFAUT.PAR"
    SenderProfile,   // "DEFAUT.UTI"
    DialerSettings,  // "Telephon.cfg"
};

QString programFileName(ProgramFile file);
// True for the read-only data that come with the program.
bool isProgramData(ProgramFile file);
// Where `file` lives: in `dataFolder` for the program's read-only data, in `userFolder` (the
// program's CheminAppli) for the others. An empty data folder means the user folder (a
// portable copy keeps everything in one folder).
QString programFilePath(const QString& dataFolder, const QString& userFolder, ProgramFile file);

// The two folders of the program's files.
struct ProgramFolders {
    QString data;           // read-only data: Elvarine.mdb, Elvarine.HLP
    QString user;           // the user's files and the file dialogs' default folder
    bool installed = false; // false for a portable copy, where both are the executable's folder
};

// What decides where the files live, read from the running system.
struct ProgramFolderFacts {
    QString executableFolder;
    bool holdsStartupDatabase = false; // "Elvarine.mdb" is beside the executable
    bool writable = false;             // the executable's folder can be written
    QString xdgDataHome;               // $XDG_DATA_HOME as set (maybe empty or relative)
    QString home;                      // the user's home folder
};

// A portable copy (a build folder, a folder copied anywhere): the executable's folder holds
// "Elvarine.mdb" and can be written; it holds everything. Otherwise the program is installed:
// its read-only data are beside the executable when "Elvarine.mdb" is there, else in the
// install's data folder (`installDataFromBin`, relative to the executable's folder, e.g.
// "../share/elvarine"), and the user's files are in $XDG_DATA_HOME/Elvarine
// (~/.local/share/Elvarine when XDG_DATA_HOME is unset, empty or not absolute).
ProgramFolders locateProgramFolders(const ProgramFolderFacts& facts,
                                    const QString& installDataFromBin);
// The facts of this system for an executable in `executableFolder`.
ProgramFolderFacts programFolderFacts(const QString& executableFolder);
// The install's data folder relative to the folder of the installed executable.
QString installDataFromBin();

// Makes `folder` and its missing parents, readable by their owner only; true when it exists.
bool makeUserFolder(const QString& folder);

// Where the program's files live: the seam the windows and the command line ask.
class ProgramFolder
{
public:
    virtual ~ProgramFolder() = default;
    // The program's read-only data.
    virtual QString dataFolder() const = 0;
    // The files the program writes or looks for beside itself (CheminAppli).
    virtual QString userFolder() const = 0;
    QString filePath(ProgramFile file) const
    {
        return programFilePath(dataFolder(), userFolder(), file);
    }
};

// The folders of the running executable (portable or installed), decided once.
class ExecutableFolder : public ProgramFolder
{
public:
    ExecutableFolder();
    QString dataFolder() const override { return m_folders.data; }
    QString userFolder() const override { return m_folders.user; }
    bool installed() const { return m_folders.installed; }

private:
    ProgramFolders m_folders;
};

// Folders given in advance (tests, tools); one folder for both is a portable copy.
class FixedFolder : public ProgramFolder
{
public:
    explicit FixedFolder(QString path) : m_data(path), m_user(std::move(path)) {}
    FixedFolder(QString data, QString user) : m_data(std::move(data)), m_user(std::move(user)) {}
    QString dataFolder() const override { return m_data; }
    QString userFolder() const override { return m_user; }

private:
    QString m_data;
    QString m_user;
};
