#pragma once

#include <QDialog>
#include <array>

class QGroupBox;
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

    void Command1_Click(); // "&OK"
    void Command2_Click(); // "&Annuler"
    void reject() override;

    // Option1..Option4 (ports), Option5 (tone), Option6 (pulse).
    QRadioButton* option(int index) const { return m_options[size_t(index - 1)]; }
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

private:
    void Form_Load();
    void optionClicked(int index);

    AppState& m_state;
    Services& m_services;
    std::array<QRadioButton*, 6> m_options{};
    int m_keptType = 0;
    int m_keptPort = 2;
};
