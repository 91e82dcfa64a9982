#pragma once

// For the start-up bench's children: once the first titled main window is shown, "shown" is
// written on the standard output and the process ends at once. Installed through
// watchFirstMainWindow() before the application object is made.
#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <cstdio>
#include <unistd.h>

class FirstMainWindowWatch : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            const auto* window = qobject_cast<QMainWindow*>(watched);
            if (window && !window->windowTitle().isEmpty()) {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                _exit(0);
            }
        }
        return false;
    }
};

inline void installFirstMainWindowWatch()
{
    QCoreApplication::instance()->installEventFilter(
        new FirstMainWindowWatch); // lives as long as the process
}

// Runs installFirstMainWindowWatch as soon as the application object exists.
inline void watchFirstMainWindow()
{
    qAddPreRoutine(installFirstMainWindowWatch);
}
