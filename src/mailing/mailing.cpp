#include "mailing/mailing.h"

#include "core/addressschema.h"
#include "core/fieldbox.h"
#include "core/fieldrules.h"
#include "core/namelist.h"
#include "core/recordengine.h"
#include "core/search/search.h"
#include "core/services.h"
#include "envelopes/senderprofile.h"
#include "printer/printeroffsets.h"
#include "printer/printersurface.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <numeric>

namespace
{

bool blank(const QString& s)
{
    return trimSpaces(s).isEmpty();
}

QString number(qsizetype n)
{
    return QString::number(n);
}

// "1 étiquette" / "2 étiquettes".
QString counted(qsizetype n, const char* one, const char* many)
{
    return number(n) + QLatin1Char(' ') + QString::fromUtf8(n == 1 ? one : many);
}

} // namespace

AddressFields addressFieldsOf(const QString& texts)
{
    // The texts of the address fields, in their order.
    const QList<QStringView> parts = QStringView(texts).split(QChar(Recordset::kGroupSeparator));
    return AddressFields::filled([&](int i, FieldBox) { return parts.value(i).toString(); });
}

AddressFields MailingRecord::fields() const
{
    return addressFieldsOf(texts);
}

QString MailingRecord::line() const
{
    const AddressFields f = fields();
    return listLine(f.Nom, f.Prenom);
}

bool addressBlockEmpty(const AddressFields& f)
{
    return blank(f.Nom) && blank(f.Prenom) && blank(f.Societe) && blank(f.Adresse) &&
           blank(f.Adresse1) && blank(f.Ville);
}

MailingRecords collectMailingRecords(Recordset& rs, const std::vector<int>& listPositions,
                                     const MailingChoice& choice,
                                     const std::function<bool(qint64, qint64)>& progress)
{
    const std::vector<int>& positions =
        choice.source == MailingSource::Selection ? choice.selected : listPositions;
    const QString lowered = choice.searchText.toLower();
    const bool searching = choice.source == MailingSource::Search;
    // The address texts first, then the texts the search compares.
    std::vector<std::vector<int>> groups;
    for (FieldBox box : AddressFields::kBoxes)
        groups.push_back({columnOfBox(box)});
    if (searching) {
        for (const std::vector<int>& g : criterionColumnGroups(choice.criterion))
            groups.push_back(g);
    }
    const QChar separator(Recordset::kGroupSeparator);
    MailingRecords records;
    if (searching && lowered.isEmpty())
        return records;
    const qint64 total = qint64(positions.size());
    rs.scanInOrder(positions, 0, groups, [&](int index, const QString& text) {
        if (progress && (index % 1024) == 0 && !progress(index, total))
            return false;
        // The address texts are kept; what follows them is compared whole, as a search does.
        qsizetype at = -1;
        for (int i = 0; i < AddressFields::kCount && at < text.size(); ++i) {
            at = text.indexOf(separator, at + 1);
            if (at < 0)
                at = text.size();
        }
        if (searching && !textMatches(text.mid(at + 1), lowered, separator))
            return true;
        MailingRecord r;
        r.position = positions[size_t(index)];
        r.texts = at >= text.size() ? text : text.left(at);
        const AddressFields fields = r.fields();
        (addressBlockEmpty(fields) ? records.leftOut : records.printed).push_back(std::move(r));
        return true;
    });
    if (progress)
        progress(total, total);
    if (choice.order == MailingOrder::PostCode)
        sortByPostCode(records.printed);
    return records;
}

void sortByPostCode(std::vector<MailingRecord>& records)
{
    QCollator collator(QLocale(QLocale::French, QLocale::France));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    struct Key {
        QString code;
        QCollatorSortKey name;
    };
    std::vector<Key> keys;
    keys.reserve(records.size());
    for (const MailingRecord& r : records) {
        const AddressFields f = r.fields();
        QString code = f.CodePostal;
        code.remove(QLatin1Char(' '));
        keys.push_back({code, collator.sortKey(listLine(f.Nom, f.Prenom))});
    }
    std::vector<size_t> order(records.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const Key& ka = keys[a];
        const Key& kb = keys[b];
        if (ka.code.isEmpty() != kb.code.isEmpty())
            return kb.code.isEmpty();
        // Codes of different lengths (a foreign code) compare as numbers would.
        if (ka.code.size() != kb.code.size())
            return ka.code.size() < kb.code.size();
        if (const int c = ka.code.compare(kb.code); c != 0)
            return c < 0;
        return ka.name.compare(kb.name) < 0;
    });
    std::vector<MailingRecord> sorted;
    sorted.reserve(records.size());
    for (size_t i : order)
        sorted.push_back(std::move(records[i]));
    records = std::move(sorted);
}

QString recordName(const MailingRecord& record)
{
    const QString line = record.line().simplified();
    if (!line.isEmpty())
        return line;
    return QStringLiteral("(fiche sans nom n° %1)").arg(record.position + 1);
}

QString leftOutText(const MailingRecords& records)
{
    const auto& left = records.leftOut;
    if (left.empty())
        return QString();
    QStringList names;
    for (const MailingRecord& r : left)
        names << recordName(r);
    if (left.size() == 1)
        return QStringLiteral("1 fiche laissée de côté, son adresse est vide : %1.")
            .arg(names.first());
    return QStringLiteral("%1 fiches laissées de côté, leur adresse est vide : %2.")
        .arg(number(qsizetype(left.size())), names.join(QStringLiteral(", ")));
}

LabelSlot labelSlot(int index, int start)
{
    const int slot = index + std::clamp(start, 1, kLabelPositions) - 1;
    return {slot / kLabelPositions, slot % kLabelPositions + 1};
}

