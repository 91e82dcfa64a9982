#pragma once

#include "envelopes/envelopeprint.h"
#include "labels/addressprintwindow.h"

#include <array>

class EnvelopeView;
class PrintedTextLabel;
class QBoxLayout;
class QGroupBox;
class QCheckBox;
class QRadioButton;
class QScrollBar;
class QSpinBox;

// The envelope window: the envelope format (which fixes where the address goes) or a position
// of its own, what to print (address, sender label or both), a drawing of the envelope with the
// sender and address previews where they will be printed, the title and name orders of the
// address block, the address font and colour, the sender profile, the printer orientation,
// record moves through the main window's name list, and the print. It edits program-wide state
// only (address position, address options, print font, sender profile); each opening starts
// again with the 160 x 115 format and the address alone.
class ImpEnv : public AddressPrintWindow
{
    Q_OBJECT

public:
    ImpEnv(AppState& state, Services& services, RecordForm& form, QWidget* parent = nullptr);

    // Each time the window becomes active: the print font on the address preview, the sender
    // font on the sender preview, AffichTitre, then the sender text.
    void Form_Activate() override;
    // Title and order check marks, each one's command run: the address preview ends with a fresh
    // block for the current record.
    void AffichTitre() override;

    // The envelope window's writer of a parameters file: the five stored font fields from the
    // address preview, the rest as it stands in memory.
    void SaveFileConfig(const QString& path);

    // What the print options ask for.
    EnvelopeContent content() const;

    // Controls, for tests.
    QRadioButton* formatOption(EnvelopeFormatId format) const
    {
        return m_formatOptions[size_t(format)];
    }
    QRadioButton* contentOption(EnvelopeContent content) const
    {
        return m_contentOptions[size_t(content)];
    }
    QScrollBar* leftScrollBar() const { return m_leftScrollBar; }
    // "Papier au format de l'enveloppe" and the size of a custom envelope.
    QCheckBox* ownPaperCheck() const { return m_ownPaperCheck; }
    QSpinBox* customWidthBox() const { return m_customWidth; }
    QSpinBox* customHeightBox() const { return m_customHeight; }
    QScrollBar* topScrollBar() const { return m_topScrollBar; }
    QLabel* senderPreview() const;
    QPushButton* marginHelpButton() const { return m_marginHelpButton; }
    EnvelopeView* drawing() const { return m_drawing; }

protected:
    void moveRecord(ListMove move) override;
    void printFontChanged() override;

private:
    void buildWindow();
    void buildFormats(QBoxLayout* column);
    void buildPosition(QBoxLayout* column);
    void buildContents(QBoxLayout* column);
    void buildDrawing(QBoxLayout* column);
    void buildButtons(QBoxLayout* orientation);
    void buildMenus();
    void Form_Load();

    void chooseFormat(EnvelopeFormatId format);
    void chooseContent(EnvelopeContent content);
    void showPosition();
    void customSizeEdited();
    void showBlock(const QString& block);
    void showSender();
    void refreshDrawing();

    void printEnvelope();
    void previewEnvelope();
    void showMarginHelp();
    void chooseAddressFont();
    void editSender();
    void loadParameters();
    void saveParameters();

    std::array<QRadioButton*, 4> m_formatOptions{};  // by EnvelopeFormatId
    std::array<QRadioButton*, 3> m_contentOptions{}; // by EnvelopeContent
    QLabel* m_formatName = nullptr;
    QLabel* m_landscapeNotice = nullptr;
    QLabel* m_leftValue = nullptr;
    QLabel* m_topValue = nullptr;
    QGroupBox* m_customFrame = nullptr;
    QScrollBar* m_leftScrollBar = nullptr;
    QScrollBar* m_topScrollBar = nullptr;
    PrintedTextLabel* m_senderPreview = nullptr;
    QPushButton* m_marginHelpButton = nullptr;
    EnvelopeView* m_drawing = nullptr;
    QCheckBox* m_ownPaperCheck = nullptr;
    QSpinBox* m_customWidth = nullptr;
    QSpinBox* m_customHeight = nullptr;
};
