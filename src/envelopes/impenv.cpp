#include "envelopes/impenv.h"

#include "core/appstate.h"
#include "core/numbertext.h"
#include "core/recordform.h"
#include "core/services.h"
#include "envelopes/envelopescene.h"
#include "envelopes/envelopeview.h"
#include "envelopes/frmutil.h"
#include "envelopes/senderpreview.h"
#include "envelopes/senderprofile.h"
#include "labels/printfontpreview.h"
#include "labels/printparamsfile.h"
#include "labels/titremenu.h"
#include "platform/colorref.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"
#include "printer/orientationcommands.h"
#include "printer/orientationmarks.h"
#include "printer/printersurface.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

namespace
{

const QColor kLightGreen(0xC0, 0xFF, 0xC0);
const QColor kLightCyan(0xC0, 0xFF, 0xFF);

// The address position set with the scroll bars, mm.
constexpr int kPositionMin = 20;
constexpr int kPositionMax = 300;

void setBackground(QLabel* label, const QColor& color)
{
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, color);
    label->setPalette(pal);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

ImpEnv::ImpEnv(AppState& appState, Services& appServices, RecordForm& recordForm, QWidget* parent)
    : QDialog(parent), state(appState), services(appServices), form(recordForm)
{
    setObjectName(QStringLiteral("ImpEnv"));
    setWindowTitle(QStringLiteral("Impression des enveloppes"));
    if (services.dialogs)
        m_commonDialog1 = std::make_unique<CommonDialog>(*services.dialogs);
    buildWindow();
    buildMenus();
    Form_Load();
}

ImpEnv::~ImpEnv() = default;

// ------------------------------------------------------------------------------ building

void ImpEnv::buildWindow()
{
    auto* top = new QVBoxLayout(this);
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    top->setMenuBar(m_menuBar);

    auto* body = new QHBoxLayout;
    top->addLayout(body, 1);
    auto* side = new QVBoxLayout;
    body->addLayout(side);

    // Formats.
    auto* frame1 = new QGroupBox(QStringLiteral("Format enveloppe en mm "), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* formats = new QVBoxLayout(frame1);
    const char* formatCaptions[4] = {"160 x 115", "220 x 110", "230 x 160", "Personnalisé"};
    for (int n = 1; n <= 4; ++n) {
        auto* option = new QRadioButton(QString::fromUtf8(formatCaptions[n - 1]), frame1);
        option->setObjectName(QStringLiteral("Option%1").arg(n));
        formats->addWidget(option);
        m_option[size_t(n)] = option;
    }
    m_option[1]->setChecked(true);
    m_label1 = makeLabel(frame1, "Label1", QStringLiteral("Enveloppe 160 x 115 mm"));
    // Room for the longest format name, so the window keeps its size when the format changes.
    m_label1->setMinimumWidth(m_label1->fontMetrics().horizontalAdvance(
        envelopeFormat(EnvelopeFormatId::Custom).caption));
    formats->addWidget(m_label1);
    side->addWidget(frame1);

    // The address position.
    auto* frame3 = new QGroupBox(QStringLiteral("Marges d'impression en mm "), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto* position = new QGridLayout(frame3);
    m_label5 = makeLabel(frame3, "Label5", QString());
    m_label6 = makeLabel(frame3, "Label6", QString());
    const int valueWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8;
    for (QLabel* value : {m_label5, m_label6}) {
        setBackground(value, kLightGreen);
        value->setAlignment(Qt::AlignCenter);
        value->setMinimumWidth(valueWidth);
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
    }
    m_label5->setAccessibleName(QStringLiteral("Marge gauche en mm"));
    m_label6->setAccessibleName(QStringLiteral("Marge haute en mm"));
    position->addWidget(makeLabel(frame3, "Label3", QStringLiteral("Gauche :")), 0, 0);
    position->addWidget(m_label5, 0, 1);
    position->addWidget(makeLabel(frame3, "Label4", QStringLiteral("Haute :")), 1, 0);
    position->addWidget(m_label6, 1, 1);
    position->setColumnStretch(2, 1);
    side->addWidget(frame3);

    m_frame4 = new QGroupBox(QStringLiteral("Marges en mm "), this);
    m_frame4->setObjectName(QStringLiteral("Frame4"));
    auto* scrolls = new QHBoxLayout(m_frame4);
    m_hscroll1 = new QScrollBar(Qt::Horizontal, m_frame4);
    m_hscroll1->setObjectName(QStringLiteral("HScroll1"));
    m_hscroll1->setAccessibleName(QStringLiteral("Marge gauche en mm"));
    m_vscroll1 = new QScrollBar(Qt::Vertical, m_frame4);
    m_vscroll1->setObjectName(QStringLiteral("VScroll1"));
    m_vscroll1->setAccessibleName(QStringLiteral("Marge haute en mm"));
    for (QScrollBar* bar : {m_hscroll1, m_vscroll1}) {
        bar->setRange(kPositionMin, kPositionMax);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        // The arrows of the keyboard move the bars too.
        bar->setFocusPolicy(Qt::StrongFocus);
    }
    m_hscroll1->setValue(40);
    m_vscroll1->setValue(20);
    m_hscroll1->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 10);
    // A small bar: little more than its two arrows.
    m_vscroll1->setFixedHeight(fontMetrics().height() * 3);
    scrolls->addWidget(m_hscroll1, 1);
    scrolls->addWidget(m_vscroll1);
    connect(m_hscroll1, &QScrollBar::valueChanged, this, &ImpEnv::HScroll1_Change);
    connect(m_vscroll1, &QScrollBar::valueChanged, this, &ImpEnv::VScroll1_Change);
    side->addWidget(m_frame4);

    // What to print.
    auto* frame5 = new QGroupBox(QStringLiteral("Options d'impression "), this);
    frame5->setObjectName(QStringLiteral("Frame5"));
    auto* prints = new QVBoxLayout(frame5);
    const std::pair<int, const char*> printCaptions[3] = {
        {7, "Adresse seule"},
        {6, "Etiquette expéditeur seule"},
        {5, "Adresse et étiquette expéditeur"},
    };
    for (const auto& [n, caption] : printCaptions) {
        auto* option = new QRadioButton(QString::fromUtf8(caption), frame5);
        option->setObjectName(QStringLiteral("Option%1").arg(n));
        prints->addWidget(option);
        m_option[size_t(n)] = option;
    }
    m_option[7]->setChecked(true);
    side->addWidget(frame5);
    side->addStretch(1);

    // The drawing of the envelope and its previews.
    auto* drawingColumn = new QVBoxLayout;
    body->addLayout(drawingColumn, 1);
    m_drawing = new EnvelopeView(this);
    m_drawing->setObjectName(QStringLiteral("Enveloppe"));
    m_drawing->setAccessibleName(QStringLiteral("Dessin de l'enveloppe"));
    auto* label7 = makeLabel(m_drawing, "Label7", QStringLiteral(" Marge gauche "));
    auto* label8 = makeLabel(m_drawing, "Label8", QStringLiteral("Marge haute"));
    for (QLabel* mark : {label7, label8})
        setBackground(mark, Qt::white);
    m_label9 = makeLabel(m_drawing, "Label9", QString());
    m_label9->setAccessibleName(QStringLiteral("Aperçu de l'étiquette expéditeur"));
    m_label15 = makeLabel(m_drawing, "Label15", QString());
    m_label15->setAccessibleName(QStringLiteral("Aperçu de l'adresse"));
    for (QLabel* preview : {m_label9, m_label15}) {
        preview->setTextFormat(Qt::PlainText);
        preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    m_drawing->setMarginMarks(label7, label8);
    m_drawing->setSenderPreview(m_label9);
    m_drawing->setAddressPreview(m_label15);
    drawingColumn->addWidget(m_drawing, 1);

    m_label2 = makeLabel(this, "Label2",
                         QStringLiteral("L'imprimante doit être configurée en mode paysage"));
    setBackground(m_label2, kLightGreen);
    m_label2->setAlignment(Qt::AlignCenter);
    m_label2->setMargin(2);
    drawingColumn->addWidget(m_label2);

    // Orientation.
    auto* frame2 = new QGroupBox(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* orientation = new QHBoxLayout(frame2);
    orientation->addWidget(
        makeLabel(frame2, "Label11", QStringLiteral("Orientation Imprimante :")));
    m_label10 = makeLabel(frame2, "Label10", QStringLiteral("En cours :"));
    setBackground(m_label10, kLightCyan);
    m_label10->setMargin(2);
    orientation->addWidget(m_label10, 1);
    drawingColumn->addWidget(frame2);

    auto button = [this](int n, const QString& caption, QWidget* parent) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QStringLiteral("Command%1").arg(n));
        b->setAutoDefault(false);
        m_command[size_t(n)] = b;
        return b;
    };
    orientation->addWidget(button(8, QStringLiteral("Mode Portrait"), frame2));
    orientation->addWidget(button(9, QStringLiteral("Mode Paysage"), frame2));

    // Record moves.
    auto* moves = new QHBoxLayout;
    moves->addWidget(button(3, QStringLiteral("<<   Fiche précédente"), this));
    moves->addWidget(button(5, QStringLiteral("&Première fiche"), this));
    moves->addWidget(button(6, QStringLiteral("&Dernière fiche"), this));
    moves->addWidget(button(4, QStringLiteral("Fiche suivante   >>"), this));
    top->addLayout(moves);

    // Print, help, close.
    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    actions->addWidget(button(1, QStringLiteral("&Imprimer"), this));
    actions->addWidget(button(7, QStringLiteral("&Aide"), this));
    actions->addWidget(button(2, QStringLiteral("&Quitter"), this));
    top->addLayout(actions);
    m_command[1]->setIcon(QIcon::fromTheme(QStringLiteral("document-print"),
                                           style()->standardIcon(QStyle::SP_DialogSaveButton)));
    m_command[2]->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    m_command[7]->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));

