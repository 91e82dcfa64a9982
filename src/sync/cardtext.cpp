#include "sync/cardtext.h"

#include "contacts/vcardlines.h"
#include "contacts/vcardreader.h"
#include "contacts/vcardwriter.h"

#include <QList>
#include <climits>
#include <optional>
#include <vector>

namespace
{

// One property of the card: its physical lines as received and its unfolded text.
struct CardLine {
    QByteArray raw;     // physical lines, each without its line end
    QByteArray logical; // unfolded
    QByteArray name;    // upper case, without group
    QByteArray head;    // everything before the value's colon (group, name, parameters)
    QByteArray value;   // after the colon
    bool topLevel = false;
    bool removed = false;
    std::optional<QByteArray> replacement; // a new logical line
};

struct Card {
    std::vector<CardLine> lines;
    bool v4 = false;
    int endLine = -1; // index of the END:VCARD of the first card
    int versionLine = -1;
};

using vcard::splitOutsideQuotes;

// The colon that ends the head: the first outside double quotes.
qsizetype valueColon(const QByteArray& line)
{
    bool inQuote = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            inQuote = !inQuote;
        else if (line[i] == ':' && !inQuote)
            return i;
    }
    return -1;
}

Card parseCard(const QByteArray& text)
{
    Card card;
    // Physical lines.
    QList<QByteArray> physical;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && text[end] != '\n' && text[end] != '\r')
            ++end;
        physical << text.mid(pos, end - pos);
        if (end < n && text[end] == '\r' && end + 1 < n && text[end + 1] == '\n')
            pos = end + 2;
        else
            pos = end + 1;
    }
    for (const QByteArray& line : physical) {
        if (!card.lines.empty() && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            CardLine& last = card.lines.back();
            last.raw += "\r\n" + line;
            last.logical += line.mid(1);
            continue;
        }
        CardLine l;
        l.raw = line;
        l.logical = line;
        card.lines.push_back(std::move(l));
    }
    int depth = 0;
    bool firstDone = false;
    for (size_t i = 0; i < card.lines.size(); ++i) {
        CardLine& l = card.lines[i];
        const QByteArray trimmed = l.logical.trimmed().toUpper();
        if (trimmed == "BEGIN:VCARD") {
            ++depth;
            continue;
        }
        if (trimmed == "END:VCARD") {
            if (depth == 1 && !firstDone) {
                card.endLine = int(i);
                firstDone = true;
            }
            depth = std::max(0, depth - 1);
            continue;
        }
        const qsizetype colon = valueColon(l.logical);
        if (colon < 0)
            continue;
        l.head = l.logical.left(colon);
        l.value = l.logical.mid(colon + 1);
        QByteArray name = splitOutsideQuotes(l.head, ';').value(0).trimmed().toUpper();
        const qsizetype dot = name.lastIndexOf('.');
        if (dot >= 0)
            name = name.mid(dot + 1);
        l.name = name;
        l.topLevel = depth == 1 && !firstDone;
        if (l.topLevel && name == "VERSION") {
            card.versionLine = int(i);
            card.v4 = l.value.trimmed().startsWith('4');
        }
    }
    return card;
}

// The line's name and parameters as the contacts import reads them (the value left out).
vcard::Property propertyOf(const CardLine& l)
{
    vcard::Property p;
    vcard::parseProperty(l.head + ':', p);
    return p;
}

// Every TYPE value of a property (upper case), vCard 2.1's bare parameters included.
QList<QByteArray> typesOf(const CardLine& l)
{
    return vcard::typesOf(propertyOf(l));
}

int preferenceOf(const CardLine& l)
{
    return vcard::preference(propertyOf(l));
}

bool hasParam(const CardLine& l, const char* name, const char* value)
{
    const QList<QByteArray> params = splitOutsideQuotes(l.head, ';');
    for (qsizetype i = 1; i < params.size(); ++i) {
        const QByteArray p = params[i].trimmed().toUpper();
        if (p == QByteArray(name) + '=' + value)
            return true;
    }
    return false;
}

// The head without transfer-encoding and character-set parameters: a new value is plain UTF-8.
QByteArray plainHead(const CardLine& l)
{
    const QList<QByteArray> params = splitOutsideQuotes(l.head, ';');
    QByteArray head = params.value(0);
    for (qsizetype i = 1; i < params.size(); ++i) {
        const QByteArray p = params[i].trimmed();
        const QByteArray upper = p.toUpper();
        if (upper.startsWith("ENCODING=") || upper.startsWith("CHARSET=") ||
            upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "8BIT" || upper == "7BIT")
            continue;
        head += ';' + params[i];
    }
    return head;
}

