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

std::vector<std::vector<FieldBox>> criterionBoxes(int criterion)
{
    switch (criterion) {
    case 1:
        return {{FieldBox::Nom}};
    case 2:
        return {{FieldBox::Prenom}};
    case 3:
        return {{FieldBox::Societe}};
    case 4:
        return {{FieldBox::Adresse, FieldBox::Adresse1}};
    case 5:
        return {{FieldBox::CodePostal}};
    case 6:
        return {{FieldBox::Email}};
    case 7:
        return {{FieldBox::Url}};
    case 8:
        return {{FieldBox::Reference}};
    default: {
        std::vector<std::vector<FieldBox>> all;
        for (FieldBox box : kAllFieldBoxes)
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
        for (FieldBox box : boxes)
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
