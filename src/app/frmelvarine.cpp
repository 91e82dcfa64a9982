#include "app/frmelvarine.h"

#include "app/helpwindow.h"
#include "core/appstate.h"
#include "core/dosshell.h"
#include "core/enginemessages.h"
#include "core/fieldrules.h"
#include "core/listfilter.h"
#include "core/namelist.h"
#include "core/nametable.h"
#include "core/services.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/windowkeys.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

namespace
{

const QString kTitle = QStringLiteral("Elvarine");

} // namespace

frmElvarine::frmElvarine(AppState& appState, Services& appServices, QWidget* parent)
    : QMainWindow(parent), state(appState), services(appServices), m_binding(*this)
{
    setObjectName(QStringLiteral("frmElvarine"));
    setWindowTitle(kTitle);
    m_commonDialog = std::make_unique<CommonDialog>(*services.dialogs);
    m_binding.Validate = [this](int action, int& save) { Data1_Validate(action, save); };
    m_binding.Reposition = [this] { Data1_Reposition(); };
    m_binding.Error = [this](int err, const QString& text, int& response) {
        Data1_Error(err, text, response);
    };

    m_listModel = new NameListModel(this);
    m_widgets = buildMainWindowWidgets(*this, *m_listModel,
                                       [this](FieldBox box) { txtFields_Change(box); });
    connect(m_widgets.nameList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    List1_Click();
            });
    connect(m_widgets.nameList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateSelectionCount(); });
    connect(m_listModel, &QAbstractItemModel::modelReset, this, [this] { updateSelectionCount(); });
    m_filter = std::make_unique<ListFilter>(
        [this](quint64 tag, RowNumbers rowids) { filterFound(tag, std::move(rowids)); });
    connect(m_widgets.filterBox, &QLineEdit::textChanged, this, &frmElvarine::filterTextChanged);
    // Each box's focus and Enter rules: see eventFilter.
    for (QWidget* box : m_widgets.fields)
        box->installEventFilter(this);
    connect(m_widgets.cancelButton, &QPushButton::clicked, this, &frmElvarine::CmdAnnul_Click);
    connect(m_widgets.addButton, &QPushButton::clicked, this, &frmElvarine::cmdAdd_Click);
    connect(m_widgets.deleteButton, &QPushButton::clicked, this, &frmElvarine::cmdDelete_Click);
    connect(m_widgets.refreshButton, &QPushButton::clicked, this, &frmElvarine::cmdRefresh_Click);
    connect(m_widgets.updateButton, &QPushButton::clicked, this, &frmElvarine::cmdUpdate_Click);
    connect(m_widgets.closeButton, &QPushButton::clicked, this, &frmElvarine::cmdClose_Click);

    auto* toolbar = new QToolBar(QStringLiteral("Barre d'outils"), this);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setMovable(false);
    addToolBar(Qt::TopToolBarArea, toolbar);
    m_commands.build(*this, *menuBar(), *toolbar);

    WorkflowControls controls;
    controls.recordFrame = m_widgets.recordFrame;
    controls.nameList = m_widgets.nameList;
    controls.addButton = m_widgets.addButton;
    controls.deleteButton = m_widgets.deleteButton;
    controls.refreshButton = m_widgets.refreshButton;
    controls.updateButton = m_widgets.updateButton;
    controls.closeButton = m_widgets.closeButton;
    controls.cancelButton = m_widgets.cancelButton;
    controls.toolbarRefresh = command(Command::Actualiser);
    controls.toolbarAdd = command(Command::Ajouter);
    controls.toolbarDelete = command(Command::Supprimer);
    controls.toolbarUpdate = command(Command::Modifier);
    controls.focusPark = this;
    m_workflow.setControls(controls);
    m_workflow.onChange([this] { updateCommands(); });
    useWindowKeyRules();
    resize(760, 580);
    // Until an address file is open, only the toolbar and the menus show.
    showFileControls(false);
}

frmElvarine::~frmElvarine() = default;

void frmElvarine::showFileControls(bool open)
{
    m_widgets.recordFrame->setVisible(open);
    m_widgets.buttonFrame->setVisible(open);
    m_widgets.statusBar->setVisible(open);
    m_widgets.nameList->setVisible(open);
    m_widgets.filterBox->setVisible(open);
    m_widgets.startHint->setVisible(!open);
    updateCommands();
}

QString frmElvarine::programFile(ProgramFile file) const
{
    return programFilePath(state.CheminDonnees, state.CheminAppli, file);
}

int frmElvarine::runModal(QDialog& dialog)
{
    const int result = dialog.exec();
    Form_Activate();
    return result;
}

