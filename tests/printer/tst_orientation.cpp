#include "core/services.h"
#include "datacolumns.h"
#include "printer/orientationcommands.h"
#include "printer/orientationmarks.h"
#include "printer/orimp.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <map>

namespace
{

// Stored printer settings kept in memory; every store is logged as "store PRINTER O".
class MemorySettings : public PrinterSettingsStore
{
public:
    std::optional<int> orientation(const QString& printer) override
    {
        const auto it = stored.find(printer);
        return it == stored.end() ? std::nullopt : std::optional<int>(it->second);
    }
    bool store(const QString& printer, int orientation) override
    {
        if (onStore)
            onStore();
        log << QStringLiteral("store %1 %2").arg(printer).arg(orientation);
        stored[printer] = orientation;
        return true;
    }
    std::map<QString, int> stored;
    QStringList log;
    std::function<void()> onStore;
};

// A recording printer whose orientation is the one stored for it, as a real printer's would be
// (unless `ignoresChanges` keeps its own).
class StoredOrientationPrinter : public RecordingPrinter
{
public:
    explicit StoredOrientationPrinter(MemorySettings& settings) : m_settings(settings) {}
    int orientation() override
    {
        if (failOrientation)
            throw PrinterError(QStringLiteral("Erreur du pilote."));
        if (ignoresChanges)
            return orientationValue;
        return m_settings.orientation(device).value_or(orientationValue);
    }
    bool ignoresChanges = false;
    bool failOrientation = false;

private:
    MemorySettings& m_settings;
};

struct Fixture {
    ScriptedDialogs dialogs;
    MemorySettings settings;
    StoredOrientationPrinter printer{settings};
    Services services;
    QAction port{QStringLiteral("Imprimante en mode Portrait")};
    QAction pays{QStringLiteral("Imprimante en mode Paysage")};
    QLabel status{QStringLiteral("En cours :")};
    Fixture()
    {
        services.dialogs = &dialogs;
        services.printer = &printer;
        services.printerSettings = &settings;
        port.setCheckable(true);
        pays.setCheckable(true);
    }
};

} // namespace

class TestOrientation : public QObject
{
    Q_OBJECT
private slots:
    void commandStoresThenReadsBack_data();
    void commandStoresThenReadsBack();
    void noPrinterShowsTheMessageAndKeepsTheMarks();
    void otherFailuresAreSilent();
    void emptyPrinterNameChangesNothing();
    void hourglassDuringTheCommandOnly();
    void menuOpeningIgnoresErrors();
};

void TestOrientation::commandStoresThenReadsBack_data()
{
    addColumns<int, bool, int, int>("wanted", "ignored", "before", "shown");
    QTest::newRow("portrait") << 1 << false << 2 << 1;
    QTest::newRow("landscape") << 2 << false << 1 << 2;
    QTest::newRow("landscape when already landscape") << 2 << false << 2 << 2;
    // A printer that keeps its own orientation: the marks show what it really has.
    QTest::newRow("change ignored by the printer") << 2 << true << 1 << 1;
}

void TestOrientation::commandStoresThenReadsBack()
{
    QFETCH(int, wanted);
    QFETCH(bool, ignored);
    QFETCH(int, before);
    QFETCH(int, shown);
    Fixture f;
    f.printer.orientationValue = before;
    f.printer.ignoresChanges = ignored;
    f.settings.stored[QStringLiteral("Fake")] = before;

    const std::optional<int> read = changeOrientation(f.services, wanted);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(read, std::optional<int>(shown));
    // Only the orientation is stored; the default paper leaves the printer's settings alone. Each
    // step chooses the printer again by its name, single-sided.
    QCOMPARE(f.settings.log, (QStringList{QStringLiteral("store Fake %1").arg(wanted)}));
    QCOMPARE(f.printer.calls, (QStringList{"Select Fake", "Duplex 1", "Select Fake", "Duplex 1"}));

    showOrientation(read, &f.port, &f.pays, &f.status);
    QCOMPARE(f.status.text(), shown == 1 ? QStringLiteral("En cours : Portrait")
                                         : QStringLiteral("En cours : Paysage"));
    QCOMPARE(f.port.isChecked(), shown == 1);
    QCOMPARE(f.pays.isChecked(), shown == 2);
}

void TestOrientation::noPrinterShowsTheMessageAndKeepsTheMarks()
{
    Fixture f;
    f.printer.names.clear();
    f.printer.device.clear();
    showOrientation(2, &f.port, &f.pays, &f.status);
    f.dialogs.expectMessage(QStringLiteral("Aucune imprimante n'est disponible"), 0,
                            QStringLiteral("Elvarine"));
    const std::optional<int> read = changeOrientation(f.services, 1);
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QVERIFY(!read);
    QVERIFY(f.settings.log.isEmpty());
    showOrientation(read, &f.port, &f.pays, &f.status);
    QCOMPARE(f.status.text(), QStringLiteral("En cours : Paysage"));
    QVERIFY(!f.port.isChecked());
    QVERIFY(f.pays.isChecked());
}

void TestOrientation::otherFailuresAreSilent()
{
    Fixture f;
    f.printer.failOrientation = true;
    showOrientation(1, &f.port, &f.pays, &f.status);
    const std::optional<int> read = changeOrientation(f.services, 2); // no message expected
    QVERIFY(!read);
    QVERIFY(f.dialogs.shown.isEmpty());
    showOrientation(read, &f.port, &f.pays, &f.status);
    QCOMPARE(f.status.text(), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.port.isChecked());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void TestOrientation::emptyPrinterNameChangesNothing()
{
    Fixture f;
    f.printer.device.clear();
    f.printer.orientationValue = 2;
    QCOMPARE(changeOrientation(f.services, 1), std::optional<int>(2));
    QVERIFY(f.settings.log.isEmpty());
    QVERIFY(f.printer.calls.isEmpty());
}

void TestOrientation::hourglassDuringTheCommandOnly()
{
    Fixture f;
    QList<bool> waiting;
    f.settings.onStore = [&] {
        const QCursor* c = QGuiApplication::overrideCursor();
        waiting << (c && c->shape() == Qt::WaitCursor);
    };
    changeOrientation(f.services, 2);
    QCOMPARE(waiting, (QList<bool>{true}));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);

    // The pointer is back to normal before the no-printer message shows.
    f.printer.names.clear();
    bool normalAtMessage = false;
    f.dialogs
        .expectMessage(QStringLiteral("Aucune imprimante n'est disponible"), 0,
                       QStringLiteral("Elvarine"))
        .whenShown([&] { normalAtMessage = QGuiApplication::overrideCursor() == nullptr; });
    changeOrientation(f.services, 2);
    QVERIFY(normalAtMessage);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void TestOrientation::menuOpeningIgnoresErrors()
{
    Fixture f;
    f.printer.orientationValue = 2;
    refreshOrientationMarks(f.services, &f.port, &f.pays);
    QVERIFY(!f.port.isChecked());
    QVERIFY(f.pays.isChecked());

    f.printer.failOrientation = true;
    refreshOrientationMarks(f.services, &f.port, &f.pays, &f.status);
    QVERIFY(f.pays.isChecked());
    QCOMPARE(f.status.text(), QStringLiteral("En cours :"));
    QVERIFY(f.dialogs.shown.isEmpty());
}

QTEST_MAIN(TestOrientation)
#include "tst_orientation.moc"
