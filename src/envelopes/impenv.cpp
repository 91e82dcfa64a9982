#include "envelopes/impenv.h"

#include "core/appstate.h"
#include "core/numbertext.h"
#include "core/recordform.h"
#include "core/services.h"
#include "envelopes/envelopescene.h"
#include "envelopes/envelopeview.h"
#include "envelopes/frmutil.h"
#include "envelopes/printedtextlabel.h"
#include "envelopes/senderpreview.h"
#include "envelopes/senderprofile.h"
#include "labels/printfontpreview.h"
#include "labels/printparamsfile.h"
#include "labels/titremenu.h"
#include "platform/colorref.h"
#include "platform/dialogs.h"
#include "printer/previewsurface.h"
#include "printer/printpreview.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
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
#include <QSpinBox>
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
// The size of a custom envelope, mm.
constexpr int kEnvelopeMin = 50;
constexpr int kEnvelopeMax = 400;

// The print options in the window's order, and the previews each shows.
struct ContentOption {
    EnvelopeContent content;
    const char* name;
    const char* caption;
    bool sender;
    bool address;
};
const ContentOption kContents[3] = {
    {EnvelopeContent::AddressOnly, "Option7", "Adresse seule", false, true},
    {EnvelopeContent::SenderOnly, "Option6", "Etiquette expéditeur seule", true, false},
    {EnvelopeContent::AddressAndSender, "Option5", "Adresse et étiquette expéditeur", true, true},
};

// The record buttons in the window's order.
const std::array<MoveButton, 4> kMoveButtons = {{
    {ListMove::Previous, "Command3", "<<   Fiche précédente", nullptr},
    {ListMove::First, "Command5", "P&remière fiche", nullptr},
    {ListMove::Last, "Command6", "&Dernière fiche", nullptr},
    {ListMove::Next, "Command4", "Fiche suivante   >>", nullptr},
}};

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

ImpEnv::ImpEnv(AppState& state, Services& services, RecordForm& form, QWidget* parent)
    : AddressPrintWindow(state, services, form, QStringLiteral("ImpEnv"),
                         QStringLiteral("Impression des enveloppes"), parent)
{
    buildWindow();
    Form_Load();
}

// ------------------------------------------------------------------------------ building

void ImpEnv::buildWindow()
{
    auto* body = new QHBoxLayout;
    topLayout()->addLayout(body, 1);
    auto* side = new QVBoxLayout;
    body->addLayout(side);
    buildFormats(side);
    buildPosition(side);
    buildContents(side);
    side->addStretch(1);

    auto* drawingColumn = new QVBoxLayout;
    body->addLayout(drawingColumn, 1);
    buildDrawing(drawingColumn);

    auto* orientationFrame = makeFrame("Frame2");
    auto* orientation = new QHBoxLayout(orientationFrame);
    orientation->addWidget(
        makeLabel(orientationFrame, "Label11", QStringLiteral("Orientation Imprimante :")));
    m_orientationLabel = makeLabel(orientationFrame, "Label10", QStringLiteral("En cours :"));
    setBackground(m_orientationLabel, kLightCyan);
    m_orientationLabel->setMargin(2);
    orientation->addWidget(m_orientationLabel, 1);
    drawingColumn->addWidget(orientationFrame);

    buildButtons(orientation);
    buildMenus();
}

