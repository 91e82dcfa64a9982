#pragma once

#include "core/appstate.h"
#include "core/services.h"
#include "fakerecordform.h"
#include "filebytes.h"
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
    // Over the three records Durand Marie, Martin Paul and Petit Zoé: the window's move buttons
    // (previous on the first line and next on the last do nothing), the list's selection, the
    // search index and the address shown follow each other. Ends on the first record, whose
    // block starts with `first`.
    void walkTheNameList(const QString& first)
    {
        Window& w = *window;
        QTest::mouseClick(w.moveButton(ListMove::Previous), Qt::LeftButton);
        QVERIFY(form.selections.isEmpty());
        QCOMPARE(state.search.IndexTrouve, 0);

        QTest::mouseClick(w.moveButton(ListMove::Next), Qt::LeftButton);
        QCOMPARE(form.selected, 1);
        QCOMPARE(state.search.IndexTrouve, 1);
        QVERIFY(w.addressPreview()->text().startsWith(QStringLiteral("Martin Paul\n")));

        QTest::mouseClick(w.moveButton(ListMove::Last), Qt::LeftButton);
        QCOMPARE(form.selected, 2);
        QCOMPARE(state.search.IndexTrouve, 2);
        QVERIFY(w.addressPreview()->text().startsWith(QStringLiteral("Petit Zoé\n")));

        const int before = int(form.selections.size());
        QTest::mouseClick(w.moveButton(ListMove::Next), Qt::LeftButton);
        QCOMPARE(form.selections.size(), before);
        QCOMPARE(state.search.IndexTrouve, 2);

        QTest::mouseClick(w.moveButton(ListMove::Previous), Qt::LeftButton);
        QCOMPARE(form.selected, 1);
        QTest::mouseClick(w.moveButton(ListMove::First), Qt::LeftButton);
        QCOMPARE(form.selected, 0);
        QCOMPARE(state.search.IndexTrouve, 0);
        QVERIFY(w.addressPreview()->text().startsWith(first));
    }
    // "Police..." answered with `chosen` over the built-in Arial 10, then cancelled: the address
    // preview and the print parameters take the font chosen; the cancelled choice changes
    // nothing.
    void choosePrintFont(const FontSpec& chosen)
    {
        FontSpec preset;
        preset.name = QStringLiteral("Arial");
        preset.size = 10;
        dialogs.expectFont(chosen, preset);
        action("Mnu_Police")->trigger();
        QCOMPARE(window->addressPreview()->font().family(), chosen.name);
        QCOMPARE(state.print.FontName, chosen.name);
        QCOMPARE(state.print.FontSize, chosen.size);
        dialogs.expectFont(std::nullopt);
        action("Mnu_Police")->trigger();
        QCOMPARE(state.print.FontName, chosen.name);
    }
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
    return fileBytes(path);
}
