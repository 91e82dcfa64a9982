#include "output/recordsheet.h"

#include "core/recordform.h"
#include "core/services.h"
#include "platform/dialogs.h"
#include "printer/printersurface.h"
#include "printer/printfailure.h"

namespace
{

constexpr int kQuestion = vbYesNo + vbQuestion + vbDefaultButton2;

// Any failure while printing: the message with the printer's reason, then the document is
// dropped so that its half-printed pages do not join whatever is printed next.
void printerFailed(Services& services, const std::exception& error)
{
    services.dialogs->msgBox(printFailureText(QStringLiteral("Erreur sur l'imprimante !"), error),
                             vbCritical, QStringLiteral("Erreur"));
    try {
        services.printer->killDoc();
    } catch (const std::exception&) {
        // The failure is said above; nothing more can be done with a document the printer
        // refuses to drop.
    }
}

} // namespace

QStringList recordSheetLines(const RecordForm& form)
{
    auto f = [&form](FieldBox box) { return form.fieldText(box); };
    return {
        QString(),
        QStringLiteral("Nom : ") + f(FieldBox::Nom) + QStringLiteral(" Prénom : ") +
            f(FieldBox::Prenom),
        QStringLiteral("Société : ") + f(FieldBox::Societe),
        QStringLiteral("Adresse : ") + f(FieldBox::Adresse),
        QStringLiteral("Adresse : ") + f(FieldBox::Adresse1),
        QStringLiteral("Code postal : ") + f(FieldBox::CodePostal) + QStringLiteral(" Ville : ") +
            f(FieldBox::Ville),
        QStringLiteral("Pays :") + f(FieldBox::Pays),
        QStringLiteral("N° Tel 1 : ") + f(FieldBox::Telephone) + QStringLiteral(" N° Tel 2 : ") +
            f(FieldBox::Telephone1),
        QStringLiteral("N° FAX : ") + f(FieldBox::Fax) + QStringLiteral(" N° Portable : ") +
            f(FieldBox::Portable),
        QStringLiteral("E-Mail : ") + f(FieldBox::Email),
        QStringLiteral("Accès URL : ") + f(FieldBox::Url),
        QStringLiteral("Référence : ") + f(FieldBox::Reference),
        QStringLiteral("Notes : ") + f(FieldBox::Notes),
    };
}

void printRecordSheet(PrinterSurface& printer, const RecordForm& form)
{
    for (const QString& line : recordSheetLines(form))
        printer.print(line);
}

void printRecordSheets(PrinterSurface& printer, RecordForm& form, int from, int to)
{
    // Each entry of the name list stands for its own record, so selecting the entries in turn
    // walks the records in list order, each once.
    for (int i = from; i < to; ++i) {
        form.setListIndex(i);
        printRecordSheet(printer, form);
    }
}

void printConfirmedRecordSheet(Services& services, const RecordForm& form)
{
    try {
        printRecordSheet(*services.printer, form);
        if (services.dialogs->msgBox(
                QStringLiteral("Imprimer une autre fiche à la suite ?\r         Confirmez"),
                kQuestion, QStringLiteral("Impression d'une autre fiche")) != vbYes)
            services.printer->endDoc();
    } catch (const std::exception& e) {
        printerFailed(services, e);
    }
}

bool printConfirmedRecordSheets(Services& services, RecordForm& form,
                                const std::function<void()>& cmdRefresh)
{
    try {
        printRecordSheets(*services.printer, form, 0, form.listCount());
        services.printer->endDoc();
    } catch (const std::exception& e) {
        printerFailed(services, e);
        return false;
    }
    if (cmdRefresh)
        cmdRefresh();
    return true;
}

void printCurrentRecordSheet(Services& services, const RecordForm& form)
{
    if (!services.printer)
        return;
    const QString question = QStringLiteral("Imprimer la fiche ") + form.fieldText(FieldBox::Nom) +
                             QStringLiteral(" ") + form.fieldText(FieldBox::Prenom) +
                             QStringLiteral(" ?\r           Confirmez");
    if (services.dialogs->msgBox(question, kQuestion,
                                 QStringLiteral("Impression de la fiche en cours")) != vbYes)
        return;
    printConfirmedRecordSheet(services, form);
}

bool printAllRecordSheets(Services& services, RecordForm& form,
                          const std::function<void()>& cmdRefresh)
{
    if (!services.printer)
        return false;
    if (services.dialogs->msgBox(
            QStringLiteral("Imprimer l'état du fichier ?\r          Confirmez"), kQuestion,
            QStringLiteral("Impression de toutes les fiches")) != vbYes)
        return false;
    return printConfirmedRecordSheets(services, form, cmdRefresh);
}
