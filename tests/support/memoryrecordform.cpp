#include "memoryrecordform.h"

#include <algorithm>
#include <numeric>

BoxTexts boxTexts(const QStringList& values)
{
    BoxTexts boxes;
    for (int i = 0; i < 16 && i < values.size(); ++i)
        boxes[size_t(i)] = values[i];
    return boxes;
}

MemoryRecordForm::MemoryRecordForm(std::vector<BoxTexts> recs) : records(std::move(recs))
{
    listOrder.resize(records.size());
    std::iota(listOrder.begin(), listOrder.end(), 0);
}

void MemoryRecordForm::sortList()
{
    std::stable_sort(listOrder.begin(), listOrder.end(), [this](int a, int b) {
        const QString la = records[size_t(a)][0] + QLatin1Char(' ') + records[size_t(a)][1];
        const QString lb = records[size_t(b)][0] + QLatin1Char(' ') + records[size_t(b)][1];
        return QString::localeAwareCompare(la, lb) < 0;
    });
}

QString MemoryRecordForm::fieldText(FieldBox box) const
{
    if (current < 0 || size_t(current) >= records.size())
        return QString();
    return records[size_t(current)][size_t(box)];
}

void MemoryRecordForm::setListIndex(int index)
{
    selections << index;
    if (index < 0 || size_t(index) >= listOrder.size())
        return;
    selected = index;
    current = listOrder[size_t(index)];
}

std::vector<BoxTexts> frenchRecords(int count)
{
    static const QStringList noms{
        QStringLiteral("Lefèvre"),  QStringLiteral("Dupré"),     QStringLiteral("Gauthier"),
        QStringLiteral("Bénard"),   QStringLiteral("Moreau"),    QStringLiteral("Châtelain"),
        QStringLiteral("Lemaître"), QStringLiteral("Faÿ"),       QStringLiteral("Girard"),
        QStringLiteral("Ménard"),   QStringLiteral("Boulanger"), QStringLiteral("Lagarçon"),
        QStringLiteral("Noël"),     QStringLiteral("Mercier"),   QStringLiteral("Rousseau"),
        QStringLiteral("Étienne"),  QStringLiteral("Pâris"),     QStringLiteral("Dubœuf")};
    static const QStringList prenoms{
        QStringLiteral("Hélène"),    QStringLiteral("François"), QStringLiteral("Zoé"),
        QStringLiteral("Jérôme"),    QStringLiteral("Cécile"),   QStringLiteral("Loïc"),
        QStringLiteral("Anaïs"),     QStringLiteral("Gaëlle"),   QStringLiteral("André"),
        QStringLiteral("Françoise"), QStringLiteral("Benoît"),   QStringLiteral("Maëlys"),
        QStringLiteral("Raphaël")};
    static const QStringList villes{QStringLiteral("Besançon"),  QStringLiteral("Nîmes"),
                                    QStringLiteral("Orléans"),   QStringLiteral("Saint-Étienne"),
                                    QStringLiteral("Créteil"),   QStringLiteral("Lyon"),
                                    QStringLiteral("Périgueux"), QStringLiteral("Angoulême")};
    static const QStringList rues{
        QStringLiteral("rue de la Fontaine"), QStringLiteral("avenue des Châtaigniers"),
        QStringLiteral("place de l'Église"), QStringLiteral("chemin du Moulin"),
        QStringLiteral("boulevard Gambetta")};

    std::vector<BoxTexts> out;
    out.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        BoxTexts r;
        if (i % 7 == 6 && !out.empty()) {
            r[0] = out.back()[0];
            r[1] = out.back()[1];
        } else {
            r[0] = noms[(i * 7 + i / 18) % noms.size()];
            r[1] = prenoms[(i * 5 + 3) % prenoms.size()];
        }
        r[2] = i % 3 == 0 ? QStringLiteral("Société n°%1").arg(i) : QString();
        r[3] = QStringLiteral("%1 %2").arg(i % 90 + 1).arg(rues[i % rues.size()]);
        r[4] = i % 4 == 0 ? QStringLiteral("Bâtiment %1").arg(QChar(u'A' + i % 6)) : QString();
        r[5] = QStringLiteral("%1").arg(10000 + (i * 137) % 89999, 5, 10, QLatin1Char('0'));
        r[6] = villes[i % villes.size()];
        r[7] = QStringLiteral("01 %1 %2 %3 %4")
                   .arg(i % 100, 2, 10, QLatin1Char('0'))
                   .arg((i / 100) % 100, 2, 10, QLatin1Char('0'))
                   .arg(i % 37, 2, 10, QLatin1Char('0'))
                   .arg(i % 53, 2, 10, QLatin1Char('0'));
        r[8] = i % 2 ? QStringLiteral("02 40 00 00 %1").arg(i % 100, 2, 10, QLatin1Char('0'))
                     : QString();
        r[9] = i % 5 == 0 ? QStringLiteral("03 20 11 22 33") : QString();
        r[10] = QStringLiteral("Réf-%1").arg(i + 1);
        r[11] = i % 6 == 0 ? QStringLiteral("À rappeler après l'été") : QString();
        r[12] = i % 4 == 1 ? QStringLiteral("France")
                           : (i % 9 == 2 ? QStringLiteral("Suisse") : QString());
        r[13] = QStringLiteral("contact%1@exemple.fr").arg(i + 1);
        r[14] = i % 8 == 0 ? QStringLiteral("www.exemple%1.fr").arg(i) : QString();
        r[15] = i % 3 == 1 ? QStringLiteral("06 12 34 56 %1").arg(i % 100, 2, 10, QLatin1Char('0'))
                           : QString();
        out.push_back(r);
    }
    return out;
}

QStringList sheetBlockOf(const BoxTexts& r)
{
    return {QString(),
            "Nom : " + r[0] + " Prénom : " + r[1],
            "Société : " + r[2],
            "Adresse : " + r[3],
            "Adresse : " + r[4],
            "Code postal : " + r[5] + " Ville : " + r[6],
            "Pays :" + r[12],
            "N° Tel 1 : " + r[7] + " N° Tel 2 : " + r[8],
            "N° FAX : " + r[9] + " N° Portable : " + r[15],
            "E-Mail : " + r[13],
            "Accès URL : " + r[14],
            "Référence : " + r[10],
            "Notes : " + r[11]};
}
