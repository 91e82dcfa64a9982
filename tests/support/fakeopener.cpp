#include "fakeopener.h"

#include <QFile>

FakeOpener::FakeOpener(const QByteArray& body) : m_oldPath(qgetenv("PATH"))
{
    QFile script(m_dir.filePath(QStringLiteral("xdg-open")));
    if (!m_dir.isValid() || !script.open(QIODevice::WriteOnly))
        return;
    const QByteArray out = m_dir.filePath(QStringLiteral("arguments.txt")).toUtf8();
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + out + "'\n" + body + "\n");
    script.close();
    m_valid = script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", m_dir.path().toUtf8() + ':' + m_oldPath);
}

FakeOpener::~FakeOpener()
{
    qputenv("PATH", m_oldPath);
}

QString FakeOpener::arguments() const
{
    QFile f(m_dir.filePath(QStringLiteral("arguments.txt")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