void ImpEnv::buildFormats(QBoxLayout* column)
{
    auto* formatFrame = makeFrame("Frame1", QStringLiteral("Format enveloppe en mm "));
    auto* formats = new QVBoxLayout(formatFrame);
    for (int i = 0; i < int(m_formatOptions.size()); ++i) {
        const auto format = EnvelopeFormatId(i);
        auto* option = new QRadioButton(envelopeFormat(format).option, formatFrame);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        formats->addWidget(option);
        m_formatOptions[size_t(i)] = option;
    }
    formatOption(EnvelopeFormatId::F160x115)->setChecked(true);
    for (int i = 0; i < int(m_formatOptions.size()); ++i) {
        // An option runs its command when it becomes the chosen one, by mouse or keyboard.
        connect(m_formatOptions[size_t(i)], &QRadioButton::toggled, this,
                [this, format = EnvelopeFormatId(i)](bool on) {
                    if (on)
                        chooseFormat(format);
                });
    }
    m_formatName = makeLabel(formatFrame, "Label1", QStringLiteral("Enveloppe 160 x 115 mm"));
    // Room for the longest format name, so the window keeps its size when the format changes.
    m_formatName->setMinimumWidth(m_formatName->fontMetrics().horizontalAdvance(
        envelopeFormat(EnvelopeFormatId::Custom).caption));
    formats->addWidget(m_formatName);
    // The paper sent with the job: A4, or the envelope itself for a printer that feeds them.
    m_ownPaperCheck =
        new QCheckBox(QStringLiteral("Papier au &format de l'enveloppe"), formatFrame);
    m_ownPaperCheck->setObjectName(QStringLiteral("chkPapierEnveloppe"));
    m_ownPaperCheck->setToolTip(
        QStringLiteral("Envoie le format de l'enveloppe avec l'impression, pour une imprimante qui "
                       "prend les enveloppes ; sinon l'impression se fait sur une feuille A4"));
    formats->addWidget(m_ownPaperCheck);
    connect(m_ownPaperCheck, &QCheckBox::toggled, this,
            [this](bool on) { state.envelope.OwnSize = on; });
    column->addWidget(formatFrame);
}

void ImpEnv::buildPosition(QBoxLayout* column)
{
    auto* positionFrame = makeFrame("Frame3", QStringLiteral("Marges d'impression en mm "));
    auto* position = new QGridLayout(positionFrame);
    m_leftValue = makeLabel(positionFrame, "Label5", QString());
    m_topValue = makeLabel(positionFrame, "Label6", QString());
    const int valueWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8;
    for (QLabel* value : {m_leftValue, m_topValue}) {
        setBackground(value, kLightGreen);
        value->setAlignment(Qt::AlignCenter);
        value->setMinimumWidth(valueWidth);
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
    }
    m_leftValue->setAccessibleName(QStringLiteral("Marge gauche en mm"));
    m_topValue->setAccessibleName(QStringLiteral("Marge haute en mm"));
    position->addWidget(makeLabel(positionFrame, "Label3", QStringLiteral("Gauche :")), 0, 0);
    position->addWidget(m_leftValue, 0, 1);
    position->addWidget(makeLabel(positionFrame, "Label4", QStringLiteral("Haute :")), 1, 0);
    position->addWidget(m_topValue, 1, 1);
    position->setColumnStretch(2, 1);
    column->addWidget(positionFrame);

    m_customFrame = makeFrame("Frame4", QStringLiteral("Marges en mm "));
    auto* scrolls = new QHBoxLayout(m_customFrame);
    m_leftScrollBar = new QScrollBar(Qt::Horizontal, m_customFrame);
    m_leftScrollBar->setObjectName(QStringLiteral("HScroll1"));
    m_leftScrollBar->setAccessibleName(QStringLiteral("Marge gauche en mm"));
    m_topScrollBar = new QScrollBar(Qt::Vertical, m_customFrame);
    m_topScrollBar->setObjectName(QStringLiteral("VScroll1"));
    m_topScrollBar->setAccessibleName(QStringLiteral("Marge haute en mm"));
    for (QScrollBar* bar : {m_leftScrollBar, m_topScrollBar}) {
        bar->setRange(kPositionMin, kPositionMax);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        // The arrows of the keyboard move the bars too.
        bar->setFocusPolicy(Qt::StrongFocus);
    }
    m_leftScrollBar->setValue(40);
    m_topScrollBar->setValue(20);
    m_leftScrollBar->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 10);
    // A small bar: little more than its two arrows.
    m_topScrollBar->setFixedHeight(fontMetrics().height() * 3);
    scrolls->addWidget(m_leftScrollBar, 1);
    scrolls->addWidget(m_topScrollBar);
    // The size of a custom envelope, for its drawing and for its own paper.
    auto* size = new QFormLayout;
    m_customWidth = new QSpinBox(m_customFrame);
    m_customWidth->setObjectName(QStringLiteral("spnLargeurEnv"));
    m_customHeight = new QSpinBox(m_customFrame);
    m_customHeight->setObjectName(QStringLiteral("spnHauteurEnv"));
    for (QSpinBox* box : {m_customWidth, m_customHeight}) {
        box->setRange(kEnvelopeMin, kEnvelopeMax);
        box->setSuffix(QStringLiteral(" mm"));
    }
    auto* widthCaption = makeLabel(m_customFrame, "lblLargeurEnv", QStringLiteral("Largeur :"));
    widthCaption->setBuddy(m_customWidth);
    auto* heightCaption = makeLabel(m_customFrame, "lblHauteurEnv", QStringLiteral("Hauteur :"));
    heightCaption->setBuddy(m_customHeight);
    size->addRow(widthCaption, m_customWidth);
    size->addRow(heightCaption, m_customHeight);
    scrolls->addLayout(size);
    connect(m_customWidth, &QSpinBox::valueChanged, this, &ImpEnv::customSizeEdited);
    connect(m_customHeight, &QSpinBox::valueChanged, this, &ImpEnv::customSizeEdited);
    // Each bar sets its own coordinate of the address corner.
    connect(m_leftScrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        state.label.PosX = value;
        showPosition();
    });
    connect(m_topScrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        state.label.PosY = value;
        showPosition();
    });
    column->addWidget(m_customFrame);
}

