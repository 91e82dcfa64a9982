#pragma once

#include <QDialog>
#include <array>
#include <memory>

class CommonDialog;
class MiniSheet;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class RecordForm;
class SheetPosition;
class TitreMenu;
struct AppState;
struct Services;

// The label window: a miniature A4 sheet of ten labels to pick a position from, the sheet
// geometry, the number of identical labels, the frame and cut-outline options, a preview of the
// address block in the print font, record navigation through the main window's name list and the
// printer orientation. It edits the program-wide print parameters, address options and label
// print state; it keeps nothing of its own between openings.
class ImpEtiq : public QDialog
{
    Q_OBJECT

public:
    ImpEtiq(AppState& state, Services& services, RecordForm& form, QWidget* parent = nullptr);
    ~ImpEtiq() override;

    // Each time the window becomes active: the print font on the preview, then AffichTitre.
    void Form_Activate();
    // Title check marks, then a fresh address block in the preview.
    void AffichTitre();

    // Selecting label position n (1..10).
    void Label_Click(int n);
    void Option1_Click(); // identical labels
    void Option2_Click(); // selected label
    void CacheLabel();
    void LabelVisible();

    void Command1_Click(); // print
    void Command2_Click(); // close
    void Command3_Click(); // previous record
    void Command4_Click(); // first record
    void Command5_Click(); // last record
    void Command6_Click(); // next record
    void Command7_Click(); // printer to portrait
    void Command8_Click(); // printer to landscape

    void Mnu_Etiq_Click(); // the menu opens: orientation marks
    void Mnu_Police_Click();
    void Mnu_Couleur_Click();
    void Mnu_ConfIMP_Click();
    void Mnu_ChargeParam_Click();
    void Mnu_SauveParam_Click();
    void Mnu_ParamDefaut_Click();

    // The label window's writer of a parameters file: refreshes the print parameters from the
    // window (check boxes, geometry fields, preview font), then writes them to `path`.
    void SaveFileConfig(const QString& path);

    // Controls, for the main window and tests.
    QLineEdit* text(int n) const { return m_text[size_t(n - 1)]; } // Text1..Text7
    SheetPosition* position(int n) const;                          // Label1..Label10
    QLabel* preview() const { return m_label15; }
    QPushButton* command(int n) const { return m_command[size_t(n - 1)]; } // Command1..Command8
    QMenuBar* menuBar() const { return m_menuBar; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void buildWindow();
    void buildMenus();
    void Form_Load();
    void Text7_Change();
    void VScroll1_Change();
    void Text_Change(int n); // Text1..Text6
    void showGeometry();
    void showFlags();
    void storeFlags();
    void showBlock(const QString& block);
    void refreshOrientation();
    void switchOrientation(bool landscape);

    AppState& state;
    Services& services;
    RecordForm& form;
    std::unique_ptr<CommonDialog> m_commonDialog1;

    QMenuBar* m_menuBar = nullptr;
    QMenu* m_mnuEtiq = nullptr;
    QMenu* m_mnuParam = nullptr;
    QAction* m_mnuImpPort = nullptr;
    QAction* m_mnuImpPays = nullptr;
    TitreMenu* m_titre = nullptr;

    QGroupBox* m_frame1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QGroupBox* m_frame3 = nullptr;
    QGroupBox* m_frame4 = nullptr;
    MiniSheet* m_sheet = nullptr;
    std::array<QLineEdit*, 7> m_text{};
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QScrollBar* m_vscroll1 = nullptr;
    QLabel* m_label11 = nullptr;
    QLabel* m_label15 = nullptr;
    QLabel* m_label16 = nullptr;
    std::array<QPushButton*, 8> m_command{};
};
