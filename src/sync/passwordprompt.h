#pragma once

#include <QDialog>
#include <optional>

class ContactsProgress;
class PasswordStore;
class QCheckBox;
class QLineEdit;

// The password kept under `key` in `store`, read under `progress` (shown at once, modal: its
// "Annuler" stops the wait). Nothing when none is kept, no keyring answers or the user
// cancelled; `why` as PasswordStore::readPassword gives it.
std::optional<QString> readKeptPassword(PasswordStore& store, const QString& key,
                                        ContactsProgress& progress, QString* why = nullptr);
// The same under a window of its own.
std::optional<QString> readKeptPassword(PasswordStore& store, const QString& key, QWidget* parent);

// "Mot de passe": asks the password of a server account when the keyring keeps none.
class PasswordPrompt : public QDialog
{
    Q_OBJECT

public:
    PasswordPrompt(const QString& user, const QString& server, QWidget* parent = nullptr);

    QString password() const;
    // The user asked to keep it in the desktop's keyring.
    bool keep() const;

    QLineEdit* passwordBox() const { return m_password; }

private:
    QLineEdit* m_password = nullptr;
    QCheckBox* m_keep = nullptr;
};
