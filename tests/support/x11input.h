#pragma once

#include <QString>

class QWidget;

// Input that goes through the X server as a user's (or a window manager's) does, for the tests
// named *_x11 that run under Xvfb: the window system then decides which window gets it, and
// a window blocked by a modal one gets nothing. Keys and clicks go through xdotool.
namespace x11
{

// True when the program runs on the X server (the xcb platform) and xdotool is there.
bool available();
// Gives `window` the X server's keyboard focus, as a click on it in a desktop does.
bool focus(QWidget* window);
// Keys such as "ctrl+o" sent to `window` itself (even when another window has the focus).
bool keysTo(QWidget* window, const QString& keys);
// Keys typed where the X server's focus is, after it was given to `window` (a click on a
// window gives it the focus in a desktop).
bool keysFocusing(QWidget* window, const QString& keys);
// A left click in the middle of `widget`, the pointer moved there first.
bool click(QWidget* widget);
// Asks `window` to close, as a window manager does when its close button is pressed
// (WM_DELETE_WINDOW).
void closeRequest(QWidget* window);
// Waits until the program has handled every event the X server sent it before this call.
bool sync();

} // namespace x11
