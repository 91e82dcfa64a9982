#pragma once

#include "core/state/dialersettings.h"

#include <QByteArray>
#include <QString>

struct AppState;
struct Services;

// "Telephon.cfg": the three dialer settings, one per line in decimal, CR LF line ends.
QString telephonCfgPath(const AppState& state);
QByteArray telephonCfgBytes(const DialerSettings& settings);
// Reads the settings from the file's bytes; values that cannot be read keep the defaults.
DialerSettings parseTelephonCfg(const QByteArray& bytes);

// Start-up: the settings from the program folder's "Telephon.cfg", or the defaults when there is
// no such file (or it cannot be read).
void ChargeTelephonCfg(AppState& state);
// Rewrites "Telephon.cfg" whole with the current settings. A failure is reported with a message
// and gives false; the settings in memory stay as they are.
bool SauveTelephonCfg(const AppState& state, Services& services);

// Start-up step of the main window.
void loadStartupDialerSettings(AppState& state, Services& services);

// Dialer choice of the "&Composer" menu: the program's own modem dialer, or the desktop's.
void chooseModemDialer(AppState& state, Services& services);
void chooseDesktopDialer(AppState& state, Services& services);
