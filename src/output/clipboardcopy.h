#pragma once

#include <QString>

class Clipboard;
class RecordForm;

// The name-and-address text of the record shown: six lines joined by CR LF, as displayed
// (no trimming, no label): Nom Prénom / Société / Adresse / Adresse1 / Code postal Ville / Pays.
QString NomEtAdresse(const RecordForm& form);
// Empties the clipboard, then puts `text` on it as plain text.
void copyToClipboard(Clipboard& clipboard, const QString& text);
