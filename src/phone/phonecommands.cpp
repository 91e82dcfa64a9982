#include "phone/phonecommands.h"

#include "core/appstate.h"
#include "core/fieldrules.h"
#include "core/recordform.h"
#include "core/services.h"
#include "core/sqliteversion.h"
#include "platform/desktopservices.h"
#include "platform/dialogs.h"

#include <QAction>

namespace
{

void showWarning(Services& services)
{
    if (services.dialogs)
        services.dialogs->msgBox(QStringLiteral("Numéroteur d'appel Dialer.exe non trouvé !\r"
                                                "Installer le numéroteur d'appel de Windows."),
                                 vbExclamation, QStringLiteral("Avertissement"));
}

} // namespace

TelMenuState telMenuState(const DialerSettings& dialer, const RecordForm& form)
{
    struct Row {
        FieldBox box;
        const char* label;
        int underscores;
    };
    static const Row rows[3] = {
        {FieldBox::Telephone, "N° Tel 1 : ", 19},
        {FieldBox::Telephone1, "N° Tel 2 : ", 19},
        {FieldBox::Portable, "N° Portable : ", 16},
    };
    TelMenuState state;
    if (dialer.ChoixNumeroteur == 0)
        state.elvarineChecked = true;
    else if (dialer.ChoixNumeroteur == 1)
        state.elvarineChecked = false;
    for (int i = 0; i < 3; ++i) {
        const Row& row = rows[i];
        TelMenuItem& item = state.items[size_t(i)];
        item.box = row.box;
        const QString text = form.fieldText(row.box);
        item.enabled = isFilled(text);
        item.caption = QString::fromUtf8(row.label) +
                       (item.enabled ? text : QString(row.underscores, QLatin1Char('_')));
    }
    return state;
}

void showTelMenu(const TelMenuState& menu, const std::array<QAction*, 3>& numbers,
                 QAction* elvarine, QAction* windows)
{
    if (menu.elvarineChecked) {
        elvarine->setChecked(*menu.elvarineChecked);
        windows->setChecked(!*menu.elvarineChecked);
    }
    for (size_t i = 0; i < numbers.size(); ++i) {
        numbers[i]->setText(menuCaptionText(menu.items[i].caption));
        numbers[i]->setEnabled(menu.items[i].enabled);
    }
}

QUrl telUrl(const QString& number)
{
    // "+" opens an international number and "*" is a key of the phone: both stay as they are.
    const QByteArray encoded = QUrl::toPercentEncoding(number, QByteArray("+*"));
    return QUrl::fromEncoded(QByteArray("tel:") + encoded, QUrl::StrictMode);
}

void dialTelephone(FieldBox box, AppState& state, Services& services, const RecordForm& form,
                   const std::function<void()>& openModemDialer)
{
    // Shown and dialed exactly as displayed: no trimming, spaces and dots kept.
    // A tel: address carries the number only; the called party's name has no place in it.
    const QString number = form.fieldText(box);

    if (state.dialer.ChoixNumeroteur == 1) {
        if (!services.desktop) {
            showWarning(services);
            return;
        }
        if (!services.desktop->openUrl(telUrl(number)) && services.dialogs) {
            services.dialogs->msgBox(
                QStringLiteral("Ce numéro n'a pas pu être appelé : ") + number +
                    QStringLiteral("\r\n\r\nVérifier qu'aucune autre application ne mobilise le "
                                   "port de communication."),
                vbCritical, QStringLiteral("Erreur de numérotation, ") + sqliteVersionText());
        }
    } else if (state.dialer.ChoixNumeroteur == 0) {
        if (!services.serial) {
            showWarning(services);
            return;
        }
        state.NumeroAppel = number;
        if (openModemDialer)
            openModemDialer();
    }
}
