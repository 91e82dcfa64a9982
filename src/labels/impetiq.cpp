#include "labels/impetiq.h"

#include "core/appstate.h"
#include "core/numbertext.h"
#include "core/recordform.h"
#include "core/services.h"
#include "labels/labelsheet.h"
#include "labels/minisheet.h"
#include "labels/printfontpreview.h"
#include "labels/printparamsfile.h"
#include "labels/titremenu.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"
#include "printer/orientationcommands.h"
#include "printer/orientationmarks.h"
#include "printer/printersurface.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace
{

const QColor kSelected(192, 255, 255);

const QString kPrintOne = QStringLiteral("&Imprimer l'étiquette N° ");

// What Text1..Text6 edit, with their tooltips.
struct GeometryField {
    double PrintParams::*field;
    const char* tip;
};
const GeometryField kGeometry[6] = {
    {&PrintParams::MargeGauche, "Marge gauche"},
    {&PrintParams::SepHorizontal, "Séparateur horizontal"},
    {&PrintParams::MargeHaute, "Marge haute"},
    {&PrintParams::SepVertical, "Séparateur vertical"},
    {&PrintParams::LargeurEtiq, "Largeur de l'étiquette"},
    {&PrintParams::HauteurEtiq, "Hauteur de l'étiquette"},
};

// Whether a typed key gets into a field that takes only `allowed`: backspace and keys that type
// nothing (arrows, shortcuts) pass; every other character must be one of `allowed`.
bool keyAccepted(const QString& typed, const QString& allowed)
{
    for (const QChar c : typed) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            continue;
        if (!allowed.contains(c))
            return false;
    }
    return true;
}

// A number shown in a field: its text without a leading space.
QString fieldText(double value)
{
    return doubleText(value);
}

} // namespace

ImpEtiq::ImpEtiq(AppState& appState, Services& appServices, RecordForm& recordForm, QWidget* parent)
    : QDialog(parent), state(appState), services(appServices), form(recordForm)
{
    setObjectName(QStringLiteral("ImpEtiq"));
    setWindowTitle(QStringLiteral("Paramétrage de l'impression pour l'étiquette adresse"));
    if (services.dialogs)
        m_commonDialog1 = std::make_unique<CommonDialog>(*services.dialogs);
    buildWindow();
    buildMenus();
    Form_Load();
}

ImpEtiq::~ImpEtiq() = default;

SheetPosition* ImpEtiq::position(int n) const
{
    return m_sheet->position(n);
}

// ------------------------------------------------------------------------------ building