QString frmElvarine::panelText(int panel) const
{
    return panel >= 1 && panel <= 3 ? m_widgets.panels[size_t(panel - 1)]->text() : QString();
}

// ------------------------------------------------------------------------------ record form

QString frmElvarine::fieldText(FieldBox box) const
{
    return fieldBoxText(field(box));
}

void frmElvarine::setFieldText(FieldBox box, const QString& text)
{
    setFieldBoxText(field(box), box, text);
}

void frmElvarine::showField(FieldBox box, const QString& text)
{
    m_showing = true;
    setFieldText(box, text);
    m_showing = false;
}

bool frmElvarine::fieldChanged(FieldBox box) const
{
    return m_changed[size_t(box)];
}

void frmElvarine::clearChanged()
{
    m_changed.fill(false);
}

QString frmElvarine::listText(int index) const
{
    return m_listModel->line(index);
}

namespace
{

// The rows a selection holds, as ranges of rows (first, last) in list order without overlap: a
// selection of every line of a long list is one range, not a row each.
std::vector<std::pair<int, int>> selectedRanges(const QItemSelection& selection)
{
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& r : selection) {
        if (r.isValid())
            ranges.emplace_back(r.top(), r.bottom());
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& r : ranges) {
        if (!merged.empty() && r.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, r.second);
        else
            merged.push_back(r);
    }
    return merged;
}

} // namespace

std::vector<int> frmElvarine::selectedRecordPositions() const
{
    std::vector<int> positions;
    for (const auto& [first, last] :
         selectedRanges(m_widgets.nameList->selectionModel()->selection())) {
        for (int row = first; row <= last; ++row)
            positions.push_back(m_listModel->recordPosition(row));
    }
    return positions;
}

void frmElvarine::updateSelectionCount()
{
    qint64 count = 0;
    for (const auto& [first, last] :
         selectedRanges(m_widgets.nameList->selectionModel()->selection()))
        count += last - first + 1;
    const QString text =
        count > 1 ? QStringLiteral("%1 lignes sélectionnées").arg(count) : QString();
    m_widgets.selectionPanel->setText(text);
    m_widgets.selectionPanel->setVisible(!text.isEmpty());
}

QString frmElvarine::selectionPanelText() const
{
    return m_widgets.selectionPanel->text();
}

void frmElvarine::focusFilter()
{
    if (!m_widgets.filterBox->isVisible() || !m_widgets.filterBox->isEnabled())
        return;
    m_widgets.filterBox->setFocus(Qt::ShortcutFocusReason);
    m_widgets.filterBox->selectAll();
}

size_t frmElvarine::filterIndexBytes() const
{
    return m_filter->indexBytes();
}

void frmElvarine::filterTextChanged(const QString& text)
{
    const QString folded = foldedForFilter(text);
    if (folded == m_filterText)
        return;
    m_filterText = folded;
    ++m_filterTag;
    if (folded.isEmpty()) {
        // Every line again, the record shown selected.
        m_filter->cancel();
        const int shown = m_binding.hasRecordset() ? m_binding.recordset().AbsolutePosition() : -1;
        m_listModel->clearFilter();
        showRecordLine(shown);
        return;
    }
    requestFilter();
}

void frmElvarine::requestFilter()
{
    if (m_filterText.isEmpty() || !m_binding.hasRecordset())
        return;
    const Recordset& rs = m_binding.recordset();
    const auto names = rs.names();
    m_filterTable = names.get();
    m_filterVersion = names->version();
    followFilterIndex();
    m_filter->request(m_filterText, m_filterTag);
}

void frmElvarine::followFilterIndex()
{
    if (m_binding.hasRecordset())
        m_filter->follow(m_binding.recordset());
    else
        m_filter->close();
}

void frmElvarine::filterFound(quint64 tag, RowNumbers rowids)
{
    if (tag != m_filterTag || m_filterText.isEmpty() || !m_binding.hasRecordset())
        return;
    const Recordset& rs = m_binding.recordset();
    const auto names = rs.names();
    if (names.get() != m_filterTable || names->version() != m_filterVersion ||
        m_listModel->table() != names.get() || m_listModel->version() != names->version()) {
        // Records were stored while the file was read: it is read again.
        requestFilter();
        return;
    }
    const int shown = rs.AbsolutePosition();
    const QString folded = m_filterText;
    m_listModel->setFilter(rs.marksOf(rowids), [this, folded](int position) {
        return foldedForFilter(m_binding.recordset().recordText(position)).contains(folded);
    });
    showRecordLine(shown);
    rowids = {};
    releaseFreedHeap();
}

