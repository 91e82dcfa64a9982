#include "contacts/importsummarydialog.h"

#include "contacts/contactexport.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"
#include "platform/windowkeys.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

ImportSummaryDialog::ImportSummaryDialog(const ImportSummary& summary, Dialogs& dialogs,
                                         QWidget* parent)
    : QDialog(parent), m_summary(summary), m_dialogs(dialogs),
      m_fileDialog(std::make_unique<CommonDialog>(dialogs))
{
    setObjectName(QStringLiteral("frmBilanImport"));
    useWindowKeyRules();
    setWindowTitle(QStringLiteral("Bilan de l'importation"));
    auto* layout = new QVBoxLayout(this);

    QStringList counts;
    if (!summary.source.isEmpty())
        counts << QStringLiteral("Fichier importé : %1").arg(summary.source);
    counts << QStringLiteral("Fiches lues : %1").arg(summary.read)
           << QStringLiteral("Fiches importées : %1").arg(summary.imported)
           << QStringLiteral("Fiches ignorées car identiques à une fiche du fichier : %1")
                  .arg(summary.identical);
    if (summary.empty > 0)
        counts << QStringLiteral("Fiches vides ignorées : %1").arg(summary.empty);
    counts << QStringLiteral("Valeurs non importées (trop longues pour leur champ) : %1")
                  .arg(summary.leftOut.size());
    m_counts = new QLabel(counts.join(QLatin1Char('\n')), this);
    m_counts->setObjectName(QStringLiteral("lblBilan"));
    m_counts->setTextFormat(Qt::PlainText);
    m_counts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_counts);

    auto* caption = new QLabel(QStringLiteral("&Valeurs non importées :"), this);
    m_list = new QPlainTextEdit(this);
    m_list->setObjectName(QStringLiteral("txtValeurs"));
    m_list->setReadOnly(true);
    m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_list->setPlainText(summary.leftOutLines().join(QLatin1Char('\n')));
    m_list->setAccessibleName(QStringLiteral("Valeurs non importées"));
    caption->setBuddy(m_list);
    layout->addWidget(caption);
    layout->addWidget(m_list, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_save = new QPushButton(QStringLiteral("&Enregistrer..."), this);
    m_save->setObjectName(QStringLiteral("cmdEnregistrer"));
    m_save->setAutoDefault(false);
    m_close = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                              QStringLiteral("&Fermer"), this);
    m_close->setObjectName(QStringLiteral("cmdFermer"));
    m_close->setDefault(true);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    connect(m_save, &QPushButton::clicked, this, [this] { cmdEnregistrer_Click(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    m_close->setFocus();
    resize(620, 400);
}

ImportSummaryDialog::~ImportSummaryDialog() = default;

bool ImportSummaryDialog::cmdEnregistrer_Click()
{
    CommonDialog& dlg = *m_fileDialog;
    dlg.CancelError = true;
    dlg.DialogTitle = QStringLiteral("Enregistrer le bilan");
    dlg.Filter = QStringLiteral("Fichier texte (*.txt)|*.txt");
    dlg.FilterIndex = 1;
    dlg.Flags = cdlOFNOverwritePrompt;
    if (dlg.FileName.isEmpty()) {
        const QString folder =
            m_summary.source.isEmpty() ? QString() : QFileInfo(m_summary.source).absolutePath();
        dlg.InitDir = folder;
        dlg.FileName = QStringLiteral("Bilan de l'importation.txt");
    }
    if (!dlg.ShowSave()) {
        dlg.CancelError = false;
        return false;
    }
    QString reason;
    if (!writeWholeFile(dlg.FileName, m_summary.text().toUtf8(), &reason)) {
        m_dialogs.msgBox(
            QStringLiteral("Impossible d'écrire le fichier %1.\r%2").arg(dlg.FileName, reason),
            vbCritical, QStringLiteral("Erreur"));
        return false;
    }
    return true;
}