void ImpEtiq::buildWindow()
{
    auto* top = new QVBoxLayout(this);
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    top->setMenuBar(m_menuBar);

    auto* body = new QHBoxLayout;
    top->addLayout(body);

    // The sheet and its geometry.
    m_frame1 = new QGroupBox(QStringLiteral("Feuille A4 "), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    auto* sheetLayout = new QHBoxLayout(m_frame1);
    m_sheet = new MiniSheet(m_frame1);
    m_sheet->setObjectName(QStringLiteral("Sheet"));
    sheetLayout->addWidget(m_sheet, 1);
    connect(m_sheet, &MiniSheet::positionClicked, this, &ImpEtiq::Label_Click);

    auto* geometry = new QVBoxLayout;
    sheetLayout->addLayout(geometry);
    auto* label12 = new QLabel(QStringLiteral("Marges et séparateurs en mm"), m_frame1);
    label12->setObjectName(QStringLiteral("Label12"));
    label12->setWordWrap(true);
    geometry->addWidget(label12);
    auto* fields = new QFormLayout;
    geometry->addLayout(fields);
    geometry->addStretch(1);
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")) + 12;
    for (int n = 1; n <= 6; ++n) {
        auto* edit = new QLineEdit(m_frame1);
        edit->setObjectName(QStringLiteral("Text%1").arg(n));
        const QString tip = QString::fromUtf8(kGeometry[n - 1].tip);
        edit->setAccessibleName(tip);
        edit->setMaximumWidth(fieldWidth);
        edit->installEventFilter(this);
        auto* caption = new QLabel(tip + QStringLiteral(" :"), m_frame1);
        caption->setObjectName(QStringLiteral("lblText%1").arg(n));
        caption->setBuddy(edit);
        fields->addRow(caption, edit);
        m_text[size_t(n - 1)] = edit;
        connect(edit, &QLineEdit::textChanged, this, [this, n] { Text_Change(n); });
    }
    body->addWidget(m_frame1, 1);

    auto* side = new QVBoxLayout;
    body->addLayout(side);

    m_frame2 = new QGroupBox(QStringLiteral("Option d'impression "), this);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    auto* options = new QVBoxLayout(m_frame2);
    m_option1 = new QRadioButton(QStringLiteral("8 Etiquettes identiques"), m_frame2);
    m_option1->setObjectName(QStringLiteral("Option1"));
    m_option2 = new QRadioButton(QStringLiteral("Etiquette sélectionnée"), m_frame2);
    m_option2->setObjectName(QStringLiteral("Option2"));
    options->addWidget(m_option1);
    options->addWidget(m_option2);
    connect(m_option1, &QRadioButton::clicked, this, &ImpEtiq::Option1_Click);
    connect(m_option2, &QRadioButton::clicked, this, &ImpEtiq::Option2_Click);
    side->addWidget(m_frame2);

    m_frame4 = new QGroupBox(this);
    m_frame4->setObjectName(QStringLiteral("Frame4"));
    auto* count = new QGridLayout(m_frame4);
    auto* label13 = new QLabel(QStringLiteral("Nombre d'étiquettes identiques"), m_frame4);
    label13->setObjectName(QStringLiteral("Label13"));
    auto* label14 = new QLabel(QStringLiteral("( Maximum 10 )......:"), m_frame4);
    label14->setObjectName(QStringLiteral("Label14"));
    auto* text7 = new QLineEdit(m_frame4);
    text7->setObjectName(QStringLiteral("Text7"));
    text7->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    text7->installEventFilter(this);
    label13->setBuddy(text7);
    m_text[6] = text7;
    m_vscroll1 = new QScrollBar(Qt::Vertical, m_frame4);
    m_vscroll1->setObjectName(QStringLiteral("VScroll1"));
    m_vscroll1->setRange(1, 10);
    m_vscroll1->setSingleStep(1);
    m_vscroll1->setPageStep(1);
    m_vscroll1->setAccessibleName(QStringLiteral("Nombre d'étiquettes identiques"));
    m_vscroll1->setMinimumHeight(fontMetrics().height() * 2);
    count->addWidget(label13, 0, 0, 1, 3);
    count->addWidget(label14, 1, 0);
    count->addWidget(text7, 1, 1);
    count->addWidget(m_vscroll1, 1, 2);
    connect(text7, &QLineEdit::textChanged, this, &ImpEtiq::Text7_Change);
    connect(m_vscroll1, &QScrollBar::valueChanged, this, &ImpEtiq::VScroll1_Change);
    side->addWidget(m_frame4);

    m_frame3 = new QGroupBox(QStringLiteral("Option étiquette "), this);
    m_frame3->setObjectName(QStringLiteral("Frame3"));
    auto* checks = new QVBoxLayout(m_frame3);
    m_check1 = new QCheckBox(QStringLiteral("Imprimer cadre"), m_frame3);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check2 = new QCheckBox(QStringLiteral("Imprimer découpe"), m_frame3);
    m_check2->setObjectName(QStringLiteral("Check2"));
    checks->addWidget(m_check1);
    checks->addWidget(m_check2);
    side->addWidget(m_frame3);

    m_label11 =
        new QLabel(QStringLiteral("Cliquez sur l'étiquette que vous désirez imprimer  >"), this);
    m_label11->setObjectName(QStringLiteral("Label11"));
    QFont arial = m_label11->font();
    arial.setFamily(QStringLiteral("Arial"));
    m_label11->setFont(arial);
    m_label11->setWordWrap(true);
    side->addWidget(m_label11);

    m_label15 = new QLabel(this);
    m_label15->setObjectName(QStringLiteral("Label15"));
    m_label15->setTextFormat(Qt::PlainText);
    m_label15->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label15->setAutoFillBackground(true);
    m_label15->setFrameShape(QFrame::Panel);
    m_label15->setFrameShadow(QFrame::Sunken);
    m_label15->setMargin(4);
    m_label15->setMinimumSize(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 22,
                              fontMetrics().height() * 8);
    m_label15->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_label15->setAccessibleName(QStringLiteral("Adresse"));
    QPalette white = m_label15->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_label15->setPalette(white);
    side->addWidget(m_label15, 1);

    auto button = [this](int n, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QStringLiteral("Command%1").arg(n));
        b->setAutoDefault(false);
        m_command[size_t(n - 1)] = b;
        return b;
    };
    auto* navigation = new QHBoxLayout;
    navigation->addWidget(button(3, QStringLiteral("<<")));
    navigation->addWidget(button(4, QStringLiteral("&Première fiche")));
    navigation->addWidget(button(5, QStringLiteral("&Dernière fiche")));
    navigation->addWidget(button(6, QStringLiteral(">>")));
    side->addLayout(navigation);
    m_command[2]->setAccessibleName(QStringLiteral("Fiche précédente"));
    m_command[5]->setAccessibleName(QStringLiteral("Fiche suivante"));

    auto* orientation = new QHBoxLayout;
    orientation->addWidget(button(7, QStringLiteral("Portrait")));
    orientation->addWidget(button(8, QStringLiteral("Paysage")));
    m_command[6]->setToolTip(QStringLiteral("Imprimante en mode Portrait"));
    m_command[7]->setToolTip(QStringLiteral("Imprimante en mode Paysage"));
    m_label16 = new QLabel(QStringLiteral("En cours :"), this);
    m_label16->setObjectName(QStringLiteral("Label16"));
    m_label16->setToolTip(QStringLiteral("Orientation de l'imprimante en cours"));
    orientation->addWidget(m_label16, 1);
    side->addLayout(orientation);

    auto* actions = new QHBoxLayout;
    actions->addWidget(button(1, kPrintOne));
    actions->addWidget(button(2, QStringLiteral("&Quitter")));
    side->addLayout(actions);

    connect(m_command[0], &QPushButton::clicked, this, &ImpEtiq::Command1_Click);
    connect(m_command[1], &QPushButton::clicked, this, &ImpEtiq::Command2_Click);
    connect(m_command[2], &QPushButton::clicked, this, &ImpEtiq::Command3_Click);
    connect(m_command[3], &QPushButton::clicked, this, &ImpEtiq::Command4_Click);
    connect(m_command[4], &QPushButton::clicked, this, &ImpEtiq::Command5_Click);
    connect(m_command[5], &QPushButton::clicked, this, &ImpEtiq::Command6_Click);
    connect(m_command[6], &QPushButton::clicked, this, &ImpEtiq::Command7_Click);
    connect(m_command[7], &QPushButton::clicked, this, &ImpEtiq::Command8_Click);
}

