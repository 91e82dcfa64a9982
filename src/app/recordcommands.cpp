// The record workflow of the main window: Ajouter, Modifier, Annuler, Supprimer, Actualiser, and
// the name list whose selection makes a record current.
#include "app/frmelvarine.h"

#include "core/appstate.h"
#include "core/enginemessages.h"
#include "core/namelist.h"
#include "core/services.h"
#include "platform/dialogs.h"

#include <QGroupBox>
#include <QListView>

void frmElvarine::cmdAdd_Click()
{
    // Only in an address file (the start-up database is never written); toolbar button 14
    // stays on while a record is open: that record is settled first.
    if (state.FicAnOuvre != 1 || !settleOpenRecord())
        return;
    m_workflow.startAdding();
    NewMode = 1;
    // The store of the record shown, if any, reports its own failure; the new row is not in the
    // file yet, so nothing else can fail.
    m_binding.AddNew();
    field(FieldBox::Nom)->setFocus();
}

void frmElvarine::cmdUpdate_Click()
{
    // Toolbar button 17 stays on while a record is open: that record is settled first, then the
    // record shown opens for changes.
    if (state.FicAnOuvre != 1 || !settleOpenRecord())
        return;
    m_workflow.startModifying();
}

void frmElvarine::CmdAnnul_Click()
{
    m_workflow.cancel();
    m_widgets.nameList->setFocus();
}

void frmElvarine::cmdDelete_Click()
{
    if (state.FicAnOuvre != 1 || !m_binding.hasRecordset() || !settleOpenRecord())
        return;
    Recordset& rs = m_binding.recordset();
    if (rs.RecordCount() <= 1) {
        services.dialogs->msgBox(
            QStringLiteral("La première fiche ne peut pas être supprimée !\r") +
                QString(9, QLatin1Char(' ')) + QStringLiteral("Vous ne pouvez que la modifier ."),
            vbInformation, QStringLiteral("Avertissement"));
        return;
    }
    const int answer = services.dialogs->msgBox(
        QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\r") + fieldText(FieldBox::Nom) +
            QLatin1Char(' ') + fieldText(FieldBox::Prenom),
        vbYesNo + vbQuestion, QStringLiteral("Supprimer la fiche"));
    if (answer == vbNo)
        return;
    try {
        rs.Delete();
    } catch (const EngineError& e) {
        // Not deleted (changed or moved by another program, file busy or read-only...): the
        // user is told and sees the record as the file holds it now. A record no longer in the
        // file leaves the list, which shows the file as it is now.
        int response = 1;
        Data1_Error(e.number, e.text, response);
        if (e.number == errDeletedElsewhere) {
            cmdRefresh_Click();
            return;
        }
        m_binding.showCurrent();
        Data1_Reposition();
        return;
    }
    // Actualiser reads the file again (another program may have renumbered its rows) and shows
    // the first entry of the list.
    cmdRefresh_Click();
}

bool frmElvarine::nameGivenOrNothingToStore()
{
    if (!recordPending() || !nameMissing())
        return true;
    // What the boxes would store beyond the record as the file holds it (a new record: empty),
    // the empty mark and spaces counting as nothing.
    bool somethingTyped = false;
    for (FieldBox box : kAllFieldBoxes) {
        if (!m_changed[size_t(box)])
            continue;
        QString stored;
        if (m_workflow.state() != RecordState::Adding) {
            try {
                stored = m_binding.recordset().Field(columnOfBox(box)).toString();
            } catch (const EngineError&) {
                // The stored record cannot be read (damaged, or gone; said when it showed):
                // what the box holds counts as typed, so the name is asked for rather than
                // anything dropped.
                somethingTyped = true;
                break;
            }
        }
        if (fieldText(box).trimmed() != stored.trimmed()) {
            somethingTyped = true;
            break;
        }
    }
    if (!somethingTyped) {
        // Nothing but the empty marks: the record keeps what it holds (a new one is dropped).
        clearChanged();
        return true;
    }
    if (m_returningToName) {
        // Just asked for when the focus left the name box.
        if (!fieldText(FieldBox::Nom).isEmpty())
            setFieldText(FieldBox::Nom, QString());
    } else {
        askForTheName();
    }
    return false;
}

