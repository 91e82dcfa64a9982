// The real desktop services: the desktop's opener is run and its answer is seen.
#include "fakeopener.h"
#include "platform/desktopservices.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

class TestDesktopServices : public QObject
{
    Q_OBJECT
private slots:
    void openerAnswerIsSeen_data();
    void openerAnswerIsSeen();
    void openerStillRunningIsLeftToRun();
};

void TestDesktopServices::openerAnswerIsSeen_data()
{
    QTest::addColumn<QByteArray>("body"); // null: no opener on the desktop
    QTest::addColumn<bool>("opened");
    QTest::newRow("handed to its program") << QByteArray("exit 0") << true;
    QTest::newRow("no program for the address") << QByteArray("exit 3") << false;
    QTest::newRow("the program refused it") << QByteArray("exit 4") << false;
    QTest::newRow("opener killed") << QByteArray("kill -9 $$") << false;
    QTest::newRow("no opener") << QByteArray() << false;
}

void TestDesktopServices::openerAnswerIsSeen()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, opened);
    FakeOpener opener(body.isNull() ? QByteArray("exit 0") : body);
    QVERIFY(opener.isValid());
    const QByteArray path = qgetenv("PATH");
    if (body.isNull())
        qputenv("PATH", opener.path(QStringLiteral("nothing-here")).toUtf8());
    QtDesktopServices desktop;
    const QUrl url = QUrl::fromEncoded("tel:01%2023%2045%2067%2089");
    QCOMPARE(desktop.openUrl(url), opened);
    qputenv("PATH", path);
    // The address as it is written, one argument.
    QCOMPARE(opener.arguments(),
             body.isNull() ? QString() : QStringLiteral("tel:01%2023%2045%2067%2089\n"));
}

void TestDesktopServices::openerStillRunningIsLeftToRun()
{
    // The opener goes on until the test lets it end (or for at most 20 s): the answer must
    // come while it still runs.
    FakeOpener opener(
        "d=\"$(dirname \"$0\")\"; i=0; while [ ! -e \"$d/go\" ] && [ $i -lt 200 ]; do "
        "sleep 0.1; i=$((i+1)); done; touch \"$d/done\"");
    QVERIFY(opener.isValid());
    QtDesktopServices desktop(200);
    QVERIFY(desktop.openUrl(QUrl(QStringLiteral("https://exemple.fr/"))));
    QVERIFY(!QFile::exists(opener.path(QStringLiteral("done"))));
    QFile go(opener.path(QStringLiteral("go")));
    QVERIFY(go.open(QIODevice::WriteOnly));
    go.close();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(opener.path(QStringLiteral("done"))), 5000);
}

QTEST_GUILESS_MAIN(TestDesktopServices)
#include "tst_desktopservices.moc"
