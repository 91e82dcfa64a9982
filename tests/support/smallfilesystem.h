#pragma once

#include <QString>
#include <QTemporaryDir>

// A small file system of its own (tmpfs) mounted for a test, to be filled to its last byte or
// made read-only as a real disk or medium is. Mounting needs the right to (root, as the suite
// runs); without it isValid() is false and why() says so, for the test to skip.
class SmallFileSystem
{
public:
    explicit SmallFileSystem(int kilobytes = 1024);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool isValid() const { return m_mounted; }
    QString why() const { return m_why; }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Writes a filler file until the file system has no room left; true when it is full.
    bool fill();
    // Mounts it again read-only; true when done.
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};
