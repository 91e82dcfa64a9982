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

class QtDesktopServices : public DesktopServices
{
public:
    bool openUrl(const QUrl& url) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;
};
