#pragma once

#include "labels/addressprintwindow.h"
#include "printer/printeroffsets.h"

#include <QPageLayout>
#include <QPageSize>
#include <array>

class LabelPreview;
class MiniSheet;
class QBoxLayout;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QScrollBar;
class SheetPosition;

// The sheet geometry boxes Text1..Text6, by what they edit.
enum class GeometryField { LeftMargin, HorizontalGap, TopMargin, VerticalGap, Width, Height };
constexpr int kGeometryFieldCount = 6;

// The label window: a miniature A4 sheet of ten labels to pick a position from, the sheet
// geometry, the number of identical labels, the frame and cut-outline options, a preview of the
// address block in the print font, record navigation through the main window's name list and the
// printer orientation. It edits the program-wide print parameters, address options and label
// print state; it keeps nothing of its own between openings.
class ImpEtiq : public AddressPrintWindow
{
    Q_OBJECT

public:
    ImpEtiq(AppState& state, Services& services, RecordForm& form, QWidget* parent = nullptr);

    // Each time the window becomes active: the print font on the preview, then AffichTitre.
    void Form_Activate() override;
    // Title check marks, then a fresh address block in the preview.
    void AffichTitre() override;

    // The label window's writer of a parameters file: refreshes the print parameters from the
    // window (check boxes, geometry boxes, preview font), then writes them to `path`.
    void SaveFileConfig(const QString& path);

    // Controls, for tests.
    QLineEdit* geometryBox(GeometryField field) const { return m_geometryBoxes[size_t(field)]; }
    QLineEdit* countBox() const { return m_countBox; }
    SheetPosition* position(int n) const; // the ten positions, 1..10
    LabelPreview* labelPreview() const { return m_labelPreview; }
    MiniSheet* sheet() const { return m_sheet; }
    // "Attention : l'étiquette N° ... ne tient pas sur la page", and the notice that labels print
    // on A4 when the printer's paper is another.
    QLabel* fitWarning() const { return m_fitWarning; }
    QLabel* paperNotice() const { return m_paperNotice; }

protected:
    void done(int result) override;
    void moveRecord(ListMove move) override;
    void printFontChanged() override;
    void printerChanged() override;

private:
    void buildWindow();
    void buildSheet(QBoxLayout* body);
    void buildCount(QBoxLayout* side);
    void buildButtons(QBoxLayout* side);
    void buildMenus();
    void Form_Load();

    // The print mode, the selected position and the count decide the mode options, the hint,
    // the count box, whether positions can be clicked and the print button.
    void showPrintMode();
    void selectPosition(int n);
    void chooseIdenticalLabels();
    void chooseSelectedLabel();
    void countEdited();
    void countScrolled();
    void geometryEdited(GeometryField field);
    void showGeometry();
    void showFrameOptions();
    void storeFrameOptions();
    void showBlock(const QString& block);
    // The address preview drawn again: the label of the sheet's size with what the print puts on
    // it, and the warning when a line runs past its edge.
    void refreshLabelPreview();
    // The page the labels print on, asked of the printer (on load, activation, and after the
    // printer commands), then the sheet shown again.
    void readLabelPage();
    // The miniature sheet, the warning about the labels chosen that do not fit the page, and
    // the paper notice, from the page last read and the geometry.
    void showSheet();

    void printLabels();
    void previewLabels();
    void loadParameters();
    void saveParameters();
    void restoreDefaultParameters();

    MiniSheet* m_sheet = nullptr;
    std::array<QLineEdit*, kGeometryFieldCount> m_geometryBoxes{};
    QRadioButton* m_identicalOption = nullptr;
    QRadioButton* m_selectedOption = nullptr;
    QGroupBox* m_countFrame = nullptr;
    QLineEdit* m_countBox = nullptr;
    QScrollBar* m_countScrollBar = nullptr;
    QCheckBox* m_frameCheck = nullptr;
    QCheckBox* m_cutOutlineCheck = nullptr;
    QLabel* m_clickHint = nullptr;
    LabelPreview* m_labelPreview = nullptr;
    QLabel* m_fitWarning = nullptr;
    QLabel* m_paperNotice = nullptr;
    QPageLayout m_labelPage{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()};
    PrinterOffset m_offset;
    QPageSize m_printerPaper{QPageSize::A4};
};
