#include "app/helpwindow.h"
#include "platform/windowkeys.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(const QString& helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window), m_file(helpFile)
{
    setObjectName(QStringLiteral("HelpWindow"));
    useWindowKeyRules();
    setWindowTitle(QStringLiteral("Aide d'Elvarine"));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto* contents = new QPushButton(QStringLiteral("&Sommaire"), this);
    auto* back = new QPushButton(QStringLiteral("&Précédent"), this);
    auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({QFileInfo(helpFile).absolutePath()});
    layout->addWidget(m_browser);
    connect(contents, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // Escape closes it, as it closes the program's other windows.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    resize(640, 560);
}

void HelpWindow::showContents()
{
    m_browser->setSource(QUrl::fromLocalFile(m_file), QTextDocument::HtmlResource);
    m_browser->scrollToAnchor(QStringLiteral("sommaire"));
    if (!isVisible())
        placeOverMainWindow();
    show();
    raise();
    activateWindow();
}

void HelpWindow::placeOverMainWindow()
{
    const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    if (!main)
        return;
    // Centred over the window it helps with, and whole on that window's screen. Its frame is
    // not known before it is first shown: the window manager gives it the main window's.
    QRect frame(QPoint(), size() + main->frameGeometry().size() - main->geometry().size());
    frame.moveCenter(main->frameGeometry().center());
    if (const QScreen* screen = main->screen()) {
        const QRect room = screen->availableGeometry();
        frame.moveLeft(std::max(room.left(), std::min(frame.left(), room.right() - frame.width())));
        frame.moveTop(std::max(room.top(), std::min(frame.top(), room.bottom() - frame.height())));
    }
    move(frame.topLeft());
}
