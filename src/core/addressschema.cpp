#include "core/addressschema.h"

const char16_t kTableName[] = u"Elvarine";

const ColumnDef kColumns[kColumnCount] = {
#define ELVARINE_COLUMN(id, column, box, name, size, boxLength, caption)                           \
    {name, size, FieldBox::id, boxLength, caption},
    ELVARINE_FIELDS(ELVARINE_COLUMN)
#undef ELVARINE_COLUMN
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