    using Handler = void (ImpEnv::*)();
    const Handler options[8] = {nullptr,
                                &ImpEnv::Option1_Click,
                                &ImpEnv::Option2_Click,
                                &ImpEnv::Option3_Click,
                                &ImpEnv::Option4_Click,
                                &ImpEnv::Option5_Click,
                                &ImpEnv::Option6_Click,
                                &ImpEnv::Option7_Click};
    for (int n = 1; n <= 7; ++n) {
        // An option runs its command when it becomes the chosen one, by mouse or keyboard.
        connect(m_option[size_t(n)], &QRadioButton::toggled, this,
                [this, handler = options[n]](bool on) {
                    if (on)
                        (this->*handler)();
                });
    }
    const Handler commands[10] = {nullptr,
                                  &ImpEnv::Command1_Click,
                                  &ImpEnv::Command2_Click,
                                  &ImpEnv::Command3_Click,
                                  &ImpEnv::Command4_Click,
                                  &ImpEnv::Command5_Click,
                                  &ImpEnv::Command6_Click,
                                  &ImpEnv::Command7_Click,
                                  &ImpEnv::Command8_Click,
                                  &ImpEnv::Command9_Click};
    for (int n = 1; n <= 9; ++n)
        connect(m_command[size_t(n)], &QPushButton::clicked, this, commands[n]);
}

