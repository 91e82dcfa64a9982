#pragma once

#include <QByteArray>
#include <QString>

// The settings files are single-byte Windows-1252 text.
QByteArray toCp1252(const QString& text);
QString fromCp1252(const QByteArray& bytes);
