#include "labels/impetiq.h"

#include "core/appstate.h"
#include "core/numbertext.h"
#include "core/recordform.h"
#include "core/services.h"
#include "labels/addressblock.h"
#include "labels/labelpreview.h"
#include "labels/labelsheet.h"
#include "labels/minisheet.h"
#include "labels/printfontpreview.h"
#include "labels/printparamsfile.h"
#include "labels/titremenu.h"
#include "labels/typingfilter.h"
#include "platform/dialogs.h"
#include "printer/previewsurface.h"
#include "printer/printeroffsets.h"
#include "printer/printersurface.h"
#include "printer/printpreview.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace
{

const QColor kSelected(192, 255, 255);

const QString kPrintOne = QStringLiteral("&Imprimer l'étiquette N° ");

QString printOneCaption(int position)
{
    return kPrintOne + QLatin1Char(' ') + QString::number(position);
}

QString printIdenticalCaption(int count)
{
    return QStringLiteral("&Imprimer ") + QString::number(count) + QStringLiteral(" étiquettes");
}

// What each geometry box edits, with its tooltip, in the order of GeometryField (Text1..Text6).
struct GeometryBox {
    double PrintParams::*field;
    const char* tip;
};
const GeometryBox kGeometry[kGeometryFieldCount] = {
    {&PrintParams::MargeGauche, "Marge gauche"},
    {&PrintParams::SepHorizontal, "Séparateur horizontal"},
    {&PrintParams::MargeHaute, "Marge haute"},
    {&PrintParams::SepVertical, "Séparateur vertical"},
    {&PrintParams::LargeurEtiq, "Largeur de l'étiquette"},
    {&PrintParams::HauteurEtiq, "Hauteur de l'étiquette"},
};
// The order in which the window shows the geometry.
const GeometryField kShownOrder[kGeometryFieldCount] = {
    GeometryField::LeftMargin,    GeometryField::TopMargin, GeometryField::VerticalGap,
    GeometryField::HorizontalGap, GeometryField::Width,     GeometryField::Height,
};

// The record buttons in the window's order; those showing only an arrow are named by their
// tooltip.
const std::array<MoveButton, 4> kMoveButtons = {{
    {ListMove::Previous, "Command3", "<<", "Fiche précédente"},
    {ListMove::First, "Command4", "P&remière fiche", nullptr},
    {ListMove::Last, "Command5", "&Dernière fiche", nullptr},
    {ListMove::Next, "Command6", ">>", "Fiche suivante"},
}};

template <typename Button>
Button* addButton(QGroupBox* frame, const char* name, const QString& caption)
{
    auto* button = new Button(caption, frame);
    button->setObjectName(QLatin1String(name));
    frame->layout()->addWidget(button);
    return button;
}

} // namespace

ImpEtiq::ImpEtiq(AppState& state, Services& services, RecordForm& form, QWidget* parent)
    : AddressPrintWindow(state, services, form, QStringLiteral("ImpEtiq"),
                         QStringLiteral("Paramétrage de l'impression pour l'étiquette adresse"),
                         parent)
{
    buildWindow();
    Form_Load();
}

SheetPosition* ImpEtiq::position(int n) const
{
    return m_sheet->position(n);
}

// ------------------------------------------------------------------------------ building