void ImpEnv::buildContents(QBoxLayout* column)
{
    auto* contentFrame = makeFrame("Frame5", QStringLiteral("Options d'impression "));
    auto* contents = new QVBoxLayout(contentFrame);
    for (const ContentOption& c : kContents) {
        auto* option = new QRadioButton(QString::fromUtf8(c.caption), contentFrame);
        option->setObjectName(QLatin1String(c.name));
        contents->addWidget(option);
        m_contentOptions[size_t(c.content)] = option;
    }
    contentOption(EnvelopeContent::AddressOnly)->setChecked(true);
    for (const ContentOption& c : kContents) {
        connect(contentOption(c.content), &QRadioButton::toggled, this,
                [this, content = c.content](bool on) {
                    if (on)
                        chooseContent(content);
                });
    }
    column->addWidget(contentFrame);
}

void ImpEnv::buildDrawing(QBoxLayout* column)
{
    m_drawing = new EnvelopeView(this);
    m_drawing->setObjectName(QStringLiteral("Enveloppe"));
    m_drawing->setAccessibleName(QStringLiteral("Dessin de l'enveloppe"));
    auto* leftMark = makeLabel(m_drawing, "Label7", QStringLiteral(" Marge gauche "));
    auto* topMark = makeLabel(m_drawing, "Label8", QStringLiteral("Marge haute"));
    for (QLabel* mark : {leftMark, topMark})
        setBackground(mark, Qt::white);
    m_senderPreview = new PrintedTextLabel(m_drawing);
    m_senderPreview->setObjectName(QStringLiteral("Label9"));
    m_senderPreview->setAccessibleName(QStringLiteral("Aperçu de l'étiquette expéditeur"));
    auto* addressPreview = new PrintedTextLabel(m_drawing);
    addressPreview->setObjectName(QStringLiteral("Label15"));
    addressPreview->setAccessibleName(QStringLiteral("Aperçu de l'adresse"));
    m_addressPreview = addressPreview;
    m_drawing->setMarginMarks(leftMark, topMark);
    m_drawing->setSenderPreview(m_senderPreview);
    m_drawing->setAddressPreview(addressPreview);
    column->addWidget(m_drawing, 1);
    m_overflowWarning = makeOverflowWarning(this, QStringLiteral("l'enveloppe"));
    column->addWidget(m_overflowWarning);

    m_landscapeNotice = makeLabel(
        this, "Label2", QStringLiteral("L'imprimante doit être configurée en mode paysage"));
    setBackground(m_landscapeNotice, kLightGreen);
    m_landscapeNotice->setAlignment(Qt::AlignCenter);
    m_landscapeNotice->setMargin(2);
    column->addWidget(m_landscapeNotice);
}

