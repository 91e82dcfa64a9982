// libFuzzer entry point: the vCard reader on arbitrary bytes.
#include "contacts/vcardreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const VCardReadResult result = readVCards(bytes);
    // A file with an error gives no contact at all.
    if (!result.error.isEmpty() && !result.contacts.empty())
        __builtin_trap();
    (void)looksLikeVCard(bytes);
    return 0;
}
