#include "core/recordform.h"
#include "datacolumns.h"
#include "envelopes/envelopescene.h"
#include "envelopes/envelopeview.h"
#include "envelopes/printedtextlabel.h"
#include "impenvfixture.h"
#include "labels/impetiq.h"

#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

class TestImpEnv : public QObject
{
    Q_OBJECT
private slots:
    void openingState();
    void captionsTooltipsAndMenus();
    void formatOptions_data();
    void formatOptions();
    void customScrollBars();
    void reopeningResetsTheFormat();
    void printOptions_data();
    void printOptions();
    void previewsSitWhereThePrintGoes();
    void sceneFitsTheDrawing_data();
    void sceneFitsTheDrawing();
    void titleChoiceSharedWithTheLabelWindow();
    void activationRunsEveryOrderCommand();
    void recordMoves();
    void recordMovesWithAnEmptyList();
    void envelopeDrawnToScaleWithAWarningForALongLine();
};

void TestImpEnv::openingState()
{
    Fixture f;
    f.state.label.PosX = 123; // left by the label window
    f.state.label.PosY = 4;
    f.printer.orientationValue = 2;
    ImpEnv& w = f.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Impression des enveloppes"));
    f.checkFirstFormat();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(w.content(), EnvelopeContent::AddressOnly);
    QVERIFY(!f.shown("Label2"));
    QVERIFY(!f.shown("Label9"));
    QVERIFY(f.shown("Label15"));
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Paysage"));
    QVERIFY(f.action("Mnu_ImpPays")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPort")->isChecked());

    // The address preview: the current record's block in the print font.
    QCOMPARE(w.addressPreview()->text(), kDurand);
    QCOMPARE(w.addressPreview()->font().family(), QStringLiteral("Arial"));
    QCOMPARE(w.addressPreview()->font().pointSizeF(), 10.0);
    QVERIFY(f.action("Mnu_TitreAucun")->isChecked());
    QVERIFY(f.action("Mnu_NomPrenom")->isChecked());
    QVERIFY(f.action("Mnu_NomSociete")->isChecked());
    // The sender preview, hidden, already holds the sender text in the sender font and colour.
    QCOMPARE(w.senderPreview()->text(),
             QStringLiteral("Jean Dupont\n12 rue des Roses\n\n75011 Paris\n\n"));
    QCOMPARE(w.senderPreview()->font().family(), QStringLiteral("Courier"));
    QCOMPARE(w.senderPreview()->font().pointSizeF(), 9.0);
    QVERIFY(w.senderPreview()->font().italic());
    QCOMPARE(w.senderPreview()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(f.verifyDone());
}

void TestImpEnv::captionsTooltipsAndMenus()
{
    Fixture f;
    ImpEnv& w = f.open();
    const QList<QPair<const char*, const char*>> captions = {
        {"Option1", "160 x 115"},
        {"Option2", "220 x 110"},
        {"Option3", "230 x 160"},
        {"Option4", "Personnalisé"},
        {"Option5", "Adresse et étiquette expéditeur"},
        {"Option6", "Etiquette expéditeur seule"},
        {"Option7", "Adresse seule"},
        {"Command1", "&Imprimer"},
        {"Command2", "&Quitter"},
        {"Command3", "<<   Fiche précédente"},
        {"Command4", "Fiche suivante   >>"},
        {"Command5", "P&remière fiche"},
        {"Command6", "&Dernière fiche"},
        {"Command7", "&Aide"},
        {"Command8", "Mode Portrait"},
        {"Command9", "Mode Paysage"},
        {"Label2", "L'imprimante doit être configurée en mode paysage"},
        {"Label3", "Gauche :"},
        {"Label4", "Haute :"},
        {"Label7", " Marge gauche "},
        {"Label8", "Marge haute"},
        {"Label11", "Orientation Imprimante :"},
    };
    for (const auto& [name, caption] : captions) {
        QWidget* widget = f.child<QWidget>(name);
        const QString text = widget->property("text").toString();
        QVERIFY2(text == QString::fromUtf8(caption), name);
    }
    // The window's named controls are the ones above.
    const QList<QPair<QWidget*, const char*>> named = {
        {w.formatOption(EnvelopeFormatId::F160x115), "Option1"},
        {w.formatOption(EnvelopeFormatId::F220x110), "Option2"},
        {w.formatOption(EnvelopeFormatId::F230x160), "Option3"},
        {w.formatOption(EnvelopeFormatId::Custom), "Option4"},
        {w.contentOption(EnvelopeContent::AddressAndSender), "Option5"},
        {w.contentOption(EnvelopeContent::SenderOnly), "Option6"},
        {w.contentOption(EnvelopeContent::AddressOnly), "Option7"},
        {w.printButton(), "Command1"},
        {w.closeButton(), "Command2"},
        {w.moveButton(ListMove::Previous), "Command3"},
        {w.moveButton(ListMove::Next), "Command4"},
        {w.moveButton(ListMove::First), "Command5"},
        {w.moveButton(ListMove::Last), "Command6"},
        {w.marginHelpButton(), "Command7"},
        {w.portraitButton(), "Command8"},
        {w.landscapeButton(), "Command9"},
        {w.leftScrollBar(), "HScroll1"},
        {w.topScrollBar(), "VScroll1"},
        {w.senderPreview(), "Label9"},
        {w.addressPreview(), "Label15"},
    };
    for (const auto& [widget, name] : named)
        QCOMPARE(widget->objectName(), QString::fromLatin1(name));
    const QList<QPair<const char*, const char*>> frames = {
        {"Frame1", "Format enveloppe en mm "},    {"Frame2", ""},
        {"Frame3", "Marges d'impression en mm "}, {"Frame4", "Marges en mm "},
        {"Frame5", "Options d'impression "},
    };
    for (const auto& [name, title] : frames)
        QCOMPARE(f.child<QGroupBox>(name)->title(), QString::fromUtf8(title));
    QCOMPARE(w.portraitButton()->toolTip(),
             QStringLiteral("Configurer l'imprimane en mode Portrait"));
    QCOMPARE(w.landscapeButton()->toolTip(),
             QStringLiteral("Configurer l'imprimane en mode Paysage"));
    QVERIFY(f.child<QWidget>("Image1"));
    // The scroll bars, the only input controls besides buttons, are named for screen readers.
    QVERIFY(!w.leftScrollBar()->accessibleName().isEmpty());
    QVERIFY(!w.topScrollBar()->accessibleName().isEmpty());

    QStringList menus;
    for (QAction* top : w.menuBar()->actions()) {
        QStringList items;
        for (QAction* a : top->menu()->actions()) {
            if (a->isSeparator()) {
                items << QStringLiteral("-");
                continue;
            }
            QString entry = a->objectName() + "=" + a->text();
            if (!a->shortcut().isEmpty())
                entry += " (" + a->shortcut().toString() + ")";
            items << entry;
        }
        menus << top->menu()->objectName() + "=" + top->text() + ": " + items.join(", ");
    }
    QCOMPARE(menus,
             (QStringList{"Mnu_Enveloppe=&Enveloppe: Mnu_Police=&Police adresse... (Ctrl+P), "
                          "Mnu_Couleur=Cou&leur du texte... (Ctrl+C), -, Mnu_ImprimEnv=&Imprimer "
                          "(Ctrl+I), Mnu_ApercuEnv=Aperçu a&vant impression, "
                          "Mnu_ImpPort=Imprimante en mode Portrait, "
                          "Mnu_ImpPays=Imprimante en mode Paysage, "
                          "Mnu_ConfImp=&Configurer l'imprimante, -, "
                          "Mnu_Utilisateur=&Définition de l'utilisateur (Ctrl+U), -, "
                          "Mnu_Fermer=&Quitter (Ctrl+Q)",
                          "Mnu_Titre=&Titre/Format: Mnu_TitreAucun=Aucun, "
                          "Mnu_TitreMonsieur=Monsieur, Mnu_TitreMadame=Madame, "
                          "Mnu_TitreMademoiselle=Mademoiselle, -, Mnu_NomPrenom=Nom + Prénom, "
                          "Mnu_PrenomNom=Prénom + Nom, -, Mnu_NomSociete=Nom + Société, "
                          "Mnu_SocieteNom=Sociéte + Nom",
                          "Mnu_Param=&Paramètres: Mnu_ChargeParam=&Charger des paramètres, "
                          "Mnu_SauvePAram=&Sauver les paramètres"}));
}

void TestImpEnv::formatOptions_data()
{
    addColumns<EnvelopeFormatId, EnvelopeFormatId, QString, bool, bool, int, int>(
        "before", "chosen", "caption", "notice", "scrollBars", "x", "y");
    const auto f160 = EnvelopeFormatId::F160x115;
    const auto f220 = EnvelopeFormatId::F220x110;
    const auto f230 = EnvelopeFormatId::F230x160;
    const auto custom = EnvelopeFormatId::Custom;
    QTest::newRow("220 x 110") << f160 << f220 << "Enveloppe 220 x 110 mm" << false << false << 100
                               << 45;
    QTest::newRow("230 x 160") << f160 << f230 << "Enveloppe 230 x 160 mm" << true << false << 100
                               << 90;
    QTest::newRow("back to 160 x 115")
        << f230 << f160 << "Enveloppe 160 x 115 mm" << false << false << 70 << 50;
    QTest::newRow("custom after 160 x 115")
        << f160 << custom << "Enveloppe personnalisée marges paramétrées" << false << true << 70
        << 50;
    QTest::newRow("custom after 220 x 110")
        << f220 << custom << "Enveloppe personnalisée marges paramétrées" << false << true << 100
        << 45;
    QTest::newRow("custom after 230 x 160")
        << f230 << custom << "Enveloppe personnalisée marges paramétrées" << false << true << 100
        << 90;
}

void TestImpEnv::formatOptions()
{
    QFETCH(EnvelopeFormatId, before);
    QFETCH(EnvelopeFormatId, chosen);
    QFETCH(QString, caption);
    QFETCH(bool, notice);
    QFETCH(bool, scrollBars);
    QFETCH(int, x);
    QFETCH(int, y);
    Fixture f;
    ImpEnv& w = f.open();
    w.formatOption(before)->click();
    w.formatOption(chosen)->click();
    QVERIFY(w.formatOption(chosen)->isChecked());
    QCOMPARE(f.label("Label1"), caption);
    QCOMPARE(f.shown("Label2"), notice);
    QCOMPARE(f.shown("Frame4"), scrollBars);
    QCOMPARE(f.state.label.PosX, double(x));
    QCOMPARE(f.state.label.PosY, double(y));
    QCOMPARE(f.label("Label5"), QString::number(x));
    QCOMPARE(f.label("Label6"), QString::number(y));
    if (scrollBars) {
        QCOMPARE(w.leftScrollBar()->value(), x);
        QCOMPARE(w.topScrollBar()->value(), y);
    }
    QVERIFY(f.verifyDone());
}

void TestImpEnv::customScrollBars()
{
    Fixture f;
    ImpEnv& w = f.open();
    w.formatOption(EnvelopeFormatId::F230x160)->click();
    w.formatOption(EnvelopeFormatId::Custom)->click();
    auto* h = w.leftScrollBar();
    auto* v = w.topScrollBar();
    QCOMPARE(h->minimum(), 20);
    QCOMPARE(h->maximum(), 300);
    QCOMPARE(v->minimum(), 20);
    QCOMPARE(v->maximum(), 300);
    QCOMPARE(h->value(), 100);
    QCOMPARE(v->value(), 90);

    // One arrow click moves by one millimetre.
    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    v->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(f.state.label.PosX, 101.0);
    QCOMPARE(f.state.label.PosY, 89.0);
    QCOMPARE(f.label("Label5"), QStringLiteral("101"));
    QCOMPARE(f.label("Label6"), QStringLiteral("89"));

    // The bars stop at their ends.
    h->setValue(1000);
    v->setValue(0);
    QCOMPARE(f.state.label.PosX, 300.0);
    QCOMPARE(f.state.label.PosY, 20.0);

    // A fixed format takes over again, the bars hide, and the next custom choice starts from it.
    w.formatOption(EnvelopeFormatId::F220x110)->click();
    QCOMPARE(f.state.label.PosX, 100.0);
    QVERIFY(!f.shown("Frame4"));
    w.formatOption(EnvelopeFormatId::Custom)->click();
    QCOMPARE(h->value(), 100);
    QCOMPARE(v->value(), 45);
    QVERIFY(f.verifyDone());
}

void TestImpEnv::reopeningResetsTheFormat()
{
    Fixture f;
    ImpEnv& w = f.open();
    w.formatOption(EnvelopeFormatId::Custom)->click();
    w.leftScrollBar()->setValue(150);
    w.topScrollBar()->setValue(120);
    w.contentOption(EnvelopeContent::AddressAndSender)->click();
    QTest::mouseClick(w.closeButton(), Qt::LeftButton);
    QVERIFY(!f.window->isVisible());
    QCOMPARE(f.state.label.PosX, 150.0);

    f.open();
    f.checkFirstFormat();
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!f.shown("Label9"));
    QVERIFY(f.verifyDone());
}

void TestImpEnv::printOptions_data()
{
    addColumns<QString, bool, bool, EnvelopeContent>("option", "sender", "address", "content");
    QTest::newRow("both") << "Option5" << true << true << EnvelopeContent::AddressAndSender;
    QTest::newRow("sender only") << "Option6" << true << false << EnvelopeContent::SenderOnly;
    QTest::newRow("address only, after both")
        << "Option7" << false << true << EnvelopeContent::AddressOnly;
}

void TestImpEnv::printOptions()
{
    QFETCH(QString, option);
    QFETCH(bool, sender);
    QFETCH(bool, address);
    QFETCH(EnvelopeContent, content);
    Fixture f;
    ImpEnv& w = f.open();
    w.contentOption(EnvelopeContent::AddressAndSender)->click();
    f.child<QRadioButton>(qPrintable(option))->click();
    QCOMPARE(w.contentOption(content)->objectName(), option);
    QCOMPARE(f.shown("Label9"), sender);
    QCOMPARE(f.shown("Label15"), address);
    QCOMPARE(w.content(), content);
    QCOMPARE(w.drawing()->scene().senderShown, sender);
    QCOMPARE(w.drawing()->scene().addressShown, address);
}

void TestImpEnv::previewsSitWhereThePrintGoes()
{
    Fixture f;
    f.state.sender.MarginLeft = 15;
    f.state.sender.MarginTop = 8;
    ImpEnv& w = f.open();
    w.resize(900, 600);
    w.contentOption(EnvelopeContent::AddressAndSender)->click();
    for (EnvelopeFormatId format :
         {EnvelopeFormatId::F160x115, EnvelopeFormatId::F220x110, EnvelopeFormatId::F230x160}) {
        w.formatOption(format)->click();
        QCoreApplication::processEvents();
        const EnvelopeScene& scene = w.drawing()->scene();
        const EnvelopeFormat expected = envelopeFormat(format);
        QCOMPARE(scene.envelope, QSizeF(expected.width, expected.height));
        const SceneMapping m = w.drawing()->mapping();
        const QPoint address = m.toPixels(QPointF(expected.PosX, expected.PosY)).toPoint();
        QCOMPARE(w.addressPreview()->pos(), address);
        // The sender text is 2 mm inside its frame, as printed.
        const QPointF frame = m.toPixels(QPointF(15, 8));
        QVERIFY(w.senderPreview()->x() > frame.x());
        QVERIFY(w.senderPreview()->y() >= frame.y());
        // Both start on the envelope drawn.
        const QRectF envelope = m.toPixels(QRectF(QPointF(0, 0), scene.envelope));
        QVERIFY(envelope.contains(w.addressPreview()->pos()));
        QVERIFY(envelope.contains(w.senderPreview()->pos()));
    }
    // The custom position keeps the envelope last drawn and moves the address on it.
    w.formatOption(EnvelopeFormatId::Custom)->click();
    w.leftScrollBar()->setValue(160);
    QCOMPARE(w.drawing()->scene().envelope, QSizeF(230, 160));
    QCOMPARE(w.drawing()->scene().address, QPointF(160, 90));
    QCOMPARE(w.addressPreview()->pos(),
             w.drawing()->mapping().toPixels(QPointF(160, 90)).toPoint());
}

void TestImpEnv::sceneFitsTheDrawing_data()
{
    addColumns<QPointF, QRectF, bool, QSizeF>("address", "frame", "sender", "area");
    QTest::newRow("inside the envelope")
        << QPointF(70, 50) << QRectF(20, 10, 45, 20) << true << QSizeF(500, 300);
    QTest::newRow("address far right")
        << QPointF(300, 90) << QRectF(20, 10, 45, 20) << false << QSizeF(500, 300);
    QTest::newRow("negative margins")
        << QPointF(70, 50) << QRectF(-10, -5, 45, 20) << true << QSizeF(500, 300);
    QTest::newRow("negative frame size")
        << QPointF(70, 50) << QRectF(30, 40, -45, -50) << true << QSizeF(300, 500);
    QTest::newRow("0 x 0 frame") << QPointF(20, 20) << QRectF(-4, 3, 0, 0) << true
                                 << QSizeF(400, 400);
}

void TestImpEnv::sceneFitsTheDrawing()
{
    QFETCH(QPointF, address);
    QFETCH(QRectF, frame);
    QFETCH(bool, sender);
    QFETCH(QSizeF, area);
    EnvelopeScene scene;
    scene.envelope = QSizeF(160, 115);
    scene.address = address;
    scene.senderFrame = frame;
    scene.senderShown = sender;
    const QSizeF addressPixels(150, 90);
    const QSizeF senderPixels(120, 70);
    const QList<SceneItem> items = sceneItems(scene, addressPixels, senderPixels);
    QCOMPARE(items.size(), sender ? 4 : 2);

    // Every item shows whole inside the area, margins kept; one side fills its room.
    const double margin = 8;
    const SceneMapping m = fitScene(items, area, margin);
    QVERIFY(m.scale > 0);
    double right = 0;
    double bottom = 0;
    for (const SceneItem& item : items) {
        const QRectF shown =
            m.toPixels(item.mm).adjusted(0, 0, item.pixels.width(), item.pixels.height());
        QVERIFY(shown.left() >= margin - 1e-6 && shown.top() >= margin - 1e-6);
        QVERIFY(shown.right() <= area.width() - margin + 1e-6);
        QVERIFY(shown.bottom() <= area.height() - margin + 1e-6);
        right = qMax(right, shown.right());
        bottom = qMax(bottom, shown.bottom());
    }
    QVERIFY(qAbs(right - (area.width() - margin)) < 1e-6 ||
            qAbs(bottom - (area.height() - margin)) < 1e-6);
    // The envelope's corner is where the items say.
    QCOMPARE(m.toPixels(QPointF(0, 0)), m.origin);
    // The sender text sits 2 mm inside its frame.
    QCOMPARE(scene.senderText().x(), frame.normalized().left() + 2);

    // An area smaller than a preview still gives a usable scale.
    QVERIFY(fitScene(items, QSizeF(50, 50), margin).scale > 0);
}

void TestImpEnv::titleChoiceSharedWithTheLabelWindow()
{
    Fixture f;
    ImpEnv& w = f.open();
    f.action("Mnu_TitreMademoiselle")->trigger();
    QVERIFY(w.addressPreview()->text().startsWith(QStringLiteral("Mlle Durand Marie\n")));
    QVERIFY(f.action("Mnu_TitreMademoiselle")->isChecked());
    QVERIFY(!f.action("Mnu_TitreAucun")->isChecked());
    QTest::mouseClick(w.closeButton(), Qt::LeftButton);

    {
        ImpEtiq labels(f.state, f.services, f.form);
        labels.show();
        QVERIFY(labels.addressPreview()->text().startsWith(QStringLiteral("Mlle Durand Marie\n")));
        QVERIFY(labels.findChild<QAction*>("Mnu_TitreMademoiselle")->isChecked());
        labels.findChild<QAction*>("Mnu_TitreMadame")->trigger();
        labels.findChild<QAction*>("Mnu_SocieteNom")->trigger();
        labels.close();
    }

    ImpEnv& again = f.open();
    QCOMPARE(again.addressPreview()->text(),
             QStringLiteral("Ateliers Lebrun\nMme Durand Marie\n12 rue des Lilas\n\n69003 Lyon\n"));
    QVERIFY(f.action("Mnu_TitreMadame")->isChecked());
    QVERIFY(f.action("Mnu_SocieteNom")->isChecked());
    QVERIFY(f.verifyDone());
}

void TestImpEnv::activationRunsEveryOrderCommand()
{
    Fixture f;
    f.state.address.TypeTitre = 7; // not a title: counts as none
    f.state.address.PrefixeTitre = QStringLiteral("M. ");
    f.state.address.OrdreNom = 1;
    f.state.address.OrdreSociete = 1;
    ImpEnv& w = f.open();
    QCOMPARE(f.state.address.TypeTitre, 0);
    QCOMPARE(f.state.address.PrefixeTitre, QString());
    QCOMPARE(w.addressPreview()->text(),
             QStringLiteral("Ateliers Lebrun\nMarie Durand\n12 rue des Lilas\n\n69003 Lyon\n"));
    QVERIFY(f.action("Mnu_TitreAucun")->isChecked());
    QVERIFY(f.action("Mnu_PrenomNom")->isChecked());
    QVERIFY(!f.action("Mnu_NomPrenom")->isChecked());
    QVERIFY(f.action("Mnu_SocieteNom")->isChecked());
    // The block composed is the one printed.
    QCOMPARE(f.state.address.BlocAdresse,
             QStringLiteral("Ateliers Lebrun\r\nMarie Durand\r\n12 rue des Lilas\r\n\r\n69003 "
                            "Lyon\r\n"));
}

void TestImpEnv::recordMoves()
{
    Fixture f;
    ImpEnv& w = f.open();
    f.walkTheNameList(kDurand);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(w.addressPreview()->text(), kDurand);

    // A title chosen holds for the next record.
    f.action("Mnu_TitreMonsieur")->trigger();
    QTest::mouseClick(w.moveButton(ListMove::Next), Qt::LeftButton);
    QVERIFY(w.addressPreview()->text().startsWith(QStringLiteral("M. Martin Paul\n")));

    // An index left beyond the list (the list shrank) comes back into it.
    f.state.search.IndexTrouve = 9;
    QTest::mouseClick(w.moveButton(ListMove::Previous), Qt::LeftButton);
    QCOMPARE(f.form.selected, 2);
    QCOMPARE(f.state.search.IndexTrouve, 2);
    QVERIFY(f.verifyDone());
}

void TestImpEnv::recordMovesWithAnEmptyList()
{
    Fixture f;
    f.form.records.clear();
    f.form.selected = -1;
    f.state.search.IndexTrouve = -1;
    ImpEnv& w = f.open();
    for (ListMove move : {ListMove::Previous, ListMove::Next, ListMove::First, ListMove::Last})
        QTest::mouseClick(w.moveButton(move), Qt::LeftButton);
    QVERIFY(f.form.selections.isEmpty());
    QVERIFY(w.isVisible());
    // The empty record still composes its block.
    QCOMPARE(w.addressPreview()->text(), QStringLiteral(" \n\n \n"));
}

void TestImpEnv::envelopeDrawnToScaleWithAWarningForALongLine()
{
    Fixture f;
    f.form.records[0][0] = QStringLiteral("Durand-Lefebvre de la Tour d'Auvergne et Compagnie");
    ImpEnv& w = f.open();
    w.resize(900, 600);
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QLabel* warning = w.overflowWarning();
    QCOMPARE(warning->text(),
             QStringLiteral("Attention : une ligne dépasse le bord de l'enveloppe."));
    // 160 x 115: the name runs past the right edge; the drawing takes it in, to scale.
    QVERIFY(warning->isVisible());
    const EnvelopeScene& scene = w.drawing()->scene();
    QVERIFY(scene.addressBox.right() > 160);
    const SceneMapping m = w.drawing()->mapping();
    QVERIFY(m.toPixels(QPointF(scene.addressBox.right(), 0)).x() <= w.drawing()->width());
    // The address lines are those printed, in the print font's size (Arial 10: about 4 mm a
    // line), from the address corner.
    QStringList lines;
    QList<double> tops;
    for (const PrintedItem& item :
         w.drawing()->findChild<PrintedTextLabel*>("Label15")->printed().items) {
        lines << item.text;
        tops << item.at.y();
        QCOMPARE(item.at.x(), 70.0);
    }
    QCOMPARE(lines, (QStringList{f.form.records[0][0] + QStringLiteral(" Marie"), "Ateliers Lebrun",
                                 "12 rue des Lilas", "69003 Lyon"}));
    QVERIFY2(tops[1] - tops[0] > 3.5 && tops[1] - tops[0] < 5,
             qPrintable(QString::number(tops[1] - tops[0])));

    // The sender label alone: the address is not printed, nothing runs past.
    QTest::mouseClick(w.contentOption(EnvelopeContent::SenderOnly), Qt::LeftButton, {},
                      QPoint(6, 6));
    QVERIFY(!warning->isVisible());
    QTest::mouseClick(w.contentOption(EnvelopeContent::AddressOnly), Qt::LeftButton, {},
                      QPoint(6, 6));
    QVERIFY(warning->isVisible());
    // A wider envelope takes it.
    QTest::mouseClick(w.formatOption(EnvelopeFormatId::F230x160), Qt::LeftButton, {}, QPoint(6, 6));
    QVERIFY(!warning->isVisible());
    QVERIFY(f.verifyDone());
}

QTEST_MAIN(TestImpEnv)
#include "tst_impenv.moc"
