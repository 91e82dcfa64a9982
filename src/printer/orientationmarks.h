#pragma once

#include <optional>

class QAction;
class QLabel;
struct Services;

// The orientation check marks and status label of the windows that switch the printer (the
// main window, the label window and the envelope window); the switching itself is in
// orientationcommands.h.

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