void ImpEtiq::buildWindow()
{
    auto* body = new QHBoxLayout;
    topLayout()->addLayout(body);
    buildSheet(body);

    auto* side = new QVBoxLayout;
    body->addLayout(side);

    // The print mode and the frame options, each a column of buttons.
    QGroupBox* modeFrame = makeFrame("Frame2", QStringLiteral("Option d'impression "));
    new QVBoxLayout(modeFrame);
    m_identicalOption =
        addButton<QRadioButton>(modeFrame, "Option1", QStringLiteral("8 Etiquettes identiques"));
    m_selectedOption =
        addButton<QRadioButton>(modeFrame, "Option2", QStringLiteral("Etiquette sélectionnée"));
    connect(m_identicalOption, &QRadioButton::clicked, this, &ImpEtiq::chooseIdenticalLabels);
    connect(m_selectedOption, &QRadioButton::clicked, this, &ImpEtiq::chooseSelectedLabel);
    side->addWidget(modeFrame);

    buildCount(side);

    QGroupBox* frameOptions = makeFrame("Frame3", QStringLiteral("Option étiquette "));
    new QVBoxLayout(frameOptions);
    m_frameCheck = addButton<QCheckBox>(frameOptions, "Check1", QStringLiteral("Imprimer cadre"));
    m_cutOutlineCheck =
        addButton<QCheckBox>(frameOptions, "Check2", QStringLiteral("Imprimer découpe"));
    side->addWidget(frameOptions);
    for (QCheckBox* check : {m_frameCheck, m_cutOutlineCheck})
        connect(check, &QCheckBox::toggled, this, [this] {
            if (m_labelPreview)
                refreshLabelPreview();
        });

    m_clickHint =
        new QLabel(QStringLiteral("Cliquez sur l'étiquette que vous désirez imprimer  >"), this);
    m_clickHint->setObjectName(QStringLiteral("Label11"));
    QFont arial = m_clickHint->font();
    arial.setFamily(QStringLiteral("Arial"));
    m_clickHint->setFont(arial);
    m_clickHint->setWordWrap(true);
    side->addWidget(m_clickHint);

    // The address on one label, to scale, as the print puts it there.
    m_labelPreview = new LabelPreview(this);
    m_addressPreview = m_labelPreview;
    m_addressPreview->setObjectName(QStringLiteral("Label15"));
    m_addressPreview->setTextFormat(Qt::PlainText);
    m_addressPreview->setFrameShape(QFrame::Panel);
    m_addressPreview->setFrameShadow(QFrame::Sunken);
    m_addressPreview->setMargin(2);
    m_addressPreview->setAccessibleName(QStringLiteral("Adresse"));
    side->addWidget(m_addressPreview, 1);
    m_overflowWarning = makeOverflowWarning(this, QStringLiteral("l'étiquette"));
    side->addWidget(m_overflowWarning);
    m_fitWarning = makeWarning(this, "HorsPage", QString());
    side->addWidget(m_fitWarning);
    m_paperNotice = new QLabel(this);
    m_paperNotice->setObjectName(QStringLiteral("PapierA4"));
    m_paperNotice->setWordWrap(true);
    m_paperNotice->setVisible(false);
    side->addWidget(m_paperNotice);

    buildButtons(side);
    buildMenus();
}

void ImpEtiq::buildSheet(QBoxLayout* body)
{
    auto* sheetFrame = makeFrame("Frame1", QStringLiteral("Feuille A4 "));
    auto* sheetLayout = new QHBoxLayout(sheetFrame);
    m_sheet = new MiniSheet(sheetFrame);
    m_sheet->setObjectName(QStringLiteral("Sheet"));
    sheetLayout->addWidget(m_sheet, 1);
    connect(m_sheet, &MiniSheet::positionClicked, this, &ImpEtiq::selectPosition);

    auto* geometry = new QVBoxLayout;
    sheetLayout->addLayout(geometry);
    auto* caption = new QLabel(QStringLiteral("Marges et séparateurs en mm"), sheetFrame);
    caption->setObjectName(QStringLiteral("Label12"));
    caption->setWordWrap(true);
    geometry->addWidget(caption);
    auto* boxes = new QFormLayout;
    geometry->addLayout(boxes);
    geometry->addStretch(1);
    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")) + 12;
    for (int i = 0; i < kGeometryFieldCount; ++i) {
        auto* box = new QLineEdit(sheetFrame);
        box->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        const QString tip = QString::fromUtf8(kGeometry[i].tip);
        box->setAccessibleName(tip);
        box->setMaximumWidth(boxWidth);
        allowTypingOnly(box, QStringLiteral("0123456789.-"));
        auto* boxCaption = new QLabel(tip + QStringLiteral(" :"), sheetFrame);
        boxCaption->setObjectName(QStringLiteral("lblText%1").arg(i + 1));
        boxCaption->setBuddy(box);
        boxes->addRow(boxCaption, box);
        m_geometryBoxes[size_t(i)] = box;
        connect(box, &QLineEdit::textChanged, this,
                [this, field = GeometryField(i)] { geometryEdited(field); });
    }
    body->addWidget(sheetFrame, 1);
}

