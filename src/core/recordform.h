#pragma once

#include "core/fieldbox.h"

#include <QString>

// What the other windows use of the main window's record form and name list: the texts of the
// sixteen field boxes of the current record, and the name list, whose selection makes the
// matching record current.
class RecordForm
{
public:
    virtual ~RecordForm() = default;
    // Text of field box `box` as displayed.
    virtual QString fieldText(FieldBox box) const = 0;
    virtual int listCount() const = 0;
    // Selected entry of the name list, -1 when none.
    virtual int listIndex() const = 0;
    // Selects entry `index` of the name list; its record becomes current and shows.
    virtual void setListIndex(int index) = 0;
};

// The record buttons of the print windows: first, previous, next and last entry of the name
// list, keeping the shared list index `indexTrouve` (the search's). Nothing moves on an empty
// list, before the first entry or after the last; an index that no longer fits the list is
// brought back into it. True when an entry was selected.
enum class ListMove { First, Previous, Next, Last };
bool moveInNameList(RecordForm& form, int& indexTrouve, ListMove move);
