#pragma once

#include <QDialog>

class ModemDial;
class QAction;
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

    // "Composer": asks for the number, then dials it. Does nothing while a dial runs.
    void dial();
    // "Annuler": stops waiting for the modem's answer.
    void cancelDial();
    // "Quitter": hangs up, closes the port and the window.
    void hangUpAndQuit();
    // "Configurer": the port window.
    void configurePort();
    // One dial of `number` on the port of the dialer settings, the pick-up message when the
    // modem answers, then the hang-up.
    void dialNumber(const QString& number);

    // Closing by any means hangs up and closes the port. While a dial waits for the modem the
    // window stays until the dial has stopped, hung up and closed the port, then closes.
    void done(int result) override;

    ModemDial& modem() { return *m_modem; }
    bool dialing() const { return m_dialing; }

    // Controls, for tests.
    QLabel* statusLabel() const { return m_status; }
    QPushButton* dialButton() const { return m_dialButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QPushButton* quitButton() const { return m_quitButton; }
    QLabel* handsetDownPicture() const { return m_handsetDownPicture; }
    QLabel* pickUpPicture() const { return m_pickUpPicture; }
    QAction* configureAction() const { return m_configureAction; }
    QAction* dialAction() const { return m_dialAction; }
    QAction* quitAction() const { return m_quitAction; }

private:
    void buildWindow();
    void setIdle(bool idle);
    void showPickUpPicture(bool answered);

    AppState& m_state;
    Services& m_services;
    ModemDial* m_modem = nullptr;
    bool m_dialing = false;
    bool m_closeRequested = false;

    QLabel* m_status = nullptr;
    QPushButton* m_dialButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_quitButton = nullptr;
    QLabel* m_handsetDownPicture = nullptr;
    QLabel* m_pickUpPicture = nullptr;
    QAction* m_configureAction = nullptr;
    QAction* m_dialAction = nullptr;
    QAction* m_quitAction = nullptr;
};