void ImpEtiq::buildCount(QBoxLayout* side)
{
    m_countFrame = makeFrame("Frame4");
    auto* count = new QGridLayout(m_countFrame);
    auto* countCaption = new QLabel(QStringLiteral("Nombre d'étiquettes identiques"), m_countFrame);
    countCaption->setObjectName(QStringLiteral("Label13"));
    auto* maximum = new QLabel(QStringLiteral("( Maximum 10 )......:"), m_countFrame);
    maximum->setObjectName(QStringLiteral("Label14"));
    m_countBox = new QLineEdit(m_countFrame);
    m_countBox->setObjectName(QStringLiteral("Text7"));
    m_countBox->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    allowTypingOnly(m_countBox, QStringLiteral("0123456789"));
    countCaption->setBuddy(m_countBox);
    m_countScrollBar = new QScrollBar(Qt::Vertical, m_countFrame);
    m_countScrollBar->setObjectName(QStringLiteral("VScroll1"));
    m_countScrollBar->setRange(1, 10);
    m_countScrollBar->setSingleStep(1);
    m_countScrollBar->setPageStep(1);
    m_countScrollBar->setAccessibleName(QStringLiteral("Nombre d'étiquettes identiques"));
    m_countScrollBar->setMinimumHeight(fontMetrics().height() * 2);
    count->addWidget(countCaption, 0, 0, 1, 3);
    count->addWidget(maximum, 1, 0);
    count->addWidget(m_countBox, 1, 1);
    count->addWidget(m_countScrollBar, 1, 2);
    connect(m_countBox, &QLineEdit::textChanged, this, &ImpEtiq::countEdited);
    connect(m_countScrollBar, &QScrollBar::valueChanged, this, &ImpEtiq::countScrolled);
    side->addWidget(m_countFrame);
}

void ImpEtiq::buildButtons(QBoxLayout* side)
{
    side->addLayout(makeMoveButtons(kMoveButtons));

    auto* orientation = new QHBoxLayout;
    makeOrientationButtons(this, "Command7", QStringLiteral("Portrait"), "Command8",
                           QStringLiteral("Paysage"));
    m_portraitButton->setToolTip(QStringLiteral("Imprimante en mode Portrait"));
    m_landscapeButton->setToolTip(QStringLiteral("Imprimante en mode Paysage"));
    orientation->addWidget(m_portraitButton);
    orientation->addWidget(m_landscapeButton);
    m_orientationLabel = new QLabel(QStringLiteral("En cours :"), this);
    m_orientationLabel->setObjectName(QStringLiteral("Label16"));
    m_orientationLabel->setToolTip(QStringLiteral("Orientation de l'imprimante en cours"));
    orientation->addWidget(m_orientationLabel, 1);
    side->addLayout(orientation);

    auto* actions = new QHBoxLayout;
    m_printButton = makeButton(this, "Command1", kPrintOne);
    m_previewButton = makePreviewButton(this);
    m_closeButton = makeButton(this, "Command2", QStringLiteral("&Quitter"));
    actions->addWidget(m_printButton);
    actions->addWidget(m_previewButton);
    actions->addWidget(m_closeButton);
    side->addLayout(actions);

    connect(m_printButton, &QPushButton::clicked, this, &ImpEtiq::printLabels);
    connect(m_previewButton, &QPushButton::clicked, this, &ImpEtiq::previewLabels);
    connect(m_closeButton, &QPushButton::clicked, this, &ImpEtiq::reject);
}

