// The services module as the program finds it, and each service when it is missing (this test
// program has none beside it): every one fails the way its interface fails, with the reason.
#include "platform/passwordstore.h"
#include "platform/serialport.h"
#include "platform/servicesmodule.h"
#include "printer/moduleprintersurface.h"
#include "sync/davclient.h"

#include <QCoreApplication>
#include <QTest>

class TestServicesModule : public QObject
{
    Q_OBJECT
private slots:
    void foundBesideTheProgramThenInTheInstall();
    void missingModuleFailsEachServiceWithItsReason();
};

void TestServicesModule::foundBesideTheProgramThenInTheInstall()
{
    QCOMPARE(servicesModuleCandidates(QStringLiteral("/opt/préfixe local/bin"),
                                      QStringLiteral("../lib/elvarine/modules")),
             (QStringList{
                 QStringLiteral("/opt/préfixe local/bin/elvarine-services.so"),
                 QStringLiteral("/opt/préfixe local/lib/elvarine/modules/elvarine-services.so")}));
    // A program folder outside any install: the module beside it only can be found.
    QCOMPARE(
        servicesModuleCandidates(QStringLiteral("/bin"), QStringLiteral("../lib/elvarine/modules")),
        (QStringList{QStringLiteral("/bin/elvarine-services.so"),
                     QStringLiteral("/lib/elvarine/modules/elvarine-services.so")}));
}

void TestServicesModule::missingModuleFailsEachServiceWithItsReason()
{
    QString why;
    QVERIFY(!servicesModule(&why));
    const QString folder = QCoreApplication::applicationDirPath();
    QVERIFY2(why.startsWith(QStringLiteral("Le module elvarine-services.so d'Elvarine est "
                                           "introuvable (cherché dans %1 et ")
                                .arg(folder)),
             qPrintable(why));
    QVERIFY(why.endsWith(QStringLiteral("réinstallez Elvarine.")));

    // Printing: the first call throws, as an unreachable printer does, and so does the next.
    ModulePrinterSurface printer;
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            printer.setScaleMode(PrinterSurface::Millimetres);
            printer.print(QStringLiteral("Émile Zola"));
            QFAIL("no PrinterError");
        } catch (const PrinterError& e) {
            QCOMPARE(e.reason(), why);
        }
    }
    QVERIFY(!printer.loaded());

    // The keyring: nothing read, nothing written, the reason given.
    const auto keyring = moduleKeyring();
    QString reason;
    QVERIFY(!keyring->readPassword(QStringLiteral("compte"), &reason));
    QCOMPARE(reason, why);
    reason.clear();
    QVERIFY(!keyring->writePassword(QStringLiteral("compte"), QStringLiteral("secret"), &reason));
    QCOMPARE(reason, why);
    keyring->removePassword(QStringLiteral("compte"));

    // The modem's port: made, but it does not open, and says why.
    const auto ports = moduleSerialPorts();
    QCOMPARE(ports->unavailable(), why);
    const auto port = ports->create(comDevicePath(2));
    QVERIFY(port);
    QCOMPARE(port->devicePath(), QStringLiteral("/dev/ttyS1"));
    QVERIFY(!port->open());
    QVERIFY(!port->write("ATZ\r"));
    QCOMPARE(port->errorString(), why);

    // The CardDAV client: none, with the reason; none without a maker either.
    const auto davClients = moduleDavClients();
    reason.clear();
    QVERIFY(!makeDavClient(davClients.get(), QStringLiteral("u"), QStringLiteral("p"), &reason));
    QCOMPARE(reason, why);
    reason.clear();
    QVERIFY(!makeDavClient(nullptr, QStringLiteral("u"), QStringLiteral("p"), &reason));
    QVERIFY(!reason.isEmpty());
}

QTEST_GUILESS_MAIN(TestServicesModule)
#include "tst_servicesmodule.moc"
