#include "output/clipboardcopy.h"

#include "core/recordform.h"
#include "platform/clipboard.h"

QString NomEtAdresse(const RecordForm& form)
{
    const QString crlf = QStringLiteral("\r\n");
    return form.fieldText(FieldBox::Nom) + QLatin1Char(' ') + form.fieldText(FieldBox::Prenom) +
           crlf + form.fieldText(FieldBox::Societe) + crlf + form.fieldText(FieldBox::Adresse) +
           crlf + form.fieldText(FieldBox::Adresse1) + crlf + form.fieldText(FieldBox::CodePostal) +
           QLatin1Char(' ') + form.fieldText(FieldBox::Ville) + crlf +
           form.fieldText(FieldBox::Pays);
}

void copyToClipboard(Clipboard& clipboard, const QString& text)
{
    clipboard.clear();
    clipboard.setText(text);
}

void copyNameAndAddress(Clipboard* clipboard, const RecordForm& form)
{
    if (clipboard)
        copyToClipboard(*clipboard, NomEtAdresse(form));
}

void copyFieldBox(Clipboard* clipboard, const RecordForm& form, FieldBox box)
{
    if (clipboard)
        copyToClipboard(*clipboard, form.fieldText(box));
}