// `head` without its parameter `name`.
QByteArray headWithout(const QByteArray& head, const char* name)
{
    const QList<QByteArray> params = splitOutsideQuotes(head, ';');
    QByteArray out = params.value(0);
    for (qsizetype i = 1; i < params.size(); ++i) {
        if (!params[i].trimmed().toUpper().startsWith(QByteArray(name) + '='))
            out += ';' + params[i];
    }
    return out;
}

// A number typed in a field as a tel: URI (RFC 3966): digits, "*", "#", a leading "+", the
// visual separators "-", ".", "(" and ")", spaces and slashes written as "-"; a local number
// keeps the phone-context of the URI it replaces. Nothing when the text is not a number.
std::optional<QByteArray> telUri(const QString& number, const QByteArray& oldValue)
{
    QByteArray digits;
    bool anyDigit = false;
    const QString t = number.trimmed();
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits += char(c.unicode());
            anyDigit = true;
        } else if (c == QLatin1Char('*') || c == QLatin1Char('#') || c == QLatin1Char('.') ||
                   c == QLatin1Char('(') || c == QLatin1Char(')') ||
                   (c == QLatin1Char('+') && digits.isEmpty())) {
            digits += char(c.unicode());
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('/')) {
            if (!digits.endsWith('-'))
                digits += '-';
        } else {
            return std::nullopt;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    QByteArray uri = "tel:" + digits;
    if (!digits.startsWith('+')) {
        for (const QByteArray& param : splitOutsideQuotes(oldValue.trimmed(), ';').mid(1)) {
            if (param.trimmed().toLower().startsWith("phone-context="))
                uri += ';' + param.trimmed();
        }
    }
    return uri;
}

