// libFuzzer entry point: the CSV reader, header recognition and row mapping on arbitrary bytes.
#include "contacts/csvformat.h"
#include "contacts/csvlayouts.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const CsvReadResult result = readCsv(bytes);
    if (!result.error.isEmpty() || result.table.rows.empty())
        return 0;
    const QStringList& header = result.table.rows.front();
    const CsvMapping mapping = recognizeHeader(header);
    (void)contactsOfCsv(result.table, mapping);
    // The mapping window's proposals, applied as the user would accept them.
    (void)contactsOfCsv(result.table, mappingOfFields(guessFields(header), true));
    return 0;
}
