// The contacts of a CSV file's data rows, column by column as the header's layout (or the user)
// says.
#include "contacts/csvlayouts.h"

#include <algorithm>
#include <array>
#include <climits>
#include <map>

namespace
{

using Kind = CsvColumnRole::Kind;

QString trimmed(const QString& s)
{
    return s.trimmed();
}

// Google puts several values of one column in one cell, separated by " ::: ".
QStringList cellValues(const QString& cell)
{
    QStringList out;
    for (const QString& v : cell.split(QLatin1String(" ::: "))) {
        if (!v.trimmed().isEmpty())
            out << v.trimmed();
    }
    return out;
}

void splitFullName(const QString& full, QString& nom, QString& prenom)
{
    const QString f = full.trimmed();
    const qsizetype space = f.lastIndexOf(QLatin1Char(' '));
    if (space > 0) {
        prenom = f.left(space).trimmed();
        nom = f.mid(space + 1);
    } else {
        nom = f;
    }
}

} // namespace

Contact contactOfCsvRow(const CsvMapping& mapping, const QStringList& row)
{
    struct Address {
        std::vector<std::pair<int, QString>> streets;
        QString extended, poBox, city, postalCode, country, formatted;
        bool hasParts() const
        {
            return !streets.empty() || !extended.isEmpty() || !poBox.isEmpty() || !city.isEmpty() ||
                   !postalCode.isEmpty() || !country.isEmpty();
        }
    };
    std::array<QStringList, kColumnCount> joined;
    std::array<std::pair<int, QString>, kColumnCount> first;
    first.fill({INT_MAX, QString()});
    QString given, middle, family, full;
    std::vector<std::pair<int, QString>> voices, faxes, mobiles;
    std::map<int, QString> phoneTypes;
    std::map<int, QStringList> phoneValues;
    std::map<int, Address> addresses;

    const size_t columns = std::min(mapping.roles.size(), size_t(row.size()));
    for (size_t i = 0; i < columns; ++i) {
        const CsvColumnRole& role = mapping.roles[i];
        const QString& cell = row[qsizetype(i)];
        if (role.kind == Kind::Ignore || cell.isEmpty())
            continue;
        const bool notes = role.field == Field::Notes;
        const QString value = notes ? cell : trimmed(cell);
        if (value.trimmed().isEmpty())
            continue;
        switch (role.kind) {
        case Kind::Ignore:
            break;
        case Kind::Field:
            joined[size_t(role.field)] << value;
            break;
        case Kind::First: {
            const QStringList values = notes ? QStringList{value} : cellValues(value);
            auto& slot = first[size_t(role.field)];
            if (!values.isEmpty() && role.rank < slot.first)
                slot = {role.rank, values.first()};
            break;
        }
        case Kind::GivenName:
            given = value;
            break;
        case Kind::MiddleName:
            middle = value;
            break;
        case Kind::FamilyName:
            family = value;
            break;
        case Kind::FullName:
            full = value;
            break;
        case Kind::Voice:
            for (const QString& v : cellValues(value))
                voices.emplace_back(role.rank, v);
            break;
        case Kind::Fax:
            for (const QString& v : cellValues(value))
                faxes.emplace_back(role.rank, v);
            break;
        case Kind::Mobile:
            for (const QString& v : cellValues(value))
                mobiles.emplace_back(role.rank, v);
            break;
        case Kind::PhoneType:
            phoneTypes[role.group] = value;
            break;
        case Kind::PhoneValue:
            phoneValues[role.group] = cellValues(value);
            break;
        case Kind::Street:
            addresses[role.group].streets.emplace_back(role.rank, value);
            break;
        case Kind::Extended:
            addresses[role.group].extended = value;
            break;
        case Kind::PoBox:
            addresses[role.group].poBox = value;
            break;
        case Kind::City:
            addresses[role.group].city = value;
            break;
        case Kind::PostalCode:
            addresses[role.group].postalCode = value;
            break;
        case Kind::Country:
            addresses[role.group].country = value;
            break;
        case Kind::Formatted:
            addresses[role.group].formatted = value;
            break;
        }
    }

    Contact c;
    for (int f = 0; f < kColumnCount; ++f) {
        if (!joined[size_t(f)].isEmpty())
            c[size_t(f)] = joined[size_t(f)].join(f == Field::Notes ? QStringLiteral("\n")
                                                                    : QStringLiteral(" "));
        else if (!first[size_t(f)].second.isEmpty())
            c[size_t(f)] = first[size_t(f)].second;
    }
    auto setIfEmpty = [&c](int field, const QString& value) {
        if (c[size_t(field)].isEmpty() && !value.isEmpty())
            c[size_t(field)] = value;
    };

    // Names: the parts, else the whole name.
    const QString givenNames = (given + QLatin1Char(' ') + middle).trimmed();
    if (!family.isEmpty() || !givenNames.isEmpty()) {
        setIfEmpty(Field::Nom, family);
        setIfEmpty(Field::Prenom, givenNames);
    } else if (!full.isEmpty() && c[Field::Nom].isEmpty() && c[Field::Prenom].isEmpty()) {
        QString nom, prenom;
        splitFullName(full, nom, prenom);
        setIfEmpty(Field::Nom, nom);
        setIfEmpty(Field::Prenom, prenom);
    }

    // Numbers typed by their own column ("Mobile", "Work Fax", "Home"...).
    for (const auto& [group, values] : phoneValues) {
        const QString type = phoneTypes.count(group) ? phoneTypes[group].toLower() : QString();
        for (const QString& v : values) {
            if (type.contains(QLatin1String("fax")))
                faxes.emplace_back(100 + group, v);
            else if (type.contains(QLatin1String("mobile")) || type.contains(QLatin1String("cell")))
                mobiles.emplace_back(100 + group, v);
            else if (type.contains(QLatin1String("pager")))
                continue;
            else
                voices.emplace_back(100 + group, v);
        }
    }
    auto byRank = [](const std::pair<int, QString>& a, const std::pair<int, QString>& b) {
        return a.first < b.first;
    };
    std::stable_sort(voices.begin(), voices.end(), byRank);
    std::stable_sort(faxes.begin(), faxes.end(), byRank);
    std::stable_sort(mobiles.begin(), mobiles.end(), byRank);
    if (!voices.empty())
        setIfEmpty(Field::Telephone, voices[0].second);
    if (voices.size() > 1)
        setIfEmpty(Field::Telephone1, voices[1].second);
    if (!faxes.empty())
        setIfEmpty(Field::Fax, faxes[0].second);
    if (!mobiles.empty())
        setIfEmpty(Field::Portable, mobiles[0].second);

    // The first address that has parts; else the first one given as a whole.
    const Address* chosen = nullptr;
    for (const auto& [group, a] : addresses) {
        if (a.hasParts()) {
            chosen = &a;
            break;
        }
    }
    QStringList lines;
    if (chosen) {
        auto streets = chosen->streets;
        std::stable_sort(streets.begin(), streets.end(), byRank);
        QStringList parts;
        for (const auto& s : streets)
            parts << s.second;
        parts << chosen->extended << chosen->poBox;
        for (const QString& part : parts) {
            for (const QString& l : withLfLineBreaks(part).split(QLatin1Char('\n'))) {
                if (!l.trimmed().isEmpty())
                    lines << l.trimmed();
            }
        }
        setIfEmpty(Field::Ville, chosen->city);
        setIfEmpty(Field::CodePostal, chosen->postalCode);
        setIfEmpty(Field::Pays, chosen->country);
    } else {
        for (const auto& [group, a] : addresses) {
            if (a.formatted.isEmpty())
                continue;
            for (const QString& l : withLfLineBreaks(a.formatted).split(QLatin1Char('\n'))) {
                if (!l.trimmed().isEmpty())
                    lines << l.trimmed();
            }
            break;
        }
    }
    setIfEmpty(Field::Adresse, lines.value(0));
    setIfEmpty(Field::Adresse1, lines.mid(1).join(QLatin1String(", ")));

    for (QString& field : c) {
        if (field.isEmpty())
            field = QString();
    }
    return c;
}

std::vector<Contact> contactsOfCsv(const CsvTable& table, const CsvMapping& mapping,
                                   const ProgressFn& progress, bool* cancelled)
{
    if (cancelled)
        *cancelled = false;
    std::vector<Contact> contacts;
    const size_t from = mapping.headerRow ? 1 : 0;
    if (table.rows.size() > from)
        contacts.reserve(table.rows.size() - from);
    const qint64 total = qint64(table.rows.size());
    for (size_t i = from; i < table.rows.size(); ++i) {
        contacts.push_back(contactOfCsvRow(mapping, table.rows[i]));
        if (progress && i % 1000 == 999 && !progress(qint64(i + 1), total)) {
            if (cancelled)
                *cancelled = true;
            return {};
        }
    }
    return contacts;
}
