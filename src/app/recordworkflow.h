#pragma once

class QAction;
class QPushButton;
class QWidget;

// The states of the record form.
enum class RecordState {
    Browse,             // a record shown, the form closed to input
    Adding,             // a new record being typed; only Actualiser ends it
    ModifyingUnchanged, // the record shown open for changes, nothing changed yet: Annuler shows
    ModifyingChanged,   // the same once a box has changed: Annuler is gone
    // Ajouter from toolbar button 14 (which stays on while a record is open) while modifying
    // with nothing changed: Annuler stays until a box changes.
    AddingCancelShown,
};

// The controls the record workflow opens and closes.
struct WorkflowControls {
    QWidget* recordFrame = nullptr; // the form with the field boxes
    QWidget* nameList = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* refreshButton = nullptr;
    QPushButton* updateButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QAction* toolbarRefresh = nullptr; // toolbar button 16
};

// Which controls are on in each state. Selecting a name in the list closes the form again: the
// form, Actualiser and toolbar button 16 go off whatever the state, the other controls stay as
// they are (so a selection made by another command while a record is open, a search for
// instance, leaves every record button off until Ajouter, Modifier or Actualiser).
class RecordWorkflow
{
public:
    void setControls(const WorkflowControls& controls) { m_controls = controls; }

    RecordState state() const { return m_state; }
    void startAdding();    // Ajouter
    void startModifying(); // Modifier
    void cancel();         // Annuler: back to browsing, the form closed
    void listRebuilt();    // Actualiser stored the record and rebuilt the list
    void recordSelected(); // a name was selected in the list
    void fieldChanged();   // any box's text changed

private:
    void enter(RecordState state, bool closedBySelection);
    void apply() const;

    WorkflowControls m_controls;
    RecordState m_state = RecordState::Browse;
    bool m_closedBySelection = false;
};
