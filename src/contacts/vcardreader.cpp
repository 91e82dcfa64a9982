#include "contacts/vcardreader.h"

#include "contacts/textdecoding.h"
#include "contacts/vcardlines.h"
#include "core/cp1252.h"

#include <QList>
#include <QStringDecoder>
#include <QUrl>
#include <climits>
#include <optional>

const char* const kReferenceProperty = "X-ELVARINE-REFERENCE";

namespace
{

using namespace vcard;

// A line longer than this cannot give a field (the longest takes 255 characters, a few
// kilobytes however they are written): what goes beyond is not kept, so that a file holding a
// line of any length is read in bounded memory, its value left out as too long for its field.
constexpr qsizetype kLongestLine = 1024 * 1024;

void appendBounded(QByteArray& line, QByteArrayView more)
{
    const qsizetype room = kLongestLine - line.size();
    if (room > 0)
        line.append(more.first(std::min(room, more.size())));
}

// A line cut at the bound ends where an escape ends.
void endCutLine(QByteArray& line)
{
    if (line.size() < kLongestLine)
        return;
    const qsizetype escape = line.lastIndexOf('=');
    if (escape >= 0 && escape >= line.size() - 2)
        line.truncate(escape);
    if (line.endsWith('\\'))
        line.chop(1);
}

// The properties of one card that give fields, in file order.
struct Card {
    std::vector<Property> properties;
    Version version = Version::V30;
    int firstLine = 0;
};

// True when the line's property (its name before ";" or ":", without its group) gives a field.
bool isFieldProperty(const QByteArray& line)
{
    static const char* const names[] = {"N",
                                        "FN",
                                        "ORG",
                                        "ADR",
                                        "TEL",
                                        "EMAIL",
                                        "URL",
                                        "NOTE",
                                        "AGENT",
                                        "VERSION",
                                        kReferenceProperty};
    qsizetype end = 0;
    while (end < line.size() && line[end] != ';' && line[end] != ':')
        ++end;
    QByteArrayView name = QByteArrayView(line.constData(), end).trimmed();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.sliced(dot + 1);
    for (const char* n : names) {
        if (name.compare(QByteArrayView(n), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

class Reader
{
public:
    Reader(const std::function<bool(Contact&)>& take) : m_take(take) {}

    VCardReadResult run(ByteSource& source, const ProgressFn& progress)
    {
        VCardReadResult result;
        source.rewind();
        QByteArray chunk;
        QByteArray head;
        while (head.size() < 3 && source.next(chunk))
            head += chunk;
        const ByteOrderMark bom = byteOrderMark(head);
        m_unicode = bom != ByteOrderMark::None;
        std::optional<ChunkDecoder> utf16;
        if (bom == ByteOrderMark::Utf16LE)
            utf16.emplace(TextEncoding::Utf16LE);
        else if (bom == ByteOrderMark::Utf16BE)
            utf16.emplace(TextEncoding::Utf16BE);
        const qsizetype skip = bom == ByteOrderMark::Utf8 ? 3 : bom == ByteOrderMark::None ? 0 : 2;
        // Once the text is known to be bad, the rest of the file is only looked at for what
        // is said first: a blank, badly encoded or binary file.
        bool blank = true;
        bool binary = false;
        bool endsInCtrlZ = false;
        auto bytesOf = [&](QByteArrayView bytes) {
            QByteArray data = utf16 ? utf16->decode(bytes).toUtf8() : bytes.toByteArray();
            if (blank && !data.trimmed().isEmpty())
                blank = false;
            if (!binary) {
                binary = endsInCtrlZ || (!data.isEmpty() && hasBinaryBytes(data));
                endsInCtrlZ = !data.isEmpty() && data.back() == '\x1A';
            }
            if (!m_failed)
                lines(data);
            return !m_stopped;
        };
        bool go = bytesOf(QByteArrayView(head).sliced(std::min(skip, head.size())));
        while (go && source.next(chunk)) {
            go = bytesOf(chunk);
            if (go && progress &&
                !progress(source.position(), std::max<qint64>(source.size(), 1))) {
                result.cancelled = true;
                return result;
            }
        }
        if (m_stopped) {
            result.cancelled = true;
            return result;
        }
        if (!source.errorString().isEmpty()) {
            result.error = QStringLiteral("il ne peut pas être lu (%1).").arg(source.errorString());
            return result;
        }
        const bool badUnicode = utf16 && !utf16->finish();
        if (blank) {
            result.error = QStringLiteral("le fichier est vide.");
            return result;
        }
        if (badUnicode) {
            result.error =
                QStringLiteral("le texte n'est pas de l'UTF-16 valide comme l'annonce son début.");
            return result;
        }
        if (binary) {
            result.error =
                QStringLiteral("c'est un fichier binaire, pas un fichier de cartes de visite.");
            return result;
        }
        if (!m_failed)
            endOfLines();
        if (m_failed)
            return failed(result);
        if (m_depth > 0) {
            m_error = QStringLiteral("la carte de visite n° %1, commencée ligne %2, est "
                                     "incomplète (END:VCARD manquant).")
                          .arg(m_cards + 1)
                          .arg(m_card.firstLine);
            return failed(result);
        }
        if (m_cards == 0) {
            m_error = QStringLiteral("ce n'est pas un fichier de cartes de visite vCard "
                                     "(BEGIN:VCARD absent).");
            return failed(result);
        }
        result.cards = m_cards;
        return result;
    }

private:
    // Cuts bytes into lines at LF, CR or CR LF; the part of a line cut by the end of the bytes
    // waits for the next ones.
    void lines(QByteArrayView data)
    {
        const qsizetype n = data.size();
        qsizetype pos = 0;
        if (m_afterCr && n > 0) {
            m_afterCr = false;
            if (data[0] == '\n')
                pos = 1;
        }
        while (pos < n && !m_failed && !m_stopped) {
            qsizetype end = pos;
            while (end < n && data[end] != '\n' && data[end] != '\r')
                ++end;
            if (end == n) {
                appendBounded(m_partial, data.sliced(pos));
                return;
            }
            if (m_partial.isEmpty()) {
                physicalLine(data.sliced(pos, end - pos));
            } else {
                appendBounded(m_partial, data.sliced(pos, end - pos));
                physicalLine(m_partial);
                m_partial.clear();
            }
            if (data[end] == '\r') {
                if (end + 1 < n && data[end + 1] == '\n')
                    ++end;
                else if (end + 1 == n)
                    m_afterCr = true;
            }
            pos = end + 1;
        }
    }

    void endOfLines()
    {
        if (!m_partial.isEmpty()) {
            physicalLine(m_partial);
            m_partial.clear();
        }
        if (!m_failed && !m_stopped && m_havePending && !pendingLine())
            m_failed = true;
    }

    bool pendingLine()
    {
        m_pendingCut = m_pending.size() >= kLongestLine;
        endCutLine(m_pending);
        return logicalLine(m_pending, m_pendingLine);
    }

    void physicalLine(QByteArrayView line)
    {
        ++m_lineNo;
        if (m_havePending && continuesQuotedPrintable(m_pending)) {
            m_pending.chop(1);
            appendBounded(m_pending, line);
            return;
        }
        if (m_havePending && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            // Folded line: vCard 2.1 keeps the blank that starts the next line.
            appendBounded(m_pending, m_version == Version::V21 ? line : line.sliced(1));
            return;
        }
        if (m_havePending && !pendingLine()) {
            m_failed = true;
            return;
        }
        m_pending.resize(0);
        m_pending.append(line);
        m_pendingLine = m_lineNo;
        m_havePending = true;
    }

    VCardReadResult& failed(VCardReadResult& result)
    {
        result.contacts.clear();
        result.error = m_error;
        return result;
    }

    static bool continuesQuotedPrintable(const QByteArray& line)
    {
        if (!line.endsWith('='))
            return false;
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            return false;
        const QByteArray head = line.left(colon).toUpper();
        return head.contains("QUOTED-PRINTABLE") || head.contains("ENCODING=QP");
    }

    static bool isLine(const QByteArray& line, const char* text)
    {
        return QByteArrayView(line).trimmed().compare(QByteArrayView(text), Qt::CaseInsensitive) ==
               0;
    }

    bool logicalLine(const QByteArray& line, int lineNo)
    {
        if (line.trimmed().isEmpty())
            return true;
        if (isLine(line, "BEGIN:VCARD")) {
            if (m_depth == 0) {
                m_card = Card();
                m_card.firstLine = lineNo;
                m_version = Version::V30;
            }
            ++m_depth;
            return true;
        }
        if (isLine(line, "END:VCARD")) {
            if (m_depth == 0) {
                m_error = QStringLiteral("ligne %1 : END:VCARD sans BEGIN:VCARD.").arg(lineNo);
                return false;
            }
            if (--m_depth == 0) {
                m_card.version = m_version;
                std::optional<Contact> contact = contactOf(m_card);
                if (!contact)
                    return false;
                ++m_cards;
                if (m_take && !m_take(*contact)) {
                    m_stopped = true;
                    return true;
                }
            }
            return true;
        }
        if (m_depth == 0) {
            if (m_cards == 0)
                m_error = QStringLiteral("ce n'est pas un fichier de cartes de visite vCard (la "
                                         "ligne %1 n'est pas BEGIN:VCARD).")
                              .arg(lineNo);
            else
                m_error = QStringLiteral("ligne %1 : texte en dehors d'une carte de visite "
                                         "(BEGIN:VCARD attendu).")
                              .arg(lineNo);
            return false;
        }
        if (m_depth > 1)
            return true; // a card inside a card (AGENT of vCard 2.1): not ours
        if (!isFieldProperty(line))
            return true;
        Property p;
        if (!parseProperty(line, p))
            return true;
        p.line = lineNo;
        p.cut = m_pendingCut;
        if (p.name == "VERSION") {
            const QByteArray v = p.value.trimmed();
            m_version = v == "2.1" ? Version::V21 : v.startsWith('4') ? Version::V40 : Version::V30;
            return true;
        }
        if (p.name == "AGENT") {
            if (p.value.trimmed().toUpper().startsWith("BEGIN:VCARD"))
                ++m_depth;
            return true;
        }
        m_card.properties.push_back(std::move(p));
        return true;
    }

    // The text of a property's value: transfer encoding, then character set, then (for plain
    // values) escapes; a value cut ends with "…". Nothing when it cannot be decoded (m_error
    // says why).
    std::optional<QString> rawText(const Property& p, Version version)
    {
        std::optional<QString> text = decodedText(p, version);
        if (text && p.cut)
            *text += QChar(0x2026);
        return text;
    }

    std::optional<QString> decodedText(const Property& p, Version version)
    {
        QByteArray bytes = p.value;
        if (const Param* enc = findParam(p, "ENCODING")) {
            const QByteArray e = enc->values.value(0).toUpper();
            if (e == "QUOTED-PRINTABLE" || e == "QP")
                bytes = decodeQuotedPrintable(bytes);
            else if (e == "B" || e == "BASE64")
                bytes = QByteArray::fromBase64(bytes.trimmed());
        }
        if (p.cut) {
            // Cut where a character ends.
            qsizetype end = bytes.size();
            while (end > 0 && (uchar(bytes[end - 1]) & 0xC0) == 0x80)
                --end;
            if (end > 0 && uchar(bytes[end - 1]) >= 0xC0)
                --end;
            bytes.truncate(end);
        }
        if (m_unicode)
            return QString::fromUtf8(bytes);
        const Param* cs = findParam(p, "CHARSET");
        const QByteArray charset = cs ? cs->values.value(0) : QByteArray();
        if (charset.isEmpty() && version == Version::V21) {
            // vCard 2.1 without a character set: UTF-8 when it is, else Windows-1252.
            if (auto text = strictUtf8(bytes))
                return text;
            return fromCp1252(bytes);
        }
        bool known = true;
        if (auto text = decodeCharset(bytes, charset, &known))
            return text;
        if (!known)
            m_error = QStringLiteral("ligne %1 : jeu de caractères « %2 » inconnu.")
                          .arg(p.line)
                          .arg(QString::fromLatin1(charset));
        else
            m_error = QStringLiteral("ligne %1 : le texte n'est pas codé en %2 comme il le "
                                     "devrait (codage des caractères incorrect).")
                          .arg(p.line)
                          .arg(charset.isEmpty() ? QStringLiteral("UTF-8")
                                                 : QString::fromLatin1(charset));
        return std::nullopt;
    }

    std::optional<Contact> contactOf(const Card& card)
    {
        const Version v = card.version;
        Contact c;
        QStringList voices;
        QString fax, cell, email, url, reference, fn;
        QStringList notes;
        QStringList n;
        bool haveN = false;
        const Property* address = nullptr;
        int addressPreference = INT_MAX;
        QStringList org;
        bool haveOrg = false;
        for (const Property& p : card.properties) {
            if (p.name == "ADR") {
                const int pref = preference(p);
                if (!address || pref < addressPreference) {
                    address = &p;
                    addressPreference = pref;
                }
                continue;
            }
            if (p.name == "TEL" && voices.size() >= 2 && !fax.isNull() && !cell.isNull())
                continue;
            std::optional<QString> text = rawText(p, v);
            if (!text)
                return std::nullopt;
            if (p.name == "N") {
                if (!haveN) {
                    for (const QString& part : components(*text))
                        n << trimmedValue(withLfLineBreaks(unescaped(part, v)));
                    haveN = true;
                }
            } else if (p.name == "ORG") {
                if (!haveOrg) {
                    for (const QString& part : components(*text)) {
                        const QString unit = trimmedValue(withLfLineBreaks(unescaped(part, v)));
                        if (!unit.isEmpty())
                            org << unit;
                    }
                    haveOrg = true;
                }
            } else {
                const QString value = withLfLineBreaks(unescaped(*text, v));
                if (p.name == "FN") {
                    if (fn.isNull())
                        fn = trimmedValue(value);
                } else if (p.name == "NOTE") {
                    if (!value.isEmpty())
                        notes << value;
                } else if (p.name == "EMAIL") {
                    if (email.isNull() && !trimmedValue(value).isEmpty())
                        email = trimmedValue(value);
                } else if (p.name == "URL") {
                    if (url.isNull() && !trimmedValue(value).isEmpty())
                        url = trimmedValue(value);
                } else if (p.name == kReferenceProperty) {
                    if (reference.isNull())
                        reference = trimmedValue(value);
                } else if (p.name == "TEL") {
                    QString number = trimmedValue(value);
                    if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) {
                        // A tel: URI (RFC 3966): its parameters left out, its visual
                        // separators "-" read as the spaces a number is typed with.
                        number = QUrl::fromPercentEncoding(
                                     number.mid(4).section(QLatin1Char(';'), 0, 0).toUtf8())
                                     .replace(QLatin1Char('-'), QLatin1Char(' '))
                                     .trimmed();
                    }
                    if (number.isEmpty())
                        continue;
                    const QList<QByteArray> types = typesOf(p);
                    if (types.contains("FAX")) {
                        if (fax.isNull())
                            fax = number;
                    } else if (types.contains("CELL") || types.contains("MOBILE")) {
                        if (cell.isNull())
                            cell = number;
                    } else if (types.contains("PAGER") || types.contains("MODEM") ||
                               types.contains("BBS")) {
                        // no field for these
                    } else if (voices.size() < 2) {
                        voices << number;
                    }
                }
            }
        }
        const QString family = n.value(0);
        const QString given = trimmedValue(n.value(1) + QLatin1Char(' ') + n.value(2));
        if (!family.isEmpty() || !given.isEmpty()) {
            c[Field::Nom] = family;
            c[Field::Prenom] = given;
        } else if (!fn.isEmpty()) {
            const qsizetype space = fn.lastIndexOf(QLatin1Char(' '));
            if (space > 0) {
                c[Field::Prenom] = trimmedValue(fn.left(space));
                c[Field::Nom] = fn.mid(space + 1);
            } else {
                c[Field::Nom] = fn;
            }
        }
        c[Field::Societe] = org.join(QLatin1String(", "));
        if (address) {
            std::optional<QString> text = rawText(*address, v);
            if (!text)
                return std::nullopt;
            QStringList parts;
            for (const QString& part : components(*text))
                parts << withLfLineBreaks(unescaped(part, v));
            // post office box; extended address; street; locality; region; postal code; country
            QStringList lines;
            for (int i : {2, 1, 0}) {
                for (const QString& l : parts.value(i).split(QLatin1Char('\n'))) {
                    if (!trimmedValue(l).isEmpty())
                        lines << trimmedValue(l);
                }
            }
            c[Field::Adresse] = lines.value(0);
            c[Field::Adresse1] = lines.mid(1).join(QLatin1String(", "));
            c[Field::Ville] = trimmedValue(parts.value(3));
            c[Field::CodePostal] = trimmedValue(parts.value(5));
            c[Field::Pays] = trimmedValue(parts.value(6));
        }
        c[Field::Telephone] = voices.value(0);
        c[Field::Telephone1] = voices.value(1);
        c[Field::Fax] = fax;
        c[Field::Portable] = cell;
        c[Field::Email] = email;
        c[Field::Url] = url;
        c[Field::Notes] = notes.join(QLatin1Char('\n'));
        c[Field::Reference] = reference;
        for (QString& field : c) {
            if (field.isEmpty())
                field = QString();
        }
        return c;
    }

    std::function<bool(Contact&)> m_take;
    bool m_unicode = false;
    bool m_failed = false;
    bool m_stopped = false;
    bool m_afterCr = false;
    QByteArray m_partial;
    QByteArray m_pending;
    int m_pendingLine = 0;
    bool m_havePending = false;
    bool m_pendingCut = false; // the line waiting went on beyond kLongestLine
    int m_lineNo = 0;
    Version m_version = Version::V30;
    int m_depth = 0;
    int m_cards = 0;
    Card m_card;
    QString m_error;
};

} // namespace

VCardReadResult readVCards(const QByteArray& data, const ProgressFn& progress)
{
    ByteSource source(data);
    std::vector<Contact> contacts;
    VCardReadResult result = readVCards(
        source,
        [&contacts](Contact& c) {
            contacts.push_back(std::move(c));
            return true;
        },
        progress);
    if (result.error.isEmpty() && !result.cancelled)
        result.contacts = std::move(contacts);
    return result;
}

VCardReadResult readVCards(ByteSource& source, const std::function<bool(Contact&)>& take,
                           const ProgressFn& progress)
{
    return Reader(take).run(source, progress);
}

bool looksLikeVCard(const QByteArray& data)
{
    QByteArray d = data;
    switch (byteOrderMark(d)) {
    case ByteOrderMark::Utf8:
        d = d.mid(3);
        break;
    case ByteOrderMark::Utf16LE:
    case ByteOrderMark::Utf16BE: {
        QStringDecoder decoder(byteOrderMark(d) == ByteOrderMark::Utf16LE
                                   ? QStringDecoder::Utf16LE
                                   : QStringDecoder::Utf16BE);
        d = QString(decoder.decode(d.mid(2, 800))).toUtf8();
        break;
    }
    case ByteOrderMark::None:
        break;
    }
    return d.left(400).trimmed().left(11).compare("BEGIN:VCARD", Qt::CaseInsensitive) == 0;
}