void ImpEtiq::buildMenus()
{
    QMenu* labelMenu = addTopMenu("Mnu_Etiq", QStringLiteral("&Etiquette"));
    connect(labelMenu, &QMenu::aboutToShow, this, [this] { showPrinterOrientation(true); });
    addItem(labelMenu, "Mnu_Police", QStringLiteral("Police..."), &ImpEtiq::chooseFont);
    addItem(labelMenu, "Mnu_Couleur", QStringLiteral("Cou&leur du texte..."),
            &ImpEtiq::chooseColour);
    labelMenu->addSeparator()->setObjectName(QStringLiteral("sep1"));
    addItem(labelMenu, "Mnu_Apercu", QStringLiteral("Aperçu a&vant impression"),
            &ImpEtiq::previewLabels);
    addItem(labelMenu, "Mnu_ConfIMP", QStringLiteral("&Configurer l'imprimante"),
            &ImpEtiq::setUpPrinter);
    addOrientationItems(labelMenu);
    labelMenu->addSeparator()->setObjectName(QStringLiteral("sep2"));
    addItem(labelMenu, "Mnu_fermer", QStringLiteral("&Quitter"), &ImpEtiq::reject);

    m_titleMenu = new TitreMenu(m_menuBar, QStringLiteral("&Titre"), state.address, form,
                                [this](const QString& block) { showBlock(block); });

    QMenu* parameters = addTopMenu("Mnu_Param", QStringLiteral("&Paramètres"));
    addItem(parameters, "Mnu_ChargeParam", QStringLiteral("&Charger des paramètres"),
            &ImpEtiq::loadParameters);
    addItem(parameters, "Mnu_SauveParam", QStringLiteral("&Sauver les paramètres"),
            &ImpEtiq::saveParameters);
    addItem(parameters, "Mnu_ParamDefaut", QStringLiteral("&Paramètres à défaut"),
            &ImpEtiq::restoreDefaultParameters);
}

// ------------------------------------------------------------------------------ load, activation

void ImpEtiq::Form_Load()
{
    for (int n = 1; n <= kLabelPositions; ++n)
        position(n)->setToolTip(QStringLiteral("Cliquez pour sélectionner"));
    for (int i = 0; i < kGeometryFieldCount; ++i)
        m_geometryBoxes[size_t(i)]->setToolTip(QString::fromUtf8(kGeometry[i].tip));
    for (const MoveButton& b : kMoveButtons) {
        if (b.accessibleName)
            moveButton(b.move)->setToolTip(QString::fromUtf8(b.accessibleName));
    }

    state.label.NumEtiquette = 0;
    state.label.ModeImpression = 0;
    m_countBox->setText(QString::number(state.label.NbEtiquettes));
    m_countScrollBar->setValue(state.label.NbEtiquettes);
    showPrintMode();

    setWindowTitle(paramWindowTitle(QString()));
    showFrameOptions();
    showGeometry();
    readLabelPage();
    // The preview holds the print font from the start, so a save before any activation writes
    // the font in use.
    applyPrintFont(*m_addressPreview, state.print);
    showPrinterOrientation(true);
}

void ImpEtiq::Form_Activate()
{
    applyPrintFont(*m_addressPreview, state.print);
    AffichTitre();
    readLabelPage();
}

void ImpEtiq::printerChanged()
{
    readLabelPage();
}

void ImpEtiq::readLabelPage()
{
    m_labelPage = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    m_printerPaper = QPageSize(QPageSize::A4);
    if (services.printer) {
        m_labelPage = labelPageLayout(*services.printer);
        try {
            m_printerPaper = services.printer->pageLayoutFor(std::nullopt).pageSize();
        } catch (const std::exception&) {
            // No printer to ask: the sheet is drawn on A4, and printing says why it fails.
        }
    }
    m_offset = currentPrinterOffset(services);
    showSheet();
}

void ImpEtiq::showSheet()
{
    if (!m_fitWarning)
        return;
    const PrintParams& params = state.print;
    std::array<QRectF, kLabelPositions> labels;
    for (int n = 1; n <= kLabelPositions; ++n)
        labels[size_t(n - 1)] = labelOnPaper(params, n, m_labelPage, m_offset);
    m_sheet->setSheet(m_labelPage.fullRect(QPageLayout::Millimeter).size(),
                      m_labelPage.paintRect(QPageLayout::Millimeter), labels);

    // The labels the print button prints now.
    QList<int> chosen;
    const LabelPrintState& label = state.label;
    if (label.ModeImpression == 1) {
        for (int n = 1; n <= label.NbEtiquettes && n <= kLabelPositions; ++n)
            chosen << n;
    } else if (label.NumEtiquette >= 1 && label.NumEtiquette <= kLabelPositions) {
        chosen << label.NumEtiquette;
    }
    const int orientation = m_labelPage.orientation() == QPageLayout::Landscape
                                ? PrinterSurface::Landscape
                                : PrinterSurface::Portrait;
    const QString warning =
        labelFitWarning(labelsOffPage(params, chosen, m_labelPage, m_offset), orientation);
    m_fitWarning->setText(warning);
    m_fitWarning->setVisible(!warning.isEmpty());
    const QString notice = labelPaperNotice(m_printerPaper);
    m_paperNotice->setText(notice);
    m_paperNotice->setVisible(!notice.isEmpty());
}

