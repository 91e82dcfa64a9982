// The main window's start-up and its file commands: Nouveau, Ouvrir, and opening an address file.
#include "app/frmelvarine.h"

#include "contacts/contactscommands.h"
#include "core/appstate.h"
#include "core/dosshell.h"
#include "core/enginemessages.h"
#include "core/services.h"
#include "envelopes/senderprofilefile.h"
#include "labels/printparamsfile.h"
#include "phone/dialersettingsfile.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "sync/synccommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <utility>

namespace
{

// The file dialog of Ouvrir and Nouveau, set for address files; false when it was cancelled.
bool chooseAddressFile(CommonDialog& dlg, const QString& title, bool save)
{
    dlg.CancelError = true;
    dlg.DialogTitle = title;
    dlg.Filter = QStringLiteral("Elvarine (*.adb)|*.adb");
    dlg.FilterIndex = 1;
    dlg.Flags = 0;
    if (save ? dlg.ShowSave() : dlg.ShowOpen())
        return true;
    dlg.CancelError = false;
    return false;
}

} // namespace

void frmElvarine::Form_Load()
{
    // A portable copy keeps everything beside the executable; an installed program reads its
    // data from the install and keeps the user's files in the user's data folder.
    state.CheminAppli =
        services.folder ? services.folder->userFolder() : QCoreApplication::applicationDirPath();
    state.CheminDonnees = services.folder ? services.folder->dataFolder() : QString();
    state.label.NbEtiquettes = 8;
    state.print.FontUnderline = false;
    state.print.FontStrikethru = false;
    loadStartupSenderProfile(state, services);
    loadStartupPrintParams(state, services);
    loadStartupDialerSettings(state, services);

    m_widgets.addButton->setToolTip(QStringLiteral("Ajouter une fiche"));
    m_widgets.deleteButton->setToolTip(QStringLiteral("Supprimer la fiche en cours"));
    m_widgets.refreshButton->setToolTip(QStringLiteral("Actualiser la liste"));
    m_widgets.updateButton->setToolTip(QStringLiteral("Modifier la fiche en cours"));
    m_widgets.closeButton->setToolTip(QStringLiteral("Quitter l'elvarine"));
    if (!FichierExiste(programFile(ProgramFile::StartupDatabase)))
        return;
    bindStartupDatabase();
    showFileControls(false);
}

void frmElvarine::bindStartupDatabase()
{
    const QString path = programFile(ProgramFile::StartupDatabase);
    try {
        // Data that come with the program: read, never written (installed, the file is not the
        // user's to write).
        auto db = Database::OpenDatabase(path, Database::Access::ReadOnly);
        auto rs = db->OpenRecordset(QString::fromUtf16(kTableName));
        m_binding.DatabaseName = db->Name();
        m_binding.RecordSource = QString::fromUtf16(kTableName);
        m_binding.attach(std::move(db), std::move(rs));
    } catch (const EngineError& e) {
        int response = 1;
        Data1_Error(e.number, e.text, response);
    }
}

void frmElvarine::Form_Activate()
{
    // Back from another window, every control is set again from the program's state: what the
    // other window did (moving the record, changing the sender profile...) shows at once.
    updateCommands();
    if (state.FicAnOuvre == 1)
        return;
    if (!FichierExiste(programFile(ProgramFile::StartupDatabase))) {
        services.dialogs->msgBox(
            QStringLiteral("Fichier Elvarine.mdb non trouvé !\rRéinstaller Elvarine."), vbCritical,
            QStringLiteral("Erreur"));
        return;
    }
    if (!m_startupFile.isEmpty()) {
        // Named on the command line: opened once, in place of the default file.
        openNamedFile(std::exchange(m_startupFile, QString()));
        return;
    }
    const QString adb = programFile(ProgramFile::AddressFile);
    if (FichierExiste(adb)) {
        state.FicAdresses = adb;
        openAddressFile(adb);
    }
}

bool frmElvarine::openAddressFile(const QString& path)
{
    // The file is checked completely before anything of the window changes, so a file that is
    // not an address file leaves the open one in place.
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;
    try {
        db = Database::OpenDatabase(path);
        rs = db->OpenRecordset(QString::fromUtf16(kTableName));
    } catch (const EngineError& e) {
        QString text;
        if (isEngineMessage(e.number)) // locked, a table this program cannot write safely
            text = e.text + QStringLiteral("\rIl n'a pas été ouvert.");
        else
            text = QStringLiteral("Le fichier %1 n'est pas un fichier d'adresses valide.\r%2")
                       .arg(path, e.text);
        services.dialogs->msgBox(text, vbCritical, QStringLiteral("Erreur"));
        return false;
    }
    m_binding.RecordSource.clear();
    ActualPosition = 1;
    m_binding.DatabaseName = db->Name();
    try {
        if (rs->RecordCount() == 0) {
            rs->AddNew();
            rs->Update();
        }
    } catch (const EngineError&) {
        // An empty file that refuses its first record (a read-only medium, a full disk) still
        // opens, to be read; the list stays empty, and the first store says why the file
        // cannot be written.
    }
    // The title names the file once its first record is stored: whoever sees the title may
    // rely on the file being whole.
    setWindowTitle(QStringLiteral("Elvarine ") + path);
    m_binding.attach(std::move(db), std::move(rs));
    m_binding.RecordSource = QString::fromUtf16(kTableName);
    showFileControls(true);
    state.FicAnOuvre = 1;
    cmdRefresh_Click();
    synchroniseAtOpening(state, services, m_binding, this, [this] { cmdRefresh_Click(); });
    return true;
}

