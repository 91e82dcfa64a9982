#pragma once

#include <QColor>

// Colours are kept as the program stores them: red + 256 * green + 65536 * blue.
inline quint32 colorRef(int red, int green, int blue)
{
    return quint32(red & 0xFF) | (quint32(green & 0xFF) << 8) | (quint32(blue & 0xFF) << 16);
}

inline quint32 colorRef(const QColor& c)
{
    return colorRef(c.red(), c.green(), c.blue());
}

inline QColor colorFromRef(quint32 ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}
