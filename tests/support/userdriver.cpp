#include "userdriver.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <memory>

QList<QMenu*> windowMenus(QWidget* window)
{
    QList<QMenu*> menus;
    QList<QAction*> entries;
    for (QMenuBar* bar : window->findChildren<QMenuBar*>())
        entries += bar->actions();
    while (!entries.isEmpty()) {
        QMenu* menu = entries.takeFirst()->menu();
        if (menu && !menus.contains(menu)) {
            menus << menu;
            entries += menu->actions();
        }
    }
    return menus;
}

namespace
{

// The menu whose entries hold `action`, among the menus of `window`.
QMenu* menuHolding(QWidget* window, QAction* action)
{
    for (QMenu* menu : windowMenus(window)) {
        if (menu->actions().contains(action))
            return menu;
    }
    return nullptr;
}

// The letter after the '&' of a caption; a null character when it has none.
QChar mnemonicLetter(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (caption[i + 1] != QLatin1Char('&'))
                return caption[i + 1];
            ++i;
        }
    }
    return QChar();
}

QMenu* popupShown()
{
    QDeadlineTimer deadline(2000);
    while (!qobject_cast<QMenu*>(QApplication::activePopupWidget()) && !deadline.hasExpired())
        QTest::qWait(5);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

void closeMenus()
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

} // namespace

UserDriver::UserDriver(QWidget* window) : m_window(window)
{
    m_window->show();
    activate();
}

bool UserDriver::activate()
{
    m_window->activateWindow();
    return QTest::qWaitForWindowActive(m_window);
}

QWidget* UserDriver::focus() const
{
    QWidget* focused = QApplication::focusWidget();
    return focused ? focused : m_window;
}

void UserDriver::key(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(focus(), Qt::Key(key), modifiers);
}

void UserDriver::keys(const QKeySequence& sequence)
{
    for (int i = 0; i < sequence.count(); ++i)
        key(sequence[i].key(), sequence[i].keyboardModifiers());
}

void UserDriver::alt(QChar letter)
{
    key(letter.toUpper().unicode(), Qt::AltModifier);
}

void UserDriver::type(const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, focus(), Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void UserDriver::click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

void UserDriver::click(QToolBar* toolbar, QAction* action)
{
    click(toolbar->widgetForAction(action));
}

QMenu* UserDriver::openMenu(QChar letter)
{
    alt(letter);
    return popupShown();
}

bool UserDriver::chooseMenu(QAction* entry)
{
    // The way from the menu bar down to the entry.
    QList<QAction*> way{entry};
    QMenu* menu = menuHolding(m_window, entry);
    QMenu* top = nullptr;
    while (menu) {
        top = menu;
        QMenu* parent = menuHolding(m_window, menu->menuAction());
        if (parent)
            way.prepend(menu->menuAction());
        menu = parent;
    }
    if (!top || mnemonicLetter(top->title()).isNull())
        return false;
    QMenu* shown = openMenu(mnemonicLetter(top->title()));
    for (QAction* step : way) {
        if (!shown) {
            closeMenus();
            return false;
        }
        for (int tries = 0; shown->activeAction() != step && tries <= shown->actions().size();
             ++tries)
            QTest::keyClick(shown, Qt::Key_Down);
        if (shown->activeAction() != step) {
            closeMenus();
            return false;
        }
        if (step == entry)
            break;
        QMenu* parent = shown;
        QTest::keyClick(parent, Qt::Key_Right);
        shown = popupShown();
        if (shown == parent)
            shown = nullptr;
    }
    QTest::keyClick(shown, Qt::Key_Return);
    return true;
}

void UserDriver::whenModalShown(std::function<void(QWidget* modal)> handle)
{
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* poll = new QTimer;
    auto deadline = std::make_shared<QDeadlineTimer>(10000);
    QObject::connect(poll, &QTimer::timeout, [poll, before, deadline, handle] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != before && modal->isVisible()) {
            poll->stop();
            poll->deleteLater();
            handle(modal);
        } else if (deadline->hasExpired()) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}
