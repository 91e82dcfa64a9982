// The name list's filter box and its extended selection, driven by real keys and mouse clicks on
// the shown window under Xvfb.
#include "mainwindowfixture.h"
#include "userdriver.h"

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QToolButton>

class TestNameListX11 : public QObject
{
    Q_OBJECT
private slots:
    void filterBox();
    void filterClearButton();
    void extendedSelection();
};

namespace
{

const QList<QVariantList> kRows = {
    {"Durand", "Hélène", QVariant(), QVariant(), QVariant(), QVariant(), "Lyon"},
    {"Martin", "Paul", QVariant(), QVariant(), QVariant(), QVariant(), "Besançon"},
    {"Zola", "Émile", QVariant(), QVariant(), QVariant(), QVariant(), "Paris"},
    {"Lebrun", "Anne", QVariant(), QVariant(), QVariant(), QVariant(), "Lyon"},
    {"Abel", "Marc", QVariant(), QVariant(), QVariant(), QVariant(), "HELENEVILLE"},
};

void clickRow(QListView* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, r.center());
}

} // namespace

void TestNameListX11::filterBox()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith(kRows);
    UserDriver user(&w);
    QLineEdit* box = w.findChild<QLineEdit*>(QStringLiteral("txtFiltre"));
    QVERIFY(box);
    QCOMPARE(box->accessibleName(), QStringLiteral("Filtrer la liste"));
    QCOMPARE(box->placeholderText(), QStringLiteral("Filtrer…"));
    // The record shown before filtering: Lebrun Anne.
    w.setListIndex(2);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Lebrun"));

    user.keys(QKeySequence(QStringLiteral("Ctrl+L")));
    QCOMPARE(QApplication::focusWidget(), box);
    // Accents and letter case aside, in any field: Hélène (first name), HELENEVILLE (town).
    user.type(QStringLiteral("hÉlene"));
    QTRY_COMPARE(listLines(w), QStringList({"Abel Marc", "Durand Hélène"}));
    // The record shown was filtered out: the first line is selected and shown.
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Abel"));
    user.key(Qt::Key_Escape);
    QCOMPARE(box->text(), QString());
    QCOMPARE(listLines(w).size(), 5);
    QCOMPARE(w.listText(w.listIndex()), QStringLiteral("Abel Marc"));

    // A store while filtered: the filter stays, the record changed leaves it.
    user.keys(QKeySequence(QStringLiteral("Ctrl+L")));
    user.type(QStringLiteral("lyon"));
    QTRY_COMPARE(listLines(w), QStringList({"Durand Hélène", "Lebrun Anne"}));
    w.setListIndex(1);
    w.cmdUpdate_Click();
    w.setFieldText(FieldBox::Ville, QStringLiteral("Nantes"));
    w.cmdRefresh_Click();
    QCOMPARE(box->text(), QStringLiteral("lyon"));
    QCOMPARE(listLines(w), QStringList({"Durand Hélène"}));
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Durand"));
    // The record stored is found by its new text as the filter changes.
    box->setFocus();
    user.key(Qt::Key_Escape);
    user.type(QStringLiteral("NANTES"));
    QTRY_COMPARE(listLines(w), QStringList({"Lebrun Anne"}));
    box->selectAll();
    user.type(QStringLiteral("lyo"));
    QTRY_COMPARE(listLines(w), QStringList({"Durand Hélène"}));
    // Emptied, every line comes back with the same record selected.
    box->setFocus();
    user.key(Qt::Key_Escape);
    QCOMPARE(listLines(w).size(), 5);
    QCOMPARE(w.listText(w.listIndex()), QStringLiteral("Durand Hélène"));
}

void TestNameListX11::filterClearButton()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith(kRows);
    UserDriver user(&w);
    QLineEdit* box = w.filterBox();
    // The box's button, added when the box first showed, appears with a text and empties it.
    const auto* button = box->findChild<QToolButton*>();
    QVERIFY(button);
    user.keys(QKeySequence(QStringLiteral("Ctrl+L")));
    user.type(QStringLiteral("paris"));
    QTRY_COMPARE(listLines(w), QStringList({"Zola Émile"}));
    QTRY_VERIFY(button->isVisible() && button->isEnabled());
    QTest::mouseClick(const_cast<QToolButton*>(button), Qt::LeftButton, Qt::NoModifier,
                      button->rect().center());
    QCOMPARE(box->text(), QString());
    QTRY_COMPARE(listLines(w).size(), 5);
}

void TestNameListX11::extendedSelection()
{
    MainWindowFixture f;
    frmElvarine& w = f.startWith(kRows);
    UserDriver user(&w);
    QListView* list = w.list();
    // Abel, Durand, Lebrun, Martin, Zola.
    clickRow(list, 1);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Durand"));
    QCOMPARE(w.selectedRecordPositions(), std::vector<int>({0}));
    QCOMPARE(w.selectionPanelText(), QString());
    clickRow(list, 3, Qt::ControlModifier);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Martin"));
    QCOMPARE(w.selectedRecordPositions(), std::vector<int>({0, 1}));
    QCOMPARE(w.selectionPanelText(), QStringLiteral("2 lignes sélectionnées"));
    clickRow(list, 4, Qt::ShiftModifier);
    QCOMPARE(w.selectionPanelText(), QStringLiteral("3 lignes sélectionnées"));
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Zola"));
    // A plain click selects one line again; Shift+arrows extend from it.
    clickRow(list, 0);
    QCOMPARE(w.selectionPanelText(), QString());
    QCOMPARE(QApplication::focusWidget(), list);
    user.key(Qt::Key_Down, Qt::ShiftModifier);
    user.key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Lebrun"));
    QCOMPARE(w.selectedRecordPositions(), std::vector<int>({4, 0, 3}));
    QCOMPARE(w.selectionPanelText(), QStringLiteral("3 lignes sélectionnées"));
    user.key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(w.selectionPanelText(), QStringLiteral("5 lignes sélectionnées"));
    // The commands still work on the record shown.
    QCOMPARE(w.panelText(1), QStringLiteral("Lebrun Anne "));
    user.key(Qt::Key_Down);
    QCOMPARE(w.selectionPanelText(), QString());
    QCOMPARE(w.fieldText(FieldBox::Nom), QStringLiteral("Martin"));
}

QTEST_MAIN(TestNameListX11)
#include "tst_namelist_x11.moc"
