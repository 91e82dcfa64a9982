#pragma once

#include "contacts/contact.h"
#include "contacts/textdecoding.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// What reading a vCard file gave.
struct VCardReadResult {
    std::vector<Contact> contacts;
    // Why the file cannot be read, in French, starting in lower case so it can follow a colon;
    // empty when it was read. A file with an error gives no contact at all.
    QString error;
    bool cancelled = false;
    int cards = 0; // read by the streaming reader
};

// Reads every card of a vCard file (versions 2.1, 3.0 and 4.0): folded lines, quoted-printable
// values with soft line breaks, CHARSET parameters, a byte-order mark, LF or CR LF line ends,
// grouped properties, names in any letter case. Properties without a field (PHOTO, BDAY...) are
// skipped. Mapping to the fields:
// - N gives Nom (family name) and Prénom (given and additional names); FN, split at its last
//   space, only when N is missing or empty;
// - ORG gives Société; the preferred ADR (else the first) gives Adresse and Adresse1 (street
//   lines), Code postal, Ville and Pays;
// - the first two voice numbers give Téléphone and Téléphone1, the first fax Fax, the first
//   cell number Portable; the first EMAIL, the first URL; the NOTEs, one per line;
// - X-ELVARINE-REFERENCE gives Référence.
// Line breaks inside values are read as LF.
VCardReadResult readVCards(const QByteArray& data, const ProgressFn& progress = {});
// The same, a chunk of `source` at a time in bounded memory: each contact goes to `take` as
// soon as its card ends (false from `take` stops the reading, as cancelled) and `contacts`
// stays empty. The contacts handed over before an error is found are to be dropped.
VCardReadResult readVCards(ByteSource& source, const std::function<bool(Contact&)>& take,
                           const ProgressFn& progress = {});

// True when the text starts, after a byte-order mark and blank lines, with BEGIN:VCARD.
bool looksLikeVCard(const QByteArray& data);

// The name of the property that carries Référence.
extern const char* const kReferenceProperty; // "X-ELVARINE-REFERENCE"
