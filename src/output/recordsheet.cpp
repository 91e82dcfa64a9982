#include "output/recordsheet.h"

#include "core/recordform.h"
#include "core/services.h"
#include "platform/dialogs.h"
#include "printer/printersurface.h"

namespace
{

// Field boxes of the record form.
enum Box {
    Nom = 0,
    Prenom = 1,
    Societe = 2,
    Adresse = 3,
    Adresse1 = 4,
    CodePostal = 5,
    Ville = 6,
    Telephone = 7,
    Telephone1 = 8,
    Fax = 9,
    Reference = 10,
    Notes = 11,
    Pays = 12,
    EMail = 13,
    Url = 14,
    Portable = 15,
};

constexpr int kQuestion = vbYesNo + vbQuestion + vbDefaultButton2;

// Any failure while printing: the message, then the document is dropped so that its half-printed
// pages do not join whatever is printed next.
void printerFailed(Services& services)
{
    services.dialogs->msgBox(QStringLiteral("Erreur sur l'imprimante !"), vbCritical,
                             QStringLiteral("Erreur"));
    try {
        services.printer->killDoc();
    } catch (const std::exception&) {
    }
}

} // namespace

QStringList recordSheetLines(const RecordForm& form)
{
    auto f = [&form](int box) { return form.fieldText(box); };
    return {
        QString(),
        QStringLiteral("Nom : ") + f(Nom) + QStringLiteral(" Prénom : ") + f(Prenom),
        QStringLiteral("Société : ") + f(Societe),
        QStringLiteral("Adresse : ") + f(Adresse),
        QStringLiteral("Adresse : ") + f(Adresse1),
        QStringLiteral("Code postal : ") + f(CodePostal) + QStringLiteral(" Ville : ") + f(Ville),
        QStringLiteral("Pays :") + f(Pays),
        QStringLiteral("N° Tel 1 : ") + f(Telephone) + QStringLiteral(" N° Tel 2 : ") +
            f(Telephone1),
        QStringLiteral("N° FAX : ") + f(Fax) + QStringLiteral(" N° Portable : ") + f(Portable),
        QStringLiteral("E-Mail : ") + f(EMail),
        QStringLiteral("Accès URL : ") + f(Url),
        QStringLiteral("Référence : ") + f(Reference),
        QStringLiteral("Notes : ") + f(Notes),
    };
}

void printRecordSheet(PrinterSurface& printer, const RecordForm& form)
{
    for (const QString& line : recordSheetLines(form))
        printer.print(line);
}

void Mnu_imprimFICHE(AppState&, Services& services, RecordForm& form)
{
    const QString question = QStringLiteral("Imprimer la fiche ") + form.fieldText(Nom) +
                             QStringLiteral(" ") + form.fieldText(Prenom) +
                             QStringLiteral(" ?\r           Confirmez");
    if (services.dialogs->msgBox(question, kQuestion,
                                 QStringLiteral("Impression de la fiche en cours")) != vbYes)
        return;
    try {
        printRecordSheet(*services.printer, form);
        if (services.dialogs->msgBox(
                QStringLiteral("Imprimer une autre fiche à la suite ?\r         Confirmez"),
                kQuestion, QStringLiteral("Impression d'une autre fiche")) != vbYes)
            services.printer->endDoc();
    } catch (const std::exception&) {
        printerFailed(services);
    }
}

bool Mnu_imprimTOUTESFICHES(AppState&, Services& services, RecordForm& form,
                            const std::function<void()>& cmdRefresh)
{
    if (services.dialogs->msgBox(
            QStringLiteral("Imprimer l'état du fichier ?\r          Confirmez"), kQuestion,
            QStringLiteral("Impression de toutes les fiches")) != vbYes)
        return false;
    try {
        // Each entry of the name list stands for its own record, so selecting the entries in
        // turn walks the records in list order, each once.
        const int count = form.listCount();
        for (int i = 0; i < count; ++i) {
            form.setListIndex(i);
            printRecordSheet(*services.printer, form);
        }
        services.printer->endDoc();
    } catch (const std::exception&) {
        printerFailed(services);
        return false;
    }
    if (cmdRefresh)
        cmdRefresh();
    return true;
}
