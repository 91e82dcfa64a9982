#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

// The lines of a vCard file, one property at a time: the name, the parameters and the raw value,
// and the decoding of values (quoted-printable, backslash escapes, structured components).
namespace vcard
{

enum class Version { V21, V30, V40 };

struct Param {
    QByteArray name;          // upper case
    QList<QByteArray> values; // unquoted
};

struct Property {
    QByteArray name; // upper case, without its group
    std::vector<Param> params;
    QByteArray value; // raw bytes after the colon
    int line = 0;
    bool cut = false; // the line went on beyond what a reader keeps
};

// "name[;param...]:value", the name possibly grouped ("item1.TEL"); false when the line has no
// colon.
bool parseProperty(const QByteArray& line, Property& p);
// Splits at `separator` outside double quotes.
QList<QByteArray> splitOutsideQuotes(const QByteArray& text, char separator);
// The parameter `name` (upper case) of `p`; null when it has none.
const Param* findParam(const Property& p, const char* name);
// Every TYPE value of a property, upper case.
QList<QByteArray> typesOf(const Property& p);
// Preference of a property: PREF=n (vCard 4.0, 1 most preferred), TYPE=PREF (2.1, 3.0) as 1;
// without either, after every preferred one.
int preference(const Property& p);
QByteArray decodeQuotedPrintable(const QByteArray& in);
// Backslash escapes of a text value (after splitting structured values).
QString unescaped(const QString& s, Version version);
// Components of a structured value (N, ADR, ORG), split at semicolons that are not escaped.
QStringList components(const QString& s);
// The value without the spaces and tabs around it.
QString trimmedValue(const QString& s);

} // namespace vcard