void frmElvarine::cmdRefresh_Click()
{
    // The name is mandatory for a record the user added or changed.
    if (!nameGivenOrNothingToStore())
        return;
    // A store the file refused leaves the record in the form, so the user can correct it.
    if (!m_binding.Refresh())
        return;
    m_workflow.listRebuilt();
    ++m_listGeneration;
    m_binding.Refresh();
    MAJList();
    if (m_listModel->rowCount() > 0) {
        {
            const QSignalBlocker block(m_widgets.nameList->selectionModel());
            m_widgets.nameList->setCurrentIndex(m_listModel->index(0));
        }
        List1_Click();
    }
    m_widgets.nameList->setFocus();
}

bool frmElvarine::settleOpenRecord()
{
    if (!m_workflow.formOpen() || !m_binding.hasRecordset())
        return true;
    // The record to show afterwards, by its stored place: a new record goes after the others.
    const bool adding = m_workflow.state() == RecordState::Adding;
    const int selected = m_listModel->recordPosition(listIndex());
    const Recordset& rs = m_binding.recordset();
    int position = adding ? rs.RecordCount() : rs.AbsolutePosition();
    if (recordPending()) {
        const int answer = services.dialogs->msgBox(
            QStringLiteral("Enregistrer les modifications de la fiche en cours ?"),
            vbYesNoCancel + vbQuestion, QStringLiteral("Elvarine"));
        if (answer == vbCancel)
            return false;
        if (answer == vbNo) {
            // The changes are dropped: Actualiser then stores nothing, and a new record goes.
            clearChanged();
            if (adding)
                position = selected;
        }
    } else if (adding) {
        position = selected; // an untouched new record is not stored
    }
    cmdRefresh_Click();
    if (m_workflow.formOpen())
        return false; // the file refused the record: it stays open to be corrected
    selectRecordAt(position);
    return true;
}

void frmElvarine::selectRecordAt(int position)
{
    const int index = m_listModel->indexOfPosition(position);
    if (index >= 0)
        setListIndex(index);
}

bool frmElvarine::recordPending() const
{
    if (!m_widgets.recordFrame->isEnabled() || !m_binding.hasRecordset())
        return false;
    for (FieldBox box : kAllFieldBoxes) {
        if (m_changed[size_t(box)])
            return true;
    }
    return false;
}

void frmElvarine::MAJList()
{
    try {
        Recordset& rs = m_binding.recordset();
        Counter = rs.RecordCount();
        // The lines of the records stored, added or deleted since are put at their places.
        m_listModel->sync(rs);
        followFilterIndex();
        ++m_listGeneration;
        // The filter stays: looked for again when the rows were read anew.
        if (!m_filterText.isEmpty() && !m_listModel->filtered())
            requestFilter();
        if (rs.RecordCount() > 0)
            m_binding.MoveFirst();
    } catch (const EngineError&) {
        services.dialogs->msgBox(QStringLiteral("Fichier Elvarine.mdb non trouvé !"), vbCritical,
                                 QStringLiteral("Erreur"));
        endProgram();
    }
}

void frmElvarine::List1_Click()
{
    m_workflow.recordSelected();
    const int index = listIndex();
    if (index < 0 || !m_binding.hasRecordset())
        return;
    ChaineARechercher = m_listModel->line(index);
    // The entry's own record: found through the list, not by stepping through the file.
    const int position = m_listModel->recordPosition(index);
    ActualPosition = position + 1;
    if (position > 0)
        state.search.IndexTrouve = index;
    try {
        m_binding.MoveTo(position);
    } catch (const EngineError& e) {
        int response = 1;
        Data1_Error(e.number, e.text, response);
    }
    ActualPosition = position + 1;
    ChaineATrouver = listLine(fieldText(FieldBox::Nom), fieldText(FieldBox::Prenom));
}
