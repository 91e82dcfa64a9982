#include "app/helpwindow.h"
#include "platform/windowkeys.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
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
    resize(640, 560);
}

void HelpWindow::showContents()
{
    m_browser->setSource(QUrl::fromLocalFile(m_file), QTextDocument::HtmlResource);
    m_browser->scrollToAnchor(QStringLiteral("sommaire"));
    show();
    raise();
    activateWindow();
}
