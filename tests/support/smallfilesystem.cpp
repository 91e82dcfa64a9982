#include "smallfilesystem.h"

#include <QFile>
#include <QProcess>

namespace
{

// Runs a mount tool; its error output, empty when it succeeded.
QString runTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return program + QStringLiteral(" did not finish");
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        return err.isEmpty() ? program + QStringLiteral(" failed") : err;
    }
    return QString();
}

} // namespace

SmallFileSystem::SmallFileSystem(int kilobytes)
{
    if (!m_dir.isValid()) {
        m_why = QStringLiteral("no temporary folder");
        return;
    }
    m_why = runTool(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=%1k,mode=0755").arg(kilobytes),
                     QStringLiteral("elvarine-test"), m_dir.path()});
    m_mounted = m_why.isEmpty();
    if (!m_mounted)
        m_why = QStringLiteral("a small file system cannot be mounted here: ") + m_why;
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted && !runTool(QStringLiteral("umount"), {m_dir.path()}).isEmpty())
        runTool(QStringLiteral("umount"), {QStringLiteral("-l"), m_dir.path()});
}

bool SmallFileSystem::fill()
{
    QFile filler(filePath(QStringLiteral("remplissage")));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'x');
    // Bounded: the file system is small, and a write that no longer fits fails.
    for (int i = 0; i < 1 << 20; ++i) {
        if (filler.write(block) != block.size())
            break;
    }
    // The last bytes of a page.
    while (filler.write("x", 1) == 1) {
    }
    filler.close();
    QFile probe(filePath(QStringLiteral("sonde")));
    const bool full = !probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
                      probe.write("x", 1) != 1 || !probe.flush();
    probe.close();
    probe.remove();
    return full;
}

bool SmallFileSystem::makeReadOnly()
{
    return m_mounted && runTool(QStringLiteral("mount"),
                                {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir.path()})
                            .isEmpty();
}