void frmElvarine::Mnu_Ouvrir_Click()
{
    if (!settleOpenRecord())
        return;
    QDir::setCurrent(state.CheminAppli);
    if (!chooseAddressFile(*m_commonDialog, QStringLiteral("Ouvrir le fichier"), false))
        return;
    openNamedFile(m_commonDialog->FileName);
}

void frmElvarine::openNamedFile(const QString& path)
{
    const QString previous = state.FicAdresses;
    state.FicAdresses = path;
    if (state.FicAdresses.isEmpty())
        return;
    if (!FichierExiste(state.FicAdresses)) {
        services.dialogs->msgBox(QStringLiteral("Fichier ") + state.FicAdresses +
                                     QStringLiteral(" introuvable !"),
                                 vbExclamation, QStringLiteral("Erreur"));
        return;
    }
    // A refused file leaves the open one in place, and its name with it.
    if (!openAddressFile(state.FicAdresses) && state.FicAnOuvre == 1)
        state.FicAdresses = previous;
}

void frmElvarine::Mnu_Nouveau_Click()
{
    if (!settleOpenRecord())
        return;
    QDir::setCurrent(state.CheminAppli);
    m_commonDialog->FileName = QStringLiteral("Nouveau.adb");
    if (!chooseAddressFile(*m_commonDialog, QStringLiteral("Créer un fichier d'adresses"), true))
        return;
    state.FicAdresses = m_commonDialog->FileName;
    if (FichierExiste(state.FicAdresses)) {
        services.dialogs->msgBox(QStringLiteral("Le fichier ") + state.FicAdresses +
                                     QStringLiteral(" existe !\r") + QString(21, QLatin1Char(' ')) +
                                     QStringLiteral("Ouvir le fichier."),
                                 vbExclamation, QStringLiteral("Avertissement"));
        return;
    }
    if (state.FicAdresses.isEmpty() || !createAddressFile(state.FicAdresses))
        return;
    Mnu_Ouvrir_Click();
    cmdUpdate_Click();
    field(FieldBox::Nom)->setFocus();
}

std::unique_ptr<Database> frmElvarine::createAddressFile(const QString& path)
{
    try {
        auto db = Database::CreateDatabase(path);
        try {
            db->CreerDATA();
        } catch (const EngineError&) {
            db->Close();
            QFile::remove(path);
            throw;
        }
        return db;
    } catch (const EngineError& e) {
        // Nothing was made: say so rather than leave the user believing the file exists.
        services.dialogs->msgBox(
            QStringLiteral("Impossible de créer le fichier %1.\r%2").arg(path, e.text), vbCritical,
            QStringLiteral("Erreur"));
        return nullptr;
    }
}

void frmElvarine::Mnu_ImporterContacts_Click()
{
    if (!settleOpenRecord())
        return;
    const auto refresh = [this] { cmdRefresh_Click(); };
    const QString path = programFile(ProgramFile::AddressFile);
    if (state.FicAnOuvre != 1 && FichierExiste(path))
        openNamedFile(path); // refused when the program started: the reason is said again
    if (state.FicAnOuvre == 1) {
        importContacts(state, services, m_binding, this, refresh);
        return;
    }
    if (FichierExiste(path))
        return;
    // No address file yet: the contacts go into the default one, made for them and opened once
    // they are in (so it does not start with the empty record of a new file).
    std::unique_ptr<Database> db = createAddressFile(path);
    if (!db)
        return;
    int records = 0;
    try {
        auto rs = db->OpenRecordset(QString::fromUtf16(kTableName));
        RecordBinding target(*this);
        target.DatabaseName = db->Name();
        target.attach(std::move(db), std::move(rs));
        importContacts(state, services, target, this, {});
        records = target.recordset().RecordCount();
    } catch (const EngineError& e) {
        services.dialogs->msgBox(
            QStringLiteral("Le fichier %1 n'est pas un fichier d'adresses valide.\r%2")
                .arg(path, e.text),
            vbCritical, QStringLiteral("Erreur"));
    }
    db.reset();
    if (records == 0) {
        // Nothing imported (cancelled, refused): nothing is left behind.
        QFile::remove(path);
        return;
    }
    state.FicAdresses = path;
    openAddressFile(path);
}
