#include "contacts/commandline.h"

#include "contacts/contactexport.h"
#include "contacts/contactimport.h"
#include "core/addressschema.h"
#include "core/dosshell.h"
#include "core/recordengine.h"
#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

namespace
{

bool isOurOption(const QString& arg)
{
    for (const char* o : {"--export", "--import", "--format"}) {
        if (arg == QLatin1String(o) || arg.startsWith(QLatin1String(o) + QLatin1Char('=')))
            return true;
    }
    return arg == QLatin1String("--help") || arg == QLatin1String("-h") ||
           arg == QLatin1String("--sync");
}

QString helpText(const QString& defaultFile)
{
    return QStringLiteral(
               "Utilisation :\n"
               "  Elvarine [FICHIER_ADRESSES]\n"
               "      ouvre la fenêtre du carnet d'adresses avec FICHIER_ADRESSES, ou sans\n"
               "      lui avec le fichier d'adresses par défaut s'il existe.\n"
               "  Elvarine --export FICHIER.vcf|FICHIER.csv [FICHIER_ADRESSES]\n"
               "      exporte toutes les fiches, dans l'ordre de la liste des noms, en cartes de\n"
               "      visite vCard 3.0 ou en CSV (UTF-8, séparateur point-virgule).\n"
               "  Elvarine --import FICHIER [FICHIER_ADRESSES]\n"
               "      ajoute les contacts d'un fichier vCard (2.1, 3.0, 4.0) ou CSV (Elvarine,\n"
               "      Google Contacts, Outlook, Thunderbird) après les fiches du fichier\n"
               "      d'adresses ; les fiches identiques à une fiche du fichier sont ignorées.\n"
               "  Elvarine --sync [FICHIER_ADRESSES]\n"
               "      synchronise le fichier d'adresses avec le carnet CardDAV choisi dans\n"
               "      « Synchronisation... » ; le mot de passe vient du trousseau du bureau ou de\n"
               "      la variable d'environnement ELVARINE_PASSWORD.\n"
               "\n"
               "Options :\n"
               "  --format vcard|csv  format du FICHIER (sinon d'après son extension .vcf ou "
               ".csv)\n"
               "  --help              affiche cette aide\n"
               "\n"
               "FICHIER_ADRESSES est par défaut %1.\n"
               "Le bilan s'affiche sur la sortie standard, les messages d'erreur sur la sortie\n"
               "d'erreur. Code de sortie : 0 en cas de réussite, 1 en cas d'échec, 2 si la "
               "commande est mal formée.\n")
        .arg(defaultFile);
}

// The address file and its record set, or a French message.
struct OpenedFile {
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;
    QString error;
};

OpenedFile openAddressFile(const QString& path)
{
    OpenedFile f;
    if (!FichierExiste(path)) {
        f.error = QStringLiteral("Le fichier d'adresses « %1 » est introuvable.").arg(path);
        return f;
    }
    try {
        f.db = Database::OpenDatabase(path);
        f.rs = f.db->OpenRecordset(QString::fromUtf16(kTableName));
    } catch (const EngineError& e) {
        // Nothing is written at opening: a read-only or full disk is said by the first store.
        f.error = QStringLiteral("Le fichier « %1 » n'est pas un fichier d'adresses valide.\n%2")
                      .arg(path, e.text);
        f.rs.reset();
        f.db.reset();
    }
    return f;
}

int runExport(const QString& file, const QString& addressFile, std::optional<ContactFormat> format,
              QTextStream& out, QTextStream& err)
{
    if (!format)
        format = formatOfName(file);
    if (!format) {
        err << QStringLiteral("Le format du fichier « %1 » ne se déduit pas de son nom : "
                              "précisez --format vcard ou --format csv.\n")
                   .arg(file);
        return kCommandUsage;
    }
    OpenedFile opened = openAddressFile(addressFile);
    if (!opened.rs) {
        err << opened.error << '\n';
        return kCommandFailed;
    }
    std::vector<Contact> contacts;
    try {
        contactsInListOrder(*opened.rs, contacts);
    } catch (const EngineError& e) {
        err << QStringLiteral("Lecture impossible des fiches de « %1 ».\n%2\n")
                   .arg(addressFile, e.text);
        return kCommandFailed;
    }
    ExportOptions options;
    options.format = *format;
    const QByteArray bytes = contactsFileBytes(contacts, options);
    QString reason;
    if (!writeWholeFile(file, bytes, &reason)) {
        err << QStringLiteral("Impossible d'écrire le fichier « %1 ».\n%2\n").arg(file, reason);
        return kCommandFailed;
    }
    out << QStringLiteral("%1 fiche(s) exportée(s) de « %2 » dans « %3 ».\n")
               .arg(contacts.size())
               .arg(addressFile, file);
    return kCommandDone;
}

int runImport(const QString& file, const QString& addressFile, std::optional<ContactFormat> format,
              QTextStream& out, QTextStream& err)
{
    ContactsFile contacts = readContactsFile(file, format);
    if (!contacts.error.isEmpty()) {
        err << contacts.error << '\n';
        return kCommandFailed;
    }
    if (contacts.needsMapping) {
        const QStringList header =
            contacts.table.rows.empty() ? QStringList() : contacts.table.rows.front();
        err << importFailureText(
                   file,
                   QStringLiteral("les colonnes du fichier CSV ne sont pas reconnues (%1). "
                                  "Importez-le par la commande « Importer des contacts... » de "
                                  "la fenêtre, qui permet d'associer chaque colonne à un champ.")
                       .arg(header.join(QLatin1String(", "))))
            << '\n';
        return kCommandFailed;
    }
    OpenedFile opened = openAddressFile(addressFile);
    if (!opened.rs) {
        err << opened.error << '\n' << QStringLiteral("Aucune fiche n'a été importée.\n");
        return kCommandFailed;
    }
    ImportSummary summary;
    summary.source = file;
    summary.target = addressFile;
    try {
        importContactsInto(*opened.rs, contacts.contacts, summary);
    } catch (const EngineError& e) {
        err << QStringLiteral("Les fiches n'ont pas pu être ajoutées à « %1 ».\n%2\nAucune "
                              "fiche n'a été importée.\n")
                   .arg(addressFile, e.text);
        return kCommandFailed;
    }
    out << summary.text();
    return kCommandDone;
}

} // namespace