void ImpEnv::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                       void (ImpEnv::*slot)(), const QKeySequence& key = QKeySequence()) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            // The window's own shortcuts work while the menu bar is closed.
            addAction(a);
        }
        connect(a, &QAction::triggered, this, slot);
        return a;
    };

    m_mnuEnveloppe = m_menuBar->addMenu(QStringLiteral("&Enveloppe"));
    m_mnuEnveloppe->setObjectName(QStringLiteral("Mnu_Enveloppe"));
    m_mnuEnveloppe->menuAction()->setObjectName(QStringLiteral("Mnu_Enveloppe"));
    connect(m_mnuEnveloppe, &QMenu::aboutToShow, this, &ImpEnv::Mnu_Enveloppe_Click);
    item(m_mnuEnveloppe, "Mnu_Police", QStringLiteral("&Police adresse..."),
         &ImpEnv::Mnu_Police_Click, QKeySequence(Qt::CTRL | Qt::Key_P));
    item(m_mnuEnveloppe, "Mnu_Couleur", QStringLiteral("Cou&leur du texte..."),
         &ImpEnv::Mnu_Couleur_Click, QKeySequence(Qt::CTRL | Qt::Key_C));
    m_mnuEnveloppe->addSeparator();
    item(m_mnuEnveloppe, "Mnu_ImprimEnv", QStringLiteral("&Imprimer"), &ImpEnv::Command1_Click,
         QKeySequence(Qt::CTRL | Qt::Key_I));
    m_mnuImpPort = item(m_mnuEnveloppe, "Mnu_ImpPort",
                        QStringLiteral("Imprimante en mode Portrait"), &ImpEnv::Command8_Click);
    m_mnuImpPays = item(m_mnuEnveloppe, "Mnu_ImpPays", QStringLiteral("Imprimante en mode Paysage"),
                        &ImpEnv::Command9_Click);
    m_mnuImpPort->setCheckable(true);
    m_mnuImpPays->setCheckable(true);
    item(m_mnuEnveloppe, "Mnu_ConfImp", QStringLiteral("&Configurer l'imprimante"),
         &ImpEnv::Mnu_ConfImp_Click);
    m_mnuEnveloppe->addSeparator();
    item(m_mnuEnveloppe, "Mnu_Utilisateur", QStringLiteral("&Définition de l'utilisateur"),
         &ImpEnv::Mnu_Utilisateur_Click, QKeySequence(Qt::CTRL | Qt::Key_U));
    m_mnuEnveloppe->addSeparator();
    item(m_mnuEnveloppe, "Mnu_Fermer", QStringLiteral("&Quitter"), &ImpEnv::Command2_Click,
         QKeySequence(Qt::CTRL | Qt::Key_Q));

    m_titre = new TitreMenu(m_menuBar, QStringLiteral("&Titre/Format"), state.address, form,
                            [this](const QString& block) { showBlock(block); });
    // This window has always spelt the company-first item this way.
    m_titre->action(TitreCommand::SocieteNom)->setText(QStringLiteral("Sociéte + Nom"));

    QMenu* param = m_menuBar->addMenu(QStringLiteral("&Paramètres"));
    param->setObjectName(QStringLiteral("Mnu_Param"));
    param->menuAction()->setObjectName(QStringLiteral("Mnu_Param"));
    item(param, "Mnu_ChargeParam", QStringLiteral("&Charger des paramètres"),
         &ImpEnv::Mnu_ChargeParam_Click);
    item(param, "Mnu_SauvePAram", QStringLiteral("&Sauver les paramètres"),
         &ImpEnv::Mnu_SauvePAram_Click);
}

