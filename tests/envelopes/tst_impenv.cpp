#include "core/appstate.h"
#include "core/recordform.h"
#include "core/services.h"
#include "envelopes/envelopescene.h"
#include "envelopes/envelopeview.h"
#include "envelopes/frmutil.h"
#include "envelopes/impenv.h"
#include "envelopes/senderprofile.h"
#include "fakerecordform.h"
#include "labels/impetiq.h"
#include "labels/printparamsfile.h"
#include "printer/orimp.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

QStringList record(const QString& nom, const QString& prenom, const QString& societe = " ")
{
    QStringList r(16, QStringLiteral(" "));
    r[0] = nom;
    r[1] = prenom;
    r[2] = societe;
    r[3] = QStringLiteral("12 rue des Lilas");
    r[5] = QStringLiteral("69003");
    r[6] = QStringLiteral("Lyon");
    return r;
}

// Stored orientations that the fake printer then reports.
class SettingsStore : public PrinterSettingsStore
{
public:
    explicit SettingsStore(RecordingPrinter& printer) : m_printer(printer) {}
    std::optional<int> orientation(const QString&) override { return m_printer.orientationValue; }
    bool store(const QString&, std::optional<int> orientation, int) override
    {
        if (orientation)
            m_printer.orientationValue = *orientation;
        return true;
    }

private:
    RecordingPrinter& m_printer;
};

QString mm(double v)
{
    return QString::number(qRound(v * 100) / 100.0);
}

double lineHeight(double points)
{
    return points * 25.4 / 72.0;
}

struct Fixture {
    AppState state;
    ScriptedDialogs dialogs;
    RecordingPrinter printer;
    SettingsStore store{printer};
    Services services;
    FakeRecordForm form;
    std::unique_ptr<ImpEnv> window;

    Fixture()
    {
        services.dialogs = &dialogs;
        services.printer = &printer;
        services.printerSettings = &store;
        state.print = defaultPrintParams(QStringLiteral("Arial"), 0);
        SenderProfile& s = state.sender;
        s = defaultSenderProfile();
        s.Ligne1 = QStringLiteral("Jean Dupont");
        s.Ligne2 = QStringLiteral("12 rue des Roses");
        s.Ligne4 = QStringLiteral("75011 Paris");
        s.FontName = QStringLiteral("Courier");
        s.FontSize = 9;
        s.FontItalic = true;
        s.TextColor = 255;
        AffichExpediteur(s);
        form.records << record("Durand", "Marie", "Ateliers Lebrun") << record("Martin", "Paul")
                     << record("Petit", "Zoé");
        form.selected = 0;
        state.search.IndexTrouve = 0;
    }
    ImpEnv& open()
    {
        window = std::make_unique<ImpEnv>(state, services, form);
        window->show();
        return *window;
    }
    template <typename T> T* child(const char* name)
    {
        T* w = window->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    QAction* action(const char* name) { return child<QAction>(name); }
    QString label(const char* name) { return child<QLabel>(name)->text(); }
    bool shown(const char* name) { return !child<QWidget>(name)->isHidden(); }
    bool verifyDone()
    {
        if (!dialogs.done())
            qWarning("dialogs still expected: %s", qPrintable(dialogs.pending()));
        return dialogs.done();
    }
};

const QString kDurand =
    QStringLiteral("Durand Marie\nAteliers Lebrun\n12 rue des Lilas\n\n69003 Lyon\n");

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

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
    void printCommand();
    void printCommandSenderOnlyOrRefused();
    void orientation();
    void orientationWithNoPrinter();
    void senderWindowRefreshesTheSenderPreview();
    void fontAndColour();
    void parametersLoadAndSave();
    void marginAdviceAndPrintSetup();
};

