#pragma once

#include "core/appstate.h"
#include "core/services.h"
#include "fakerecordform.h"
#include "labels/printparamsfile.h"
#include "printer/orimp.h"
#include "recordingprinter.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <memory>

// Printer settings whose stored orientation is the recording printer's.
class RecordingPrinterSettings : public PrinterSettingsStore
{
public:
    explicit RecordingPrinterSettings(RecordingPrinter& printer) : m_printer(printer) {}
    std::optional<int> orientation(const QString&) override { return m_printer.orientationValue; }
    bool store(const QString&, int orientation) override
    {
        m_printer.orientationValue = orientation;
        return true;
    }

private:
    RecordingPrinter& m_printer;
};

// The label or envelope window over a stand-in of the main window's name list, with scripted
// dialogs, a recording printer and the built-in print parameters (Arial, black).
template <typename Window> struct PrintWindowFixture {
    AppState state;
    ScriptedDialogs dialogs;
    RecordingPrinter printer;
    RecordingPrinterSettings store{printer};
    Services services;
    FakeRecordForm form;
    std::unique_ptr<Window> window;

    PrintWindowFixture()
    {
        services.dialogs = &dialogs;
        services.printer = &printer;
        services.printerSettings = &store;
        state.print = defaultPrintParams(QStringLiteral("Arial"), 0);
        form.selected = 0;
        state.search.IndexTrouve = 0;
    }
    // A new window, shown (which activates it).
    Window& open()
    {
        window = std::make_unique<Window>(state, services, form);
        window->show();
        return *window;
    }
    template <typename T> T* child(const char* name)
    {
        T* w = window->template findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    QAction* action(const char* name) { return child<QAction>(name); }
    bool verifyDone()
    {
        if (!dialogs.done())
            qWarning("dialogs still expected: %s", qPrintable(dialogs.pending()));
        return dialogs.done();
    }
};

// Types `text` into `edit` key by key, as the user would.
inline void typeInto(QLineEdit* edit, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

inline QByteArray fileContents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
