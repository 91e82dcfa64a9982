#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

// Line settings of a serial port.
struct SerialLineSettings {
    enum Parity { NoParity, EvenParity, OddParity };
    qint32 baudRate = 1200;
    int dataBits = 8;
    Parity parity = NoParity;
    int stopBits = 1;
};

// One serial port (a modem's line). Every operation can fail; none throws.
class SerialPort : public QObject
{
    Q_OBJECT

public:
    // What became of a request the port may not support.
    enum class Outcome { Done, Unsupported, Failed };

    using QObject::QObject;
    ~SerialPort() override = default;

    virtual QString devicePath() const = 0;
    // Opens the port for reading and writing.
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    // Line settings, without any handshaking.
    virtual bool setLineSettings(const SerialLineSettings& settings) = 0;
    // Raises or drops DTR. Some lines (a pseudo-terminal) have no DTR at all: Unsupported.
    virtual Outcome setDataTerminalReady(bool on) = 0;
    // Sends `bytes`; true once all of them are handed to the system.
    virtual bool write(const QByteArray& bytes) = 0;
    // Everything received and not read yet.
    virtual QByteArray readAll() = 0;
    // Drops everything received and not read yet.
    virtual bool discardInput() = 0;
    virtual void close() = 0;
    // The last failure, for diagnostics.
    virtual QString errorString() const = 0;
    // True once the line failed or was closed at its far end (reads find nothing more ever):
    // until the port is opened again.
    virtual bool lineLost() const = 0;

signals:
    // New bytes have been received.
    void readyRead();
    // The line failed or was closed at its far end.
    void lineLostNow();
};

// Makes the port object for a device path ("/dev/ttyS1").
class SerialPortFactory
{
public:
    virtual ~SerialPortFactory() = default;
    virtual std::unique_ptr<SerialPort> create(const QString& devicePath) = 0;
    // Why no port at all can be made here (the program's serial part cannot be loaded), in
    // French; empty when ports can be made.
    virtual QString unavailable() { return QString(); }
};

// The device of serial port COM `number`: COM 1 is /dev/ttyS0, COM 2 /dev/ttyS1 and so on.
// Empty for numbers below 1.
QString comDevicePath(int number);