void TestImpEnv::openingState()
{
    Fixture f;
    f.state.label.PosX = 123; // left by the label window
    f.state.label.PosY = 4;
    f.printer.orientationValue = 2;
    ImpEnv& w = f.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Impression des enveloppes"));
    QVERIFY(w.formatOption(EnvelopeFormatId::F160x115)->isChecked());
    QVERIFY(w.contentOption(EnvelopeContent::AddressOnly)->isChecked());
    QCOMPARE(w.content(), EnvelopeContent::AddressOnly);
    QCOMPARE(f.label("Label1"), QStringLiteral("Enveloppe 160 x 115 mm"));
    QCOMPARE(f.state.label.PosX, 70.0);
    QCOMPARE(f.state.label.PosY, 50.0);
    QCOMPARE(f.label("Label5"), QStringLiteral("70"));
    QCOMPARE(f.label("Label6"), QStringLiteral("50"));
    QVERIFY(!f.shown("Frame4"));
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
        {"Command5", "&Première fiche"},
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
                          "(Ctrl+I), Mnu_ImpPort=Imprimante en mode Portrait, "
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
    QTest::addColumn<EnvelopeFormatId>("before");
    QTest::addColumn<EnvelopeFormatId>("chosen");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("notice");
    QTest::addColumn<bool>("scrollBars");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
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

    ImpEnv& again = f.open();
    QVERIFY(again.formatOption(EnvelopeFormatId::F160x115)->isChecked());
    QVERIFY(again.contentOption(EnvelopeContent::AddressOnly)->isChecked());
    QCOMPARE(f.label("Label1"), QStringLiteral("Enveloppe 160 x 115 mm"));
    QCOMPARE(f.state.label.PosX, 70.0);
    QCOMPARE(f.state.label.PosY, 50.0);
    QCOMPARE(f.label("Label5"), QStringLiteral("70"));
    QCOMPARE(f.label("Label6"), QStringLiteral("50"));
    QVERIFY(!f.shown("Frame4"));
    QVERIFY(!f.shown("Label9"));
    QVERIFY(f.verifyDone());
}

void TestImpEnv::printOptions_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("sender");
    QTest::addColumn<bool>("address");
    QTest::addColumn<EnvelopeContent>("content");
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
    QTest::addColumn<QPointF>("address");
    QTest::addColumn<QRectF>("frame");
    QTest::addColumn<bool>("sender");
    QTest::addColumn<QSizeF>("area");
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
    // "Fiche précédente" on the first line does nothing.
    QTest::mouseClick(w.moveButton(ListMove::Previous), Qt::LeftButton);
    QVERIFY(f.form.selections.isEmpty());
    QCOMPARE(f.state.search.IndexTrouve, 0);

    QTest::mouseClick(w.moveButton(ListMove::Next), Qt::LeftButton);
    QCOMPARE(f.form.selected, 1);
    QCOMPARE(f.state.search.IndexTrouve, 1);
    QVERIFY(w.addressPreview()->text().startsWith(QStringLiteral("Martin Paul\n")));

    QTest::mouseClick(w.moveButton(ListMove::Last), Qt::LeftButton);
    QCOMPARE(f.form.selected, 2);
    QCOMPARE(f.state.search.IndexTrouve, 2);
    QVERIFY(w.addressPreview()->text().startsWith(QStringLiteral("Petit Zoé\n")));

    // "Fiche suivante" on the last line does nothing.
    const int before = int(f.form.selections.size());
    QTest::mouseClick(w.moveButton(ListMove::Next), Qt::LeftButton);
    QCOMPARE(f.form.selections.size(), before);
    QCOMPARE(f.state.search.IndexTrouve, 2);

    QTest::mouseClick(w.moveButton(ListMove::Previous), Qt::LeftButton);
    QCOMPARE(f.form.selected, 1);
    QTest::mouseClick(w.moveButton(ListMove::First), Qt::LeftButton);
    QCOMPARE(f.form.selected, 0);
    QCOMPARE(f.state.search.IndexTrouve, 0);
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