void frmElvarine::showRecordLine(int position)
{
    const int index = m_listModel->indexOfPosition(position);
    if (index >= 0) {
        const QSignalBlocker block(m_widgets.nameList->selectionModel());
        m_widgets.nameList->setCurrentIndex(m_listModel->index(index));
        m_widgets.nameList->scrollTo(m_listModel->index(index));
    } else if (m_listModel->rowCount() > 0 && !m_workflow.formOpen()) {
        m_widgets.nameList->setCurrentIndex(m_listModel->index(0));
    }
    m_widgets.nameList->viewport()->update();
    updateSelectionCount();
}

std::vector<int> frmElvarine::listRecordPositions() const
{
    return m_listModel->allPositions();
}

int frmElvarine::listCount() const
{
    return m_listModel->rowCount();
}

int frmElvarine::listIndex() const
{
    const QModelIndex current = m_widgets.nameList->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void frmElvarine::setListIndex(int index)
{
    if (index < 0 || index >= m_listModel->rowCount())
        return;
    if (m_workflow.formOpen()) {
        // The record being modified is the one asked for: it stays open as it is.
        if (index == listIndex() && m_workflow.state() != RecordState::Adding)
            return;
        // Another record is to be shown: the open one is settled first, then the entry is
        // found again in the list, which Actualiser rebuilt.
        const int position = m_listModel->recordPosition(index);
        if (!settleOpenRecord())
            return;
        index = m_listModel->indexOfPosition(position);
        if (index < 0)
            return;
    }
    if (listIndex() == index) {
        // Already selected: the selection does not change, nothing runs.
        return;
    }
    m_widgets.nameList->setCurrentIndex(m_listModel->index(index));
}

// ------------------------------------------------------------------------------ field boxes

void frmElvarine::txtFields_Change(FieldBox box)
{
    if (m_showing)
        return;
    m_changed[size_t(box)] = true;
    m_workflow.fieldChanged();
    updateCommands();
}

void frmElvarine::txtFields_GotFocus(FieldBox box)
{
    if (fieldText(box) == QLatin1String(" "))
        setFieldText(box, QString());
}

bool frmElvarine::nameMissing() const
{
    return fieldText(FieldBox::Nom).trimmed().isEmpty();
}

void frmElvarine::askForTheName()
{
    m_inFocusRule = true;
    services.dialogs->msgBox(QStringLiteral("Saisie obligatoire pour le nom !"), vbCritical,
                             QStringLiteral("Erreur"));
    m_inFocusRule = false;
    // The box is left empty for the name, never holding the empty mark (or spaces) that the
    // name would be typed after.
    if (!fieldText(FieldBox::Nom).isEmpty())
        setFieldText(FieldBox::Nom, QString());
    // The focus goes back to the name once the focus change under way has ended; leaving a
    // box on the way there asks nothing more.
    m_returningToName = true;
    QTimer::singleShot(0, this, [this] {
        if (m_widgets.recordFrame->isEnabled())
            field(FieldBox::Nom)->setFocus(Qt::OtherFocusReason);
        m_returningToName = false;
    });
}

void frmElvarine::txtFields_LostFocus(FieldBox box)
{
    const bool missing = nameMissing();
    if (missing && !m_inFocusRule && !m_returningToName)
        askForTheName();
    // An emptied box is stored as one space; the name box, while the name is missing, stays
    // empty for it.
    if (fieldText(box).isEmpty() && !(box == FieldBox::Nom && missing))
        setFieldText(box, QStringLiteral(" "));
}

bool frmElvarine::txtFields_KeyDown(FieldBox box, int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Down)
        return false;
    const std::optional<FieldBox> next = nextBox(box);
    if (!next)
        return false; // Notes: Enter makes a new line
    // Not as Tab does it: the next box's text is not selected, so typing adds to it.
    QWidget* nextField = field(*next);
    nextField->setFocus(Qt::OtherFocusReason);
    if (nextField->hasFocus())
        putCursorAtEnd(nextField);
    return true;
}

std::optional<FieldBox> frmElvarine::boxOf(QObject* object) const
{
    for (FieldBox box : kAllFieldBoxes) {
        if (field(box) == object)
            return box;
    }
    return std::nullopt;
}

// Watches the field boxes only: their focus rules and the Enter key.
bool frmElvarine::eventFilter(QObject* watched, QEvent* event)
{
    const std::optional<FieldBox> watchedBox = boxOf(watched);
    if (!watchedBox)
        return QMainWindow::eventFilter(watched, event);
    const FieldBox box = *watchedBox;
    const bool formOpen = m_widgets.recordFrame->isEnabled();
    switch (event->type()) {
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && formOpen)
            txtFields_GotFocus(box);
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && formOpen &&
            field(box)->isEnabled() && !m_quitting)
            txtFields_LostFocus(box);
        break;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            break;
        // Typing into a box that holds only the empty mark replaces it (the box may have been
        // entered without its entering rule: back from another window, for instance).
        if (formOpen && !key->text().isEmpty() && key->text().at(0).isPrint() &&
            fieldText(box) == QLatin1String(" "))
            setFieldText(box, QString());
        if (box == FieldBox::Notes && key->key() != Qt::Key_Down)
            break;
        if (txtFields_KeyDown(box, key->key()))
            return true;
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ------------------------------------------------------------------------------ binding