// ------------------------------------------------------------------------------ load, activation

void ImpEnv::Form_Load()
{
    m_command[8]->setToolTip(QStringLiteral("Configurer l'imprimane en mode Portrait"));
    m_command[9]->setToolTip(QStringLiteral("Configurer l'imprimane en mode Paysage"));

    state.label.PosX = 70;
    state.label.PosY = 50;
    m_frame4->setVisible(false);
    m_label2->setVisible(false);
    m_label9->setVisible(false);
    m_label15->setVisible(true);
    showPosition();

    // The preview holds the print font from the start, so a save before any activation writes
    // the font in use.
    applyPrintFont(*m_label15, state.print);
    if (services.printer)
        showOrientationMarks(readOrientation(services));
}

void ImpEnv::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void ImpEnv::Form_Activate()
{
    applyPrintFont(*m_label15, state.print);
    applySenderFont(*m_label9, state.sender);
    AffichTitre();
    showSender();
}

void ImpEnv::AffichTitre()
{
    const AddressOptions& o = state.address;
    m_titre->refreshChecks();
    m_titre->run(titreCommandForType(o.TypeTitre));
    m_titre->run(o.OrdreNom == 1 ? TitreCommand::PrenomNom : TitreCommand::NomPrenom);
    m_titre->run(o.OrdreSociete == 1 ? TitreCommand::SocieteNom : TitreCommand::NomSociete);
}