// The value as a plain text, enough to tell an empty one.
QString plainValue(const CardLine& l)
{
    QString v = QString::fromUtf8(l.value).trimmed();
    if (v.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        v = v.mid(4).trimmed();
    return v;
}

// Components of a structured value, split at unescaped semicolons (escapes kept), byte for
// byte (Latin-1 keeps every byte as one character).
QList<QByteArray> rawComponents(const QByteArray& value)
{
    QList<QByteArray> parts;
    for (const QString& part : vcard::components(QString::fromLatin1(value)))
        parts << part.toLatin1();
    return parts;
}

QByteArray esc(const QString& text)
{
    return escapedVCardText(text).toUtf8();
}

QString field(const Contact& c, int column)
{
    return isEmptyValue(c[size_t(column)]) ? QString() : withLfLineBreaks(c[size_t(column)]);
}

bool differs(const Contact& a, const Contact& b, std::initializer_list<int> columns)
{
    for (int column : columns) {
        if (field(a, column) != field(b, column))
            return true;
    }
    return false;
}

class Merger
{
public:
    explicit Merger(const QByteArray& text) : m_card(parseCard(text)) {}

    bool valid() const { return m_card.endLine >= 0; }

    std::vector<int> linesNamed(const char* name) const
    {
        std::vector<int> found;
        for (size_t i = 0; i < m_card.lines.size(); ++i) {
            const CardLine& l = m_card.lines[i];
            if (l.topLevel && l.name == name)
                found.push_back(int(i));
        }
        return found;
    }

    int firstFilled(const char* name) const
    {
        for (int i : linesNamed(name)) {
            if (!plainValue(m_card.lines[size_t(i)]).isEmpty())
                return i;
        }
        return -1;
    }

    // Sets the value of line `index` (or removes it when `value` is empty); adds a line made of
    // `newHead` when there is none.
    void put(int index, const QByteArray& value, bool empty, const QByteArray& newHead)
    {
        if (index >= 0) {
            CardLine& l = m_card.lines[size_t(index)];
            if (empty)
                l.removed = true;
            else
                l.replacement = plainHead(l) + ':' + value;
            return;
        }
        if (!empty)
            m_added << newHead + ':' + value;
    }

    void setNames(const Contact& wanted)
    {
        const QString nom = field(wanted, Field::Nom);
        const QString prenom = field(wanted, Field::Prenom);
        const std::vector<int> ns = linesNamed("N");
        QList<QByteArray> parts;
        if (!ns.empty())
            parts = rawComponents(m_card.lines[size_t(ns.front())].value);
        while (parts.size() < 5)
            parts << QByteArray();
        parts[0] = esc(nom);
        parts[1] = esc(prenom);
        parts[2].clear(); // additional names are part of Prénom as read
        const QByteArray n = parts.join(';');
        if (!ns.empty())
            m_card.lines[size_t(ns.front())].replacement =
                plainHead(m_card.lines[size_t(ns.front())]) + ':' + n;
        else
            m_addedAfterVersion << "N:" + n;
        QString full = (prenom + QLatin1Char(' ') + nom).trimmed();
        if (full.isEmpty())
            full = field(wanted, Field::Societe);
        const std::vector<int> fns = linesNamed("FN");
        if (full.isEmpty())
            return; // the card keeps its formatted name
        if (!fns.empty())
            m_card.lines[size_t(fns.front())].replacement =
                plainHead(m_card.lines[size_t(fns.front())]) + ':' + esc(full);
        else
            m_addedAfterVersion << "FN:" + esc(full);
    }

    void setOrganisation(const QString& societe)
    {
        const std::vector<int> orgs = linesNamed("ORG");
        if (societe.isEmpty()) {
            for (int i : orgs)
                m_card.lines[size_t(i)].removed = true;
            return;
        }
        put(orgs.empty() ? -1 : orgs.front(), esc(societe), false, "ORG");
    }

    void setAddress(const Contact& wanted)
    {
        int best = -1;
        int bestPref = INT_MAX;
        for (int i : linesNamed("ADR")) {
            const int pref = preferenceOf(m_card.lines[size_t(i)]);
            if (best < 0 || pref < bestPref) {
                best = i;
                bestPref = pref;
            }
        }
        QList<QByteArray> parts;
        if (best >= 0)
            parts = rawComponents(m_card.lines[size_t(best)].value);
        while (parts.size() < 7)
            parts << QByteArray();
        QString street = field(wanted, Field::Adresse);
        const QString street2 = field(wanted, Field::Adresse1);
        if (!street2.isEmpty())
            street = street.isEmpty() ? street2 : street + QLatin1Char('\n') + street2;
        // The post office box and the extended address are read into the street lines.
        parts[0].clear();
        parts[1].clear();
        parts[2] = esc(street);
        parts[3] = esc(field(wanted, Field::Ville));
        parts[5] = esc(field(wanted, Field::CodePostal));
        parts[6] = esc(field(wanted, Field::Pays));
        bool empty = true;
        for (const QByteArray& p : parts)
            empty = empty && p.trimmed().isEmpty();
        put(best, parts.mid(0, std::max<qsizetype>(7, parts.size())).join(';'), empty, "ADR");
    }

    void setNumbers(const Contact& current, const Contact& wanted)
    {
        std::vector<int> voices;
        int fax = -1;
        int cell = -1;
        for (int i : linesNamed("TEL")) {
            const CardLine& l = m_card.lines[size_t(i)];
            if (plainValue(l).isEmpty())
                continue;
            const QList<QByteArray> types = typesOf(l);
            if (types.contains("FAX")) {
                if (fax < 0)
                    fax = i;
            } else if (types.contains("CELL") || types.contains("MOBILE")) {
                if (cell < 0)
                    cell = i;
            } else if (types.contains("PAGER") || types.contains("MODEM") ||
                       types.contains("BBS")) {
            } else if (voices.size() < 2) {
                voices.push_back(i);
            }
        }
        const bool v4 = m_card.v4;
        const auto number = [&](int index, int column, const QByteArray& newHead) {
            if (!differs(current, wanted, {column}))
                return;
            const QString value = field(wanted, column);
            if (index >= 0 && !value.isEmpty() &&
                hasParam(m_card.lines[size_t(index)], "VALUE", "URI")) {
                CardLine& l = m_card.lines[size_t(index)];
                // The card gives its numbers as tel: URIs: the new number too, when it can be
                // one; as a text otherwise.
                if (const std::optional<QByteArray> uri = telUri(value, l.value))
                    l.replacement = plainHead(l) + ':' + *uri;
                else
                    l.replacement = headWithout(plainHead(l), "VALUE") + ':' + esc(value);
                return;
            }
            put(index, esc(value), value.isEmpty(), newHead);
        };
        number(voices.size() > 0 ? voices[0] : -1, Field::Telephone,
               v4 ? "TEL;TYPE=voice" : "TEL;TYPE=VOICE");
        number(voices.size() > 1 ? voices[1] : -1, Field::Telephone1,
               v4 ? "TEL;TYPE=voice" : "TEL;TYPE=VOICE");
        number(fax, Field::Fax, v4 ? "TEL;TYPE=fax" : "TEL;TYPE=FAX");
        number(cell, Field::Portable, v4 ? "TEL;TYPE=cell" : "TEL;TYPE=CELL");
    }

    void setSingle(const char* name, const QString& value, const QByteArray& newHead)
    {
        put(firstFilled(name), esc(value), value.isEmpty(), newHead);
    }

    // A URI value: written as it is (no text escapes), without line breaks.
    void setUri(const char* name, QString value, const QByteArray& newHead)
    {
        value.remove(QLatin1Char('\r'));
        value.replace(QLatin1Char('\n'), QLatin1Char(' '));
        value = value.trimmed();
        put(firstFilled(name), value.toUtf8(), value.isEmpty(), newHead);
    }

    void setNotes(const QString& notes)
    {
        const std::vector<int> lines = linesNamed("NOTE");
        for (size_t i = 1; i < lines.size(); ++i)
            m_card.lines[size_t(lines[i])].removed = true;
        put(lines.empty() ? -1 : lines.front(), esc(notes), notes.isEmpty(), "NOTE");
    }

    void setUid(const QString& uid)
    {
        const std::vector<int> uids = linesNamed("UID");
        if (!uids.empty())
            m_card.lines[size_t(uids.front())].replacement = "UID:" + uid.toUtf8();
        else
            m_addedAfterVersion << "UID:" + uid.toUtf8();
    }

    bool v4() const { return m_card.v4; }

    QByteArray text() const
    {
        QByteArray out;
        out.reserve(4096);
        for (size_t i = 0; i < m_card.lines.size(); ++i) {
            const CardLine& l = m_card.lines[i];
            if (int(i) == m_card.endLine) {
                for (const QByteArray& added : m_added)
                    out += foldedLine(added);
            }
            if (l.removed)
                continue;
            if (l.replacement)
                out += foldedLine(*l.replacement);
            else if (!l.raw.isEmpty())
                out += l.raw + "\r\n";
            if (int(i) == m_card.versionLine) {
                for (const QByteArray& added : m_addedAfterVersion)
                    out += foldedLine(added);
            }
        }
        return out;
    }

private:
    Card m_card;
    QList<QByteArray> m_added;
    QList<QByteArray> m_addedAfterVersion;
};

} // namespace

