#include "app/commandline.h"

#include "contacts/commandline.h"
#include "mailing/mailingcommandline.h"
#include "platform/programfolder.h"
#include "platform/servicesmodule.h"
#include "printer/printeroffsets.h"
#include "printer/systemprintersurface.h"
#include "sync/synccommandline.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>
#include <QUrl>
#include <cstdio>
#include <memory>

namespace
{

// ------------------------------------------------------------------------------ commands

bool readFormat(const CommandLine& line, QTextStream& err, std::optional<ContactFormat>* format)
{
    if (!line.settings.contains(QStringLiteral("--format")))
        return true;
    const QString v = line.settings.value(QStringLiteral("--format")).toLower();
    if (v == QLatin1String("vcard") || v == QLatin1String("vcf")) {
        *format = ContactFormat::VCard;
    } else if (v == QLatin1String("csv")) {
        *format = ContactFormat::Csv;
    } else {
        err << QStringLiteral("Format « %1 » inconnu : vcard ou csv.\n").arg(v)
            << QStringLiteral("Elvarine --help décrit les commandes.\n");
        return false;
    }
    return true;
}

int exportCommand(const CommandLine& line, CommandContext& c)
{
    std::optional<ContactFormat> format;
    if (!readFormat(line, c.err, &format))
        return kCommandUsage;
    return runExportCommand(line.values.at(0), line.addressFileOr(c.folder), format, c.out, c.err);
}

int importCommand(const CommandLine& line, CommandContext& c)
{
    std::optional<ContactFormat> format;
    if (!readFormat(line, c.err, &format))
        return kCommandUsage;
    return runImportCommand(line.values.at(0), line.addressFileOr(c.folder), format, c.out, c.err);
}

int syncCommand(const CommandLine& line, CommandContext& c)
{
    return runSyncCommand(line.addressFileOr(c.folder), c.out, c.err);
}

int syncSetupCommand(const CommandLine& line, CommandContext& c)
{
    return runSyncSetupCommand(line.values.at(0), line.values.at(1),
                               line.settings.value(QStringLiteral("--book")),
                               line.addressFileOr(c.folder), c.out, c.err);
}

int mailingCommand(const CommandLine& line, CommandContext& c, MailingKind kind)
{
    MailingCommand command;
    command.kind = kind;
    command.pdfFile = line.values.value(0);
    command.printerName = line.settings.value(QStringLiteral("--printer"));
    command.searchText = line.settings.value(QStringLiteral("--search"));
    command.sender = line.settings.contains(QStringLiteral("--sender"));
    command.addressFile = line.addressFileOr(c.folder);
    const char* name = kind == MailingKind::Labels ? "--print-labels" : "--print-envelopes";
    QString error;
    if (command.pdfFile.isEmpty() == command.printerName.isEmpty())
        error = QStringLiteral("%1 attend un fichier PDF ou --printer NOM (l'un des deux).")
                    .arg(QLatin1String(name));
    else if (!readMailingOptions(line.settings.value(QStringLiteral("--start")),
                                 line.settings.value(QStringLiteral("--order")),
                                 kind == MailingKind::Envelopes
                                     ? line.settings.value(QStringLiteral("--format"))
                                     : QString(),
                                 command, &error))
        ;
    else if (!command.pdfFile.isEmpty() &&
             !command.pdfFile.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        // Never written over an address file named in the wrong place.
        error = QStringLiteral("Le fichier d'impression « %1 » doit avoir l'extension .pdf.")
                    .arg(command.pdfFile);
    else if (kind == MailingKind::Labels && line.settings.contains(QStringLiteral("--format")))
        error = QStringLiteral("L'option --format s'emploie avec --print-envelopes, non avec "
                               "--print-labels.");
    if (!error.isEmpty()) {
        c.err << error << '\n' << QStringLiteral("Elvarine --help décrit les commandes.\n");
        return kCommandUsage;
    }
    QString why;
    const ServicesModuleTable* module = servicesModule(&why);
    if (!module) {
        c.err << QStringLiteral("L'impression est impossible. ") << why << '\n';
        return kCommandFailed;
    }
    const std::unique_ptr<SystemPrinterSurface> printer = module->printer(nullptr);
    if (!command.pdfFile.isEmpty())
        printer->setOutputFile(QFileInfo(command.pdfFile).absoluteFilePath());
    SettingsPrinterOffsets offsets;
    return runMailingCommand(command, c.folder, *printer, &offsets, c.out, c.err);
}

int printLabelsCommand(const CommandLine& line, CommandContext& c)
{
    return mailingCommand(line, c, MailingKind::Labels);
}

int printEnvelopesCommand(const CommandLine& line, CommandContext& c)
{
    return mailingCommand(line, c, MailingKind::Envelopes);
}

// ------------------------------------------------------------------------------ the table

constexpr CommandLineOption command(const char* name, int values, const char* synopsis,
                                    const char* help, CommandRun run)
{
    return {name, nullptr, OptionKind::Command, values, synopsis, help, run, nullptr, false, false};
}

// A printing command: its file may give way to --printer, and it draws text.
constexpr CommandLineOption printCommand(const char* name, const char* synopsis, const char* help,
                                         CommandRun run)
{
    return {name, nullptr, OptionKind::Command, 1, synopsis, help, run, nullptr, true, true};
}

// A setting with a value when `synopsis` names it, a switch otherwise.
constexpr CommandLineOption setting(const char* name, const char* synopsis, const char* help,
                                    const char* with)
{
    return {name,  nullptr, OptionKind::Setting, synopsis ? 1 : 0, synopsis, help, nullptr, with,
            false, false};
}

constexpr CommandLineOption information(const char* name, const char* alias, const char* help)
{
    return {name, alias, OptionKind::Information, 0, nullptr, help, nullptr, nullptr, false, false};
}

constexpr CommandLineOption toolkit(const char* name, int values)
{
    return {name,  nullptr, OptionKind::Toolkit, values, nullptr, nullptr, nullptr, nullptr,
            false, false};
}

const CommandLineOption kCommandLineOptions[] = {
    command("--export", 1, "FICHIER.vcf|FICHIER.csv [FICHIER_ADRESSES]",
            "exporte toutes les fiches, dans l'ordre de la liste des noms, en cartes de visite "
            "vCard 3.0 ou en CSV (UTF-8, séparateur point-virgule).",
            exportCommand),
    command("--import", 1, "FICHIER [FICHIER_ADRESSES]",
            "ajoute les contacts d'un fichier vCard (2.1, 3.0, 4.0) ou CSV (Elvarine, Google "
            "Contacts, Outlook, Thunderbird) après les fiches du fichier d'adresses ; les fiches "
            "identiques à une fiche du fichier sont ignorées.",
            importCommand),
    command("--sync", 0, "[FICHIER_ADRESSES]",
            "synchronise le fichier d'adresses avec le carnet CardDAV choisi dans "
            "« Synchronisation... » ; le mot de passe vient du trousseau du bureau ou de la "
            "variable d'environnement ELVARINE_PASSWORD.",
            syncCommand),
    command("--sync-setup", 2, "SERVEUR UTILISATEUR [--book NOM] [FICHIER_ADRESSES]",
            "relie le fichier d'adresses à un carnet CardDAV du SERVEUR, trouvé comme par "
            "« Chercher les carnets » (le mot de passe comme pour --sync) ; s'il y a plusieurs "
            "carnets, --book NOM choisit le sien, sinon ils sont listés (code de sortie 2).",
            syncSetupCommand),
    printCommand("--print-labels",
                 "FICHIER.pdf|--printer NOM [--start N] [--search TEXTE] [--order name|postcode] "
                 "[FICHIER_ADRESSES]",
                 "imprime une étiquette adresse par fiche, sur la feuille des paramètres "
                 "d'impression enregistrés (DEFAUT.PAR), dans un fichier PDF ou sur "
                 "l'imprimante NOM ; les fiches sans nom, rue ni localité sont laissées de côté. "
                 "Le bilan donne les fiches imprimées, celles laissées de côté et les feuilles.",
                 printLabelsCommand),
    printCommand("--print-envelopes",
                 "FICHIER.pdf|--printer NOM [--format 160x115|220x110|230x160] [--sender] "
                 "[--search TEXTE] [--order name|postcode] [FICHIER_ADRESSES]",
                 "imprime une enveloppe par fiche (une par page), avec la police des paramètres "
                 "d'impression enregistrés (DEFAUT.PAR) et, avec --sender, l'étiquette "
                 "expéditeur du profil enregistré (DEFAUT.UTI), dans un fichier PDF ou sur "
                 "l'imprimante NOM.",
                 printEnvelopesCommand),
    setting("--format", "FORMAT",
            "format du FICHIER pour --export et --import : vcard ou csv (sinon d'après son "
            "extension .vcf ou .csv) ; format de l'enveloppe pour --print-envelopes : 160x115 "
            "(par défaut), 220x110 ou 230x160",
            "--export --import --print-envelopes"),
    setting("--start", "N",
            "le numéro (1 à 10) de la première étiquette de la première feuille, pour finir "
            "une feuille entamée",
            "--print-labels"),
    setting("--search", "TEXTE",
            "seulement les fiches où se trouve TEXTE (dans tous les champs, sans regarder les "
            "majuscules), comme le trouve Edition › Rechercher",
            "--print-labels --print-envelopes"),
    setting("--order", "name|postcode",
            "l'ordre d'impression : celui de la liste des noms (name, par défaut) ou par code "
            "postal puis par nom (postcode)",
            "--print-labels --print-envelopes"),
    setting("--sender", nullptr, "ajoute l'étiquette expéditeur sur chaque enveloppe",
            "--print-envelopes"),
    setting("--printer", "NOM",
            "envoie l'impression à la file d'impression NOM au lieu d'un "
            "fichier PDF",
            "--print-labels --print-envelopes"),
    setting("--book", "NOM",
            "le carnet d'adresses choisi par --sync-setup (son nom ou son adresse)",
            "--sync-setup"),
    information("--help", "-h", "affiche cette aide"),
    information("--version", nullptr, "affiche la version du programme"),
    // Qt's own: the window system (X11 or Wayland), the style, the session manager's restart.
    toolkit("-platform", 1),
    toolkit("-platformpluginpath", 1),
    toolkit("-platformtheme", 1),
    toolkit("-plugin", 1),
    toolkit("-display", 1),
    toolkit("-geometry", 1),
    toolkit("-qwindowgeometry", 1),
    toolkit("-qwindowicon", 1),
    toolkit("-qwindowtitle", 1),
    toolkit("-name", 1),
    toolkit("-style", 1),
    toolkit("-stylesheet", 1),
    toolkit("-session", 1),
    toolkit("-reverse", 0),
    toolkit("-widgetcount", 0),
    toolkit("-nograb", 0),
    toolkit("-dograb", 0),
};

// ------------------------------------------------------------------------------ the texts

const char kWindowSynopsis[] = "[FICHIER_ADRESSES]";
const char kWindowHelp[] =
    "ouvre la fenêtre du carnet d'adresses avec FICHIER_ADRESSES, ou sans lui avec le fichier "
    "d'adresses par défaut s'il existe. Sans l'un ni l'autre (au premier démarrage), la fenêtre "
    "s'ouvre vide : Fichier › Nouveau crée un fichier d'adresses, Fichier › Ouvrir en ouvre un.";
const char kToolkitHelp[] = "Les options de Qt pour la fenêtre sont acceptées :";
const char kDefaultFileHelp[] = "FICHIER_ADRESSES est par défaut %1.";
const char kDefaultFileEverywhere[] =
    "Elvarine.adb dans le dossier du programme pour une copie portable (un dossier qui "
    "contient Elvarine.mdb et où l'on peut écrire), et $XDG_DATA_HOME/Elvarine/Elvarine.adb "
    "(~/.local/share/Elvarine/Elvarine.adb quand XDG_DATA_HOME n'est pas définie) pour un "
    "programme installé";
const char kStatusHelp[] = "Le bilan s'affiche sur la sortie standard, les messages d'erreur sur "
                           "la sortie d'erreur. Code de sortie : 0 en cas de réussite, 1 en cas "
                           "d'échec, 2 si la commande est mal formée.";

constexpr int kHelpWidth = 79;

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString optionTitle(const CommandLineOption& o)
{
    QString title = text(o.name);
    if (o.alias)
        title += QLatin1String(", ") + text(o.alias);
    if (o.synopsis && o.kind != OptionKind::Command)
        title += QLatin1Char(' ') + text(o.synopsis);
    return title;
}

// The spaces around French punctuation (" :", " ;", "« ", " »") never break a line.
QString frenchSpacing(QString s)
{
    const QChar nbsp(0x00a0);
    for (const char* mark : {":", ";", "»", "?", "!"})
        s.replace(QLatin1Char(' ') + QString::fromUtf8(mark), nbsp + QString::fromUtf8(mark));
    s.replace(QString::fromUtf8("« "), QString::fromUtf8("«") + nbsp);
    return s;
}

// `words` appended to `out`, whose last line is already `column` characters long, in lines of
// at most kHelpWidth characters; the lines after the first start with `indent` spaces.
void appendWrapped(QString& out, const QString& words, int column, int indent)
{
    bool first = true;
    for (const QString& word : frenchSpacing(words).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!first && column + 1 + word.size() > kHelpWidth) {
            out += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (!first) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += int(word.size());
        first = false;
    }
    out += QLatin1Char('\n');
}

QString toolkitNames()
{
    QStringList names;
    for (const CommandLineOption& o : kCommandLineOptions) {
        if (o.kind == OptionKind::Toolkit)
            names << text(o.name);
    }
    return names.join(QLatin1String(", ")) + QLatin1Char('.');
}

// Text for roff: its backslashes and hyphens escaped, never a control line.
QString roff(const QString& s)
{
    QString r = frenchSpacing(s);
    r.replace(QLatin1Char('\\'), QLatin1String("\\e"));
    r.replace(QLatin1Char('-'), QLatin1String("\\-"));
    r.replace(QChar(0x00a0), QLatin1String("\\~"));
    if (r.startsWith(QLatin1Char('.')) || r.startsWith(QLatin1Char('\'')))
        r.prepend(QLatin1String("\\&"));
    return r;
}

QString bold(const QString& s)
{
    return QLatin1String("\\fB") + roff(s) + QLatin1String("\\fR");
}

QString italic(const QString& s)
{
    return QLatin1String("\\fI") + roff(s) + QLatin1String("\\fR");
}

const CommandLineOption* findOption(const QString& name)
{
    for (const CommandLineOption& o : kCommandLineOptions) {
        if (name == QLatin1String(o.name) || (o.alias && name == QLatin1String(o.alias)))
            return &o;
    }
    // Qt takes its options with one dash or two (--platform).
    if (name.startsWith(QLatin1String("--"))) {
        const CommandLineOption* o = findOption(name.mid(1));
        if (o && o->kind == OptionKind::Toolkit)
            return o;
    }
    return nullptr;
}

// "--export ou --import", from a setting's list of commands.
QString commandList(const char* with)
{
    QStringList names = text(with).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString last = names.takeLast();
    return names.isEmpty() ? last : names.join(QLatin1String(", ")) + QLatin1String(" ou ") + last;
}

} // namespace

const CommandLineOption* commandLineOptions(int* count)
{
    *count = int(std::size(kCommandLineOptions));
    return kCommandLineOptions;
}

QString CommandLine::addressFileOr(const ProgramFolder& folder) const
{
    return addressFile.isEmpty() ? folder.filePath(ProgramFile::AddressFile) : addressFile;
}

QString CommandLine::windowFile() const
{
    return addressFile.isEmpty() ? QString() : QFileInfo(addressFile).absoluteFilePath();
}

CommandLine parseCommandLine(const QStringList& args)
{
    CommandLine line;
    bool options = true;
    for (qsizetype i = 0; i < args.size() && line.error.isEmpty(); ++i) {
        const QString& arg = args[i];
        if (arg.isEmpty())
            continue;
        if (options && arg == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (!options || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            // The file, named or as a URL from a file manager.
            const QString path =
                arg.startsWith(QLatin1String("file:")) ? QUrl(arg).toLocalFile() : arg;
            if (path.isEmpty())
                line.error = QStringLiteral("« %1 » n'est pas le nom d'un fichier.").arg(arg);
            else if (!line.addressFile.isEmpty())
                line.error = QStringLiteral("Un seul fichier d'adresses peut être nommé (« %1 » "
                                            "est de trop).")
                                 .arg(arg);
            else
                line.addressFile = path;
            continue;
        }
        QString name = arg;
        QStringList values;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq > 0) {
            name = arg.left(eq);
            values << arg.mid(eq + 1);
        }
        const CommandLineOption* o = findOption(name);
        if (!o) {
            line.error = QStringLiteral("Option « %1 » inconnue.").arg(name);
            break;
        }
        if (values.size() > o->values) {
            line.error = QStringLiteral("L'option %1 ne prend pas de valeur.").arg(name);
            break;
        }
        while (values.size() < o->values && i + 1 < args.size()) {
            if (o->valueOptional && args[i + 1].startsWith(QLatin1String("--")) &&
                findOption(args[i + 1].section(QLatin1Char('='), 0, 0)))
                break;
            values << args[++i];
        }
        if ((values.size() < o->values && !o->valueOptional) || values.contains(QString())) {
            line.error = QStringLiteral("L'option %1 attend une valeur.").arg(name);
            break;
        }
        switch (o->kind) {
        case OptionKind::Command:
            if (line.command)
                line.error = QStringLiteral("Une seule commande à la fois (%1 et %2).")
                                 .arg(text(line.command->name), text(o->name));
            line.command = o;
            line.values = values;
            break;
        case OptionKind::Setting:
            if (line.settings.contains(text(o->name)))
                line.error = QStringLiteral("L'option %1 est donnée deux fois.").arg(name);
            line.settings.insert(text(o->name), values.value(0));
            break;
        case OptionKind::Information:
            (o->name == QLatin1String("--help") ? line.help : line.version) = true;
            break;
        case OptionKind::Toolkit:
            line.platformGiven = line.platformGiven || o->name == QLatin1String("-platform");
            break;
        }
    }
    // A setting is read only by the commands it goes with.
    for (const CommandLineOption& o : kCommandLineOptions) {
        if (!line.error.isEmpty() || line.help || line.version)
            break;
        const QStringList with = text(o.with).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (o.kind == OptionKind::Setting && line.settings.contains(text(o.name)) &&
            (!line.command || !with.contains(text(line.command->name))))
            line.error = QStringLiteral("L'option %1 s'emploie avec %2.")
                             .arg(text(o.name), commandList(o.with));
    }
    return line;
}

QString versionText()
{
    return QStringLiteral("Elvarine " ELVARINE_VERSION);
}

QString commandLineHelp(const QString& defaultFile)
{
    QString out = QStringLiteral("Utilisation :\n");
    const auto usage = [&out](const QString& synopsis, const char* help) {
        // A long synopsis goes on over the next lines, under its first word.
        out += QLatin1String("  Elvarine ");
        appendWrapped(out, synopsis, 11, 11);
        out += QLatin1String("      ");
        appendWrapped(out, text(help), 6, 6);
    };
    usage(text(kWindowSynopsis), kWindowHelp);
    int column = 0;
    for (const CommandLineOption& o : kCommandLineOptions) {
        if (o.kind == OptionKind::Command)
            usage(text(o.name) + QLatin1Char(' ') + text(o.synopsis), o.help);
        else if (o.kind != OptionKind::Toolkit)
            column = std::max(column, int(optionTitle(o).size()) + 4);
    }
    out += QLatin1String("\nOptions :\n");
    for (const CommandLineOption& o : kCommandLineOptions) {
        if (o.kind != OptionKind::Setting && o.kind != OptionKind::Information)
            continue;
        const QString title = QLatin1String("  ") + optionTitle(o);
        out += title + QString(column - title.size(), QLatin1Char(' '));
        appendWrapped(out, text(o.help), column, column);
    }
    out += QLatin1Char('\n');
    appendWrapped(out, text(kToolkitHelp) + QLatin1Char(' ') + toolkitNames(), 0, 0);
    out += QLatin1Char('\n');
    // On a line of its own, whatever its length: the file's name is copied from there.
    out += text(kDefaultFileHelp).arg(defaultFile) + QLatin1Char('\n');
    appendWrapped(out, text(kStatusHelp), 0, 0);
    return out;
}

QString commandLineManPage()
{
    QStringList m;
    m << QStringLiteral("'\\\" -*- coding: UTF-8 -*-")
      << QStringLiteral(".TH ELVARINE 1 \"%1\" \"Elvarine %2\" \"Commandes de l'utilisateur\"")
             .arg(QStringLiteral(ELVARINE_RELEASE_DATE), QStringLiteral(ELVARINE_VERSION))
      << QStringLiteral(".nh") // file names are not hyphenated
      << QStringLiteral(".SH NOM")
      << QStringLiteral("Elvarine \\- carnet d'adresses personnel, avec étiquettes et "
                        "enveloppes")
      << QStringLiteral(".SH SYNOPSIS")
      << bold(QStringLiteral("Elvarine")) + QLatin1Char(' ') + italic(text(kWindowSynopsis));
    for (const CommandLineOption& o : kCommandLineOptions) {
        if (o.kind == OptionKind::Command)
            m << QStringLiteral(".br")
              << bold(QStringLiteral("Elvarine ") + text(o.name)) + QLatin1Char(' ') +
                     italic(text(o.synopsis));
    }
    m << QStringLiteral(".SH DESCRIPTION")
      << roff(QStringLiteral(
             "Elvarine garde les adresses d'une personne dans un fichier d'adresses (une base "
             "SQLite, extension .adb) : une liste des noms et la fiche de chacun, la recherche, "
             "les copies dans le presse-papiers, l'impression des fiches, des étiquettes "
             "d'adresse et des enveloppes avec leur aperçu, la composition des numéros, "
             "l'échange de contacts en vCard et CSV et la synchronisation avec un carnet "
             "CardDAV. Le menu « ? › Aide » de la fenêtre décrit chaque fenêtre et chaque "
             "commande. Les commandes ci-dessous, sauf la première, travaillent sans fenêtre "
             "ni affichage."))
      << QStringLiteral(".SH COMMANDES") << QStringLiteral(".TP")
      << bold(QStringLiteral("Elvarine")) + QLatin1Char(' ') + italic(text(kWindowSynopsis))
      << roff(text(kWindowHelp));
    for (const CommandLineOption& o : kCommandLineOptions) {
        if (o.kind == OptionKind::Command)
            m << QStringLiteral(".TP")
              << bold(QStringLiteral("Elvarine ") + text(o.name)) + QLatin1Char(' ') +
                     italic(text(o.synopsis))
              << roff(text(o.help));
    }
    m << QStringLiteral(".SH OPTIONS");
    for (const CommandLineOption& o : kCommandLineOptions) {
        if (o.kind != OptionKind::Setting && o.kind != OptionKind::Information)
            continue;
        QString title = bold(text(o.name));
        if (o.alias)
            title += QLatin1String(", ") + bold(text(o.alias));
        if (o.synopsis)
            title += QLatin1Char(' ') + italic(text(o.synopsis));
        m << QStringLiteral(".TP") << title << roff(text(o.help));
    }
    m << QStringLiteral(".PP") << roff(text(kToolkitHelp) + QLatin1Char(' ') + toolkitNames())
      << QStringLiteral(".SH FICHIERS")
      << roff(text(kDefaultFileHelp).arg(text(kDefaultFileEverywhere))) << QStringLiteral(".PP")
      << roff(QStringLiteral(
             "Un programme installé lit Elvarine.mdb et Elvarine.HLP dans share/elvarine de son "
             "installation et garde les fichiers de l'utilisateur (DEFAUT.PAR, DEFAUT.UTI, "
             "Telephon.cfg) dans $XDG_DATA_HOME/Elvarine ; une copie portable garde tout à côté "
             "du programme."))
      << QStringLiteral(".SH \"CODE DE RETOUR\"") << roff(text(kStatusHelp));
    return m.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString missingDisplayReason(const CommandLine& line, QString (*environment)(const char*))
{
    if (line.platformGiven)
        return QString();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (!environment(name).isEmpty())
            return QString();
    }
    return QStringLiteral("Elvarine ne peut pas ouvrir sa fenêtre : aucun affichage n'est "
                          "disponible (ni DISPLAY ni WAYLAND_DISPLAY n'est définie).\nLes "
                          "commandes sans fenêtre, décrites par Elvarine --help, fonctionnent "
                          "sans affichage.\n");
}

std::optional<int> runCommandLine(int argc, char** argv, QString* startupFile)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(args);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!line.error.isEmpty()) {
        err << line.error << '\n' << QStringLiteral("Elvarine --help décrit les commandes.\n");
        return kCommandUsage;
    }
    if (line.help || line.version || line.command) {
        int count = argc;
        // Printing measures and draws text: fonts need a platform, and none needs a display.
        const bool drawing = line.command && line.command->drawing && !line.help && !line.version;
        if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        std::unique_ptr<QCoreApplication> app(drawing ? new QGuiApplication(count, argv)
                                                      : new QCoreApplication(count, argv));
        QCoreApplication::setApplicationName(QStringLiteral("Elvarine"));
        ExecutableFolder folder;
        int status = kCommandDone;
        if (line.help) {
            out << commandLineHelp(folder.filePath(ProgramFile::AddressFile));
        } else if (line.version) {
            out << versionText() << '\n';
        } else {
            CommandContext context{folder, out, err};
            status = line.command->run(line, context);
        }
        out.flush();
        err.flush();
        return status;
    }
    const QString reason =
        missingDisplayReason(line, [](const char* name) { return qEnvironmentVariable(name); });
    if (!reason.isEmpty()) {
        err << reason;
        return kCommandFailed;
    }
    *startupFile = line.windowFile();
    return std::nullopt;
}
