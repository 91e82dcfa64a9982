#include "core/numbertext.h"
#include "core/recordform.h"
#include "datacolumns.h"
#include "impetiqfixture.h"
#include "labels/addressblock.h"
#include "labels/labelpreview.h"
#include "labels/minisheet.h"
#include "printer/printersurface.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace
{

const QColor kCyan(192, 255, 255);

bool activate(QWidget& w)
{
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

} // namespace

class TestImpEtiq : public QObject
{
    Q_OBJECT
private slots:
    void openingState();
    void everyControlAndMenuIsThere();
    void clickingAPositionSelectsIt();
    void countMessages_data();
    void countMessages();
    void scrollBarAndCountFollowEachOther();
    void keyFilters_data();
    void keyFilters();
    void navigationThroughTheNameList();
    void switchingModesKeepsTheSelectedPosition();
    void printingTheSelectedLabel();
    void closingStoresTheCheckBoxes();
    void everyLineOfTheLabelIsDrawnToScale();
    void warningWhenALineRunsPastTheLabel();
    void labelsOffTheLandscapePageAreNamed();
    void printerPaperOtherThanA4IsNamed();
};

void TestImpEtiq::openingState()
{
    Fixture f;
    f.state.label.NumEtiquette = 6; // from an earlier opening
    f.state.label.ModeImpression = 1;
    ImpEtiq& w = f.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Paramétrage de l'impression DEFAUT"));
    QVERIFY(f.child<QRadioButton>("Option2")->isChecked());
    QVERIFY(!f.child<QRadioButton>("Option1")->isChecked());
    QCOMPARE(f.child<QRadioButton>("Option1")->text(), QStringLiteral("8 étiquettes identiques"));
    QCOMPARE(f.state.label.NumEtiquette, 0);
    QCOMPARE(f.state.label.ModeImpression, 0);
    QVERIFY(!w.printButton()->isEnabled());
    QCOMPARE(w.printButton()->text(), QStringLiteral("&Imprimer l'étiquette N°  0"));
    QVERIFY(f.child<QGroupBox>("Frame4")->isHidden());
    QVERIFY(!f.child<QLabel>("Label11")->isHidden());
    QCOMPARE(w.countBox()->text(), QStringLiteral("8"));
    QCOMPARE(f.child<QScrollBar>("VScroll1")->value(), 8);
    const QStringList geometry{"5", "0", "0", "0", "90", "45"};
    for (int i = 0; i < kGeometryFieldCount; ++i)
        QCOMPARE(w.geometryBox(GeometryField(i))->text(), geometry[i]);
    QVERIFY(f.child<QCheckBox>("Check1")->isChecked());
    QVERIFY(f.child<QCheckBox>("Check2")->isChecked());
    QCOMPARE(f.child<QLabel>("Label16")->text(), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.action("Mnu_ImpPort")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPays")->isChecked());
    for (int n = 1; n <= 10; ++n) {
        QVERIFY(w.position(n)->isEnabled());
        QCOMPARE(w.position(n)->background(), QColor(Qt::white));
    }
    // The preview shows the block of the current record in the print font and colour.
    QCOMPARE(w.addressPreview()->text(), QStringLiteral("Durand Marie\nAteliers Lebrun\n12 rue des "
                                                        "Lilas\n\n69003 Lyon\nFrance"));
    QCOMPARE(w.addressPreview()->font().family(), QStringLiteral("Arial"));
    QCOMPARE(w.addressPreview()->font().pointSizeF(), 10.0);
    QVERIFY(f.action("Mnu_TitreAucun")->isChecked());
    QVERIFY(f.verifyDone());
}

void TestImpEtiq::everyControlAndMenuIsThere()
{
    Fixture f;
    ImpEtiq& w = f.open();
    const QList<QPair<const char*, const char*>> tips = {
        {"Label1", "Cliquez pour sélectionner"},
        {"Label10", "Cliquez pour sélectionner"},
        {"Text1", "Marge gauche"},
        {"Text2", "Séparateur horizontal"},
        {"Text3", "Marge haute"},
        {"Text4", "Séparateur vertical"},
        {"Text5", "Largeur de l'étiquette"},
        {"Text6", "Hauteur de l'étiquette"},
        {"Command3", "Fiche précédente"},
        {"Command6", "Fiche suivante"},
        {"Command7", "Imprimante en mode Portrait"},
        {"Command8", "Imprimante en mode Paysage"},
        {"Label16", "Orientation de l'imprimante en cours"}};
    for (const auto& [name, tip] : tips)
        QCOMPARE(f.child<QWidget>(name)->toolTip(), QString::fromUtf8(tip));
    const QList<QPair<const char*, const char*>> captions = {
        {"Label1", "Etiquette 1"},
        {"Label10", "Etiquette 10"},
        {"Label12", "Marges et séparateurs en mm"},
        {"Label13", "Nombre d'étiquettes identiques"},
        {"Label14", "( Maximum 10 )......:"},
        {"Label11", "Cliquez sur l'étiquette que vous désirez imprimer  >"}};
    for (const auto& [name, caption] : captions)
        QCOMPARE(f.child<QLabel>(name)->text(), QString::fromUtf8(caption));
    QCOMPARE(f.child<QGroupBox>("Frame1")->title(), QStringLiteral("Feuille A4 "));
    QCOMPARE(f.child<QGroupBox>("Frame2")->title(), QStringLiteral("Option d'impression "));
    QCOMPARE(f.child<QGroupBox>("Frame3")->title(), QStringLiteral("Option étiquette "));
    QCOMPARE(f.child<QCheckBox>("Check2")->text(), QStringLiteral("Imprimer découpe"));
    QCOMPARE(f.child<QRadioButton>("Option2")->text(), QStringLiteral("Etiquette sélectionnée"));
    const QList<QPair<QPushButton*, const char*>> buttons = {
        {w.printButton(), "&Imprimer l'étiquette N°  0"},
        {w.closeButton(), "&Quitter"},
        {w.moveButton(ListMove::Previous), "<<"},
        {w.moveButton(ListMove::First), "P&remière fiche"},
        {w.moveButton(ListMove::Last), "&Dernière fiche"},
        {w.moveButton(ListMove::Next), ">>"},
        {w.portraitButton(), "Portrait"},
        {w.landscapeButton(), "Paysage"}};
    const QStringList buttonNames{"Command1", "Command2", "Command3", "Command4",
                                  "Command5", "Command6", "Command7", "Command8"};
    for (int i = 0; i < buttons.size(); ++i) {
        QCOMPARE(buttons[i].first->objectName(), buttonNames[i]);
        QCOMPARE(buttons[i].first->text(), QString::fromUtf8(buttons[i].second));
    }
    // Every box can be named by a screen reader.
    QList<QLineEdit*> boxes{w.countBox()};
    for (int i = 0; i < kGeometryFieldCount; ++i)
        boxes << w.geometryBox(GeometryField(i));
    for (QLineEdit* box : boxes)
        QVERIFY(!box->accessibleName().isEmpty() ||
                w.findChildren<QLabel*>().end() !=
                    std::find_if(w.findChildren<QLabel*>().begin(), w.findChildren<QLabel*>().end(),
                                 [&](QLabel* l) { return l->buddy() == box; }));

    QStringList menus;
    for (QAction* top : w.menuBar()->actions()) {
        QStringList items;
        for (QAction* a : top->menu()->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + "=" + a->text());
        menus << top->menu()->objectName() + "=" + top->text() + ": " + items.join(", ");
    }
    QCOMPARE(menus,
             (QStringList{"Mnu_Etiq=&Etiquette: Mnu_Police=Police..., Mnu_Couleur=Cou&leur du "
                          "texte..., -, Mnu_Apercu=Aperçu a&vant impression, "
                          "Mnu_ConfIMP=&Configurer l'imprimante, "
                          "Mnu_ImpPort=Imprimante en mode Portrait, Mnu_ImpPays=Imprimante en "
                          "mode Paysage, -, Mnu_fermer=&Quitter",
                          "Mnu_Titre=&Titre: Mnu_TitreAucun=Aucun, Mnu_TitreMonsieur=Monsieur, "
                          "Mnu_TitreMadame=Madame, Mnu_TitreMademoiselle=Mademoiselle, -, "
                          "Mnu_NomPrenom=Nom + Prénom, Mnu_PrenomNom=Prénom + Nom, -, "
                          "Mnu_NomSociete=Nom + Société, Mnu_SocieteNom=Société + Nom",
                          "Mnu_Param=&Paramètres: Mnu_ChargeParam=&Charger des paramètres, "
                          "Mnu_SauveParam=&Sauver les paramètres, "
                          "Mnu_ParamDefaut=&Paramètres à défaut"}));
}

void TestImpEtiq::clickingAPositionSelectsIt()
{
    Fixture f;
    ImpEtiq& w = f.open();
    // Margins typed first count for the corner.
    selectAllAndType(w.geometryBox(GeometryField::LeftMargin), QStringLiteral("10"));
    selectAllAndType(w.geometryBox(GeometryField::TopMargin), QStringLiteral("2"));
    selectAllAndType(w.geometryBox(GeometryField::VerticalGap), QStringLiteral("1.5"));
    QTest::mouseClick(w.position(7), Qt::LeftButton);
    QCOMPARE(f.state.label.NumEtiquette, 7);
    QVERIFY(w.printButton()->isEnabled());
    QCOMPARE(w.printButton()->text(), QStringLiteral("&Imprimer l'étiquette N°  7"));
    for (int n = 1; n <= 10; ++n)
        QCOMPARE(w.position(n)->background(), n == 7 ? kCyan : QColor(Qt::white));
    QCOMPARE(f.state.label.PosX, 10.0);
    QCOMPARE(f.state.label.PosY, 2 + 3 * (45 + 1.5));

    // A later change of the geometry does not move the corner already taken.
    selectAllAndType(w.geometryBox(GeometryField::LeftMargin), QStringLiteral("20"));
    QCOMPARE(f.state.print.MargeGauche, 20.0);
    QCOMPARE(f.state.label.PosX, 10.0);

    QTest::mouseClick(w.position(2), Qt::LeftButton);
    QCOMPARE(w.position(7)->background(), QColor(Qt::white));
    QCOMPARE(w.position(2)->background(), kCyan);
    QCOMPARE(f.state.label.PosX, 20 + 90.0);
}

void TestImpEtiq::countMessages_data()
{
    addColumns<QString, QString, int>("typed", "message", "count");
    QTest::newRow("12") << "12"
                        << "Nombre maximum de étiquettes identiques = 10" << 10;
    QTest::newRow("empty") << ""
                           << "Nombre minimum de étiquettes = 1" << 1;
    QTest::newRow("0") << "0"
                       << "Nombre minimum de étiquettes = 1" << 1;
    QTest::newRow("3") << "3"
                       << "" << 3;
}

void TestImpEtiq::countMessages()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(int, count);
    Fixture f;
    ImpEtiq& w = f.open();
    f.child<QRadioButton>("Option1")->click();
    if (!message.isEmpty())
        f.dialogs.expectMessage(message, 16, QStringLiteral("Erreur"));
    selectAllAndType(w.countBox(), typed);
    QVERIFY(f.verifyDone());
    QCOMPARE(f.state.label.NbEtiquettes, count);
    QCOMPARE(w.countBox()->text(), QString::number(count));
    QCOMPARE(f.child<QScrollBar>("VScroll1")->value(), count);
    QCOMPARE(f.child<QRadioButton>("Option1")->text(),
             QString::number(count) + QStringLiteral(" étiquettes identiques"));
    QCOMPARE(w.printButton()->text(),
             QStringLiteral("&Imprimer ") + QString::number(count) + QStringLiteral(" étiquettes"));
}

void TestImpEtiq::scrollBarAndCountFollowEachOther()
{
    Fixture f;
    f.state.label.NbEtiquettes = 5; // the count last set outlives the window
    ImpEtiq& w = f.open();
    QCOMPARE(w.countBox()->text(), QStringLiteral("5"));
    auto* scroll = f.child<QScrollBar>("VScroll1");
    scroll->setValue(9);
    QCOMPARE(w.countBox()->text(), QStringLiteral("9"));
    QCOMPARE(f.state.label.NbEtiquettes, 9);
    QCOMPARE(f.child<QRadioButton>("Option1")->text(), QStringLiteral("9 étiquettes identiques"));
    // In selected-label mode the print button is left alone.
    QVERIFY(!w.printButton()->isEnabled());
    QVERIFY(f.verifyDone());
}

void TestImpEtiq::keyFilters_data()
{
    addColumns<QString, QString, QString>("box", "typed", "shown");
    QTest::newRow("margin: comma and letters dropped") << "Text1"
                                                       << "1,5a"
                                                       << "15";
    QTest::newRow("margin: minus and point kept") << "Text1"
                                                  << "-2.5"
                                                  << "-2.5";
    QTest::newRow("height: accents dropped") << "Text6"
                                             << "4é0"
                                             << "40";
    QTest::newRow("count: minus and point dropped") << "Text7"
                                                    << "-.7"
                                                    << "7";
}

void TestImpEtiq::keyFilters()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Fixture f;
    ImpEtiq& w = f.open();
    QLineEdit* edit = f.child<QLineEdit>(qPrintable(box));
    edit->blockSignals(true);
    edit->clear();
    edit->blockSignals(false);
    edit->setFocus();
    typeInto(edit, typed);
    QTest::keyClick(edit, Qt::Key_X, Qt::AltModifier);
    QCOMPARE(edit->text(), shown);
    if (edit == w.countBox()) {
        QCOMPARE(f.state.label.NbEtiquettes, shown.toInt());
    } else {
        // Backspace is accepted too.
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), shown.left(shown.size() - 1));
    }
    if (edit == w.geometryBox(GeometryField::LeftMargin))
        QCOMPARE(f.state.print.MargeGauche, leadingNumber(edit->text()));
    QVERIFY(f.verifyDone());
}

