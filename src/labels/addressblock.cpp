#include "labels/addressblock.h"

#include "core/recordform.h"

namespace
{

const QString kLineBreak = QStringLiteral("\r\n");

QString leftTrimmed(const QString& s)
{
    int i = 0;
    while (i < s.size() && s[i] == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString spaceTrimmed(const QString& s)
{
    int end = s.size();
    while (end > 0 && s[end - 1] == QLatin1Char(' '))
        --end;
    return leftTrimmed(s.left(end));
}

int trimmedLength(const QString& s)
{
    return int(spaceTrimmed(s).size());
}

} // namespace

AddressFields AddressFields::fromBoxes(const QStringList& boxes)
{
    auto box = [&](int i) { return i < boxes.size() ? boxes[i] : QString(); };
    AddressFields f;
    f.Nom = box(0);
    f.Prenom = box(1);
    f.Societe = box(2);
    f.Adresse = box(3);
    f.Adresse1 = box(4);
    f.CodePostal = box(5);
    f.Ville = box(6);
    f.Pays = box(12);
    return f;
}

AddressFields AddressFields::fromForm(const RecordForm& form)
{
    AddressFields f;
    f.Nom = form.fieldText(0);
    f.Prenom = form.fieldText(1);
    f.Societe = form.fieldText(2);
    f.Adresse = form.fieldText(3);
    f.Adresse1 = form.fieldText(4);
    f.CodePostal = form.fieldText(5);
    f.Ville = form.fieldText(6);
    f.Pays = form.fieldText(12);
    return f;
}

QString composeAddressBlock(const AddressOptions& options, const AddressFields& f)
{
    const QString nameLine =
        options.OrdreNom == 1
            ? options.PrefixeTitre + leftTrimmed(f.Prenom) + QLatin1Char(' ') + leftTrimmed(f.Nom)
            : options.PrefixeTitre + leftTrimmed(f.Nom) + QLatin1Char(' ') + leftTrimmed(f.Prenom);
    const QString company = leftTrimmed(f.Societe);
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
        block += leftTrimmed(f.Adresse) + kLineBreak;
    if (trimmedLength(f.Adresse1) >= 2)
        block += leftTrimmed(f.Adresse1) + kLineBreak;
    block += kLineBreak;
    block += leftTrimmed(f.CodePostal) + QLatin1Char(' ') + leftTrimmed(f.Ville) + kLineBreak;
    if (trimmedLength(f.Pays) >= 2)
        block += leftTrimmed(f.Pays);
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
    lines[n] = spaceTrimmed(rest);
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