CardInfo readCard(const QByteArray& text)
{
    CardInfo info;
    VCardReadResult read = readVCards(text);
    if (!read.error.isEmpty()) {
        info.error = read.error;
        return info;
    }
    if (read.contacts.empty()) {
        info.error = QStringLiteral("la carte est vide.");
        return info;
    }
    info.contact = std::move(read.contacts.front());
    const Card card = parseCard(text);
    for (const CardLine& l : card.lines) {
        if (!l.topLevel)
            continue;
        if (l.name == "UID" && info.uid.isEmpty())
            info.uid = QString::fromUtf8(l.value).trimmed();
        else if ((l.name == "KIND" || l.name == "X-ADDRESSBOOKSERVER-KIND") &&
                 l.value.trimmed().toLower() == "group")
            info.isGroup = true;
    }
    return info;
}

QByteArray newCardText(const Contact& contact, const QString& uid)
{
    QByteArray card;
    appendVCard(card, contact, VCardVersion::V30);
    // UID and PRODID after VERSION.
    const QByteArray version = "VERSION:3.0\r\n";
    const qsizetype at = card.indexOf(version);
    const QByteArray extra =
        foldedLine("UID:" + uid.toUtf8()) + "PRODID:-//Elvarine//Elvarine 1.3.2//FR\r\n";
    card.insert(at + version.size(), extra);
    return card;
}

QByteArray mergedCardText(const QByteArray& card, const Contact& current, const Contact& wanted)
{
    Merger m(card);
    if (!m.valid())
        return card;
    if (differs(current, wanted, {Field::Nom, Field::Prenom}) ||
        (differs(current, wanted, {Field::Societe}) && field(wanted, Field::Nom).isEmpty() &&
         field(wanted, Field::Prenom).isEmpty()))
        m.setNames(wanted);
    if (differs(current, wanted, {Field::Societe}))
        m.setOrganisation(field(wanted, Field::Societe));
    if (differs(current, wanted,
                {Field::Adresse, Field::Adresse1, Field::CodePostal, Field::Ville, Field::Pays}))
        m.setAddress(wanted);
    m.setNumbers(current, wanted);
    if (differs(current, wanted, {Field::Email}))
        m.setSingle("EMAIL", field(wanted, Field::Email),
                    m.v4() ? QByteArray("EMAIL") : QByteArray("EMAIL;TYPE=INTERNET"));
    if (differs(current, wanted, {Field::Url}))
        m.setUri("URL", field(wanted, Field::Url), "URL");
    if (differs(current, wanted, {Field::Reference}))
        m.setSingle(kReferenceProperty, field(wanted, Field::Reference), kReferenceProperty);
    if (differs(current, wanted, {Field::Notes}))
        m.setNotes(field(wanted, Field::Notes));
    return m.text();
}

QByteArray withUid(const QByteArray& card, const QString& uid)
{
    Merger m(card);
    if (!m.valid())
        return card;
    m.setUid(uid);
    return m.text();
}
