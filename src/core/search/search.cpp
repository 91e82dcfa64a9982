#include "core/search/search.h"

#include "core/addressschema.h"

QString criterionCaption(int criterion)
{
    static const char* const captions[kCriterionCount] = {
        "Tous les critères", "Noms",        "Prénoms", "Société",
        "Adresse",           "Code Postal", "E-Mail",  "Adresse Internet (URL)",
        "Référence"};
    if (criterion < 0 || criterion >= kCriterionCount)
        return QString();
    return QString::fromUtf8(captions[criterion]);
}

std::vector<std::vector<int>> criterionBoxes(int criterion)
{
    switch (criterion) {
    case 1:
        return {{0}};
    case 2:
        return {{1}};
    case 3:
        return {{2}};
    case 4:
        return {{3, 4}};
    case 5:
        return {{5}};
    case 6:
        return {{13}};
    case 7:
        return {{14}};
    case 8:
        return {{10}};
    default: {
        std::vector<std::vector<int>> all;
        for (int box = 0; box < 16; ++box)
            all.push_back({box});
        return all;
    }
    }
}

std::vector<std::vector<int>> criterionColumnGroups(int criterion)
{
    std::vector<std::vector<int>> groups;
    for (const auto& boxes : criterionBoxes(criterion)) {
        std::vector<int> columns;
        for (int box : boxes)
            columns.push_back(columnOfBox(box));
        groups.push_back(columns);
    }
    return groups;
}

bool textMatches(const QString& text, const QString& lowerText, QChar separator)
{
    if (!lowerText.contains(separator))
        return text.contains(lowerText, Qt::CaseInsensitive);
    // A search text holding the separator itself: compare each text on its own.
    for (const QString& part : text.split(separator)) {
        if (part.contains(lowerText, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
