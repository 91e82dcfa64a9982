#pragma once

#include "contacts/contactimport.h"

#include <QDialog>
#include <memory>

class CommonDialog;
class Dialogs;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The summary shown after an import: records read, imported, skipped as identical, and the
// values left out with their record and field. "Enregistrer..." saves it as a text file.
class ImportSummaryDialog : public QDialog
{
    Q_OBJECT
public:
    ImportSummaryDialog(const ImportSummary& summary, Dialogs& dialogs, QWidget* parent = nullptr);
    ~ImportSummaryDialog() override;

    // Asks for a file name and writes the summary there (UTF-8). True when written.
    bool cmdEnregistrer_Click();

    QLabel* counts() const { return m_counts; }
    QPlainTextEdit* leftOutList() const { return m_list; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* closeButton() const { return m_close; }

private:
    ImportSummary m_summary;
    Dialogs& m_dialogs;
    std::unique_ptr<CommonDialog> m_fileDialog;
    QLabel* m_counts = nullptr;
    QPlainTextEdit* m_list = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
};
