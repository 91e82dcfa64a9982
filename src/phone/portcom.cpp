#include "phone/portcom.h"

#include "core/appstate.h"
#include "phone/dialersettingsfile.h"
#include "platform/serialport.h"
#include "platform/windowkeys.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{

// What each option sets, in the order Option1..Option6.
struct Choice {
    int DialerSettings::*field;
    int value;
};
const Choice kChoices[6] = {
    {&DialerSettings::NumPort, 1},          {&DialerSettings::NumPort, 2},
    {&DialerSettings::NumPort, 3},          {&DialerSettings::NumPort, 4},
    {&DialerSettings::TypeNumerotation, 0}, {&DialerSettings::TypeNumerotation, 1},
};

} // namespace

PortCom::PortCom(AppState& state, Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services)
{
    setObjectName(QStringLiteral("PortCom"));
    useWindowKeyRules();
    setWindowTitle(QStringLiteral("Port de Communication"));

    auto* portFrame = new QGroupBox(QStringLiteral("Choix du port "), this);
    portFrame->setObjectName(QStringLiteral("Frame1"));
    auto* ports = new QGridLayout(portFrame);
    auto* portGroup = new QButtonGroup(this);
    for (int port = 1; port <= 4; ++port) {
        auto* option = new QRadioButton(QStringLiteral("Com %1 :").arg(port), portFrame);
        option->setObjectName(QStringLiteral("Option%1").arg(port));
        // The system's name of the port, shown beside it.
        const QString device = comDevicePath(port);
        auto* deviceLabel = new QLabel(device, portFrame);
        deviceLabel->setObjectName(QStringLiteral("lblDevice%1").arg(port));
        option->setAccessibleDescription(QStringLiteral("Port série ") + device);
        ports->addWidget(option, port - 1, 0);
        ports->addWidget(deviceLabel, port - 1, 1);
        portGroup->addButton(option);
        m_options[size_t(port - 1)] = option;
    }

    auto* modeFrame = new QGroupBox(QStringLiteral("Choix du type de numérotation"), this);
    modeFrame->setObjectName(QStringLiteral("Frame3"));
    auto* modes = new QVBoxLayout(modeFrame);
    auto* modeGroup = new QButtonGroup(this);
    const char* modeCaptions[] = {"Tonalité", "Impulsions"};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(QString::fromUtf8(modeCaptions[i]), modeFrame);
        option->setObjectName(QStringLiteral("Option%1").arg(5 + i));
        modes->addWidget(option);
        modeGroup->addButton(option);
        m_options[size_t(4 + i)] = option;
    }

    auto* buttonFrame = new QGroupBox(this);
    buttonFrame->setObjectName(QStringLiteral("Frame2"));
    auto* buttons = new QHBoxLayout(buttonFrame);
    m_okButton = new QPushButton(QStringLiteral("&OK"), buttonFrame);
    m_okButton->setObjectName(QStringLiteral("Command1"));
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("&Annuler"), buttonFrame);
    m_cancelButton->setObjectName(QStringLiteral("Command2"));
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);

    auto* choices = new QHBoxLayout;
    choices->addWidget(portFrame);
    choices->addWidget(modeFrame, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(buttonFrame);

    showSettings();

    for (size_t i = 0; i < m_options.size(); ++i)
        connect(m_options[i], &QRadioButton::toggled, this, [this, choice = kChoices[i]](bool on) {
            // By mouse or by the arrow keys; nothing is written yet.
            if (on)
                m_state.dialer.*choice.field = choice.value;
        });
    connect(m_okButton, &QPushButton::clicked, this, &PortCom::saveAndClose);
    connect(m_cancelButton, &QPushButton::clicked, this, &PortCom::restoreAndClose);
}

void PortCom::showSettings()
{
    m_okButton->setToolTip(QStringLiteral("Sauvegarde et prise en compte des paramètres"));
    m_cancelButton->setToolTip(QStringLiteral("Annulation des modifications"));

    DialerSettings& d = m_state.dialer;
    if (d.NumPort < 1 || d.NumPort > 4)
        d.NumPort = 2;
    portOption(d.NumPort)->setChecked(true);
    // Any other dialing mode selects neither option and stays as it is.
    if (d.TypeNumerotation == 0)
        toneOption()->setChecked(true);
    else if (d.TypeNumerotation == 1)
        pulseOption()->setChecked(true);

    m_keptType = d.TypeNumerotation;
    m_keptPort = d.NumPort;
}

void PortCom::saveAndClose()
{
    SauveTelephonCfg(m_state, m_services);
    QDialog::done(Accepted);
}

void PortCom::restoreAndClose()
{
    m_state.dialer.TypeNumerotation = m_keptType;
    m_state.dialer.NumPort = m_keptPort;
    QDialog::done(Rejected);
}

void PortCom::reject()
{
    // Closing the window or Escape leaves the settings as they were, like "&Annuler".
    restoreAndClose();
}
