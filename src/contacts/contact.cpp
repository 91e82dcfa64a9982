#include "contacts/contact.h"

#include "core/fieldrules.h"

bool isEmptyValue(const QString& value)
{
    for (const QChar c : value) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

bool isEmptyContact(const Contact& contact)
{
    for (const QString& v : contact) {
        if (!isEmptyValue(v))
            return false;
    }
    return true;
}

Contact contactOfRow(const RowValues& row)
{
    Contact c;
    for (int i = 0; i < kColumnCount; ++i) {
        if (!row[size_t(i)].isNull())
            c[size_t(i)] = row[size_t(i)].toString();
    }
    return c;
}

Contact takeContactOfRow(RowValues& row)
{
    Contact c;
    for (int i = 0; i < kColumnCount; ++i) {
        QVariant& v = row[size_t(i)];
        if (v.isNull())
            continue;
        if (v.typeId() == QMetaType::QString)
            c[size_t(i)] = std::move(*static_cast<QString*>(v.data()));
        else
            c[size_t(i)] = v.toString();
    }
    return c;
}

RowValues rowOfContact(const Contact& contact)
{
    RowValues row;
    for (int i = 0; i < kColumnCount; ++i) {
        if (!isEmptyValue(contact[size_t(i)]))
            row[size_t(i)] = QVariant(contact[size_t(i)]);
    }
    return row;
}

QString withLfLineBreaks(const QString& text)
{
    if (!text.contains(QLatin1Char('\r')))
        return text;
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QString identityKey(const Contact& contact)
{
    QString key;
    for (const QString& v : contact) {
        if (!isEmptyValue(v))
            key += withLfLineBreaks(v);
        key += QChar(0x1F);
    }
    return key;
}

QString contactName(const Contact& contact)
{
    return trimSpaces(trimSpaces(contact[Field::Nom]) + QLatin1Char(' ') +
                      trimSpaces(contact[Field::Prenom]));
}

QString fieldCaption(int column)
{
    QString caption = QString::fromUtf16(kColumns[column].caption);
    if (caption.endsWith(QLatin1String(" :")))
        caption.chop(2);
    return caption;
}

const std::array<int, kColumnCount>& columnsInBoxOrder()
{
    static const std::array<int, kColumnCount> order = [] {
        std::array<int, kColumnCount> o{};
        for (FieldBox box : kAllFieldBoxes)
            o[size_t(boxNumber(box))] = columnOfBox(box);
        return o;
    }();
    return order;
}

ProgressFn progressPart(const ProgressFn& whole, int fromPerMille, int toPerMille)
{
    if (!whole)
        return {};
    return [whole, fromPerMille, toPerMille](qint64 done, qint64 total) {
        const qint64 span = toPerMille - fromPerMille;
        const qint64 part = total > 0 ? span * std::min(done, total) / total : span;
        return whole(fromPerMille + part, 1000);
    };
}
