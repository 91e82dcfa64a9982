#include "app/recordworkflow.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <iterator>
#include <utility>

namespace
{

// The controls of one state: on (enabled; for Annuler, shown) or off. Actualiser's push button
// and toolbar button 16 share one column.
struct ControlStates {
    bool recordFrame;
    bool nameList;
    bool add;
    bool remove;
    bool refresh;
    bool update;
    bool close;
    bool cancelShown;
    bool toolbarRecord; // toolbar buttons 14 (Ajouter), 15 (Supprimer), 17 (Modifier)
};

// By RecordState: E enabled, D disabled; Annuler V visible, H hidden. Browse is the state
// Actualiser leaves; a selection then turns the form and Actualiser off (see RecordWorkflow),
// which gives the browsing state of a record selected in the list.
constexpr bool E = true, D = false, V = true, H = false;
// clang-format off
constexpr ControlStates kControlTable[] = {
    //                          form list add delete refresh update close Annuler toolbar
    /* Browse */               {D,   E,   E,  E,     E,      E,     E,    H,      E},
    /* Adding */               {E,   D,   D,  D,     E,      D,     D,    H,      E},
    /* ModifyingUnchanged */   {E,   D,   D,  D,     E,      D,     D,    V,      E},
    /* ModifyingChanged */     {E,   D,   D,  D,     E,      D,     D,    H,      E},
};
// No address file open: nothing to add to, delete, store or modify.
constexpr ControlStates kNoFileControls = {D, D, D, D, D, D, D, H, D};
// clang-format on
static_assert(std::size(kControlTable) == size_t(RecordState::ModifyingChanged) + 1,
              "one row of controls per record state");

// True when `focus` is `control` or inside it.
bool holds(const QWidget* control, const QWidget* focus)
{
    return focus && control && (focus == control || control->isAncestorOf(focus));
}

} // namespace

void RecordWorkflow::startAdding()
{
    enter(RecordState::Adding, false);
}

void RecordWorkflow::startModifying()
{
    enter(RecordState::ModifyingUnchanged, false);
}

void RecordWorkflow::cancel()
{
    enter(RecordState::Browse, true);
}

void RecordWorkflow::listRebuilt()
{
    enter(RecordState::Browse, false);
}

void RecordWorkflow::recordSelected()
{
    enter(RecordState::Browse, true);
}

void RecordWorkflow::fieldChanged()
{
    if (m_state == RecordState::ModifyingUnchanged)
        enter(RecordState::ModifyingChanged, m_closedBySelection);
}

void RecordWorkflow::enter(RecordState state, bool closedBySelection)
{
    m_state = state;
    m_closedBySelection = closedBySelection;
    if (m_changed)
        m_changed();
    else
        apply();
}

void RecordWorkflow::apply() const
{
    ControlStates on = m_fileOpen ? kControlTable[size_t(m_state)] : kNoFileControls;
    if (m_closedBySelection)
        on.recordFrame = on.refresh = false;
    // While the form opens, a control that closes with the focus in it would hand the focus on
    // to the next one, a field box perhaps, whose entering rule changes the record: the focus
    // is parked first. (While the form closes, it closes first, so no box takes the focus.)
    QWidget* focus = QApplication::focusWidget();
    const std::pair<QWidget*, bool> closing[] = {
        {m_controls.nameList, on.nameList},        {m_controls.addButton, on.add},
        {m_controls.deleteButton, on.remove},      {m_controls.refreshButton, on.refresh},
        {m_controls.updateButton, on.update},      {m_controls.closeButton, on.close},
        {m_controls.cancelButton, on.cancelShown},
    };
    for (const auto& [control, stays] : closing) {
        if (on.recordFrame && !stays && holds(control, focus) && m_controls.focusPark) {
            m_controls.focusPark->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
    m_controls.recordFrame->setEnabled(on.recordFrame);
    m_controls.nameList->setEnabled(on.nameList);
    m_controls.addButton->setEnabled(on.add);
    m_controls.deleteButton->setEnabled(on.remove);
    m_controls.refreshButton->setEnabled(on.refresh);
    m_controls.toolbarRefresh->setEnabled(on.refresh);
    m_controls.updateButton->setEnabled(on.update);
    m_controls.closeButton->setEnabled(on.close);
    m_controls.cancelButton->setVisible(on.cancelShown);
    for (QAction* button :
         {m_controls.toolbarAdd, m_controls.toolbarDelete, m_controls.toolbarUpdate}) {
        if (button)
            button->setEnabled(on.toolbarRecord);
    }
}
