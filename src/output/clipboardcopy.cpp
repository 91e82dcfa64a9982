#include "output/clipboardcopy.h"

#include "core/recordform.h"
#include "platform/clipboard.h"

QString NomEtAdresse(const RecordForm& form)
{
    const QString crlf = QStringLiteral("\r\n");
    return form.fieldText(0) + QLatin1Char(' ') + form.fieldText(1) + crlf + form.fieldText(2) +
           crlf + form.fieldText(3) + crlf + form.fieldText(4) + crlf + form.fieldText(5) +
           QLatin1Char(' ') + form.fieldText(6) + crlf + form.fieldText(12);
}

void copyToClipboard(Clipboard& clipboard, const QString& text)
{
    clipboard.clear();
    clipboard.setText(text);
}
