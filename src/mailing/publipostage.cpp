#include "mailing/publipostage.h"

#include "contacts/contactsprogress.h"
#include "core/appstate.h"
#include "core/recordengine.h"
#include "core/search/search.h"
#include "core/services.h"
#include "labels/minisheet.h"
#include "platform/dialogs.h"
#include "platform/windowkeys.h"
#include "printer/previewsurface.h"
#include "printer/printfailure.h"
#include "printer/printpreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace
{

const QColor kStart(192, 255, 255); // the first label
const QColor kUsed(200, 200, 200);  // the labels already gone from the partly used sheet

// Jobs of more pages than this show their progress window from the start.
constexpr int kLongJobPages = 10;
// Searching again this long after the last key typed.
constexpr int kSearchDelayMs = 300;

constexpr EnvelopeFormatId kFormats[3] = {EnvelopeFormatId::F160x115, EnvelopeFormatId::F220x110,
                                          EnvelopeFormatId::F230x160};

QRadioButton* addOption(QGroupBox* frame, const char* name, const QString& caption)
{
    auto* option = new QRadioButton(caption, frame);
    option->setObjectName(QLatin1String(name));
    frame->layout()->addWidget(option);
    return option;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& title)
{
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(QLatin1String(name));
    new QVBoxLayout(frame);
    return frame;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

Publipostage::Publipostage(AppState& state, Services& services, MailingSourceRecords source,
                           QWidget* parent)
    : QDialog(parent), state(state), services(services), m_source(std::move(source))
{
    setObjectName(QStringLiteral("Publipostage"));
    setWindowTitle(QStringLiteral("Publipostage"));
    useWindowKeyRules();
    buildWindow();
    // Several lines selected: they are the mailing; otherwise every record.
    const bool several = m_source.selected.size() > 1;
    sourceOption(several ? MailingSource::Selection : MailingSource::All)->setChecked(true);
    orderOption(MailingOrder::NameList)->setChecked(true);
    kindOption(MailingKind::Labels)->setChecked(true);
    formatOption(EnvelopeFormatId::F160x115)->setChecked(true);
    m_ownPaperCheck->setChecked(state.envelope.OwnSize);
    m_searchBox->setText(state.search.Chaine);
    readLabelPage();
    selectStart(1);
    choicesChanged();
}

Publipostage::~Publipostage() = default;

// ------------------------------------------------------------------------------ building

void Publipostage::buildWindow()
{
    auto* top = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    top->addLayout(body, 1);
    auto* left = new QVBoxLayout;
    body->addLayout(left);
    left->addWidget(buildSources());
    left->addWidget(buildOrder());
    left->addWidget(buildKinds());
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);
    right->addWidget(buildSheet(), 1);
    right->addWidget(buildEnvelopes());
    right->addStretch(0);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblBilan"));
    m_summary->setWordWrap(true);
    top->addWidget(m_summary);
    m_leftOut = new QLabel(this);
    m_leftOut->setObjectName(QStringLiteral("lblLaissees"));
    m_leftOut->setWordWrap(true);
    m_leftOut->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(m_leftOut);

    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    m_previewButton = makeButton(this, "cmdApercu", QStringLiteral("&Aperçu avant impression"));
    m_printButton = makeButton(this, "cmdImprimer", QStringLiteral("&Imprimer"));
    m_closeButton = makeButton(this, "cmdQuitter", QStringLiteral("&Quitter"));
    for (QPushButton* b : {m_previewButton, m_printButton, m_closeButton})
        actions->addWidget(b);
    top->addLayout(actions);
    connect(m_previewButton, &QPushButton::clicked, this, &Publipostage::preview);
    connect(m_printButton, &QPushButton::clicked, this, &Publipostage::print);
    connect(m_closeButton, &QPushButton::clicked, this, &Publipostage::reject);

    m_searchTimer = new QTimer(this);
    m_searchTimer->setSingleShot(true);
    m_searchTimer->setInterval(kSearchDelayMs);
    connect(m_searchTimer, &QTimer::timeout, this, &Publipostage::choicesChanged);
}

QGroupBox* Publipostage::buildSources()
{
    QGroupBox* frame = makeFrame(this, "cadreFiches", QStringLiteral("Fiches "));
    m_sourceOptions[size_t(MailingSource::Selection)] =
        addOption(frame, "optSelection",
                  QStringLiteral("Les &lignes sélectionnées (%1)").arg(m_source.selected.size()));
    m_sourceOptions[size_t(MailingSource::Search)] =
        addOption(frame, "optRecherche", QStringLiteral("Les fiches &trouvées par :"));
    m_searchBox = new QLineEdit(frame);
    m_searchBox->setObjectName(QStringLiteral("txtRecherche"));
    m_searchBox->setAccessibleName(QStringLiteral("Texte recherché"));
    frame->layout()->addWidget(m_searchBox);
    m_criterion = new QLabel(
        QStringLiteral("(critère : %1)").arg(criterionCaption(state.search.CritereRech)), frame);
    m_criterion->setObjectName(QStringLiteral("lblCritere"));
    frame->layout()->addWidget(m_criterion);
    m_sourceOptions[size_t(MailingSource::All)] =
        addOption(frame, "optToutes", QStringLiteral("T&outes les fiches"));
    for (QRadioButton* option : m_sourceOptions)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                choicesChanged();
        });
    connect(m_searchBox, &QLineEdit::textEdited, this, [this] {
        m_stale = true;
        m_searchTimer->start();
    });
    return frame;
}

