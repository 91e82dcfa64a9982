#pragma once

#include "printer/orimp.h"

#include <QByteArray>
#include <QString>

// What CUPS keeps about each printer. The orientation is the user's lasting option
// orientation-requested (3 portrait, 4 landscape) in the user's options file (what
// `lpoptions -p PRINTER -o ...` reads), so other programs printing through CUPS with the user's
// options see it too. Storing it changes that printer's line of the file and nothing else: the
// other printers' lines, the user's default printer and any other line stay as they were (CUPS's
// own writer would write the whole list back, with the current printer as the user's default).
// The paper is the printer's media option (the user's, else the print server's default); the
// refusal is the server's printer-is-accepting-jobs with its printer-state-message.
class CupsPrinterSettings : public PrinterSettingsStore
{
public:
    // `optionsFile` is the user's options file; empty: the one CUPS reads for this user,
    // ~/.cups/lpoptions.
    explicit CupsPrinterSettings(const QString& optionsFile = QString());

    std::optional<int> orientation(const QString& printer) override;
    bool store(const QString& printer, int orientation) override;
    std::optional<QPageSize> paperSize(const QString& printer) override;
    QString refusal(const QString& printer) override;

    // The user's options file written by store().
    QString optionsFile() const;

    // The printer this user prints on by default, as `lpstat -d` names it (LPDEST or PRINTER,
    // the user's Default line, else the print server's default); empty when there is none. CUPS's
    // list of printers marks no default when the user's options file holds a line of the
    // server's default printer, so the list is not asked.
    static QString defaultPrinter();

    // orientation-requested value -> 1 portrait / 2 landscape; nothing for an unknown value.
    static std::optional<int> orientationFromIpp(const QByteArray& value);
    // A media name as CUPS takes it (PWG "na_letter_8.5x11in", legacy "Letter", PPD "A4"; the
    // first of a list) -> the paper; nothing when unknown.
    static std::optional<QPageSize> paperFromMedia(const QByteArray& media);
    // The text of an options file with `printer`'s orientation set to `orientation`: its line
    // ("Dest" or "Default", the name compared as CUPS does, without regard to case) keeps every
    // other option and gets orientation-requested in place of any orientation it had; a printer
    // without a line gets a "Dest" line at the end. Every other line is kept byte for byte.
    static QByteArray withOrientation(const QByteArray& file, const QString& printer,
                                      int orientation);

private:
    QString m_optionsFile;
};
