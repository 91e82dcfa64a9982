#include "phone/modemdial.h"

#include "platform/serialport.h"

#include <QEventLoop>
#include <QTimer>

namespace
{

const char CR = '\r';
// How often the wait looks at the port even when nothing signalled.
const int WaitPollMs = 250;

} // namespace

ModemDial::ModemDial(SerialPortFactory* factory, int pauseMs, QObject* parent)
    : QObject(parent), m_factory(factory), m_pauseMs(pauseMs)
{
}

ModemDial::~ModemDial() = default;

QByteArray ModemDial::dialCommand(int typeNumerotation, const QString& number)
{
    QByteArray command;
    if (typeNumerotation == 0)
        command = "ATDT";
    else if (typeNumerotation == 1)
        command = "ATDP";
    else
        return QByteArray();
    return command + number.toLatin1() + ';' + CR;
}

bool ModemDial::dialable(const QString& number)
{
    // Digits and the dial modifiers (tone, pulse, wait for the tone, pause), with the spaces
    // and punctuation numbers are written with. Anything else would reach the modem as a
    // command: ";" ends the dial, and what follows it ("&F&W") would reconfigure the modem.
    static const QString kDialing = QStringLiteral("0123456789*#+,WPTwpt -.()");
    for (const QChar c : number) {
        if (!kDialing.contains(c))
            return false;
    }
    return true;
}

QString ModemDial::failureMessage(Result result)
{
    switch (result) {
    case Result::BadNumber:
        return QStringLiteral("Ce numéro contient des caractères que le modem ne peut pas "
                              "composer (retour à la ligne, caractère de contrôle, lettre "
                              "accentuée, €...). Rien n'a été envoyé au modem : corrigez le "
                              "numéro, puis composez-le de nouveau.");
    case Result::LineLost:
        return QStringLiteral("La liaison avec le modem a été coupée pendant l'attente de sa "
                              "réponse. La ligne a été raccrochée : vérifiez le modem, puis "
                              "composez de nouveau.");
    default:
        return QString();
    }
}

bool ModemDial::portOpen() const
{
    return m_port && m_port->isOpen();
}

ModemDial::Result ModemDial::dial(const QString& number, const DialerSettings& settings)
{
    // A cancel left over from an earlier dial (one whose set-up failed) must not end this one.
    m_appelAnnule = false;
    m_stopped = false;
    if (!dialable(number))
        return Result::BadNumber;
    m_busy = true;
    const Result result = run(number, settings);
    m_busy = false;
    return result;
}

ModemDial::Result ModemDial::run(const QString& number, const DialerSettings& settings)
{
    if (!m_factory)
        return Result::PortError;
    if (m_port)
        m_port->close();
    m_port = m_factory->create(comDevicePath(settings.NumPort));
    if (!m_port || !m_port->open())
        return Result::PortError;
    if (!m_port->setLineSettings(SerialLineSettings()))
        return Result::PortError;
    // A line without DTR (a pseudo-terminal) still carries the commands.
    if (m_port->setDataTerminalReady(true) == SerialPort::Outcome::Failed)
        return Result::PortError;

    if (!m_port->write(QByteArray("ATZ") + CR))
        return Result::PortError;
    if (!pause(m_pauseMs))
        return Result::Stopped;
    if (!m_port->write(QByteArray("ATQ0V1E1S0=0") + CR))
        return Result::PortError;
    if (!pause(m_pauseMs))
        return Result::Stopped;
    const QByteArray command = dialCommand(settings.TypeNumerotation, number);

    // From here on the port's failures are ignored.
    m_port->discardInput();
    m_port->readAll();
    if (!command.isEmpty())
        m_port->write(command);
    return waitForAnswer();
}

bool ModemDial::pause(int ms)
{
    if (m_stopped)
        return false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Only a stop ends a pause early; a cancel waits for the dial command.
    connect(this, &ModemDial::woken, &loop, [this, &loop] {
        if (m_stopped)
            loop.quit();
    });
    timer.start(ms);
    loop.exec();
    return !m_stopped;
}

ModemDial::Result ModemDial::waitForAnswer()
{
    QByteArray received;
    for (;;) {
        const int searchFrom = qMax(0, int(received.size()) - 1);
        received += m_port->readAll();
        // Anywhere in the text, echoes included; a reply may arrive in pieces.
        if (received.indexOf("OK", searchFrom) >= 0)
            return Result::Answered;
        if (m_appelAnnule) {
            m_appelAnnule = false;
            return Result::Cancelled;
        }
        if (m_stopped)
            return Result::Stopped;
        // A line that failed or closed will never answer: waiting would spin on it.
        if (m_port->lineLost() || !m_port->isOpen())
            return Result::LineLost;

        QEventLoop loop;
        QTimer poll;
        poll.setSingleShot(true);
        connect(&poll, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(m_port.get(), &SerialPort::readyRead, &loop, &QEventLoop::quit);
        connect(m_port.get(), &SerialPort::lineLostNow, &loop, &QEventLoop::quit);
        connect(this, &ModemDial::woken, &loop, &QEventLoop::quit);
        poll.start(WaitPollMs);
        loop.exec();
    }
}

void ModemDial::hangUp()
{
    if (!m_port || !m_port->isOpen())
        return;
    m_port->write(QByteArray("ATH") + CR);
    m_port->close();
}

void ModemDial::cancel()
{
    m_appelAnnule = true;
    emit woken();
}

void ModemDial::stop()
{
    m_stopped = true;
    emit woken();
}