QGroupBox* Publipostage::buildOrder()
{
    QGroupBox* frame = makeFrame(this, "cadreOrdre", QStringLiteral("Ordre "));
    m_orderOptions[size_t(MailingOrder::NameList)] =
        addOption(frame, "optOrdreListe", QStringLiteral("Ordre de la liste des &noms"));
    m_orderOptions[size_t(MailingOrder::PostCode)] =
        addOption(frame, "optOrdreCodePostal", QStringLiteral("Par code &postal puis nom"));
    for (QRadioButton* option : m_orderOptions)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                choicesChanged();
        });
    return frame;
}

QGroupBox* Publipostage::buildKinds()
{
    QGroupBox* frame = makeFrame(this, "cadreImpression", QStringLiteral("Imprimer "));
    m_kindOptions[size_t(MailingKind::Labels)] =
        addOption(frame, "optEtiquettes", QStringLiteral("des &étiquettes adresse"));
    m_kindOptions[size_t(MailingKind::Envelopes)] =
        addOption(frame, "optEnveloppes", QStringLiteral("des en&veloppes"));
    for (QRadioButton* option : m_kindOptions)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                applyControls();
        });
    return frame;
}

QGroupBox* Publipostage::buildSheet()
{
    m_sheetFrame = makeFrame(this, "cadreFeuille", QStringLiteral("Feuille d'étiquettes "));
    auto* hint = new QLabel(
        QStringLiteral("Cliquez sur la première étiquette libre de la feuille (la première "
                       "feuille seulement) :"),
        m_sheetFrame);
    hint->setObjectName(QStringLiteral("lblAideFeuille"));
    hint->setWordWrap(true);
    m_sheetFrame->layout()->addWidget(hint);
    m_sheet = new MiniSheet(m_sheetFrame);
    m_sheet->setObjectName(QStringLiteral("Sheet"));
    m_sheetFrame->layout()->addWidget(m_sheet);
    m_startLabel = new QLabel(m_sheetFrame);
    m_startLabel->setObjectName(QStringLiteral("lblDepart"));
    m_sheetFrame->layout()->addWidget(m_startLabel);
    for (int n = 1; n <= kLabelPositions; ++n)
        m_sheet->position(n)->setToolTip(QStringLiteral("Commencer à cette étiquette"));
    connect(m_sheet, &MiniSheet::positionClicked, this, &Publipostage::selectStart);
    return m_sheetFrame;
}