void ImpEnv::buildButtons(QBoxLayout* orientation)
{
    makeOrientationButtons(orientation->parentWidget(), "Command8", QStringLiteral("Mode Portrait"),
                           "Command9", QStringLiteral("Mode Paysage"));
    orientation->addWidget(m_portraitButton);
    orientation->addWidget(m_landscapeButton);

    QVBoxLayout* top = topLayout();
    top->addLayout(makeMoveButtons(kMoveButtons));

    // Print, help, close.
    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    m_printButton = makeButton(this, "Command1", QStringLiteral("&Imprimer"));
    m_printButton->setIcon(QIcon::fromTheme(QStringLiteral("document-print"),
                                            style()->standardIcon(QStyle::SP_DialogSaveButton)));
    m_previewButton = makePreviewButton(this);
    m_previewButton->setIcon(
        QIcon::fromTheme(QStringLiteral("document-print-preview"),
                         style()->standardIcon(QStyle::SP_FileDialogContentsView)));
    m_marginHelpButton = makeButton(this, "Command7", QStringLiteral("&Aide"));
    m_marginHelpButton->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    m_closeButton = makeButton(this, "Command2", QStringLiteral("&Quitter"));
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    for (QPushButton* button : {m_printButton, m_previewButton, m_marginHelpButton, m_closeButton})
        actions->addWidget(button);
    top->addLayout(actions);
    connect(m_printButton, &QPushButton::clicked, this, &ImpEnv::printEnvelope);
    connect(m_previewButton, &QPushButton::clicked, this, &ImpEnv::previewEnvelope);
    connect(m_marginHelpButton, &QPushButton::clicked, this, &ImpEnv::showMarginHelp);
    connect(m_closeButton, &QPushButton::clicked, this, &ImpEnv::reject);
}

void ImpEnv::buildMenus()
{
    QMenu* envelope = addTopMenu("Mnu_Enveloppe", QStringLiteral("&Enveloppe"));
    // Opening the menu leaves the status label as it is.
    connect(envelope, &QMenu::aboutToShow, this, [this] { showPrinterOrientation(false); });
    addItem(envelope, "Mnu_Police", QStringLiteral("&Police adresse..."),
            &ImpEnv::chooseAddressFont, QKeySequence(Qt::CTRL | Qt::Key_P));
    addItem(envelope, "Mnu_Couleur", QStringLiteral("Cou&leur du texte..."), &ImpEnv::chooseColour,
            QKeySequence(Qt::CTRL | Qt::Key_C));
    envelope->addSeparator();
    addItem(envelope, "Mnu_ImprimEnv", QStringLiteral("&Imprimer"), &ImpEnv::printEnvelope,
            QKeySequence(Qt::CTRL | Qt::Key_I));
    addItem(envelope, "Mnu_ApercuEnv", QStringLiteral("Aperçu a&vant impression"),
            &ImpEnv::previewEnvelope);
    addOrientationItems(envelope);
    addItem(envelope, "Mnu_ConfImp", QStringLiteral("&Configurer l'imprimante"),
            &ImpEnv::setUpPrinter);
    envelope->addSeparator();
    addItem(envelope, "Mnu_Utilisateur", QStringLiteral("&Définition de l'utilisateur"),
            &ImpEnv::editSender, QKeySequence(Qt::CTRL | Qt::Key_U));
    envelope->addSeparator();
    addItem(envelope, "Mnu_Fermer", QStringLiteral("&Quitter"), &ImpEnv::reject,
            QKeySequence(Qt::CTRL | Qt::Key_Q));

    m_titleMenu = new TitreMenu(m_menuBar, QStringLiteral("&Titre/Format"), state.address, form,
                                [this](const QString& block) { showBlock(block); });
    // This window has always spelt the company-first item this way.
    m_titleMenu->action(TitreCommand::SocieteNom)->setText(QStringLiteral("Sociéte + Nom"));

    QMenu* parameters = addTopMenu("Mnu_Param", QStringLiteral("&Paramètres"));
    addItem(parameters, "Mnu_ChargeParam", QStringLiteral("&Charger des paramètres"),
            &ImpEnv::loadParameters);
    addItem(parameters, "Mnu_SauvePAram", QStringLiteral("&Sauver les paramètres"),
            &ImpEnv::saveParameters);
}

