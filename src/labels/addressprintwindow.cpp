#include "labels/addressprintwindow.h"

#include "core/appstate.h"
#include "core/recordform.h"
#include "core/services.h"
#include "labels/printfontpreview.h"
#include "labels/printparamsfile.h"
#include "platform/commondialog.h"
#include "platform/windowkeys.h"
#include "printer/orientationcommands.h"
#include "printer/orientationmarks.h"
#include "printer/printersurface.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

AddressPrintWindow::AddressPrintWindow(AppState& appState, Services& appServices,
                                       RecordForm& recordForm, const QString& name,
                                       const QString& title, QWidget* parent)
    : QDialog(parent), state(appState), services(appServices), form(recordForm)
{
    setObjectName(name);
    setWindowTitle(title);
    useWindowKeyRules();
    if (services.dialogs)
        m_parameterFileDialog = std::make_unique<CommonDialog>(*services.dialogs);
    auto* top = new QVBoxLayout(this);
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    top->setMenuBar(m_menuBar);
}

AddressPrintWindow::~AddressPrintWindow() = default;

QPushButton* AddressPrintWindow::moveButton(ListMove move) const
{
    return m_moveButtons[size_t(move)];
}

void AddressPrintWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

// ------------------------------------------------------------------------------ building

QVBoxLayout* AddressPrintWindow::topLayout() const
{
    return static_cast<QVBoxLayout*>(layout());
}

QGroupBox* AddressPrintWindow::makeFrame(const char* name, const QString& title)
{
    auto* frame = new QGroupBox(title, this);
    frame->setObjectName(QLatin1String(name));
    return frame;
}

QPushButton* AddressPrintWindow::makeButton(QWidget* parent, const char* name,
                                            const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QPushButton* AddressPrintWindow::makePreviewButton(QWidget* parent)
{
    QPushButton* button =
        makeButton(parent, "cmdApercu", QStringLiteral("Aperçu a&vant impression"));
    button->setIcon(QIcon::fromTheme(QStringLiteral("document-print-preview")));
    return button;
}

QLabel* AddressPrintWindow::makeOverflowWarning(QWidget* parent, const QString& what)
{
    return makeWarning(parent, "Debordement",
                       QStringLiteral("Attention : une ligne dépasse le bord de ") + what +
                           QLatin1Char('.'));
}

QLabel* AddressPrintWindow::makeWarning(QWidget* parent, const char* name, const QString& text)
{
    auto* warning = new QLabel(text, parent);
    warning->setObjectName(QLatin1String(name));
    warning->setWordWrap(true);
    QPalette pal = warning->palette();
    pal.setColor(QPalette::WindowText, QColor(176, 0, 0));
    warning->setPalette(pal);
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    warning->setVisible(false);
    return warning;
}

QBoxLayout* AddressPrintWindow::makeMoveButtons(const std::array<MoveButton, 4>& buttons)
{
    auto* row = new QHBoxLayout;
    for (const MoveButton& b : buttons) {
        QPushButton* button = makeButton(this, b.name, QString::fromUtf8(b.caption));
        if (b.accessibleName)
            button->setAccessibleName(QString::fromUtf8(b.accessibleName));
        row->addWidget(button);
        m_moveButtons[size_t(b.move)] = button;
        connect(button, &QPushButton::clicked, this, [this, move = b.move] { moveRecord(move); });
    }
    return row;
}

void AddressPrintWindow::makeOrientationButtons(QWidget* parent, const char* portraitName,
                                                const QString& portraitCaption,
                                                const char* landscapeName,
                                                const QString& landscapeCaption)
{
    m_portraitButton = makeButton(parent, portraitName, portraitCaption);
    m_landscapeButton = makeButton(parent, landscapeName, landscapeCaption);
    connect(m_portraitButton, &QPushButton::clicked, this, &AddressPrintWindow::printerToPortrait);
    connect(m_landscapeButton, &QPushButton::clicked, this,
            &AddressPrintWindow::printerToLandscape);
}

QMenu* AddressPrintWindow::addTopMenu(const char* name, const QString& caption)
{
    QMenu* menu = m_menuBar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

QAction* AddressPrintWindow::newItem(QMenu* menu, const char* name, const QString& caption,
                                     const QKeySequence& key)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) {
        a->setShortcut(key);
        addAction(a);
    }
    return a;
}

void AddressPrintWindow::addOrientationItems(QMenu* menu)
{
    m_portraitAction =
        newItem(menu, "Mnu_ImpPort", QStringLiteral("Imprimante en mode Portrait"), QKeySequence());
    m_landscapeAction =
        newItem(menu, "Mnu_ImpPays", QStringLiteral("Imprimante en mode Paysage"), QKeySequence());
    for (QAction* a : {m_portraitAction, m_landscapeAction}) {
        a->setCheckable(true);
        // The marks show what the printer reports, not the click.
        keepMarkOnClick(a);
    }
    connect(m_portraitAction, &QAction::triggered, this, &AddressPrintWindow::printerToPortrait);
    connect(m_landscapeAction, &QAction::triggered, this, &AddressPrintWindow::printerToLandscape);
}

// ------------------------------------------------------------------------------ commands

void AddressPrintWindow::switchOrientation(int orientation)
{
    if (services.printer && services.dialogs) {
        showOrientation(changeOrientation(services, orientation), m_portraitAction,
                        m_landscapeAction, m_orientationLabel);
        printerChanged();
    }
}

void AddressPrintWindow::printerToPortrait()
{
    switchOrientation(PrinterSurface::Portrait);
}

void AddressPrintWindow::printerToLandscape()
{
    switchOrientation(PrinterSurface::Landscape);
}

void AddressPrintWindow::showPrinterOrientation(bool withStatus)
{
    if (services.printer)
        refreshOrientationMarks(services, m_portraitAction, m_landscapeAction,
                                withStatus ? m_orientationLabel : nullptr);
}

void AddressPrintWindow::chooseFont()
{
    if (services.dialogs)
        choosePrintFont(*services.dialogs, *m_addressPreview, state.print);
    printFontChanged();
}

void AddressPrintWindow::chooseColour()
{
    if (services.dialogs)
        choosePrintColor(*services.dialogs, *m_addressPreview, state.print);
    printFontChanged();
}

void AddressPrintWindow::setUpPrinter()
{
    if (configurePrinter(services))
        printerChanged();
}

std::optional<QString> AddressPrintWindow::loadParameterFile()
{
    if (!m_parameterFileDialog)
        return std::nullopt;
    return chargerParametres(state, *m_parameterFileDialog);
}

std::optional<QString> AddressPrintWindow::askParameterFileToSave()
{
    if (!m_parameterFileDialog)
        return std::nullopt;
    const std::optional<QString> path = choisirFichierParametres(state, *m_parameterFileDialog);
    if (!path)
        m_parameterFileDialog->CancelError = false;
    return path;
}
