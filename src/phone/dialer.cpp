#include "phone/dialer.h"

#include "core/appstate.h"
#include "core/services.h"
#include "phone/modemdial.h"
#include "phone/portcom.h"
#include "platform/dialogs.h"
#include "platform/serialport.h"
#include "platform/windowkeys.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

// A telephone: the handset on its cradle, or lifted off it with the line ringing through.
QPixmap phonePicture(bool lifted)
{
    const int size = 64;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor body(60, 60, 70);
    const QColor accent = lifted ? QColor(30, 140, 60) : QColor(120, 120, 130);

    // Base with its keypad.
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    QPainterPath base;
    base.moveTo(10, 58);
    base.lineTo(16, 36);
    base.lineTo(48, 36);
    base.lineTo(54, 58);
    base.closeSubpath();
    p.drawPath(base);
    p.setBrush(Qt::white);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(24 + col * 6, 40 + row * 5, 3.5, 3));

    // Handset.
    p.save();
    if (lifted) {
        p.translate(30, 14);
        p.rotate(-25);
        p.translate(-30, -14);
        p.translate(-4, -8);
    }
    p.setBrush(accent);
    QPainterPath handset;
    handset.addRoundedRect(QRectF(8, 22, 48, 8), 4, 4);
    handset.addRoundedRect(QRectF(6, 18, 12, 14), 4, 4);
    handset.addRoundedRect(QRectF(46, 18, 12, 14), 4, 4);
    p.drawPath(handset.simplified());
    p.restore();

    if (lifted) {
        QPen waves(accent, 2.5);
        waves.setCapStyle(Qt::RoundCap);
        p.setPen(waves);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(44, 2, 14, 14), 300 * 16, 120 * 16);
        p.drawArc(QRectF(42, -2, 22, 22), 300 * 16, 120 * 16);
    }
    return pixmap;
}

} // namespace

DIALER::DIALER(AppState& state, Services& services, QWidget* parent, int pauseMs)
    : QDialog(parent), m_state(state), m_services(services)
{
    setObjectName(QStringLiteral("DIALER"));
    useWindowKeyRules();
    setWindowTitle(QStringLiteral("Numéroteur téléphonique"));

    m_modem = new ModemDial(services.serial, pauseMs, this);
    m_modem->setObjectName(QStringLiteral("MSComm1"));
    buildWindow();
    setIdle(true);
}

DIALER::~DIALER() = default;

void DIALER::buildWindow()
{
    auto* menuBar = new QMenuBar(this);
    auto* communication = menuBar->addMenu(QStringLiteral("&Communication"));
    communication->setObjectName(QStringLiteral("Mnu_Communication"));
    m_configureAction = communication->addAction(QStringLiteral("Configurer"));
    m_configureAction->setObjectName(QStringLiteral("Mnu_Configurer"));
    communication->addSeparator();
    m_dialAction = communication->addAction(QStringLiteral("Composer"));
    m_dialAction->setObjectName(QStringLiteral("Mnu_Compose"));
    communication->addSeparator();
    m_quitAction = communication->addAction(QStringLiteral("&Quitter"));
    m_quitAction->setObjectName(QStringLiteral("Mnu_Quitter"));

    m_handsetDownPicture = new QLabel(this);
    m_handsetDownPicture->setObjectName(QStringLiteral("Image1"));
    m_handsetDownPicture->setPixmap(phonePicture(false));
    m_handsetDownPicture->setAccessibleName(QStringLiteral("Combiné raccroché"));
    m_pickUpPicture = new QLabel(this);
    m_pickUpPicture->setObjectName(QStringLiteral("Image2"));
    m_pickUpPicture->setPixmap(phonePicture(true));
    m_pickUpPicture->setAccessibleName(QStringLiteral("Combiné à décrocher"));
    m_pickUpPicture->hide();

    m_status = new QLabel(QStringLiteral("Pour appeler, cliquer sur Composer"), this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setAccessibleName(QStringLiteral("État"));
    m_status->setWordWrap(true);
    m_status->setMinimumWidth(260);

    auto* buttonFrame = new QGroupBox(this);
    buttonFrame->setObjectName(QStringLiteral("Frame1"));
    m_dialButton = new QPushButton(QStringLiteral("Composer"), buttonFrame);
    m_dialButton->setObjectName(QStringLiteral("DialButton"));
    m_dialButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Annuler"), buttonFrame);
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));
    m_quitButton = new QPushButton(QStringLiteral("Quitter"), buttonFrame);
    m_quitButton->setObjectName(QStringLiteral("QuitButton"));
    auto* buttons = new QVBoxLayout(buttonFrame);
    buttons->addWidget(m_dialButton);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_quitButton);

    auto* pictures = new QHBoxLayout;
    pictures->addWidget(m_handsetDownPicture);
    pictures->addWidget(m_pickUpPicture);
    pictures->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(pictures);
    left->addWidget(m_status);
    left->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addWidget(buttonFrame);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(body);

    // The menu items are disabled with their buttons, so no second dial starts inside the first.
    connect(m_dialButton, &QPushButton::clicked, this, &DIALER::dial);
    connect(m_dialAction, &QAction::triggered, this, &DIALER::dial);
    connect(m_cancelButton, &QPushButton::clicked, this, &DIALER::cancelDial);
    connect(m_quitButton, &QPushButton::clicked, this, &DIALER::hangUpAndQuit);
    connect(m_quitAction, &QAction::triggered, this, &DIALER::hangUpAndQuit);
    connect(m_configureAction, &QAction::triggered, this, &DIALER::configurePort);
}

