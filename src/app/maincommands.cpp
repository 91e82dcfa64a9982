#include "app/maincommands.h"

#include "app/frmelvarine.h"
#include "app/icons.h"
#include "app/optionrec.h"
#include "contacts/contactscommands.h"
#include "core/appstate.h"
#include "core/fieldrules.h"
#include "core/services.h"
#include "envelopes/frmutil.h"
#include "envelopes/impenv.h"
#include "internet/internetcommands.h"
#include "labels/impetiq.h"
#include "mailing/publipostage.h"
#include "output/clipboardcopy.h"
#include "output/recordsheet.h"
#include "output/recordsheetpreview.h"
#include "phone/dialer.h"
#include "phone/dialersettingsfile.h"
#include "phone/phonecommands.h"
#include "platform/dialogs.h"
#include "printer/calibrationwindow.h"
#include "printer/orientationcommands.h"
#include "printer/orientationmarks.h"
#include "printer/printersurface.h"
#include "sync/synccommands.h"

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <algorithm>

namespace
{

// A window that shows the current record and moves through the stored ones: only with an open
// address file, and with no record left open in the form.
template <typename Window> void openRecordWindow(frmElvarine& w)
{
    if (!w.binding().hasRecordset() || !w.settleOpenRecord())
        return;
    Window window(w.state, w.services, w, &w);
    w.runModal(window);
}

void openMailing(frmElvarine& w)
{
    if (!w.binding().hasRecordset() || !w.settleOpenRecord())
        return;
    MailingSourceRecords source{&w.binding().recordset(), w.listRecordPositions(),
                                w.selectedRecordPositions()};
    Publipostage window(w.state, w.services, std::move(source), &w);
    w.runModal(window);
}

void openSenderWindow(frmElvarine& w)
{
    FrmUtil window(w.state, w.services, &w);
    w.runModal(window);
}

void openSearchOptions(frmElvarine& w)
{
    OptionRec window(w.state, &w);
    w.runModal(window);
}

void switchOrientation(frmElvarine& w, int orientation)
{
    if (w.services.printer)
        showOrientation(changeOrientation(w.services, orientation), w.command(Command::ImpPort),
                        w.command(Command::ImpPays));
}

void dialBox(frmElvarine& w, FieldBox box)
{
    dialTelephone(box, w.state, w.services, w, [&w] {
        DIALER window(w.state, w.services, &w);
        w.runModal(window);
    });
}

void copyBox(frmElvarine& w, FieldBox box)
{
    copyFieldBox(w.services.clipboard, w, box);
}

// A synchronisation rewrites records: a record being typed is stored first (the user says so)
// or the synchronisation waits, so nothing typed is lost.
bool storePendingRecordBeforeSync(frmElvarine& w)
{
    if (!w.recordPending())
        return true;
    if (w.services.dialogs->msgBox(QStringLiteral("La fiche en cours n'est pas enregistrée. "
                                                  "L'enregistrer avant de synchroniser ?"),
                                   vbYesNo + vbQuestion,
                                   QStringLiteral("Synchroniser maintenant")) != vbYes)
        return false;
    w.cmdRefresh_Click();
    return !w.recordPending();
}

void synchroniseFile(frmElvarine& w)
{
    if (storePendingRecordBeforeSync(w))
        synchroniseNow(w.state, w.services, w.binding(), &w, [&w] { w.cmdRefresh_Click(); });
}

} // namespace

void CommandHandler::run(frmElvarine& window) const
{
    if (member)
        (window.*member)();
    else
        function(window);
}

namespace
{
using M = frmElvarine;
using B = FieldBox;
} // namespace

