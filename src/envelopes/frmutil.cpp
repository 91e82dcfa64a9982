#include "envelopes/frmutil.h"

#include "core/appstate.h"
#include "core/numbertext.h"
#include "core/services.h"
#include "envelopes/envelopeprint.h"
#include "envelopes/senderpreview.h"
#include "envelopes/senderprofile.h"
#include "envelopes/senderprofilefile.h"
#include "labels/printfontpreview.h"
#include "labels/typingfilter.h"
#include "platform/colorref.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"
#include "platform/fontspec.h"
#include "platform/windowkeys.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace
{

const QString kUtiFilter = QStringLiteral("Fichiers utilisateur (*.UTI)|*.uti");
constexpr int kLineLength = 50;
constexpr int kMeasureLength = 3;
constexpr int cdlOFNCreatePrompt = 8192;

const QColor kLightGreen(0xC0, 0xFF, 0xC0);

// The sender line boxes Text1..Text5: the caption beside each (the third has none) and the name
// a screen reader gives it.
struct LineBox {
    const char* labelName;
    const char* caption;
    const char* accessibleName;
};
const LineBox kLines[kSenderLineCount] = {
    {"Label1", "Nom Prénom Société :", "Nom Prénom Société"},
    {"Label2", "Adresse :", "Adresse"},
    {nullptr, nullptr, "Adresse, suite"},
    {"Label3", "Code postal Ville :", "Code postal Ville"},
    {"Label4", "Pays :", "Pays"},
};

// The measure boxes in the order of SenderMeasure, two to a frame, and what each edits.
struct MeasureBox {
    double SenderProfile::*field;
    const char* boxName;
    const char* labelName;
    const char* caption;
    const char* allowed; // the characters that can be typed
};
const MeasureBox kMeasures[kSenderMeasureCount] = {
    {&SenderProfile::FrameWidth, "Text6", "Label5", "Largeur :", "0123456789"},
    {&SenderProfile::FrameHeight, "Text7", "Label6", "Hauteur :", "0123456789"},
    {&SenderProfile::MarginLeft, "Text8", "Label8", "Marge gauche :", "-0123456789"},
    {&SenderProfile::MarginTop, "Text9", "Label9", "Marge haute :", "-0123456789"},
};
const char* const kMeasureFrames[2][2] = {{"Frame3", "Cadre en mm "}, {"Frame4", "Marges en mm "}};

} // namespace

FrmUtil::FrmUtil(AppState& state, Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services),
      m_profileFileDialog(std::make_unique<CommonDialog>(*services.dialogs))
{
    setObjectName(QStringLiteral("FrmUtil"));
    useWindowKeyRules();
    setModal(true);
    buildForm();
    updateCaption();
    // Load: the test print button's tooltip.
    m_testPrintButton->setToolTip(QStringLiteral("Imprime une étiquette expéditeur"));
}

FrmUtil::~FrmUtil() = default;

// ------------------------------------------------------------------------------ building

void FrmUtil::buildForm()
{
    auto* layout = new QVBoxLayout(this);
    buildMenu(layout);

    auto* linesFrame = new QGroupBox(QStringLiteral("Définition de l'utilisateur "), this);
    linesFrame->setObjectName(QStringLiteral("Frame1"));
    auto* lines = new QGridLayout(linesFrame);
    for (int i = 0; i < kSenderLineCount; ++i) {
        const LineBox& l = kLines[i];
        auto* box = new QLineEdit(linesFrame);
        box->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        limitTyping(box, kLineLength);
        box->setAccessibleName(QString::fromUtf8(l.accessibleName));
        m_lineBoxes[size_t(i)] = box;
        if (l.caption) {
            auto* label = new QLabel(QString::fromUtf8(l.caption), linesFrame);
            label->setObjectName(QLatin1String(l.labelName));
            label->setBuddy(box);
            lines->addWidget(label, i, 0);
        }
        lines->addWidget(box, i, 1);
        connect(box, &QLineEdit::textEdited, this, [this, line = i + 1] { lineEdited(line); });
    }
    layout->addWidget(linesFrame);

    buildMeasures(layout);

    auto* buttonFrame = new QGroupBox(this);
    buttonFrame->setObjectName(QStringLiteral("Frame5"));
    auto* buttons = new QHBoxLayout(buttonFrame);
    auto button = [&](const char* name, const QString& caption, void (FrmUtil::*command)()) {
        auto* b = new QPushButton(caption, buttonFrame);
        b->setObjectName(QLatin1String(name));
        // Enter in a text box must not press a button.
        b->setAutoDefault(false);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, command);
        return b;
    };
    m_fontButton = button("Command1", QStringLiteral("&Police d'impression"), &FrmUtil::chooseFont);
    m_colourButton =
        button("Command2", QStringLiteral("&Couleur d'impression"), &FrmUtil::chooseColour);
    m_testPrintButton =
        button("Command3", QStringLiteral("Test impression"), &FrmUtil::printTestLabel);
    layout->addWidget(buttonFrame);
}

