#pragma once

#include "core/recordform.h"

#include <QList>
#include <QStringList>

// A main window stand-in: a name list whose entry i shows record i; selecting an entry makes
// its record current.
class FakeRecordForm : public RecordForm
{
public:
    // Each record lists its field boxes from box 0; missing boxes are empty.
    QList<QStringList> records;
    int selected = -1;
    QList<int> selections; // every setListIndex call

    QString fieldText(FieldBox box) const override
    {
        if (selected < 0 || selected >= records.size())
            return QString();
        const QStringList& r = records[selected];
        return boxNumber(box) < r.size() ? r[boxNumber(box)] : QString();
    }
    int listCount() const override { return int(records.size()); }
    int listIndex() const override { return selected; }
    void setListIndex(int index) override
    {
        selections << index;
        selected = index;
    }
};

// A record from the example address: Durand Marie, Ateliers Lebrun, Lyon, France.
inline QStringList durand()
{
    QStringList r(16, QStringLiteral(" "));
    r[0] = QStringLiteral("Durand");
    r[1] = QStringLiteral("Marie");
    r[2] = QStringLiteral("Ateliers Lebrun");
    r[3] = QStringLiteral("12 rue des Lilas");
    r[4] = QString();
    r[5] = QStringLiteral("69003");
    r[6] = QStringLiteral("Lyon");
    r[12] = QStringLiteral("France");
    return r;
}