// clang-format off
constexpr CommandRow kCommandTable[kCommandCount] = {
    // id, objectName, menu, separator above, caption, shortcut, toolbar index, tooltip, icon,
    // check mark, handler
    {Command::Nouveau, "Mnu_Nouveau", Menu::Fichier, false, "&Nouveau", "Ctrl+N",
     1, "Nouveau Fichier", {"new-file", "document-new"}, Check::None, &M::Mnu_Nouveau_Click},
    {Command::Ouvrir, "Mnu_Ouvrir", Menu::Fichier, false, "&Ouvrir", "Ctrl+O",
     2, "Ouvrir un fichier", {"open-file", "document-open"}, Check::None, &M::Mnu_Ouvrir_Click},
    {Command::ImporterContacts, "Mnu_ImporterContacts", Menu::Fichier, true,
     "&Importer des contacts...", "", 0, "", {}, Check::None, &M::Mnu_ImporterContacts_Click},
    {Command::ExporterContacts, "Mnu_ExporterContacts", Menu::Fichier, false,
     "&Exporter les contacts...", "", 0, "", {}, Check::None,
     [](M& w) {
         if (w.settleOpenRecord())
             exportAllContacts(w.state, w.services, w.binding(), &w);
     }},
    {Command::ExporterFiche, "Mnu_ExporterFiche", Menu::Fichier, false,
     "Exporter la fiche en co&urs...", "", 0, "", {}, Check::None,
     [](M& w) { exportCurrentContact(w.state, w.services, w, &w); }},
    {Command::Synchronisation, "Mnu_Synchronisation", Menu::Fichier, true,
     "&Synchronisation...", "", 0, "", {}, Check::None,
     [](M& w) { openSyncSettings(w.state, w.services, w.binding(), &w); }},
    {Command::SynchroniserMaintenant, "Mnu_SynchroniserMaintenant", Menu::Fichier, false,
     "Synchroniser &maintenant", "", 0, "", {}, Check::None, synchroniseFile},
    {Command::ImpEnv, "Mnu_ImpEnv", Menu::Impression, false,
     "Imprimer enveloppe pour adresse", "Ctrl+I",
     3, "Imprimer Enveloppe", {"print-envelope", ""}, Check::None, openRecordWindow<ImpEnv>},
    {Command::ImprimEtiq, "Mnu_ImprimEtiq", Menu::Impression, false,
     "Imprimer &étiquette pour adresse", "Ctrl+E",
     4, "Imprimer Etiquette", {"print-label", ""}, Check::None, openRecordWindow<ImpEtiq>},
    {Command::ImprimFiche, "Mnu_imprimFICHE", Menu::Impression, false,
     "Imprimer la &fiche en cours", "", 0, "", {}, Check::None,
     [](M& w) { printCurrentRecordSheet(w.services, w); }},
    {Command::ImprimToutesFiches, "Mnu_imprimTOUTESFICHES", Menu::Impression, false,
     "Imprimer l'é&tat du fichier", "", 0, "", {}, Check::None,
     [](M& w) {
         if (w.settleOpenRecord())
             printAllRecordSheets(w.services, w, [&w] { w.cmdRefresh_Click(); });
     }},
    {Command::ApercuFiche, "Mnu_ApercuFICHE", Menu::Impression, true,
     "&Aperçu avant impression de la fiche", "", 0, "", {}, Check::None,
     [](M& w) { previewRecordSheet(w.state, w.services, w, &w); }},
    {Command::ApercuToutesFiches, "Mnu_ApercuTOUTESFICHES", Menu::Impression, false,
     "Aperçu a&vant impression de l'état du fichier", "", 0, "", {}, Check::None,
     [](M& w) {
         if (w.settleOpenRecord())
             previewAllRecordSheets(w.state, w.services, w, [&w] { w.cmdRefresh_Click(); }, &w);
     }},
    {Command::Publipostage, "Mnu_Publipostage", Menu::Impression, true,
     "&Publipostage...", "", 0, "", {}, Check::None, openMailing},
    {Command::ConfIMP, "Mnu_ConfIMP", Menu::Fichier, false, "&Configurer l'imprimante", "Ctrl+C",
     5, "Configurer l'imprimante", {"printer-setup", ""}, Check::None,
     [](M& w) { configurePrinter(w.services); }},
    {Command::Calibrer, "Mnu_Calibrer", Menu::Fichier, false, "Cali&brer l'imprimante...", "",
     0, "", {}, Check::None, [](M& w) { calibratePrinter(w.services, &w); }},
    {Command::ImpPort, "Mnu_ImpPort", Menu::Fichier, false, "Imprimante en mode Portrait", "",
     0, "", {}, Check::PrinterReport, [](M& w) { switchOrientation(w, PrinterSurface::Portrait); }},
    {Command::ImpPays, "Mnu_ImpPays", Menu::Fichier, false, "Imprimante en mode Paysage", "",
     0, "", {}, Check::PrinterReport,
     [](M& w) { switchOrientation(w, PrinterSurface::Landscape); }},
    {Command::Utilisateur, "Mnu_Utilisateur", Menu::Fichier, true,
     "Définition de l'utilisateur", "", 0, "", {}, Check::None, openSenderWindow},
    {Command::Fermer, "Mnu_Fermer", Menu::Fichier, true, "&Quitter", "Ctrl+F4",
     6, "Quitter le programme", {"quit", "application-exit"}, Check::None, &M::cmdClose_Click},

    {Command::CopieFiche, "Mnu_CopieFiche", Menu::Edition, false,
     "&Copier la fiche en cours", "F4",
     8, "Copier la fiche en cours", {"copy-record", ""}, Check::None,
     &M::Mnu_CopieFiche_Click},
    {Command::CollerFiche, "Mnu_CollerFiche", Menu::Edition, false,
     "Co&ller la sélection dans une nouvelle fiche", "F5",
     9, "Coller dans une nouvelle fiche", {"paste-record", ""}, Check::None,
     &M::Mnu_CollerFiche_Click},
    {Command::Rechercher, "Mnu_Rechercher", Menu::Edition, true, "&Rechercher", "F2",
     11, "Rechercher", {"search", "edit-find"}, Check::None, &M::Mnu_Rechercher_Click},
    {Command::Suivant, "Mnu_Suivant", Menu::Edition, false, "&Suivant", "F3",
     12, "Rechercher suivant", {"search-next", ""}, Check::None, &M::Mnu_Suivant_Click},
    {Command::OptionR, "Mnu_OptionR", Menu::Edition, false, "Options de recherche...", "",
     0, "", {}, Check::None, openSearchOptions},
    {Command::FiltrerListe, "Mnu_FiltrerListe", Menu::Edition, false, "&Filtrer la liste",
     "Ctrl+L", 0, "", {}, Check::None, [](M& w) { w.focusFilter(); }},
    {Command::CopierAdresse, "Mnu_CopierAdresse", Menu::Copier, false, "&Nom et Adresse", "",
     0, "", {}, Check::None, [](M& w) { copyNameAndAddress(w.services.clipboard, w); }},
    {Command::CopierEMail, "Mnu_CopierEMail", Menu::Copier, false, "&E-Mail", "",
     0, "", {}, Check::None, [](M& w) { copyBox(w, B::Email); }},
    {Command::CopierURL, "Mnu_CopierURL", Menu::Copier, false, "&Accès URL", "",
     0, "", {}, Check::None, [](M& w) { copyBox(w, B::Url); }},
    {Command::CopierTel1, "Mnu_CopierTel1", Menu::Copier, false, "N° Téléphone 1", "",
     0, "", {}, Check::None, [](M& w) { copyBox(w, B::Telephone); }},
    {Command::CopierTel2, "Mnu_CopierTel2", Menu::Copier, false, "N° Téléphone 2", "",
     0, "", {}, Check::None, [](M& w) { copyBox(w, B::Telephone1); }},
    {Command::CopierTel3, "Mnu_CopierTel3", Menu::Copier, false, "N° Portable", "",
     0, "", {}, Check::None, [](M& w) { copyBox(w, B::Portable); }},
    {Command::CopierFAX, "Mnu_CopierFAX", Menu::Copier, false, "N° FAX", "",
     0, "", {}, Check::None, [](M& w) { copyBox(w, B::Fax); }},
    {Command::ConnectInternet, "Mnu_ConnectInternet", Menu::Edition, true,
     "Se connecter à Internet", "", 0, "", {}, Check::None,
     [](M& w) { ConnexionInternet(w.services); }},
    {Command::Mail, "Mnu_Mail", Menu::Edition, true, "Envoyer un courrier :", "",
     0, "", {}, Check::None, [](M& w) { sendMailToRecord(w.services, w); }},
    {Command::ConnectURL, "Mnu_ConnectURL", Menu::Edition, false, "Se connecter URL :", "",
     0, "", {}, Check::None, [](M& w) { openRecordWebPage(w.services, w); }},

    {Command::Tel1, "Mnu_Tel1", Menu::Composer, false, "N° Tel 1 : ______________", "",
     0, "", {}, Check::None, [](M& w) { dialBox(w, B::Telephone); }},
    {Command::Tel2, "Mnu_Tel2", Menu::Composer, false, "N° Tel 2 : ______________", "",
     0, "", {}, Check::None, [](M& w) { dialBox(w, B::Telephone1); }},
    {Command::Tel3, "Mnu_Tel3", Menu::Composer, false, "N° Portable : ____________", "",
     0, "", {}, Check::None, [](M& w) { dialBox(w, B::Portable); }},
    {Command::TelElvarine, "Mnu_TelElvarine", Menu::ChoixNumeroteur, false,
     "Numéroteur de Elvarine", "", 0, "", {}, Check::Mark,
     [](M& w) { chooseModemDialer(w.state, w.services); }},
    {Command::TelWindows, "Mnu_TelWindows", Menu::ChoixNumeroteur, false,
     "Numéroteur de Windows", "", 0, "", {}, Check::Mark,
     [](M& w) { chooseDesktopDialer(w.state, w.services); }},

    {Command::Aide, "Mnu_Aide", Menu::Aide, false, "Aide", "F1",
     19, "Aide", {"help", "help-contents"}, Check::None, &M::Mnu_Aide_Click},
    {Command::Apropos, "Mnu_Apropos", Menu::Aide, true, "A propos...", "",
     20, "A Propos", {"about", "help-about"}, Check::None, &M::Mnu_Apropos_Click},

    {Command::Ajouter, "Toolbar1_14", Menu::None, false, "Ajouter", "",
     14, "Ajouter une fiche", {"add-record", "list-add"}, Check::None, &M::cmdAdd_Click},
    {Command::Supprimer, "Toolbar1_15", Menu::None, false, "Supprimer", "",
     15, "Supprimer la fiche en cours", {"delete-record", "edit-delete"}, Check::None,
     &M::cmdDelete_Click},
    {Command::Actualiser, "Toolbar1_16", Menu::None, false, "Actualiser", "",
     16, "Actualiser la liste", {"refresh", "view-refresh"}, Check::None, &M::cmdRefresh_Click},
    {Command::Modifier, "Toolbar1_17", Menu::None, false, "Modifier", "",
     17, "Modifier la fiche en cours", {"modify-record", "document-edit"}, Check::None, &M::cmdUpdate_Click},
};

