#include "core/addressschema.h"

const char16_t kTableName[] = u"Elvarine";

const ColumnDef kColumns[kColumnCount] = {
    {u"Nom", 50, FieldBox::Nom, 50, u"Nom :"},
    {u"Prénom", 50, FieldBox::Prenom, 50, u"Prénom :"},
    {u"Société", 50, FieldBox::Societe, 50, u"Société :"},
    {u"Adresse", 50, FieldBox::Adresse, 50, u"Adresse :"},
    {u"Adresse1", 50, FieldBox::Adresse1, 50, u"Adresse (suite) :"},
    {u"Code postal", 5, FieldBox::CodePostal, 5, u"Code postal :"},
    {u"Ville", 40, FieldBox::Ville, 40, u"Localité :"},
    {u"Téléphone", 20, FieldBox::Telephone, 20, u"Tél 1 :"},
    {u"Téléphone1", 20, FieldBox::Telephone1, 20, u"Tél 2 :"},
    {u"Fax", 20, FieldBox::Fax, 20, u"Fax :"},
    {u"Référence", 50, FieldBox::Reference, 50, u"Référence :"},
    {u"Notes", 255, FieldBox::Notes, 255, u"Notes :"},
    {u"E-mail", 50, FieldBox::Email, 50, u"E-Mail :"},
    {u"Pays", 50, FieldBox::Pays, 50, u"Pays :"},
    {u"URL", 50, FieldBox::Url, 50, u"Accès (URL) :"},
    {u"Portable", 50, FieldBox::Portable, 20, u"Port. :"},
};

int columnOfBox(FieldBox box)
{
    for (int c = 0; c < kColumnCount; ++c) {
        if (kColumns[c].box == box)
            return c;
    }
    Q_UNREACHABLE();
    return -1;
}

QString columnName(int column)
{
    return QString::fromUtf16(kColumns[column].name);
}

int columnIndex(const QString& name)
{
    for (int c = 0; c < kColumnCount; ++c) {
        if (name.compare(columnName(c), Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}
