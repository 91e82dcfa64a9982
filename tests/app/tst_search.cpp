#include "app/optionrec.h"
#include "core/enginemessages.h"
#include "core/search/search.h"
#include "datacolumns.h"
#include "mainwindowfixture.h"
#include "otherprogram.h"

#include <QAction>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace
{

// A record with one word per field, in column creation order.
const QVariantList kFull = {"Alpha",
                            "Bravo",
                            "Charlie",
                            "12 rue des Lilas",
                            "Bâtiment B",
                            "75001",
                            "Foxtrot",
                            "0111",
                            "0222",
                            "0333",
                            "Golf",
                            "Hotel",
                            "india@exemple.fr",
                            "Juliett",
                            "kilo.fr",
                            "0666"};

QVariantList rec(const QString& nom, const QString& prenom = QStringLiteral("x"))
{
    return {nom, prenom};
}

void pressEscapeSoon(QWidget* target)
{
    QTimer::singleShot(0, target, [target] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
    });
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT
private slots:
    void criteriaTable_data();
    void criteriaTable();
    void capitalsFindSmallLettersWithAccents();
    void searchShowsTheFirstHitInListOrder();
    void suivantGoesOnAndNeverWrapsAround();
    void selectionAfterAFailedSearch();
    void cancelledInputBoxDisablesSuivant();
    void escapeCancelsARunningSearch();
    void escapeCancelsALongSearchMidway();
    void optionsWindowKeepsTheCriterion();
    void fileThatCannotBeReadIsSaidNotNotFound();
};

void TestSearch::criteriaTable_data()
{
    addColumns<int, QString, bool>("criterion", "text", "found");
    const char* words[16] = {"alpha",   "bravo",   "charlie", "lilas", "bâtiment", "75001",
                             "foxtrot", "0111",    "0222",    "0333",  "golf",     "hotel",
                             "india",   "juliett", "kilo",    "0666"};
    // Under criterion 0 every field is searched.
    for (const char* w : words)
        QTest::addRow("all: %s", w) << 0 << QString::fromUtf8(w) << true;
    struct Row {
        int criterion;
        const char* hit;
        const char* miss;
    };
    const Row rows[] = {{1, "alpha", "bravo"},   {2, "bravo", "alpha"},   {3, "charlie", "alpha"},
                        {4, "lilas", "foxtrot"}, {4, "bâtiment", "0111"}, {5, "75001", "0666"},
                        {6, "india", "kilo"},    {7, "kilo", "india"},    {8, "golf", "hotel"}};
    for (const Row& r : rows) {
        QTest::addRow("%d hits %s", r.criterion, r.hit)
            << r.criterion << QString::fromUtf8(r.hit) << true;
        QTest::addRow("%d misses %s", r.criterion, r.miss)
            << r.criterion << QString::fromUtf8(r.miss) << false;
    }
    // Town, country, telephones, fax and notes only under criterion 0.
    for (int c = 1; c < 9; ++c) {
        for (const char* w : {"foxtrot", "juliett", "0222", "0333", "hotel"})
            QTest::addRow("%d never %s", c, w) << c << QString::fromUtf8(w) << false;
    }
    // Adresse and Adresse1 are joined without separator under "Adresse" only.
    QTest::newRow("join under adresse") << 4 << "lilasbât" << true;
    QTest::newRow("no join under all") << 0 << "lilasbât" << false;
    QTest::newRow("no join with a space") << 4 << "lilas bât" << false;
}

void TestSearch::criteriaTable()
{
    QFETCH(int, criterion);
    QFETCH(QString, text);
    QFETCH(bool, found);
    const auto box = [](FieldBox b) { return kFull.value(columnOfBox(b)).toString(); };
    QCOMPARE(recordMatches(criterion, text, box), found);

    // The same through the window's search.
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Aaron"), kFull, rec("Zorro")});
    f.state.search.CritereRech = criterion;
    f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                          QStringLiteral("Chaîne de caractère à rechercher"), text.toUpper(),
                          QString());
    if (!found)
        f.dialogs.expectMessage(QStringLiteral("Chaîne < ") + text +
                                    QStringLiteral(" > non trouvée"),
                                64, QStringLiteral("Rechercher chaîne"));
    w.Mnu_Rechercher_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.state.search.Chaine, text); // kept in lower case
    if (found) {
        QCOMPARE(w.listIndex(), 1);
        QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Alpha"));
        QCOMPARE(f.state.search.IndexTrouve, 1);
    }
}

