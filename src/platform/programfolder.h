#pragma once

#include <QString>

// The program's own folder, where its start-up database, default files and help live.
class ProgramFolder
{
public:
    virtual ~ProgramFolder() = default;
    virtual QString path() const = 0;
};

// The folder of the running executable.
class ExecutableFolder : public ProgramFolder
{
public:
    QString path() const override;
};

// A folder given in advance (tests, tools).
class FixedFolder : public ProgramFolder
{
public:
    explicit FixedFolder(QString path) : m_path(std::move(path)) {}
    QString path() const override { return m_path; }

private:
    QString m_path;
};
