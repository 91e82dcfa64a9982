#pragma once

#include "app/maincommands.h"
#include "app/mainwindowlayout.h"
#include "app/recordworkflow.h"
#include "core/recordbinding.h"
#include "core/recordform.h"
#include "core/rownumbers.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class CommonDialog;
class ListFilter;
class NameListModel;
class QAction;
class QDialog;
class QLineEdit;
class QListView;
enum class ProgramFile;
struct AppState;
struct Services;

// The main window: name list on the left, record form on the right, menus, toolbar and status
// bar. It lives for the whole run and opens every other window. Its commands are split by job:
// the command table and the menus' enabling (maincommands.cpp), the record workflow
// (recordcommands.cpp), the file commands and start-up (filecommands.cpp), the search
// (searchcommands.cpp) and the record copy (copycommands.cpp).
class frmElvarine : public QMainWindow, public RecordForm, private BoundFields
{
    Q_OBJECT

public:
    frmElvarine(AppState& state, Services& services, QWidget* parent = nullptr);
    ~frmElvarine() override;

    // Start-up and activation (after loading, and each time one of the program's own windows
    // closes and returns here).
    void Form_Load();
    void Form_Activate();

    // File commands
    void Mnu_Nouveau_Click();
    void Mnu_Ouvrir_Click();
    // "Importer des contacts...": into the open address file; with none open, into the default
    // address file, made for the contacts when there is none.
    void Mnu_ImporterContacts_Click();
    // Opens the address file `path` (known to exist). A file that is not a valid address file
    // is refused with a message and the file already open stays open.
    bool openAddressFile(const QString& path);
    // An address file named on the command line: the first activation opens it in place of
    // the default file, with the refusals of Ouvrir.
    void setStartupFile(const QString& path) { m_startupFile = path; }

    // Menu openings: the printer's check marks; the other menus' entries follow the program's
    // state at every change (updateCommands).
    void Mnu_Fichier_Click();
    void Mnu_Edition_Click();
    void Mnu_Tel_Click();

    // Record workflow
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void CmdAnnul_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    // "&Quitter" (the button, the menu entry and toolbar button 6).
    void cmdClose_Click();

    // Name list
    void MAJList();
    void List1_Click();

    // Search
    void Mnu_Rechercher_Click();
    void Mnu_Suivant_Click();

    // Record copy and paste
    void Mnu_CopieFiche_Click();
    void Mnu_CollerFiche_Click();

    void Mnu_Aide_Click();
    void Mnu_Apropos_Click();

    // Runs `dialog` modally, then the activation of this window.
    int runModal(QDialog& dialog);

    // Before a command that works on the stored records or shows another record: a record open
    // in the form is settled. When it was changed, "Enregistrer les modifications de la fiche
    // en cours ?" is asked, as on quitting: Yes stores it as Actualiser does, No drops the
    // changes, Cancel leaves it open. An open record without changes is closed as Actualiser
    // closes it. Afterwards the record shown is the one that was open (after No, the entry
    // selected in the list). False when the command must stop: Cancel, or a store refused.
    bool settleOpenRecord();

    // RecordForm
    QString fieldText(FieldBox box) const override;
    int listCount() const override;
    int listIndex() const override;
    void setListIndex(int index) override;

    // Sets a box's text as if typed (counts as a change of the record).
    void setFieldText(FieldBox box, const QString& text);
    QWidget* field(FieldBox box) const { return m_widgets.fields[size_t(box)]; }
    QListView* list() const { return m_widgets.nameList; }
    // The filter box above the name list (Ctrl+L): the list keeps the lines of the records
    // holding its text in any field, letter case and accents aside.
    QLineEdit* filterBox() const { return m_widgets.filterBox; }
    void focusFilter();
    // Memory the filter's index of the open file holds, once read (waits for it; benches).
    size_t filterIndexBytes() const;
    // The text of the selection panel of the status bar ("12 lignes sélectionnées").
    QString selectionPanelText() const;
    // Stored positions of the records whose lines are selected in the name list, in list order
    // (the record shown alone when a single line is selected; empty when none is).
    std::vector<int> selectedRecordPositions() const;
    // Stored positions of every line of the name list, in list order (a filter aside).
    std::vector<int> listRecordPositions() const;
    QString listText(int index) const;
    // The action of a command: its menu entry and toolbar button.
    QAction* command(Command id) const { return m_commands.action(id); }
    // Toolbar button by its index 1..20 (7, 10, 13 and 18 are separators).
    QAction* toolbarButton(int index) const { return m_commands.toolbarButton(index); }
    QString panelText(int panel) const; // 1..3
    RecordBinding& binding() { return m_binding; }
    // A record open in the form with changes not stored yet.
    bool recordPending() const;
    RecordState recordState() const { return m_workflow.state(); }

