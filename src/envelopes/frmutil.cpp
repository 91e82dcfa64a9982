#include "envelopes/frmutil.h"

#include "core/appstate.h"
#include "core/numbertext.h"
#include "core/services.h"
#include "envelopes/envelopeprint.h"
#include "envelopes/senderpreview.h"
#include "envelopes/senderprofile.h"
#include "envelopes/senderprofilefile.h"
#include "platform/colorref.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"
#include "platform/fontspec.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

const QString kUtiFilter = QStringLiteral("Fichiers utilisateur (*.UTI)|*.uti");
constexpr int kLineLength = 50;
constexpr int kMeasureLength = 3;
constexpr int cdlOFNCreatePrompt = 8192;

const QColor kLightGreen(0xC0, 0xFF, 0xC0);

// The profile field shown by Text6..Text9.
double& measure(SenderProfile& p, int n)
{
    switch (n) {
    case 6:
        return p.FrameWidth;
    case 7:
        return p.FrameHeight;
    case 8:
        return p.MarginLeft;
    default:
        return p.MarginTop;
    }
}

} // namespace

FrmUtil::FrmUtil(AppState& state, Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services),
      m_commonDialog1(std::make_unique<CommonDialog>(*services.dialogs))
{
    setObjectName(QStringLiteral("FrmUtil"));
    setModal(true);
    buildForm();
    updateCaption();
    // Load: the test print button's tooltip.
    m_command3->setToolTip(QStringLiteral("Imprime une étiquette expéditeur"));
}

FrmUtil::~FrmUtil() = default;

// ------------------------------------------------------------------------------ building

