#include "datacolumns.h"
#include "fakerecordform.h"
#include "labels/addressblock.h"
#include "labels/titremenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace
{

QStringList recordOf(const QString& nom, const QString& prenom, const QString& societe,
                     const QString& adresse, const QString& adresse1, const QString& cp,
                     const QString& ville, const QString& pays)
{
    QStringList r(16, QStringLiteral(" "));
    r[0] = nom;
    r[1] = prenom;
    r[2] = societe;
    r[3] = adresse;
    r[4] = adresse1;
    r[5] = cp;
    r[6] = ville;
    r[12] = pays;
    return r;
}

AddressOptions optionsOf(int title, int ordreNom, int ordreSociete)
{
    AddressOptions o;
    applyTitreCommand(o, titreCommandForType(title));
    o.OrdreNom = ordreNom;
    o.OrdreSociete = ordreSociete;
    return o;
}

// The title menu in a menu bar over Durand's record, every block it shows kept in `shown`.
struct DurandMenu {
    QMenuBar bar;
    AddressOptions o;
    FakeRecordForm form;
    QStringList shown;
    TitreMenu menu{&bar, QStringLiteral("&Titre"), o, form,
                   [this](const QString& block) { shown << block; }};
    DurandMenu()
    {
        form.records << durand();
        form.selected = 0;
    }
};

} // namespace

class TestAddressBlock : public QObject
{
    Q_OBJECT
private slots:
    void composeAdresse_data();
    void composeAdresse();
    void composeReadsTheFormBoxes();
    void decoupeAdresse_data();
    void decoupeAdresse();
    void titreMenuItemsAndOrder();
    void titreMenuCommandComposesAndShows();
    void openingTheMenuOnlyRefreshesTheMarks();
    void affichTitreKeepsTheTitleAndRecomposes();
};

void TestAddressBlock::composeAdresse_data()
{
    addColumns<QStringList, int, int, int, QString>("record", "title", "ordreNom", "ordreSociete",
                                                    "block");

    QTest::newRow("Monsieur, Nom + Prénom, Nom + Société")
        << durand() << 1 << 0 << 0
        << "M. Durand Marie\r\nAteliers Lebrun\r\n12 rue des Lilas\r\n\r\n69003 Lyon\r\nFrance";
    QTest::newRow("Aucun, Prénom + Nom, Société + Nom")
        << durand() << 0 << 1 << 1
        << "Ateliers Lebrun\r\nMarie Durand\r\n12 rue des Lilas\r\n\r\n69003 Lyon\r\nFrance";
    QTest::newRow("only a name") << recordOf("Dupont", " ", " ", " ", " ", " ", " ", " ") << 0 << 0
                                 << 0 << "Dupont \r\n\r\n \r\n";
    QTest::newRow("null fields") << recordOf("Dupont", "", "", "", "", "", "", "") << 0 << 0 << 0
                                 << "Dupont \r\n\r\n \r\n";
    QTest::newRow("one-character street left out, company kept")
        << recordOf("Roy", "Léa", "X", "5", " 7 ", "75001", "Paris", "FR") << 0 << 0 << 0
        << "Roy Léa\r\nX\r\n\r\n75001 Paris\r\nFR";
    QTest::newRow("one-character country left out")
        << recordOf("Roy", "Léa", " ", "2 quai Sud", "Bât B", "75001", "Paris", "F") << 2 << 0 << 0
        << "Mme Roy Léa\r\n2 quai Sud\r\nBât B\r\n\r\n75001 Paris\r\n";
    QTest::newRow("leading spaces go, trailing spaces stay")
        << recordOf("  Roy  ", "  Léa", "  Acme ", "  9 rue Haute ", " ", " 75001", "  Paris ",
                    "  France  ")
        << 3 << 1 << 1 << "Acme \r\nMlle Léa Roy  \r\n9 rue Haute \r\n\r\n75001 Paris \r\nFrance  ";
    QTest::newRow("company first without a company")
        << recordOf("Roy", "Léa", " ", " ", " ", "75001", "Paris", " ") << 0 << 0 << 1
        << "Roy Léa\r\n\r\n75001 Paris\r\n";
}

void TestAddressBlock::composeAdresse()
{
    QFETCH(QStringList, record);
    QFETCH(int, title);
    QFETCH(int, ordreNom);
    QFETCH(int, ordreSociete);
    QFETCH(QString, block);
    AddressOptions o = optionsOf(title, ordreNom, ordreSociete);
    ComposeAdresse(o, AddressFields::fromBoxes(record));
    QCOMPARE(o.BlocAdresse, block);
}

void TestAddressBlock::composeReadsTheFormBoxes()
{
    FakeRecordForm form;
    QStringList r = durand();
    r[7] = QStringLiteral("01 02 03 04 05"); // fields outside the block play no part
    r[13] = QStringLiteral("marie@example.org");
    form.records << r;
    form.selected = 0;
    AddressOptions o = optionsOf(1, 0, 0);
    ComposeAdresse(o, form);
    QCOMPARE(o.BlocAdresse, QStringLiteral("M. Durand Marie\r\nAteliers Lebrun\r\n12 rue des "
                                           "Lilas\r\n\r\n69003 Lyon\r\nFrance"));
}