    AppState& state;
    Services& services;

    int NewMode = 0;
    int ActualPosition = 0;
    int Counter = 0;
    QString ChaineARechercher;
    QString ChaineATrouver;

signals:
    // The user quit: the program ends.
    void programEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // BoundFields
    void showField(FieldBox box, const QString& text) override;
    bool fieldChanged(FieldBox box) const override;
    void clearChanged() override;

    // Every command's enabled state (and the captions that show the record), derived from the
    // program's state: the record workflow, the open file, the copy buffer, the search text, the
    // field boxes. Run at each change of any of them.
    void updateCommands();
    // Shows the list entry of the record stored at `position`, if it has one.
    void selectRecordAt(int position);

    void txtFields_Change(FieldBox box);
    void txtFields_GotFocus(FieldBox box);
    void txtFields_LostFocus(FieldBox box);
    // The name box is empty or holds only spaces.
    bool nameMissing() const;
    // "Saisie obligatoire pour le nom !", then the name box emptied and given the focus back.
    void askForTheName();
    // Before a store of the form: a record added or changed without a name is refused (the
    // message, the focus on the name; false). One whose boxes hold nothing more than what is
    // stored (for a new record: nothing) is left as it is stored (true).
    bool nameGivenOrNothingToStore();
    bool txtFields_KeyDown(FieldBox box, int key);
    void Data1_Validate(int action, int& save);
    void Data1_Reposition();
    void Data1_Error(int dataErr, const QString& text, int& response);
    void bindStartupDatabase();
    // Creates the address file `path` with its empty table and returns it open; a failure is
    // said (nothing is left behind) and gives null.
    std::unique_ptr<Database> createAddressFile(const QString& path);
    // Opens a file the user named (Ouvrir, the command line): a missing file or one that is not
    // an address file is refused with its message.
    void openNamedFile(const QString& path);
    // Shows or hides what needs an open address file: the form, the buttons, the status bar, the
    // list, and the Edition and Impression menus.
    void showFileControls(bool open);
    // Where one of the program's files lives (start-up database, help, default address file).
    QString programFile(ProgramFile file) const;
    bool confirmQuit();
    void endProgram();
    std::optional<FieldBox> boxOf(QObject* object) const;
    void scanList(int from, const QString& notFoundTitle);
    // The list filter: the box's text changed; a search for it is asked of the filter's
    // thread; its result (the row numbers found, for request `tag`) is shown.
    void filterTextChanged(const QString& text);
    void requestFilter();
    // The filter's index follows the record set.
    void followFilterIndex();
    void filterFound(quint64 tag, RowNumbers rowids);
    // After the lines shown changed: the line of the record shown is made current again; when
    // it is not shown, the first line is selected and its record shown.
    void showRecordLine(int position);
    void updateSelectionCount();

    RecordBinding m_binding;
    std::unique_ptr<CommonDialog> m_commonDialog;
    NameListModel* m_listModel = nullptr;
    MainWindowWidgets m_widgets;
    MainCommands m_commands;
    RecordWorkflow m_workflow;
    std::array<bool, kFieldBoxCount> m_changed{};
    QPointer<QWidget> m_helpWindow;
    QString m_startupFile; // named on the command line, until the first activation opens it

    bool m_showing = false;         // boxes being filled by the binding, not by the user
    bool m_inFocusRule = false;     // the mandatory-name message is up
    bool m_returningToName = false; // the focus is on its way back to the name box
    bool m_quitting = false;
    bool m_searching = false;
    bool m_updatingCommands = false;
    bool m_commandsAgain = false;
    int m_listGeneration = 0; // counts the fillings of the name list
    std::unique_ptr<ListFilter> m_filter;
    QString m_filterText; // folded; empty without a filter
    quint64 m_filterTag = 0;
    const void* m_filterTable = nullptr; // the name table and its version a request was for
    quint64 m_filterVersion = 0;
};
