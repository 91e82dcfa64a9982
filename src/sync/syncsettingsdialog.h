#pragma once

#include "sync/syncstore.h"

#include <QDialog>

class Dialogs;
class DavClientFactory;
class PasswordStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Synchronisation": the CardDAV settings of the open address file. The server address (a
// server root or an address book's own address), the user name and the password; "Chercher
// les carnets" lists the address books found; the choice among them; synchronising at opening.
// The password goes into the desktop's keyring when asked (never into a file).
class SyncSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    SyncSettingsDialog(const SyncSettings& settings, PasswordStore* passwords,
                       DavClientFactory* davClients, Dialogs& dialogs, int timeoutMs,
                       QWidget* parent = nullptr);

    // The settings chosen (valid once accepted).
    SyncSettings settings() const { return m_settings; }
    // The password typed (may be empty).
    QString password() const;

    void accept() override;

    // Lists the address books of the server; false (and the reason shown) when none was found.
    bool findAddressBooks();

private:
    void showStatus(const QString& text);

    SyncSettings m_settings;
    PasswordStore* m_passwords;
    DavClientFactory* m_davClients;
    Dialogs& m_dialogs;
    int m_timeoutMs;
    QLineEdit* m_server = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_keep = nullptr;
    QPushButton* m_find = nullptr;
    QComboBox* m_books = nullptr;
    QCheckBox* m_atOpening = nullptr;
    QLabel* m_status = nullptr;
};
