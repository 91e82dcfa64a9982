#pragma once

#include "contacts/contact.h"

#include <QByteArray>

enum class VCardVersion { V30, V40 };

// Appends one card to `out`: UTF-8, CR LF line ends, lines folded at 75 octets without cutting
// a character, text values escaped (backslash, comma, semicolon, line break), the URL as the URI
// it is. Nom and Prénom give N
// and FN; Société ORG; the address fields one ADR (the two street lines joined by a line
// break); Téléphone and Téléphone1 voice TELs, Fax a fax TEL, Portable a cell TEL; E-mail
// EMAIL; URL URL; Notes NOTE; Référence X-ELVARINE-REFERENCE. Empty fields are left out.
void appendVCard(QByteArray& out, const Contact& contact, VCardVersion version);

// The cards of `contacts`, in that order. Nothing (and `cancelled` set) when cancelled.
QByteArray writeVCards(const std::vector<Contact>& contacts, VCardVersion version,
                       const ProgressFn& progress = {}, bool* cancelled = nullptr);

// A text value escaped for a vCard line: backslash, comma, semicolon, line break (CR LF, CR or
// LF as one).
QString escapedVCardText(const QString& value);

// `line` folded: at most 75 octets per line, continuation lines starting with one space, each
// line ended by CR LF.
QByteArray foldedLine(const QByteArray& line);