void ImpEtiq::buildMenus()
{
    auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };

    m_mnuEtiq = m_menuBar->addMenu(QStringLiteral("&Etiquette"));
    m_mnuEtiq->setObjectName(QStringLiteral("Mnu_Etiq"));
    m_mnuEtiq->menuAction()->setObjectName(QStringLiteral("Mnu_Etiq"));
    connect(m_mnuEtiq, &QMenu::aboutToShow, this, &ImpEtiq::Mnu_Etiq_Click);
    connect(item(m_mnuEtiq, "Mnu_Police", QStringLiteral("Police...")), &QAction::triggered, this,
            &ImpEtiq::Mnu_Police_Click);
    connect(item(m_mnuEtiq, "Mnu_Couleur", QStringLiteral("Cou&leur du texte...")),
            &QAction::triggered, this, &ImpEtiq::Mnu_Couleur_Click);
    separator(m_mnuEtiq, "sep1");
    connect(item(m_mnuEtiq, "Mnu_ConfIMP", QStringLiteral("&Configurer l'imprimante")),
            &QAction::triggered, this, &ImpEtiq::Mnu_ConfIMP_Click);
    m_mnuImpPort = item(m_mnuEtiq, "Mnu_ImpPort", QStringLiteral("Imprimante en mode Portrait"));
    m_mnuImpPort->setCheckable(true);
    keepMarkOnClick(m_mnuImpPort);
    connect(m_mnuImpPort, &QAction::triggered, this, &ImpEtiq::Command7_Click);
    m_mnuImpPays = item(m_mnuEtiq, "Mnu_ImpPays", QStringLiteral("Imprimante en mode Paysage"));
    m_mnuImpPays->setCheckable(true);
    keepMarkOnClick(m_mnuImpPays);
    connect(m_mnuImpPays, &QAction::triggered, this, &ImpEtiq::Command8_Click);
    separator(m_mnuEtiq, "sep2");
    connect(item(m_mnuEtiq, "Mnu_fermer", QStringLiteral("&Quitter")), &QAction::triggered, this,
            &ImpEtiq::Command2_Click);

    m_titre = new TitreMenu(m_menuBar, QStringLiteral("&Titre"), state.address, form,
                            [this](const QString& block) { showBlock(block); });

    m_mnuParam = m_menuBar->addMenu(QStringLiteral("&Paramètres"));
    m_mnuParam->setObjectName(QStringLiteral("Mnu_Param"));
    m_mnuParam->menuAction()->setObjectName(QStringLiteral("Mnu_Param"));
    connect(item(m_mnuParam, "Mnu_ChargeParam", QStringLiteral("&Charger des paramètres")),
            &QAction::triggered, this, &ImpEtiq::Mnu_ChargeParam_Click);
    connect(item(m_mnuParam, "Mnu_SauveParam", QStringLiteral("&Sauver les paramètres")),
            &QAction::triggered, this, &ImpEtiq::Mnu_SauveParam_Click);
    connect(item(m_mnuParam, "Mnu_ParamDefaut", QStringLiteral("&Paramètres à défaut")),
            &QAction::triggered, this, &ImpEtiq::Mnu_ParamDefaut_Click);
}

