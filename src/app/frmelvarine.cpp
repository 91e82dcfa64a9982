#include "core/frmelvarine.h"

#include "core/appstate.h"
#include "core/dosshell.h"
#include "core/fieldrules.h"
#include "core/helpwindow.h"
#include "core/namelist.h"
#include "core/search/optionrec.h"
#include "core/search/search.h"
#include "core/services.h"
#include "envelopes/frmutil.h"
#include "envelopes/impenv.h"
#include "envelopes/senderprofilefile.h"
#include "internet/internetcommands.h"
#include "labels/impetiq.h"
#include "labels/printparamsfile.h"
#include "output/clipboardcopy.h"
#include "output/recordsheet.h"
#include "phone/dialersettingsfile.h"
#include "phone/phonecommands.h"
#include "platform/commondialog.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "printer/orientationcommands.h"
#include "printer/printersurface.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <optional>

namespace
{

const QString kTitle = QStringLiteral("Elvarine");
// Enter or Down arrow moves to the next box in this order; Notes has no successor.
constexpr FieldBox kEnterOrder[kFieldBoxCount] = {
    FieldBox::Nom,       FieldBox::Prenom,     FieldBox::Societe,   FieldBox::Adresse,
    FieldBox::Adresse1,  FieldBox::CodePostal, FieldBox::Ville,     FieldBox::Pays,
    FieldBox::Telephone, FieldBox::Telephone1, FieldBox::Fax,       FieldBox::Portable,
    FieldBox::Email,     FieldBox::Url,        FieldBox::Reference, FieldBox::Notes};

std::optional<FieldBox> nextBox(FieldBox box)
{
    for (int i = 0; i + 1 < kFieldBoxCount; ++i) {
        if (kEnterOrder[i] == box)
            return kEnterOrder[i + 1];
    }
    return std::nullopt;
}

// The multi-line Notes box keeps to its maximum length like the one-line boxes.
class NotesEdit : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;
    int maxLength = 255;
    QString lastAccepted;
    void enforce()
    {
        const QString t = toPlainText();
        if (t.size() <= maxLength) {
            lastAccepted = t;
            return;
        }
        const QSignalBlocker block(this);
        const int pos = std::min(textCursor().position(), int(lastAccepted.size()));
        setPlainText(lastAccepted);
        QTextCursor c = textCursor();
        c.setPosition(pos);
        setTextCursor(c);
    }
};

QString captionName(const QString& caption)
{
    QString n = caption;
    if (n.endsWith(QLatin1String(" :")))
        n.chop(2);
    return n;
}

} // namespace

frmElvarine::frmElvarine(AppState& appState, Services& appServices, QWidget* parent)
    : QMainWindow(parent), state(appState), services(appServices), m_data1(*this)
{
    setObjectName(QStringLiteral("frmElvarine"));
    setWindowTitle(kTitle);
    m_commonDialog = std::make_unique<CommonDialog>(*services.dialogs);
    m_data1.Validate = [this](int action, int& save) { Data1_Validate(action, save); };
    m_data1.Reposition = [this] { Data1_Reposition(); };
    m_data1.Error = [this](int err, const QString& text, int& response) {
        Data1_Error(err, text, response);
    };
    buildForm();
    buildMenus();
    buildToolbar();
    resize(760, 580);
    // Until an address file is open, only the toolbar and the menus show.
    m_frame2->setVisible(false);
    m_frame1->setVisible(false);
    m_statusBar->setVisible(false);
    m_list->setVisible(false);
    m_mnuEdition->menuAction()->setEnabled(false);
    m_mnuImpression->menuAction()->setEnabled(false);
    qApp->installEventFilter(this);
}

frmElvarine::~frmElvarine()
{
    qApp->removeEventFilter(this);
}

// ------------------------------------------------------------------------------ building

void frmElvarine::buildForm()
{
    auto* central = new QWidget(this);
    auto* outer = new QHBoxLayout(central);

    m_listModel = new NameListModel(this);
    m_list = new QListView(central);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setModel(m_listModel);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAccessibleName(QStringLiteral("Liste des noms"));
    m_list->setMinimumWidth(160);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    List1_Click();
            });
    outer->addWidget(m_list, 2);

    auto* right = new QVBoxLayout;
    outer->addLayout(right, 3);

    m_frame2 = new QGroupBox(QStringLiteral("Fiche "), central);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    QFont bold = m_frame2->font();
    bold.setBold(true);
    m_frame2->setFont(bold);
    auto* grid = new QGridLayout(m_frame2);
    // Only the frame's own caption is bold.
    QFont normal = font();
    normal.setBold(false);

    for (int c = 0; c < kColumnCount; ++c) {
        const FieldBox box = kColumns[c].box;
        const int number = boxNumber(box);
        QWidget* w = nullptr;
        if (box == FieldBox::Notes) {
            auto* notes = new NotesEdit(m_frame2);
            notes->maxLength = kColumns[c].boxLength;
            notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            notes->setTabChangesFocus(true);
            notes->setMinimumHeight(60);
            connect(notes, &QPlainTextEdit::textChanged, this, [this, notes] {
                notes->enforce();
                txtFields_Change(FieldBox::Notes);
            });
            w = notes;
        } else {
            auto* edit = new QLineEdit(m_frame2);
            edit->setMaxLength(kColumns[c].boxLength);
            connect(edit, &QLineEdit::textChanged, this, [this, box] { txtFields_Change(box); });
            w = edit;
        }
        w->setObjectName(QStringLiteral("txtFields_%1").arg(number));
        w->setFont(normal);
        w->installEventFilter(this);
        const QString caption = QString::fromUtf16(kColumns[c].caption);
        auto* label = new QLabel(caption, m_frame2);
        label->setFont(normal);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setObjectName(number < 12 ? QStringLiteral("lblLabels_%1").arg(number)
                                         : QStringLiteral("Label%1").arg(number - 11));
        label->setBuddy(w);
        w->setAccessibleName(captionName(caption));
        m_fields[size_t(number)] = w;
        m_captions[size_t(number)] = label;
    }
    auto place = [&](int row, FieldBox box, int col, int span = 3) {
        grid->addWidget(m_captions[size_t(box)], row, col);
        grid->addWidget(m_fields[size_t(box)], row, col + 1, 1, span);
    };
    place(0, FieldBox::Nom, 0);
    place(1, FieldBox::Prenom, 0);
    place(2, FieldBox::Societe, 0);
    place(3, FieldBox::Adresse, 0);
    place(4, FieldBox::Adresse1, 0);
    place(5, FieldBox::CodePostal, 0, 1);
    place(5, FieldBox::Ville, 2, 1);
    place(6, FieldBox::Pays, 0);
    place(7, FieldBox::Telephone, 0, 1);
    place(7, FieldBox::Telephone1, 2, 1);
    place(8, FieldBox::Fax, 0, 1);
    place(8, FieldBox::Portable, 2, 1);
    place(9, FieldBox::Email, 0);
    place(10, FieldBox::Url, 0);
    place(11, FieldBox::Reference, 0);
    place(12, FieldBox::Notes, 0);
    m_captions[size_t(FieldBox::Notes)]->setAlignment(Qt::AlignRight | Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    // While the form is closed to input its fields stay readable.
    QPalette readable = m_frame2->palette();
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        readable.setColor(QPalette::Disabled, role, readable.color(QPalette::Active, role));
    readable.setColor(QPalette::Disabled, QPalette::Base,
                      readable.color(QPalette::Active, QPalette::Window));
    m_frame2->setPalette(readable);
    grid->setRowStretch(12, 1);
    static_cast<QLineEdit*>(m_fields[size_t(FieldBox::CodePostal)])->setMaximumWidth(70);

    m_cmdAnnul = new QPushButton(QStringLiteral("&Annuler"), m_frame2);
    m_cmdAnnul->setObjectName(QStringLiteral("CmdAnnul"));
    m_cmdAnnul->setFont(normal);
    m_cmdAnnul->setVisible(false);
    connect(m_cmdAnnul, &QPushButton::clicked, this, &frmElvarine::CmdAnnul_Click);
    grid->addWidget(m_cmdAnnul, 13, 0);

    for (int i = 0; i + 1 < kFieldBoxCount; ++i)
        setTabOrder(m_fields[size_t(kEnterOrder[i])], m_fields[size_t(kEnterOrder[i + 1])]);
    right->addWidget(m_frame2, 1);

    m_frame1 = new QGroupBox(central);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    auto* buttons = new QHBoxLayout(m_frame1);
    auto makeButton = [&](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, m_frame1);
        b->setObjectName(name);
        buttons->addWidget(b);
        return b;
    };
    m_cmdAdd = makeButton(QStringLiteral("cmdAdd"), QStringLiteral("&Ajouter"));
    m_cmdDelete = makeButton(QStringLiteral("cmdDelete"), QStringLiteral("&Supprimer"));
    m_cmdRefresh = makeButton(QStringLiteral("cmdRefresh"), QStringLiteral("A&ctualiser"));
    m_cmdUpdate = makeButton(QStringLiteral("cmdUpdate"), QStringLiteral("&Modifier"));
    m_cmdClose = makeButton(QStringLiteral("cmdClose"), QStringLiteral("&Quitter"));
    connect(m_cmdAdd, &QPushButton::clicked, this, &frmElvarine::cmdAdd_Click);
    connect(m_cmdDelete, &QPushButton::clicked, this, &frmElvarine::cmdDelete_Click);
    connect(m_cmdRefresh, &QPushButton::clicked, this, &frmElvarine::cmdRefresh_Click);
    connect(m_cmdUpdate, &QPushButton::clicked, this, &frmElvarine::cmdUpdate_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmElvarine::cmdClose_Click);
    right->addWidget(m_frame1);

    setCentralWidget(central);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(m_statusBar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setMinimumWidth(2540 / 15);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_statusBar->addWidget(panel, 1);
        m_panels[size_t(i)] = panel;
    }
    setStatusBar(m_statusBar);
}

