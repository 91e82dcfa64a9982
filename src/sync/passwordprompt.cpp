#include "sync/passwordprompt.h"

#include "contacts/contactsprogress.h"
#include "platform/passwordstore.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PasswordPrompt::PasswordPrompt(const QString& user, const QString& server, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMotDePasse"));
    setWindowTitle(QStringLiteral("Mot de passe"));
    auto* layout = new QVBoxLayout(this);
    auto* label =
        new QLabel(QStringLiteral("&Mot de passe de « %1 » sur %2 :").arg(user, server), this);
    label->setObjectName(QStringLiteral("lblMotDePasse"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtMotDePasse"));
    m_password->setEchoMode(QLineEdit::Password);
    label->setBuddy(m_password);
    m_password->setAccessibleName(QStringLiteral("Mot de passe"));
    m_keep =
        new QCheckBox(QStringLiteral("&Garder le mot de passe dans le trousseau du bureau"), this);
    m_keep->setObjectName(QStringLiteral("chkTrousseau"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdAnnuler"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(m_password);
    layout->addWidget(m_keep);
    layout->addWidget(buttons);
    m_password->setFocus();
}

QString PasswordPrompt::password() const
{
    return m_password->text();
}

bool PasswordPrompt::keep() const
{
    return m_keep->isChecked();
}

std::optional<QString> readKeptPassword(PasswordStore& store, const QString& key,
                                        ContactsProgress& progress, QString* why)
{
    progress.setLabel(QStringLiteral("Lecture du mot de passe dans le trousseau du bureau..."));
    progress.showNow();
    store.setWaitCancel([&progress] { return progress.cancelled(); });
    std::optional<QString> password = store.readPassword(key, why);
    store.setWaitCancel({});
    if (progress.cancelled())
        return std::nullopt;
    return password;
}

std::optional<QString> readKeptPassword(PasswordStore& store, const QString& key, QWidget* parent)
{
    ContactsProgress progress(QString(), parent, 0);
    return readKeptPassword(store, key, progress);
}
