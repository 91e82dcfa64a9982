// The sender profile reader (".UTI") on any bytes, and the file written back from its result.
#include "core/settingsfile.h"
#include "envelopes/senderprofile.h"
#include "envelopes/senderprofilefile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SenderProfile profile;
    if (readSenderProfile(QByteArray(reinterpret_cast<const char*>(data), int(size)), profile)) {
        // A profile read whole has a size and a colour a printer can draw.
        if (!isDrawableFontSize(profile.FontSize) || senderColorRef(profile.TextColor) > 0xFFFFFF)
            __builtin_trap();
        SenderProfile again;
        if (!readSenderProfile(senderProfileBytes(profile), again))
            __builtin_trap(); // what the program writes, it reads back
    }
    return 0;
}