void TestImpEnv::printCommand()
{
    Fixture f;
    ImpEnv& w = f.open();
    w.formatOption(EnvelopeFormatId::F220x110)->click();         // 220 x 110
    w.contentOption(EnvelopeContent::AddressAndSender)->click(); // address and sender label
    f.dialogs.expectMessage(
        QStringLiteral("Confirmer l'impression de l'adresse \ret de l étiquette expéditeur ?"), 36,
        QStringLiteral("Impression de l'adresse sur enveloppe"), vbYes);
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QCOMPARE(f.printer.documents, 1);
    QCOMPARE(f.printer.calls.count(QStringLiteral("EndDoc")), 1);
    QVERIFY(f.printer.calls.contains("Line 20 10 65 10 255 0"));
    QVERIFY(f.printer.calls.contains(
        QStringLiteral("Print 22 %1 \"Jean Dupont\"").arg(mm(10 + lineHeight(9)))));
    QVERIFY(f.printer.calls.contains(
        QStringLiteral("Print 100 %1 \"Durand Marie\"").arg(mm(45 + lineHeight(10)))));
    QCOMPARE(f.printer.printed, (QStringList{"Jean Dupont", "12 rue des Roses", "", "75011 Paris",
                                             "", "", "Durand Marie", "Ateliers Lebrun",
                                             "12 rue des Lilas", "", "69003 Lyon", ""}));

    // A position of its own, through the menu item.
    w.contentOption(EnvelopeContent::AddressOnly)->click();
    w.formatOption(EnvelopeFormatId::Custom)->click();
    w.leftScrollBar()->setValue(123);
    w.topScrollBar()->setValue(67);
    f.printer.calls.clear();
    f.dialogs.expectMessage(QStringLiteral("Confirmer l'impression de l'adresse ?"), 36,
                            QStringLiteral("Impression de l'adresse sur enveloppe"), vbYes);
    f.action("Mnu_ImprimEnv")->trigger();
    QVERIFY(f.verifyDone());
    QVERIFY(f.printer.calls.filter("Line").isEmpty());
    QVERIFY(f.printer.calls.contains(
        QStringLiteral("Print 123 %1 \"Durand Marie\"").arg(mm(67 + lineHeight(10)))));
    QCOMPARE(f.printer.documents, 2);
}

