#pragma once

#include <array>
#include <cstddef>
#include <type_traits>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class frmElvarine;

// Every command of the main window's menus and toolbar, in the order of the command table.
enum class Command {
    // Fichier
    Nouveau,
    Ouvrir,
    ImporterContacts,
    ExporterContacts,
    ExporterFiche,
    Synchronisation,
    SynchroniserMaintenant,
    ImpEnv,
    ImprimEtiq,
    ImprimFiche,
    ImprimToutesFiches,
    ApercuFiche,
    ApercuToutesFiches,
    Publipostage,
    ConfIMP,
    Calibrer,
    ImpPort,
    ImpPays,
    Utilisateur,
    Fermer,
    // Edition
    CopieFiche,
    CollerFiche,
    Rechercher,
    Suivant,
    OptionR,
    CopierAdresse,
    CopierEMail,
    CopierURL,
    CopierTel1,
    CopierTel2,
    CopierTel3,
    CopierFAX,
    ConnectInternet,
    Mail,
    ConnectURL,
    // Composer
    Tel1,
    Tel2,
    Tel3,
    TelElvarine,
    TelWindows,
    // ?
    Aide,
    Apropos,
    // On the toolbar only: the commands of the record buttons Ajouter, Supprimer, Actualiser and
    // Modifier.
    Ajouter,
    Supprimer,
    Actualiser,
    Modifier,
};
constexpr int kCommandCount = int(Command::Modifier) + 1;

// The menus, in the order of the menu table.
enum class Menu {
    Fichier,
    Impression,
    Edition,
    Copier,
    Composer,
    ChoixNumeroteur,
    Aide,
    None, // on the menu bar (for a menu), on the toolbar only (for a command)
};
constexpr int kMenuCount = int(Menu::None);

// What a command runs: a member of the main window, or a function given the window.
struct CommandHandler {
    using Member = void (frmElvarine::*)();
    using Function = void (*)(frmElvarine&);
    // A null handler cannot be given: `nullptr` fits both constructors and does not compile.
    constexpr CommandHandler(Member m) : member(m), given(true) {}
    // Any function or captureless lambda taking the window.
    template <typename F, typename = std::enable_if_t<std::is_convertible_v<F, Function>>>
    constexpr CommandHandler(F f) : function(f), given(true)
    {
    }
    // Known at compile time in every build (a member pointer compared with null is not a
    // constant expression under the sanitizers).
    constexpr bool valid() const { return given; }
    void run(frmElvarine& window) const;

    Member member = nullptr;
    Function function = nullptr;
    bool given = false;
};

// A command's icon (see app/icons.h): the program's own icon name, and the name of the desktop
// theme's icon preferred to it (empty when no theme icon means the same).
struct IconName {
    const char* own;
    const char* theme;
};

enum class Check {
    None,
    Mark,          // a check mark the command sets
    PrinterReport, // a check mark that shows what the printer reports, not the click
};

// One row of the command table: one action, shared by its menu entry and its toolbar button.
struct CommandRow {
    Command id;
    const char* objectName;
    Menu menu;            // Menu::None: on the toolbar only
    bool separatorAbove;  // a separator line above the entry in its menu
    const char* caption;  // UTF-8
    const char* shortcut; // portable text ("Ctrl+N", "F4"), empty for none
    int toolbarIndex;     // place on the toolbar, 1..20; 0: not on the toolbar
    const char* tooltip;  // of the toolbar button
    IconName icon;
    Check check;
    CommandHandler handler;
};

// One row of the menu table. A menu goes into its parent where its first command is reached.
struct MenuRow {
    Menu id;
    Menu parent; // Menu::None: the menu bar
    const char* objectName;
    const char* caption;
    bool separatorAbove;
    void (frmElvarine::*opening)(); // run each time the menu opens; may be null
};

extern const CommandRow kCommandTable[kCommandCount];
extern const MenuRow kMenuTable[kMenuCount];
constexpr int kToolbarButtons = 20;

// The actions and menus built from the tables.
class MainCommands
{
public:
    // Builds the menus into `bar` and the toolbar buttons into `toolbar`, each command connected
    // to its handler on `window`.
    void build(frmElvarine& window, QMenuBar& bar, QToolBar& toolbar);

    QAction* action(Command id) const { return m_actions[std::size_t(id)]; }
    QMenu* menu(Menu id) const { return m_menus[std::size_t(id)]; }
    // Toolbar button `index` (1..20): a command's action, or a separator (7, 10, 13, 18).
    QAction* toolbarButton(int index) const;

private:
    QMenu* ensureMenu(Menu id, frmElvarine& window, QMenuBar& bar);

    std::array<QAction*, kCommandCount> m_actions{};
    std::array<QMenu*, kMenuCount> m_menus{};
    std::array<QAction*, kToolbarButtons + 1> m_toolbar{};
};
