#include "platform/servicesmodule.h"

#include "platform/passwordstore.h"
#include "platform/serialport.h"
#include "sync/davclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <dlfcn.h>

#ifndef ELVARINE_MODULE_FROM_BIN
#define ELVARINE_MODULE_FROM_BIN "../lib/elvarine/modules"
#endif

namespace
{

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
}

struct LoadedModule {
    const ServicesModuleTable* table = nullptr;
    QString why;
};

LoadedModule load()
{
    LoadedModule loaded;
    const QStringList candidates =
        servicesModuleCandidates(executableFolder(), installModuleFromBin());
    QString path;
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate)) {
            path = candidate;
            break;
        }
    }
    if (path.isEmpty()) {
        QStringList folders;
        for (const QString& candidate : candidates)
            folders << QFileInfo(candidate).path();
        loaded.why = QStringLiteral("Le module %1 d'Elvarine est introuvable (cherché dans %2) : "
                                    "réinstallez Elvarine.")
                         .arg(QString::fromLatin1(kServicesModuleName),
                              folders.join(QStringLiteral(" et ")));
        return loaded;
    }
    // Kept for the whole run: the objects it makes live until the program ends.
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        loaded.why = QStringLiteral("Le module %1 d'Elvarine ne peut pas être chargé (%2) : "
                                    "réinstallez Elvarine.")
                         .arg(path, QString::fromLocal8Bit(error ? error : ""));
        return loaded;
    }
    using Entry = const ServicesModuleTable* (*)();
    const auto entry = reinterpret_cast<Entry>(dlsym(handle, kServicesModuleEntry));
    const ServicesModuleTable* table = entry ? entry() : nullptr;
    if (!table || table->version != kServicesModuleVersion) {
        loaded.why = QStringLiteral("Le module %1 ne vient pas de cette version d'Elvarine : "
                                    "réinstallez Elvarine.")
                         .arg(path);
        return loaded;
    }
    loaded.table = table;
    return loaded;
}

// `target`, made by the module's maker `make` at the first call and kept; null when the module
// cannot be loaded, with the reason in `why` (when given).
template <typename Service>
Service* madeByModule(std::unique_ptr<Service>& target,
                      std::unique_ptr<Service> (*ServicesModuleTable::*make)(), QString* why)
{
    if (!target) {
        QString reason;
        const ServicesModuleTable* module = servicesModule(&reason);
        if (!module) {
            if (why)
                *why = reason;
            return nullptr;
        }
        target = (module->*make)();
    }
    return target.get();
}

// The keyring, made at the first call.
class ModulePasswordStore : public PasswordStore
{
public:
    std::optional<QString> readPassword(const QString& key, QString* why) override
    {
        PasswordStore* store = target(why);
        return store ? store->readPassword(key, why) : std::nullopt;
    }
    bool writePassword(const QString& key, const QString& password, QString* why) override
    {
        PasswordStore* store = target(why);
        return store && store->writePassword(key, password, why);
    }
    void removePassword(const QString& key) override
    {
        if (PasswordStore* store = target(nullptr))
            store->removePassword(key);
    }

private:
    PasswordStore* target(QString* why)
    {
        PasswordStore* store = madeByModule(m_target, &ServicesModuleTable::keyring, why);
        if (store)
            store->setWaitCancel(m_waitCancel);
        return store;
    }

    std::unique_ptr<PasswordStore> m_target;
};

// A port that cannot be opened: the module is missing.
class UnavailableSerialPort : public SerialPort
{
public:
    UnavailableSerialPort(QString path, QString why)
        : m_path(std::move(path)), m_why(std::move(why))
    {
    }
    QString devicePath() const override { return m_path; }
    bool open() override { return false; }
    bool isOpen() const override { return false; }
    bool setLineSettings(const SerialLineSettings&) override { return false; }
    Outcome setDataTerminalReady(bool) override { return Outcome::Failed; }
    bool write(const QByteArray&) override { return false; }
    QByteArray readAll() override { return QByteArray(); }
    bool discardInput() override { return false; }
    void close() override {}
    QString errorString() const override { return m_why; }
    bool lineLost() const override { return false; }

private:
    QString m_path;
    QString m_why;
};

class ModuleSerialPortFactory : public SerialPortFactory
{
public:
    std::unique_ptr<SerialPort> create(const QString& devicePath) override
    {
        QString why;
        SerialPortFactory* ports = madeByModule(m_target, &ServicesModuleTable::serialPorts, &why);
        if (!ports)
            return std::make_unique<UnavailableSerialPort>(devicePath, why);
        return ports->create(devicePath);
    }
    QString unavailable() override
    {
        QString why;
        servicesModule(&why);
        return why;
    }

private:
    std::unique_ptr<SerialPortFactory> m_target;
};

class ModuleDavClientFactory : public DavClientFactory
{
public:
    std::unique_ptr<DavClient> create(const QString& user, const QString& password,
                                      QString* why) override
    {
        DavClientFactory* clients = madeByModule(m_target, &ServicesModuleTable::davClients, why);
        return clients ? clients->create(user, password, why) : nullptr;
    }

private:
    std::unique_ptr<DavClientFactory> m_target;
};

} // namespace

QStringList servicesModuleCandidates(const QString& executableFolder, const QString& moduleFromBin)
{
    const QString name = QString::fromLatin1(kServicesModuleName);
    return {
        QDir(executableFolder).filePath(name),
        QDir::cleanPath(QDir(executableFolder).filePath(moduleFromBin + QLatin1Char('/') + name))};
}

QString installModuleFromBin()
{
    return QStringLiteral(ELVARINE_MODULE_FROM_BIN);
}

const ServicesModuleTable* servicesModule(QString* why)
{
    static const LoadedModule module = load();
    if (!module.table && why)
        *why = module.why;
    return module.table;
}

std::unique_ptr<DavClientFactory> moduleDavClients()
{
    return std::make_unique<ModuleDavClientFactory>();
}

std::unique_ptr<PasswordStore> moduleKeyring()
{
    return std::make_unique<ModulePasswordStore>();
}

std::unique_ptr<SerialPortFactory> moduleSerialPorts()
{
    return std::make_unique<ModuleSerialPortFactory>();
}
