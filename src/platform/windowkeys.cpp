#include "platform/windowkeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

namespace
{

// The window a command belongs to: that of the nearest widget above it that is not a pop-up
// menu (a menu is a window of its own).
QWidget* windowOf(const QObject* object)
{
    for (const QObject* o = object; o; o = o->parent()) {
        const auto* widget = qobject_cast<const QWidget*>(o);
        if (widget && widget->windowType() != Qt::Popup)
            return widget->window();
    }
    return nullptr;
}

// True when an enabled command of `window` has `keys` for shortcut.
bool windowCommandUses(QWidget* window, const QKeySequence& keys)
{
    QList<QAction*> commands = window->actions();
    commands += window->findChildren<QAction*>();
    for (const QAction* command : commands) {
        if (command->isEnabled() && command->shortcuts().contains(keys) &&
            windowOf(command) == window)
            return true;
    }
    return false;
}

bool isEnterKey(const QKeyEvent* key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

class WindowKeyRules : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            // A widget accepting this event keeps the keys; left unaccepted, they reach the
            // window's command.
            auto* widget = qobject_cast<QWidget*>(watched);
            auto* key = static_cast<QKeyEvent*>(event);
            if (widget && key->modifiers() != Qt::NoModifier &&
                windowCommandUses(widget->window(), QKeySequence(key->keyCombination()))) {
                event->ignore();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            auto* button = qobject_cast<QPushButton*>(watched);
            if (button && button == QApplication::focusWidget() && button->isEnabled() &&
                isEnterKey(static_cast<QKeyEvent*>(event))) {
                button->click();
                return true;
            }
        }
        return false;
    }
};

} // namespace

void useWindowKeyRules()
{
    // One set of rules for the application that runs (tests make several in turn).
    static QPointer<WindowKeyRules> rules;
    auto* app = QCoreApplication::instance();
    if (!app || rules)
        return;
    rules = new WindowKeyRules(app);
    app->installEventFilter(rules);
}
