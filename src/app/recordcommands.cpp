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
    // Toolbar button 14 stays on while a record is open: that record is settled first.
    if (!settleOpenRecord())
        return;
    m_workflow.startAdding();
    NewMode = 1;
    try {
        if (m_binding.hasRecordset())
            m_binding.AddNew();
    } catch (const EngineError&) {
    }
    field(FieldBox::Nom)->setFocus();
}

void frmElvarine::cmdUpdate_Click()
{
    // Toolbar button 17 stays on while a record is open: that record is settled first, then the
    // record shown opens for changes.
    if (!settleOpenRecord())
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
    if (!m_binding.hasRecordset() || !settleOpenRecord())
        return;
    try {
        Recordset& rs = m_binding.recordset();
        if (rs.RecordCount() > 1) {
            const int answer = services.dialogs->msgBox(
                QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\r") +
                    fieldText(FieldBox::Nom) + QLatin1Char(' ') + fieldText(FieldBox::Prenom),
                vbYesNo + vbQuestion, QStringLiteral("Supprimer la fiche"));
            if (answer == vbNo)
                return;
            try {
                rs.Delete();
            } catch (const EngineError& e) {
                if (isEngineMessage(e.number)) {
                    // Not deleted (changed by another program, file busy...): the user is told
                    // and sees the record as the file holds it now.
                    int response = 1;
                    Data1_Error(e.number, e.text, response);
                    m_binding.showCurrent();
                    Data1_Reposition();
                    return;
                }
            }
            try {
                m_binding.MoveNext();
            } catch (const EngineError&) {
            }
            cmdRefresh_Click();
        } else {
            services.dialogs->msgBox(
                QStringLiteral("La première fiche ne peut pas être supprimée !\r") +
                    QString(9, QLatin1Char(' ')) +
                    QStringLiteral("Vous ne pouvez que la modifier ."),
                vbInformation, QStringLiteral("Avertissement"));
            rs.Edit();
            rs.Update();
        }
    } catch (const EngineError&) {
    }
}

void frmElvarine::cmdRefresh_Click()
{
    // A store the file refused leaves the record in the form, so the user can correct it.
    if (!m_binding.Refresh())
        return;
    m_workflow.listRebuilt();
    m_listModel->clear();
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
    int position = selected;
    try {
        const Recordset& rs = m_binding.recordset();
        position = adding ? rs.RecordCount() : rs.AbsolutePosition();
    } catch (const EngineError&) {
    }
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
        m_listModel->fill(rs);
        ++m_listGeneration;
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
    } catch (const EngineError&) {
    }
    ActualPosition = position + 1;
    ChaineATrouver = listLine(fieldText(FieldBox::Nom), fieldText(FieldBox::Prenom));
}
