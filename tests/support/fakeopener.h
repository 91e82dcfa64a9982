#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fake desktop opener: an `xdg-open` first on PATH while this lives. It writes its arguments,
// one a line, to a file of its own, then runs `body` (shell commands, "exit 4" for a desktop
// without a handler for the address).
class FakeOpener
{
public:
    explicit FakeOpener(const QByteArray& body);
    ~FakeOpener();
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    bool isValid() const { return m_valid; }
    // What the opener was given; empty when it did not run.
    QString arguments() const;
    // A path in the opener's folder, for files its body writes.
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldPath;
    bool m_valid = false;
};
