// The print parameters reader (".PAR") on any bytes, and the file written back from its result.
#include "core/settingsfile.h"
#include "labels/printparamsfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PrintParams params;
    readPrintParams(QByteArray(reinterpret_cast<const char*>(data), int(size)), params);
    // What was read is what a printer can draw, and it is written back as a file that reads
    // back the same.
    if (!isDrawableFontSize(params.FontSize) || !isColorRef(params.ForeColor))
        __builtin_trap();
    PrintParams again;
    readPrintParams(printParamsBytes(params), again);
    return 0;
}
