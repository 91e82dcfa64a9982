#include "sync/syncsettingsdialog.h"

#include "contacts/contactsprogress.h"
#include "platform/dialogs.h"
#include "platform/passwordstore.h"
#include "sync/davclient.h"
#include "sync/discovery.h"
#include "sync/passwordprompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

const QString kTitle = QStringLiteral("Synchronisation");

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    QString name = text;
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1String(" :")))
        name.chop(2);
    buddy->setAccessibleName(name);
    return label;
}

} // namespace

SyncSettingsDialog::SyncSettingsDialog(const SyncSettings& settings, PasswordStore* passwords,
                                       DavClientFactory* davClients, Dialogs& dialogs,
                                       int timeoutMs, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_passwords(passwords), m_davClients(davClients),
      m_dialogs(dialogs), m_timeoutMs(timeoutMs)
{
    setObjectName(QStringLiteral("frmSynchronisation"));
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    m_server = new QLineEdit(settings.server, this);
    m_server->setObjectName(QStringLiteral("txtServeur"));
    m_server->setPlaceholderText(QStringLiteral("https://exemple.fr/ ou l'adresse du carnet"));
    m_user = new QLineEdit(settings.user, this);
    m_user->setObjectName(QStringLiteral("txtUtilisateur"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtMotDePasse"));
    m_password->setEchoMode(QLineEdit::Password);
    m_keep =
        new QCheckBox(QStringLiteral("&Garder le mot de passe dans le trousseau du bureau"), this);
    m_keep->setObjectName(QStringLiteral("chkTrousseau"));
    m_find = new QPushButton(QStringLiteral("&Chercher les carnets"), this);
    m_find->setObjectName(QStringLiteral("cmdChercher"));
    m_books = new QComboBox(this);
    m_books->setObjectName(QStringLiteral("cboCarnet"));
    m_atOpening = new QCheckBox(QStringLiteral("Synchroniser à l'&ouverture du fichier"), this);
    m_atOpening->setObjectName(QStringLiteral("chkOuverture"));
    m_atOpening->setChecked(settings.atOpening);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblEtat"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    form->addRow(caption(QStringLiteral("&Adresse du serveur :"), m_server, this), m_server);
    form->addRow(caption(QStringLiteral("&Nom d'utilisateur :"), m_user, this), m_user);
    form->addRow(caption(QStringLiteral("Mot de &passe :"), m_password, this), m_password);
    form->addRow(QString(), m_keep);
    form->addRow(QString(), m_find);
    form->addRow(caption(QStringLiteral("Carnet d'a&dresses :"), m_books, this), m_books);
    form->addRow(QString(), m_atOpening);
    layout->addLayout(form);
    layout->addWidget(m_status);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdAnnuler"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SyncSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_find, &QPushButton::clicked, this, [this] { findAddressBooks(); });
    layout->addWidget(buttons);

    if (settings.configured()) {
        m_books->addItem(settings.collectionName.isEmpty() ? settings.collection
                                                           : settings.collectionName,
                         settings.collection);
        if (m_passwords) {
            if (const auto kept = readKeptPassword(
                    *m_passwords, passwordKey(settings.user, settings.collection), parent)) {
                m_password->setText(*kept);
                m_keep->setChecked(true);
            }
        }
    }
    resize(520, sizeHint().height());
}

QString SyncSettingsDialog::password() const
{
    return m_password->text();
}

void SyncSettingsDialog::showStatus(const QString& text)
{
    m_status->setText(text);
    m_status->setAccessibleName(text);
}

bool SyncSettingsDialog::findAddressBooks()
{
    const QUrl url = serverUrl(m_server->text());
    if (url.isEmpty()) {
        showStatus(QStringLiteral("L'adresse du serveur n'est pas valide : elle s'écrit par "
                                  "exemple https://exemple.fr/ ou https://exemple.fr/carnets/."));
        m_server->setFocus();
        return false;
    }
    const QString searching =
        QStringLiteral("Recherche des carnets d'adresses sur %1...").arg(url.host());
    showStatus(searching);
    DiscoveryResult found;
    {
        // The window waits under a modal progress window ("Annuler" stops the search).
        ContactsProgress progress(searching, this, 0);
        progress.showNow();
        QString why;
        const std::unique_ptr<DavClient> client =
            makeDavClient(m_davClients, m_user->text().trimmed(), m_password->text(), &why);
        if (!client) {
            showStatus(why);
            return false;
        }
        client->setTimeoutMs(m_timeoutMs);
        client->setCancelCheck([&progress] { return progress.cancelled(); });
        found = discoverAddressBooks(*client, url);
        if (progress.cancelled()) {
            showStatus(QStringLiteral("Recherche annulée."));
            return false;
        }
    }
    if (!found.error.isEmpty() || found.books.empty()) {
        showStatus(found.error);
        return false;
    }
    const QString current = m_books->currentData().toString();
    m_books->clear();
    for (const AddressBook& book : found.books)
        m_books->addItem(book.name, book.url);
    const int again = m_books->findData(current);
    m_books->setCurrentIndex(again >= 0 ? again : 0);
    showStatus(found.books.size() == 1
                   ? QStringLiteral("Un carnet d'adresses trouvé.")
                   : QStringLiteral("%1 carnets d'adresses trouvés : choisissez celui à "
                                    "synchroniser.")
                         .arg(found.books.size()));
    m_books->setFocus();
    return true;
}

void SyncSettingsDialog::accept()
{
    if (m_books->currentIndex() < 0 || m_books->currentData().toString().isEmpty()) {
        showStatus(QStringLiteral("Choisissez un carnet d'adresses : « Chercher les carnets » "
                                  "les liste."));
        m_find->setFocus();
        return;
    }
    SyncSettings next = m_settings;
    next.server = m_server->text().trimmed();
    next.user = m_user->text().trimmed();
    next.collection = m_books->currentData().toString();
    next.collectionName = m_books->currentText();
    next.atOpening = m_atOpening->isChecked();
    if (next.collection != m_settings.collection) {
        next.syncToken.clear();
        next.ctag.clear();
    }
    if (m_passwords) {
        const QString key = passwordKey(next.user, next.collection);
        if (m_keep->isChecked() && !m_password->text().isEmpty()) {
            QString why;
            if (!m_passwords->writePassword(key, m_password->text(), &why))
                m_dialogs.msgBox(QStringLiteral("Le mot de passe n'a pas pu être gardé : %1\rIl "
                                                "sera demandé à chaque synchronisation.")
                                     .arg(why),
                                 vbExclamation, kTitle);
        } else if (!m_keep->isChecked()) {
            m_passwords->removePassword(key);
        }
    }
    m_settings = next;
    QDialog::accept();
}
