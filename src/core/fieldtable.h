#pragma once

// The sixteen fields of a record, in one table that everything else reads: the address table's
// columns (core/addressschema.h), the form's field boxes (FieldBox, core/fieldbox.h) and the
// contacts' fields (Field, contacts/contact.h). One row a field:
//   id         the name code gives the field: FieldBox::id for its box, Field::id for its column;
//   column     its place in the address table's creation order, which is also the order of a
//              contact's fields;
//   box        the number of its box on the record form (the widget txtFields_<box>): the
//              order of the form, of the fields in CSV files written and of the fields offered
//              when a CSV file's columns are matched;
//   name, size the stored column's name and the most characters it holds;
//   boxLength  the characters its box accepts as typed;
//   caption    the box's caption; without its colon, the field's header in CSV files written,
//              recognised again (with the column's name) when one is read. The vCard properties
//              of each field are in contacts/vcardwriter.cpp and contacts/vcardreader.cpp.
// The rows are in column order. "E-mail" and "Pays" stand the other way round in the table and
// on the form.
#define ELVARINE_FIELDS(X)                                                                         \
    X(Nom, 0, 0, u"Nom", 50, 50, u"Nom :")                                                         \
    X(Prenom, 1, 1, u"Prénom", 50, 50, u"Prénom :")                                                \
    X(Societe, 2, 2, u"Société", 50, 50, u"Société :")                                             \
    X(Adresse, 3, 3, u"Adresse", 50, 50, u"Adresse :")                                             \
    X(Adresse1, 4, 4, u"Adresse1", 50, 50, u"Adresse (suite) :")                                   \
    X(CodePostal, 5, 5, u"Code postal", 5, 5, u"Code postal :")                                    \
    X(Ville, 6, 6, u"Ville", 40, 40, u"Localité :")                                                \
    X(Telephone, 7, 7, u"Téléphone", 20, 20, u"Tél 1 :")                                           \
    X(Telephone1, 8, 8, u"Téléphone1", 20, 20, u"Tél 2 :")                                         \
    X(Fax, 9, 9, u"Fax", 20, 20, u"Fax :")                                                         \
    X(Reference, 10, 10, u"Référence", 50, 50, u"Référence :")                                     \
    X(Notes, 11, 11, u"Notes", 255, 255, u"Notes :")                                               \
    X(Email, 12, 13, u"E-mail", 50, 50, u"E-Mail :")                                               \
    X(Pays, 13, 12, u"Pays", 50, 50, u"Pays :")                                                    \
    X(Url, 14, 14, u"URL", 50, 50, u"Accès (URL) :")                                               \
    X(Portable, 15, 15, u"Portable", 50, 20, u"Port. :")

namespace fieldtable
{
#define ELVARINE_FIELD_COUNT(id, column, box, name, size, boxLength, caption) +1
constexpr int kCount = 0 ELVARINE_FIELDS(ELVARINE_FIELD_COUNT);
#undef ELVARINE_FIELD_COUNT

#define ELVARINE_FIELD_COLUMN(id, column, box, name, size, boxLength, caption) column,
constexpr int kColumnOfRow[kCount] = {ELVARINE_FIELDS(ELVARINE_FIELD_COLUMN)};
#undef ELVARINE_FIELD_COLUMN

#define ELVARINE_FIELD_BOX(id, column, box, name, size, boxLength, caption) box,
constexpr int kBoxOfRow[kCount] = {ELVARINE_FIELDS(ELVARINE_FIELD_BOX)};
#undef ELVARINE_FIELD_BOX

// The rows stand in column order, and every box number from 0 to 15 is taken once.
constexpr bool wellFormed()
{
    for (int row = 0; row < kCount; ++row) {
        if (kColumnOfRow[row] != row)
            return false;
        int uses = 0;
        for (int other = 0; other < kCount; ++other)
            uses += kBoxOfRow[other] == row ? 1 : 0;
        if (uses != 1)
            return false;
    }
    return true;
}
static_assert(kCount == 16 && wellFormed(), "the field table: rows in column order, boxes 0..15");
} // namespace fieldtable
