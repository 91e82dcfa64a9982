#pragma once

#include "mailing/mailing.h"
#include "printer/printeroffsets.h"

#include <QDialog>
#include <QPageLayout>
#include <QPageSize>
#include <array>
#include <vector>

class MiniSheet;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class Recordset;
struct AppState;
struct Services;

// Where the mailing window finds its records: the open address file, the name list's stored
// positions in list order, and those of the lines selected in it.
struct MailingSourceRecords {
    Recordset* recordset = nullptr;
    std::vector<int> listPositions;
    std::vector<int> selected;
};

// "Publipostage" (`Publipostage`): prints address labels or envelopes for a set of records in
// one job. The records are the lines selected in the name list, those a search text finds (under
// the criterion of the search options), or all of them, in name-list order or by postal code;
// those whose address block is empty are left out, and the window names them. Labels fill the
// sheet of the print parameters from a position chosen on the miniature sheet (the first sheet
// only); envelopes print one per page in the format chosen, with or without the sender label,
// on A4 or on the envelope's own paper (the envelope window's choice). It edits only the search
// text and the envelope paper choice of the program's state.
class Publipostage : public QDialog
{
    Q_OBJECT

public:
    Publipostage(AppState& state, Services& services, MailingSourceRecords source,
                 QWidget* parent = nullptr);
    ~Publipostage() override;

    // The records the choices take now (read again when a choice changed).
    const MailingRecords& records();
    // The job the print button prints now.
    MailingJob job();
    // The first label of the first sheet, 1..10.
    int startPosition() const { return m_start; }

    // Controls, for tests.
    QRadioButton* sourceOption(MailingSource source) const
    {
        return m_sourceOptions[size_t(source)];
    }
    QRadioButton* orderOption(MailingOrder order) const { return m_orderOptions[size_t(order)]; }
    QRadioButton* kindOption(MailingKind kind) const { return m_kindOptions[size_t(kind)]; }
    QRadioButton* formatOption(EnvelopeFormatId format) const
    {
        return m_formatOptions[size_t(format)];
    }
    QLineEdit* searchBox() const { return m_searchBox; }
    MiniSheet* sheet() const { return m_sheet; }
    QCheckBox* senderCheck() const { return m_senderCheck; }
    QCheckBox* ownPaperCheck() const { return m_ownPaperCheck; }
    QLabel* summary() const { return m_summary; }
    QLabel* leftOut() const { return m_leftOut; }
    QPushButton* printButton() const { return m_printButton; }
    QPushButton* previewButton() const { return m_previewButton; }
    QPushButton* closeButton() const { return m_closeButton; }

private:
    void buildWindow();
    QGroupBox* buildSources();
    QGroupBox* buildOrder();
    QGroupBox* buildKinds();
    QGroupBox* buildSheet();
    QGroupBox* buildEnvelopes();

    // Every control's state from the choices and the records: one place.
    void applyControls();
    void choicesChanged();
    void readLabelPage();
    void selectStart(int position);
    MailingChoice choice() const;

    void print();
    void preview();
    // Sends `job` to the printer under a progress window; a cancelled job is dropped whole.
    void printJob(const MailingJob& job);

    AppState& state;
    Services& services;
    MailingSourceRecords m_source;
    MailingRecords m_records;
    bool m_stale = true;
    int m_start = 1;
    QPageLayout m_labelPage{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()};
    PrinterOffset m_offset;

    std::array<QRadioButton*, 3> m_sourceOptions{}; // by MailingSource
    std::array<QRadioButton*, 2> m_orderOptions{};  // by MailingOrder
    std::array<QRadioButton*, 2> m_kindOptions{};   // by MailingKind
    std::array<QRadioButton*, 3> m_formatOptions{}; // the three standard formats
    QLineEdit* m_searchBox = nullptr;
    QLabel* m_criterion = nullptr;
    QGroupBox* m_sheetFrame = nullptr;
    MiniSheet* m_sheet = nullptr;
    QLabel* m_startLabel = nullptr;
    QGroupBox* m_envelopeFrame = nullptr;
    QCheckBox* m_senderCheck = nullptr;
    QCheckBox* m_ownPaperCheck = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_leftOut = nullptr;
    QPushButton* m_printButton = nullptr;
    QPushButton* m_previewButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QTimer* m_searchTimer = nullptr;
};

// The command of the main window: the mailing window over `source`.
void openMailingWindow(AppState& state, Services& services, MailingSourceRecords source,
                       QWidget* parent);