void FrmUtil::buildForm()
{
    auto* layout = new QVBoxLayout(this);
    buildMenu(layout);

    auto* frame1 = new QGroupBox(QStringLiteral("Définition de l'utilisateur "), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* grid1 = new QGridLayout(frame1);
    const QString lineLabels[6] = {
        QString(), QStringLiteral("Nom Prénom Société :"), QStringLiteral("Adresse :"),
        QString(), QStringLiteral("Code postal Ville :"),  QStringLiteral("Pays :")};
    const QString lineNames[6] = {QString(),
                                  QStringLiteral("Nom Prénom Société"),
                                  QStringLiteral("Adresse"),
                                  QStringLiteral("Adresse, suite"),
                                  QStringLiteral("Code postal Ville"),
                                  QStringLiteral("Pays")};
    const int labelNumber[6] = {0, 1, 2, 0, 3, 4};
    for (int n = 1; n <= 5; ++n) {
        auto* edit = new QLineEdit(frame1);
        edit->setObjectName(QStringLiteral("Text%1").arg(n));
        edit->setMaxLength(kLineLength);
        edit->setAccessibleName(lineNames[n]);
        m_text[size_t(n)] = edit;
        if (!lineLabels[n].isEmpty()) {
            auto* label = new QLabel(lineLabels[n], frame1);
            label->setObjectName(QStringLiteral("Label%1").arg(labelNumber[n]));
            label->setBuddy(edit);
            grid1->addWidget(label, n - 1, 0);
        }
        grid1->addWidget(edit, n - 1, 1);
        connect(edit, &QLineEdit::textEdited, this, [this, n] { lineEdited(n); });
    }
    layout->addWidget(frame1);

    auto* middle = new QHBoxLayout;
    auto* frame2 = new QGroupBox(
        QStringLiteral("Définition de la police et du cadre pour impression sur enveloppe "), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* frame2Layout = new QVBoxLayout(frame2);
    m_check1 = new QCheckBox(QStringLiteral("Expéditeur en entête ( Exp : )"), frame2);
    m_check1->setObjectName(QStringLiteral("Check1"));
    connect(m_check1, &QCheckBox::clicked, this, &FrmUtil::check1Clicked);
    frame2Layout->addWidget(m_check1);

    auto* frames = new QHBoxLayout;
    struct MeasureBox {
        const char* frame;
        const char* frameCaption;
        int label[2];
        const char* captions[2];
        int text[2];
    };
    const MeasureBox boxes[2] = {
        {"Frame3", "Cadre en mm ", {5, 6}, {"Largeur :", "Hauteur :"}, {6, 7}},
        {"Frame4", "Marges en mm ", {8, 9}, {"Marge gauche :", "Marge haute :"}, {8, 9}},
    };
    for (const MeasureBox& b : boxes) {
        auto* frame = new QGroupBox(QString::fromUtf8(b.frameCaption), frame2);
        frame->setObjectName(QString::fromLatin1(b.frame));
        auto* grid = new QGridLayout(frame);
        for (int i = 0; i < 2; ++i) {
            const int n = b.text[i];
            auto* label = new QLabel(QString::fromUtf8(b.captions[i]), frame);
            label->setObjectName(QStringLiteral("Label%1").arg(b.label[i]));
            auto* edit = new QLineEdit(frame);
            edit->setObjectName(QStringLiteral("Text%1").arg(n));
            edit->setMaxLength(kMeasureLength);
            QString name = QString::fromUtf8(b.captions[i]);
            name.chop(2);
            edit->setAccessibleName(name);
            QPalette pal = edit->palette();
            pal.setColor(QPalette::Base, kLightGreen);
            edit->setPalette(pal);
            edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                                  12);
            edit->installEventFilter(this);
            label->setBuddy(edit);
            grid->addWidget(label, i, 0);
            grid->addWidget(edit, i, 1);
            m_text[size_t(n)] = edit;
            connect(edit, &QLineEdit::textEdited, this, [this, n] { measureEdited(n); });
        }
        frames->addWidget(frame);
    }
    frame2Layout->addLayout(frames);
    middle->addWidget(frame2, 1);

    m_label15 = new QLabel(this);
    m_label15->setObjectName(QStringLiteral("Label15"));
    m_label15->setAccessibleName(QStringLiteral("Aperçu de l'étiquette expéditeur"));
    m_label15->setTextFormat(Qt::PlainText);
    m_label15->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label15->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_label15->setAutoFillBackground(true);
    m_label15->setMinimumSize(220, 110);
    m_label15->setMargin(4);
    QPalette pal = m_label15->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_label15->setPalette(pal);
    middle->addWidget(m_label15, 1);
    layout->addLayout(middle);

    auto* frame5 = new QGroupBox(this);
    frame5->setObjectName(QStringLiteral("Frame5"));
    auto* buttons = new QHBoxLayout(frame5);
    m_command1 = new QPushButton(QStringLiteral("&Police d'impression"), frame5);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2 = new QPushButton(QStringLiteral("&Couleur d'impression"), frame5);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command3 = new QPushButton(QStringLiteral("Test impression"), frame5);
    m_command3->setObjectName(QStringLiteral("Command3"));
    for (QPushButton* b : {m_command1, m_command2, m_command3}) {
        // Enter in a text box must not press a button.
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    connect(m_command1, &QPushButton::clicked, this, &FrmUtil::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &FrmUtil::Command2_Click);
    connect(m_command3, &QPushButton::clicked, this, &FrmUtil::Command3_Click);
    layout->addWidget(frame5);
}

void FrmUtil::buildMenu(QVBoxLayout* layout)
{
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    QMenu* fichier = bar->addMenu(QStringLiteral("&Fichier"));
    fichier->setObjectName(QStringLiteral("Mnu_Fichier"));
    auto item = [this, fichier](const char* name, const QString& caption, const QKeySequence& key,
                                void (FrmUtil::*slot)()) {
        QAction* a = fichier->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        // The window's own shortcuts work while the menu bar is closed.
        addAction(a);
    };
    item("Mnu_Nouveau", QStringLiteral("&Nouveau"), QKeySequence(Qt::CTRL | Qt::Key_N),
         &FrmUtil::Mnu_Nouveau_Click);
    item("Mnu_Ouvrir", QStringLiteral("&Ouvrir"), QKeySequence(Qt::CTRL | Qt::Key_O),
         &FrmUtil::Mnu_Ouvrir_Click);
    fichier->addSeparator();
    item("Mnu_EnregisterSous", QStringLiteral("&Enregistrer Sous"),
         QKeySequence(Qt::CTRL | Qt::Key_E), &FrmUtil::Mnu_EnregisterSous_Click);
    fichier->addSeparator();
    item("Mnu_police", QStringLiteral("&Police..."), QKeySequence(Qt::CTRL | Qt::Key_P),
         &FrmUtil::Command1_Click);
    item("Mnu_Couleur", QStringLiteral("&Couleur..."), QKeySequence(Qt::CTRL | Qt::Key_C),
         &FrmUtil::Command2_Click);
    fichier->addSeparator();
    item("Mnu_Quitter", QStringLiteral("&Quitter"), QKeySequence(Qt::CTRL | Qt::Key_Q),
         &FrmUtil::Mnu_Quitter_Click);
}

// ------------------------------------------------------------------------------ showing

void FrmUtil::updateCaption()
{
    if (m_state.FicUtilCharge.isEmpty())
        setWindowTitle(QStringLiteral("Définition de l'utilisateur"));
    else
        setWindowTitle(QStringLiteral("Définition utilisateur ") + m_state.FicUtilCharge);
}

void FrmUtil::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void FrmUtil::Form_Activate()
{
    SenderProfile& p = m_state.sender;
    for (int n = 1; n <= 5; ++n)
        m_text[size_t(n)]->setText(senderLine(p, n));
    showMeasures();
    applySenderFont(*m_label15, p);
    // Only 1 ticks the box; the profile's value itself stays as loaded.
    m_check1->setChecked(p.HeaderExp == 1);
    showSenderText();
}

void FrmUtil::showMeasures()
{
    for (int n = 6; n <= 9; ++n)
        m_text[size_t(n)]->setText(singleText(measure(m_state.sender, n)));
}

void FrmUtil::showSenderText()
{
    AffichExpediteur(m_state.sender);
    m_label15->setText(previewText(m_state.sender.TexteExp));
}

// ------------------------------------------------------------------------------ edits

void FrmUtil::lineEdited(int n)
{
    senderLine(m_state.sender, n) = m_text[size_t(n)]->text();
    showSenderText();
}

void FrmUtil::measureEdited(int n)
{
    measure(m_state.sender, n) = double(float(leadingNumber(m_text[size_t(n)]->text())));
}

void FrmUtil::check1Clicked(bool checked)
{
    m_state.sender.HeaderExp = checked ? 1 : 0;
    showSenderText();
}

bool FrmUtil::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        int n = 6;
        while (n <= 9 && m_text[size_t(n)] != watched)
            ++n;
        if (n <= 9) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString typed = key->text();
            const bool command =
                key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            // Keys that type no character (arrows, Delete, backspace, shortcuts) pass.
            if (!command && !typed.isEmpty() && typed.at(0).unicode() >= 0x20) {
                const QString allowed =
                    n <= 7 ? QStringLiteral("0123456789") : QStringLiteral("-0123456789");
                for (const QChar c : typed) {
                    if (!allowed.contains(c))
                        return true;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ------------------------------------------------------------------------------ commands

void FrmUtil::Command1_Click()
{
    const QFont current = m_label15->font();
    const auto chosen = m_services.dialogs->chooseFont(fontSpecOf(current));
    if (chosen) {
        // Underline and strikethrough are not the sender label's.
        FontSpec taken = *chosen;
        taken.underline = current.underline();
        taken.strikethru = current.strikeOut();
        const QFont f = fontWithSpec(current, taken);
        m_label15->setFont(f);
        SenderProfile& p = m_state.sender;
        p.FontName = f.family();
        p.FontSize = double(float(f.pointSizeF()));
        p.FontBold = f.bold();
        p.FontItalic = f.italic();
    }
    showSenderText();
}

void FrmUtil::Command2_Click()
{
    const quint32 current = colorRef(m_label15->palette().color(QPalette::WindowText));
    const auto chosen = m_services.dialogs->chooseColor(current);
    if (!chosen)
        return;
    m_state.sender.TextColor = double(*chosen & 0xFFFFFFu);
    applySenderFont(*m_label15, m_state.sender);
}

void FrmUtil::Command3_Click()
{
    const int answer = m_services.dialogs->msgBox(
        QStringLiteral("Confirmer l'impression de l'étiquette expéditeur?"), vbYesNo + vbQuestion,
        QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe"));
    if (answer == vbYes)
        printSenderLabel(m_state, m_services);
}

void FrmUtil::Mnu_Nouveau_Click()
{
    const int answer = m_services.dialogs->msgBox(QStringLiteral("Nouveau fichier ? Confirmez."),
                                                  vbYesNo + vbQuestion,
                                                  QStringLiteral("Nouveau fichier utilisateur"));
    if (answer != vbYes)
        return;
    SenderProfile& p = m_state.sender;
    p.FrameWidth = 45;
    p.FrameHeight = 20;
    p.MarginLeft = 20;
    p.MarginTop = 10;
    for (int n = 1; n <= 5; ++n) {
        senderLine(p, n).clear();
        m_text[size_t(n)]->clear();
    }
    showMeasures();
    showSenderText();
    m_text[1]->setFocus();
}

void FrmUtil::Mnu_Ouvrir_Click()
{
    if (!m_state.CheminAppli.isEmpty())
        QDir::setCurrent(m_state.CheminAppli);
    CommonDialog& dlg = *m_commonDialog1;
    dlg.CancelError = true;
    dlg.FileName = m_state.FicUtil;
    dlg.DialogTitle = QStringLiteral("Ouvrir un fichier utilisateur");
    dlg.Filter = kUtiFilter;
    dlg.FilterIndex = 1;
    dlg.Flags = cdlOFNCreatePrompt;
    dlg.InitDir = m_state.CheminAppli;
    if (!dlg.ShowOpen()) {
        dlg.CancelError = false;
        return;
    }
    const QString path = dlg.FileName;
    if (path.isEmpty())
        return;
    // A file that fails to load leaves the window as it was; the caption still names it.
    if (ChargeFileUtil(m_state.sender, *m_services.dialogs, path))
        Form_Activate();
    m_state.FicUtilCharge = path;
    updateCaption();
}

void FrmUtil::Mnu_EnregisterSous_Click()
{
    if (!m_state.CheminAppli.isEmpty())
        QDir::setCurrent(m_state.CheminAppli);
    CommonDialog& dlg = *m_commonDialog1;
    dlg.CancelError = true;
    if (dlg.FileName.isEmpty())
        dlg.FileName = m_state.FicUtil;
    dlg.DialogTitle = QStringLiteral("Enregistrer Sous");
    dlg.Filter = kUtiFilter;
    dlg.FilterIndex = 1;
    dlg.Flags = cdlOFNOverwritePrompt;
    dlg.InitDir = m_state.CheminAppli;
    if (!dlg.ShowSave()) {
        dlg.CancelError = false;
        return;
    }
    // The file goes where the user chose it, the folder the dialog asked about included.
    const QString path = dlg.FileName;
    if (path.isEmpty())
        return;
    if (SaveFileUtil(path))
        m_state.FicUtil = path;
}

bool FrmUtil::SaveFileUtil(const QString& path)
{
    // Every edit is already in the profile.
    if (writeSenderProfile(m_state.sender, path))
        return true;
    m_services.dialogs->msgBox(QStringLiteral("Erreur de sauvegarde!"), vbOKOnly + vbCritical,
                               QStringLiteral("Erreur"));
    return false;
}

void FrmUtil::Mnu_Quitter_Click()
{
    accept();
}
