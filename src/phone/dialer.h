#pragma once

#include <QDialog>

class ModemDial;
class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
struct AppState;
struct Services;

// The modem dialer window "Numéroteur téléphonique": asks for the number (proposed from
// NumeroAppel), has the modem dial it, asks the user to pick up the handset, then hangs up.
class DIALER : public QDialog
{
    Q_OBJECT

public:
    // `pauseMs`: the pause after each of the modem's two set-up commands.
    DIALER(AppState& state, Services& services, QWidget* parent = nullptr, int pauseMs = 500);
    ~DIALER() override;

    void DialButton_Click();
    void CancelButton_Click();
    void QuitButton_Click();
    void Mnu_Compose_Click();
    void Mnu_Configurer_Click();
    void Mnu_Quitter_Click();
    void ComposeNumero(const QString& number);

    // Closing by any means hangs up and closes the port. While a dial waits for the modem the
    // window stays until the dial has stopped, hung up and closed the port, then closes.
    void done(int result) override;

    ModemDial& MSComm1() { return *m_modem; }
    bool dialing() const { return m_dialing; }

    QLabel* Status = nullptr;
    QPushButton* DialButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* QuitButton = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QAction* Mnu_Configurer = nullptr;
    QAction* Mnu_Compose = nullptr;
    QAction* Mnu_Quitter = nullptr;

private:
    void Form_Load();
    void Form_Unload();
    void setIdle(bool idle);
    void showAnsweredPicture(bool answered);

    AppState& m_state;
    Services& m_services;
    ModemDial* m_modem = nullptr;
    bool m_dialing = false;
    bool m_closeRequested = false;
};
