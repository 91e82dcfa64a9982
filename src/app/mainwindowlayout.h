#pragma once

#include "core/fieldbox.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

class QAbstractItemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMainWindow;
class QPushButton;
class QStatusBar;
class QWidget;

// The main window's widgets below the toolbar: the name list, the record form with its sixteen
// field boxes and Annuler, the frame of record buttons and the status bar with its three panels.
struct MainWindowWidgets {
    QLineEdit* filterBox = nullptr;                 // txtFiltre, above the name list
    QListView* nameList = nullptr;                  // List1
    QGroupBox* recordFrame = nullptr;               // Frame2
    std::array<QWidget*, kFieldBoxCount> fields{};  // txtFields, by box number
    std::array<QLabel*, kFieldBoxCount> captions{}; // their captions, by box number
    QPushButton* cancelButton = nullptr;            // CmdAnnul
    QGroupBox* buttonFrame = nullptr;               // Frame1
    QPushButton* addButton = nullptr;               // cmdAdd
    QPushButton* deleteButton = nullptr;            // cmdDelete
    QPushButton* refreshButton = nullptr;           // cmdRefresh
    QPushButton* updateButton = nullptr;            // cmdUpdate
    QPushButton* closeButton = nullptr;             // cmdClose
    QStatusBar* statusBar = nullptr;                // StatusBar1
    std::array<QLabel*, 3> panels{};                // Panel1..Panel3
    QLabel* selectionPanel = nullptr;               // lines selected, when more than one is
    QLabel* startHint = nullptr; // how to begin, shown while no address file is open
};

// The text of the start hint: the commands that give the window an address file.
QString startHintText();

// Builds the widgets into `window` (its central widget and status bar), the list showing
// `names`. `boxChanged` runs whenever the text of a field box changes.
MainWindowWidgets buildMainWindowWidgets(QMainWindow& window, QAbstractItemModel& names,
                                         const std::function<void(FieldBox)>& boxChanged);

// Sets up the name list `list` (List1) on `names`: its selection, its name for a screen reader.
void setUpNameList(QListView& list, QAbstractItemModel& names);

// Text of a field box as displayed.
QString fieldBoxText(const QWidget* box);
// Sets the text of field box `box` (widget `widget`); a text longer than the box accepts as typed
// widens its limit, so nothing stored is cut.
void setFieldBoxText(QWidget* widget, FieldBox box, const QString& text);
// Puts the text cursor of a field box after its text, nothing selected.
void putCursorAtEnd(QWidget* box);
// The box Enter or the Down arrow leads to from `box`; nothing from Notes, where Enter makes a
// new line.
std::optional<FieldBox> nextBox(FieldBox box);
