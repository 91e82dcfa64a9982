#pragma once

#include <QString>
#include <functional>
#include <optional>

// Where passwords are kept between runs: the desktop's keyring. Nothing else in the program
// writes a password anywhere.
class PasswordStore
{
public:
    virtual ~PasswordStore() = default;
    // The password kept under `key`; nothing when none is kept or no keyring answers. `why`
    // (when given) is set, in French, when no keyring answered; left empty when the keyring
    // simply holds nothing for `key`.
    virtual std::optional<QString> readPassword(const QString& key, QString* why = nullptr) = 0;
    // False (and `why` in French) when no keyring took it.
    virtual bool writePassword(const QString& key, const QString& password,
                               QString* why = nullptr) = 0;
    virtual void removePassword(const QString& key) = 0;

    // Asked now and then while a call waits on the keyring; true ends the wait (a read then
    // gives nothing, a write fails).
    void setWaitCancel(std::function<bool()> cancelled) { m_waitCancel = std::move(cancelled); }

protected:
    std::function<bool()> m_waitCancel;
};