void frmElvarine::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto menu = [&](QWidget* parent, const QString& name, const QString& caption) {
        auto* m = new QMenu(caption, parent);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name + QStringLiteral("_menu"));
        if (auto* mb = qobject_cast<QMenuBar*>(parent))
            mb->addMenu(m);
        else
            static_cast<QMenu*>(parent)->addMenu(m);
        return m;
    };
    auto item = [&](QMenu* m, const QString& name, const QString& caption,
                    const QKeySequence& key = QKeySequence()) {
        auto* a = m->addAction(caption);
        a->setObjectName(name);
        if (!key.isEmpty())
            a->setShortcut(key);
        a->setEnabled(false); // enabled once its command is connected
        return a;
    };
    auto command = [&](QAction* a, void (frmElvarine::*slot)()) {
        a->setEnabled(true);
        a->setProperty("built", true);
        connect(a, &QAction::triggered, this, slot);
    };

    m_mnuFichier = menu(bar, QStringLiteral("Mnu_Fichier"), QStringLiteral("&Fichier"));
    connect(m_mnuFichier, &QMenu::aboutToShow, this, &frmElvarine::Mnu_Fichier_Click);
    command(item(m_mnuFichier, QStringLiteral("Mnu_Nouveau"), QStringLiteral("&Nouveau"),
                 QKeySequence(Qt::CTRL | Qt::Key_N)),
            &frmElvarine::Mnu_Nouveau_Click);
    command(item(m_mnuFichier, QStringLiteral("Mnu_Ouvrir"), QStringLiteral("&Ouvrir"),
                 QKeySequence(Qt::CTRL | Qt::Key_O)),
            &frmElvarine::Mnu_Ouvrir_Click);
    m_mnuFichier->addSeparator();
    m_mnuImpression =
        menu(m_mnuFichier, QStringLiteral("Mnu_Impression"), QStringLiteral("Impression"));
    command(item(m_mnuImpression, QStringLiteral("Mnu_ImpEnv"),
                 QStringLiteral("Imprimer enveloppe pour adresse"),
                 QKeySequence(Qt::CTRL | Qt::Key_I)),
            &frmElvarine::Mnu_ImpEnv_Click);
    command(item(m_mnuImpression, QStringLiteral("Mnu_ImprimEtiq"),
                 QStringLiteral("Imprimer &étiquette pour adresse"),
                 QKeySequence(Qt::CTRL | Qt::Key_E)),
            &frmElvarine::Mnu_ImprimEtiq_Click);
    command(item(m_mnuImpression, QStringLiteral("Mnu_imprimFICHE"),
                 QStringLiteral("Imprimer la &fiche en cours")),
            &frmElvarine::Mnu_imprimFICHE_Click);
    command(item(m_mnuImpression, QStringLiteral("Mnu_imprimTOUTESFICHES"),
                 QStringLiteral("Imprimer l'&état du fichier")),
            &frmElvarine::Mnu_imprimTOUTESFICHES_Click);
    command(item(m_mnuFichier, QStringLiteral("Mnu_ConfIMP"),
                 QStringLiteral("&Configurer l'imprimante"), QKeySequence(Qt::CTRL | Qt::Key_C)),
            &frmElvarine::Mnu_ConfIMP_Click);
    QAction* port = item(m_mnuFichier, QStringLiteral("Mnu_ImpPort"),
                         QStringLiteral("Imprimante en mode Portrait"));
    port->setCheckable(true);
    keepMarkOnClick(port);
    command(port, &frmElvarine::Mnu_ImpPort_Click);
    QAction* pays = item(m_mnuFichier, QStringLiteral("Mnu_ImpPays"),
                         QStringLiteral("Imprimante en mode Paysage"));
    pays->setCheckable(true);
    keepMarkOnClick(pays);
    command(pays, &frmElvarine::Mnu_ImpPays_Click);
    m_mnuFichier->addSeparator();
    command(item(m_mnuFichier, QStringLiteral("Mnu_Utilisateur"),
                 QStringLiteral("Définition de l'utilisateur")),
            &frmElvarine::Mnu_Utilisateur_Click);
    m_mnuFichier->addSeparator();
    command(item(m_mnuFichier, QStringLiteral("Mnu_Fermer"), QStringLiteral("&Quitter"),
                 QKeySequence(Qt::CTRL | Qt::Key_F4)),
            &frmElvarine::Mnu_Fermer_Click);

    m_mnuEdition = menu(bar, QStringLiteral("Mnu_Edition"), QStringLiteral("&Edition"));
    connect(m_mnuEdition, &QMenu::aboutToShow, this, &frmElvarine::Mnu_Edition_Click);
    command(item(m_mnuEdition, QStringLiteral("Mnu_CopieFiche"),
                 QStringLiteral("&Copier la fiche en cours"), QKeySequence(Qt::Key_F4)),
            &frmElvarine::Mnu_CopieFiche_Click);
    command(item(m_mnuEdition, QStringLiteral("Mnu_CollerFiche"),
                 QStringLiteral("Co&ller la sélection dans une nouvelle fiche"),
                 QKeySequence(Qt::Key_F5)),
            &frmElvarine::Mnu_CollerFiche_Click);
    m_mnuEdition->addSeparator();
    command(item(m_mnuEdition, QStringLiteral("Mnu_Rechercher"), QStringLiteral("&Rechercher"),
                 QKeySequence(Qt::Key_F2)),
            &frmElvarine::Mnu_Rechercher_Click);
    command(item(m_mnuEdition, QStringLiteral("Mnu_Suivant"), QStringLiteral("&Suivant"),
                 QKeySequence(Qt::Key_F3)),
            &frmElvarine::Mnu_Suivant_Click);
    command(item(m_mnuEdition, QStringLiteral("Mnu_OptionR"),
                 QStringLiteral("Options de recherche...")),
            &frmElvarine::Mnu_OptionR_Click);
    m_mnuEdition->addSeparator();
    QMenu* copier = menu(m_mnuEdition, QStringLiteral("Mnu_Copier"),
                         QStringLiteral("Copier dans le presse papier"));
    command(item(copier, QStringLiteral("Mnu_CopierAdresse"), QStringLiteral("&Nom et Adresse")),
            &frmElvarine::Mnu_CopierAdresse_Click);
    command(item(copier, QStringLiteral("Mnu_CopierEMail"), QStringLiteral("&E-Mail")),
            &frmElvarine::Mnu_CopierEMail_Click);
    command(item(copier, QStringLiteral("Mnu_CopierURL"), QStringLiteral("&Accès URL")),
            &frmElvarine::Mnu_CopierURL_Click);
    command(item(copier, QStringLiteral("Mnu_CopierTel1"), QStringLiteral("N° Téléphone 1")),
            &frmElvarine::Mnu_CopierTel1_Click);
    command(item(copier, QStringLiteral("Mnu_CopierTel2"), QStringLiteral("N° Téléphone 2")),
            &frmElvarine::Mnu_CopierTel2_Click);
    command(item(copier, QStringLiteral("Mnu_CopierTel3"), QStringLiteral("N° Portable")),
            &frmElvarine::Mnu_CopierTel3_Click);
    command(item(copier, QStringLiteral("Mnu_CopierFAX"), QStringLiteral("N° FAX")),
            &frmElvarine::Mnu_CopierFAX_Click);
    m_mnuEdition->addSeparator();
    command(item(m_mnuEdition, QStringLiteral("Mnu_ConnectInternet"),
                 QStringLiteral("Se connecter à Internet")),
            &frmElvarine::Mnu_ConnectInternet_Click);
    m_mnuEdition->addSeparator();
    command(item(m_mnuEdition, QStringLiteral("Mnu_Mail"), QStringLiteral("Envoyer un courrier :")),
            &frmElvarine::Mnu_Mail_Click);
    command(
        item(m_mnuEdition, QStringLiteral("Mnu_ConnectURL"), QStringLiteral("Se connecter URL :")),
        &frmElvarine::Mnu_ConnectURL_Click);

    m_mnuTel = menu(bar, QStringLiteral("Mnu_Tel"), QStringLiteral("&Composer"));
    connect(m_mnuTel, &QMenu::aboutToShow, this, &frmElvarine::Mnu_Tel_Click);
    command(item(m_mnuTel, QStringLiteral("Mnu_Tel1"),
                 QStringLiteral("N° Tel 1 : ") + QString(14, QLatin1Char('_'))),
            &frmElvarine::Mnu_Tel1_Click);
    command(item(m_mnuTel, QStringLiteral("Mnu_Tel2"),
                 QStringLiteral("N° Tel 2 : ") + QString(14, QLatin1Char('_'))),
            &frmElvarine::Mnu_Tel2_Click);
    command(item(m_mnuTel, QStringLiteral("Mnu_Tel3"),
                 QStringLiteral("N° Portable : ") + QString(12, QLatin1Char('_'))),
            &frmElvarine::Mnu_Tel3_Click);
    m_mnuTel->addSeparator();
    QMenu* choix = menu(m_mnuTel, QStringLiteral("Mnu_ChoixNum"),
                        QStringLiteral("Choix du numéroteur d'appel"));
    QAction* telElvarine =
        item(choix, QStringLiteral("Mnu_TelElvarine"), QStringLiteral("Numéroteur de Elvarine"));
    telElvarine->setCheckable(true);
    command(telElvarine, &frmElvarine::Mnu_TelElvarine_Click);
    QAction* telWindows =
        item(choix, QStringLiteral("Mnu_TelWindows"), QStringLiteral("Numéroteur de Windows"));
    telWindows->setCheckable(true);
    command(telWindows, &frmElvarine::Mnu_TelWindows_Click);

    QMenu* help = menu(bar, QStringLiteral("Mnu_Help"), QStringLiteral("?"));
    command(
        item(help, QStringLiteral("Mnu_Aide"), QStringLiteral("Aide"), QKeySequence(Qt::Key_F1)),
        &frmElvarine::Mnu_Aide_Click);
    help->addSeparator();
    command(item(help, QStringLiteral("Mnu_Apropos"), QStringLiteral("A propos...")),
            &frmElvarine::Mnu_Apropos_Click);
}

