#include "contacts/vcardwriter.h"

#include "contacts/vcardreader.h"

namespace
{

constexpr int kFoldOctets = 75;
constexpr int kProgressCards = 1000;

} // namespace

QString escapedVCardText(const QString& value)
{
    bool plain = true;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == ',' || u == ';' || u == '\r' || u == '\n') {
            plain = false;
            break;
        }
    }
    if (plain)
        return value;
    QString out;
    out.reserve(value.size() + 8);
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = value[i];
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case ',':
            out += QLatin1String("\\,");
            break;
        case ';':
            out += QLatin1String("\\;");
            break;
        case '\r':
            if (i + 1 < n && value[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\\n");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace
{

// A URI value (URL) is written as it is, not escaped like a text; a line break has no place
// in it.
QString uriValue(QString value)
{
    value.remove(QLatin1Char('\r'));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value.trimmed();
}

QString escaped(const QString& value)
{
    return escapedVCardText(value);
}

QString value(const Contact& c, int column)
{
    return isEmptyValue(c[size_t(column)]) ? QString() : c[size_t(column)];
}

} // namespace

QByteArray foldedLine(const QByteArray& line)
{
    QByteArray out;
    out.reserve(line.size() + line.size() / 70 * 3 + 2);
    qsizetype pos = 0;
    const qsizetype n = line.size();
    bool first = true;
    while (true) {
        const qsizetype room = first ? kFoldOctets : kFoldOctets - 1;
        if (n - pos <= room) {
            if (!first)
                out.append(' ');
            out.append(line.constData() + pos, n - pos);
            out.append("\r\n");
            return out;
        }
        qsizetype cut = pos + room;
        // Never between the bytes of one UTF-8 character.
        while (cut > pos && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        if (cut == pos)
            cut = pos + room;
        if (!first)
            out.append(' ');
        out.append(line.constData() + pos, cut - pos);
        out.append("\r\n");
        pos = cut;
        first = false;
    }
}

void appendVCard(QByteArray& out, const Contact& c, VCardVersion version)
{
    const bool v4 = version == VCardVersion::V40;
    auto put = [&out](const QString& name, const QString& text) {
        const QByteArray line = (name + QLatin1Char(':') + text).toUtf8();
        if (line.size() <= kFoldOctets) {
            out += line;
            out += "\r\n";
        } else {
            out += foldedLine(line);
        }
    };
    out += "BEGIN:VCARD\r\n";
    out += v4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";

    const QString nom = value(c, Field::Nom);
    const QString prenom = value(c, Field::Prenom);
    QString full = (prenom + QLatin1Char(' ') + nom).trimmed();
    if (full.isEmpty())
        full = value(c, Field::Societe);
    put(QStringLiteral("FN"), escaped(full));
    put(QStringLiteral("N"),
        escaped(nom) + QLatin1Char(';') + escaped(prenom) + QLatin1String(";;;"));
    if (!value(c, Field::Societe).isEmpty())
        put(QStringLiteral("ORG"), escaped(value(c, Field::Societe)));

    const QString street1 = value(c, Field::Adresse);
    const QString street2 = value(c, Field::Adresse1);
    QString street = street1;
    if (!street2.isEmpty())
        street = street.isEmpty() ? street2 : street + QLatin1Char('\n') + street2;
    const QString town = value(c, Field::Ville);
    const QString code = value(c, Field::CodePostal);
    const QString country = value(c, Field::Pays);
    if (!street.isEmpty() || !town.isEmpty() || !code.isEmpty() || !country.isEmpty())
        put(QStringLiteral("ADR"), QLatin1String(";;") + escaped(street) + QLatin1Char(';') +
                                       escaped(town) + QLatin1String(";;") + escaped(code) +
                                       QLatin1Char(';') + escaped(country));

    const QString voice = v4 ? QStringLiteral("TEL;TYPE=voice") : QStringLiteral("TEL;TYPE=VOICE");
    for (int column : {int(Field::Telephone), int(Field::Telephone1)}) {
        if (!value(c, column).isEmpty())
            put(voice, escaped(value(c, column)));
    }
    if (!value(c, Field::Fax).isEmpty())
        put(v4 ? QStringLiteral("TEL;TYPE=fax") : QStringLiteral("TEL;TYPE=FAX"),
            escaped(value(c, Field::Fax)));
    if (!value(c, Field::Portable).isEmpty())
        put(v4 ? QStringLiteral("TEL;TYPE=cell") : QStringLiteral("TEL;TYPE=CELL"),
            escaped(value(c, Field::Portable)));
    if (!value(c, Field::Email).isEmpty())
        put(v4 ? QStringLiteral("EMAIL") : QStringLiteral("EMAIL;TYPE=INTERNET"),
            escaped(value(c, Field::Email)));
    if (!value(c, Field::Url).isEmpty())
        put(QStringLiteral("URL"), uriValue(value(c, Field::Url)));
    if (!value(c, Field::Notes).isEmpty())
        put(QStringLiteral("NOTE"), escaped(value(c, Field::Notes)));
    if (!value(c, Field::Reference).isEmpty())
        put(QString::fromLatin1(kReferenceProperty), escaped(value(c, Field::Reference)));
    out += "END:VCARD\r\n";
}

QByteArray writeVCards(const std::vector<Contact>& contacts, VCardVersion version,
                       const ProgressFn& progress, bool* cancelled)
{
    if (cancelled)
        *cancelled = false;
    QByteArray out;
    out.reserve(qsizetype(contacts.size()) * 300);
    const qint64 total = qint64(contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i) {
        appendVCard(out, contacts[i], version);
        if (progress && (i + 1) % kProgressCards == 0 && !progress(qint64(i + 1), total)) {
            if (cancelled)
                *cancelled = true;
            return QByteArray();
        }
    }
    return out;
}
