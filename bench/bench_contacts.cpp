// Export of a large address file to vCard and CSV, import of those files into a new, empty
// address file, and of the vCard file into the file it came from.
#include "addressgen.h"
#include "contacts/contactexport.h"
#include "contacts/contactimport.h"
#include "core/addressschema.h"
#include "core/recordengine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace
{

struct Timing {
    double exportMs = 0;
    double readRowsMs = 0; // of the export: the records read and put in list order
    double importMs = 0;
    double parseMs = 0; // of the import: the contacts file read
    double exportCpuMs = 0;
    double importCpuMs = 0;
    int imported = 0;
    long importPeakKb = 0; // peak resident memory during the import
    qint64 fileBytes = 0;
};

Timing run(const QString& source, const QString& folder, const ExportOptions& options,
           const QString& name)
{
    Timing t;
    const QString contactsFile = folder + QLatin1Char('/') + name;
    {
        const qint64 t0 = nowNs();
        const double cpu0 = cpuMs();
        auto db = Database::OpenDatabase(source);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        std::vector<Contact> contacts;
        contactsInListOrder(*rs, contacts);
        t.readRowsMs = elapsedMs(t0);
        const QByteArray bytes = contactsFileBytes(contacts, options);
        QString error;
        if (!writeWholeFile(contactsFile, bytes, &error))
            qFatal("cannot write %s", qPrintable(contactsFile));
        t.exportMs = elapsedMs(t0);
        t.exportCpuMs = cpuMs() - cpu0;
    }
    const QString target = folder + QStringLiteral("/import-") + name + QStringLiteral(".adb");
    QFile::remove(target);
    {
        auto db = Database::CreateDatabase(target);
        db->CreerDATA();
    }
    t.fileBytes = QFileInfo(contactsFile).size();
    resetPeakResident();
    {
        const qint64 t0 = nowNs();
        const double cpu0 = cpuMs();
        const ContactsFile file = readContactsFile(contactsFile);
        if (!file.error.isEmpty() || file.needsMapping)
            qFatal("cannot read %s", qPrintable(contactsFile));
        t.parseMs = elapsedMs(t0);
        auto db = Database::OpenDatabase(target);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        ImportSummary summary;
        importContactsInto(*rs, file, summary);
        t.importMs = elapsedMs(t0);
        t.importCpuMs = cpuMs() - cpu0;
        t.imported = summary.imported;
    }
    t.importPeakKb = peakResidentKb();
    return t;
}

// A file whose one record holds a Notes value of `megabytes` MB, imported into an empty address
// file: a CSV file in the program's own layout (the header of `exported`), the value on one
// line; or a vCard file, the value folded as writers fold it.
void longFieldImport(const QString& exported, const QString& folder, int megabytes, bool vcard,
                     QTextStream& out)
{
    const QString path =
        folder + (vcard ? QStringLiteral("/longfield.vcf") : QStringLiteral("/longfield.csv"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        if (vcard) {
            f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Long;;;;\r\nNOTE:");
            QByteArray block;
            while (block.size() < (1 << 20))
                block += QByteArray(74, 'x') + "\r\n ";
            for (int m = 0; m < megabytes; ++m)
                f.write(block);
            f.write("x\r\nEND:VCARD\r\n");
        } else {
            QFile in(exported);
            if (!in.open(QIODevice::ReadOnly))
                qFatal("cannot read %s", qPrintable(exported));
            const QByteArray header = in.readLine();
            const char separator = header.contains(';') ? ';' : ',';
            f.write(header);
            f.write("Long");
            for (int c = 1; c < kColumnCount; ++c) {
                f.write(&separator, 1);
                if (c == 11) { // Notes
                    const QByteArray block(1 << 20, 'x');
                    for (int m = 0; m < megabytes; ++m)
                        f.write(block);
                }
            }
            f.write("\r\n");
        }
    }
    const QString target = folder + QStringLiteral("/import-longfield.adb");
    QFile::remove(target);
    Database::CreateDatabase(target)->CreerDATA();
    resetPeakResident();
    const qint64 t0 = nowNs();
    const double cpu0 = cpuMs();
    const ContactsFile file = readContactsFile(path);
    ImportSummary summary;
    if (file.error.isEmpty() && !file.needsMapping) {
        auto db = Database::OpenDatabase(target);
        auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
        importContactsInto(*rs, file, summary);
    }
    out << (vcard ? "vCard" : "CSV") << " with one " << megabytes << " MB field: import "
        << qRound(elapsedMs(t0)) << " ms (" << qRound(cpuMs() - cpu0) << " ms of processor time), "
        << summary.imported << " record added, " << summary.leftOut.size()
        << " value left out; peak resident memory during the import " << peakResidentKb() / 1024
        << " MB" << (file.error.isEmpty() ? "" : "; ") << file.error.left(120) << "\n";
    QFile::remove(path);
}

// The vCard file exported from `source` imported again into a copy of `source`: every card is
// a twin of a record already there, so the import reads the whole file to know its records.
void twinsImport(const QString& source, const QString& contactsFile, const QString& folder,
                 QTextStream& out)
{
    const QString target = folder + QStringLiteral("/import-twins.adb");
    QFile::remove(target);
    if (!QFile::copy(source, target))
        qFatal("cannot copy %s", qPrintable(source));
    resetPeakResident();
    const qint64 t0 = nowNs();
    const ContactsFile file = readContactsFile(contactsFile);
    auto db = Database::OpenDatabase(target);
    auto rs = db->OpenRecordset(QStringLiteral("Elvarine"));
    const long opened = peakResidentKb();
    ImportSummary summary;
    importContactsInto(*rs, file, summary);
    out << "vCard 3.0 imported into the file it came from (" << rs->RecordCount()
        << " records): " << qRound(elapsedMs(t0)) << " ms, " << summary.imported << " added, "
        << summary.identical << " identical; peak resident memory " << opened / 1024
        << " MB once the file is open, " << peakResidentKb() / 1024 << " MB during the import\n";
    out.flush();
    QFile::remove(target);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = numberArgument(argc, argv, 1, 100000);
    const QString source = cachedAddressFile(count);
    const QString folder = QDir::tempPath() + QStringLiteral("/elvarine-bench-contacts");
    QDir().mkpath(folder);
    QTextStream out(stdout);
    struct Case {
        const char* label;
        ExportOptions options;
        const char* file;
    };
    ExportOptions v3;
    ExportOptions v4;
    v4.version = VCardVersion::V40;
    ExportOptions csv;
    csv.format = ContactFormat::Csv;
    for (const Case& c :
         {Case{"vCard 3.0", v3, "contacts3.vcf"}, Case{"vCard 4.0", v4, "contacts4.vcf"},
          Case{"CSV", csv, "contacts.csv"}}) {
        const Timing t = run(source, folder, c.options, QString::fromLatin1(c.file));
        out << c.label << ", " << count << " records: export " << qRound(t.exportMs) << " ms ("
            << qRound(t.exportCpuMs) << " ms of processor time; records read and sorted in "
            << qRound(t.readRowsMs) << " ms), import " << qRound(t.importMs) << " ms ("
            << qRound(t.importCpuMs) << " ms of processor time; file read in " << qRound(t.parseMs)
            << " ms; " << t.imported << " records added to an empty file; file of "
            << t.fileBytes / (1024 * 1024) << " MB, peak resident memory during the import "
            << t.importPeakKb / 1024 << " MB)\n";
        out.flush();
    }
    twinsImport(source, folder + QStringLiteral("/contacts3.vcf"), folder, out);
    longFieldImport(folder + QStringLiteral("/contacts.csv"), folder, 100, false, out);
    longFieldImport(QString(), folder, 100, true, out);
    return 0;
}