QGroupBox* Publipostage::buildEnvelopes()
{
    m_envelopeFrame = makeFrame(this, "cadreEnveloppe", QStringLiteral("Enveloppe en mm "));
    for (int i = 0; i < 3; ++i) {
        const QByteArray name = "optFormat" + QByteArray::number(i + 1);
        m_formatOptions[size_t(i)] =
            addOption(m_envelopeFrame, name.constData(), envelopeFormat(kFormats[i]).option);
        connect(m_formatOptions[size_t(i)], &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                applyControls();
        });
    }
    m_senderCheck = new QCheckBox(QStringLiteral("Avec l'étiquette e&xpéditeur"), m_envelopeFrame);
    m_senderCheck->setObjectName(QStringLiteral("chkExpediteur"));
    m_envelopeFrame->layout()->addWidget(m_senderCheck);
    m_ownPaperCheck =
        new QCheckBox(QStringLiteral("Papier au &format de l'enveloppe"), m_envelopeFrame);
    m_ownPaperCheck->setObjectName(QStringLiteral("chkPapierEnveloppe"));
    m_ownPaperCheck->setToolTip(
        QStringLiteral("Envoie le format de l'enveloppe avec l'impression, pour une imprimante qui "
                       "prend les enveloppes ; sinon l'impression se fait sur une feuille A4"));
    m_envelopeFrame->layout()->addWidget(m_ownPaperCheck);
    connect(m_ownPaperCheck, &QCheckBox::toggled, this,
            [this](bool on) { state.envelope.OwnSize = on; });
    // As high as its options, at the top of its column.
    m_envelopeFrame->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    return m_envelopeFrame;
}

// ------------------------------------------------------------------------------ state

MailingChoice Publipostage::choice() const
{
    MailingChoice c;
    for (int i = 0; i < 3; ++i) {
        if (m_sourceOptions[size_t(i)]->isChecked())
            c.source = MailingSource(i);
    }
    c.selected = m_source.selected;
    c.searchText = m_searchBox->text();
    c.criterion = state.search.CritereRech;
    c.order = orderOption(MailingOrder::PostCode)->isChecked() ? MailingOrder::PostCode
                                                               : MailingOrder::NameList;
    return c;
}

const MailingRecords& Publipostage::records()
{
    if (m_stale && m_source.recordset) {
        m_stale = false;
        m_searchTimer->stop();
        const MailingChoice c = choice();
        // The text searched here is the one the next Rechercher proposes.
        if (c.source == MailingSource::Search)
            state.search.Chaine = c.searchText.toLower();
        ContactsProgress progress(QStringLiteral("Lecture des fiches..."), this);
        try {
            m_records = collectMailingRecords(*m_source.recordset, m_source.listPositions, c,
                                              progress.progress());
        } catch (const EngineError& e) {
            m_records = MailingRecords();
            if (services.dialogs)
                services.dialogs->msgBox(QStringLiteral("Les fiches ne peuvent pas être lues.\n") +
                                             e.text,
                                         vbExclamation, QStringLiteral("Publipostage"));
        }
        if (progress.cancelled())
            m_records = MailingRecords();
    }
    return m_records;
}

MailingJob Publipostage::job()
{
    const MailingKind kind = kindOption(MailingKind::Envelopes)->isChecked()
                                 ? MailingKind::Envelopes
                                 : MailingKind::Labels;
    EnvelopeFormatId format = EnvelopeFormatId::F160x115;
    for (int i = 0; i < 3; ++i) {
        if (m_formatOptions[size_t(i)]->isChecked())
            format = kFormats[i];
    }
    return makeMailingJob(kind, records(), state.print, state.address, m_start, format,
                          m_senderCheck->isChecked(), state.sender, m_ownPaperCheck->isChecked());
}

void Publipostage::choicesChanged()
{
    m_stale = true;
    applyControls();
}