void TestSearch::capitalsFindSmallLettersWithAccents()
{
    for (int criterion : {0, 1, 2}) {
        MainWindowFixture f;
        frmElvarine& w = f.startWith({rec("Bernard", "Luc"), rec("élodie", "élodie"), rec("Zola")});
        f.state.search.CritereRech = criterion;
        f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                              QStringLiteral("Chaîne de caractère à rechercher"),
                              QStringLiteral("ÉLODIE"));
        w.Mnu_Rechercher_Click();
        QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
        QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("élodie"));
        QCOMPARE(f.state.search.Chaine, QStringLiteral("élodie"));
    }
}

void TestSearch::searchShowsTheFirstHitInListOrder()
{
    MainWindowFixture f;
    // Stored order differs from list order: the hit first in the list wins.
    frmElvarine& w =
        f.startWith({rec("Zoé", "Martin"), rec("Abel", "Martine"), rec("Marc", "Paul")});
    w.setListIndex(2);
    f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                          QStringLiteral("Chaîne de caractère à rechercher"),
                          QStringLiteral("mart"));
    w.Mnu_Rechercher_Click();
    QVERIFY(f.dialogs.done());
    QCOMPARE(w.listIndex(), 0);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Abel"));
    QVERIFY(w.toolbarButton(12)->isEnabled());
}

void TestSearch::suivantGoesOnAndNeverWrapsAround()
{
    MainWindowFixture f;
    frmElvarine& w =
        f.startWith({rec("Durand", "Léa"), rec("Bernard", "Léa"), rec("Abel", "Paul")});
    f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                          QStringLiteral("Chaîne de caractère à rechercher"),
                          QStringLiteral("léa"));
    w.Mnu_Rechercher_Click();
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Bernard"));
    w.Mnu_Suivant_Click();
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Durand"));
    QCOMPARE(f.state.search.IndexTrouve, 2);
    // The hit was the last entry: Suivant ends with its own message and stays there.
    f.dialogs.expectMessage(QStringLiteral("Chaîne < léa > non trouvée"), 64,
                            QStringLiteral("Rechercher suivant"));
    w.Mnu_Suivant_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.listIndex(), 2);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Durand"));
}

void TestSearch::selectionAfterAFailedSearch()
{
    // After a failed search the selection is the last entry scanned whose record is not the
    // first stored one.
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Zorro"), rec("Abel"), rec("Marc")});
    f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                          QStringLiteral("Chaîne de caractère à rechercher"),
                          QStringLiteral("rien"));
    f.dialogs.expectMessage(QStringLiteral("Chaîne < rien > non trouvée"), 64,
                            QStringLiteral("Rechercher chaîne"));
    w.Mnu_Rechercher_Click();
    QVERIFY(f.dialogs.done());
    // Zorro, last in the list, is the first stored record: Marc is the entry kept.
    QCOMPARE(f.state.search.IndexTrouve, 1);
    QCOMPARE(w.listIndex(), 1);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Marc"));
}

void TestSearch::cancelledInputBoxDisablesSuivant()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Abel")});
    f.state.search.Chaine = QStringLiteral("avant");
    f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                          QStringLiteral("Chaîne de caractère à rechercher"), QString(),
                          QStringLiteral("avant"));
    w.Mnu_Rechercher_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.state.search.Chaine, QString());
    QVERIFY(!w.toolbarButton(12)->isEnabled());
    w.Mnu_Edition_Click();
    QVERIFY(!w.findChild<QAction*>(QStringLiteral("Mnu_Suivant"))->isEnabled());
    f.state.search.Chaine = QStringLiteral("abel");
    w.Mnu_Edition_Click();
    QVERIFY(w.findChild<QAction*>(QStringLiteral("Mnu_Suivant"))->isEnabled());
    QVERIFY(w.toolbarButton(12)->isEnabled());
}