// ------------------------------------------------------------------------------ load, activation

void ImpEnv::Form_Load()
{
    m_portraitButton->setToolTip(QStringLiteral("Configurer l'imprimane en mode Portrait"));
    m_landscapeButton->setToolTip(QStringLiteral("Configurer l'imprimane en mode Paysage"));

    state.label.PosX = 70;
    state.label.PosY = 50;
    state.envelope.Width = 160;
    state.envelope.Height = 115;
    m_ownPaperCheck->setChecked(state.envelope.OwnSize);
    m_customFrame->setVisible(false);
    m_landscapeNotice->setVisible(false);
    m_senderPreview->setVisible(false);
    m_addressPreview->setVisible(true);
    showPosition();

    // The preview holds the print font from the start, so a save before any activation writes
    // the font in use.
    applyPrintFont(*m_addressPreview, state.print);
    showPrinterOrientation(true);
}

void ImpEnv::Form_Activate()
{
    applyPrintFont(*m_addressPreview, state.print);
    applySenderFont(*m_senderPreview, state.sender);
    AffichTitre();
    showSender();
}

void ImpEnv::AffichTitre()
{
    const AddressOptions& o = state.address;
    m_titleMenu->refreshChecks();
    m_titleMenu->run(titreCommandForType(o.TypeTitre));
    m_titleMenu->run(o.OrdreNom == 1 ? TitreCommand::PrenomNom : TitreCommand::NomPrenom);
    m_titleMenu->run(o.OrdreSociete == 1 ? TitreCommand::SocieteNom : TitreCommand::NomSociete);
}

void ImpEnv::showBlock(const QString& block)
{
    m_addressPreview->setText(previewText(block));
    refreshDrawing();
}

void ImpEnv::showSender()
{
    AffichExpediteur(state.sender);
    m_senderPreview->setText(previewText(state.sender.TexteExp));
    refreshDrawing();
}

QLabel* ImpEnv::senderPreview() const
{
    return m_senderPreview;
}

void ImpEnv::refreshDrawing()
{
    const SenderProfile& s = state.sender;
    EnvelopeScene scene;
    scene.envelope = QSizeF(state.envelope.Width, state.envelope.Height);
    scene.address = QPointF(state.label.PosX, state.label.PosY);
    scene.addressShown = !m_addressPreview->isHidden();
    scene.senderFrame = QRectF(s.MarginLeft, s.MarginTop, s.FrameWidth, s.FrameHeight);
    scene.senderShown = !m_senderPreview->isHidden();

    // The sender label and the address, each drawn by the print's own code on a copy of the
    // state (the print splits the texts in place).
    AppState drawn = state;
    const auto draw = [this](PreviewDocument::DrawPart part) {
        auto document = std::make_unique<PreviewDocument>(services, std::move(part),
                                                          PreviewDocument::Kind::DrawingToScale);
        document->drawAll();
        return document;
    };
    const auto sender = draw([&drawn](Services& drawing) {
        ImprimExpediteur(drawn, drawing);
        drawing.printer->endDoc();
        return true;
    });
    const auto address = draw([&drawn](Services& drawing) {
        drawing.printer->setScaleMode(PrinterSurface::Millimetres);
        ImprimEnveloppe(drawn, drawing, EnvelopeContent::AddressOnly);
        return true;
    });
    const PrintedPage senderPage = sender->pageCount() > 0 ? sender->page(0) : PrintedPage();
    const PrintedPage addressPage = address->pageCount() > 0 ? address->page(0) : PrintedPage();
    scene.senderBox = printedExtent(sender->surface(), senderPage, PrintedItems::Texts);
    scene.addressBox = printedExtent(address->surface(), addressPage, PrintedItems::Texts);
    m_drawing->setScene(scene);
    m_drawing->setPrinted(senderPage, addressPage, address->surface().resolution());

    const QRectF envelope(QPointF(0, 0), scene.envelope);
    m_overflowWarning->setVisible(
        (scene.senderShown && textRunsOutside(sender->surface(), senderPage, envelope)) ||
        (scene.addressShown && textRunsOutside(address->surface(), addressPage, envelope)));
}

