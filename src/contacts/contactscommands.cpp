#include "contacts/contactscommands.h"

#include "contacts/contactexport.h"
#include "contacts/contactimport.h"
#include "contacts/contactsprogress.h"
#include "contacts/csvmappingdialog.h"
#include "contacts/importsummarydialog.h"
#include "core/appstate.h"
#include "core/recordbinding.h"
#include "core/recordform.h"
#include "core/services.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"

#include <QFileInfo>

const char* const kImportFilter = "Cartes de visite vCard (*.vcf)|*.vcf|Fichier CSV (*.csv)|*.csv";
const char* const kExportFilter =
    "Cartes de visite vCard (*.vcf)|*.vcf|Cartes de visite vCard 4.0 (*.vcf)|*.vcf|"
    "Fichier CSV (*.csv)|*.csv|Fichier CSV, séparateur virgule (*.csv)|*.csv";

namespace
{

const QString kImportTitle = QStringLiteral("Importer des contacts");
const QString kExportTitle = QStringLiteral("Exporter les contacts");
const QString kExportOneTitle = QStringLiteral("Exporter la fiche en cours");

// Message boxes break lines at carriage returns.
QString boxText(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return text;
}

void showError(Services& services, const QString& text)
{
    services.dialogs->msgBox(boxText(text), vbCritical, QStringLiteral("Erreur"));
}

// The export filter's choice: 1 vCard 3.0, 2 vCard 4.0, 3 CSV ";", 4 CSV ",".
ExportOptions optionsOfFilter(int filterIndex)
{
    ExportOptions o;
    switch (filterIndex) {
    case 2:
        o.version = VCardVersion::V40;
        break;
    case 3:
        o.format = ContactFormat::Csv;
        break;
    case 4:
        o.format = ContactFormat::Csv;
        o.separator = QLatin1Char(',');
        break;
    default:
        break;
    }
    return o;
}

QString suffixOfFilter(int filterIndex)
{
    return filterIndex >= 3 ? QStringLiteral(".csv") : QStringLiteral(".vcf");
}

// Asks where to export; the path and the options, or nothing when cancelled.
bool askExportFile(AppState& state, Services& services, const QString& title,
                   const QString& fileName, QString& path, ExportOptions& options)
{
    CommonDialog dlg(*services.dialogs);
    dlg.CancelError = true;
    dlg.DialogTitle = title;
    dlg.Filter = QString::fromUtf8(kExportFilter);
    dlg.FilterIndex = state.contacts.exportFilter;
    dlg.Flags = cdlOFNOverwritePrompt;
    const QString folder = state.contacts.lastExport.isEmpty()
                               ? QString()
                               : QFileInfo(state.contacts.lastExport).absolutePath();
    dlg.FileName = folder.isEmpty() ? fileName : folder + QLatin1Char('/') + fileName;
    if (!dlg.ShowSave() || dlg.FileName.isEmpty())
        return false;
    state.contacts.exportFilter = dlg.FilterIndex;
    state.contacts.lastExport = dlg.FileName;
    path = dlg.FileName;
    options = optionsOfFilter(dlg.FilterIndex);
    return true;
}

bool writeExport(Services& services, const QString& path, const QByteArray& bytes)
{
    QString reason;
    if (writeWholeFile(path, bytes, &reason))
        return true;
    showError(services, QStringLiteral("Impossible d'écrire le fichier %1.\n%2").arg(path, reason));
    return false;
}

} // namespace