void TestImpEtiq::navigationThroughTheNameList()
{
    Fixture f;
    ImpEtiq& w = f.open();
    f.walkTheNameList(QStringLiteral("Durand Marie\n"));
    if (QTest::currentTestFailed())
        return;

    // With an empty name list the buttons do nothing.
    f.form.records.clear();
    f.form.selected = -1;
    f.form.selections.clear();
    for (ListMove move : {ListMove::Previous, ListMove::First, ListMove::Last, ListMove::Next})
        QTest::mouseClick(w.moveButton(move), Qt::LeftButton);
    QVERIFY(f.form.selections.isEmpty());
}

void TestImpEtiq::switchingModesKeepsTheSelectedPosition()
{
    Fixture f;
    ImpEtiq& w = f.open();
    QTest::mouseClick(w.position(4), Qt::LeftButton);
    f.child<QRadioButton>("Option1")->click();
    QCOMPARE(f.state.label.ModeImpression, 1);
    QCOMPARE(w.printButton()->text(), QStringLiteral("&Imprimer 8 étiquettes"));
    QVERIFY(w.printButton()->isEnabled());
    QVERIFY(!f.child<QGroupBox>("Frame4")->isHidden());
    QVERIFY(f.child<QLabel>("Label11")->isHidden());
    for (int n = 1; n <= 10; ++n)
        QVERIFY(!w.position(n)->isEnabled());
    QCOMPARE(w.position(4)->background(), kCyan);
    // A disabled position cannot be picked.
    QTest::mouseClick(w.position(5), Qt::LeftButton);
    QCOMPARE(f.state.label.NumEtiquette, 4);

    f.child<QRadioButton>("Option2")->click();
    QCOMPARE(f.state.label.ModeImpression, 0);
    QCOMPARE(f.state.label.NumEtiquette, 4);
    QCOMPARE(w.printButton()->text(), QStringLiteral("&Imprimer l'étiquette N°  4"));
    QVERIFY(w.printButton()->isEnabled());
    QVERIFY(f.child<QGroupBox>("Frame4")->isHidden());
    for (int n = 1; n <= 10; ++n)
        QVERIFY(w.position(n)->isEnabled());
    QCOMPARE(w.position(4)->background(), kCyan);
}

