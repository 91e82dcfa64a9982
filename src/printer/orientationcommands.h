#pragma once

#include <QString>
#include <optional>

class QAction;
class QLabel;
struct Services;

// The orientation commands shared by the main window, the label window and the envelope
// window ("Imprimante en mode Portrait" / "Imprimante en mode Paysage" and their buttons).
//
// Switches the current printer to `orientation` (1 portrait, 2 landscape) in its stored
// settings, puts back the default paper and single-sided printing, and returns the orientation
// the printer then really has, for the check marks and the status label. Shows the hourglass
// meanwhile. With no printer installed it shows "Aucune imprimante n'est disponible" and returns
// nothing; any other failure returns nothing silently. Nothing returned: leave the marks as
// they are.
std::optional<int> changeOrientation(Services& services, int orientation);

// The current printer's orientation, or nothing when it cannot be read (errors are silent).
std::optional<int> readOrientation(Services& services);

// "En cours : Portrait" (1), "En cours : Paysage" (2); empty for anything else.
QString orientationStatusText(int orientation);

// Shows an orientation read back: `mnuImpPort` checked for 1, `mnuImpPays` checked for 2, the
// other cleared; `status` (may be null) gets the status text for 1 or 2 and is otherwise left
// unchanged. Nothing given: nothing changes.
void showOrientation(std::optional<int> orientation, QAction* mnuImpPort, QAction* mnuImpPays,
                     QLabel* status = nullptr);

// The orientation menu items show what the printer reports, not the user's click: a click no
// longer toggles the item's check mark by itself (the command sets the marks once the printer
// has answered, and leaves them when it failed). Call it before connecting the command.
void keepMarkOnClick(QAction* action);

// Menu opening: refreshes the two check marks (and the status label) from the printer;
// errors are ignored and leave them as they are.
void refreshOrientationMarks(Services& services, QAction* mnuImpPort, QAction* mnuImpPays,
                             QLabel* status = nullptr);

// "Configurer l'imprimante": the print-setup dialog; its choice becomes the current printer.
// A cancel or any error is silent. True when a choice was made.
bool configurePrinter(Services& services);
