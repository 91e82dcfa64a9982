#include "core/recordform.h"

#include <QtGlobal>

bool moveInNameList(RecordForm& form, int& indexTrouve, ListMove move)
{
    const int count = form.listCount();
    int target = -1;
    switch (move) {
    case ListMove::First:
        target = count > 0 ? 0 : -1;
        break;
    case ListMove::Last:
        target = count - 1;
        break;
    case ListMove::Previous:
        if (count > 0 && indexTrouve >= 1)
            target = qMin(indexTrouve - 1, count - 1);
        break;
    case ListMove::Next:
        if (indexTrouve < count - 1)
            target = qMax(indexTrouve + 1, 0);
        break;
    }
    if (target < 0)
        return false;
    form.setListIndex(target);
    indexTrouve = form.listIndex();
    return true;
}
