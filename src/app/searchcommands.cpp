// The main window's search: Rechercher, Suivant and the scan of the name list they share.
#include "app/escapewatch.h"
#include "app/frmelvarine.h"

#include "core/appstate.h"
#include "core/namelist.h"
#include "core/search/search.h"
#include "core/services.h"
#include "platform/dialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <optional>

namespace
{

void restoreCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

} // namespace

void frmElvarine::Mnu_Rechercher_Click()
{
    if (m_searching || !m_binding.hasRecordset())
        return;
    SearchState& search = state.search;
    search.DemandeArret = 0;
    search.Chaine = services.dialogs->inputBox(
        QStringLiteral("Entrez la chaîne de caractères à rechercher"),
        QStringLiteral("Chaîne de caractère à rechercher"), search.Chaine);
    search.Chaine = search.Chaine.toLower();
    updateCommands();
    if (search.Chaine.isEmpty())
        return;
    search.IndexTrouve = listIndex();
    scanList(0, QStringLiteral("Rechercher chaîne"));
}

void frmElvarine::Mnu_Suivant_Click()
{
    if (m_searching || !m_binding.hasRecordset() || state.search.Chaine.isEmpty())
        return;
    state.search.DemandeArret = 0;
    scanList(state.search.IndexTrouve + 1, QStringLiteral("Rechercher suivant"));
}

void frmElvarine::scanList(int from, const QString& notFoundTitle)
{
    SearchState& search = state.search;
    const QString chaine = search.Chaine;
    // A record open in the form is searched as the form shows it, changes included: the record
    // being modified in place of its stored text, a new record (which has no entry yet) first
    // of all by Rechercher. A hit there leaves it open as it is.
    const bool adding = m_workflow.state() == RecordState::Adding;
    const int openEntry = m_workflow.formOpen() && !adding ? listIndex() : -1;
    auto formMatches = [this, &search, &chaine] {
        return recordMatches(search.CritereRech, chaine,
                             [this](FieldBox box) { return fieldText(box); });
    };
    if (adding && from == 0 && formMatches())
        return;
    const int indexBefore = search.IndexTrouve;

    m_searching = true;
    updateCommands();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_widgets.nameList->setFocus();
    const int generation = m_listGeneration;
    const std::vector<int> positions = m_listModel->positions();
    const auto groups = criterionColumnGroups(search.CritereRech);

    // One pass over the records in list order. Each entry passed counts as selected: an entry
    // whose record is not the first stored one becomes the remembered index.
    int indexTrouve = search.IndexTrouve;
    int found = -1;
    int cancelledAt = -1;
    std::optional<EngineError> readError;
    {
        // Pending events are processed now and then, so the window answers and Escape is seen.
        const EscapeWatch escape(*this, search.DemandeArret);
        QElapsedTimer sinceEvents;
        sinceEvents.start();
        auto stopRequested = [&] {
            QCoreApplication::processEvents();
            sinceEvents.restart();
            return search.DemandeArret == 1;
        };
        if (from < int(positions.size()) && stopRequested())
            cancelledAt = from;
        if (cancelledAt < 0) {
            try {
                m_binding.recordset().scanInOrder(
                    positions, from, groups, [&](int i, const QString& text) {
                        if (sinceEvents.elapsed() >= 25 && stopRequested()) {
                            cancelledAt = i;
                            return false;
                        }
                        if (positions[size_t(i)] > 0)
                            indexTrouve = i;
                        if (i == openEntry
                                ? formMatches()
                                : textMatches(text, chaine, QChar(Recordset::kGroupSeparator))) {
                            found = i;
                            return false;
                        }
                        return true;
                    });
            } catch (const EngineError& e) {
                readError = e;
            }
        }
    }
    m_searching = false;
    updateCommands();
    if (readError) {
        // The records could not be read (locked, damaged file): said so, not "non trouvée";
        // the selection stays where it was.
        restoreCursor();
        search.IndexTrouve = indexBefore;
        int response = 1;
        Data1_Error(readError->number, readError->text, response);
        return;
    }
    if (generation != m_listGeneration) {
        // The list was rebuilt meanwhile: its entries are no longer the ones scanned.
        QApplication::restoreOverrideCursor();
        return;
    }
    const bool recordOpen = m_workflow.formOpen();
    if (cancelledAt >= 0) {
        services.dialogs->msgBox(QStringLiteral("Recherche annulée"), vbInformation,
                                 QStringLiteral("Annulation"));
        search.DemandeArret = 0;
        restoreCursor();
        if (recordOpen) {
            // Nothing found: the open record stays as it is.
            search.IndexTrouve = indexBefore;
            return;
        }
        search.IndexTrouve = indexTrouve;
        setListIndex(cancelledAt);
        List1_Click();
        return;
    }
    restoreCursor();
    if (found >= 0) {
        if (found == openEntry) {
            search.IndexTrouve = found;
            return;
        }
        search.IndexTrouve = indexTrouve;
        // Showing another record settles the open one first (the user may keep it open).
        setListIndex(found);
        search.IndexTrouve = m_workflow.formOpen() ? indexBefore : listIndex();
        return;
    }
    services.dialogs->msgBox(QStringLiteral("Chaîne < ") + search.Chaine +
                                 QStringLiteral(" > non trouvée"),
                             vbInformation, notFoundTitle);
    if (recordOpen) {
        search.IndexTrouve = indexBefore;
        return;
    }
    search.IndexTrouve = indexTrouve;
    setListIndex(indexTrouve);
    List1_Click();
}
