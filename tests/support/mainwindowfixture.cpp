#include "mainwindowfixture.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QListView>
#include <QPushButton>
#include <QTest>

MainWindowFixture::MainWindowFixture(bool withMdb)
{
    folder = std::make_unique<FixedFolder>(dir.path());
    services.dialogs = &dialogs;
    services.clipboard = &clipboard;
    services.desktop = &desktop;
    services.folder = folder.get();
    services.printer = &printer;
    services.davClients = &davClients;
    if (withMdb)
        makeAddressFile(path(QStringLiteral("Elvarine.mdb")));
    w = std::make_unique<frmElvarine>(state, services);
}

MainWindowFixture::~MainWindowFixture()
{
    w.reset();
}

frmElvarine& MainWindowFixture::start()
{
    w->Form_Load();
    w->show();
    QApplication::setActiveWindow(w.get());
    w->Form_Activate();
    return *w;
}

frmElvarine& MainWindowFixture::startWith(const QList<QVariantList>& rows)
{
    makeAddressFile(path(QStringLiteral("Elvarine.adb")), rows);
    return start();
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QString workflowControls(const frmElvarine& w)
{
    auto en = [](bool e) { return e ? QLatin1Char('E') : QLatin1Char('D'); };
    auto button = [&w](const char* name) {
        return w.findChild<QPushButton*>(QString::fromLatin1(name));
    };
    QString s;
    s += en(w.findChild<QGroupBox*>(QStringLiteral("Frame2"))->isEnabled());
    s += en(w.list()->isEnabled());
    for (const char* name : {"cmdAdd", "cmdDelete", "cmdRefresh"})
        s += en(button(name)->isEnabled());
    s += en(w.toolbarButton(16)->isEnabled());
    for (const char* name : {"cmdUpdate", "cmdClose"})
        s += en(button(name)->isEnabled());
    s += button("CmdAnnul")->isHidden() ? QLatin1Char('H') : QLatin1Char('V');
    // Toolbar buttons 14, 15 and 17 stay on in every state.
    for (int index : {14, 15, 17}) {
        if (!w.toolbarButton(index)->isEnabled())
            s += QStringLiteral(" toolbar %1 off").arg(index);
    }
    return s;
}

QStringList listLines(const frmElvarine& w)
{
    QStringList out;
    for (int i = 0; i < w.listCount(); ++i)
        out << w.listText(i);
    return out;
}
