#pragma once

#include "core/fieldbox.h"

#include <QString>
#include <QStringList>
#include <vector>

// Search criteria 0..8 and the field boxes each compares.
constexpr int kCriterionCount = 9;
// Caption of criterion `criterion` as the options window shows it.
QString criterionCaption(int criterion);
// Field boxes compared under `criterion`, each as one text; criterion 4 joins Adresse and
// Adresse1 into one text.
std::vector<std::vector<FieldBox>> criterionBoxes(int criterion);
// The same groups as columns (creation order).
std::vector<std::vector<int>> criterionColumnGroups(int criterion);
// True when `text`, made of the compared texts separated by `separator`, holds `lowerText` in
// one of them, letters compared in lower case.
bool textMatches(const QString& text, const QString& lowerText, QChar separator);

// True when one of the compared texts, in lower case, contains `lowerText`. `boxText` gives the
// text of a field box.
template <typename BoxText>
bool recordMatches(int criterion, const QString& lowerText, BoxText&& boxText)
{
    for (const std::vector<FieldBox>& group : criterionBoxes(criterion)) {
        if (group.size() == 1) {
            // Letters compared without regard to case: the same as lowering the text first,
            // without making a lowered copy of every field.
            if (boxText(group.front()).contains(lowerText, Qt::CaseInsensitive))
                return true;
            continue;
        }
        QString compared;
        for (FieldBox box : group)
            compared += boxText(box);
        if (compared.contains(lowerText, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
