#include "printer/orientationmarks.h"

#include "printer/orientationcommands.h"

#include <QAction>
#include <QLabel>
#include <QSignalBlocker>

void showOrientation(std::optional<int> orientation, QAction* mnuImpPort, QAction* mnuImpPays,
                     QLabel* status)
{
    if (!orientation)
        return;
    if (status && (*orientation == 1 || *orientation == 2))
        status->setText(orientationStatusText(*orientation));
    if (mnuImpPort) {
        mnuImpPort->setCheckable(true);
        mnuImpPort->setChecked(*orientation == 1);
    }
    if (mnuImpPays) {
        mnuImpPays->setCheckable(true);
        mnuImpPays->setChecked(*orientation == 2);
    }
}

void refreshOrientationMarks(Services& services, QAction* mnuImpPort, QAction* mnuImpPays,
                             QLabel* status)
{
    showOrientation(readOrientation(services), mnuImpPort, mnuImpPays, status);
}

void keepMarkOnClick(QAction* action)
{
    QObject::connect(action, &QAction::triggered, action, [action](bool checked) {
        const QSignalBlocker block(action);
        action->setChecked(!checked);
    });
}
