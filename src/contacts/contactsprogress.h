#pragma once

#include "contacts/contact.h"

#include <QElapsedTimer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

// The progress window of a long import or export: it comes up once the work has lasted
// `showAfterMs` (a second in the program), with an "Annuler" button that stops the work.
class ContactsProgress
{
public:
    ContactsProgress(const QString& label, QWidget* parent, int showAfterMs = 1000);
    ~ContactsProgress();
    ContactsProgress(const ContactsProgress&) = delete;
    ContactsProgress& operator=(const ContactsProgress&) = delete;

    // Shows the window at once, modal and active: from then on the user's keys and clicks
    // reach only its "Annuler" (a work that waits on the network or the keyring from its start).
    void showNow();
    // Reports the work done to the window; false once the user pressed "Annuler".
    ProgressFn progress();
    void setLabel(const QString& label);
    bool cancelled() const;
    QProgressDialog* dialog() const { return m_dialog.get(); }

private:
    bool report(qint64 done, qint64 total);

    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_sinceEvents;
    int m_value = -1;
};
