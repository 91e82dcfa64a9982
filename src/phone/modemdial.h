#pragma once

#include "core/state/dialersettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class SerialPort;
class SerialPortFactory;

// One dial through a modem taking AT commands on a serial port, 1200 baud 8N1 with DTR:
//   "ATZ" CR, pause, "ATQ0V1E1S0=0" CR, pause, received bytes discarded,
//   "ATDT"/"ATDP" + number + ";" CR, then wait until the received text contains "OK";
// and afterwards the hang-up, "ATH" CR, and the port closed.
// The pauses and the wait keep processing window events (a local event loop woken by the port,
// a timer or the cancel), so the window's buttons work meanwhile.
class ModemDial : public QObject
{
    Q_OBJECT

public:
    enum class Result {
        PortError, // the port could not be opened, set up or sent the first commands
        Answered,  // the modem reported "OK"
        Cancelled, // cancel() ended the wait
        Stopped,   // stop() ended a pause or the wait
        BadNumber, // the number holds other than dialing characters: nothing was sent
        LineLost,  // the line failed or closed during the wait
    };

    // `pauseMs`: the pause after each of the two first commands.
    explicit ModemDial(SerialPortFactory* factory, int pauseMs = 500, QObject* parent = nullptr);
    ~ModemDial() override;

    // The dial command for the mode: 0 tone, 1 pulse, anything else none (empty).
    static QByteArray dialCommand(int typeNumerotation, const QString& number);
    // True when `number` holds only dialing characters: digits, "*", "#", "+", ",", "W", "P",
    // "T" (either case), spaces, "-", "." and parentheses. Any other character could end the
    // dial command and start another one (";", CR...) or has no byte the modem knows.
    static bool dialable(const QString& number);
    // The message of a dial that ended on BadNumber or LineLost; empty for the other results.
    static QString failureMessage(Result result);

    // Opens the port of `settings.NumPort` and dials `number` (sent as typed), up to the
    // modem's answer, the cancel or the loss of the line. After a PortError the port stays as
    // it was left. A number that is not dialable() opens nothing and sends nothing.
    Result dial(const QString& number, const DialerSettings& settings);
    // "ATH" CR, then closes the port; failures ignored (nothing is sent to a closed port).
    void hangUp();

    // Stops waiting for the modem at the next pass of the wait. A cancel during the pauses is
    // acted upon once the dial command has been sent.
    void cancel();
    // Ends the current pause or wait at once (the window is closing).
    void stop();

    bool AppelAnnule() const { return m_appelAnnule; }
    bool busy() const { return m_busy; }
    bool portOpen() const;
    // The port of the last dial (null before the first).
    SerialPort* port() const { return m_port.get(); }
    int pauseMs() const { return m_pauseMs; }

signals:
    void woken();

private:
    Result run(const QString& number, const DialerSettings& settings);
    // False when stopped.
    bool pause(int ms);
    Result waitForAnswer();

    SerialPortFactory* m_factory;
    int m_pauseMs;
    std::unique_ptr<SerialPort> m_port;
    bool m_appelAnnule = false;
    bool m_stopped = false;
    bool m_busy = false;
};