void TestSearch::escapeCancelsARunningSearch()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Bernard"), rec("Abel"), rec("Marc"), rec("Zola")});
    w.setListIndex(0);
    f.state.search.Chaine = QStringLiteral("rien");
    f.state.search.IndexTrouve = 0;
    f.dialogs.expectMessage(QStringLiteral("Recherche annulée"), 64, QStringLiteral("Annulation"));
    pressEscapeSoon(w.list());
    w.Mnu_Suivant_Click(); // scans from entry 1, Escape seen before it
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(f.state.search.DemandeArret, 0);
    QCOMPARE(w.listIndex(), 1);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Bernard"));
    QVERIFY(!QApplication::overrideCursor());
}

void TestSearch::escapeCancelsALongSearchMidway()
{
    QList<QVariantList> rows;
    for (int i = 0; i < 30000; ++i)
        rows << rec(QStringLiteral("Nom%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("P"));
    MainWindowFixture f;
    frmElvarine& w = f.startWith(rows);
    f.state.search.Chaine = QStringLiteral("introuvable");
    f.state.search.IndexTrouve = -1;
    // Escape arrives once the scan is under way.
    QTimer::singleShot(5, w.list(), [&w] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(w.list(), &press);
    });
    f.dialogs.expectMessage(QStringLiteral("Recherche annulée"), 64, QStringLiteral("Annulation"));
    QElapsedTimer t;
    t.start();
    w.Mnu_Suivant_Click();
    if (!f.dialogs.done()) {
        // The whole file was scanned before the timer fired: nothing to cancel.
        f.dialogs.clear();
        QSKIP("the scan ended before Escape arrived");
    }
    const int reached = w.listIndex();
    QVERIFY(reached >= 0);
    QCOMPARE(w.fieldText(FieldBox::Nom), w.listText(reached).section(QLatin1Char(' '), 0, 0));
    QCOMPARE(f.state.search.DemandeArret, 0);
}

void TestSearch::optionsWindowKeepsTheCriterion()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Abel")});
    f.state.search.CritereRech = 4;
    {
        OptionRec window(f.state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Options de recherche"));
        QVERIFY(window.criterionOption(4)->isChecked());
        QCOMPARE(window.criterionOption(7)->text(), QStringLiteral("Adresse Internet (URL)"));
        window.criterionOption(6)->click();
        QCOMPARE(f.state.search.CritereRech, 6);
        window.closeButton()->click();
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
    OptionRec again(f.state);
    QVERIFY(again.criterionOption(6)->isChecked());
    // Paste and "search again" stay on when the window closes: their shortcuts work at once.
    f.state.copy.FicheCopieeOK = 1;
    f.state.search.Chaine = QStringLiteral("abel");
    w.Mnu_Edition_Click();
    QVERIFY(w.toolbarButton(9)->isEnabled());
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            d->accept();
    });
    w.command(Command::OptionR)->trigger();
    QVERIFY(w.toolbarButton(9)->isEnabled());
    QVERIFY(w.toolbarButton(12)->isEnabled());
}

void TestSearch::fileThatCannotBeReadIsSaidNotNotFound()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith({rec("Aaron"), rec("Zorro")});
    const QString path = f.path(QStringLiteral("Elvarine.adb"));
    // Another program holds the file, reading included, for longer than the search waits.
    OtherProgram other(path, QStringLiteral("BEGIN EXCLUSIVE;"), 30);
    QVERIFY(other.waitUntilReady());
    f.dialogs.expectInput(QStringLiteral("Entrez la chaîne de caractères à rechercher"),
                          QStringLiteral("Chaîne de caractère à rechercher"),
                          QStringLiteral("zorro"));
    f.dialogs.expectMessage(lockedFileMessage(path), vbExclamation, QStringLiteral("Erreur"));
    w.Mnu_Rechercher_Click();
    QVERIFY2(f.dialogs.done(), qPrintable(f.dialogs.pending()));
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Aaron"));
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