void FrmUtil::buildMeasures(QVBoxLayout* layout)
{
    auto* middle = new QHBoxLayout;
    auto* lookFrame = new QGroupBox(
        QStringLiteral("Définition de la police et du cadre pour impression sur enveloppe "), this);
    lookFrame->setObjectName(QStringLiteral("Frame2"));
    auto* look = new QVBoxLayout(lookFrame);
    m_headerCheck = new QCheckBox(QStringLiteral("Expéditeur en entête ( Exp : )"), lookFrame);
    m_headerCheck->setObjectName(QStringLiteral("Check1"));
    connect(m_headerCheck, &QCheckBox::clicked, this, &FrmUtil::headerClicked);
    look->addWidget(m_headerCheck);

    auto* frames = new QHBoxLayout;
    QGridLayout* grid = nullptr;
    for (int i = 0; i < kSenderMeasureCount; ++i) {
        const MeasureBox& m = kMeasures[i];
        if (i % 2 == 0) {
            const char* const* frameNames = kMeasureFrames[i / 2];
            auto* frame = new QGroupBox(QString::fromUtf8(frameNames[1]), lookFrame);
            frame->setObjectName(QLatin1String(frameNames[0]));
            grid = new QGridLayout(frame);
            frames->addWidget(frame);
        }
        QWidget* frame = grid->parentWidget();
        const QString caption = QString::fromUtf8(m.caption);
        auto* label = new QLabel(caption, frame);
        label->setObjectName(QLatin1String(m.labelName));
        auto* box = new QLineEdit(frame);
        box->setObjectName(QLatin1String(m.boxName));
        limitTyping(box, kMeasureLength);
        box->setAccessibleName(caption.chopped(2));
        QPalette pal = box->palette();
        pal.setColor(QPalette::Base, kLightGreen);
        box->setPalette(pal);
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
        allowTypingOnly(box, QLatin1String(m.allowed));
        label->setBuddy(box);
        grid->addWidget(label, i % 2, 0);
        grid->addWidget(box, i % 2, 1);
        m_measureBoxes[size_t(i)] = box;
        connect(box, &QLineEdit::textEdited, this,
                [this, measure = SenderMeasure(i)] { measureEdited(measure); });
    }
    look->addLayout(frames);
    middle->addWidget(lookFrame, 1);

    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("Label15"));
    m_preview->setAccessibleName(QStringLiteral("Aperçu de l'étiquette expéditeur"));
    m_preview->setTextFormat(Qt::PlainText);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_preview->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_preview->setAutoFillBackground(true);
    m_preview->setMinimumSize(220, 110);
    m_preview->setMargin(4);
    QPalette pal = m_preview->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_preview->setPalette(pal);
    middle->addWidget(m_preview, 1);
    layout->addLayout(middle);
}

void FrmUtil::buildMenu(QVBoxLayout* layout)
{
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    QMenu* fileMenu = bar->addMenu(QStringLiteral("&Fichier"));
    fileMenu->setObjectName(QStringLiteral("Mnu_Fichier"));
    auto item = [this, fileMenu](const char* name, const QString& caption, const QKeySequence& key,
                                 void (FrmUtil::*command)()) {
        QAction* a = fileMenu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, command);
        // The window's own shortcuts work while the menu bar is closed.
        addAction(a);
    };
    item("Mnu_Nouveau", QStringLiteral("&Nouveau"), QKeySequence(Qt::CTRL | Qt::Key_N),
         &FrmUtil::newProfile);
    item("Mnu_Ouvrir", QStringLiteral("&Ouvrir"), QKeySequence(Qt::CTRL | Qt::Key_O),
         &FrmUtil::openProfile);
    fileMenu->addSeparator();
    item("Mnu_EnregisterSous", QStringLiteral("&Enregistrer Sous"),
         QKeySequence(Qt::CTRL | Qt::Key_E), &FrmUtil::saveProfileAs);
    fileMenu->addSeparator();
    item("Mnu_police", QStringLiteral("&Police..."), QKeySequence(Qt::CTRL | Qt::Key_P),
         &FrmUtil::chooseFont);
    item("Mnu_Couleur", QStringLiteral("&Couleur..."), QKeySequence(Qt::CTRL | Qt::Key_C),
         &FrmUtil::chooseColour);
    fileMenu->addSeparator();
    // Closing keeps the profile in memory.
    item("Mnu_Quitter", QStringLiteral("&Quitter"), QKeySequence(Qt::CTRL | Qt::Key_Q),
         &FrmUtil::accept);
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
    showProfile();
}