// ------------------------------------------------------------------------------ load, activation

void ImpEtiq::Form_Load()
{
    for (int n = 1; n <= kLabelPositions; ++n)
        position(n)->setToolTip(QStringLiteral("Cliquez pour sélectionner"));
    for (int n = 1; n <= 6; ++n)
        m_text[size_t(n - 1)]->setToolTip(QString::fromUtf8(kGeometry[n - 1].tip));
    m_command[2]->setToolTip(QStringLiteral("Fiche précédente"));
    m_command[5]->setToolTip(QStringLiteral("Fiche suivante"));

    state.label.NumEtiquette = 0;
    m_option2->setChecked(true);
    m_option1->setChecked(false);
    state.label.ModeImpression = 0;
    m_label11->setVisible(true);
    m_command[0]->setText(kPrintOne);
    m_frame4->setVisible(false);

    m_text[6]->setText(QString::number(state.label.NbEtiquettes));
    m_vscroll1->setValue(state.label.NbEtiquettes);
    m_command[0]->setEnabled(false);
    LabelVisible();

    setWindowTitle(paramWindowTitle(QString()));
    showFlags();
    showGeometry();
    // The preview holds the print font from the start, so a save before any activation writes
    // the font in use.
    applyPrintFont(*m_label15, state.print);
    refreshOrientation();
}

void ImpEtiq::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void ImpEtiq::Form_Activate()
{
    applyPrintFont(*m_label15, state.print);
    AffichTitre();
}

void ImpEtiq::AffichTitre()
{
    m_titre->affichTitre();
}

void ImpEtiq::showBlock(const QString& block)
{
    QString shown = block;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_label15->setText(shown);
}

void ImpEtiq::done(int result)
{
    storeFlags();
    QDialog::done(result);
}

// ------------------------------------------------------------------------------ positions, modes

