#pragma once

#include <functional>

class QAction;
class QPushButton;
class QWidget;

// The states of the record form.
enum class RecordState {
    Browse,             // a record shown, the form closed to input
    Adding,             // a new record being typed; only Actualiser ends it
    ModifyingUnchanged, // the record shown open for changes, nothing changed yet: Annuler shows
    ModifyingChanged,   // the same once a box has changed: Annuler is gone
};

// The controls the record workflow opens and closes. Actualiser's toolbar button 16 follows its
// push button; toolbar buttons 14 (Ajouter), 15 (Supprimer) and 17 (Modifier) stay on whatever
// the state (their commands settle a record left open in the form before they act), as long as
// an address file is open: without one, every record control is off.
struct WorkflowControls {
    QWidget* recordFrame = nullptr; // the form with the field boxes
    QWidget* nameList = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* refreshButton = nullptr;
    QPushButton* updateButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QAction* toolbarRefresh = nullptr;
    QAction* toolbarAdd = nullptr;
    QAction* toolbarDelete = nullptr;
    QAction* toolbarUpdate = nullptr;
    // Where the keyboard focus goes when the control holding it is closed by a change of state:
    // never a field box, whose focus rules would change the record.
    QWidget* focusPark = nullptr;
};

// Which controls are on in each state. Selecting a name in the list shows a stored record and
// closes the form: Browse, with Actualiser off until the next Ajouter, Modifier or Actualiser.
class RecordWorkflow
{
public:
    void setControls(const WorkflowControls& controls) { m_controls = controls; }
    // Run after each change of state; it must end with apply().
    void onChange(std::function<void()> changed) { m_changed = std::move(changed); }

    RecordState state() const { return m_state; }
    // Whether an address file is open (set before apply()).
    void setFileOpen(bool open) { m_fileOpen = open; }
    // True while a record is being added or modified.
    bool formOpen() const { return m_state != RecordState::Browse; }

    void startAdding();    // Ajouter
    void startModifying(); // Modifier
    void cancel();         // Annuler: back to browsing, the form closed
    void listRebuilt();    // Actualiser stored the record and rebuilt the list
    void recordSelected(); // a stored record was selected in the list
    void fieldChanged();   // any box's text changed

    // Sets every control as the state wants it.
    void apply() const;

private:
    void enter(RecordState state, bool closedBySelection);

    WorkflowControls m_controls;
    std::function<void()> m_changed;
    RecordState m_state = RecordState::Browse;
    bool m_closedBySelection = false;
    bool m_fileOpen = false;
};