void frmElvarine::buildToolbar()
{
    m_toolbar = new QToolBar(QStringLiteral("Barre d'outils"), this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    struct Button {
        int index;
        const char* tooltip;
        const char* icon;
        QStyle::StandardPixmap fallback;
        bool built;
    };
    const Button buttons[] = {
        {1, "Nouveau Fichier", "document-new", QStyle::SP_FileIcon, true},
        {2, "Ouvrir un fichier", "document-open", QStyle::SP_DialogOpenButton, true},
        {3, "Imprimer Enveloppe", "mail-message-new", QStyle::SP_FileDialogContentsView, true},
        {4, "Imprimer Etiquette", "document-print", QStyle::SP_FileDialogDetailedView, true},
        {5, "Configurer l'imprimante", "document-properties", QStyle::SP_ComputerIcon, true},
        {6, "Quitter le programme", "application-exit", QStyle::SP_DialogCloseButton, true},
        {8, "Copier la fiche en cours", "edit-copy", QStyle::SP_FileLinkIcon, true},
        {9, "Coller dans une nouvelle fiche", "edit-paste", QStyle::SP_DialogSaveButton, true},
        {11, "Rechercher", "edit-find", QStyle::SP_FileDialogContentsView, true},
        {12, "Rechercher suivant", "go-next", QStyle::SP_ArrowForward, true},
        {14, "Ajouter une fiche", "list-add", QStyle::SP_FileDialogNewFolder, true},
        {15, "Supprimer la fiche en cours", "edit-delete", QStyle::SP_TrashIcon, true},
        {16, "Actualiser la liste", "view-refresh", QStyle::SP_BrowserReload, true},
        {17, "Modifier la fiche en cours", "document-edit", QStyle::SP_FileDialogInfoView, true},
        {19, "Aide", "help-contents", QStyle::SP_DialogHelpButton, true},
        {20, "A Propos", "help-about", QStyle::SP_MessageBoxInformation, true},
    };
    int next = 0;
    for (int index = 1; index <= 20; ++index) {
        if (next < int(std::size(buttons)) && buttons[next].index == index) {
            const Button& b = buttons[next++];
            const QString tip = QString::fromUtf8(b.tooltip);
            QAction* a = m_toolbar->addAction(
                QIcon::fromTheme(QString::fromLatin1(b.icon), style()->standardIcon(b.fallback)),
                tip);
            a->setObjectName(QStringLiteral("Toolbar1_%1").arg(index));
            a->setToolTip(tip);
            a->setEnabled(b.built);
            connect(a, &QAction::triggered, this, [this, index] { onToolbarButton(index); });
            m_buttons[size_t(index)] = a;
        } else {
            QAction* sep = m_toolbar->addSeparator();
            sep->setObjectName(QStringLiteral("Toolbar1_%1").arg(index));
            m_buttons[size_t(index)] = sep;
        }
    }
}

void frmElvarine::onToolbarButton(int index)
{
    switch (index) {
    case 1:
        Mnu_Nouveau_Click();
        break;
    case 2:
        Mnu_Ouvrir_Click();
        break;
    case 3:
        Mnu_ImpEnv_Click();
        break;
    case 4:
        Mnu_ImprimEtiq_Click();
        break;
    case 5:
        Mnu_ConfIMP_Click();
        break;
    case 6:
        Mnu_Fermer_Click();
        break;
    case 8:
        Mnu_CopieFiche_Click();
        break;
    case 9:
        Mnu_CollerFiche_Click();
        break;
    case 11:
        Mnu_Rechercher_Click();
        break;
    case 12:
        Mnu_Suivant_Click();
        break;
    case 14:
        cmdAdd_Click();
        break;
    case 15:
        cmdDelete_Click();
        break;
    case 16:
        cmdRefresh_Click();
        break;
    case 17:
        cmdUpdate_Click();
        break;
    case 19:
        Mnu_Aide_Click();
        break;
    case 20:
        Mnu_Apropos_Click();
        break;
    default:
        break;
    }
}

QAction* frmElvarine::toolbarButton(int index) const
{
    return index >= 1 && index <= 20 ? m_buttons[size_t(index)] : nullptr;
}

QString frmElvarine::panelText(int panel) const
{
    return panel >= 1 && panel <= 3 ? m_panels[size_t(panel - 1)]->text() : QString();
}

// ------------------------------------------------------------------------------ start-up

QString frmElvarine::programFile(const QString& name) const
{
    return AjoutSlash(state.CheminAppli) + name;
}

void frmElvarine::Form_Load()
{
    state.CheminAppli =
        services.folder ? services.folder->path() : QCoreApplication::applicationDirPath();
    state.label.NbEtiquettes = 8;
    state.print.FontUnderline = false;
    state.print.FontStrikethru = false;
    // Keys reach the window first (Escape stops a search): see eventFilter.
    loadStartupSenderProfile(state, services);
    loadStartupPrintParams(state, services);
    loadStartupDialerSettings(state, services);

    m_cmdAdd->setToolTip(QStringLiteral("Ajouter une fiche"));
    m_cmdDelete->setToolTip(QStringLiteral("Supprimer la fiche en cours"));
    m_cmdRefresh->setToolTip(QStringLiteral("Actualiser la liste"));
    m_cmdUpdate->setToolTip(QStringLiteral("Modifier la fiche en cours"));
    m_cmdClose->setToolTip(QStringLiteral("Quitter l'elvarine"));
    if (!FichierExiste(programFile(QStringLiteral("Elvarine.mdb"))))
        return;
    bindStartupDatabase();
    m_frame2->setVisible(false);
    m_frame1->setVisible(false);
    m_statusBar->setVisible(false);
    m_list->setVisible(false);
    m_mnuEdition->menuAction()->setEnabled(false);
    m_mnuImpression->menuAction()->setEnabled(false);
}

void frmElvarine::bindStartupDatabase()
{
    const QString path = programFile(QStringLiteral("Elvarine.mdb"));
    try {
        auto db = Database::OpenDatabase(path);
        auto rs = db->OpenRecordset(QString::fromUtf16(kTableName));
        m_data1.DatabaseName = db->Name();
        m_data1.RecordSource = QString::fromUtf16(kTableName);
        m_data1.attach(std::move(db), std::move(rs));
    } catch (const EngineError& e) {
        int response = 1;
        Data1_Error(e.number, e.text, response);
    }
}

void frmElvarine::Form_Activate()
{
    if (m_buttons[12])
        m_buttons[12]->setEnabled(false);
    if (m_buttons[9])
        m_buttons[9]->setEnabled(false);
    if (state.FicAnOuvre == 1)
        return;
    if (!FichierExiste(programFile(QStringLiteral("Elvarine.mdb")))) {
        services.dialogs->msgBox(
            QStringLiteral("Fichier Elvarine.mdb non trouvé !\rRéinstaller Elvarine."), vbCritical,
            QStringLiteral("Erreur"));
        return;
    }
    const QString adb = programFile(QStringLiteral("Elvarine.adb"));
    if (FichierExiste(adb)) {
        state.FicAdresses = adb;
        openAddressFile(adb);
    }
}

int frmElvarine::runModal(QDialog& dialog)
{
    const int result = dialog.exec();
    Form_Activate();
    return result;
}

// ------------------------------------------------------------------------------ files

bool frmElvarine::openAddressFile(const QString& path)
{
    // The file is checked completely before anything of the window changes, so a file that is
    // not an address file leaves the open one in place.
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;
    try {
        db = Database::OpenDatabase(path);
        rs = db->OpenRecordset(QString::fromUtf16(kTableName));
    } catch (const EngineError& e) {
        QString text;
        if (e.number == errReadOnly)
            text = QStringLiteral("Le fichier %1 ne peut pas être modifié : il est en lecture "
                                  "seule ou verrouillé.\rIl n'a pas été ouvert.")
                       .arg(path);
        else
            text = QStringLiteral("Le fichier %1 n'est pas un fichier d'adresses valide.\r%2")
                       .arg(path, e.text);
        services.dialogs->msgBox(text, vbCritical, QStringLiteral("Erreur"));
        return false;
    }
    setWindowTitle(kTitle + QLatin1Char(' ') + path);
    m_data1.RecordSource.clear();
    ActualPosition = 1;
    m_data1.DatabaseName = db->Name();
    try {
        if (rs->RecordCount() == 0) {
            rs->AddNew();
            rs->Update();
        }
    } catch (const EngineError&) {
        // An empty file that refuses its first record still opens; the list stays empty.
    }
    m_data1.attach(std::move(db), std::move(rs));
    m_data1.RecordSource = QString::fromUtf16(kTableName);
    m_frame2->setVisible(true);
    m_frame1->setVisible(true);
    m_statusBar->setVisible(true);
    m_list->setVisible(true);
    m_mnuEdition->menuAction()->setEnabled(true);
    m_mnuImpression->menuAction()->setEnabled(true);
    state.FicAnOuvre = 1;
    cmdRefresh_Click();
    return true;
}

void frmElvarine::Mnu_Ouvrir_Click()
{
    QDir::setCurrent(state.CheminAppli);
    if (m_buttons[12])
        m_buttons[12]->setEnabled(false);
    CommonDialog& dlg = *m_commonDialog;
    dlg.CancelError = true;
    dlg.DialogTitle = QStringLiteral("Ouvrir le fichier");
    dlg.Filter = QStringLiteral("Elvarine (*.adb)|*.adb");
    dlg.FilterIndex = 1;
    dlg.Flags = 0;
    if (!dlg.ShowOpen()) {
        dlg.CancelError = false;
        return;
    }
    const QString previous = state.FicAdresses;
    state.FicAdresses = dlg.FileName;
    if (state.FicAdresses.isEmpty())
        return;
    if (!FichierExiste(state.FicAdresses)) {
        services.dialogs->msgBox(QStringLiteral("Fichier ") + state.FicAdresses +
                                     QStringLiteral(" introuvable !"),
                                 vbExclamation, QStringLiteral("Erreur"));
        return;
    }
    // A refused file leaves the open one in place, and its name with it.
    if (!openAddressFile(state.FicAdresses) && state.FicAnOuvre == 1)
        state.FicAdresses = previous;
}

void frmElvarine::Mnu_Nouveau_Click()
{
    QDir::setCurrent(state.CheminAppli);
    CommonDialog& dlg = *m_commonDialog;
    dlg.CancelError = true;
    dlg.FileName = QStringLiteral("Nouveau.adb");
    dlg.DialogTitle = QStringLiteral("Créer un fichier d'adresses");
    dlg.Filter = QStringLiteral("Elvarine (*.adb)|*.adb");
    dlg.FilterIndex = 1;
    dlg.Flags = 0;
    if (!dlg.ShowSave()) {
        dlg.CancelError = false;
        return;
    }
    state.FicAdresses = dlg.FileName;
    if (FichierExiste(state.FicAdresses)) {
        services.dialogs->msgBox(QStringLiteral("Le fichier ") + state.FicAdresses +
                                     QStringLiteral(" existe !\r") + QString(21, QLatin1Char(' ')) +
                                     QStringLiteral("Ouvir le fichier."),
                                 vbExclamation, QStringLiteral("Avertissement"));
        return;
    }
    if (state.FicAdresses.isEmpty())
        return;
    try {
        auto db = Database::CreateDatabase(state.FicAdresses);
        try {
            db->CreerDATA();
        } catch (const EngineError&) {
            db->Close();
            QFile::remove(state.FicAdresses);
            throw;
        }
        db->Close();
    } catch (const EngineError& e) {
        // Nothing was made: say so rather than leave the user believing the file exists.
        services.dialogs->msgBox(
            QStringLiteral("Impossible de créer le fichier %1.\r%2").arg(state.FicAdresses, e.text),
            vbCritical, QStringLiteral("Erreur"));
        return;
    }
    Mnu_Ouvrir_Click();
    cmdUpdate_Click();
    m_fields[size_t(FieldBox::Nom)]->setFocus();
}

// ------------------------------------------------------------------------------ workflow

void frmElvarine::cmdAdd_Click()
{
    m_frame2->setEnabled(true);
    m_list->setEnabled(false);
    m_cmdAdd->setEnabled(false);
    m_cmdDelete->setEnabled(false);
    m_cmdRefresh->setEnabled(true);
    m_buttons[16]->setEnabled(true);
    m_cmdUpdate->setEnabled(false);
    m_cmdClose->setEnabled(false);
    NewMode = 1;
    try {
        if (m_data1.hasRecordset())
            m_data1.AddNew();
    } catch (const EngineError&) {
    }
    m_fields[size_t(FieldBox::Nom)]->setFocus();
}

void frmElvarine::cmdUpdate_Click()
{
    m_frame2->setEnabled(true);
    m_list->setEnabled(false);
    m_cmdAdd->setEnabled(false);
    m_cmdDelete->setEnabled(false);
    m_cmdRefresh->setEnabled(true);
    m_buttons[16]->setEnabled(true);
    m_cmdUpdate->setEnabled(false);
    m_cmdClose->setEnabled(false);
    m_cmdAnnul->setVisible(true);
}

void frmElvarine::CmdAnnul_Click()
{
    m_cmdAnnul->setVisible(false);
    m_list->setEnabled(true);
    m_cmdAdd->setEnabled(true);
    m_cmdDelete->setEnabled(true);
    m_cmdRefresh->setEnabled(false);
    m_buttons[16]->setEnabled(false);
    m_cmdUpdate->setEnabled(true);
    m_cmdClose->setEnabled(true);
    m_frame2->setEnabled(false);
    m_list->setFocus();
}

void frmElvarine::cmdDelete_Click()
{
    if (!m_data1.hasRecordset())
        return;
    try {
        Recordset& rs = m_data1.recordset();
        if (rs.RecordCount() > 1) {
            const int answer = services.dialogs->msgBox(
                QStringLiteral("Voulez-vous vraiment supprimer la fiche ?\r") +
                    fieldText(FieldBox::Nom) + QLatin1Char(' ') + fieldText(FieldBox::Prenom),
                vbYesNo + vbQuestion, QStringLiteral("Supprimer la fiche"));
            if (answer == vbNo)
                return;
            try {
                rs.Delete();
            } catch (const EngineError&) {
            }
            try {
                m_data1.MoveNext();
            } catch (const EngineError&) {
            }
            cmdRefresh_Click();
        } else {
            services.dialogs->msgBox(
                QStringLiteral("La première fiche ne peut pas être supprimée !\r") +
                    QString(9, QLatin1Char(' ')) +
                    QStringLiteral("Vous ne pouvez que la modifier ."),
                vbInformation, QStringLiteral("Avertissement"));
            rs.Edit();
            rs.Update();
        }
    } catch (const EngineError&) {
    }
}

void frmElvarine::cmdRefresh_Click()
{
    // A store the file refused leaves the record in the form, so the user can correct it.
    if (!m_data1.Refresh())
        return;
    m_frame2->setEnabled(false);
    m_list->setEnabled(true);
    m_cmdAdd->setEnabled(true);
    m_cmdDelete->setEnabled(true);
    m_cmdRefresh->setEnabled(true);
    m_buttons[16]->setEnabled(true);
    m_cmdUpdate->setEnabled(true);
    m_cmdClose->setEnabled(true);
    m_cmdAnnul->setVisible(false);
    m_listModel->clear();
    ++m_listGeneration;
    m_data1.Refresh();
    MAJList();
    if (m_listModel->rowCount() > 0) {
        {
            const QSignalBlocker block(m_list->selectionModel());
            m_list->setCurrentIndex(m_listModel->index(0));
        }
        List1_Click();
    }
    m_list->setFocus();
}

bool frmElvarine::recordPending() const
{
    if (!m_frame2->isEnabled() || !m_data1.hasRecordset())
        return false;
    for (FieldBox box : kAllFieldBoxes) {
        if (m_changed[size_t(box)])
            return true;
    }
    return false;
}

// ------------------------------------------------------------------------------ name list

void frmElvarine::MAJList()
{
    try {
        Recordset& rs = m_data1.recordset();
        Counter = rs.RecordCount();
        m_listModel->fill(rs);
        ++m_listGeneration;
        if (rs.RecordCount() > 0)
            m_data1.MoveFirst();
    } catch (const EngineError&) {
        services.dialogs->msgBox(QStringLiteral("Fichier Elvarine.mdb non trouvé !"), vbCritical,
                                 QStringLiteral("Erreur"));
        endProgram();
    }
}

void frmElvarine::List1_Click()
{
    m_frame2->setEnabled(false);
    m_cmdRefresh->setEnabled(false);
    m_buttons[16]->setEnabled(false);
    const int index = listIndex();
    if (index < 0 || !m_data1.hasRecordset())
        return;
    ChaineARechercher = m_listModel->line(index);
    // The entry's own record: found through the list, not by stepping through the file.
    const int position = m_listModel->recordPosition(index);
    ActualPosition = position + 1;
    if (position > 0)
        state.search.IndexTrouve = index;
    try {
        m_data1.MoveTo(position);
    } catch (const EngineError&) {
    }
    ActualPosition = position + 1;
    ChaineATrouver = listLine(fieldText(FieldBox::Nom), fieldText(FieldBox::Prenom));
}

QString frmElvarine::listText(int index) const
{
    return m_listModel->line(index);
}

int frmElvarine::listCount() const
{
    return m_listModel->rowCount();
}

int frmElvarine::listIndex() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void frmElvarine::setListIndex(int index)
{
    if (index < 0 || index >= m_listModel->rowCount())
        return;
    if (listIndex() == index) {
        // Already selected: the selection does not change, nothing runs.
        return;
    }
    m_list->setCurrentIndex(m_listModel->index(index));
}

// ------------------------------------------------------------------------------ binding

void frmElvarine::Data1_Validate(int action, int&)
{
    if (NewMode) {
        try {
            Counter = m_data1.recordset().RecordCount() + 1;
        } catch (const EngineError&) {
        }
    }
    switch (action) {
    case RecordBinding::vbDataActionMoveFirst:
        ActualPosition = 1;
        break;
    case RecordBinding::vbDataActionMovePrevious:
        if (ActualPosition > 1)
            --ActualPosition;
        break;
    case RecordBinding::vbDataActionMoveNext:
        if (ActualPosition < Counter)
            ++ActualPosition;
        break;
    case RecordBinding::vbDataActionMoveLast:
        ActualPosition = Counter;
        break;
    default:
        break;
    }
    NewMode = 0;
}

void frmElvarine::Data1_Reposition()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    try {
        Counter = m_data1.recordset().RecordCount();
        if (Counter < ActualPosition)
            ActualPosition = Counter;
    } catch (const EngineError&) {
    }
    m_panels[0]->setText(fieldText(FieldBox::Nom) + QLatin1Char(' ') + fieldText(FieldBox::Prenom) +
                         QLatin1Char(' '));
    m_panels[1]->setText(fieldText(FieldBox::CodePostal) + QLatin1Char(' ') +
                         fieldText(FieldBox::Ville) + QLatin1Char(' '));
    m_panels[2]->setText(QStringLiteral("Tel 1 : ") + fieldText(FieldBox::Telephone) +
                         QStringLiteral("  Fax : ") + fieldText(FieldBox::Fax) + QLatin1Char(' '));
}

