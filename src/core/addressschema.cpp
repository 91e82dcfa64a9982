#include "core/addressschema.h"

const char16_t kTableName[] = u"Elvarine";

const ColumnDef kColumns[kColumnCount] = {
    {u"Nom", 50, 0, 50, u"Nom :"},
    {u"Prénom", 50, 1, 50, u"Prénom :"},
    {u"Société", 50, 2, 50, u"Société :"},
    {u"Adresse", 50, 3, 50, u"Adresse :"},
    {u"Adresse1", 50, 4, 50, u"Adresse (suite) :"},
    {u"Code postal", 5, 5, 5, u"Code postal :"},
    {u"Ville", 40, 6, 40, u"Localité :"},
    {u"Téléphone", 20, 7, 20, u"Tél 1 :"},
    {u"Téléphone1", 20, 8, 20, u"Tél 2 :"},
    {u"Fax", 20, 9, 20, u"Fax :"},
    {u"Référence", 50, 10, 50, u"Référence :"},
    {u"Notes", 255, 11, 255, u"Notes :"},
    {u"E-mail", 50, 13, 50, u"E-Mail :"},
    {u"Pays", 50, 12, 50, u"Pays :"},
    {u"URL", 50, 14, 50, u"Accès (URL) :"},
    {u"Portable", 50, 15, 20, u"Port. :"},
};

int columnOfBox(int box)
{
    for (int c = 0; c < kColumnCount; ++c) {
        if (kColumns[c].box == box)
            return c;
    }
    return -1;
}

int boxOfColumn(int column)
{
    return column >= 0 && column < kColumnCount ? kColumns[column].box : -1;
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
