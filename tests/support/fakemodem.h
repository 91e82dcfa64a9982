#pragma once

#include "platform/qtserialport.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <termios.h>

class QSocketNotifier;

// A modem at the far end of a pseudo-terminal: the program opens the slave device through its
// ordinary serial port code, the test plays the modem on the master side. Commands are cut at
// each CR; the modem answers from `onCommand` with send().
class FakeModem : public QObject
{
    Q_OBJECT

public:
    FakeModem();
    ~FakeModem() override;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // Everything the program has sent so far (what is waiting is read first).
    QByteArray received();
    // Commands in the order they came, each with its CR.
    QList<QByteArray> commands;
    std::function<void(const QByteArray& command)> onCommand;
    // Sends bytes to the program.
    void send(const QByteArray& bytes);
    // The line settings of the pseudo-terminal as the program set them.
    termios lineSettings() const;
    // The modem goes away: both ends of the pseudo-terminal are closed, so the program's side
    // finds its line hung up.
    void hangUpLine();

private:
    void readMaster();

    int m_master = -1;
    int m_slave = -1; // kept open so the master never sees the line hung up
    QString m_slavePath;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_received;
    QByteArray m_partial;
};

// Real serial ports, all of them opened on one device (the pseudo-terminal), whatever the path
// asked for; the paths asked for are listed. Every read of the program is counted.
class RedirectingPortFactory : public SerialPortFactory
{
public:
    explicit RedirectingPortFactory(const QString& target) : target(target) {}
    std::unique_ptr<SerialPort> create(const QString& devicePath) override;
    QString target;
    QStringList requested;
    int reads = 0;
};

class FakeSerialPortFactory;

// A serial port in memory, with failures on demand.
class FakeSerialPort : public SerialPort
{
    Q_OBJECT

public:
    FakeSerialPort(FakeSerialPortFactory& factory, const QString& path);
    QString devicePath() const override { return m_path; }
    bool open() override;
    bool isOpen() const override { return m_open; }
    bool setLineSettings(const SerialLineSettings& settings) override;
    Outcome setDataTerminalReady(bool on) override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    bool discardInput() override;
    void close() override { m_open = false; }
    QString errorString() const override { return QStringLiteral("fake"); }
    bool lineLost() const override { return false; }

    // Bytes arriving from the modem.
    void receive(const QByteArray& bytes);

private:
    FakeSerialPortFactory& m_factory;
    QString m_path;
    bool m_open = false;
    QByteArray m_incoming;
};

class FakeSerialPortFactory : public SerialPortFactory
{
public:
    std::unique_ptr<SerialPort> create(const QString& devicePath) override;

    // Behaviour of the ports made from now on.
    bool openResult = true;
    bool settingsResult = true;
    SerialPort::Outcome dtrResult = SerialPort::Outcome::Done;
    int failWriteAt = -1; // index (from 0, over all ports) of the write that fails
    QByteArray dialReply; // delivered after a command starting with "ATD"
    int dialReplyDelayMs = 0;

    // What happened.
    QStringList requested;
    QByteArray written; // every byte written, over all ports
    int writes = 0;
    SerialLineSettings lineSettings;
    FakeSerialPort* last = nullptr;
};