void frmElvarine::Data1_Error(int, const QString& text, int& response)
{
    services.dialogs->msgBox(
        QStringLiteral("Le gestionnaire d'erreurs des données a rencontré l'erreur:") + text,
        vbOKOnly, kTitle);
    response = 0;
}

// ------------------------------------------------------------------------------ field boxes

QString frmElvarine::fieldText(FieldBox box) const
{
    QWidget* w = m_fields[size_t(box)];
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return static_cast<QPlainTextEdit*>(w)->toPlainText();
}

void frmElvarine::setFieldText(FieldBox box, const QString& text)
{
    QWidget* w = m_fields[size_t(box)];
    const int design = kColumns[columnOfBox(box)].boxLength;
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setMaxLength(std::max(design, int(text.size())));
        e->setText(text);
    } else {
        auto* notes = static_cast<NotesEdit*>(w);
        notes->maxLength = std::max(design, int(text.size()));
        notes->setPlainText(text);
    }
}

void frmElvarine::showField(FieldBox box, const QString& text)
{
    m_showing = true;
    QString shown = text;
    if (box == FieldBox::Notes)
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setFieldText(box, shown);
    m_showing = false;
}

bool frmElvarine::fieldChanged(FieldBox box) const
{
    return m_changed[size_t(box)];
}

