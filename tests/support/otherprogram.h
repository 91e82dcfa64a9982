#pragma once

#include <QProcess>
#include <QString>

// A sqlite3 program working on `path` in the background: it runs `sql`, says it is ready and
// holds whatever lock it took for `seconds` before ending.
class OtherProgram
{
public:
    OtherProgram(const QString& path, const QString& sql, double seconds);
    ~OtherProgram();
    // True once the lock is held.
    bool waitUntilReady();
    // True when the program ended well.
    bool finish();

private:
    QString m_ready;
    QProcess m_process;
};