std::optional<int> runContactsCommandLine(const QStringList& args, const ProgramFolder& folder,
                                          QTextStream& out, QTextStream& err, SyncCommand sync)
{
    bool ours = false;
    for (const QString& a : args)
        ours = ours || isOurOption(a);
    if (!ours)
        return std::nullopt;

    const QString defaultFile = folder.filePath(ProgramFile::AddressFile);
    QString exportFile, importFile, addressFile;
    std::optional<ContactFormat> format;
    bool help = false;
    bool synchronise = false;
    QString usage;
    for (int i = 0; i < args.size() && usage.isEmpty(); ++i) {
        QString a = args[i];
        QString value;
        bool hasValue = false;
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        if (a.startsWith(QLatin1String("--")) && eq > 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
            hasValue = true;
        }
        auto next = [&]() -> QString {
            if (hasValue)
                return value;
            if (i + 1 < args.size()) {
                ++i;
                return args[i];
            }
            usage = QStringLiteral("L'option %1 attend une valeur.").arg(a);
            return QString();
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
        } else if (a == QLatin1String("--sync")) {
            if (!exportFile.isEmpty() || !importFile.isEmpty())
                usage =
                    QStringLiteral("Une seule commande --export, --import ou --sync à la fois.");
            synchronise = true;
        } else if (a == QLatin1String("--export") || a == QLatin1String("--import")) {
            const QString v = next();
            if (!usage.isEmpty())
                break;
            if (!exportFile.isEmpty() || !importFile.isEmpty() || synchronise)
                usage =
                    QStringLiteral("Une seule commande --export, --import ou --sync à la fois.");
            else if (v.isEmpty())
                usage = QStringLiteral("L'option %1 attend un nom de fichier.").arg(a);
            else if (a == QLatin1String("--export"))
                exportFile = v;
            else
                importFile = v;
        } else if (a == QLatin1String("--format")) {
            const QString v = next().toLower();
            if (!usage.isEmpty())
                break;
            if (v == QLatin1String("vcard") || v == QLatin1String("vcf"))
                format = ContactFormat::VCard;
            else if (v == QLatin1String("csv"))
                format = ContactFormat::Csv;
            else
                usage = QStringLiteral("Format « %1 » inconnu : vcard ou csv.").arg(v);
        } else if (a.startsWith(QLatin1Char('-'))) {
            usage = QStringLiteral("Option « %1 » inconnue.").arg(a);
        } else if (addressFile.isEmpty()) {
            addressFile = a;
        } else {
            usage = QStringLiteral("Un seul fichier d'adresses peut être nommé (« %1 » est de "
                                   "trop).")
                        .arg(a);
        }
    }
    if (help) {
        out << helpText(defaultFile);
        out.flush();
        return kCommandDone;
    }
    if (usage.isEmpty() && exportFile.isEmpty() && importFile.isEmpty() && !synchronise)
        usage = QStringLiteral("Indiquez --export FICHIER, --import FICHIER ou --sync.");
    if (!usage.isEmpty()) {
        err << usage << '\n' << QStringLiteral("Elvarine --help décrit les commandes.\n");
        err.flush();
        return kCommandUsage;
    }
    if (addressFile.isEmpty())
        addressFile = defaultFile;
    if (synchronise) {
        int status = kCommandFailed;
        if (sync)
            status = sync(addressFile, out, err);
        else
            err << QStringLiteral("La synchronisation n'est pas disponible dans ce programme.\n");
        out.flush();
        err.flush();
        return status;
    }
    const int status = exportFile.isEmpty() ? runImport(importFile, addressFile, format, out, err)
                                            : runExport(exportFile, addressFile, format, out, err);
    out.flush();
    err.flush();
    return status;
}

std::optional<int> runContactsCommandLine(int argc, char** argv, SyncCommand sync)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    bool ours = false;
    for (const QString& a : args)
        ours = ours || isOurOption(a);
    if (!ours)
        return std::nullopt;
    int count = argc;
    QCoreApplication app(count, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Elvarine"));
    ExecutableFolder folder;
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runContactsCommandLine(args, folder, out, err, sync);
}
