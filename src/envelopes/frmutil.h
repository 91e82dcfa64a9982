#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <optional>

class CommonDialog;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
struct AppState;
struct Services;

// The sender label's frame and margin boxes Text6..Text9, by what they edit.
enum class SenderMeasure { FrameWidth, FrameHeight, MarginLeft, MarginTop };
constexpr int kSenderMeasureCount = 4;
// The sender lines Text1..Text5 (Ligne1..Ligne5).
constexpr int kSenderLineCount = 5;

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
    // Applies the sender profile to the window: its lines, measures, font and colour, and the
    // "Exp : " box with its effect.
    void showProfile();

    void chooseFont();     // "&Police d'impression", also the menu's "&Police..."
    void chooseColour();   // "&Couleur d'impression", also the menu's "&Couleur..."
    void printTestLabel(); // "Test impression"
    void newProfile();     // "&Nouveau"
    void openProfile();    // "&Ouvrir"
    void saveProfileAs();  // "&Enregistrer Sous"

    // Writes the profile to `path`; a failure shows "Erreur de sauvegarde!". False then.
    bool SaveFileUtil(const QString& path);

    // Controls, for tests.
    QLineEdit* lineBox(int line) const { return m_lineBoxes[size_t(line - 1)]; } // 1..5
    QLineEdit* measureBox(SenderMeasure measure) const { return m_measureBoxes[size_t(measure)]; }
    QCheckBox* headerCheck() const { return m_headerCheck; }
    QLabel* preview() const { return m_preview; }
    QPushButton* fontButton() const { return m_fontButton; }
    QPushButton* colourButton() const { return m_colourButton; }
    QPushButton* testPrintButton() const { return m_testPrintButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildForm();
    void buildMeasures(QVBoxLayout* layout);
    void buildMenu(QVBoxLayout* layout);
    void lineEdited(int line);
    void measureEdited(SenderMeasure measure);
    void headerClicked(bool checked);
    void showSenderText();
    void showMeasures();
    void updateCaption();
    // The open or save dialog of ".UTI" files, from the program folder; the path chosen, or
    // nothing on cancel.
    std::optional<QString> askProfilePath(bool save, const QString& title, int flags);

    AppState& m_state;
    Services& m_services;
    std::unique_ptr<CommonDialog> m_profileFileDialog;
    std::array<QLineEdit*, kSenderLineCount> m_lineBoxes{};
    std::array<QLineEdit*, kSenderMeasureCount> m_measureBoxes{};
    QCheckBox* m_headerCheck = nullptr;
    QLabel* m_preview = nullptr;
    QPushButton* m_fontButton = nullptr;
    QPushButton* m_colourButton = nullptr;
    QPushButton* m_testPrintButton = nullptr;
};
