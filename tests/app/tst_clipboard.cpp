#include "datacolumns.h"
#include "mainwindowfixture.h"
#include "output/clipboardcopy.h"

#include <QAction>
#include <QTest>

namespace
{

QAction* act(frmElvarine& w, const char* name)
{
    return w.findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace

class TestClipboard : public QObject
{
    Q_OBJECT
private slots:
    void emptyRecordNameAndAddress();
    void nameAndAddressAsDisplayed();
    void singleFieldsGoAsDisplayed();
    void copyEntriesNeedTwoCharacters_data();
    void copyEntriesNeedTwoCharacters();
    void copyThenPasteIntoAnotherFile();
    void pastingTwiceMakesTwoRecords();
    void pasteWithNothingCopiedDoesNothing();
};

void TestClipboard::emptyRecordNameAndAddress()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({});
    act(w, "Mnu_CopierAdresse")->trigger();
    QCOMPARE(f.clipboard.text().toUtf8(), QByteArray(" \r\n\r\n\r\n\r\n \r\n"));
    QCOMPARE(f.clipboard.clears, 1);
}

void TestClipboard::nameAndAddressAsDisplayed()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith(
        {{"Durand", " ", "Ateliers Lebrun", "  12 rue des Lilas ", " ", "69003", "Lyon", "0478",
          QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), "France"}});
    act(w, "Mnu_CopierAdresse")->trigger();
    QCOMPARE(f.clipboard.text(), QStringLiteral("Durand  \r\nAteliers Lebrun\r\n  12 rue des Lilas "
                                                "\r\n \r\n69003 Lyon\r\nFrance"));
}

void TestClipboard::singleFieldsGoAsDisplayed()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith(
        {{"Durand", "Marie", QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), " 01 02 ",
          "03 04", "05 06", QVariant(), QVariant(), " a@b.fr ", QVariant(), "www.x.fr", "06 07"}});
    const struct {
        const char* item;
        const char* text;
    } cases[] = {{"Mnu_CopierEMail", " a@b.fr "}, {"Mnu_CopierURL", "www.x.fr"},
                 {"Mnu_CopierTel1", " 01 02 "},   {"Mnu_CopierTel2", "03 04"},
                 {"Mnu_CopierTel3", "06 07"},     {"Mnu_CopierFAX", "05 06"}};
    w.Mnu_Edition_Click();
    for (const auto& c : cases) {
        QAction* a = act(w, c.item);
        QVERIFY2(a->isEnabled(), c.item);
        a->trigger();
        QCOMPARE(f.clipboard.text(), QString::fromUtf8(c.text));
    }
}

void TestClipboard::copyEntriesNeedTwoCharacters_data()
{
    addColumns<QString, bool>("value", "enabled");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("one space") << " " << false;
    QTest::newRow("one character") << "x" << false;
    QTest::newRow("two characters") << "xy" << true;
    QTest::newRow("two spaces") << "  " << true;
}

void TestClipboard::copyEntriesNeedTwoCharacters()
{
    QFETCH(QString, value);
    QFETCH(bool, enabled);
    MainWindowFixture f;
    const QVariant v = value.isNull() ? QVariant() : QVariant(value);
    // Téléphone, Téléphone1, Fax, E-mail, URL, Portable all hold the value.
    frmElvarine& w =
        f.startWith({{"Durand", "Marie", QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                      v, v, v, QVariant(), QVariant(), v, QVariant(), v, v}});
    w.Mnu_Edition_Click();
    for (const char* item : {"Mnu_CopierEMail", "Mnu_CopierURL", "Mnu_CopierTel1", "Mnu_CopierTel2",
                             "Mnu_CopierTel3", "Mnu_CopierFAX"})
        QVERIFY2(act(w, item)->isEnabled() == enabled, item);
    QVERIFY(act(w, "Mnu_CopieFiche")->isEnabled());
    QVERIFY(act(w, "Mnu_CopierAdresse")->isEnabled());
    QCOMPARE(act(w, "Mnu_Mail")->text(),
             enabled ? QStringLiteral("Envoyer un courrier : ") + value.trimmed()
                     : QStringLiteral("Envoyer un courrier :"));
    QCOMPARE(act(w, "Mnu_ConnectURL")->text(),
             enabled ? QStringLiteral("Se connecter URL : ") + value.trimmed()
                     : QStringLiteral("Se connecter URL :"));
    if (!enabled) {
        QVERIFY(!act(w, "Mnu_Mail")->isEnabled());
        QVERIFY(!act(w, "Mnu_ConnectURL")->isEnabled());
    }
}