void frmElvarine::clearChanged()
{
    m_changed.fill(false);
}

void frmElvarine::txtFields_Change(FieldBox box)
{
    if (m_showing)
        return;
    m_changed[size_t(box)] = true;
    m_cmdAnnul->setVisible(false);
}

void frmElvarine::txtFields_GotFocus(FieldBox box)
{
    if (fieldText(box) == QLatin1String(" "))
        setFieldText(box, QString());
}

void frmElvarine::txtFields_LostFocus(FieldBox box)
{
    bool nameMissing = false;
    if (!m_inFocusRule && fieldText(FieldBox::Nom).isEmpty()) {
        m_inFocusRule = true;
        services.dialogs->msgBox(QStringLiteral("Saisie obligatoire pour le nom !"), vbCritical,
                                 QStringLiteral("Erreur"));
        m_inFocusRule = false;
        nameMissing = true;
    }
    if (fieldText(box).isEmpty())
        setFieldText(box, QStringLiteral(" "));
    // The focus goes back to the name once the focus change under way has ended.
    if (nameMissing)
        QTimer::singleShot(
            0, this, [this] { m_fields[size_t(FieldBox::Nom)]->setFocus(Qt::OtherFocusReason); });
}

bool frmElvarine::txtFields_KeyDown(FieldBox box, int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Down)
        return false;
    const std::optional<FieldBox> next = nextBox(box);
    if (!next)
        return false; // Notes: Enter makes a new line
    m_fields[size_t(*next)]->setFocus(Qt::TabFocusReason);
    return true;
}

