// The Debian package as a distribution would take it: built by CPack from this build, then
// checked by lintian (what it installs is the installed tree's test's).
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{

struct Run {
    int status = -1;
    QString out;
};

// Standard output and error together, as a reader of the failure wants them.
Run run(const QString& program, const QStringList& args, const QString& folder = QString())
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(600000)) {
        p.kill();
        p.waitForFinished();
        r.out = QStringLiteral("timed out: ") + program;
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAll());
    return r;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lintianFindsNothing();

private:
    QTemporaryDir m_dir;
    QString m_package;
};

void TestPackage::initTestCase()
{
    for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "lintian"}) {
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is missing: run scripts/install-deps.sh")
                                .arg(QLatin1String(tool))));
    }
    QVERIFY(m_dir.isValid());
    const Run cpack = run(
        QFileInfo(QStringLiteral(ELVARINE_CMAKE_COMMAND)).dir().filePath(QStringLiteral("cpack")),
        {QStringLiteral("--config"), QStringLiteral(ELVARINE_BINARY_DIR "/CPackConfig.cmake"),
         QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), m_dir.path()},
        QStringLiteral(ELVARINE_BINARY_DIR));
    QVERIFY2(cpack.status == 0, qPrintable(cpack.out));
    const QStringList debs = QDir(m_dir.path()).entryList({QStringLiteral("elvarine_*.deb")});
    QCOMPARE(debs.size(), 1);
    m_package = m_dir.filePath(debs.first());
}

void TestPackage::lintianFindsNothing()
{
    // Every tag, down to the pedantic ones; only those the package overrides, with its reason,
    // are left out.
    const Run lintian = run(QStringLiteral("lintian"),
                            {QStringLiteral("--pedantic"), QStringLiteral("--display-info"),
                             QStringLiteral("--display-experimental"), m_package});
    QVERIFY2(lintian.status == 0, qPrintable(lintian.out));
    for (const QString& line : lintian.out.split(QLatin1Char('\n'))) {
        QVERIFY2(!QRegularExpression(QStringLiteral("^[EWIPX]: ")).match(line).hasMatch(),
                 qPrintable(lintian.out));
    }
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
