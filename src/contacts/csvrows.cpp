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

// The address columns of one group.
struct Address {
    std::vector<std::pair<int, QString>> streets;
    QString extended, poBox, city, postalCode, country, formatted;
    bool hasParts() const
    {
        return !streets.empty() || !extended.isEmpty() || !poBox.isEmpty() || !city.isEmpty() ||
               !postalCode.isEmpty() || !country.isEmpty();
    }
};

// What the cells of one row give, gathered column by column before the fields are chosen.
struct RowParts {
    RowParts() { first.fill({INT_MAX, QString()}); }
    std::array<QStringList, kColumnCount> joined;
    std::array<std::pair<int, QString>, kColumnCount> first;
    QString given, middle, family, full;
    std::vector<std::pair<int, QString>> voices, faxes, mobiles;
    std::map<int, QString> phoneTypes;
    std::map<int, QStringList> phoneValues;
    std::map<int, Address> addresses;
};

bool byRank(const std::pair<int, QString>& a, const std::pair<int, QString>& b)
{
    return a.first < b.first;
}

// Files the value of one cell (not blank) under what its column gives.
void takeCell(RowParts& p, const CsvColumnRole& role, const QString& value, bool notes)
{
    switch (role.kind) {
    case Kind::Ignore:
        break;
    case Kind::Field:
        p.joined[size_t(role.field)] << value;
        break;
    case Kind::First: {
        const QStringList values = notes ? QStringList{value} : cellValues(value);
        auto& slot = p.first[size_t(role.field)];
        if (!values.isEmpty() && role.rank < slot.first)
            slot = {role.rank, values.first()};
        break;
    }
    case Kind::GivenName:
        p.given = value;
        break;
    case Kind::MiddleName:
        p.middle = value;
        break;
    case Kind::FamilyName:
        p.family = value;
        break;
    case Kind::FullName:
        p.full = value;
        break;
    case Kind::Voice:
        for (const QString& v : cellValues(value))
            p.voices.emplace_back(role.rank, v);
        break;
    case Kind::Fax:
        for (const QString& v : cellValues(value))
            p.faxes.emplace_back(role.rank, v);
        break;
    case Kind::Mobile:
        for (const QString& v : cellValues(value))
            p.mobiles.emplace_back(role.rank, v);
        break;
    case Kind::PhoneType:
        p.phoneTypes[role.group] = value;
        break;
    case Kind::PhoneValue:
        p.phoneValues[role.group] = cellValues(value);
        break;
    case Kind::Street:
        p.addresses[role.group].streets.emplace_back(role.rank, value);
        break;
    case Kind::Extended:
        p.addresses[role.group].extended = value;
        break;
    case Kind::PoBox:
        p.addresses[role.group].poBox = value;
        break;
    case Kind::City:
        p.addresses[role.group].city = value;
        break;
    case Kind::PostalCode:
        p.addresses[role.group].postalCode = value;
        break;
    case Kind::Country:
        p.addresses[role.group].country = value;
        break;
    case Kind::Formatted:
        p.addresses[role.group].formatted = value;
        break;
    }
}

// The fields given directly by their columns: joined, or the first filled one.
Contact directFields(const RowParts& p)
{
    Contact c;
    for (int f = 0; f < kColumnCount; ++f) {
        if (!p.joined[size_t(f)].isEmpty())
            c[size_t(f)] = p.joined[size_t(f)].join(f == Field::Notes ? QStringLiteral("\n")
                                                                      : QStringLiteral(" "));
        else if (!p.first[size_t(f)].second.isEmpty())
            c[size_t(f)] = p.first[size_t(f)].second;
    }
    return c;
}

void setIfEmpty(Contact& c, int field, const QString& value)
{
    if (c[size_t(field)].isEmpty() && !value.isEmpty())
        c[size_t(field)] = value;
}

void setNames(Contact& c, const RowParts& p)
{
    // Names: the parts, else the whole name.
    const QString givenNames = (p.given + QLatin1Char(' ') + p.middle).trimmed();
    if (!p.family.isEmpty() || !givenNames.isEmpty()) {
        setIfEmpty(c, Field::Nom, p.family);
        setIfEmpty(c, Field::Prenom, givenNames);
    } else if (!p.full.isEmpty() && c[Field::Nom].isEmpty() && c[Field::Prenom].isEmpty()) {
        QString nom, prenom;
        splitFullName(p.full, nom, prenom);
        setIfEmpty(c, Field::Nom, nom);
        setIfEmpty(c, Field::Prenom, prenom);
    }
}

void setPhones(Contact& c, RowParts& p)
{
    // Numbers typed by their own column ("Mobile", "Work Fax", "Home"...).
    for (const auto& [group, values] : p.phoneValues) {
        const QString type = p.phoneTypes.count(group) ? p.phoneTypes[group].toLower() : QString();
        for (const QString& v : values) {
            if (type.contains(QLatin1String("fax")))
                p.faxes.emplace_back(100 + group, v);
            else if (type.contains(QLatin1String("mobile")) || type.contains(QLatin1String("cell")))
                p.mobiles.emplace_back(100 + group, v);
            else if (type.contains(QLatin1String("pager")))
                continue;
            else
                p.voices.emplace_back(100 + group, v);
        }
    }
    std::stable_sort(p.voices.begin(), p.voices.end(), byRank);
    std::stable_sort(p.faxes.begin(), p.faxes.end(), byRank);
    std::stable_sort(p.mobiles.begin(), p.mobiles.end(), byRank);
    if (!p.voices.empty())
        setIfEmpty(c, Field::Telephone, p.voices[0].second);
    if (p.voices.size() > 1)
        setIfEmpty(c, Field::Telephone1, p.voices[1].second);
    if (!p.faxes.empty())
        setIfEmpty(c, Field::Fax, p.faxes[0].second);
    if (!p.mobiles.empty())
        setIfEmpty(c, Field::Portable, p.mobiles[0].second);
}

void setAddress(Contact& c, const RowParts& p)
{
    // The first address that has parts; else the first one given as a whole.
    const Address* chosen = nullptr;
    for (const auto& [group, a] : p.addresses) {
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
        setIfEmpty(c, Field::Ville, chosen->city);
        setIfEmpty(c, Field::CodePostal, chosen->postalCode);
        setIfEmpty(c, Field::Pays, chosen->country);
    } else {
        for (const auto& [group, a] : p.addresses) {
            if (a.formatted.isEmpty())
                continue;
            for (const QString& l : withLfLineBreaks(a.formatted).split(QLatin1Char('\n'))) {
                if (!l.trimmed().isEmpty())
                    lines << l.trimmed();
            }
            break;
        }
    }
    setIfEmpty(c, Field::Adresse, lines.value(0));
    setIfEmpty(c, Field::Adresse1, lines.mid(1).join(QLatin1String(", ")));
}

} // namespace

Contact contactOfCsvRow(const CsvMapping& mapping, const QStringList& row)
{
    RowParts parts;
    const size_t columns = std::min(mapping.roles.size(), size_t(row.size()));
    for (size_t i = 0; i < columns; ++i) {
        const CsvColumnRole& role = mapping.roles[i];
        const QString& cell = row[qsizetype(i)];
        if (role.kind == Kind::Ignore || cell.isEmpty())
            continue;
        const bool notes = role.field == Field::Notes;
        const QString value = notes ? cell : trimmed(cell);
        if (!value.trimmed().isEmpty())
            takeCell(parts, role, value, notes);
    }
    Contact c = directFields(parts);
    setNames(c, parts);
    setPhones(c, parts);
    setAddress(c, parts);
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