void TestImpEtiq::printingTheSelectedLabel()
{
    Fixture f;
    ImpEtiq& w = f.open();
    QTest::mouseClick(w.position(2), Qt::LeftButton);
    f.child<QCheckBox>("Check2")->setChecked(false);
    f.action("Mnu_TitreMonsieur")->trigger();
    f.dialogs.expectMessage(QStringLiteral("Confirmer l'impression de la l'étiquette N°  2"), 36,
                            QStringLiteral("Impression de l'étiquette N°  2"), vbYes);
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QVERIFY(!f.state.print.ImprimerDecoupe);
    QVERIFY(f.state.print.ImprimerCadre);
    QVERIFY(!f.printer.calls.contains("DrawStyle 3"));
    QVERIFY(f.printer.calls.contains("Line 97 2 183 2 0 0"));
    QVERIFY(f.printer.calls.contains("Print 102 3.53 \"M. Durand Marie\""));
    QCOMPARE(f.printer.calls.last(), QStringLiteral("EndDoc"));

    // A page of identical labels.
    f.child<QRadioButton>("Option1")->click();
    f.dialogs.expectMessage(QStringLiteral("Confirmer l'impression d'une page de 8 étiquettes "
                                           "identiques"),
                            36, QStringLiteral("Impression de 8 étiquettes "), vbYes);
    f.printer.calls.clear();
    f.printer.printed.clear();
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QCOMPARE(f.printer.calls.count(QStringLiteral("EndDoc")), 1);
    QCOMPARE(f.printer.printed.count(QStringLiteral("M. Durand Marie")), 8);
    QCOMPARE(f.printer.documents, 2);
}

