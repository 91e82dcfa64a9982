#pragma once

#include "platform/serialport.h"

class QSerialPort;

// A real serial port through QSerialPort.
class QtSerialPort : public SerialPort
{
    Q_OBJECT

public:
    explicit QtSerialPort(const QString& devicePath, QObject* parent = nullptr);
    ~QtSerialPort() override;

    QString devicePath() const override { return m_path; }
    bool open() override;
    bool isOpen() const override;
    bool setLineSettings(const SerialLineSettings& settings) override;
    Outcome setDataTerminalReady(bool on) override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    bool discardInput() override;
    void close() override;
    QString errorString() const override;
    bool lineLost() const override { return m_lineLost; }

private:
    void lose();

    QString m_path;
    QSerialPort* m_port = nullptr;
    bool m_lineLost = false;
};

class QtSerialPortFactory : public SerialPortFactory
{
public:
    std::unique_ptr<SerialPort> create(const QString& devicePath) override;
};