void ImpEtiq::Label_Click(int n)
{
    if (n < 1 || n > kLabelPositions)
        return;
    state.label.NumEtiquette = n;
    m_command[0]->setEnabled(true);
    m_command[0]->setText(kPrintOne + QLatin1Char(' ') + QString::number(n));
    for (int k = 1; k <= kLabelPositions; ++k)
        position(k)->setBackground(k == n ? kSelected : QColor(Qt::white));
    const LabelCorner corner = labelCorner(state.print, n);
    state.label.PosX = corner.x;
    state.label.PosY = corner.y;
}

void ImpEtiq::Option1_Click()
{
    m_command[0]->setText(QStringLiteral("&Imprimer ") + QString::number(state.label.NbEtiquettes) +
                          QStringLiteral(" étiquettes"));
    m_command[0]->setEnabled(true);
    m_option1->setChecked(true);
    m_option2->setChecked(false);
    m_label11->setVisible(false);
    m_frame4->setVisible(true);
    state.label.ModeImpression = 1;
    CacheLabel();
}

void ImpEtiq::Option2_Click()
{
    m_label11->setVisible(true);
    m_command[0]->setEnabled(false);
    m_option2->setChecked(true);
    m_command[0]->setText(kPrintOne);
    m_option1->setChecked(false);
    m_frame1->setVisible(true);
    m_frame4->setVisible(false);
    state.label.ModeImpression = 0;
    LabelVisible();
}

void ImpEtiq::CacheLabel()
{
    for (int n = 1; n <= kLabelPositions; ++n)
        position(n)->setEnabled(false);
}

void ImpEtiq::LabelVisible()
{
    for (int n = 1; n <= kLabelPositions; ++n)
        position(n)->setEnabled(true);
    m_command[0]->setText(kPrintOne + QLatin1Char(' ') + QString::number(state.label.NumEtiquette));
    if (state.label.NumEtiquette != 0)
        m_command[0]->setEnabled(true);
}

// ------------------------------------------------------------------------------ fields

