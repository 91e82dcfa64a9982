#pragma once

#include "core/fieldbox.h"
#include "phone/dialersettings.h"

#include <QString>
#include <QUrl>
#include <array>
#include <functional>
#include <optional>

class QDialog;
class QObject;
class QWidget;
class RecordForm;
struct AppState;
struct Services;

// The number items of the main window's "&Composer" menu: Mnu_Tel1 (Téléphone), Mnu_Tel2
// (Téléphone1), Mnu_Tel3 (Portable).
struct TelMenuItem {
    QString name;                       // objectName of the menu item
    FieldBox box = FieldBox::Telephone; // field box it dials
    QString caption; // the label followed by the number, or by underscores when there is none
    bool enabled = false;
};

struct TelMenuState {
    std::array<TelMenuItem, 3> items;
    // Check mark of Mnu_TelElvarine (Mnu_TelWindows has the reverse); nothing: leave both.
    std::optional<bool> elvarineChecked;
};

// How the menu shows for the current record and dialer choice.
TelMenuState telMenuState(const DialerSettings& dialer, const RecordForm& form);
// Opening of the "&Composer" menu: applies telMenuState to the items named Mnu_Tel1..Mnu_Tel3,
// Mnu_TelElvarine and Mnu_TelWindows found among `mnuTel`'s descendants.
void Mnu_Tel_Click(QObject& mnuTel, const AppState& state, const RecordForm& form);

// The address handed to the desktop's telephony handler: "tel:" + the number percent-encoded,
// exactly as displayed (spaces become %20).
QUrl telUrl(const QString& number);
// Version of the SQLite library in use, "3.40.1"; empty when it cannot be asked.
QString sqliteVersionText();

// Runs a window modally; the main window passes its own (which reactivates it afterwards).
using ModalRunner = std::function<int(QDialog&)>;

// Dials the number of field box `box` with the chosen dialer: the program's modem dialer opens
// with the number proposed, or the desktop's telephony handler gets it.
void dialFieldBox(FieldBox box, AppState& state, Services& services, const RecordForm& form,
                  QWidget* parent, const ModalRunner& runModal = ModalRunner());
void Mnu_Tel1_Click(AppState& state, Services& services, const RecordForm& form, QWidget* parent,
                    const ModalRunner& runModal = ModalRunner());
void Mnu_Tel2_Click(AppState& state, Services& services, const RecordForm& form, QWidget* parent,
                    const ModalRunner& runModal = ModalRunner());
void Mnu_Tel3_Click(AppState& state, Services& services, const RecordForm& form, QWidget* parent,
                    const ModalRunner& runModal = ModalRunner());
