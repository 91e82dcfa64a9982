#pragma once

#include "core/fieldbox.h"

#include <QString>

class Clipboard;
class RecordForm;

// The name-and-address text of the record shown: six lines joined by CR LF, as displayed
// (no trimming, no label): Nom Prénom / Société / Adresse / Adresse1 / Code postal Ville / Pays.
QString NomEtAdresse(const RecordForm& form);
// Empties the clipboard, then puts `text` on it as plain text.
void copyToClipboard(Clipboard& clipboard, const QString& text);

// "Copier dans le presse papier": the name-and-address block, or the text of one field box as
// displayed. Nothing happens without a clipboard.
void copyNameAndAddress(Clipboard* clipboard, const RecordForm& form);
void copyFieldBox(Clipboard* clipboard, const RecordForm& form, FieldBox box);
