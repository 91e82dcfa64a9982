// Every window of the program, in each of its states that shows other controls, and every menu:
// a letter pressed with Alt reaches one thing only.
#include "app/helpwindow.h"
#include "app/optionrec.h"
#include "contacts/csvmappingdialog.h"
#include "contacts/importsummarydialog.h"
#include "envelopes/frmutil.h"
#include "envelopes/impenv.h"
#include "labels/impetiq.h"
#include "mainwindowfixture.h"
#include "phone/dialer.h"
#include "phone/portcom.h"
#include "userdriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace
{

// What answers each Alt+letter, by the letter.
using Owners = QMap<QString, QStringList>;

void add(Owners& owners, const QString& caption, const QString& owner)
{
    const QKeySequence keys = QKeySequence::mnemonic(caption);
    if (!keys.isEmpty())
        owners[keys.toString()] << QStringLiteral("%1 \"%2\"").arg(owner, caption);
}

QStringList clashes(const Owners& owners, const QString& where)
{
    QStringList out;
    for (auto it = owners.begin(); it != owners.end(); ++it) {
        if (it.value().size() > 1)
            out << QStringLiteral("%1, %2: %3").arg(where, it.key(), it.value().join(", "));
    }
    return out;
}

// Letters used twice: among the controls visible together in `window` with its menu bar's
// titles (Alt+letter reaches both), and among the entries of each of its menus.
QStringList mnemonicClashes(QWidget* window)
{
    auto shown = [window](QWidget* w) { return w->window() == window && w->isVisibleTo(window); };
    Owners controls;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (shown(b))
            add(controls, b->text(), b->objectName());
    }
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (shown(l) && l->buddy())
            add(controls, l->text(), l->objectName());
    }
    for (QGroupBox* g : window->findChildren<QGroupBox*>()) {
        if (shown(g))
            add(controls, g->title(), g->objectName());
    }
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (QAction* a : bar->actions()) {
            if (a->isVisible())
                add(controls, a->text(), QStringLiteral("menu"));
        }
    }
    QStringList out = clashes(controls, window->objectName());
    for (QMenu* menu : windowMenus(window)) {
        Owners entries;
        for (QAction* a : menu->actions()) {
            if (a->isVisible() && !a->isSeparator())
                add(entries, a->text(), a->objectName());
        }
        out += clashes(entries, window->objectName() + QStringLiteral(" menu ") + menu->title());
    }
    return out;
}

} // namespace

class TestMnemonics : public QObject
{
    Q_OBJECT
private slots:
    void unique_data();
    void unique();
};

void TestMnemonics::unique_data()
{
    QTest::addColumn<QString>("window");
    for (const char* window :
         {"main window, browsing", "main window, modifying", "help", "labels, selected label",
          "labels, identical labels", "envelopes", "envelopes, own position", "sender", "dialer",
          "port", "search options", "CSV columns", "import summary"})
        QTest::newRow(window) << window;
}

void TestMnemonics::unique()
{
    QFETCH(QString, window);
    MainWindowFixture f;
    frmElvarine& w = f.startWith({{"Durand", "Marie"}, {"Zola", "Émile"}});
    std::unique_ptr<QWidget> other;
    QWidget* checked = &w;
    if (window == QLatin1String("main window, modifying")) {
        UserDriver user(&w);
        user.alt(QLatin1Char('M'));
        QTRY_VERIFY(w.findChild<QWidget*>(QStringLiteral("CmdAnnul"))->isVisible());
    } else if (window == QLatin1String("help")) {
        other = std::make_unique<HelpWindow>(QStringLiteral(ELVARINE_PROGRAM_DIR "/Elvarine.HLP"));
    } else if (window.startsWith(QLatin1String("labels"))) {
        auto labels = std::make_unique<ImpEtiq>(f.state, f.services, w);
        labels->show();
        if (window.contains(QLatin1String("identical")))
            labels->findChild<QRadioButton*>(QStringLiteral("Option1"))->click();
        other = std::move(labels);
    } else if (window.startsWith(QLatin1String("envelopes"))) {
        auto envelopes = std::make_unique<ImpEnv>(f.state, f.services, w);
        envelopes->show();
        if (window.contains(QLatin1String("own position")))
            envelopes->formatOption(EnvelopeFormatId::Custom)->click();
        other = std::move(envelopes);
    } else if (window == QLatin1String("sender")) {
        other = std::make_unique<FrmUtil>(f.state, f.services);
    } else if (window == QLatin1String("dialer")) {
        other = std::make_unique<DIALER>(f.state, f.services);
    } else if (window == QLatin1String("port")) {
        other = std::make_unique<PortCom>(f.state, f.services);
    } else if (window == QLatin1String("search options")) {
        other = std::make_unique<OptionRec>(f.state);
    } else if (window == QLatin1String("CSV columns")) {
        CsvTable table;
        table.rows = {{"x", "y"}, {"1", "2"}};
        other = std::make_unique<CsvMappingDialog>(table);
    } else if (window == QLatin1String("import summary")) {
        other = std::make_unique<ImportSummaryDialog>(ImportSummary(), f.dialogs);
    }
    if (other) {
        other->show();
        checked = other.get();
    }
    const QStringList found = mnemonicClashes(checked);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestMnemonics)
#include "tst_mnemonics.moc"
