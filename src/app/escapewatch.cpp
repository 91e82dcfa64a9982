#include "app/escapewatch.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

EscapeWatch::EscapeWatch(const QWidget& window, int& stopFlag)
    : m_window(window), m_stopFlag(stopFlag)
{
    QCoreApplication::instance()->installEventFilter(this);
}

EscapeWatch::~EscapeWatch()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool EscapeWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == &m_window)
            m_stopFlag = 1;
    }
    return false;
}
