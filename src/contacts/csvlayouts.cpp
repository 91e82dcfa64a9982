#include "contacts/csvlayouts.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <climits>
#include <map>

namespace
{

using Kind = CsvColumnRole::Kind;

struct NamedRole {
    const char* name; // normalized: lower case, no accents
    Kind kind;
    int field;
    int group;
    int rank;
};

constexpr int kNone = -1;

// Thunderbird's export (English headers).
const NamedRole kThunderbird[] = {
    {"first name", Kind::GivenName, kNone, 0, 0},
    {"last name", Kind::FamilyName, kNone, 0, 0},
    {"display name", Kind::FullName, kNone, 0, 0},
    {"primary email", Kind::First, Field::Email, 0, 0},
    {"secondary email", Kind::First, Field::Email, 0, 1},
    {"home phone", Kind::Voice, kNone, 0, 0},
    {"work phone", Kind::Voice, kNone, 0, 1},
    {"fax number", Kind::Fax, kNone, 0, 0},
    {"mobile number", Kind::Mobile, kNone, 0, 0},
    {"home address", Kind::Street, kNone, 0, 0},
    {"home address 2", Kind::Street, kNone, 0, 1},
    {"home city", Kind::City, kNone, 0, 0},
    {"home zipcode", Kind::PostalCode, kNone, 0, 0},
    {"home country", Kind::Country, kNone, 0, 0},
    {"work address", Kind::Street, kNone, 1, 0},
    {"work address 2", Kind::Street, kNone, 1, 1},
    {"work city", Kind::City, kNone, 1, 0},
    {"work zipcode", Kind::PostalCode, kNone, 1, 0},
    {"work country", Kind::Country, kNone, 1, 0},
    {"organization", Kind::First, Field::Societe, 0, 0},
    {"web page 1", Kind::First, Field::Url, 0, 0},
    {"web page 2", Kind::First, Field::Url, 0, 1},
    {"notes", Kind::Field, Field::Notes, 0, 0},
};

// Outlook's export with English headers.
const NamedRole kOutlook[] = {
    {"first name", Kind::GivenName, kNone, 0, 0},
    {"middle name", Kind::MiddleName, kNone, 0, 0},
    {"last name", Kind::FamilyName, kNone, 0, 0},
    {"company", Kind::First, Field::Societe, 0, 0},
    {"home street", Kind::Street, kNone, 0, 0},
    {"home street 2", Kind::Street, kNone, 0, 1},
    {"home street 3", Kind::Street, kNone, 0, 2},
    {"home address po box", Kind::PoBox, kNone, 0, 0},
    {"home city", Kind::City, kNone, 0, 0},
    {"home postal code", Kind::PostalCode, kNone, 0, 0},
    {"home country/region", Kind::Country, kNone, 0, 0},
    {"home country", Kind::Country, kNone, 0, 0},
    {"business street", Kind::Street, kNone, 1, 0},
    {"business street 2", Kind::Street, kNone, 1, 1},
    {"business street 3", Kind::Street, kNone, 1, 2},
    {"business address po box", Kind::PoBox, kNone, 1, 0},
    {"business city", Kind::City, kNone, 1, 0},
    {"business postal code", Kind::PostalCode, kNone, 1, 0},
    {"business country/region", Kind::Country, kNone, 1, 0},
    {"business country", Kind::Country, kNone, 1, 0},
    {"other street", Kind::Street, kNone, 2, 0},
    {"other street 2", Kind::Street, kNone, 2, 1},
    {"other street 3", Kind::Street, kNone, 2, 2},
    {"other address po box", Kind::PoBox, kNone, 2, 0},
    {"other city", Kind::City, kNone, 2, 0},
    {"other postal code", Kind::PostalCode, kNone, 2, 0},
    {"other country/region", Kind::Country, kNone, 2, 0},
    {"other country", Kind::Country, kNone, 2, 0},
    {"primary phone", Kind::Voice, kNone, 0, 0},
    {"home phone", Kind::Voice, kNone, 0, 1},
    {"business phone", Kind::Voice, kNone, 0, 2},
    {"home phone 2", Kind::Voice, kNone, 0, 3},
    {"business phone 2", Kind::Voice, kNone, 0, 4},
    {"company main phone", Kind::Voice, kNone, 0, 5},
    {"other phone", Kind::Voice, kNone, 0, 6},
    {"car phone", Kind::Voice, kNone, 0, 7},
    {"radio phone", Kind::Voice, kNone, 0, 8},
    {"isdn", Kind::Voice, kNone, 0, 9},
    {"home fax", Kind::Fax, kNone, 0, 0},
    {"business fax", Kind::Fax, kNone, 0, 1},
    {"other fax", Kind::Fax, kNone, 0, 2},
    {"mobile phone", Kind::Mobile, kNone, 0, 0},
    {"e-mail address", Kind::First, Field::Email, 0, 0},
    {"e-mail 2 address", Kind::First, Field::Email, 0, 1},
    {"e-mail 3 address", Kind::First, Field::Email, 0, 2},
    {"web page", Kind::First, Field::Url, 0, 0},
    {"notes", Kind::Field, Field::Notes, 0, 0},
};

// Outlook's export with French headers.
const NamedRole kOutlookFrench[] = {
    {"prenom", Kind::GivenName, kNone, 0, 0},
    {"deuxieme prenom", Kind::MiddleName, kNone, 0, 0},
    {"nom", Kind::FamilyName, kNone, 0, 0},
    {"societe", Kind::First, Field::Societe, 0, 0},
    {"rue (domicile)", Kind::Street, kNone, 0, 0},
    {"rue (domicile) 2", Kind::Street, kNone, 0, 1},
    {"rue (domicile) 3", Kind::Street, kNone, 0, 2},
    {"b.p. (domicile)", Kind::PoBox, kNone, 0, 0},
    {"boite postale (domicile)", Kind::PoBox, kNone, 0, 0},
    {"ville (domicile)", Kind::City, kNone, 0, 0},
    {"code postal (domicile)", Kind::PostalCode, kNone, 0, 0},
    {"pays/region (domicile)", Kind::Country, kNone, 0, 0},
    {"pays (domicile)", Kind::Country, kNone, 0, 0},
    {"rue (bureau)", Kind::Street, kNone, 1, 0},
    {"rue (bureau) 2", Kind::Street, kNone, 1, 1},
    {"rue (bureau) 3", Kind::Street, kNone, 1, 2},
    {"b.p. (bureau)", Kind::PoBox, kNone, 1, 0},
    {"boite postale (bureau)", Kind::PoBox, kNone, 1, 0},
    {"ville (bureau)", Kind::City, kNone, 1, 0},
    {"code postal (bureau)", Kind::PostalCode, kNone, 1, 0},
    {"pays/region (bureau)", Kind::Country, kNone, 1, 0},
    {"pays (bureau)", Kind::Country, kNone, 1, 0},
    {"rue (autre)", Kind::Street, kNone, 2, 0},
    {"rue (autre) 2", Kind::Street, kNone, 2, 1},
    {"rue (autre) 3", Kind::Street, kNone, 2, 2},
    {"b.p. (autre)", Kind::PoBox, kNone, 2, 0},
    {"boite postale (autre)", Kind::PoBox, kNone, 2, 0},
    {"ville (autre)", Kind::City, kNone, 2, 0},
    {"code postal (autre)", Kind::PostalCode, kNone, 2, 0},
    {"pays/region (autre)", Kind::Country, kNone, 2, 0},
    {"pays (autre)", Kind::Country, kNone, 2, 0},
    {"telephone principal", Kind::Voice, kNone, 0, 0},
    {"telephone (domicile)", Kind::Voice, kNone, 0, 1},
    {"telephone (bureau)", Kind::Voice, kNone, 0, 2},
    {"telephone 2 (domicile)", Kind::Voice, kNone, 0, 3},
    {"telephone 2 (bureau)", Kind::Voice, kNone, 0, 4},
    {"telephone societe", Kind::Voice, kNone, 0, 5},
    {"telephone (autre)", Kind::Voice, kNone, 0, 6},
    {"telephone (voiture)", Kind::Voice, kNone, 0, 7},
    {"radio telephone", Kind::Voice, kNone, 0, 8},
    {"rnis", Kind::Voice, kNone, 0, 9},
    {"telecopie (domicile)", Kind::Fax, kNone, 0, 0},
    {"telecopie (bureau)", Kind::Fax, kNone, 0, 1},
    {"telecopie (autre)", Kind::Fax, kNone, 0, 2},
    {"tel. mobile", Kind::Mobile, kNone, 0, 0},
    {"telephone mobile", Kind::Mobile, kNone, 0, 0},
    {"adresse de messagerie", Kind::First, Field::Email, 0, 0},
    {"adresse de messagerie 2", Kind::First, Field::Email, 0, 1},
    {"adresse de messagerie 3", Kind::First, Field::Email, 0, 2},
    {"page web", Kind::First, Field::Url, 0, 0},
    {"notes", Kind::Field, Field::Notes, 0, 0},
};

// Google Contacts' plain columns; its numbered ones ("Phone 1 - Value") are read by pattern.
const NamedRole kGoogle[] = {
    {"name", Kind::FullName, kNone, 0, 0},
    {"given name", Kind::GivenName, kNone, 0, 0},
    {"first name", Kind::GivenName, kNone, 0, 0},
    {"additional name", Kind::MiddleName, kNone, 0, 0},
    {"middle name", Kind::MiddleName, kNone, 0, 0},
    {"family name", Kind::FamilyName, kNone, 0, 0},
    {"last name", Kind::FamilyName, kNone, 0, 0},
    {"organization name", Kind::First, Field::Societe, 0, 0},
    {"notes", Kind::Field, Field::Notes, 0, 0},
};

// Names people give columns, for the mapping window's proposals.
const std::pair<const char*, int> kCommonNames[] = {
    {"nom", Field::Nom},
    {"nom de famille", Field::Nom},
    {"last name", Field::Nom},
    {"family name", Field::Nom},
    {"surname", Field::Nom},
    {"prenom", Field::Prenom},
    {"first name", Field::Prenom},
    {"given name", Field::Prenom},
    {"societe", Field::Societe},
    {"entreprise", Field::Societe},
    {"organisation", Field::Societe},
    {"organization", Field::Societe},
    {"company", Field::Societe},
    {"adresse", Field::Adresse},
    {"rue", Field::Adresse},
    {"address", Field::Adresse},
    {"street", Field::Adresse},
    {"adresse 2", Field::Adresse1},
    {"complement d'adresse", Field::Adresse1},
    {"address 2", Field::Adresse1},
    {"street 2", Field::Adresse1},
    {"cp", Field::CodePostal},
    {"postal code", Field::CodePostal},
    {"zip", Field::CodePostal},
    {"zip code", Field::CodePostal},
    {"zipcode", Field::CodePostal},
    {"ville", Field::Ville},
    {"city", Field::Ville},
    {"town", Field::Ville},
    {"telephone", Field::Telephone},
    {"tel", Field::Telephone},
    {"tel.", Field::Telephone},
    {"phone", Field::Telephone},
    {"telephone 2", Field::Telephone1},
    {"phone 2", Field::Telephone1},
    {"telecopie", Field::Fax},
    {"ref", Field::Reference},
    {"reference", Field::Reference},
    {"note", Field::Notes},
    {"remarques", Field::Notes},
    {"commentaire", Field::Notes},
    {"commentaires", Field::Notes},
    {"comments", Field::Notes},
    {"email", Field::Email},
    {"mail", Field::Email},
    {"courriel", Field::Email},
    {"adresse electronique", Field::Email},
    {"country", Field::Pays},
    {"site", Field::Url},
    {"site web", Field::Url},
    {"web", Field::Url},
    {"website", Field::Url},
    {"page web", Field::Url},
    {"mobile", Field::Portable},
    {"cell", Field::Portable},
    {"gsm", Field::Portable},
    {"telephone portable", Field::Portable},
    {"tel. mobile", Field::Portable},
};

// Our own header names: the field captions and the column names.
int ownField(const QString& normalized)
{
    static const QHash<QString, int> names = [] {
        QHash<QString, int> h;
        for (int c = 0; c < kColumnCount; ++c) {
            h.insert(normalizedHeader(fieldCaption(c)), c);
            h.insert(normalizedHeader(columnName(c)), c);
        }
        return h;
    }();
    return names.value(normalized, -1);
}

template <size_t N> CsvColumnRole lookUp(const NamedRole (&table)[N], const QString& normalized)
{
    for (const NamedRole& r : table) {
        if (normalized == QLatin1String(r.name))
            return CsvColumnRole{r.kind, r.field, r.group, r.rank};
    }
    return CsvColumnRole{};
}

// Google's numbered columns: "Phone 1 - Value", "Address 2 - City", "E-mail 1 - Value"...
CsvColumnRole googleNumbered(const QString& normalized)
{
    static const QRegularExpression re(
        QStringLiteral("^(e-mail|phone|address|organization|website) (\\d+) - (.+)$"));
    const QRegularExpressionMatch m = re.match(normalized);
    if (!m.hasMatch())
        return CsvColumnRole{};
    const QString what = m.captured(1);
    const int n = m.captured(2).toInt();
    const QString part = m.captured(3);
    if (what == QLatin1String("phone")) {
        if (part == QLatin1String("type") || part == QLatin1String("label"))
            return CsvColumnRole{Kind::PhoneType, kNone, n, 0};
        if (part == QLatin1String("value"))
            return CsvColumnRole{Kind::PhoneValue, kNone, n, 0};
    } else if (what == QLatin1String("e-mail")) {
        if (part == QLatin1String("value"))
            return CsvColumnRole{Kind::First, Field::Email, 0, n};
    } else if (what == QLatin1String("website")) {
        if (part == QLatin1String("value"))
            return CsvColumnRole{Kind::First, Field::Url, 0, n};
    } else if (what == QLatin1String("organization")) {
        if (part == QLatin1String("name"))
            return CsvColumnRole{Kind::First, Field::Societe, 0, n};
    } else if (what == QLatin1String("address")) {
        if (part == QLatin1String("street"))
            return CsvColumnRole{Kind::Street, kNone, n, 0};
        if (part == QLatin1String("extended address"))
            return CsvColumnRole{Kind::Extended, kNone, n, 0};
        if (part == QLatin1String("po box"))
            return CsvColumnRole{Kind::PoBox, kNone, n, 0};
        if (part == QLatin1String("city"))
            return CsvColumnRole{Kind::City, kNone, n, 0};
        if (part == QLatin1String("postal code"))
            return CsvColumnRole{Kind::PostalCode, kNone, n, 0};
        if (part == QLatin1String("country"))
            return CsvColumnRole{Kind::Country, kNone, n, 0};
        if (part == QLatin1String("formatted"))
            return CsvColumnRole{Kind::Formatted, kNone, n, 0};
    }
    return CsvColumnRole{};
}

bool hasAny(const QStringList& normalized, std::initializer_list<const char*> names)
{
    for (const char* n : names) {
        if (normalized.contains(QLatin1String(n)))
            return true;
    }
    return false;
}

CsvLayout layoutOf(const QStringList& normalized)
{
    int own = 0;
    bool allOwn = true;
    for (const QString& h : normalized) {
        if (h.isEmpty())
            continue;
        if (ownField(h) >= 0)
            ++own;
        else
            allOwn = false;
    }
    if (allOwn && own >= 2)
        return CsvLayout::Elvarine;
    static const QRegularExpression numbered(
        QStringLiteral("^(e-mail|phone|address|organization|website) \\d+ - "));
    for (const QString& h : normalized) {
        if (numbered.match(h).hasMatch())
            return CsvLayout::Google;
    }
    if (hasAny(normalized, {"primary email", "secondary email", "mobile number", "home zipcode",
                            "work zipcode", "display name", "fax number"}))
        return CsvLayout::Thunderbird;
    if (hasAny(normalized, {"e-mail address", "business street", "home street", "mobile phone",
                            "business phone", "home phone", "middle name", "web page"}))
        return CsvLayout::Outlook;
    if (hasAny(normalized, {"deuxieme prenom", "rue (bureau)", "rue (domicile)",
                            "adresse de messagerie", "tel. mobile", "telephone (bureau)",
                            "telephone (domicile)", "ville (domicile)", "ville (bureau)"}))
        return CsvLayout::OutlookFrench;
    return CsvLayout::Unknown;
}

} // namespace

