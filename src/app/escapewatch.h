#pragma once

#include <QObject>

class QWidget;

// Watches for Escape while a long loop of a window runs (a loop that processes pending events
// as it goes): for as long as it exists, Escape pressed anywhere in `window` sets `stopFlag` to 1.
// It looks at the application's events only during its own lifetime.
class EscapeWatch : public QObject
{
public:
    EscapeWatch(const QWidget& window, int& stopFlag);
    ~EscapeWatch() override;
    EscapeWatch(const EscapeWatch&) = delete;
    EscapeWatch& operator=(const EscapeWatch&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QWidget& m_window;
    int& m_stopFlag;
};