void TestClipboard::copyThenPasteIntoAnotherFile()
{
    MainWindowFixture f;
    const QVariantList durand = {" Durand ", "Marie",    " ",        "12 rue des Lilas",
                                 QVariant(), "69003",    "Lyon",     QVariant(),
                                 QVariant(), QVariant(), "R1",       "ligne 1\nligne 2",
                                 "m@d.fr",   "France",   QVariant(), "06"};
    frmElvarine& w = f.startWith({durand});
    w.Mnu_Edition_Click();
    QVERIFY(!act(w, "Mnu_CollerFiche")->isEnabled());
    QVERIFY(!w.toolbarButton(9)->isEnabled());
    w.toolbarButton(8)->trigger();
    QVERIFY(w.toolbarButton(9)->isEnabled());
    QCOMPARE(f.state.copy.FicheCopieeOK, 1);

    const QString other = f.path(QStringLiteral("Autre.adb"));
    makeAddressFile(other, {{"Zola", "Émile"}});
    FileDialogRequest r;
    r.title = QStringLiteral("Ouvrir le fichier");
    r.filter = QStringLiteral("Elvarine (*.adb)|*.adb");
    f.dialogs.expectOpenFile(r, other);
    w.Mnu_Ouvrir_Click();
    QVERIFY(f.dialogs.done());
    w.Mnu_Edition_Click();
    QVERIFY(act(w, "Mnu_CollerFiche")->isEnabled());
    act(w, "Mnu_CollerFiche")->trigger();
    const auto rows = readAddressFile(other);
    QCOMPARE(rows.size(), 2);
    // Every field as it was displayed: spaces kept, a never-set field pasted as shown (empty).
    QCOMPARE(rows[1][0].toString(), QStringLiteral(" Durand "));
    QCOMPARE(rows[1][2].toString(), QStringLiteral(" "));
    QCOMPARE(rows[1][11].toString(), QStringLiteral("ligne 1\nligne 2"));
    QCOMPARE(rows[1][12].toString(), QStringLiteral("m@d.fr"));
    QCOMPARE(rows[1][13].toString(), QStringLiteral("France"));
    QVERIFY(rows[1][4].toString().isEmpty());
    QCOMPARE(readAddressFile(f.path(QStringLiteral("Elvarine.adb"))).size(), 1);
    QCOMPARE(listLines(w),
             (QStringList{QStringLiteral(" Durand  Marie"), QStringLiteral("Zola Émile")}));
}

void TestClipboard::pastingTwiceMakesTwoRecords()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}});
    w.Mnu_CopieFiche_Click();
    w.Mnu_CollerFiche_Click();
    w.Mnu_CollerFiche_Click();
    const auto rows = readAddressFile(f.path(QStringLiteral("Elvarine.adb")));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[2][0].toString(), QStringLiteral("Durand"));
    QCOMPARE(listLines(w), (QStringList{"Durand Marie", "Durand Marie", "Durand Marie"}));
}

void TestClipboard::pasteWithNothingCopiedDoesNothing()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}});
    w.Mnu_CollerFiche_Click();
    QCOMPARE(readAddressFile(f.path(QStringLiteral("Elvarine.adb"))).size(), 1);
    QVERIFY(f.dialogs.done());
}

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
