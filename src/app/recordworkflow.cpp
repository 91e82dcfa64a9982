#include "app/recordworkflow.h"

#include <QAction>
#include <QPushButton>
#include <QWidget>
#include <iterator>

namespace
{

// The controls of one state: on (enabled; for Annuler, shown) or off.
struct ControlStates {
    bool recordFrame;
    bool nameList;
    bool add;
    bool remove;
    bool refresh;
    bool toolbarRefresh;
    bool update;
    bool close;
    bool cancelShown;
};

// By RecordState: E enabled, D disabled; Annuler V visible, H hidden. Browse is the state
// Actualiser leaves; a selection then turns the form, Actualiser and toolbar button 16 off (see
// RecordWorkflow), which gives the browsing state of a record selected in the list.
constexpr bool E = true, D = false, V = true, H = false;
// clang-format off
constexpr ControlStates kControlTable[] = {
    //                          form list add delete refresh tb16 update close Annuler
    /* Browse */               {D,   E,   E,  E,     E,      E,   E,     E,    H},
    /* Adding */               {E,   D,   D,  D,     E,      E,   D,     D,    H},
    /* ModifyingUnchanged */   {E,   D,   D,  D,     E,      E,   D,     D,    V},
    /* ModifyingChanged */     {E,   D,   D,  D,     E,      E,   D,     D,    H},
    /* AddingCancelShown */    {E,   D,   D,  D,     E,      E,   D,     D,    V},
};
// clang-format on
static_assert(std::size(kControlTable) == size_t(RecordState::AddingCancelShown) + 1,
              "one row of controls per record state");

} // namespace

void RecordWorkflow::startAdding()
{
    const bool cancelShown =
        m_state == RecordState::ModifyingUnchanged || m_state == RecordState::AddingCancelShown;
    enter(cancelShown ? RecordState::AddingCancelShown : RecordState::Adding, false);
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
    enter(m_state, true);
}

void RecordWorkflow::fieldChanged()
{
    if (m_state == RecordState::ModifyingUnchanged)
        enter(RecordState::ModifyingChanged, m_closedBySelection);
    else if (m_state == RecordState::AddingCancelShown)
        enter(RecordState::Adding, m_closedBySelection);
}

void RecordWorkflow::enter(RecordState state, bool closedBySelection)
{
    m_state = state;
    m_closedBySelection = closedBySelection;
    apply();
}

void RecordWorkflow::apply() const
{
    ControlStates on = kControlTable[size_t(m_state)];
    if (m_closedBySelection)
        on.recordFrame = on.refresh = on.toolbarRefresh = false;
    // The form first: while it closes, no box takes the focus on its way out.
    m_controls.recordFrame->setEnabled(on.recordFrame);
    m_controls.nameList->setEnabled(on.nameList);
    m_controls.addButton->setEnabled(on.add);
    m_controls.deleteButton->setEnabled(on.remove);
    m_controls.refreshButton->setEnabled(on.refresh);
    m_controls.toolbarRefresh->setEnabled(on.toolbarRefresh);
    m_controls.updateButton->setEnabled(on.update);
    m_controls.closeButton->setEnabled(on.close);
    m_controls.cancelButton->setVisible(on.cancelShown);
}