void ImpEnv::showBlock(const QString& block)
{
    m_label15->setText(previewText(block));
    refreshDrawing();
}

void ImpEnv::showSender()
{
    AffichExpediteur(state.sender);
    m_label9->setText(previewText(state.sender.TexteExp));
    refreshDrawing();
}

void ImpEnv::refreshDrawing()
{
    const SenderProfile& s = state.sender;
    EnvelopeScene scene;
    scene.envelope = m_envelopeSize;
    scene.address = QPointF(state.label.PosX, state.label.PosY);
    scene.addressShown = !m_label15->isHidden();
    scene.senderFrame = QRectF(s.MarginLeft, s.MarginTop, s.FrameWidth, s.FrameHeight);
    scene.senderShown = !m_label9->isHidden();
    m_drawing->setSenderColor(colorFromRef(senderColorRef(s.TextColor)));
    m_drawing->setScene(scene);
}

// ------------------------------------------------------------------------------ formats

void ImpEnv::chooseFormat(EnvelopeFormatId id)
{
    const EnvelopeFormat format = envelopeFormat(id);
    m_label1->setText(format.caption);
    m_label2->setVisible(format.landscapeNotice);
    m_frame4->setVisible(format.customPosition);
    if (format.customPosition) {
        // The bars start where the address already is; each then sets its own coordinate.
        m_hscroll1->setValue(int(std::lround(state.label.PosX)));
        m_vscroll1->setValue(int(std::lround(state.label.PosY)));
    } else {
        state.label.PosX = format.PosX;
        state.label.PosY = format.PosY;
        m_envelopeSize = QSizeF(format.width, format.height);
    }
    showPosition();
}

void ImpEnv::Option1_Click()
{
    chooseFormat(EnvelopeFormatId::F160x115);
}

void ImpEnv::Option2_Click()
{
    chooseFormat(EnvelopeFormatId::F220x110);
}

void ImpEnv::Option3_Click()
{
    chooseFormat(EnvelopeFormatId::F230x160);
}

void ImpEnv::Option4_Click()
{
    chooseFormat(EnvelopeFormatId::Custom);
}

void ImpEnv::HScroll1_Change()
{
    state.label.PosX = m_hscroll1->value();
    showPosition();
}

void ImpEnv::VScroll1_Change()
{
    state.label.PosY = m_vscroll1->value();
    showPosition();
}

void ImpEnv::showPosition()
{
    m_label5->setText(doubleText(state.label.PosX));
    m_label6->setText(doubleText(state.label.PosY));
    refreshDrawing();
}

// ------------------------------------------------------------------------------ print options

void ImpEnv::choosePrintOption(bool sender, bool address)
{
    m_label9->setVisible(sender);
    m_label15->setVisible(address);
    refreshDrawing();
}

void ImpEnv::Option5_Click()
{
    choosePrintOption(true, true);
}

void ImpEnv::Option6_Click()
{
    choosePrintOption(true, false);
}

void ImpEnv::Option7_Click()
{
    choosePrintOption(false, true);
}

EnvelopeContent ImpEnv::content() const
{
    if (m_option[6]->isChecked())
        return EnvelopeContent::SenderOnly;
    if (m_option[5]->isChecked())
        return EnvelopeContent::AddressAndSender;
    return EnvelopeContent::AddressOnly;
}

// ------------------------------------------------------------------------------ buttons