void DIALER::setIdle(bool idle)
{
    m_dialButton->setEnabled(idle);
    m_quitButton->setEnabled(idle);
    m_cancelButton->setEnabled(!idle);
    m_dialAction->setEnabled(idle);
    m_quitAction->setEnabled(idle);
    m_configureAction->setEnabled(idle);
}

void DIALER::showPickUpPicture(bool answered)
{
    m_handsetDownPicture->setVisible(!answered);
    m_pickUpPicture->setVisible(answered);
}

void DIALER::dial()
{
    if (m_dialing)
        return;
    const QString kept = m_state.NumeroAppel;
    m_dialing = true;
    setIdle(false);
    showPickUpPicture(false);

    QString number;
    if (m_services.dialogs)
        number = m_services.dialogs->inputBox(QStringLiteral("Tapez le numéro de téléphone:"),
                                              QStringLiteral("Numéro de téléphone"),
                                              m_state.NumeroAppel);
    m_state.NumeroAppel = number;
    if (number.isEmpty()) {
        m_dialing = false;
        setIdle(true);
        m_state.NumeroAppel = kept;
        if (m_closeRequested)
            done(Rejected);
        return;
    }

    const QString caption = m_status->text();
    m_status->setText(QStringLiteral("Composition - ") + number);
    dialNumber(number);
    m_dialing = false;
    setIdle(true);
    m_status->setText(caption);
    if (m_closeRequested)
        done(Rejected);
}

void DIALER::dialNumber(const QString& number)
{
    const ModemDial::Result result = m_modem->dial(number, m_state.dialer);
    if (result == ModemDial::Result::PortError) {
        const QString unavailable =
            m_services.serial ? m_services.serial->unavailable() : QString();
        if (m_services.dialogs && !unavailable.isEmpty())
            m_services.dialogs->msgBox(unavailable, vbExclamation, QStringLiteral("Erreur"));
        else if (m_services.dialogs)
            m_services.dialogs->msgBox(
                QStringLiteral("Port de communication non valable !\r"
                               "Choisir une autre numéro de port !\r"
                               "Ou MODEM occupé par une autre application résidente"),
                vbExclamation, QStringLiteral("Erreur"));
        return;
    }
    if (result == ModemDial::Result::Answered) {
        showPickUpPicture(true);
        QApplication::beep();
        if (m_services.dialogs)
            m_services.dialogs->msgBox(
                QStringLiteral("PRISE DE LIGNE AVEC LE COMBINE :\r"
                               "Veuillez décrocher le combiné du téléphone \r"
                               "et ensuite appuyer sur Entrée ou cliquer sur < OK >.\r\r"
                               "ANNULATION :"
                               "Cliquez sur < OK > sans décrocher le combiné pour annuler."),
                vbInformation, QStringLiteral("Communication en cours"));
    }
    // The modem lets the line go; a handset picked up keeps the call.
    m_modem->hangUp();
    // A number the modem cannot dial, or a line lost while waiting, is said so.
    if (const QString message = ModemDial::failureMessage(result);
        !message.isEmpty() && m_services.dialogs)
        m_services.dialogs->msgBox(message, vbExclamation, QStringLiteral("Erreur"));
}

void DIALER::cancelDial()
{
    showPickUpPicture(false);
    m_modem->cancel();
    m_cancelButton->setEnabled(false);
}

void DIALER::hangUpAndQuit()
{
    showPickUpPicture(false);
    m_modem->hangUp();
    done(Rejected);
}

void DIALER::configurePort()
{
    PortCom window(m_state, m_services, this);
    window.exec();
}

void DIALER::done(int result)
{
    if (m_dialing) {
        // Stop the pause or the wait; the dial then hangs up, closes the port and comes back
        // here.
        m_closeRequested = true;
        m_modem->stop();
        return;
    }
    m_closeRequested = false;
    // Closing by any means hangs up.
    m_modem->hangUp();
    QDialog::done(result);
}