void ImpEtiq::AffichTitre()
{
    m_titleMenu->affichTitre();
}

void ImpEtiq::showBlock(const QString& block)
{
    m_addressPreview->setText(previewText(block));
    refreshLabelPreview();
}

void ImpEtiq::printFontChanged()
{
    refreshLabelPreview();
}

void ImpEtiq::refreshLabelPreview()
{
    PrintParams params = state.print;
    params.ImprimerCadre = m_frameCheck->isChecked();
    params.ImprimerDecoupe = m_cutOutlineCheck->isChecked();
    AddressOptions address = state.address;
    // The label at the corner of the page, drawn by the print's own code.
    PreviewDocument label(
        services,
        [&](Services& drawing) {
            DecoupeAdresse(address);
            drawing.printer->setScaleMode(PrinterSurface::Millimetres);
            drawLabel(*drawing.printer, params, address, 0, 0);
            drawing.printer->endDoc();
            return true;
        },
        PreviewDocument::Kind::DrawingToScale);
    label.drawAll();
    const PrintedPage page = label.pageCount() > 0 ? label.page(0) : PrintedPage();
    const QSizeF size(params.LargeurEtiq, params.HauteurEtiq);
    m_labelPreview->showLabel(size, page, label.surface().resolution(),
                              printedExtent(label.surface(), page));
    m_overflowWarning->setVisible(
        textRunsOutside(label.surface(), page, QRectF(QPointF(0, 0), size)));
}

void ImpEtiq::done(int result)
{
    storeFrameOptions();
    AddressPrintWindow::done(result);
}

// ------------------------------------------------------------------------------ positions, modes

void ImpEtiq::showPrintMode()
{
    const LabelPrintState& label = state.label;
    const bool identical = label.ModeImpression == 1;
    (identical ? m_identicalOption : m_selectedOption)->setChecked(true);
    m_clickHint->setVisible(!identical);
    m_countFrame->setVisible(identical);
    // In identical-labels mode the positions cannot be clicked; their highlight stays.
    for (int n = 1; n <= kLabelPositions; ++n)
        position(n)->setEnabled(!identical);
    m_printButton->setText(identical ? printIdenticalCaption(label.NbEtiquettes)
                                     : printOneCaption(label.NumEtiquette));
    m_printButton->setEnabled(identical || label.NumEtiquette != 0);
    // What would be printed can be previewed.
    m_previewButton->setEnabled(m_printButton->isEnabled());
    if (QAction* preview = findChild<QAction*>(QStringLiteral("Mnu_Apercu")))
        preview->setEnabled(m_printButton->isEnabled());
    showSheet();
}

void ImpEtiq::selectPosition(int n)
{
    if (n < 1 || n > kLabelPositions)
        return;
    state.label.NumEtiquette = n;
    showPrintMode();
    for (int k = 1; k <= kLabelPositions; ++k)
        position(k)->setBackground(k == n ? kSelected : QColor(Qt::white));
    const LabelCorner corner = labelCorner(state.print, n);
    state.label.PosX = corner.x;
    state.label.PosY = corner.y;
}

void ImpEtiq::chooseIdenticalLabels()
{
    state.label.ModeImpression = 1;
    showPrintMode();
}

void ImpEtiq::chooseSelectedLabel()
{
    state.label.ModeImpression = 0;
    showPrintMode();
}

// ------------------------------------------------------------------------------ boxes

