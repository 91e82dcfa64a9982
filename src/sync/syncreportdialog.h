#pragma once

#include <QDialog>

class QPlainTextEdit;

// "Synchronisation": what a synchronisation did, the records kept twice after a conflict, the
// records put back, the values cut and the fault that stopped it.
class SyncReportDialog : public QDialog
{
    Q_OBJECT

public:
    SyncReportDialog(const QString& text, QWidget* parent = nullptr);
    QString text() const;

private:
    QPlainTextEdit* m_text = nullptr;
};
