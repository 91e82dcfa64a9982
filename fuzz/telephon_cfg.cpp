// The dialer settings reader ("Telephon.cfg") on any bytes.
#include "phone/dialersettingsfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const DialerSettings settings =
        parseTelephonCfg(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    const DialerSettings again = parseTelephonCfg(telephonCfgBytes(settings));
    if (again.TypeNumerotation != settings.TypeNumerotation || again.NumPort != settings.NumPort ||
        again.ChoixNumeroteur != settings.ChoixNumeroteur)
        __builtin_trap(); // what the program writes, it reads back
    return 0;
}