void TestAddressBlock::decoupeAdresse_data()
{
    addColumns<QString, QStringList>("block", "lines");
    QTest::newRow("example") << "M. Durand Marie\r\nAteliers Lebrun\r\n12 rue des "
                                "Lilas\r\n\r\n69003 Lyon\r\nFrance"
                             << QStringList{"M. Durand Marie\r",    "\nAteliers Lebrun\r",
                                            "\n12 rue des Lilas\r", "\n\r",
                                            "\n69003 Lyon\r",       "\nFrance"};
    // Only a name: four lines, the last one empty once its line feed is dropped.
    QTest::newRow("only a name") << "Dupont \r\n\r\n \r\n"
                                 << QStringList{"Dupont \r", "\n\r", "\n \r", "\n"};
    QTest::newRow("last line trimmed") << "A\r\n  Pays  " << QStringList{"A\r", "\n  Pays"};
}

void TestAddressBlock::decoupeAdresse()
{
    QFETCH(QString, block);
    QFETCH(QStringList, lines);
    AddressOptions o;
    o.BlocAdresse = block;
    o.Lignes[5] = QStringLiteral("stale");
    DecoupeAdresse(o);
    QCOMPARE(o.NbLignes, int(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(o.Lignes[i + 1], lines[i]);
}

void TestAddressBlock::titreMenuItemsAndOrder()
{
    QMenuBar bar;
    AddressOptions o;
    FakeRecordForm form;
    TitreMenu menu(&bar, QStringLiteral("&Titre"), o, form, {});
    QCOMPARE(menu.menu()->objectName(), QStringLiteral("Mnu_Titre"));
    QCOMPARE(menu.menu()->title(), QStringLiteral("&Titre"));
    QStringList seen;
    for (QAction* a : menu.menu()->actions())
        seen << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + "=" + a->text());
    QCOMPARE(seen, (QStringList{"Mnu_TitreAucun=Aucun", "Mnu_TitreMonsieur=Monsieur",
                                "Mnu_TitreMadame=Madame", "Mnu_TitreMademoiselle=Mademoiselle", "-",
                                "Mnu_NomPrenom=Nom + Prénom", "Mnu_PrenomNom=Prénom + Nom", "-",
                                "Mnu_NomSociete=Nom + Société", "Mnu_SocieteNom=Société + Nom"}));
}

void TestAddressBlock::titreMenuCommandComposesAndShows()
{
    DurandMenu m;
    QMenuBar& bar = m.bar;
    AddressOptions& o = m.o;
    QStringList& shown = m.shown;
    TitreMenu& menu = m.menu;

    bar.findChild<QAction*>(QStringLiteral("Mnu_TitreMademoiselle"))->trigger();
    QCOMPARE(o.TypeTitre, 3);
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.last().startsWith(QStringLiteral("Mlle Durand Marie\r\n")));
    QCOMPARE(o.BlocAdresse, shown.last());

    // Choosing the already checked item keeps its mark.
    QAction* mlle = menu.action(TitreCommand::Mademoiselle);
    QVERIFY(mlle->isChecked());
    mlle->trigger();
    QVERIFY(mlle->isChecked());
    QVERIFY(!menu.action(TitreCommand::Aucun)->isChecked());

    menu.action(TitreCommand::SocieteNom)->trigger();
    QVERIFY(shown.last().startsWith(QStringLiteral("Ateliers Lebrun\r\nMlle Durand Marie\r\n")));
    QVERIFY(menu.action(TitreCommand::SocieteNom)->isChecked());
    QVERIFY(!menu.action(TitreCommand::NomSociete)->isChecked());
}

void TestAddressBlock::openingTheMenuOnlyRefreshesTheMarks()
{
    QMenuBar bar;
    AddressOptions o;
    FakeRecordForm form;
    int shows = 0;
    TitreMenu menu(&bar, QStringLiteral("&Titre"), o, form, [&](const QString&) { ++shows; });
    // Another window changed the options meanwhile.
    o.TypeTitre = 2;
    o.OrdreNom = 1;
    o.OrdreSociete = 1;
    emit menu.menu()->aboutToShow();
    QCOMPARE(shows, 0);
    QStringList checked;
    for (QAction* a : menu.menu()->actions())
        if (a->isChecked())
            checked << a->objectName();
    QCOMPARE(checked, (QStringList{"Mnu_TitreMadame", "Mnu_PrenomNom", "Mnu_SocieteNom"}));
    // An unknown title value marks "Aucun".
    o.TypeTitre = 7;
    menu.refreshChecks();
    QVERIFY(menu.action(TitreCommand::Aucun)->isChecked());
}

void TestAddressBlock::affichTitreKeepsTheTitleAndRecomposes()
{
    DurandMenu m;
    AddressOptions& o = m.o;
    TitreMenu& menu = m.menu;
    // A title chosen in the envelope window holds here too.
    applyTitreCommand(o, TitreCommand::Mademoiselle);
    o.OrdreNom = 1;
    menu.affichTitre();
    QCOMPARE(m.shown.last(), QStringLiteral("Mlle Marie Durand\r\nAteliers Lebrun\r\n12 rue des "
                                            "Lilas\r\n\r\n69003 Lyon\r\nFrance"));
    QVERIFY(menu.action(TitreCommand::Mademoiselle)->isChecked());
    QVERIFY(menu.action(TitreCommand::PrenomNom)->isChecked());
    // The record changed in the main window: the next refresh shows it.
    m.form.records[0][0] = QStringLiteral("Martin");
    menu.affichTitre();
    QVERIFY(m.shown.last().startsWith(QStringLiteral("Mlle Marie Martin\r\n")));
}

QTEST_MAIN(TestAddressBlock)
#include "tst_addressblock.moc"
