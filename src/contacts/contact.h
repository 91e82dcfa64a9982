#pragma once

#include "core/addressschema.h"
#include "core/recordengine.h"

#include <QString>
#include <array>
#include <functional>
#include <vector>

// One contact as a vCard or CSV file carries it: the sixteen fields of a record, by column
// (creation order: Nom, Prénom, Société, ...). A null text is a field the file does not give.
using Contact = std::array<QString, kColumnCount>;

// Column numbers of the address table, by name, read from the field table.
namespace Field
{
enum : int {
#define ELVARINE_FIELD_COLUMN(id, column, box, name, size, boxLength, caption) id = column,
    ELVARINE_FIELDS(ELVARINE_FIELD_COLUMN)
#undef ELVARINE_FIELD_COLUMN
};
} // namespace Field

// Long runs report (work done, work in all) and go on while this returns true.
using ProgressFn = std::function<bool(qint64 done, qint64 total)>;

// A field counts as empty when it is null, empty or only spaces (a stored empty field is one
// space).
bool isEmptyValue(const QString& value);
// True when every field is empty.
bool isEmptyContact(const Contact& contact);

Contact contactOfRow(const RowValues& row);
// The same, taking the row's texts.
Contact takeContactOfRow(RowValues& row);
// The row to store: empty fields stay null, as in a record whose box was never filled.
RowValues rowOfContact(const Contact& contact);

// What makes two records identical: the sixteen fields, empty ones alike whatever their stored
// form, line breaks alike whether CR LF, CR or LF.
QString identityKey(const Contact& contact);

// "Nom Prénom" of a contact as the summary names it.
QString contactName(const Contact& contact);

// The field's caption on the record form, without its colon ("Nom", "Adresse (suite)",
// "Localité", "Tél 1", ...).
QString fieldCaption(int column);
// The columns in the record form's box order (Nom, Prénom, ..., Pays, E-Mail, URL, Portable).
const std::array<int, kColumnCount>& columnsInBoxOrder();

// `text` with CR LF and lone CR turned into LF.
QString withLfLineBreaks(const QString& text);

// Maps one phase's progress into a part [from, to] (per mille) of a whole run's progress.
ProgressFn progressPart(const ProgressFn& whole, int fromPerMille, int toPerMille);
