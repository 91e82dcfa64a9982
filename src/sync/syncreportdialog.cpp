#include "sync/syncreportdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

SyncReportDialog::SyncReportDialog(const QString& text, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBilanSynchro"));
    setWindowTitle(QStringLiteral("Synchronisation"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("&Bilan de la synchronisation :"), this);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtBilan"));
    m_text->setReadOnly(true);
    m_text->setPlainText(text);
    m_text->setAccessibleName(QStringLiteral("Bilan de la synchronisation"));
    label->setBuddy(m_text);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("Fermer"), QDialogButtonBox::AcceptRole);
    close->setObjectName(QStringLiteral("cmdFermer"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(label);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    resize(560, 360);
}

QString SyncReportDialog::text() const
{
    return m_text->toPlainText();
}