constexpr MenuRow kMenuTable[kMenuCount] = {
    // id, parent, objectName, caption, separator above, run when it opens
    {Menu::Fichier, Menu::None, "Mnu_Fichier", "&Fichier", false, &M::Mnu_Fichier_Click},
    {Menu::Impression, Menu::Fichier, "Mnu_Impression", "Impression", true, nullptr},
    {Menu::Edition, Menu::None, "Mnu_Edition", "&Edition", false, &M::Mnu_Edition_Click},
    {Menu::Copier, Menu::Edition, "Mnu_Copier", "Copier dans le presse papier", true, nullptr},
    {Menu::Composer, Menu::None, "Mnu_Tel", "&Composer", false, &M::Mnu_Tel_Click},
    {Menu::ChoixNumeroteur, Menu::Composer, "Mnu_ChoixNum", "Choix du numéroteur d'appel", true,
     nullptr},
    {Menu::Aide, Menu::None, "Mnu_Help", "?", false, nullptr},
};
// clang-format on

namespace
{

// The tables are complete and in the order of their enums, so a command or menu reached by its
// id is always there.
constexpr bool commandTableIsWhole()
{
    bool onToolbar[kToolbarButtons + 1] = {};
    for (int i = 0; i < kCommandCount; ++i) {
        const CommandRow& row = kCommandTable[i];
        if (row.id != Command(i) || !row.objectName || !row.objectName[0] || !row.handler.valid())
            return false;
        if (row.toolbarIndex < 0 || row.toolbarIndex > kToolbarButtons ||
            (row.toolbarIndex > 0 && onToolbar[row.toolbarIndex]))
            return false;
        onToolbar[row.toolbarIndex] = true;
        if (row.menu == Menu::None && row.toolbarIndex == 0)
            return false;
    }
    return true;
}
static_assert(commandTableIsWhole(), "every command in its place, with a name and a handler");

constexpr bool menuTableIsWhole()
{
    for (int i = 0; i < kMenuCount; ++i) {
        const Menu parent = kMenuTable[i].parent;
        if (kMenuTable[i].id != Menu(i) || (parent != Menu::None && int(parent) >= i))
            return false;
    }
    return true;
}
static_assert(menuTableIsWhole(), "every menu in its place, after its parent");

} // namespace

