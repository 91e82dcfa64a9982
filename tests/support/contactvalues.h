#pragma once

#include "contacts/contact.h"

#include <QStringList>

// A contact from values in column order (Nom, Prénom, Société, Adresse, Adresse1, Code postal,
// Ville, Téléphone, Téléphone1, Fax, Référence, Notes, E-mail, Pays, URL, Portable); missing
// or empty values stay null.
inline Contact contact(const QStringList& values)
{
    Contact c;
    for (int i = 0; i < values.size() && i < kColumnCount; ++i)
        c[size_t(i)] = values[i].isEmpty() ? QString() : values[i];
    return c;
}