// ------------------------------------------------------------------------------ options

void ImpEnv::chooseFormat(EnvelopeFormatId id)
{
    const EnvelopeFormat format = envelopeFormat(id);
    m_formatName->setText(format.caption);
    m_landscapeNotice->setVisible(format.landscapeNotice);
    m_customFrame->setVisible(format.customPosition);
    if (format.customPosition) {
        // The bars start where the address already is; each then sets its own coordinate.
        m_leftScrollBar->setValue(int(std::lround(state.label.PosX)));
        m_topScrollBar->setValue(int(std::lround(state.label.PosY)));
        // The custom envelope starts with the size of the one chosen before.
        const double width = state.envelope.Width;
        const double height = state.envelope.Height;
        m_customWidth->setValue(int(std::lround(width)));
        m_customHeight->setValue(int(std::lround(height)));
        state.envelope.Width = m_customWidth->value();
        state.envelope.Height = m_customHeight->value();
    } else {
        state.label.PosX = format.PosX;
        state.label.PosY = format.PosY;
        state.envelope.Width = format.width;
        state.envelope.Height = format.height;
    }
    showPosition();
}

void ImpEnv::customSizeEdited()
{
    if (m_customFrame->isHidden())
        return;
    state.envelope.Width = m_customWidth->value();
    state.envelope.Height = m_customHeight->value();
    refreshDrawing();
}

void ImpEnv::showPosition()
{
    m_leftValue->setText(doubleText(state.label.PosX));
    m_topValue->setText(doubleText(state.label.PosY));
    refreshDrawing();
}

void ImpEnv::chooseContent(EnvelopeContent content)
{
    for (const ContentOption& c : kContents) {
        if (c.content == content) {
            m_senderPreview->setVisible(c.sender);
            m_addressPreview->setVisible(c.address);
        }
    }
    refreshDrawing();
}

EnvelopeContent ImpEnv::content() const
{
    for (const ContentOption& c : kContents) {
        if (contentOption(c.content)->isChecked())
            return c.content;
    }
    return EnvelopeContent::AddressOnly;
}

// ------------------------------------------------------------------------------ commands

void ImpEnv::printEnvelope()
{
    if (services.dialogs && services.printer)
        printEnvelopeCommand(state, services, content());
}

void ImpEnv::previewEnvelope()
{
    if (!services.dialogs || !services.printer)
        return;
    const EnvelopeContent what = content();
    // The preview draws with the print's own code on a copy of the state, so nothing moves.
    AppState drawn = state;
    PreviewDocument document(services, [&drawn, what](Services& preview) {
        ::printEnvelope(drawn, preview, what);
        return true;
    });
    if (runPrintPreview(document, this))
        ::printEnvelope(state, services, what);
}

void ImpEnv::moveRecord(ListMove move)
{
    if (moveInNameList(form, state.search.IndexTrouve, move))
        AffichTitre();
}

void ImpEnv::showMarginHelp()
{
    if (services.dialogs)
        showMarginAdvice(*services.dialogs);
}

void ImpEnv::chooseAddressFont()
{
    chooseFont();
}

void ImpEnv::printFontChanged()
{
    refreshDrawing();
}

void ImpEnv::editSender()
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

void ImpEnv::loadParameters()
{
    if (loadParameterFile()) {
        applyPrintFont(*m_addressPreview, state.print);
        refreshDrawing();
    }
}

void ImpEnv::saveParameters()
{
    if (const std::optional<QString> path = askParameterFileToSave())
        SaveFileConfig(*path);
}

void ImpEnv::SaveFileConfig(const QString& path)
{
    writeParamsWithPreviewFont(state.print, *m_addressPreview, path, services.dialogs);
}
