#pragma once

#include "core/fieldbox.h"
#include "core/state/dialersettings.h"

#include <QString>
#include <QUrl>
#include <array>
#include <functional>
#include <optional>

class QAction;
class RecordForm;
struct AppState;
struct Services;

// The number items of the main window's "&Composer" menu: Mnu_Tel1 (Téléphone), Mnu_Tel2
// (Téléphone1), Mnu_Tel3 (Portable).
struct TelMenuItem {
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
// Opening of the "&Composer" menu: shows `menu` on the number items Mnu_Tel1..Mnu_Tel3
// (`numbers`, "&" in a number shown as itself) and the dialer choices Mnu_TelElvarine and
// Mnu_TelWindows.
void showTelMenu(const TelMenuState& menu, const std::array<QAction*, 3>& numbers,
                 QAction* elvarine, QAction* windows);

// The address handed to the desktop's telephony handler: "tel:" + the number percent-encoded,
// exactly as displayed (spaces become %20).
QUrl telUrl(const QString& number);

// Dials the number of field box `box` (Mnu_Tel1..Mnu_Tel3) with the chosen dialer: the number
// becomes NumeroAppel and `openModemDialer` opens the program's modem dialer, or the desktop's
// telephony handler gets it.
void dialTelephone(FieldBox box, AppState& state, Services& services, const RecordForm& form,
                   const std::function<void()>& openModemDialer);
