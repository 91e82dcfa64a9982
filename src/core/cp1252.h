#pragma once

#include <QByteArray>
#include <QString>

// The settings files are single-byte Windows-1252 text. Every byte survives a read and a write:
// the five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are read as the
// control characters of the same number and written back as those bytes.
QByteArray toCp1252(const QString& text);
QString fromCp1252(const QByteArray& bytes);
