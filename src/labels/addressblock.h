#pragma once

#include "core/fieldbox.h"
#include "core/state/addressoptions.h"

#include <QString>
#include <QStringList>
#include <iterator>

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

    // The boxes of the eight fields, in the order above.
    static constexpr FieldBox kBoxes[] = {
        FieldBox::Nom,      FieldBox::Prenom,     FieldBox::Societe, FieldBox::Adresse,
        FieldBox::Adresse1, FieldBox::CodePostal, FieldBox::Ville,   FieldBox::Pays};
    static constexpr int kCount = int(std::size(kBoxes));

    // Each field from text(i, box), `i` its place in kBoxes.
    template <class Text> static AddressFields filled(Text text)
    {
        AddressFields f;
        QString* const fields[] = {&f.Nom,      &f.Prenom,     &f.Societe, &f.Adresse,
                                   &f.Adresse1, &f.CodePostal, &f.Ville,   &f.Pays};
        static_assert(std::size(fields) == std::size(kBoxes));
        for (int i = 0; i < kCount; ++i)
            *fields[i] = text(i, kBoxes[i]);
        return f;
    }
    // From the sixteen field boxes, by box number.
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