int labelSheetCount(int count, int start)
{
    if (count <= 0)
        return 0;
    return labelSlot(count - 1, start).sheet + 1;
}

int MailingJob::pageCount() const
{
    return kind == MailingKind::Labels ? labelSheetCount(int(records.size()), start)
                                       : int(records.size());
}

PaperRequest MailingJob::paperRequest() const
{
    return kind == MailingKind::Labels ? labelSheetPaper() : envelopePaper(paper);
}

void MailingJob::drawPage(PrinterSurface& printer, int page, const PrinterOffset& offset) const
{
    printer.setScaleMode(PrinterSurface::Millimetres);
    if (kind == MailingKind::Labels) {
        const int first = std::max(0, page * kLabelPositions - (start - 1));
        for (int i = first; i < int(records.size()); ++i) {
            const LabelSlot slot = labelSlot(i, start);
            if (slot.sheet != page)
                break;
            AddressOptions lines = address;
            lines.BlocAdresse = composeAddressBlock(address, addressFieldsOf(records[size_t(i)]));
            DecoupeAdresse(lines);
            const LabelCorner corner = labelCorner(print, slot.position);
            drawLabel(printer, print, lines, corner.x + offset.x, corner.y + offset.y);
        }
        return;
    }
    if (page < 0 || page >= int(records.size()))
        return;
    if (sender) {
        SenderProfile profile = senderProfile;
        AddressOptions lines;
        drawSenderLabel(printer, profile, lines, offset);
    }
    const EnvelopeFormat f = envelopeFormat(format);
    AddressOptions lines = address;
    lines.BlocAdresse = composeAddressBlock(address, addressFieldsOf(records[size_t(page)]));
    drawEnvelopeAddress(printer, print, lines, f.PosX + offset.x, f.PosY + offset.y);
}

MailingJob makeMailingJob(MailingKind kind, const MailingRecords& records, const PrintParams& print,
                          const AddressOptions& address, int start, EnvelopeFormatId format,
                          bool sender, const SenderProfile& profile, bool envelopePaper)
{
    MailingJob job;
    job.kind = kind;
    job.print = print;
    job.address = address;
    job.start = std::clamp(start, 1, kLabelPositions);
    if (format == EnvelopeFormatId::Custom)
        format = EnvelopeFormatId::F160x115;
    job.format = format;
    job.sender = sender;
    job.senderProfile = profile;
    AffichExpediteur(job.senderProfile);
    const EnvelopeFormat f = envelopeFormat(format);
    job.paper.OwnSize = envelopePaper;
    job.paper.Width = f.width;
    job.paper.Height = f.height;
    job.records.reserve(records.printed.size());
    for (const MailingRecord& r : records.printed)
        job.records.push_back(r.texts);
    return job;
}

MailingOutcome printMailingJob(const MailingJob& job, Services& services,
                               const std::function<bool(int, int)>& progress)
{
    if (!services.printer)
        throw PrinterError(QStringLiteral("Aucune imprimante n'est disponible."));
    PrinterSurface& printer = *services.printer;
    const int pages = job.pageCount();
    try {
        printer.setPaper(job.paperRequest());
        const PrinterOffset offset = currentPrinterOffset(services);
        for (int p = 0; p < pages; ++p) {
            if (progress && !progress(p, pages)) {
                printer.killDoc();
                return MailingOutcome::Cancelled;
            }
            if (p > 0)
                printer.newPage();
            job.drawPage(printer, p, offset);
        }
        if (progress && !progress(pages, pages)) {
            printer.killDoc();
            return MailingOutcome::Cancelled;
        }
        printer.endDoc();
    } catch (const PrinterError&) {
        try {
            printer.killDoc();
        } catch (const std::exception&) {
            // The first failure is the one said (rethrown below); a printer that also refuses
            // to drop the document leaves nothing more to do with it.
        }
        throw;
    }
    return MailingOutcome::Printed;
}

std::function<bool(Services&)> mailingPreviewPart(std::shared_ptr<const MailingJob> job,
                                                  int pagesPerPart)
{
    auto next = std::make_shared<int>(0);
    auto offset = std::make_shared<std::optional<PrinterOffset>>();
    return [job, next, offset, pagesPerPart](Services& services) {
        PrinterSurface& printer = *services.printer;
        const int pages = job->pageCount();
        if (*next == 0) {
            printer.setPaper(job->paperRequest());
            *offset = currentPrinterOffset(services);
        }
        for (int n = 0; n < pagesPerPart && *next < pages; ++n, ++*next) {
            if (*next > 0)
                printer.newPage();
            job->drawPage(printer, *next, **offset);
        }
        if (*next < pages)
            return false;
        if (pages == 0)
            printer.newPage();
        printer.endDoc();
        return true;
    };
}

PrintConfirmation mailingConfirmation(const MailingJob& job)
{
    PrintConfirmation c;
    const QString what = mailingCountText(job);
    c.title = job.kind == MailingKind::Labels ? QStringLiteral("Publipostage : étiquettes")
                                              : QStringLiteral("Publipostage : enveloppes");
    c.question = QStringLiteral("Confirmer l'impression de %1 ?").arg(what);
    return c;
}

QString mailingCountText(const MailingJob& job)
{
    const qsizetype n = qsizetype(job.records.size());
    if (job.kind == MailingKind::Envelopes)
        return counted(n, "enveloppe", "enveloppes");
    return counted(n, "étiquette", "étiquettes") + QStringLiteral(" sur ") +
           counted(job.pageCount(), "feuille", "feuilles");
}