void ImpEnv::Command1_Click()
{
    if (services.dialogs && services.printer)
        printEnvelopeCommand(state, services, content());
}

void ImpEnv::Command2_Click()
{
    reject();
}

void ImpEnv::Command3_Click()
{
    if (moveInNameList(form, state.search.IndexTrouve, ListMove::Previous))
        AffichTitre();
}

void ImpEnv::Command4_Click()
{
    if (moveInNameList(form, state.search.IndexTrouve, ListMove::Next))
        AffichTitre();
}

void ImpEnv::Command5_Click()
{
    if (moveInNameList(form, state.search.IndexTrouve, ListMove::First))
        AffichTitre();
}

void ImpEnv::Command6_Click()
{
    if (moveInNameList(form, state.search.IndexTrouve, ListMove::Last))
        AffichTitre();
}

void ImpEnv::Command7_Click()
{
    if (services.dialogs)
        showMarginAdvice(*services.dialogs);
}

void ImpEnv::Command8_Click()
{
    switchOrientation(PrinterSurface::Portrait);
}

void ImpEnv::Command9_Click()
{
    switchOrientation(PrinterSurface::Landscape);
}

// ------------------------------------------------------------------------------ printer

void ImpEnv::showOrientationMarks(std::optional<int> orientation)
{
    if (orientation) {
        showOrientation(orientation, m_mnuImpPort, m_mnuImpPays, m_label10);
        m_portMark = m_mnuImpPort->isChecked();
        m_paysMark = m_mnuImpPays->isChecked();
    } else {
        // A failed command leaves the marks as they were, also the one its click toggled.
        m_mnuImpPort->setChecked(m_portMark);
        m_mnuImpPays->setChecked(m_paysMark);
    }
}

void ImpEnv::switchOrientation(int orientation)
{
    if (!services.printer || !services.dialogs) {
        showOrientationMarks(std::nullopt);
        return;
    }
    showOrientationMarks(changeOrientation(services, orientation));
}

void ImpEnv::Mnu_Enveloppe_Click()
{
    if (!services.printer)
        return;
    const std::optional<int> orientation = readOrientation(services);
    if (orientation) {
        showOrientation(orientation, m_mnuImpPort, m_mnuImpPays);
        m_portMark = m_mnuImpPort->isChecked();
        m_paysMark = m_mnuImpPays->isChecked();
    }
}

void ImpEnv::Mnu_ConfImp_Click()
{
    configurePrinter(services);
}

// ------------------------------------------------------------------------------ font, colour

void ImpEnv::Mnu_Police_Click()
{
    if (services.dialogs)
        choosePrintFont(*services.dialogs, *m_label15, state.print);
    refreshDrawing();
}

void ImpEnv::Mnu_Couleur_Click()
{
    if (services.dialogs)
        choosePrintColor(*services.dialogs, *m_label15, state.print);
}

// ------------------------------------------------------------------------------ sender

void ImpEnv::Mnu_Utilisateur_Click()
{
    {
        FrmUtil window(state, services, this);
        window.exec();
    }
    // Back in this window: it is active again, so the sender preview takes the profile's font,
    // colour and text as the sender window left them.
    Form_Activate();
}

// ------------------------------------------------------------------------------ parameters

void ImpEnv::Mnu_ChargeParam_Click()
{
    if (!m_commonDialog1)
        return;
    if (chargerParametres(state, *m_commonDialog1)) {
        applyPrintFont(*m_label15, state.print);
        refreshDrawing();
    }
}

void ImpEnv::Mnu_SauvePAram_Click()
{
    if (!m_commonDialog1)
        return;
    const std::optional<QString> path = choisirFichierParametres(state, *m_commonDialog1);
    if (!path) {
        m_commonDialog1->CancelError = false;
        return;
    }
    SaveFileConfig(*path);
}

void ImpEnv::SaveFileConfig(const QString& path)
{
    ::SaveFileConfig(state.print, *m_label15, path, services.dialogs);
}
