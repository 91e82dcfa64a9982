#pragma once

#include <QDialog>
#include <array>

class QPushButton;
class QRadioButton;
struct AppState;
struct Services;

// The port window: serial port and dialing mode of the modem. Each choice applies at once;
// "&OK" saves them to "Telephon.cfg", "&Annuler" (or closing the window) puts back the values
// shown on opening.
class PortCom : public QDialog
{
    Q_OBJECT

public:
    PortCom(AppState& state, Services& services, QWidget* parent = nullptr);

    void saveAndClose();    // "&OK"
    void restoreAndClose(); // "&Annuler"
    void reject() override;

    // Controls, for tests.
    QRadioButton* portOption(int port) const { return m_options[size_t(port - 1)]; } // COM 1..4
    QRadioButton* toneOption() const { return m_options[4]; }
    QRadioButton* pulseOption() const { return m_options[5]; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

private:
    void showSettings();

    AppState& m_state;
    Services& m_services;
    // Option1..Option4 (the ports), Option5 (tone), Option6 (pulse).
    std::array<QRadioButton*, 6> m_options{};
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    int m_keptType = 0;
    int m_keptPort = 2;
};