std::optional<FieldBox> frmElvarine::boxOf(QObject* object) const
{
    for (FieldBox box : kAllFieldBoxes) {
        if (m_fields[size_t(box)] == object)
            return box;
    }
    return std::nullopt;
}

bool frmElvarine::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_Escape && widget && widget->window() == this)
            state.search.DemandeArret = 1;
    }
    const std::optional<FieldBox> watchedBox = boxOf(watched);
    if (!watchedBox)
        return QMainWindow::eventFilter(watched, event);
    const FieldBox box = *watchedBox;
    switch (event->type()) {
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            m_frame2->isEnabled())
            txtFields_GotFocus(box);
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            m_frame2->isEnabled() && m_fields[size_t(box)]->isEnabled() && !m_quitting)
            txtFields_LostFocus(box);
        break;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            break;
        if (box == FieldBox::Notes && key->key() != Qt::Key_Down)
            break;
        if (txtFields_KeyDown(box, key->key()))
            return true;
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ------------------------------------------------------------------------------ menus

void frmElvarine::Mnu_Fichier_Click()
{
    if (services.printer)
        refreshOrientationMarks(services, action("Mnu_ImpPort"), action("Mnu_ImpPays"));
}

void frmElvarine::Mnu_ImpEnv_Click()
{
    if (!m_data1.hasRecordset())
        return;
    ImpEnv window(state, services, *this, this);
    runModal(window);
}

