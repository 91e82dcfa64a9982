#include "mainwindowfixture.h"

#include <QApplication>
#include <QListView>
#include <QTest>

MainWindowFixture::MainWindowFixture(bool withMdb)
{
    folder = std::make_unique<FixedFolder>(dir.path());
    services.dialogs = &dialogs;
    services.clipboard = &clipboard;
    services.desktop = &desktop;
    services.folder = folder.get();
    services.printer = &printer;
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

QStringList listLines(const frmElvarine& w)
{
    QStringList out;
    for (int i = 0; i < w.listCount(); ++i)
        out << w.listText(i);
    return out;
}
