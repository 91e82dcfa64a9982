#pragma once

#include "contacts/contact.h"

#include <QByteArray>
#include <QString>

// The cards of a CardDAV address book as texts: what a card gives Elvarine, a new card for a
// record, and a card changed in the properties Elvarine maps only (N, FN, ORG, the preferred
// ADR, the first two voice TELs, the first fax and cell TEL, the first EMAIL and URL, NOTE,
// X-ELVARINE-REFERENCE); every other property and parameter (PHOTO, BDAY, more numbers and
// addresses, groups, other X- properties) stays as it was.

struct CardInfo {
    Contact contact; // the fields, as the contacts import reads them
    QString uid;
    bool isGroup = false; // a group card (KIND:group), not a person
    QString error;        // why the card cannot be read (French); empty when it was read
};

CardInfo readCard(const QByteArray& text);

// A new vCard 3.0 card for `contact`, with UID `uid`.
QByteArray newCardText(const Contact& contact, const QString& uid);

// `card` with the fields where `wanted` differs from `current` (what the card gives, as the
// record would store it) written into their properties. Properties whose field did not change
// are kept byte for byte.
QByteArray mergedCardText(const QByteArray& card, const Contact& current, const Contact& wanted);

// `card` with its UID replaced by `uid` (added when it has none).
QByteArray withUid(const QByteArray& card, const QString& uid);
