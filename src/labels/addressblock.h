#pragma once

#include "core/state/addressoptions.h"

#include <QString>
#include <QStringList>

class RecordForm;

// The fields of the current record that make up an address block, as displayed.
struct AddressFields {
    QString Nom;
    QString Prenom;
    QString Societe;
    QString Adresse;
    QString Adresse1;
    QString CodePostal;
    QString Ville;
    QString Pays;

    // From the sixteen field boxes (box 0 Nom, 1 Prénom, 2 Société, 3 Adresse, 4 Adresse1,
    // 5 Code postal, 6 Ville, 12 Pays).
    static AddressFields fromBoxes(const QStringList& boxes);
    static AddressFields fromForm(const RecordForm& form);
};

// The address block of `fields` with the title and orders of `options`, lines joined by CR LF.
QString composeAddressBlock(const AddressOptions& options, const AddressFields& fields);

// Composes the block of the record shown in `form` into options.BlocAdresse.
void ComposeAdresse(AddressOptions& options, const RecordForm& form);
void ComposeAdresse(AddressOptions& options, const AddressFields& fields);

// Splits options.BlocAdresse into options.Lignes[1..NbLignes]: every line but the last keeps its
// CR, every line but the first starts with the LF of the line break before it, the last line is
// trimmed of spaces.
void DecoupeAdresse(AddressOptions& options);
// The same split of any text into `lines` (index 0 unused); returns the number of lines.
int splitPrintLines(const QString& text, QString (&lines)[16]);

// The commands of the "&Titre" menu, shared by the label and envelope windows.
enum class TitreCommand {
    Aucun,
    Monsieur,
    Madame,
    Mademoiselle,
    NomPrenom,
    PrenomNom,
    NomSociete,
    SocieteNom,
};
constexpr int kTitreCommandCount = 8;

// Sets the option a command stands for (the composition is the caller's next step).
void applyTitreCommand(AddressOptions& options, TitreCommand command);
// Whether the command's menu item carries the check mark for the current options.
bool titreChecked(const AddressOptions& options, TitreCommand command);
// The title item matching a TypeTitre value (anything unknown counts as none).
TitreCommand titreCommandForType(int typeTitre);