bool ImpEtiq::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int index = int(std::find(m_text.begin(), m_text.end(), watched) - m_text.begin());
        if (index < 7) {
            const QString allowed =
                index == 6 ? QStringLiteral("0123456789") : QStringLiteral("0123456789.-");
            if (!keyAccepted(static_cast<QKeyEvent*>(event)->text(), allowed))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ImpEtiq::Text7_Change()
{
    auto* dialogs = services.dialogs;
    const double value = leadingNumber(m_text[6]->text());
    const double rounded = std::nearbyint(value);
    if (rounded > 10) {
        if (dialogs)
            dialogs->msgBox(QStringLiteral("Nombre maximum de étiquettes identiques = 10"),
                            vbCritical, QStringLiteral("Erreur"));
        state.label.NbEtiquettes = 10;
        m_text[6]->setText(QStringLiteral("10"));
    } else if (rounded < 1) {
        if (dialogs)
            dialogs->msgBox(QStringLiteral("Nombre minimum de étiquettes = 1"), vbCritical,
                            QStringLiteral("Erreur"));
        state.label.NbEtiquettes = 1;
        m_text[6]->setText(QStringLiteral("1"));
    } else {
        state.label.NbEtiquettes = int(rounded);
    }
    const int n = state.label.NbEtiquettes;
    m_vscroll1->setValue(n);
    m_option1->setText(QString::number(n) + QStringLiteral(" étiquettes identiques"));
    if (state.label.ModeImpression == 1) {
        m_command[0]->setEnabled(true);
        m_command[0]->setText(QStringLiteral("&Imprimer ") + QString::number(n) +
                              QStringLiteral(" étiquettes"));
    }
}

void ImpEtiq::VScroll1_Change()
{
    state.label.NbEtiquettes = m_vscroll1->value();
    m_text[6]->setText(QString::number(state.label.NbEtiquettes));
}

void ImpEtiq::Text_Change(int n)
{
    state.print.*kGeometry[n - 1].field = leadingNumber(m_text[size_t(n - 1)]->text());
}

void ImpEtiq::showGeometry()
{
    const PrintParams p = state.print;
    for (int n : {1, 3, 4, 2, 5, 6})
        m_text[size_t(n - 1)]->setText(fieldText(p.*kGeometry[n - 1].field));
}

void ImpEtiq::showFlags()
{
    m_check1->setChecked(state.print.ImprimerCadre);
    m_check2->setChecked(state.print.ImprimerDecoupe);
}

void ImpEtiq::storeFlags()
{
    state.print.ImprimerCadre = m_check1->checkState() == Qt::Checked;
    state.print.ImprimerDecoupe = m_check2->checkState() == Qt::Checked;
}

// ------------------------------------------------------------------------------ buttons

void ImpEtiq::Command1_Click()
{
    storeFlags();
    printLabelCommand(state, services);
}

void ImpEtiq::Command2_Click()
{
    reject();
}

void ImpEtiq::Command3_Click()
{
    moveInNameList(form, state.search.IndexTrouve, ListMove::Previous);
    AffichTitre();
}

void ImpEtiq::Command4_Click()
{
    moveInNameList(form, state.search.IndexTrouve, ListMove::First);
    AffichTitre();
}

void ImpEtiq::Command5_Click()
{
    moveInNameList(form, state.search.IndexTrouve, ListMove::Last);
    AffichTitre();
}

void ImpEtiq::Command6_Click()
{
    moveInNameList(form, state.search.IndexTrouve, ListMove::Next);
    AffichTitre();
}

void ImpEtiq::Command7_Click()
{
    switchOrientation(false);
}

void ImpEtiq::Command8_Click()
{
    switchOrientation(true);
}

// ------------------------------------------------------------------------------ printer

void ImpEtiq::refreshOrientation()
{
    if (services.printer)
        refreshOrientationMarks(services, m_mnuImpPort, m_mnuImpPays, m_label16);
}

void ImpEtiq::switchOrientation(bool landscape)
{
    if (!services.printer)
        return;
    showOrientation(changeOrientation(services, landscape ? PrinterSurface::Landscape
                                                          : PrinterSurface::Portrait),
                    m_mnuImpPort, m_mnuImpPays, m_label16);
}

void ImpEtiq::Mnu_Etiq_Click()
{
    refreshOrientation();
}

void ImpEtiq::Mnu_ConfIMP_Click()
{
    configurePrinter(services);
}

void ImpEtiq::Mnu_Police_Click()
{
    if (services.dialogs)
        choosePrintFont(*services.dialogs, *m_label15, state.print);
}

void ImpEtiq::Mnu_Couleur_Click()
{
    if (services.dialogs)
        choosePrintColor(*services.dialogs, *m_label15, state.print);
}

// ------------------------------------------------------------------------------ parameters

void ImpEtiq::Mnu_ChargeParam_Click()
{
    if (!m_commonDialog1)
        return;
    const std::optional<QString> read = chargerParametres(state, *m_commonDialog1);
    if (!read) {
        setWindowTitle(paramWindowTitle(QString()));
        return;
    }
    showGeometry();
    showFlags();
    applyPrintFont(*m_label15, state.print);
    setWindowTitle(paramWindowTitle(*read));
}

void ImpEtiq::Mnu_SauveParam_Click()
{
    if (!m_commonDialog1)
        return;
    const std::optional<QString> path = choisirFichierParametres(state, *m_commonDialog1);
    if (!path)
        return;
    SaveFileConfig(*path);
    setWindowTitle(paramWindowTitle(*path));
}

void ImpEtiq::Mnu_ParamDefaut_Click()
{
    installDefaultGeometry(state.print);
    state.label.NbEtiquettes = 8;
    m_option1->setText(QStringLiteral("8 étiquettes identiques"));
    m_text[6]->setText(QStringLiteral("8"));
    showGeometry();
    showFlags();
    setWindowTitle(paramWindowTitle(QString()));
}

void ImpEtiq::SaveFileConfig(const QString& path)
{
    storeFlags();
    for (int n = 1; n <= 6; ++n)
        state.print.*kGeometry[n - 1].field = leadingNumber(m_text[size_t(n - 1)]->text());
    readPrintFont(*m_label15, state.print);
    writePrintParamsFile(path, state.print, services.dialogs);
}
