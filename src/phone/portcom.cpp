#include "phone/portcom.h"

#include "core/appstate.h"
#include "phone/dialersettingsfile.h"
#include "platform/serialport.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

PortCom::PortCom(AppState& state, Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services)
{
    setObjectName(QStringLiteral("PortCom"));
    setWindowTitle(QStringLiteral("Port de Communication"));

    auto* frame1 = new QGroupBox(QStringLiteral("Choix du port "), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* ports = new QGridLayout(frame1);
    auto* portGroup = new QButtonGroup(this);
    for (int n = 1; n <= 4; ++n) {
        auto* option = new QRadioButton(QStringLiteral("Com %1 :").arg(n), frame1);
        option->setObjectName(QStringLiteral("Option%1").arg(n));
        // The system's name of the port, shown beside it.
        const QString device = comDevicePath(n);
        auto* deviceLabel = new QLabel(device, frame1);
        deviceLabel->setObjectName(QStringLiteral("lblDevice%1").arg(n));
        option->setAccessibleDescription(QStringLiteral("Port série ") + device);
        ports->addWidget(option, n - 1, 0);
        ports->addWidget(deviceLabel, n - 1, 1);
        portGroup->addButton(option);
        m_options[size_t(n - 1)] = option;
    }

    auto* frame3 = new QGroupBox(QStringLiteral("Choix du type de numérotation"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto* modes = new QVBoxLayout(frame3);
    auto* modeGroup = new QButtonGroup(this);
    const char* modeCaptions[] = {"Tonalité", "Impulsions"};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(QString::fromUtf8(modeCaptions[i]), frame3);
        option->setObjectName(QStringLiteral("Option%1").arg(5 + i));
        modes->addWidget(option);
        modeGroup->addButton(option);
        m_options[size_t(4 + i)] = option;
    }

    auto* frame2 = new QGroupBox(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* buttons = new QHBoxLayout(frame2);
    Command1 = new QPushButton(QStringLiteral("&OK"), frame2);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("&Annuler"), frame2);
    Command2->setObjectName(QStringLiteral("Command2"));
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto* choices = new QHBoxLayout;
    choices->addWidget(frame1);
    choices->addWidget(frame3, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(frame2);

    Form_Load();

    for (int i = 1; i <= 6; ++i)
        connect(option(i), &QRadioButton::toggled, this, [this, i](bool on) {
            // By mouse or by the arrow keys.
            if (on)
                optionClicked(i);
        });
    connect(Command1, &QPushButton::clicked, this, &PortCom::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PortCom::Command2_Click);
}

void PortCom::Form_Load()
{
    Command1->setToolTip(QStringLiteral("Sauvegarde et prise en compte des paramètres"));
    Command2->setToolTip(QStringLiteral("Annulation des modifications"));

    DialerSettings& d = m_state.dialer;
    if (d.NumPort < 1 || d.NumPort > 4)
        d.NumPort = 2;
    option(d.NumPort)->setChecked(true);
    // Any other dialing mode selects neither option and stays as it is.
    if (d.TypeNumerotation == 0)
        option(5)->setChecked(true);
    else if (d.TypeNumerotation == 1)
        option(6)->setChecked(true);

    m_keptType = d.TypeNumerotation;
    m_keptPort = d.NumPort;
}

void PortCom::optionClicked(int index)
{
    if (index <= 4)
        m_state.dialer.NumPort = index;
    else
        m_state.dialer.TypeNumerotation = index - 5;
}

void PortCom::Command1_Click()
{
    SauveTelephonCfg(m_state, m_services);
    QDialog::done(Accepted);
}

void PortCom::Command2_Click()
{
    m_state.dialer.TypeNumerotation = m_keptType;
    m_state.dialer.NumPort = m_keptPort;
    QDialog::done(Rejected);
}

void PortCom::reject()
{
    // Closing the window or Escape leaves the settings as they were, like "&Annuler".
    Command2_Click();
}
