#pragma once

#include <QDialog>
#include <array>
#include <memory>

class CommonDialog;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;
struct Services;

// The sender window: the five sender lines, the sender label's font, colour, frame and margins,
// and the "Exp : " choice. Every edit goes into the program's sender profile at once; closing
// the window keeps the edits. Its menu creates, opens and saves ".UTI" profiles.
class FrmUtil : public QDialog
{
    Q_OBJECT

public:
    FrmUtil(AppState& state, Services& services, QWidget* parent = nullptr);
    ~FrmUtil() override;

    // Fills the controls from the profile (run each time the window is shown).
    void Form_Activate();

    void Command1_Click(); // font, also Mnu_police
    void Command2_Click(); // colour, also Mnu_Couleur
    void Command3_Click(); // test print of the sender label
    void Mnu_Nouveau_Click();
    void Mnu_Ouvrir_Click();
    void Mnu_EnregisterSous_Click();
    void Mnu_Quitter_Click();

    // Writes the profile to `path`; a failure shows "Erreur de sauvegarde!". False then.
    bool SaveFileUtil(const QString& path);

    // Text1..Text9.
    QLineEdit* text(int n) const { return m_text[size_t(n)]; }
    QCheckBox* check1() const { return m_check1; }
    QLabel* label15() const { return m_label15; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildForm();
    void buildMenu(class QVBoxLayout* layout);
    void lineEdited(int n);
    void measureEdited(int n);
    void check1Clicked(bool checked);
    void showSenderText();
    void showMeasures();
    void updateCaption();

    AppState& m_state;
    Services& m_services;
    std::unique_ptr<CommonDialog> m_commonDialog1;
    std::array<QLineEdit*, 10> m_text{}; // 1..9
    QCheckBox* m_check1 = nullptr;
    QLabel* m_label15 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command3 = nullptr;
};
