#include "platform/serialport.h"

QString comDevicePath(int number)
{
    if (number < 1)
        return QString();
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}