void frmElvarine::Mnu_Utilisateur_Click()
{
    FrmUtil window(state, services, this);
    runModal(window);
}

void frmElvarine::Mnu_ImprimEtiq_Click()
{
    if (!m_data1.hasRecordset())
        return;
    ImpEtiq window(state, services, *this, this);
    runModal(window);
}

void frmElvarine::Mnu_imprimFICHE_Click()
{
    if (services.printer)
        ::Mnu_imprimFICHE(state, services, *this);
}

void frmElvarine::Mnu_imprimTOUTESFICHES_Click()
{
    if (services.printer)
        ::Mnu_imprimTOUTESFICHES(state, services, *this, [this] { cmdRefresh_Click(); });
}

void frmElvarine::Mnu_ConfIMP_Click()
{
    if (services.printer)
        configurePrinter(services);
}

void frmElvarine::Mnu_ImpPort_Click()
{
    if (services.printer)
        showOrientation(changeOrientation(services, PrinterSurface::Portrait),
                        action("Mnu_ImpPort"), action("Mnu_ImpPays"));
}

void frmElvarine::Mnu_ImpPays_Click()
{
    if (services.printer)
        showOrientation(changeOrientation(services, PrinterSurface::Landscape),
                        action("Mnu_ImpPort"), action("Mnu_ImpPays"));
}

