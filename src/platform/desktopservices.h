#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// What the program asks of the desktop: open an address with the user's own program,
// start another program without waiting for it.
class DesktopServices
{
public:
    virtual ~DesktopServices() = default;
    // False when the desktop has no handler for the address or refused it.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts `program` with `arguments` as separate arguments (no shell); false when it
    // could not be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};

// The desktop's own opener, xdg-open, run with the address as its one argument, and waited for:
// it ends once the address is handed to its program (0), or with an error when the desktop has
// no program for it or the program refused it. An opener still running after `waitMs` is taken
// as having handed the address on (some keep waiting for the program they started) and is left
// to run. The window is painted meanwhile, but takes no input.
class QtDesktopServices : public DesktopServices
{
public:
    explicit QtDesktopServices(int waitMs = 5000) : m_waitMs(waitMs) {}
    bool openUrl(const QUrl& url) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;

private:
    int m_waitMs;
};