void TestImpEtiq::closingStoresTheCheckBoxes()
{
    Fixture f;
    ImpEtiq& w = f.open();
    f.child<QCheckBox>("Check1")->setChecked(false);
    QVERIFY(f.state.print.ImprimerCadre); // only stored on the way out
    QTest::mouseClick(w.closeButton(), Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QVERIFY(!f.state.print.ImprimerCadre);
    QVERIFY(f.state.print.ImprimerDecoupe);

    // The close box and the menu item do the same.
    ImpEtiq& again = f.open();
    QVERIFY(!f.child<QCheckBox>("Check1")->isChecked());
    f.child<QCheckBox>("Check2")->setChecked(false);
    again.close();
    QVERIFY(!f.state.print.ImprimerDecoupe);
    ImpEtiq& third = f.open();
    f.child<QCheckBox>("Check1")->setChecked(true);
    f.action("Mnu_fermer")->trigger();
    QVERIFY(!third.isVisible());
    QVERIFY(f.state.print.ImprimerCadre);
}

void TestImpEtiq::everyLineOfTheLabelIsDrawnToScale()
{
    // Every line of a full address in a large print font: the preview takes its size from the
    // label, not from the window's font, and shows them all.
    Fixture f;
    QStringList& r = f.form.records[0];
    r[4] = QStringLiteral("Bâtiment B");
    r[0] = QStringLiteral("Roy");
    f.state.print.FontName = QStringLiteral("DejaVu Sans");
    f.state.print.FontSize = 12;
    applyTitreCommand(f.state.address, TitreCommand::Madame);
    ImpEtiq& w = f.open();
    w.resize(900, 600);
    QVERIFY(activate(w));
    const LabelPreview* preview = w.labelPreview();
    QCOMPARE(preview->labelSize(), QSizeF(90, 45));
    QStringList lines;
    for (const PrintedItem& item : preview->printed().items) {
        if (item.kind != PrintedItem::Text)
            continue;
        lines << item.text;
        QCOMPARE(item.font.pointSizeF(), 12.0);
        // Within the label, 7 mm from its left edge, and on the preview as shown.
        QCOMPARE(item.at.x(), 7.0);
        QVERIFY(item.at.y() < 45);
        const QPointF shown = preview->labelCorner() + item.at * preview->pixelsPerMm();
        QVERIFY2(
            preview->contentsRect().contains(shown.toPoint()),
            qPrintable(item.text + QStringLiteral(" at %1, %2").arg(shown.x()).arg(shown.y())));
    }
    QCOMPARE(lines, (QStringList{"Mme Roy Marie", "Ateliers Lebrun", "12 rue des Lilas",
                                 "Bâtiment B", "69003 Lyon", "France"}));
    // Frame and cut outline, as the check boxes ask.
    int frameLines = 0;
    for (const PrintedItem& item : preview->printed().items)
        frameLines += item.kind == PrintedItem::Line;
    QCOMPARE(frameLines, 8);
    QTest::mouseClick(f.child<QCheckBox>("Check2"), Qt::LeftButton, {}, QPoint(6, 6));
    frameLines = 0;
    for (const PrintedItem& item : preview->printed().items)
        frameLines += item.kind == PrintedItem::Line;
    QCOMPARE(frameLines, 4);
    QVERIFY(!w.overflowWarning()->isVisible());
    QVERIFY(f.verifyDone());
}

void TestImpEtiq::warningWhenALineRunsPastTheLabel()
{
    Fixture f;
    f.form.records[0][0] = QStringLiteral("Durand-Lefebvre de la Tour d'Auvergne et de Saint-Rémy");
    ImpEtiq& w = f.open();
    QVERIFY(activate(w));
    QLabel* warning = w.overflowWarning();
    QCOMPARE(warning->objectName(), QStringLiteral("Debordement"));
    QCOMPARE(warning->text(),
             QStringLiteral("Attention : une ligne dépasse le bord de l'étiquette."));
    QVERIFY(warning->isVisible());
    // The long line is drawn where it prints: past the label's right edge.
    const LabelPreview* preview = w.labelPreview();
    QVERIFY(preview->shownArea().right() > 95);

    // The next record has a short name; back to the long one.
    QTest::mouseClick(w.moveButton(ListMove::Next), Qt::LeftButton);
    QVERIFY(!warning->isVisible());
    QTest::mouseClick(w.moveButton(ListMove::Previous), Qt::LeftButton);
    QVERIFY(warning->isVisible());

    // A wider label takes the line.
    selectAllAndType(w.geometryBox(GeometryField::Width), QStringLiteral("160"));
    QVERIFY(!warning->isVisible());
    QCOMPARE(preview->labelSize(), QSizeF(160, 45));
    // A lower label leaves its last lines below its edge.
    selectAllAndType(w.geometryBox(GeometryField::Height), QStringLiteral("20"));
    QVERIFY(warning->isVisible());
    QVERIFY(f.verifyDone());
}

void TestImpEtiq::labelsOffTheLandscapePageAreNamed()
{
    Fixture f;
    f.printer.orientationValue = PrinterSurface::Landscape; // 5 mm margins all round
    ImpEtiq& w = f.open();
    QVERIFY(w.fitWarning()->isHidden());

    // The miniature is the landscape sheet as it prints: the fifth row falls off its bottom.
    QCOMPARE(w.sheet()->paper(), QSizeF(297, 210));
    for (int n = 1; n <= 10; ++n)
        QCOMPARE(w.position(n)->offPaper().isEmpty(), n < 9);
    const QRect sheet =
        QRectF(w.sheet()->paperCorner(), w.sheet()->paper() * w.sheet()->scale()).toRect();
    QVERIFY(w.position(8)->geometry().bottom() <= sheet.bottom() + 1);
    QVERIFY(w.position(10)->geometry().bottom() > sheet.bottom() + 10);

    QTest::mouseClick(w.position(10), Qt::LeftButton);
    QVERIFY(!w.fitWarning()->isHidden());
    QCOMPARE(w.fitWarning()->text(),
             QStringLiteral("Attention : l'étiquette N° 10 ne tient pas sur la page en mode "
                            "Paysage ; ce qui dépasse n'est pas imprimé."));
    QTest::mouseClick(w.position(7), Qt::LeftButton);
    QVERIFY(w.fitWarning()->isHidden());

    // Identical labels: the count decides which are named.
    f.child<QRadioButton>("Option1")->click();
    QVERIFY(w.fitWarning()->isHidden()); // 8 labels
    selectAllAndType(w.countBox(), QStringLiteral("10"));
    QCOMPARE(w.fitWarning()->text(),
             QStringLiteral("Attention : les étiquettes N° 9 et 10 ne tiennent pas sur la page "
                            "en mode Paysage ; ce qui dépasse n'est pas imprimé."));

    // Smaller labels fit; back in portrait the whole sheet fits again.
    selectAllAndType(w.geometryBox(GeometryField::Height), QStringLiteral("40"));
    QVERIFY(w.fitWarning()->isHidden());
    selectAllAndType(w.geometryBox(GeometryField::Height), QStringLiteral("45"));
    QVERIFY(!w.fitWarning()->isHidden());
    QTest::mouseClick(w.portraitButton(), Qt::LeftButton);
    QCOMPARE(f.printer.orientationValue, int(PrinterSurface::Portrait));
    QVERIFY(w.fitWarning()->isHidden());
    QCOMPARE(w.sheet()->paper(), QSizeF(210, 297));
    QVERIFY(w.position(10)->offPaper().isEmpty());
    QVERIFY(f.verifyDone());
}

void TestImpEtiq::printerPaperOtherThanA4IsNamed()
{
    Fixture f;
    f.printer.ownPaper = QPageSize(QPageSize::Letter);
    ImpEtiq& w = f.open();
    QVERIFY(!w.paperNotice()->isHidden());
    QCOMPARE(w.paperNotice()->text(),
             QStringLiteral("Les étiquettes s'impriment sur une feuille A4 ; le papier de "
                            "l'imprimante est Letter / ANSI A."));
    // The sheet stays A4, and so does the job.
    QCOMPARE(w.sheet()->paper(), QSizeF(210, 297));
    QTest::mouseClick(w.position(1), Qt::LeftButton);
    f.dialogs.expectMessage(QStringLiteral("Confirmer l'impression de la l'étiquette N°  1"), 36,
                            QStringLiteral("Impression de l'étiquette N°  1"), vbYes);
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QCOMPARE(f.printer.papers, QStringList{QStringLiteral("A4")});

    Fixture g;
    ImpEtiq& a4 = g.open();
    QVERIFY(a4.paperNotice()->isHidden());
}

QTEST_MAIN(TestImpEtiq)
#include "tst_impetiq.moc"
