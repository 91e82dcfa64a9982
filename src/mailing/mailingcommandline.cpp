#include "mailing/mailingcommandline.h"

#include "core/addressschema.h"
#include "core/commandstatus.h"
#include "core/dosshell.h"
#include "core/namelist.h"
#include "core/recordengine.h"
#include "core/services.h"
#include "envelopes/senderprofile.h"
#include "envelopes/senderprofilefile.h"
#include "labels/printparamsfile.h"
#include "platform/programfolder.h"
#include "printer/printersurface.h"

#include <QFile>
#include <QTextStream>

bool readMailingOptions(const QString& start, const QString& order, const QString& format,
                        MailingCommand& command, QString* error)
{
    if (!start.isEmpty()) {
        bool ok = false;
        const int n = start.toInt(&ok);
        if (!ok || n < 1 || n > kLabelPositions) {
            *error = QStringLiteral("--start attend le numéro d'une étiquette de la feuille, "
                                    "de 1 à %1 (et non « %2 »).")
                         .arg(kLabelPositions)
                         .arg(start);
            return false;
        }
        command.start = n;
    }
    if (!order.isEmpty()) {
        const QString o = order.toLower();
        if (o == QLatin1String("name")) {
            command.order = MailingOrder::NameList;
        } else if (o == QLatin1String("postcode")) {
            command.order = MailingOrder::PostCode;
        } else {
            *error = QStringLiteral("Ordre « %1 » inconnu : name ou postcode.").arg(order);
            return false;
        }
    }
    if (!format.isEmpty()) {
        const QString f = format.toLower();
        if (f == QLatin1String("160x115")) {
            command.format = EnvelopeFormatId::F160x115;
        } else if (f == QLatin1String("220x110")) {
            command.format = EnvelopeFormatId::F220x110;
        } else if (f == QLatin1String("230x160")) {
            command.format = EnvelopeFormatId::F230x160;
        } else {
            *error = QStringLiteral("Format d'enveloppe « %1 » inconnu : 160x115, 220x110 ou "
                                    "230x160.")
                         .arg(format);
            return false;
        }
    }
    return true;
}

int runMailingCommand(const MailingCommand& command, const ProgramFolder& folder,
                      PrinterSurface& printer, PrinterOffsets* offsets, QTextStream& out,
                      QTextStream& err)
{
    const QString& addressFile = command.addressFile;
    if (!command.printerName.isEmpty() && !printer.selectPrinter(command.printerName)) {
        err << QStringLiteral("L'imprimante « %1 » n'existe pas.").arg(command.printerName) << '\n';
        const QStringList names = printer.printerNames();
        if (!names.isEmpty())
            err << QStringLiteral("Imprimantes : %1.\n").arg(names.join(QStringLiteral(", ")));
        return kCommandUsage;
    }
    if (!FichierExiste(addressFile)) {
        err << QStringLiteral("Le fichier d'adresses « %1 » est introuvable.\n").arg(addressFile);
        return kCommandFailed;
    }

    // The saved print parameters and sender profile, over the built-in ones.
    PrintParams print = defaultPrintParams(standardFontName(), standardTextColor());
    const QString params = folder.filePath(ProgramFile::PrintParams);
    if (FichierExiste(params))
        LoadFileConfig(params, print);
    SenderProfile sender = defaultSenderProfile();
    QFile profile(folder.filePath(ProgramFile::SenderProfile));
    if (profile.exists() && profile.open(QIODevice::ReadOnly))
        readSenderProfile(profile.readAll(), sender);

    MailingRecords records;
    try {
        std::unique_ptr<Database> db = Database::OpenDatabase(addressFile);
        std::unique_ptr<Recordset> rs = db->OpenRecordset(QString::fromUtf16(kTableName));
        std::vector<QString> lines;
        lines.reserve(size_t(rs->RecordCount()));
        for (int i = 0; i < rs->RecordCount(); ++i)
            lines.push_back(listLine(rs->nomAt(i), rs->prenomAt(i)));
        MailingChoice choice;
        choice.source = command.searchText.isEmpty() ? MailingSource::All : MailingSource::Search;
        choice.searchText = command.searchText;
        choice.order = command.order;
        records = collectMailingRecords(*rs, alphabeticalOrder(lines), choice);
    } catch (const EngineError& e) {
        err << QStringLiteral("Le fichier « %1 » ne peut pas être lu.\n%2\n")
                   .arg(addressFile, e.text);
        return kCommandFailed;
    }

    const QString left = leftOutText(records);
    if (records.printed.empty()) {
        err << QStringLiteral("Aucune fiche à imprimer") +
                   (command.searchText.isEmpty()
                        ? QStringLiteral(".")
                        : QStringLiteral(" : la recherche de « %1 » ne trouve aucune fiche "
                                         "avec une adresse.")
                              .arg(command.searchText))
            << '\n';
        if (!left.isEmpty())
            err << left << '\n';
        return kCommandFailed;
    }

    AddressOptions address;
    const MailingJob job =
        makeMailingJob(command.kind, records, print, address, command.start, command.format,
                       command.sender, sender, command.envelopePaper);
    Services services;
    services.printer = &printer;
    services.printerOffsets = offsets;
    try {
        printMailingJob(job, services);
    } catch (const PrinterError& e) {
        err << QStringLiteral("Erreur d'impression : %1\nRien n'a été imprimé.\n").arg(e.reason());
        return kCommandFailed;
    }
    const QString target = command.printerName.isEmpty()
                               ? QStringLiteral("dans « %1 »").arg(command.pdfFile)
                               : QStringLiteral("sur l'imprimante « %1 »").arg(command.printerName);
    out << QStringLiteral("%1 fiche(s) imprimée(s) %2 : %3.\n")
               .arg(job.records.size())
               .arg(target, mailingCountText(job));
    out << QStringLiteral("%1 fiche(s) laissée(s) de côté.\n").arg(records.leftOut.size());
    if (!left.isEmpty())
        out << left << '\n';
    return kCommandDone;
}
