#pragma once

#include "labels/addressblock.h"

#include <QObject>
#include <array>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class RecordForm;

// The "&Titre" menu of the print windows: four title items, a separator, the two name orders,
// a separator, the two company orders (objectNames Mnu_TitreAucun .. Mnu_SocieteNom, the menu
// itself Mnu_Titre). Each command sets its option, composes the address block of the record
// shown in the main window and hands the block to `show` (the window's address preview).
// Opening the menu only refreshes the check marks.
class TitreMenu : public QObject
{
    Q_OBJECT

public:
    using ShowBlock = std::function<void(const QString& block)>;

    TitreMenu(QMenuBar* bar, const QString& title, AddressOptions& options, const RecordForm& form,
              ShowBlock show);

    QMenu* menu() const { return m_menu; }
    QAction* action(TitreCommand command) const { return m_actions[size_t(command)]; }

    // Runs one command as if chosen in the menu.
    void run(TitreCommand command);
    // Sets the check marks from the options.
    void refreshChecks();
    // Refreshes the marks, then runs the name-order command when the order is not first name
    // first, then the company-order command: the preview ends with a fresh block.
    void affichTitre();

private:
    AddressOptions& m_options;
    const RecordForm& m_form;
    ShowBlock m_show;
    QMenu* m_menu = nullptr;
    std::array<QAction*, kTitreCommandCount> m_actions{};
};
