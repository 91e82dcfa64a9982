#include "phone/dialer.h"

#include "core/appstate.h"
#include "core/services.h"
#include "phone/modemdial.h"
#include "phone/portcom.h"
#include "platform/dialogs.h"

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
    setWindowTitle(QStringLiteral("Numéroteur téléphonique"));

    m_modem = new ModemDial(services.serial, pauseMs, this);
    m_modem->setObjectName(QStringLiteral("MSComm1"));

    auto* menuBar = new QMenuBar(this);
    auto* communication = menuBar->addMenu(QStringLiteral("&Communication"));
    communication->setObjectName(QStringLiteral("Mnu_Communication"));
    Mnu_Configurer = communication->addAction(QStringLiteral("Configurer"));
    Mnu_Configurer->setObjectName(QStringLiteral("Mnu_Configurer"));
    communication->addSeparator();
    Mnu_Compose = communication->addAction(QStringLiteral("Composer"));
    Mnu_Compose->setObjectName(QStringLiteral("Mnu_Compose"));
    communication->addSeparator();
    Mnu_Quitter = communication->addAction(QStringLiteral("&Quitter"));
    Mnu_Quitter->setObjectName(QStringLiteral("Mnu_Quitter"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(phonePicture(false));
    Image1->setAccessibleName(QStringLiteral("Combiné raccroché"));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(phonePicture(true));
    Image2->setAccessibleName(QStringLiteral("Combiné à décrocher"));
    Image2->hide();

    Status = new QLabel(QStringLiteral("Pour appeler, cliquer sur Composer"), this);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setAccessibleName(QStringLiteral("État"));
    Status->setWordWrap(true);
    Status->setMinimumWidth(260);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    DialButton = new QPushButton(QStringLiteral("Composer"), Frame1);
    DialButton->setObjectName(QStringLiteral("DialButton"));
    DialButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Annuler"), Frame1);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    QuitButton = new QPushButton(QStringLiteral("Quitter"), Frame1);
    QuitButton->setObjectName(QStringLiteral("QuitButton"));
    auto* buttons = new QVBoxLayout(Frame1);
    buttons->addWidget(DialButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(QuitButton);

    auto* pictures = new QHBoxLayout;
    pictures->addWidget(Image1);
    pictures->addWidget(Image2);
    pictures->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(pictures);
    left->addWidget(Status);
    left->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addWidget(Frame1);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(body);

    connect(DialButton, &QPushButton::clicked, this, &DIALER::DialButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &DIALER::CancelButton_Click);
    connect(QuitButton, &QPushButton::clicked, this, &DIALER::QuitButton_Click);
    connect(Mnu_Configurer, &QAction::triggered, this, &DIALER::Mnu_Configurer_Click);
    connect(Mnu_Compose, &QAction::triggered, this, &DIALER::Mnu_Compose_Click);
    connect(Mnu_Quitter, &QAction::triggered, this, &DIALER::Mnu_Quitter_Click);

    Form_Load();
}

DIALER::~DIALER() = default;

void DIALER::Form_Load()
{
    setIdle(true);
}

void DIALER::setIdle(bool idle)
{
    DialButton->setEnabled(idle);
    QuitButton->setEnabled(idle);
    CancelButton->setEnabled(!idle);
    // The menu follows the buttons, so no second dial can start inside the first.
    Mnu_Compose->setEnabled(idle);
    Mnu_Quitter->setEnabled(idle);
    Mnu_Configurer->setEnabled(idle);
}

void DIALER::showAnsweredPicture(bool answered)
{
    Image1->setVisible(!answered);
    Image2->setVisible(answered);
}

void DIALER::DialButton_Click()
{
    if (m_dialing)
        return;
    const QString kept = m_state.NumeroAppel;
    m_dialing = true;
    setIdle(false);
    showAnsweredPicture(false);

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

    const QString caption = Status->text();
    Status->setText(QStringLiteral("Composition - ") + number);
    ComposeNumero(number);
    m_dialing = false;
    setIdle(true);
    Status->setText(caption);
    if (m_closeRequested)
        done(Rejected);
}

void DIALER::ComposeNumero(const QString& number)
{
    const ModemDial::Result result = m_modem->dial(number, m_state.dialer);
    if (result == ModemDial::Result::PortError) {
        if (m_services.dialogs)
            m_services.dialogs->msgBox(
                QStringLiteral("Port de communication non valable !\r"
                               "Choisir une autre numéro de port !\r"
                               "Ou MODEM occupé par une autre application résidente"),
                vbExclamation, QStringLiteral("Erreur"));
        return;
    }
    if (result == ModemDial::Result::Answered) {
        showAnsweredPicture(true);
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

void DIALER::CancelButton_Click()
{
    showAnsweredPicture(false);
    m_modem->cancel();
    CancelButton->setEnabled(false);
}

void DIALER::QuitButton_Click()
{
    showAnsweredPicture(false);
    m_modem->hangUp();
    done(Rejected);
}

void DIALER::Mnu_Compose_Click()
{
    if (DialButton->isEnabled())
        DialButton_Click();
}

void DIALER::Mnu_Configurer_Click()
{
    PortCom window(m_state, m_services, this);
    window.exec();
}

void DIALER::Mnu_Quitter_Click()
{
    if (QuitButton->isEnabled())
        QuitButton_Click();
}

void DIALER::Form_Unload()
{
    m_modem->hangUp();
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
    Form_Unload();
    QDialog::done(result);
}
