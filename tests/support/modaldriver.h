#pragma once

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

// Runs `act` on each modal window that comes up while a command runs (polled from the event
// loop of the modal windows themselves), once the window is shown; with `untilFocused`, once
// it is also the active window with the keyboard focus in it, for an `act` that sends keys (a
// window opened from a menu is not always the active one at once). A window for which `act`
// returns false is offered again.
class ModalDriver : public QObject
{
public:
    explicit ModalDriver(std::function<bool(QWidget*)> act, bool untilFocused = false)
        : m_act(std::move(act))
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this, untilFocused] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == m_last || !modal->isVisible())
                return;
            if (untilFocused) {
                modal->activateWindow();
                const bool focused = QTest::qWaitFor([modal] {
                    QWidget* focus = QApplication::focusWidget();
                    return modal->isActiveWindow() && focus && focus->window() == modal;
                });
                if (!focused)
                    return;
            }
            if (m_act(modal))
                m_last = modal;
        });
        m_timer.start();
    }

private:
    std::function<bool(QWidget*)> m_act;
    QPointer<QWidget> m_last;
    QTimer m_timer;
};