bool importContacts(AppState& state, Services& services, RecordBinding& data1, QWidget* parent,
                    const std::function<void()>& cmdRefresh)
{
    if (!data1.hasRecordset())
        return false;
    CommonDialog dlg(*services.dialogs);
    dlg.CancelError = true;
    dlg.DialogTitle = kImportTitle;
    dlg.Filter = QString::fromUtf8(kImportFilter);
    dlg.FilterIndex = state.contacts.importFilter;
    dlg.Flags = 0;
    dlg.FileName = state.contacts.lastImport;
    if (!dlg.ShowOpen() || dlg.FileName.isEmpty())
        return false;
    state.contacts.importFilter = dlg.FilterIndex;
    state.contacts.lastImport = dlg.FileName;
    const QString path = dlg.FileName;

    ContactsFile file;
    {
        ContactsProgress progress(
            QStringLiteral("Lecture de %1...").arg(QFileInfo(path).fileName()), parent,
            state.contacts.progressDelayMs);
        file = readContactsFile(path, std::nullopt, progress.progress());
    }
    if (file.cancelled)
        return false;
    if (!file.error.isEmpty()) {
        showError(services, file.error);
        return false;
    }
    if (file.needsMapping) {
        CsvMappingDialog mapping(file.table, parent);
        if (mapping.exec() != QDialog::Accepted)
            return false;
        applyCsvMapping(file, mapping.mapping());
    }

    Recordset& rs = data1.recordset();
    ImportSummary summary;
    summary.source = path;
    summary.target = data1.DatabaseName;
    bool done = false;
    try {
        ContactsProgress progress(QStringLiteral("Importation des contacts..."), parent,
                                  state.contacts.progressDelayMs);
        done = importContactsInto(rs, file, summary, progress.progress());
    } catch (const EngineError& e) {
        showError(services, QStringLiteral("Les fiches n'ont pas pu être ajoutées au fichier "
                                           "d'adresses.\n%1\nAucune fiche n'a été importée.")
                                .arg(e.text));
        return false;
    }
    if (!done) {
        services.dialogs->msgBox(QStringLiteral("Importation annulée : le fichier d'adresses est "
                                                "resté tel qu'il était."),
                                 vbInformation, kImportTitle);
        return false;
    }
    if (summary.imported > 0 && cmdRefresh)
        cmdRefresh();
    ImportSummaryDialog window(summary, *services.dialogs, parent);
    window.exec();
    return true;
}

bool exportAllContacts(AppState& state, Services& services, RecordBinding& data1, QWidget* parent)
{
    if (!data1.hasRecordset())
        return false;
    QString path;
    ExportOptions options;
    if (!askExportFile(state, services, kExportTitle,
                       QStringLiteral("Contacts") + suffixOfFilter(state.contacts.exportFilter),
                       path, options))
        return false;
    std::vector<Contact> contacts;
    QByteArray bytes;
    bool cancelled = false;
    try {
        ContactsProgress progress(QStringLiteral("Exportation des contacts..."), parent,
                                  state.contacts.progressDelayMs);
        const ProgressFn whole = progress.progress();
        cancelled = !contactsInListOrder(data1.recordset(), contacts, progressPart(whole, 0, 400));
        if (!cancelled)
            bytes =
                contactsFileBytes(contacts, options, progressPart(whole, 400, 1000), &cancelled);
    } catch (const EngineError& e) {
        showError(services, QStringLiteral("Lecture impossible des fiches.\n%1").arg(e.text));
        return false;
    }
    if (cancelled)
        return false;
    if (!writeExport(services, path, bytes))
        return false;
    const qsizetype n = qsizetype(contacts.size());
    const QString text = n == 1 ? QStringLiteral("1 fiche exportée dans %1.").arg(path)
                                : QStringLiteral("%1 fiches exportées dans %2.").arg(n).arg(path);
    services.dialogs->msgBox(text, vbInformation, kExportTitle);
    return true;
}

bool exportCurrentContact(AppState& state, Services& services, const RecordForm& form, QWidget*)
{
    const Contact contact = contactOfForm(form);
    QString path;
    ExportOptions options;
    if (!askExportFile(state, services, kExportOneTitle,
                       contactFileName(contact, suffixOfFilter(state.contacts.exportFilter)), path,
                       options))
        return false;
    if (!writeExport(services, path, contactsFileBytes({contact}, options)))
        return false;
    const QString name = contactName(contact);
    services.dialogs->msgBox(QStringLiteral("La fiche %1 a été exportée dans %2.")
                                 .arg(name.isEmpty() ? QStringLiteral("en cours") : name, path),
                             vbInformation, kExportOneTitle);
    return true;
}
