// "Calibrer l'imprimante...": the window, its calibration page and the offsets kept per printer.

#include "core/services.h"
#include "datacolumns.h"
#include "printer/calibrationpage.h"
#include "printer/calibrationwindow.h"
#include "printer/printeroffsets.h"
#include "printingfixture.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace
{

struct Fixture : RecordingPrintFixture {
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("Elvarine.conf"));
    SettingsPrinterOffsets offsets{ini};
    Fixture() { services.printerOffsets = &offsets; }
    // Runs "Calibrer l'imprimante..." with `user` acting in the window once it is shown.
    bool calibrate(const std::function<void(CalibrationWindow&)>& user)
    {
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* w = qobject_cast<CalibrationWindow*>(QApplication::activeModalWidget());
            if (!w)
                return;
            watch.stop();
            w->activateWindow();
            if (QTest::qWaitForWindowActive(w))
                user(*w);
            if (w->isVisible())
                w->reject();
        });
        watch.start();
        return calibratePrinter(services, nullptr);
    }
};

// Replaces what the focused box holds by `text`, typed.
void typeOver(const QString& text)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT
private slots:
    void typedOffsetsArePrintedThenKept();
    void noPrinterToCalibrate();
    void offsetsKeptPerPrinter_data();
    void offsetsKeptPerPrinter();
};

void TestCalibration::typedOffsetsArePrintedThenKept()
{
    Fixture f;
    QVERIFY(f.offsets.store(QStringLiteral("Fake"), {1, 0.5}));
    QString seen;
    const bool stored = f.calibrate([&](CalibrationWindow& w) {
        // The window opens on what is kept for the printer.
        QCOMPARE(w.offset(), (PrinterOffset{1, 0.5}));
        seen = w.findChild<QLabel*>(QStringLiteral("lblImprimante"))->text();
        // The user types the offsets, reaching each box by its caption's mnemonic.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), w.horizontalBox());
        typeOver(QStringLiteral("-2.5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), w.verticalBox());
        typeOver(QStringLiteral("1.5"));
        QCOMPARE(w.offset(), (PrinterOffset{-2.5, 1.5}));
        // The calibration page with the offsets typed, before they are kept.
        QTest::mouseClick(w.printPageButton(), Qt::LeftButton);
        QCOMPARE(f.offsets.offset(QStringLiteral("Fake")), (PrinterOffset{1, 0.5}));
        // Enter: OK.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QVERIFY(stored);
    QCOMPARE(seen, QStringLiteral("Imprimante : Fake"));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));

    // The page: A4 with a 5 mm unprintable border; the cross 20 mm from the sheet's left and top
    // edges is drawn at (15, 15) of the printable area, moved by the offsets typed.
    const QStringList& calls = f.printer.calls;
    QVERIFY(calls.contains(QStringLiteral("Line 7.5 16.5 17.5 16.5 0 0")));
    QVERIFY(calls.contains(QStringLiteral("Line 12.5 11.5 12.5 21.5 0 0")));
    QVERIFY(calls.contains(QStringLiteral("Print 14.5 17.5 \"x = 20 mm  y = 20 mm\"")));
    // The crosses of the bottom right: 50 mm from the right edge, 30 mm from the bottom.
    QVERIFY(f.printer.printed.contains(QStringLiteral("x = 160 mm  y = 267 mm")));
    QCOMPARE(f.printer.printed.filter(QStringLiteral(" mm  y = ")).size(), 9);
    QVERIFY(f.printer.printed.contains(
        QStringLiteral("Décalage appliqué à cette page : horizontal -2.5 mm, vertical 1.5 mm.")));
    QCOMPARE(calls.last(), QStringLiteral("EndDoc"));
    QCOMPARE(f.printer.documents, 1);

    // Kept for that printer, in the settings file.
    QCOMPARE(f.offsets.offset(QStringLiteral("Fake")), (PrinterOffset{-2.5, 1.5}));
    QSettings settings(f.ini, QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Calibration/Fake/horizontal")).toDouble(), -2.5);
    QCOMPARE(settings.value(QStringLiteral("Calibration/Fake/vertical")).toDouble(), 1.5);

    // Cancel keeps what was kept.
    QVERIFY(!f.calibrate([&](CalibrationWindow& w) {
        QCOMPARE(w.offset(), (PrinterOffset{-2.5, 1.5}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::AltModifier);
        typeOver(QStringLiteral("9"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }));
    QCOMPARE(f.offsets.offset(QStringLiteral("Fake")), (PrinterOffset{-2.5, 1.5}));
}

void TestCalibration::noPrinterToCalibrate()
{
    // No printer installed, or printing to a file: nothing to calibrate.
    Fixture f;
    f.printer.device.clear();
    f.dialogs.expectMessage(QStringLiteral("Aucune imprimante n'est disponible"), 0,
                            QStringLiteral("Elvarine"));
    QVERIFY(!f.calibrate([](CalibrationWindow&) { QFAIL("no window expected"); }));
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    // And nothing moves what is printed to a file.
    QCOMPARE(currentPrinterOffset(f.services), PrinterOffset());
}

void TestCalibration::offsetsKeptPerPrinter_data()
{
    addColumns<QString, QString>("printer", "group");
    QTest::newRow("queue") << "Bureau"
                           << "Calibration/Bureau";
    QTest::newRow("instance of the queue") << "Bureau/etiquettes"
                                           << "Calibration/Bureau%2Fetiquettes";
    QTest::newRow("odd characters") << "Salle 2 \\ 100%"
                                    << "Calibration/Salle 2 %5C 100%25";
}

void TestCalibration::offsetsKeptPerPrinter()
{
    QFETCH(QString, printer);
    QFETCH(QString, group);
    Fixture f;
    QCOMPARE(SettingsPrinterOffsets::groupOf(printer), group);
    QCOMPARE(f.offsets.offset(printer), PrinterOffset());
    QVERIFY(f.offsets.store(printer, {-1.5, 4}));
    QVERIFY(f.offsets.store(QStringLiteral("Autre"), {7, 7}));
    QCOMPARE(f.offsets.offset(printer), (PrinterOffset{-1.5, 4}));
    // Each printer its own: the queue and its instance do not share.
    if (printer.contains(QLatin1Char('/')))
        QCOMPARE(f.offsets.offset(printer.section(QLatin1Char('/'), 0, 0)), PrinterOffset());
    // A value spoilt in the file (not a number, too large) reads as no offset.
    {
        QSettings settings(f.ini, QSettings::IniFormat);
        settings.setValue(group + QStringLiteral("/horizontal"), QStringLiteral("beaucoup"));
        settings.setValue(group + QStringLiteral("/vertical"), 1e9);
    }
    QCOMPARE(f.offsets.offset(printer), PrinterOffset());
    QCOMPARE(f.offsets.offset(QStringLiteral("Autre")), (PrinterOffset{7, 7}));
    // The current printer's offset is the one printing applies.
    f.printer.device = QStringLiteral("Autre");
    QCOMPARE(currentPrinterOffset(f.services), (PrinterOffset{7, 7}));
}

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
