#pragma once

#include <QDialog>
#include <optional>

class QCheckBox;
class QLineEdit;

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