void TestImpEnv::printCommandSenderOnlyOrRefused()
{
    Fixture f;
    ImpEnv& w = f.open();
    w.contentOption(EnvelopeContent::SenderOnly)->click();
    f.dialogs.expectMessage(
        QStringLiteral("Confirmer l'impression de l'étiquette expéditeur ?"), 36,
        QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe"), vbNo);
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QVERIFY(f.printer.calls.isEmpty());

    f.dialogs.expectMessage(
        QStringLiteral("Confirmer l'impression de l'étiquette expéditeur ?"), 36,
        QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe"), vbYes);
    f.action("Mnu_ImprimEnv")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(f.printer.documents, 1);
    QVERIFY(f.printer.printed.contains("Jean Dupont"));
    QVERIFY(!f.printer.printed.contains("Durand Marie"));

    // A printer failure is reported and the document dropped.
    f.printer.failAt = 3;
    f.dialogs.expectMessage(
        QStringLiteral("Confirmer l'impression de l'étiquette expéditeur ?"), 36,
        QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe"), vbYes);
    f.dialogs.expectMessage(QStringLiteral("Erreur d'impression !"), 16, QStringLiteral("Erreur"));
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    QCOMPARE(f.printer.killed, 1);
    QCOMPARE(f.printer.documents, 1);
}

void TestImpEnv::orientation()
{
    Fixture f;
    ImpEnv& w = f.open();
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Portrait"));
    QTest::mouseClick(w.landscapeButton(), Qt::LeftButton);
    QCOMPARE(f.printer.orientationValue, 2);
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Paysage"));
    QVERIFY(f.action("Mnu_ImpPays")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPort")->isChecked());
    QVERIFY(f.printer.calls.contains("Duplex 1"));

    f.action("Mnu_ImpPort")->trigger();
    QCOMPARE(f.printer.orientationValue, 1);
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.action("Mnu_ImpPort")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPays")->isChecked());

    // Choosing the orientation already set keeps its mark.
    f.action("Mnu_ImpPort")->trigger();
    QVERIFY(f.action("Mnu_ImpPort")->isChecked());

    // Opening the menu shows what the printer really has, without touching the status label.
    f.printer.orientationValue = 2;
    emit f.child<QMenu>("Mnu_Enveloppe")->aboutToShow();
    QVERIFY(f.action("Mnu_ImpPays")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPort")->isChecked());
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.verifyDone());
}

void TestImpEnv::orientationWithNoPrinter()
{
    Fixture f;
    ImpEnv& w = f.open();
    f.printer.names.clear();
    const QString message = QStringLiteral("Aucune imprimante n'est disponible");
    f.dialogs.expectMessage(message, 0, QStringLiteral("Elvarine"));
    QTest::mouseClick(w.landscapeButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());
    // The menu item's own click does not leave a mark either.
    f.dialogs.expectMessage(message, 0, QStringLiteral("Elvarine"));
    f.action("Mnu_ImpPays")->trigger();
    QVERIFY(f.verifyDone());
    f.dialogs.expectMessage(message, 0, QStringLiteral("Elvarine"));
    f.action("Mnu_ImpPort")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(f.label("Label10"), QStringLiteral("En cours : Portrait"));
    QVERIFY(f.action("Mnu_ImpPort")->isChecked());
    QVERIFY(!f.action("Mnu_ImpPays")->isChecked());
    QCOMPARE(f.printer.orientationValue, 1);
}

void TestImpEnv::senderWindowRefreshesTheSenderPreview()
{
    Fixture f;
    ImpEnv& w = f.open();
    w.contentOption(EnvelopeContent::AddressAndSender)->click();
    FontSpec preset;
    preset.name = QStringLiteral("Courier");
    preset.size = 9;
    preset.italic = true;
    FontSpec chosen;
    chosen.name = QStringLiteral("DejaVu Sans");
    chosen.size = 14;
    chosen.bold = true;
    f.dialogs.expectFont(chosen, preset);
    f.dialogs.expectColor(65280u, 255u);
    bool sawSenderWindow = false;
    QTimer::singleShot(0, [&] {
        auto* sender = qobject_cast<FrmUtil*>(QApplication::activeModalWidget());
        if (!sender)
            return;
        sawSenderWindow = true;
        sender->lineBox(1)->setFocus();
        sender->lineBox(1)->selectAll();
        for (const QChar c : QStringLiteral("Zoé Lambert"))
            QTest::sendKeyEvent(QTest::Click, sender->lineBox(1), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        sender->headerCheck()->click();
        sender->fontButton()->click();
        sender->colourButton()->click();
        sender->findChild<QAction*>(QStringLiteral("Mnu_Quitter"))->trigger();
    });
    f.action("Mnu_Utilisateur")->trigger();
    QVERIFY(sawSenderWindow);
    QVERIFY(f.verifyDone());
    QCOMPARE(w.senderPreview()->text(),
             QStringLiteral("Exp : Zoé Lambert\n12 rue des Roses\n\n75011 Paris\n\n"));
    QCOMPARE(w.senderPreview()->font().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(w.senderPreview()->font().pointSizeF(), 14.0);
    QVERIFY(w.senderPreview()->font().bold());
    QVERIFY(!w.senderPreview()->font().italic());
    QCOMPARE(w.senderPreview()->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    QVERIFY(w.isVisible());
    QVERIFY(f.shown("Label9"));
}

void TestImpEnv::fontAndColour()
{
    Fixture f;
    ImpEnv& w = f.open();
    FontSpec preset;
    preset.name = QStringLiteral("Arial");
    preset.size = 10;
    FontSpec chosen;
    chosen.name = QStringLiteral("Courier");
    chosen.size = 12;
    chosen.bold = true;
    chosen.underline = true;
    f.dialogs.expectFont(chosen, preset);
    f.action("Mnu_Police")->trigger();
    QCOMPARE(w.addressPreview()->font().family(), QStringLiteral("Courier"));
    QVERIFY(w.addressPreview()->font().underline());
    QCOMPARE(f.state.print.FontName, QStringLiteral("Courier"));
    QCOMPARE(f.state.print.FontSize, 12.0);
    QVERIFY(f.state.print.FontBold);
    QVERIFY(f.state.print.FontUnderline);
    // Cancelled: nothing changes.
    f.dialogs.expectFont(std::nullopt);
    f.action("Mnu_Police")->trigger();
    QCOMPARE(f.state.print.FontName, QStringLiteral("Courier"));

    f.dialogs.expectColor(std::nullopt, 0u);
    f.action("Mnu_Couleur")->trigger();
    QCOMPARE(f.state.print.ForeColor, 0);
    f.dialogs.expectColor(16711680u, 0u);
    f.action("Mnu_Couleur")->trigger();
    QCOMPARE(f.state.print.ForeColor, 16711680);
    QCOMPARE(w.addressPreview()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    // The sender preview is not touched.
    QCOMPARE(w.senderPreview()->font().family(), QStringLiteral("Courier"));
    QCOMPARE(w.senderPreview()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(f.verifyDone());
}

void TestImpEnv::parametersLoadAndSave()
{
    Fixture f;
    QTemporaryDir dir;
    f.state.CheminAppli = dir.path();
    f.state.print.MargeGauche = 7.5; // as the label window left it
    f.state.print.ImprimerDecoupe = false;
    ImpEnv& w = f.open();
    const QString filter = QStringLiteral("Fichiers de configuration (*.PAR)|*.PAR");

    FontSpec chosen;
    chosen.name = QStringLiteral("Courier");
    chosen.size = 11;
    f.dialogs.expectFont(chosen);
    f.action("Mnu_Police")->trigger();
    const QString path = dir.filePath(QStringLiteral("enveloppe.par"));
    FileDialogRequest save;
    save.title = QStringLiteral("Enregistrer");
    save.filter = filter;
    save.flags = 2;
    f.dialogs.expectSaveFile(save, path);
    f.action("Mnu_SauvePAram")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(readBytes(path),
             QByteArray("7.5,0,0,0,90,45\r\n#TRUE#,#FALSE#\r\n\"Courier\"\r\n11\r\n"
                        "#FALSE#\r\n#FALSE#\r\n0\r\n"));
    QCOMPARE(f.state.FicParam, path);
    QCOMPARE(w.windowTitle(), QStringLiteral("Impression des enveloppes"));

    // A cancelled save writes nothing and says nothing; a failed one says so.
    f.dialogs.expectSaveFile(save, std::nullopt);
    f.action("Mnu_SauvePAram")->trigger();
    f.dialogs.expectSaveFile(save, dir.filePath(QStringLiteral("none/x.par")));
    f.dialogs.expectMessage(QStringLiteral("Erreur de sauvegarde!"), 16, QStringLiteral("Erreur"));
    f.action("Mnu_SauvePAram")->trigger();
    QVERIFY(f.verifyDone());

    // Loading shows the file's font; cancelling the next load reads the same file again.
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "7,1,2,3,70,37\r\n#TRUE#,#TRUE#\r\n\"Serif\"\r\n13\r\n#FALSE#\r\n#TRUE#\r\n255\r\n");
    }
    f.state.FicParam = path;
    FileDialogRequest open;
    open.title = QStringLiteral("Ouvrir");
    open.filter = filter;
    open.fileName = path;
    f.dialogs.expectOpenFile(open, std::nullopt, true);
    f.action("Mnu_ChargeParam")->trigger();
    QVERIFY(f.verifyDone());
    QCOMPARE(f.state.print.LargeurEtiq, 70.0);
    QCOMPARE(w.addressPreview()->font().family(), QStringLiteral("Serif"));
    QCOMPARE(w.addressPreview()->font().pointSizeF(), 13.0);
    QVERIFY(w.addressPreview()->font().italic());
    QCOMPARE(w.addressPreview()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

void TestImpEnv::marginAdviceAndPrintSetup()
{
    Fixture f;
    ImpEnv& w = f.open();
    f.dialogs.expectMessage(marginAdviceText(), 64, QStringLiteral("Avertissement"));
    QTest::mouseClick(w.marginHelpButton(), Qt::LeftButton);
    QVERIFY(f.verifyDone());

    // A cancelled print setup is silent.
    f.printer.printSetupAnswer = false;
    f.action("Mnu_ConfImp")->trigger();
    QCOMPARE(f.printer.calls, QStringList{"PrintSetup"});
    QVERIFY(f.verifyDone());

    f.action("Mnu_Fermer")->trigger();
    QVERIFY(!f.window->isVisible());
}

QTEST_MAIN(TestImpEnv)
#include "tst_impenv.moc"
