// The real dialogs: button sets, icons, default buttons and Qt's own texts in French.
#include "app/application.h"
#include "datacolumns.h"
#include "platform/commondialog.h"
#include "platform/qtdialogs.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace
{

struct Shown {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
};

// Reads the message box once it is up, then presses the button whose text is `press`
// (or the default button when `press` is empty).
Shown answer(const QString& press)
{
    Shown shown;
    QTimer::singleShot(0, [&shown, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown.title = box->windowTitle();
        shown.text = box->text();
        shown.icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            shown.buttons << b->text();
        shown.buttons.sort();
        if (box->defaultButton())
            shown.defaultButton = box->defaultButton()->text();
        for (QAbstractButton* b : box->buttons()) {
            if (press.isEmpty() ? b == box->defaultButton() : b->text() == press) {
                b->click();
                return;
            }
        }
    });
    return shown;
}

} // namespace

class TestQtDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void messageStyles_data();
    void messageStyles();
    void fileFilters();
    void cancelledCommonDialogKeepsItsName();
};

void TestQtDialogs::initTestCase()
{
    QVERIFY2(installFrenchTranslations(*QCoreApplication::instance()),
             "Qt's French translations (qt6-translations-l10n) are missing");
}

void TestQtDialogs::messageStyles_data()
{
    addColumns<int, QString, QStringList, int, QString, int>("style", "press", "buttons", "icon",
                                                             "defaultButton", "result");
    QTest::newRow("0 OK") << 0 << "" << QStringList{"OK"} << int(QMessageBox::NoIcon) << "OK"
                          << int(vbOK);
    QTest::newRow("16 critical") << 16 << "" << QStringList{"OK"} << int(QMessageBox::Critical)
                                 << "OK" << int(vbOK);
    QTest::newRow("36 yes") << 36 << "&Oui" << QStringList{"&Non", "&Oui"}
                            << int(QMessageBox::Question) << "&Oui" << int(vbYes);
    QTest::newRow("292 default no") << 4 + 32 + 256 << "" << QStringList{"&Non", "&Oui"}
                                    << int(QMessageBox::Question) << "&Non" << int(vbNo);
    QTest::newRow("48 warning") << 48 << "" << QStringList{"OK"} << int(QMessageBox::Warning)
                                << "OK" << int(vbOK);
    QTest::newRow("35 cancel") << 3 + 32 << "Annuler" << QStringList{"&Non", "&Oui", "Annuler"}
                               << int(QMessageBox::Question) << "&Oui" << int(vbCancel);
    QTest::newRow("64 information")
        << 64 << "" << QStringList{"OK"} << int(QMessageBox::Information) << "OK" << int(vbOK);
}

void TestQtDialogs::messageStyles()
{
    QFETCH(int, style);
    QFETCH(QString, press);
    QFETCH(QStringList, buttons);
    QFETCH(int, icon);
    QFETCH(QString, defaultButton);
    QFETCH(int, result);
    QtDialogs dialogs;
    const Shown& shown = answer(press);
    const int pressed =
        dialogs.msgBox(QStringLiteral("Ligne 1\rLigne 2"), style, QStringLiteral("Titre"));
    QCOMPARE(shown.title, QStringLiteral("Titre"));
    QCOMPARE(shown.text, QStringLiteral("Ligne 1\nLigne 2"));
    QCOMPARE(shown.buttons, buttons);
    QCOMPARE(int(shown.icon), icon);
    QCOMPARE(shown.defaultButton, defaultButton);
    QCOMPARE(pressed, result);
}

void TestQtDialogs::fileFilters()
{
    QCOMPARE(QtDialogs::qtNameFilters(QStringLiteral("Elvarine (*.adb)|*.adb")),
             QStringList{QStringLiteral("Elvarine (*.adb *.ADB)")});
    QCOMPARE(QtDialogs::qtNameFilters(QStringLiteral("Fichiers utilisateur (*.UTI)|*.uti")),
             QStringList{QStringLiteral("Fichiers utilisateur (*.uti *.UTI)")});
    QCOMPARE(QtDialogs::qtNameFilters(QStringLiteral("A (*.a)|*.a|Tous|*.*")),
             (QStringList{QStringLiteral("A (*.a *.A)"), QStringLiteral("Tous (*.*)")}));
}

void TestQtDialogs::cancelledCommonDialogKeepsItsName()
{
    ScriptedDialogs scripted;
    CommonDialog dlg(scripted);
    FileDialogRequest r;
    r.title = QStringLiteral("Ouvrir");
    dlg.DialogTitle = r.title;
    dlg.FileName = QStringLiteral("/tmp/avant.PAR");
    // Without the cancel switch a cancel goes on with the name it had.
    scripted.expectOpenFile(r, std::nullopt);
    QVERIFY(dlg.ShowOpen());
    QCOMPARE(dlg.FileName, QStringLiteral("/tmp/avant.PAR"));
    QCOMPARE(dlg.FileTitle(), QStringLiteral("avant.PAR"));
    // With it, the cancel is reported.
    dlg.CancelError = true;
    scripted.expectOpenFile(r, std::nullopt);
    QVERIFY(!dlg.ShowOpen());
    scripted.expectOpenFile(r, QStringLiteral("/home/u/choisi.PAR"));
    QVERIFY(dlg.ShowOpen());
    QCOMPARE(dlg.FileName, QStringLiteral("/home/u/choisi.PAR"));
    QVERIFY(scripted.done());
}

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
