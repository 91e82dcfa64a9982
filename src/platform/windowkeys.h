#pragma once

// The keyboard rules every window of the program follows, whatever control has the focus:
// - a shortcut of the window's own commands (its menu entries, enabled) works from anywhere in
//   the window, text boxes included, though a text box would otherwise keep the keys for
//   itself (Ctrl+C, Ctrl+E, ... of a line edit);
// - Enter on a focused push button presses it, in the main window as in every dialog.
// The rules are set once for the whole program; each window asks for them when it is built.
void useWindowKeyRules();
