#pragma once

#include "platform/passwordstore.h"

// The desktop's keyring through the Secret Service (QtKeychain), under the service name
// "Elvarine". Where none answers (no session bus, no keyring daemon), reads give nothing and
// writes fail: the password is never written to a file instead.
class KeyringPasswordStore : public PasswordStore
{
public:
    std::optional<QString> readPassword(const QString& key, QString* why = nullptr) override;
    bool writePassword(const QString& key, const QString& password,
                       QString* why = nullptr) override;
    void removePassword(const QString& key) override;
};
