#include "contacts/contactsprogress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace
{

constexpr int kSteps = 1000;
// Events are processed this often while the window shows, so "Annuler" answers at once.
constexpr int kEventsEveryMs = 50;

} // namespace

ContactsProgress::ContactsProgress(const QString& label, QWidget* parent, int showAfterMs)
    : m_dialog(new QProgressDialog(label, QStringLiteral("Annuler"), 0, kSteps, parent))
{
    m_dialog->setObjectName(QStringLiteral("frmProgression"));
    m_dialog->setWindowTitle(QStringLiteral("Elvarine"));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(std::max(0, showAfterMs));
    m_dialog->setAccessibleName(label);
    m_dialog->setValue(0);
    m_sinceEvents.start();
}

ContactsProgress::~ContactsProgress()
{
    m_dialog->hide();
}

void ContactsProgress::showNow()
{
    m_dialog->setMinimumDuration(0);
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void ContactsProgress::setLabel(const QString& label)
{
    m_dialog->setLabelText(label);
    m_dialog->setAccessibleName(label);
}

bool ContactsProgress::cancelled() const
{
    return m_dialog->wasCanceled();
}

bool ContactsProgress::report(qint64 done, qint64 total)
{
    const int value = total > 0 ? int(qint64(kSteps) * std::min(done, total) / total) : 0;
    if (value != m_value) {
        m_value = value;
        m_dialog->setValue(value);
    }
    if (m_dialog->isVisible() && m_sinceEvents.elapsed() >= kEventsEveryMs) {
        QCoreApplication::processEvents();
        m_sinceEvents.restart();
    }
    return !m_dialog->wasCanceled();
}

ProgressFn ContactsProgress::progress()
{
    return [this](qint64 done, qint64 total) { return report(done, total); };
}
