#include "fakemodem.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

FakeModem::FakeModem()
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return;
    m_master = master;
    m_slave = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FakeModem::readMaster);
}

FakeModem::~FakeModem()
{
    delete m_notifier;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

void FakeModem::readMaster()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        m_received.append(buffer, int(n));
        m_partial.append(buffer, int(n));
    }
    int cr;
    while ((cr = m_partial.indexOf('\r')) >= 0) {
        const QByteArray command = m_partial.left(cr + 1);
        m_partial.remove(0, cr + 1);
        commands << command;
        if (onCommand)
            onCommand(command);
    }
}

QByteArray FakeModem::received()
{
    if (m_master >= 0)
        readMaster();
    return m_received;
}

void FakeModem::send(const QByteArray& bytes)
{
    if (m_master >= 0 && !bytes.isEmpty()) {
        const ssize_t n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
        Q_UNUSED(n)
    }
}

termios FakeModem::lineSettings() const
{
    termios settings{};
    tcgetattr(m_slave, &settings);
    return settings;
}

void FakeModem::hangUpLine()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

namespace
{

// A real port whose reads are counted.
class CountingPort : public QtSerialPort
{
public:
    CountingPort(const QString& path, int& reads) : QtSerialPort(path), m_reads(reads) {}
    QByteArray readAll() override
    {
        ++m_reads;
        return QtSerialPort::readAll();
    }

private:
    int& m_reads;
};

} // namespace

std::unique_ptr<SerialPort> RedirectingPortFactory::create(const QString& devicePath)
{
    requested << devicePath;
    return std::make_unique<CountingPort>(target, reads);
}

FakeSerialPort::FakeSerialPort(FakeSerialPortFactory& factory, const QString& path)
    : m_factory(factory), m_path(path)
{
}

bool FakeSerialPort::open()
{
    m_open = m_factory.openResult;
    return m_open;
}

bool FakeSerialPort::setLineSettings(const SerialLineSettings& settings)
{
    if (!m_open || !m_factory.settingsResult)
        return false;
    m_factory.lineSettings = settings;
    return true;
}

SerialPort::Outcome FakeSerialPort::setDataTerminalReady(bool)
{
    return m_open ? m_factory.dtrResult : Outcome::Failed;
}

bool FakeSerialPort::write(const QByteArray& bytes)
{
    if (!m_open)
        return false;
    const int index = m_factory.writes++;
    if (index == m_factory.failWriteAt)
        return false;
    m_factory.written += bytes;
    if (bytes.startsWith("ATD") && !m_factory.dialReply.isEmpty()) {
        const QByteArray reply = m_factory.dialReply;
        QTimer::singleShot(m_factory.dialReplyDelayMs, this, [this, reply] { receive(reply); });
    }
    return true;
}

QByteArray FakeSerialPort::readAll()
{
    QByteArray bytes;
    bytes.swap(m_incoming);
    return bytes;
}

bool FakeSerialPort::discardInput()
{
    m_incoming.clear();
    return m_open;
}

void FakeSerialPort::receive(const QByteArray& bytes)
{
    m_incoming += bytes;
    emit readyRead();
}

std::unique_ptr<SerialPort> FakeSerialPortFactory::create(const QString& devicePath)
{
    requested << devicePath;
    auto port = std::make_unique<FakeSerialPort>(*this, devicePath);
    last = port.get();
    return port;
}