void Publipostage::applyControls()
{
    const MailingChoice c = choice();
    sourceOption(MailingSource::Selection)->setEnabled(!m_source.selected.empty());
    m_searchBox->setEnabled(c.source == MailingSource::Search);
    m_criterion->setEnabled(c.source == MailingSource::Search);

    const bool typing = m_searchTimer->isActive();
    const MailingJob j = job();
    const bool labels = j.kind == MailingKind::Labels;
    m_sheetFrame->setVisible(labels);
    m_envelopeFrame->setVisible(!labels);

    const int n = int(j.records.size());
    if (n == 0)
        m_summary->setText(c.source == MailingSource::Search && c.searchText.isEmpty()
                               ? QStringLiteral("Entrez le texte à rechercher.")
                               : QStringLiteral("Aucune fiche à imprimer."));
    else
        m_summary->setText(
            QStringLiteral("%1 fiche(s) à imprimer : %2.").arg(n).arg(mailingCountText(j)));
    const QString left = leftOutText(m_records);
    m_leftOut->setText(left);
    m_leftOut->setVisible(!left.isEmpty());
    m_printButton->setEnabled(n > 0 && !typing && services.printer);
    m_previewButton->setEnabled(n > 0 && !typing && services.printer);
}

void Publipostage::readLabelPage()
{
    if (services.printer)
        m_labelPage = labelPageLayout(*services.printer);
    m_offset = currentPrinterOffset(services);
    std::array<QRectF, kLabelPositions> labels;
    for (int n = 1; n <= kLabelPositions; ++n)
        labels[size_t(n - 1)] = labelOnPaper(state.print, n, m_labelPage, m_offset);
    m_sheet->setSheet(m_labelPage.fullRect(QPageLayout::Millimeter).size(),
                      m_labelPage.paintRect(QPageLayout::Millimeter), labels);
}

void Publipostage::selectStart(int position)
{
    if (position < 1 || position > kLabelPositions)
        return;
    m_start = position;
    for (int k = 1; k <= kLabelPositions; ++k)
        m_sheet->position(k)->setBackground(k == position  ? kStart
                                            : k < position ? kUsed
                                                           : QColor(Qt::white));
    m_startLabel->setText(QStringLiteral("Première étiquette : N° %1").arg(position));
    applyControls();
}

// ------------------------------------------------------------------------------ commands

void Publipostage::print()
{
    const MailingJob j = job();
    if (j.records.empty() || !services.dialogs || !services.printer)
        return;
    const PrintConfirmation c = mailingConfirmation(j);
    if (services.dialogs->msgBox(c.question, vbYesNo + vbQuestion, c.title) != vbYes)
        return;
    printJob(j);
}

void Publipostage::preview()
{
    auto j = std::make_shared<const MailingJob>(job());
    if (j->records.empty() || !services.printer)
        return;
    PreviewDocument document(services, mailingPreviewPart(j));
    if (runPrintPreview(document, this))
        printJob(*j);
}

void Publipostage::printJob(const MailingJob& j)
{
    ContactsProgress progress(
        QStringLiteral("Impression du publipostage : %1...").arg(mailingCountText(j)), this);
    if (j.pageCount() > kLongJobPages)
        progress.showNow();
    const ProgressFn report = progress.progress();
    MailingOutcome outcome = MailingOutcome::Cancelled;
    try {
        outcome = printMailingJob(j, services,
                                  [&report](int done, int total) { return report(done, total); });
    } catch (const PrinterError& e) {
        progress.dialog()->hide();
        reportPrintFailure(services, e);
        return;
    }
    progress.dialog()->hide();
    if (outcome == MailingOutcome::Cancelled && services.dialogs)
        services.dialogs->msgBox(
            QStringLiteral("Impression annulée : rien n'a été envoyé à l'imprimante."),
            vbInformation, QStringLiteral("Publipostage"));
}

void openMailingWindow(AppState& state, Services& services, MailingSourceRecords source,
                       QWidget* parent)
{
    Publipostage window(state, services, std::move(source), parent);
    window.exec();
}