void FrmUtil::showProfile()
{
    SenderProfile& p = m_state.sender;
    for (int line = 1; line <= kSenderLineCount; ++line)
        showWholeText(lineBox(line), senderLine(p, line), kLineLength);
    showMeasures();
    applySenderFont(*m_preview, p);
    // Only 1 ticks the box. A box that changes runs its click behaviour, which makes the
    // profile's value 1 or 0; a box that stays as it was leaves the value as loaded.
    const bool tick = p.HeaderExp == 1;
    if (m_headerCheck->isChecked() != tick) {
        m_headerCheck->setChecked(tick);
        headerClicked(tick);
    }
    showSenderText();
}

void FrmUtil::showMeasures()
{
    // Whole values, though longer than what can be typed in the boxes.
    for (int i = 0; i < kSenderMeasureCount; ++i)
        showWholeText(m_measureBoxes[size_t(i)], singleText(m_state.sender.*kMeasures[i].field),
                      kMeasureLength);
}

void FrmUtil::showSenderText()
{
    AffichExpediteur(m_state.sender);
    m_preview->setText(previewText(m_state.sender.TexteExp));
}

// ------------------------------------------------------------------------------ edits

void FrmUtil::lineEdited(int line)
{
    senderLine(m_state.sender, line) = lineBox(line)->text();
    showSenderText();
}

void FrmUtil::measureEdited(SenderMeasure measure)
{
    m_state.sender.*kMeasures[int(measure)].field =
        double(float(leadingNumber(measureBox(measure)->text())));
}

void FrmUtil::headerClicked(bool checked)
{
    m_state.sender.HeaderExp = checked ? 1 : 0;
    showSenderText();
}

// ------------------------------------------------------------------------------ commands

void FrmUtil::chooseFont()
{
    const QFont current = m_preview->font();
    const auto chosen = m_services.dialogs->chooseFont(fontSpecOf(current));
    if (chosen) {
        // Underline and strikethrough are not the sender label's.
        FontSpec taken = *chosen;
        taken.underline = current.underline();
        taken.strikethru = current.strikeOut();
        const QFont f = fontWithSpec(current, taken);
        m_preview->setFont(f);
        SenderProfile& p = m_state.sender;
        p.FontName = f.family();
        p.FontSize = double(float(f.pointSizeF()));
        p.FontBold = f.bold();
        p.FontItalic = f.italic();
    }
    showSenderText();
}

void FrmUtil::chooseColour()
{
    const quint32 current = colorRef(m_preview->palette().color(QPalette::WindowText));
    const auto chosen = m_services.dialogs->chooseColor(current);
    if (!chosen)
        return;
    m_state.sender.TextColor = double(*chosen & 0xFFFFFFu);
    applySenderFont(*m_preview, m_state.sender);
}

void FrmUtil::printTestLabel()
{
    const int answer = m_services.dialogs->msgBox(
        QStringLiteral("Confirmer l'impression de l'étiquette expéditeur?"), vbYesNo + vbQuestion,
        QStringLiteral("Impression de l'étiquette expéditeur sur enveloppe"));
    if (answer == vbYes)
        printSenderLabel(m_state, m_services);
}

void FrmUtil::newProfile()
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
    for (int line = 1; line <= kSenderLineCount; ++line) {
        senderLine(p, line).clear();
        lineBox(line)->clear();
    }
    showMeasures();
    showSenderText();
    lineBox(1)->setFocus();
}

std::optional<QString> FrmUtil::askProfilePath(bool save, const QString& title, int flags)
{
    if (!m_state.CheminAppli.isEmpty())
        QDir::setCurrent(m_state.CheminAppli);
    CommonDialog& dlg = *m_profileFileDialog;
    dlg.CancelError = true;
    dlg.DialogTitle = title;
    dlg.Filter = kUtiFilter;
    dlg.FilterIndex = 1;
    dlg.Flags = flags;
    dlg.InitDir = m_state.CheminAppli;
    if (!(save ? dlg.ShowSave() : dlg.ShowOpen())) {
        dlg.CancelError = false;
        return std::nullopt;
    }
    return dlg.FileName;
}

void FrmUtil::openProfile()
{
    m_profileFileDialog->FileName = m_state.FicUtil;
    const std::optional<QString> path =
        askProfilePath(false, QStringLiteral("Ouvrir un fichier utilisateur"), cdlOFNCreatePrompt);
    if (!path || path->isEmpty())
        return;
    // A file that fails to load leaves the window as it was; the caption still names it.
    if (ChargeFileUtil(m_state.sender, *m_services.dialogs, *path))
        showProfile();
    m_state.FicUtilCharge = *path;
    updateCaption();
}

void FrmUtil::saveProfileAs()
{
    if (m_profileFileDialog->FileName.isEmpty())
        m_profileFileDialog->FileName = m_state.FicUtil;
    const std::optional<QString> path =
        askProfilePath(true, QStringLiteral("Enregistrer Sous"), cdlOFNOverwritePrompt);
    // The file goes where the user chose it, the folder the dialog asked about included.
    if (!path || path->isEmpty())
        return;
    if (SaveFileUtil(*path))
        m_state.FicUtil = *path;
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