void frmElvarine::Data1_Validate(int action, int&)
{
    if (NewMode) {
        try {
            Counter = m_binding.recordset().RecordCount() + 1;
        } catch (const EngineError&) {
            // No record set (no start-up database): nothing to count, and nothing is stored.
        }
    }
    switch (action) {
    case RecordBinding::vbDataActionMoveFirst:
        ActualPosition = 1;
        break;
    case RecordBinding::vbDataActionMovePrevious:
        if (ActualPosition > 1)
            --ActualPosition;
        break;
    case RecordBinding::vbDataActionMoveNext:
        if (ActualPosition < Counter)
            ++ActualPosition;
        break;
    case RecordBinding::vbDataActionMoveLast:
        ActualPosition = Counter;
        break;
    default:
        break;
    }
    NewMode = 0;
}

void frmElvarine::Data1_Reposition()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    try {
        Counter = m_binding.recordset().RecordCount();
        if (Counter < ActualPosition)
            ActualPosition = Counter;
    } catch (const EngineError&) {
        // No record set (no start-up database): the counters stay as they are.
    }
    // Each panel shows the beginning of a very long field.
    const auto panel = [this](int n) { return m_widgets.panels[size_t(n - 1)]; };
    const auto shown = [this](FieldBox box) { return shownPart(fieldText(box)); };
    panel(1)->setText(shown(FieldBox::Nom) + QLatin1Char(' ') + shown(FieldBox::Prenom) +
                      QLatin1Char(' '));
    panel(2)->setText(shown(FieldBox::CodePostal) + QLatin1Char(' ') + shown(FieldBox::Ville) +
                      QLatin1Char(' '));
    panel(3)->setText(QStringLiteral("Tel 1 : ") + shown(FieldBox::Telephone) +
                      QStringLiteral("  Fax : ") + shown(FieldBox::Fax) + QLatin1Char(' '));
    // The commands that depend on the boxes follow the record shown.
    updateCommands();
}

void frmElvarine::Data1_Error(int dataErr, const QString& text, int& response)
{
    // The engine's own messages (another program, the disk, a damaged record) are whole
    // sentences; the other errors are shown as the data handler's.
    if (isEngineMessage(dataErr))
        services.dialogs->msgBox(text, dataErr == errDamagedRecord ? vbCritical : vbExclamation,
                                 QStringLiteral("Erreur"));
    else
        services.dialogs->msgBox(
            QStringLiteral("Le gestionnaire d'erreurs des données a rencontré l'erreur:") + text,
            vbOKOnly, kTitle);
    response = 0;
}

// ------------------------------------------------------------------------------ help

void frmElvarine::Mnu_Aide_Click()
{
    const QString path = programFile(ProgramFile::Help);
    if (!FichierExiste(path)) {
        services.dialogs->msgBox(QStringLiteral("Fichier d'aide ") + path +
                                     QStringLiteral(" introuvable !"),
                                 vbExclamation, QStringLiteral("Erreur"));
        return;
    }
    if (!m_helpWindow)
        m_helpWindow = new HelpWindow(path, this);
    static_cast<HelpWindow*>(m_helpWindow.data())->showContents();
}

void frmElvarine::Mnu_Apropos_Click()
{
    services.dialogs->msgBox(
        QStringLiteral("Elvarine : Version 1.3.2\r\rGestion d'Elvarine Personnel"), vbInformation,
        QStringLiteral("A propos"));
}

// ------------------------------------------------------------------------------ quitting

bool frmElvarine::confirmQuit()
{
    return settleOpenRecord();
}

void frmElvarine::cmdClose_Click()
{
    if (!confirmQuit())
        return;
    state.FicAnOuvre = 0;
    endProgram();
}

void frmElvarine::endProgram()
{
    m_quitting = true;
    if (m_helpWindow)
        m_helpWindow->close();
    close();
    emit programEnded();
}

void frmElvarine::closeEvent(QCloseEvent* event)
{
    if (!m_quitting) {
        if (!confirmQuit()) {
            event->ignore();
            return;
        }
        state.FicAnOuvre = 0;
        m_quitting = true;
        if (m_helpWindow)
            m_helpWindow->close();
        emit programEnded();
    }
    event->accept();
}
