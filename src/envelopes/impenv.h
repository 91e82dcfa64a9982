#pragma once

#include "envelopes/envelopeprint.h"

#include <QDialog>
#include <QSizeF>
#include <array>
#include <memory>
#include <optional>

class CommonDialog;
class EnvelopeView;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class RecordForm;
class TitreMenu;
struct AppState;
struct Services;

// The envelope window: the envelope format (which fixes where the address goes) or a position
// of its own, what to print (address, sender label or both), a drawing of the envelope with the
// sender and address previews where they will be printed, the title and name orders of the
// address block, the address font and colour, the sender profile, the printer orientation,
// record moves through the main window's name list, and the print. It edits program-wide state
// only (address position, address options, print font, sender profile); each opening starts
// again with the 160 x 115 format and the address alone.
class ImpEnv : public QDialog
{
    Q_OBJECT

public:
    ImpEnv(AppState& state, Services& services, RecordForm& form, QWidget* parent = nullptr);
    ~ImpEnv() override;

    // Each time the window becomes active: the print font on the address preview, the sender
    // font on the sender preview, AffichTitre, then the sender text.
    void Form_Activate();
    // Title and order check marks, each one's command run: the address preview ends with a fresh
    // block for the current record.
    void AffichTitre();

    void Option1_Click(); // 160 x 115
    void Option2_Click(); // 220 x 110
    void Option3_Click(); // 230 x 160
    void Option4_Click(); // custom position
    void Option5_Click(); // address and sender label
    void Option6_Click(); // sender label only
    void Option7_Click(); // address only
    void HScroll1_Change();
    void VScroll1_Change();

    void Command1_Click(); // print, also Mnu_ImprimEnv
    void Command2_Click(); // close, also Mnu_Fermer
    void Command3_Click(); // previous record
    void Command4_Click(); // next record
    void Command5_Click(); // first record
    void Command6_Click(); // last record
    void Command7_Click(); // margin advice
    void Command8_Click(); // printer to portrait, also Mnu_ImpPort
    void Command9_Click(); // printer to landscape, also Mnu_ImpPays

    void Mnu_Enveloppe_Click(); // the menu opens: orientation marks
    void Mnu_Police_Click();
    void Mnu_Couleur_Click();
    void Mnu_ConfImp_Click();
    void Mnu_Utilisateur_Click();
    void Mnu_ChargeParam_Click();
    void Mnu_SauvePAram_Click();

    // The envelope window's writer of a parameters file: the five stored font fields from the
    // address preview, the rest as it stands in memory.
    void SaveFileConfig(const QString& path);

    // What the print options ask for.
    EnvelopeContent content() const;

    QLabel* senderPreview() const { return m_label9; }
    QLabel* addressPreview() const { return m_label15; }
    EnvelopeView* drawing() const { return m_drawing; }
    QMenuBar* menuBar() const { return m_menuBar; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    void Form_Load();
    void chooseFormat(EnvelopeFormatId id);
    void choosePrintOption(bool sender, bool address);
    void showPosition();
    void showBlock(const QString& block);
    void showSender();
    void refreshDrawing();
    void switchOrientation(int orientation);
    void showOrientationMarks(std::optional<int> orientation);

    AppState& state;
    Services& services;
    RecordForm& form;
    std::unique_ptr<CommonDialog> m_commonDialog1;

    QMenuBar* m_menuBar = nullptr;
    QMenu* m_mnuEnveloppe = nullptr;
    QAction* m_mnuImpPort = nullptr;
    QAction* m_mnuImpPays = nullptr;
    // The marks last shown, put back when a command fails after a click toggled one.
    bool m_portMark = false;
    bool m_paysMark = false;
    TitreMenu* m_titre = nullptr;

    std::array<QRadioButton*, 8> m_option{}; // Option1..Option7
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label5 = nullptr;
    QLabel* m_label6 = nullptr;
    QLabel* m_label9 = nullptr;
    QLabel* m_label10 = nullptr;
    QLabel* m_label15 = nullptr;
    QGroupBox* m_frame4 = nullptr;
    QScrollBar* m_hscroll1 = nullptr;
    QScrollBar* m_vscroll1 = nullptr;
    std::array<QPushButton*, 10> m_command{}; // Command1..Command9
    EnvelopeView* m_drawing = nullptr;
    QSizeF m_envelopeSize{160, 115}; // the envelope drawn; the custom position keeps the last one
};