QString normalizedHeader(const QString& name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        out += c.toLower();
    }
    out.remove(QLatin1Char('"'));
    return out.simplified();
}

QString layoutName(CsvLayout layout)
{
    switch (layout) {
    case CsvLayout::Elvarine:
        return QStringLiteral("Elvarine");
    case CsvLayout::Google:
        return QStringLiteral("Google Contacts");
    case CsvLayout::Outlook:
        return QStringLiteral("Outlook");
    case CsvLayout::OutlookFrench:
        return QStringLiteral("Outlook (en français)");
    case CsvLayout::Thunderbird:
        return QStringLiteral("Thunderbird");
    case CsvLayout::Unknown:
        break;
    }
    return QString();
}

CsvMapping recognizeHeader(const QStringList& header)
{
    QStringList normalized;
    for (const QString& h : header)
        normalized << normalizedHeader(h);
    CsvMapping mapping;
    mapping.layout = layoutOf(normalized);
    mapping.headerRow = true;
    for (const QString& h : normalized) {
        CsvColumnRole role;
        switch (mapping.layout) {
        case CsvLayout::Elvarine: {
            const int field = ownField(h);
            if (field >= 0)
                role = CsvColumnRole{Kind::Field, field, 0, 0};
            break;
        }
        case CsvLayout::Google:
            role = googleNumbered(h);
            if (role.kind == Kind::Ignore)
                role = lookUp(kGoogle, h);
            break;
        case CsvLayout::Outlook:
            role = lookUp(kOutlook, h);
            break;
        case CsvLayout::OutlookFrench:
            role = lookUp(kOutlookFrench, h);
            break;
        case CsvLayout::Thunderbird:
            role = lookUp(kThunderbird, h);
            break;
        case CsvLayout::Unknown:
            break;
        }
        mapping.roles.push_back(role);
    }
    return mapping;
}

std::vector<int> guessFields(const QStringList& header)
{
    std::vector<int> fields;
    std::array<bool, kColumnCount> taken{};
    for (const QString& h : header) {
        const QString n = normalizedHeader(h);
        int field = ownField(n);
        if (field < 0) {
            for (const auto& [name, f] : kCommonNames) {
                if (n == QLatin1String(name)) {
                    field = f;
                    break;
                }
            }
        }
        if (field >= 0 && taken[size_t(field)])
            field = -1;
        if (field >= 0)
            taken[size_t(field)] = true;
        fields.push_back(field);
    }
    return fields;
}

CsvMapping mappingOfFields(const std::vector<int>& fields, bool headerRow)
{
    CsvMapping mapping;
    mapping.layout = CsvLayout::Unknown;
    mapping.headerRow = headerRow;
    for (int f : fields) {
        if (f >= 0 && f < kColumnCount)
            mapping.roles.push_back(CsvColumnRole{Kind::Field, f, 0, 0});
        else
            mapping.roles.push_back(CsvColumnRole{});
    }
    return mapping;
}
