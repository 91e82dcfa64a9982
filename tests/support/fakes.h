#pragma once

#include "platform/clipboard.h"
#include "platform/desktopservices.h"
#include "platform/passwordstore.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QTest>
#include <QUrl>
#include <functional>

class FakeClipboard : public Clipboard
{
public:
    void clear() override
    {
        m_text.clear();
        ++clears;
    }
    void setText(const QString& text) override { m_text = text; }
    QString text() const override { return m_text; }
    int clears = 0;

private:
    QString m_text;
};

class FakeDesktopServices : public DesktopServices
{
public:
    bool openUrl(const QUrl& url) override
    {
        opened << url;
        return openResult;
    }
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        started << (QStringList{program} + arguments);
        return startResult;
    }
    QList<QUrl> opened;
    QList<QStringList> started;
    bool openResult = true;
    bool startResult = true;
};

// A keyring in memory; `available` false plays a desktop without one.
class MemoryPasswordStore : public PasswordStore
{
public:
    std::optional<QString> readPassword(const QString& key, QString* why = nullptr) override
    {
        ++reads;
        // A keyring that takes its time (asking to be unlocked): events go on meanwhile, as
        // with the real one, until the test lets it answer or the wait is cancelled.
        while (holdReads && holdReads()) {
            if (m_waitCancel && m_waitCancel())
                return std::nullopt;
            QTest::qWait(10);
        }
        if (!available) {
            if (why)
                *why = QStringLiteral("le trousseau du bureau n'est pas disponible.");
            return std::nullopt;
        }
        if (!kept.contains(key))
            return std::nullopt;
        return kept.value(key);
    }
    bool writePassword(const QString& key, const QString& password, QString* why = nullptr) override
    {
        if (!available) {
            if (why)
                *why = QStringLiteral("le trousseau du bureau n'est pas disponible.");
            return false;
        }
        kept.insert(key, password);
        return true;
    }
    void removePassword(const QString& key) override { kept.remove(key); }

    QHash<QString, QString> kept;
    bool available = true;
    int reads = 0;
    std::function<bool()> holdReads; // while true, a read waits
};
