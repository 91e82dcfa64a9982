#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QToolBar;
class QWidget;

// The menus reached from the menu bars of `window`, sub-menus included.
QList<QMenu*> windowMenus(QWidget* window);

// Drives a window as a user does: the window shown and active, keys sent to the widget that has
// the focus, mnemonics and shortcuts as real key events, menus opened with Alt and their letter
// and walked with the arrow keys, mouse clicks on the controls themselves.
class UserDriver
{
public:
    // Shows `window` and makes it the active window.
    explicit UserDriver(QWidget* window);

    QWidget* window() const { return m_window; }
    // Makes the window active again (after another window closed, for instance); false when it
    // did not become active.
    bool activate();
    // The widget that has the keyboard focus (the window itself when no widget has).
    QWidget* focus() const;

    // One key, with modifiers, to the focused widget.
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A shortcut such as "Ctrl+E" or "F3", to the focused widget.
    void keys(const QKeySequence& sequence);
    // Alt and a letter: a mnemonic of the window.
    void alt(QChar letter);
    // Types `text` into the focused widget, one character at a time (accents included).
    void type(const QString& text);

    // A mouse click in the middle of `widget`.
    void click(QWidget* widget);
    // A click on the button of `action` in `toolbar`.
    void click(QToolBar* toolbar, QAction* action);

    // Chooses `entry` from the window's menu bar: Alt and the letter of its menu, then the arrow
    // keys (Right into a sub-menu) up to the entry, then Enter. False when the way was blocked
    // (a menu without a letter, an entry that cannot be reached).
    bool chooseMenu(QAction* entry);
    // Opens the menu bar's menu whose title has `letter` (Alt+letter); the menu shown, or null.
    QMenu* openMenu(QChar letter);

    // Runs `handle` on the next modal window once it is shown (the command that opens it does
    // not return before the window closes). `handle` must close it.
    static void whenModalShown(std::function<void(QWidget* modal)> handle);

private:
    QWidget* m_window;
};
