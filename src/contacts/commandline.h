#pragma once

#include "contacts/contactimport.h"

#include <QString>
#include <optional>

class QTextStream;

// The contacts' commands of the program's command line (app/commandline.h), without a display.
// The summary goes to `out`, French messages to `err`. They return the exit status: 0 done,
// 1 failed (nothing written to the address file), 2 when the command cannot tell the format.

// `Elvarine --export FILE.vcf|FILE.csv [ADDRESSFILE]`: every record, in name-list order.
int runExportCommand(const QString& file, const QString& addressFile,
                     std::optional<ContactFormat> format, QTextStream& out, QTextStream& err);
// `Elvarine --import FILE [ADDRESSFILE]`: the contacts of FILE added after the records.
int runImportCommand(const QString& file, const QString& addressFile,
                     std::optional<ContactFormat> format, QTextStream& out, QTextStream& err);