QAction* frmElvarine::action(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

void frmElvarine::enableCommand(const char* name, bool condition)
{
    QAction* a = action(name);
    a->setEnabled(condition && a->property("built").toBool());
}

void frmElvarine::Mnu_Edition_Click()
{
    const bool pasteReady = state.copy.FicheCopieeOK == 1;
    enableCommand("Mnu_CollerFiche", pasteReady);
    m_buttons[9]->setEnabled(pasteReady);
    const bool again = !state.search.Chaine.isEmpty();
    enableCommand("Mnu_Suivant", again);
    m_buttons[12]->setEnabled(again);
    const QString email = fieldText(FieldBox::Email);
    enableCommand("Mnu_CopierEMail", isFilled(email));
    applyMenuEntry(action("Mnu_Mail"), mailMenuEntry(email));
    const QString url = fieldText(FieldBox::Url);
    enableCommand("Mnu_CopierURL", isFilled(url));
    applyMenuEntry(action("Mnu_ConnectURL"), urlMenuEntry(url));
    enableCommand("Mnu_CopierTel1", isFilled(fieldText(FieldBox::Telephone)));
    enableCommand("Mnu_CopierTel2", isFilled(fieldText(FieldBox::Telephone1)));
    enableCommand("Mnu_CopierTel3", isFilled(fieldText(FieldBox::Portable)));
    enableCommand("Mnu_CopierFAX", isFilled(fieldText(FieldBox::Fax)));
}

// ------------------------------------------------------------------------------ search

void frmElvarine::Mnu_Rechercher_Click()
{
    if (m_searching || !m_data1.hasRecordset())
        return;
    state.search.DemandeArret = 0;
    state.search.Chaine = services.dialogs->inputBox(
        QStringLiteral("Entrez la chaîne de caractères à rechercher"),
        QStringLiteral("Chaîne de caractère à rechercher"), state.search.Chaine);
    if (state.search.Chaine.isEmpty()) {
        m_buttons[12]->setEnabled(false);
        return;
    }
    m_buttons[12]->setEnabled(true);
    state.search.Chaine = state.search.Chaine.toLower();
    state.search.IndexTrouve = listIndex();
    scanList(0, QStringLiteral("Rechercher chaîne"));
}

void frmElvarine::Mnu_Suivant_Click()
{
    if (m_searching || !m_data1.hasRecordset() || state.search.Chaine.isEmpty())
        return;
    state.search.DemandeArret = 0;
    scanList(state.search.IndexTrouve + 1, QStringLiteral("Rechercher suivant"));
}

void frmElvarine::scanList(int from, const QString& notFoundTitle)
{
    m_searching = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_list->setFocus();
    const int generation = m_listGeneration;
    const std::vector<int> positions = m_listModel->positions();
    const int criterion = state.search.CritereRech;
    const auto groups = criterionColumnGroups(criterion);
    const QString chaine = state.search.Chaine;

    // One pass over the records in list order. Each entry passed counts as selected: an entry
    // whose record is not the first stored one becomes the remembered index.
    int indexTrouve = state.search.IndexTrouve;
    int found = -1;
    int cancelledAt = -1;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    auto stopRequested = [&] {
        QCoreApplication::processEvents();
        sinceEvents.restart();
        return state.search.DemandeArret == 1;
    };
    if (from < int(positions.size()) && stopRequested())
        cancelledAt = from;
    if (cancelledAt < 0) {
        try {
            m_data1.recordset().scanInOrder(
                positions, from, groups, [&](int i, const QString& text) {
                    if (sinceEvents.elapsed() >= 25 && stopRequested()) {
                        cancelledAt = i;
                        return false;
                    }
                    if (positions[size_t(i)] > 0)
                        indexTrouve = i;
                    if (textMatches(text, chaine, QChar(Recordset::kGroupSeparator))) {
                        found = i;
                        return false;
                    }
                    return true;
                });
        } catch (const EngineError&) {
        }
    }
    m_searching = false;
    if (generation != m_listGeneration) {
        // The list was rebuilt meanwhile: its entries are no longer the ones scanned.
        QApplication::restoreOverrideCursor();
        return;
    }
    if (cancelledAt >= 0) {
        services.dialogs->msgBox(QStringLiteral("Recherche annulée"), vbInformation,
                                 QStringLiteral("Annulation"));
        state.search.DemandeArret = 0;
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        state.search.IndexTrouve = indexTrouve;
        setListIndex(cancelledAt);
        List1_Click();
        return;
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (found >= 0) {
        state.search.IndexTrouve = indexTrouve;
        setListIndex(found);
        state.search.IndexTrouve = found;
        return;
    }
    services.dialogs->msgBox(QStringLiteral("Chaîne < ") + state.search.Chaine +
                                 QStringLiteral(" > non trouvée"),
                             vbInformation, notFoundTitle);
    state.search.IndexTrouve = indexTrouve;
    setListIndex(indexTrouve);
    List1_Click();
}

void frmElvarine::Mnu_OptionR_Click()
{
    OptionRec window(state, this);
    runModal(window);
}

// ------------------------------------------------------------------------------ copies

void frmElvarine::Mnu_CopieFiche_Click()
{
    for (FieldBox box : kAllFieldBoxes)
        state.copy.FicheCopiee[boxNumber(box)] = fieldText(box);
    state.copy.FicheCopieeOK = 1;
    m_buttons[9]->setEnabled(true);
}

void frmElvarine::Mnu_CollerFiche_Click()
{
    if (state.copy.FicheCopieeOK != 1 || !m_data1.hasRecordset())
        return;
    cmdAdd_Click();
    for (FieldBox box : kAllFieldBoxes)
        setFieldText(box, state.copy.FicheCopiee[boxNumber(box)]);
    cmdRefresh_Click();
}

void frmElvarine::Mnu_CopierAdresse_Click()
{
    if (services.clipboard)
        copyToClipboard(*services.clipboard, NomEtAdresse(*this));
}

void frmElvarine::copyBox(FieldBox box)
{
    if (services.clipboard)
        copyToClipboard(*services.clipboard, fieldText(box));
}

void frmElvarine::Mnu_CopierEMail_Click()
{
    copyBox(FieldBox::Email);
}

void frmElvarine::Mnu_CopierURL_Click()
{
    copyBox(FieldBox::Url);
}

void frmElvarine::Mnu_CopierTel1_Click()
{
    copyBox(FieldBox::Telephone);
}

void frmElvarine::Mnu_CopierTel2_Click()
{
    copyBox(FieldBox::Telephone1);
}

void frmElvarine::Mnu_CopierTel3_Click()
{
    copyBox(FieldBox::Portable);
}

void frmElvarine::Mnu_CopierFAX_Click()
{
    copyBox(FieldBox::Fax);
}

void frmElvarine::Mnu_Aide_Click()
{
    const QString path = programFile(QStringLiteral("Elvarine.HLP"));
    if (!FichierExiste(path)) {
        services.dialogs->msgBox(QStringLiteral("Fichier d'aide ") + path +
                                     QStringLiteral(" introuvable !"),
                                 vbExclamation, QStringLiteral("Erreur"));
        return;
    }
    if (!m_helpWindow)
        m_helpWindow = new HelpWindow(path, this);
    static_cast<HelpWindow*>(m_helpWindow.data())->showContents();
}

void frmElvarine::Mnu_Apropos_Click()
{
    services.dialogs->msgBox(
        QStringLiteral("Elvarine : Version 1.3.2\r\rGestion d'Elvarine Personnel"), vbInformation,
        QStringLiteral("A propos"));
}

// ------------------------------------------------------------------------------ internet

void frmElvarine::Mnu_Mail_Click()
{
    ::Mnu_Mail(state, services, *this);
}

void frmElvarine::Mnu_ConnectURL_Click()
{
    ::Mnu_ConnectURL(state, services, *this);
}

void frmElvarine::Mnu_ConnectInternet_Click()
{
    ::Mnu_ConnectInternet(state, services, *this);
}

// ------------------------------------------------------------------------------ dialing

void frmElvarine::Mnu_Tel_Click()
{
    ::Mnu_Tel_Click(*m_mnuTel, state, *this);
}

void frmElvarine::Mnu_Tel1_Click()
{
    ::Mnu_Tel1_Click(state, services, *this, this, [this](QDialog& d) { return runModal(d); });
}

void frmElvarine::Mnu_Tel2_Click()
{
    ::Mnu_Tel2_Click(state, services, *this, this, [this](QDialog& d) { return runModal(d); });
}

void frmElvarine::Mnu_Tel3_Click()
{
    ::Mnu_Tel3_Click(state, services, *this, this, [this](QDialog& d) { return runModal(d); });
}

void frmElvarine::Mnu_TelElvarine_Click()
{
    ::Mnu_TelElvarine_Click(state, services);
}

void frmElvarine::Mnu_TelWindows_Click()
{
    ::Mnu_TelWindows_Click(state, services);
}

// ------------------------------------------------------------------------------ quitting

bool frmElvarine::confirmQuit()
{
    if (!recordPending())
        return true;
    const int answer = services.dialogs->msgBox(
        QStringLiteral("Enregistrer les modifications de la fiche en cours ?"),
        vbYesNoCancel + vbQuestion, kTitle);
    if (answer == vbCancel)
        return false;
    if (answer == vbYes) {
        cmdRefresh_Click();
        return !recordPending() && !m_frame2->isEnabled();
    }
    return true;
}

void frmElvarine::Mnu_Fermer_Click()
{
    cmdClose_Click();
}

void frmElvarine::cmdClose_Click()
{
    if (!confirmQuit())
        return;
    state.FicAnOuvre = 0;
    endProgram();
}

void frmElvarine::endProgram()
{
    m_quitting = true;
    if (m_helpWindow)
        m_helpWindow->close();
    close();
    emit programEnded();
}

void frmElvarine::closeEvent(QCloseEvent* event)
{
    if (!m_quitting) {
        if (!confirmQuit()) {
            event->ignore();
            return;
        }
        state.FicAnOuvre = 0;
        m_quitting = true;
        if (m_helpWindow)
            m_helpWindow->close();
        emit programEnded();
    }
    event->accept();
}
