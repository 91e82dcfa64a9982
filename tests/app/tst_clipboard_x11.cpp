// The name-and-address copy read back by another program, through a real X clipboard.
#include "mainwindowfixture.h"
#include "platform/clipboard.h"

#include <QAction>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

class TestClipboardX11 : public QObject
{
    Q_OBJECT
private slots:
    void xclipReadsTheExactBytes();
};

void TestClipboardX11::xclipReadsTheExactBytes()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display (run under xvfb-run)");
    const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    if (xclip.isEmpty())
        QSKIP("xclip is not installed");
    MainWindowFixture f;
    QtClipboard real;
    f.services.clipboard = &real;
    frmElvarine& w = f.startWith(
        {{"Durand", "Marie", "Ateliers Lebrun", "12 rue des Lilas", " ", "69003", "Lyon",
          QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), "France"}});
    w.command(Command::CopierAdresse)->trigger();
    QProcess p;
    p.start(xclip,
            {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    // The program must keep answering the clipboard request while xclip waits.
    QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 10000);
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(p.readAllStandardOutput(),
             QStringLiteral("Durand Marie\r\nAteliers Lebrun\r\n12 rue des Lilas\r\n \r\n69003 "
                            "Lyon\r\nFrance")
                 .toUtf8());
}

QTEST_MAIN(TestClipboardX11)
#include "tst_clipboard_x11.moc"
