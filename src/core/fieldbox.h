#pragma once

#include <array>

// The sixteen field boxes of the record form. Each value is the box's number, which is also
// the suffix of its widget name (txtFields_0 ... txtFields_15); the stored column of each box
// is in the address schema.
enum class FieldBox : int {
    Nom = 0,
    Prenom = 1,
    Societe = 2,
    Adresse = 3,
    Adresse1 = 4,
    CodePostal = 5,
    Ville = 6,
    Telephone = 7,
    Telephone1 = 8,
    Fax = 9,
    Reference = 10,
    Notes = 11,
    Pays = 12,
    Email = 13,
    Url = 14,
    Portable = 15,
};

constexpr int kFieldBoxCount = 16;

constexpr int boxNumber(FieldBox box)
{
    return static_cast<int>(box);
}

// The box with number `number` (0..15).
constexpr FieldBox fieldBox(int number)
{
    return static_cast<FieldBox>(number);
}

// Every box, by number.
constexpr std::array<FieldBox, kFieldBoxCount> kAllFieldBoxes = {
    FieldBox::Nom,        FieldBox::Prenom,     FieldBox::Societe,   FieldBox::Adresse,
    FieldBox::Adresse1,   FieldBox::CodePostal, FieldBox::Ville,     FieldBox::Telephone,
    FieldBox::Telephone1, FieldBox::Fax,        FieldBox::Reference, FieldBox::Notes,
    FieldBox::Pays,       FieldBox::Email,      FieldBox::Url,       FieldBox::Portable,
};
