#include "phone/phonecommands.h"

#include "core/appstate.h"
#include "core/fieldrules.h"
#include "core/recordform.h"
#include "core/services.h"
#include "phone/dialer.h"
#include "platform/desktopservices.h"
#include "platform/dialogs.h"

#include <QAction>
#include <QSqlDatabase>
#include <QSqlQuery>

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
        const char* name;
        FieldBox box;
        const char* label;
        int underscores;
    };
    static const Row rows[3] = {
        {"Mnu_Tel1", FieldBox::Telephone, "N° Tel 1 : ", 19},
        {"Mnu_Tel2", FieldBox::Telephone1, "N° Tel 2 : ", 19},
        {"Mnu_Tel3", FieldBox::Portable, "N° Portable : ", 16},
    };
    TelMenuState state;
    if (dialer.ChoixNumeroteur == 0)
        state.elvarineChecked = true;
    else if (dialer.ChoixNumeroteur == 1)
        state.elvarineChecked = false;
    for (int i = 0; i < 3; ++i) {
        const Row& row = rows[i];
        TelMenuItem& item = state.items[size_t(i)];
        item.name = QString::fromLatin1(row.name);
        item.box = row.box;
        const QString text = form.fieldText(row.box);
        item.enabled = isFilled(text);
        item.caption = QString::fromUtf8(row.label) +
                       (item.enabled ? text : QString(row.underscores, QLatin1Char('_')));
    }
    return state;
}

void Mnu_Tel_Click(QObject& mnuTel, const AppState& state, const RecordForm& form)
{
    const TelMenuState menu = telMenuState(state.dialer, form);
    if (menu.elvarineChecked) {
        if (auto* a = mnuTel.findChild<QAction*>(QStringLiteral("Mnu_TelElvarine")))
            a->setChecked(*menu.elvarineChecked);
        if (auto* a = mnuTel.findChild<QAction*>(QStringLiteral("Mnu_TelWindows")))
            a->setChecked(!*menu.elvarineChecked);
    }
    for (const TelMenuItem& item : menu.items) {
        if (auto* a = mnuTel.findChild<QAction*>(item.name)) {
            a->setText(item.caption);
            a->setEnabled(item.enabled);
        }
    }
}

QUrl telUrl(const QString& number)
{
    // "+" opens an international number and "*" is a key of the phone: both stay as they are.
    const QByteArray encoded = QUrl::toPercentEncoding(number, QByteArray("+*"));
    return QUrl::fromEncoded(QByteArray("tel:") + encoded, QUrl::StrictMode);
}

QString sqliteVersionText()
{
    static QString version;
    static bool asked = false;
    if (asked)
        return version;
    asked = true;
    const QString connection = QStringLiteral("elvarine_sqlite_version");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT sqlite_version()")) && query.next())
                version = query.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return version;
}

void dialFieldBox(FieldBox box, AppState& state, Services& services, const RecordForm& form,
                  QWidget* parent, const ModalRunner& runModal)
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
        DIALER window(state, services, parent);
        if (runModal)
            runModal(window);
        else
            window.exec();
    }
}

void Mnu_Tel1_Click(AppState& state, Services& services, const RecordForm& form, QWidget* parent,
                    const ModalRunner& runModal)
{
    dialFieldBox(FieldBox::Telephone, state, services, form, parent, runModal);
}

void Mnu_Tel2_Click(AppState& state, Services& services, const RecordForm& form, QWidget* parent,
                    const ModalRunner& runModal)
{
    dialFieldBox(FieldBox::Telephone1, state, services, form, parent, runModal);
}

void Mnu_Tel3_Click(AppState& state, Services& services, const RecordForm& form, QWidget* parent,
                    const ModalRunner& runModal)
{
    dialFieldBox(FieldBox::Portable, state, services, form, parent, runModal);
}
