#pragma once

#include "core/recordform.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// One record as the sixteen field boxes show it (box order: 0 Nom, 1 Prénom, 2 Société,
// 3 Adresse, 4 Adresse1, 5 Code postal, 6 Ville, 7 Téléphone, 8 Téléphone1, 9 Fax,
// 10 Référence, 11 Notes, 12 Pays, 13 E-mail, 14 URL, 15 Portable).
using BoxTexts = std::array<QString, 16>;

// Boxes from the first values given, the others empty.
BoxTexts boxTexts(const QStringList& values);

// A record form over records held in memory. The name list holds one entry per record, in the
// order given by `listOrder` (record indices; by default the records' own order), and selecting
// an entry makes its own record current.
class MemoryRecordForm : public RecordForm
{
public:
    explicit MemoryRecordForm(std::vector<BoxTexts> records = {});

    std::vector<BoxTexts> records;
    std::vector<int> listOrder;
    int current = 0;       // record shown
    int selected = -1;     // list entry selected
    QList<int> selections; // every setListIndex, in order

    // Sorts the list by "Nom Prénom" (equal lines keep the records' order).
    void sortList();

    QString fieldText(FieldBox box) const override;
    int listCount() const override { return int(listOrder.size()); }
    int listIndex() const override { return selected; }
    void setListIndex(int index) override;
};

// `count` records with French names, accented letters and, every seventh record, the same
// "Nom Prénom" as the record before it (other fields differ, so each record is recognisable).
std::vector<BoxTexts> frenchRecords(int count);

// The record sheet a record prints: an empty line, then the twelve labelled lines.
QStringList sheetBlockOf(const BoxTexts& r);
