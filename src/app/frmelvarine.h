#pragma once

#include "core/recordbinding.h"
#include "core/recordform.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>

class CommonDialog;
class NameListModel;
class QAction;
class QDialog;
class QGroupBox;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QToolBar;
class QStatusBar;
struct AppState;
struct Services;

// The main window: name list on the left, record form on the right, menus, toolbar and status
// bar. It lives for the whole run and opens every other window.
class frmElvarine : public QMainWindow, public RecordForm, private BoundFields
{
    Q_OBJECT

public:
    frmElvarine(AppState& state, Services& services, QWidget* parent = nullptr);
    ~frmElvarine() override;

    // Start-up and activation (after loading, and each time one of the program's own windows
    // closes and returns here).
    void Form_Load();
    void Form_Activate();

    // Fichier menu
    void Mnu_Nouveau_Click();
    void Mnu_Ouvrir_Click();
    // Opens the address file `path` (known to exist). A file that is not a valid address file
    // is refused with a message and the file already open stays open.
    bool openAddressFile(const QString& path);
    void Mnu_Fichier_Click();
    void Mnu_ImpEnv_Click();
    void Mnu_ImprimEtiq_Click();
    void Mnu_Utilisateur_Click();
    void Mnu_imprimFICHE_Click();
    void Mnu_imprimTOUTESFICHES_Click();
    void Mnu_ConfIMP_Click();
    void Mnu_ImpPort_Click();
    void Mnu_ImpPays_Click();
    void Mnu_Fermer_Click();
    void cmdClose_Click();

    // Record workflow
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void CmdAnnul_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();

    // Name list
    void MAJList();
    void List1_Click();

    // Search
    void Mnu_Rechercher_Click();
    void Mnu_Suivant_Click();
    void Mnu_OptionR_Click();
    bool searching() const { return m_searching; }

    // Copies
    void Mnu_CopieFiche_Click();
    void Mnu_CollerFiche_Click();
    void Mnu_CopierAdresse_Click();
    void Mnu_CopierEMail_Click();
    void Mnu_CopierURL_Click();
    void Mnu_CopierTel1_Click();
    void Mnu_CopierTel2_Click();
    void Mnu_CopierTel3_Click();
    void Mnu_CopierFAX_Click();

    // Composer menu
    void Mnu_Tel_Click();
    void Mnu_Tel1_Click();
    void Mnu_Tel2_Click();
    void Mnu_Tel3_Click();
    void Mnu_TelElvarine_Click();
    void Mnu_TelWindows_Click();

    // Mail, web and connection
    void Mnu_Mail_Click();
    void Mnu_ConnectURL_Click();
    void Mnu_ConnectInternet_Click();

    // Edition and help menus
    void Mnu_Edition_Click();
    void Mnu_Aide_Click();
    void Mnu_Apropos_Click();

    // Runs `dialog` modally, then the activation of this window.
    int runModal(QDialog& dialog);

    // RecordForm
    QString fieldText(FieldBox box) const override;
    int listCount() const override;
    int listIndex() const override;
    void setListIndex(int index) override;

    // Sets a box's text as if typed (counts as a change of the record).
    void setFieldText(FieldBox box, const QString& text);
    QWidget* field(FieldBox box) const { return m_fields[size_t(box)]; }
    QListView* list() const { return m_list; }
    QString listText(int index) const;
    // Toolbar button by its index 1..20 (7, 10, 13 and 18 are separators).
    QAction* toolbarButton(int index) const;
    QString panelText(int panel) const; // 1..3
    RecordBinding& Data1() { return m_data1; }
    bool recordPending() const;

    AppState& state;
    Services& services;

    int NewMode = 0;
    int ActualPosition = 0;
    int Counter = 0;
    QString ChaineARechercher;
    QString ChaineATrouver;

signals:
    // The user quit: the program ends.
    void programEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // BoundFields
    void showField(FieldBox box, const QString& text) override;
    bool fieldChanged(FieldBox box) const override;
    void clearChanged() override;

    void buildForm();
    void buildMenus();
    void buildToolbar();
    void onToolbarButton(int index);
    void txtFields_Change(FieldBox box);
    void txtFields_GotFocus(FieldBox box);
    void txtFields_LostFocus(FieldBox box);
    bool txtFields_KeyDown(FieldBox box, int key);
    void Data1_Validate(int action, int& save);
    void Data1_Reposition();
    void Data1_Error(int dataErr, const QString& text, int& response);
    void bindStartupDatabase();
    QString programFile(const QString& name) const;
    bool confirmQuit();
    void endProgram();
    std::optional<FieldBox> boxOf(QObject* object) const;
    void scanList(int from, const QString& notFoundTitle);
    void copyBox(FieldBox box);
    QAction* action(const char* name) const;
    // Enables a menu entry when `condition` holds and its command is available.
    void enableCommand(const char* name, bool condition);

    RecordBinding m_data1;
    std::unique_ptr<CommonDialog> m_commonDialog;
    NameListModel* m_listModel = nullptr;

    QListView* m_list = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QGroupBox* m_frame1 = nullptr;
    std::array<QWidget*, 16> m_fields{};
    std::array<QLabel*, 16> m_captions{};
    std::array<bool, 16> m_changed{};
    QPushButton* m_cmdAdd = nullptr;
    QPushButton* m_cmdDelete = nullptr;
    QPushButton* m_cmdRefresh = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QPushButton* m_cmdClose = nullptr;
    QPushButton* m_cmdAnnul = nullptr;
    QToolBar* m_toolbar = nullptr;
    std::array<QAction*, 21> m_buttons{};
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 3> m_panels{};
    QMenu* m_mnuFichier = nullptr;
    QMenu* m_mnuEdition = nullptr;
    QMenu* m_mnuImpression = nullptr;
    QMenu* m_mnuTel = nullptr;
    QPointer<QWidget> m_helpWindow;

    bool m_showing = false;     // boxes being filled by the binding, not by the user
    bool m_inFocusRule = false; // the mandatory-name message is up
    bool m_quitting = false;
    bool m_searching = false;
    int m_listGeneration = 0; // counts the fillings of the name list
};
