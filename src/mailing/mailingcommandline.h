#pragma once

#include "mailing/mailing.h"

#include <QString>

class PrinterOffsets;
class PrinterSurface;
class ProgramFolder;
class QTextStream;

// `Elvarine --print-labels FILE.pdf ...` and `Elvarine --print-envelopes FILE.pdf ...`: a
// mailing of the address file's records printed with the saved print parameters ("DEFAUT.PAR")
// and sender profile ("DEFAUT.UTI") of the program's folder.
struct MailingCommand {
    MailingKind kind = MailingKind::Labels;
    QString pdfFile;     // the PDF file written (empty with a printer)
    QString printerName; // the print queue the job goes to (empty with a file)
    int start = 1;       // --start N, labels
    QString searchText;  // --search TEXT: the records found under every criterion
    MailingOrder order = MailingOrder::NameList;
    EnvelopeFormatId format = EnvelopeFormatId::F160x115; // --format
    bool sender = false;                                  // --sender
    bool envelopePaper = false;                           // the envelope's own paper instead of A4
    QString addressFile;
};

// Reads the values of the options (as given, or empty when not given) into `command`; false with
// a French message in `error` when one cannot be read (exit status 2).
bool readMailingOptions(const QString& start, const QString& order, const QString& format,
                        MailingCommand& command, QString* error);

// Runs the mailing on `printer` (already pointed at the PDF file by the caller; selected here
// by name for a print queue), moved by the calibration offset of `offsets` (may be null). The
// summary (records printed, left out, sheets) goes to `out`, French messages to `err`. Returns
// 0 done, 1 failed (the address file cannot be read, no record to print, the printer failed;
// nothing is sent then), 2 for a printer that does not exist.
int runMailingCommand(const MailingCommand& command, const ProgramFolder& folder,
                      PrinterSurface& printer, PrinterOffsets* offsets, QTextStream& out,
                      QTextStream& err);