void ImpEtiq::countEdited()
{
    auto* dialogs = services.dialogs;
    const double rounded = std::nearbyint(leadingNumber(m_countBox->text()));
    if (rounded > 10) {
        if (dialogs)
            dialogs->msgBox(QStringLiteral("Nombre maximum de étiquettes identiques = 10"),
                            vbCritical, QStringLiteral("Erreur"));
        state.label.NbEtiquettes = 10;
        m_countBox->setText(QStringLiteral("10"));
    } else if (rounded < 1) {
        if (dialogs)
            dialogs->msgBox(QStringLiteral("Nombre minimum de étiquettes = 1"), vbCritical,
                            QStringLiteral("Erreur"));
        state.label.NbEtiquettes = 1;
        m_countBox->setText(QStringLiteral("1"));
    } else {
        state.label.NbEtiquettes = int(rounded);
    }
    const int n = state.label.NbEtiquettes;
    m_countScrollBar->setValue(n);
    m_identicalOption->setText(QString::number(n) + QStringLiteral(" étiquettes identiques"));
    showPrintMode();
}

void ImpEtiq::countScrolled()
{
    state.label.NbEtiquettes = m_countScrollBar->value();
    m_countBox->setText(QString::number(state.label.NbEtiquettes));
}

void ImpEtiq::geometryEdited(GeometryField field)
{
    state.print.*kGeometry[int(field)].field = leadingNumber(geometryBox(field)->text());
    if (field == GeometryField::Width || field == GeometryField::Height)
        refreshLabelPreview();
    showSheet();
}

void ImpEtiq::showGeometry()
{
    const PrintParams shown = state.print;
    for (GeometryField field : kShownOrder)
        geometryBox(field)->setText(doubleText(shown.*kGeometry[int(field)].field));
}

void ImpEtiq::showFrameOptions()
{
    m_frameCheck->setChecked(state.print.ImprimerCadre);
    m_cutOutlineCheck->setChecked(state.print.ImprimerDecoupe);
}

void ImpEtiq::storeFrameOptions()
{
    state.print.ImprimerCadre = m_frameCheck->checkState() == Qt::Checked;
    state.print.ImprimerDecoupe = m_cutOutlineCheck->checkState() == Qt::Checked;
}

// ------------------------------------------------------------------------------ commands

void ImpEtiq::printLabels()
{
    storeFrameOptions();
    printLabelCommand(state, services);
}

void ImpEtiq::previewLabels()
{
    if (!m_printButton->isEnabled())
        return;
    storeFrameOptions();
    // The preview draws with the print's own code on a copy of the state, so nothing moves.
    AppState drawn = state;
    PreviewDocument document(services, [&drawn](Services& preview) {
        ::printLabels(drawn, preview);
        return true;
    });
    if (runPrintPreview(document, this))
        ::printLabels(state, services);
}

void ImpEtiq::moveRecord(ListMove move)
{
    moveInNameList(form, state.search.IndexTrouve, move);
    AffichTitre();
}

// ------------------------------------------------------------------------------ parameters

void ImpEtiq::loadParameters()
{
    const std::optional<QString> read = loadParameterFile();
    setWindowTitle(paramWindowTitle(read.value_or(QString())));
    if (!read)
        return;
    showGeometry();
    showFrameOptions();
    applyPrintFont(*m_addressPreview, state.print);
    refreshLabelPreview();
}

void ImpEtiq::saveParameters()
{
    if (const std::optional<QString> path = askParameterFileToSave()) {
        SaveFileConfig(*path);
        setWindowTitle(paramWindowTitle(*path));
    }
}

void ImpEtiq::restoreDefaultParameters()
{
    installDefaultGeometry(state.print);
    state.label.NbEtiquettes = 8;
    m_identicalOption->setText(QStringLiteral("8 étiquettes identiques"));
    m_countBox->setText(QStringLiteral("8"));
    showGeometry();
    showFrameOptions();
    setWindowTitle(paramWindowTitle(QString()));
    refreshLabelPreview();
}

void ImpEtiq::SaveFileConfig(const QString& path)
{
    storeFrameOptions();
    for (int i = 0; i < kGeometryFieldCount; ++i)
        geometryEdited(GeometryField(i));
    readPrintFont(*m_addressPreview, state.print);
    writePrintParamsFile(path, state.print, services.dialogs);
}
