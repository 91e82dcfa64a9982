#include "otherprogram.h"

#include <QFile>
#include <QTest>

OtherProgram::OtherProgram(const QString& path, const QString& sql, double seconds)
    : m_ready(path + QStringLiteral(".pret"))
{
    QFile::remove(m_ready);
    m_process.start(QStringLiteral("sqlite3"),
                    {path, QStringLiteral(".timeout 10000"), sql,
                     QStringLiteral(".shell touch '%1'").arg(m_ready),
                     QStringLiteral(".shell sleep %1").arg(seconds), QStringLiteral("COMMIT;")});
}

OtherProgram::~OtherProgram()
{
    m_process.kill();
    m_process.waitForFinished(5000);
    QFile::remove(m_ready);
}

bool OtherProgram::waitUntilReady()
{
    for (int i = 0; i < 2000 && m_process.state() != QProcess::NotRunning; ++i) {
        if (QFile::exists(m_ready))
            return true;
        QTest::qWait(5);
    }
    return false;
}

bool OtherProgram::finish()
{
    return m_process.waitForFinished(20000) && m_process.exitCode() == 0;
}
