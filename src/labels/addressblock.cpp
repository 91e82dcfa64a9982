#include "labels/addressblock.h"

#include "core/fieldrules.h"
#include "core/recordform.h"

namespace
{

const QString kLineBreak = QStringLiteral("\r\n");

int trimmedLength(const QString& s)
{
    return int(trimSpaces(s).size());
}

} // namespace

AddressFields AddressFields::fromBoxes(const QStringList& boxes)
{
    return filled([&](int, FieldBox box) { return boxes.value(int(box)); });
}

AddressFields AddressFields::fromForm(const RecordForm& form)
{
    return filled([&](int, FieldBox box) { return form.fieldText(box); });
}

QString composeAddressBlock(const AddressOptions& options, const AddressFields& f)
{
    const QString nameLine = options.OrdreNom == 1
                                 ? options.PrefixeTitre + trimLeadingSpaces(f.Prenom) +
                                       QLatin1Char(' ') + trimLeadingSpaces(f.Nom)
                                 : options.PrefixeTitre + trimLeadingSpaces(f.Nom) +
                                       QLatin1Char(' ') + trimLeadingSpaces(f.Prenom);
    const QString company = trimLeadingSpaces(f.Societe);
    const bool hasCompany = trimmedLength(f.Societe) >= 1;

    QString block;
    if (options.OrdreSociete == 1) {
        if (hasCompany)
            block = company + kLineBreak;
        block += nameLine + kLineBreak;
    } else {
        block = nameLine + kLineBreak;
        if (hasCompany)
            block += company + kLineBreak;
    }
    if (trimmedLength(f.Adresse) >= 2)
        block += trimLeadingSpaces(f.Adresse) + kLineBreak;
    if (trimmedLength(f.Adresse1) >= 2)
        block += trimLeadingSpaces(f.Adresse1) + kLineBreak;
    block += kLineBreak;
    block += trimLeadingSpaces(f.CodePostal) + QLatin1Char(' ') + trimLeadingSpaces(f.Ville) +
             kLineBreak;
    if (trimmedLength(f.Pays) >= 2)
        block += trimLeadingSpaces(f.Pays);
    return block;
}

void ComposeAdresse(AddressOptions& options, const AddressFields& fields)
{
    options.BlocAdresse = composeAddressBlock(options, fields);
}

void ComposeAdresse(AddressOptions& options, const RecordForm& form)
{
    ComposeAdresse(options, AddressFields::fromForm(form));
}

int splitPrintLines(const QString& text, QString (&lines)[16])
{
    QString rest = text;
    int n = 1;
    int p = 0;
    // The last entry always takes the rest, so a text of more lines than the array holds keeps
    // them together instead of running past its end.
    while (n < 15 && (p = int(rest.indexOf(kLineBreak))) >= 0) {
        lines[n] = rest.left(p + 1);
        rest.remove(0, p + 1);
        ++n;
    }
    lines[n] = trimSpaces(rest);
    return n;
}

void DecoupeAdresse(AddressOptions& options)
{
    options.NbLignes = splitPrintLines(options.BlocAdresse, options.Lignes);
}

void applyTitreCommand(AddressOptions& o, TitreCommand command)
{
    switch (command) {
    case TitreCommand::Aucun:
        o.TypeTitre = 0;
        o.PrefixeTitre.clear();
        break;
    case TitreCommand::Monsieur:
        o.TypeTitre = 1;
        o.PrefixeTitre = QStringLiteral("M. ");
        break;
    case TitreCommand::Madame:
        o.TypeTitre = 2;
        o.PrefixeTitre = QStringLiteral("Mme ");
        break;
    case TitreCommand::Mademoiselle:
        o.TypeTitre = 3;
        o.PrefixeTitre = QStringLiteral("Mlle ");
        break;
    case TitreCommand::NomPrenom:
        o.OrdreNom = 0;
        break;
    case TitreCommand::PrenomNom:
        o.OrdreNom = 1;
        break;
    case TitreCommand::NomSociete:
        o.OrdreSociete = 0;
        break;
    case TitreCommand::SocieteNom:
        o.OrdreSociete = 1;
        break;
    }
}

TitreCommand titreCommandForType(int typeTitre)
{
    switch (typeTitre) {
    case 1:
        return TitreCommand::Monsieur;
    case 2:
        return TitreCommand::Madame;
    case 3:
        return TitreCommand::Mademoiselle;
    default:
        return TitreCommand::Aucun;
    }
}

bool titreChecked(const AddressOptions& o, TitreCommand command)
{
    switch (command) {
    case TitreCommand::Aucun:
    case TitreCommand::Monsieur:
    case TitreCommand::Madame:
    case TitreCommand::Mademoiselle:
        return titreCommandForType(o.TypeTitre) == command;
    case TitreCommand::NomPrenom:
        return o.OrdreNom != 1;
    case TitreCommand::PrenomNom:
        return o.OrdreNom == 1;
    case TitreCommand::NomSociete:
        return o.OrdreSociete != 1;
    case TitreCommand::SocieteNom:
        return o.OrdreSociete == 1;
    }
    return false;
}
