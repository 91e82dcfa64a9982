// The shared reader of the settings files (".PAR", ".UTI", "Telephon.cfg") on any bytes.
#include "core/settingsfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    SettingsReader reader(bytes);
    SettingsWriter writer;
    // Every item read is written back, as a program saving what it loaded would.
    for (int items = 0; items <= int(size); ++items) {
        const auto item = reader.next();
        if (!item)
            break;
        item->isTrue();
        if (const auto number = item->toNumber())
            writer.single(*number);
        writer.text(item->toText());
    }
    reader.atEnd();
    return 0;
}