QMenu* MainCommands::ensureMenu(Menu id, frmElvarine& window, QMenuBar& bar)
{
    if (QMenu* made = m_menus[size_t(id)])
        return made;
    const MenuRow& row = kMenuTable[size_t(id)];
    QMenu* parent = row.parent == Menu::None ? nullptr : ensureMenu(row.parent, window, bar);
    const QString name = QString::fromLatin1(row.objectName);
    auto* menu =
        new QMenu(QString::fromUtf8(row.caption), parent ? static_cast<QWidget*>(parent) : &bar);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name + QStringLiteral("_menu"));
    if (parent) {
        if (row.separatorAbove)
            parent->addSeparator();
        parent->addMenu(menu);
    } else {
        bar.addMenu(menu);
    }
    if (row.opening)
        QObject::connect(menu, &QMenu::aboutToShow, &window, row.opening);
    m_menus[size_t(id)] = menu;
    return menu;
}

void MainCommands::build(frmElvarine& window, QMenuBar& bar, QToolBar& toolbar)
{
    for (const CommandRow& row : kCommandTable) {
        auto* action = new QAction(QString::fromUtf8(row.caption), &window);
        action->setObjectName(QString::fromLatin1(row.objectName));
        if (row.shortcut[0])
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        if (row.toolbarIndex > 0) {
            action->setToolTip(QString::fromUtf8(row.tooltip));
            action->setIcon(programIcon(QString::fromLatin1(row.icon.own),
                                        QString::fromLatin1(row.icon.theme)));
            // The menus show their entries without icons.
            action->setIconVisibleInMenu(false);
        }
        action->setCheckable(row.check != Check::None);
        if (row.check == Check::PrinterReport)
            keepMarkOnClick(action);
        const CommandHandler handler = row.handler;
        QObject::connect(action, &QAction::triggered, &window,
                         [handler, &window] { handler.run(window); });
        if (row.menu != Menu::None) {
            QMenu* menu = ensureMenu(row.menu, window, bar);
            if (row.separatorAbove)
                menu->addSeparator();
            menu->addAction(action);
        }
        m_actions[size_t(row.id)] = action;
    }
    Q_ASSERT(std::find(m_menus.begin(), m_menus.end(), nullptr) == m_menus.end());

    for (int index = 1; index <= kToolbarButtons; ++index) {
        const auto row =
            std::find_if(std::begin(kCommandTable), std::end(kCommandTable),
                         [index](const CommandRow& r) { return r.toolbarIndex == index; });
        const QString name = QStringLiteral("Toolbar1_%1").arg(index);
        if (row == std::end(kCommandTable)) {
            QAction* separator = toolbar.addSeparator();
            separator->setObjectName(name);
            m_toolbar[size_t(index)] = separator;
            continue;
        }
        QAction* action = m_actions[size_t(row->id)];
        toolbar.addAction(action);
        QWidget* button = toolbar.widgetForAction(action);
        button->setObjectName(name);
        // Announced by its tooltip, not by the menu entry's caption.
        button->setAccessibleName(action->toolTip());
        m_toolbar[size_t(index)] = action;
    }
}

