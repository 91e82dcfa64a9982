#include "platform/qtserialport.h"

#include <QSerialPort>

QtSerialPort::QtSerialPort(const QString& devicePath, QObject* parent)
    : SerialPort(parent), m_path(devicePath), m_port(new QSerialPort(this))
{
    m_port->setPortName(devicePath);
    connect(m_port, &QSerialPort::readyRead, this, &SerialPort::readyRead);
    // A line closed at its far end (a modem unplugged, a pseudo-terminal's other side gone)
    // reads as failing reads; the device gone as a resource error.
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError)
            lose();
    });
}

void QtSerialPort::lose()
{
    if (m_lineLost || !m_port->isOpen())
        return;
    m_lineLost = true;
    // Nothing more will come: stop watching the line, which would otherwise wake the program
    // for ever with nothing to read (closed once the serial port's own handling is over).
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_lineLost)
                close();
        },
        Qt::QueuedConnection);
    emit lineLostNow();
}

QtSerialPort::~QtSerialPort()
{
    close();
}

bool QtSerialPort::open()
{
    if (m_path.isEmpty())
        return false;
    m_lineLost = false;
    return m_port->open(QIODevice::ReadWrite);
}

bool QtSerialPort::isOpen() const
{
    return m_port->isOpen();
}

bool QtSerialPort::setLineSettings(const SerialLineSettings& settings)
{
    if (!m_port->isOpen())
        return false;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    if (settings.parity == SerialLineSettings::EvenParity)
        parity = QSerialPort::EvenParity;
    else if (settings.parity == SerialLineSettings::OddParity)
        parity = QSerialPort::OddParity;
    const auto dataBits = static_cast<QSerialPort::DataBits>(settings.dataBits);
    const auto stopBits = settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    return m_port->setBaudRate(settings.baudRate) && m_port->setDataBits(dataBits) &&
           m_port->setParity(parity) && m_port->setStopBits(stopBits) &&
           m_port->setFlowControl(QSerialPort::NoFlowControl);
}

SerialPort::Outcome QtSerialPort::setDataTerminalReady(bool on)
{
    if (!m_port->isOpen())
        return Outcome::Failed;
    if (m_port->setDataTerminalReady(on))
        return Outcome::Done;
    const bool unsupported = m_port->error() == QSerialPort::UnsupportedOperationError;
    m_port->clearError();
    return unsupported ? Outcome::Unsupported : Outcome::Failed;
}

bool QtSerialPort::write(const QByteArray& bytes)
{
    if (!m_port->isOpen())
        return false;
    if (m_port->write(bytes) != bytes.size())
        return false;
    // Hand everything to the system now, so the pauses between commands measure from the
    // moment the command left.
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(2000))
            return false;
    }
    return true;
}

QByteArray QtSerialPort::readAll()
{
    if (!m_port->isOpen())
        return QByteArray();
    return m_port->readAll();
}

bool QtSerialPort::discardInput()
{
    if (!m_port->isOpen())
        return false;
    return m_port->clear(QSerialPort::Input);
}

void QtSerialPort::close()
{
    if (m_port->isOpen())
        m_port->close();
}

QString QtSerialPort::errorString() const
{
    return m_port->errorString();
}

std::unique_ptr<SerialPort> QtSerialPortFactory::create(const QString& devicePath)
{
    return std::make_unique<QtSerialPort>(devicePath);
}