QAction* MainCommands::toolbarButton(int index) const
{
    return index >= 1 && index <= kToolbarButtons ? m_toolbar[size_t(index)] : nullptr;
}

// ------------------------------------------------------------------------------ menu openings

void frmElvarine::Mnu_Fichier_Click()
{
    if (services.printer)
        refreshOrientationMarks(services, command(Command::ImpPort), command(Command::ImpPays));
}

void frmElvarine::Mnu_Edition_Click()
{
    updateCommands();
}

void frmElvarine::Mnu_Tel_Click()
{
    updateCommands();
}

void frmElvarine::updateCommands()
{
    // A change made while the commands are being set (a focus rule filling a box) sets them
    // again once this round is over.
    if (m_updatingCommands) {
        m_commandsAgain = true;
        return;
    }
    m_updatingCommands = true;
    do {
        m_commandsAgain = false;
        const bool fileOpen = state.FicAnOuvre == 1;
        m_workflow.setFileOpen(fileOpen);
        m_workflow.apply();
        m_commands.menu(Menu::Edition)->menuAction()->setEnabled(fileOpen);
        m_commands.menu(Menu::Impression)->menuAction()->setEnabled(fileOpen);
        for (Command onFile :
             {Command::ImpEnv, Command::ImprimEtiq, Command::ImprimFiche,
              Command::ImprimToutesFiches, Command::ApercuFiche, Command::ApercuToutesFiches,
              Command::Publipostage,
              Command::ExporterContacts, Command::ExporterFiche, Command::Synchronisation,
              Command::SynchroniserMaintenant})
            command(onFile)->setEnabled(fileOpen);

        // Edition. "Filled" is the untrimmed text longer than one character.
        auto enable = [this, fileOpen](Command id, bool on) {
            command(id)->setEnabled(fileOpen && on);
        };
        enable(Command::CopieFiche, true);
        enable(Command::CollerFiche, state.copy.FicheCopieeOK == 1);
        enable(Command::Rechercher, !m_searching);
        enable(Command::Suivant, !m_searching && !state.search.Chaine.isEmpty());
        enable(Command::OptionR, true);
        // The filter box goes with the list: not while a record is open in the form.
        m_widgets.filterBox->setEnabled(fileOpen && m_widgets.nameList->isEnabled());
        enable(Command::FiltrerListe, m_widgets.filterBox->isEnabled());
        enable(Command::CopierAdresse, true);
        const QString email = fieldText(FieldBox::Email);
        enable(Command::CopierEMail, isFilled(email));
        const QString url = fieldText(FieldBox::Url);
        enable(Command::CopierURL, isFilled(url));
        enable(Command::CopierTel1, isFilled(fieldText(FieldBox::Telephone)));
        enable(Command::CopierTel2, isFilled(fieldText(FieldBox::Telephone1)));
        enable(Command::CopierTel3, isFilled(fieldText(FieldBox::Portable)));
        enable(Command::CopierFAX, isFilled(fieldText(FieldBox::Fax)));
        enable(Command::ConnectInternet, true);
        applyMenuEntry(command(Command::Mail), mailMenuEntry(email));
        applyMenuEntry(command(Command::ConnectURL), urlMenuEntry(url));

        // Composer: the numbers of the record shown and the dialer chosen.
        showTelMenu(telMenuState(state.dialer, *this),
                    {command(Command::Tel1), command(Command::Tel2), command(Command::Tel3)},
                    command(Command::TelElvarine), command(Command::TelWindows));
    } while (m_commandsAgain);
    m_updatingCommands = false;
}
