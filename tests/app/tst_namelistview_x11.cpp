// The name list's view against a stock QListView set up the same way on the same model: the same
// pixels, the same current line, selection and scrolling after the same real keys, clicks and
// wheel turns on the shown window, the same accessible list; and a very long list.
#include "app/mainwindowlayout.h"
#include "app/namelistview.h"
#include "userdriver.h"

#include <QAbstractListModel>
#include <QAccessible>
#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <functional>

class TestNameListView : public QObject
{
    Q_OBJECT
private slots:
    void samePixels();
    void sameScrolling();
    void sameKeysAndClicks();
    void sameAccessibleList();
    void longList();
};

namespace
{

// Lines of a few names, some far wider than the list; the last one of a chosen width (the list
// measures its lines by the last one).
class LineModel : public QAbstractListModel
{
public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_count;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
            return QVariant();
        static const char* const names[] = {"Abel",   "Bernard", "Durand",
                                            "Lebrun", "Martin",  "Zola"};
        const int row = index.row();
        if (row == m_count - 1)
            return m_wideLast ? QStringLiteral("Dernière ligne assez longue pour déborder")
                              : QStringLiteral("Zz");
        QString line = QStringLiteral("%1 %2").arg(QLatin1String(names[row % 6])).arg(row);
        if (row % 7 == 3)
            line += QStringLiteral(" Élisabeth-Marie-Josèphe de la Grande Maison du Bout");
        return line;
    }
    // A line added or taken away before `row`.
    void insertAt(int row)
    {
        beginInsertRows(QModelIndex(), row, row);
        ++m_count;
        endInsertRows();
    }
    void removeAt(int row)
    {
        beginRemoveRows(QModelIndex(), row, row);
        --m_count;
        endRemoveRows();
    }
    void reset(int count, bool wideLast)
    {
        beginResetModel();
        m_count = count;
        m_wideLast = wideLast;
        endResetModel();
    }

private:
    int m_count = 0;
    bool m_wideLast = false;
};

// Both lists side by side in one shown, active window, the same size.
struct TwinLists {
    TwinLists()
    {
        model.reset(1000, false);
        stock = new QListView(&window);
        ours = new NameListView(&window);
        setUpNameList(*stock, model);
        setUpNameList(*ours, model);
        stock->setGeometry(0, 0, 230, 260);
        ours->setGeometry(240, 0, 230, 260);
        window.resize(480, 270);
        user = std::make_unique<UserDriver>(&window);
    }
    QList<QListView*> views() const { return {stock, ours}; }
    // The focus on `view` and a layout done, as before the user sees it.
    static void focus(QListView* view)
    {
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        settle(view);
    }
    // Lays out what was left for later (a stock list lays out when asked for a line).
    static void settle(QListView* view) { view->indexAt(QPoint()); }
    static int lineHeight(QListView* view)
    {
        return view->visualRect(view->model()->index(0, 0)).height();
    }

    QWidget window;
    LineModel model;
    QListView* stock = nullptr;
    QListView* ours = nullptr;
    std::unique_ptr<UserDriver> user;
};

struct ViewState {
    int current = -1;
    QList<int> selected;
    int vertical = 0;
    int horizontal = 0;
    bool operator==(const ViewState& o) const
    {
        return current == o.current && selected == o.selected && vertical == o.vertical &&
               horizontal == o.horizontal;
    }
};

ViewState stateOf(const QListView* view)
{
    ViewState s;
    s.current = view->currentIndex().row();
    for (const QModelIndex& i : view->selectionModel()->selectedIndexes())
        s.selected.append(i.row());
    std::sort(s.selected.begin(), s.selected.end());
    s.vertical = view->verticalScrollBar()->value();
    s.horizontal = view->horizontalScrollBar()->value();
    return s;
}

char* describe(const ViewState& s)
{
    QString selected;
    if (s.selected.size() > 12)
        selected = QStringLiteral("%1 lines %2..%3")
                       .arg(s.selected.size())
                       .arg(s.selected.first())
                       .arg(s.selected.last());
    else
        for (int r : s.selected)
            selected += QString::number(r) + QLatin1Char(' ');
    return qstrdup(QStringLiteral("current %1, selected [%2], scrolled %3/%4")
                       .arg(s.current)
                       .arg(selected)
                       .arg(s.vertical)
                       .arg(s.horizontal)
                       .toUtf8()
                       .constData());
}

QPoint lineCentre(QListView* view, int row)
{
    return view->visualRect(view->model()->index(row, 0)).center();
}

void click(QListView* view, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, at);
}

void wheel(QListView* view, int notches)
{
    const QPoint at = view->viewport()->rect().center();
    QWheelEvent event(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &event);
}

QList<QAccessible::Event> g_events;
QList<int> g_eventChildren;
void recordEvent(QAccessibleEvent* event)
{
    if (event->type() == QAccessible::Focus || event->type() == QAccessible::SelectionAdd) {
        g_events.append(event->type());
        g_eventChildren.append(event->child());
    }
}

} // namespace

void TestNameListView::samePixels()
{
    TwinLists t;
    for (const bool wideLast : {false, true}) {
        t.model.reset(1000, wideLast);
        for (QListView* v : t.views()) {
            TwinLists::settle(v);
            auto* s = v->selectionModel();
            s->setCurrentIndex(t.model.index(3, 0), QItemSelectionModel::ClearAndSelect);
            s->select(QItemSelection(t.model.index(2, 0), t.model.index(5, 0)),
                      QItemSelectionModel::Select);
            s->select(t.model.index(10, 0), QItemSelectionModel::Select);
        }
        QCOMPARE(t.ours->horizontalScrollBar()->maximum() > 0, wideLast);
        const int end = t.stock->verticalScrollBar()->maximum();
        for (const int scrolled : {0, 37, end / 2 + 5, end}) {
            for (QListView* v : t.views()) {
                v->verticalScrollBar()->setValue(scrolled);
                v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->maximum() / 2);
            }
            QImage focused[2];
            QImage unfocused[2];
            for (int i = 0; i < 2; ++i) {
                QListView* v = t.views()[i];
                TwinLists::focus(v);
                focused[i] = v->grab().toImage();
                unfocused[1 - i] = t.views()[1 - i]->grab().toImage();
            }
            const QString where =
                QStringLiteral("wide last line %1, scrolled %2").arg(wideLast).arg(scrolled);
            if (focused[0] != focused[1]) {
                focused[0].save(QStringLiteral("/tmp/nlv-stock.png"));
                focused[1].save(QStringLiteral("/tmp/nlv-ours.png"));
            }
            QVERIFY2(focused[0] == focused[1], qPrintable(where));
            QVERIFY2(unfocused[0] == unfocused[1], qPrintable(where));
            for (const auto bar : {&QAbstractScrollArea::verticalScrollBar,
                                   &QAbstractScrollArea::horizontalScrollBar}) {
                QCOMPARE((t.ours->*bar)()->maximum(), (t.stock->*bar)()->maximum());
                QCOMPARE((t.ours->*bar)()->singleStep(), (t.stock->*bar)()->singleStep());
                QCOMPARE((t.ours->*bar)()->pageStep(), (t.stock->*bar)()->pageStep());
                QCOMPARE((t.ours->*bar)()->isVisible(), (t.stock->*bar)()->isVisible());
            }
        }
    }
}

void TestNameListView::sameScrolling()
{
    // What the screen shows after the wheel scrolled each list (the viewport moved, only the
    // lines uncovered painted), neither list focused.
    TwinLists t;
    t.stock->clearFocus();
    t.ours->clearFocus();
    QScreen* screen = t.window.screen();
    const auto shown = [&t, screen](QListView* v) {
        return screen->grabWindow(t.window.winId(), v->x(), v->y(), v->width(), v->height())
            .toImage();
    };
    for (const int notches : {1, 2, -1, 7, -3}) {
        for (QListView* v : t.views())
            wheel(v, notches);
        QCOMPARE(t.ours->verticalScrollBar()->value(), t.stock->verticalScrollBar()->value());
        QTRY_VERIFY(shown(t.ours) == shown(t.stock));
    }
}

void TestNameListView::sameKeysAndClicks()
{
    TwinLists t;
    const int h = TwinLists::lineHeight(t.stock);
    QVERIFY(h > 0);
    UserDriver& user = *t.user;
    using Step = std::function<void(QListView*)>;
    const auto key = [&user](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return Step([&user, k, m](QListView*) { user.key(k, m); });
    };
    const auto clickAt = [h](int y, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return Step([y, m](QListView* v) { click(v, QPoint(40, y), m); });
    };
    const QList<Step> steps = {
        clickAt(5 * h + h / 2),
        key(Qt::Key_Down),
        key(Qt::Key_Down),
        key(Qt::Key_Down, Qt::ShiftModifier),
        key(Qt::Key_Down, Qt::ShiftModifier),
        key(Qt::Key_PageDown),
        key(Qt::Key_PageDown, Qt::ShiftModifier),
        key(Qt::Key_PageUp),
        key(Qt::Key_Up, Qt::ShiftModifier),
        key(Qt::Key_End),
        key(Qt::Key_Down),
        key(Qt::Key_PageDown),
        key(Qt::Key_PageUp, Qt::ShiftModifier),
        key(Qt::Key_PageUp),
        key(Qt::Key_Home, Qt::ShiftModifier),
        key(Qt::Key_Home),
        key(Qt::Key_Up),
        key(Qt::Key_PageUp),
        key(Qt::Key_Down, Qt::ControlModifier),
        key(Qt::Key_Down, Qt::ControlModifier),
        key(Qt::Key_Space, Qt::ControlModifier),
        key(Qt::Key_Right),
        key(Qt::Key_Left),
        clickAt(2 * h + 1, Qt::ControlModifier),
        clickAt(9 * h + h - 1, Qt::ShiftModifier),
        clickAt(7 * h, Qt::ControlModifier),
        [](QListView* v) { wheel(v, 2); },
        clickAt(h / 2),
        [](QListView* v) { wheel(v, -1); },
        clickAt(3 * h + 2, Qt::ShiftModifier),
        // A drag from one line to another.
        [h](QListView* v) {
            QTest::mousePress(v->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(30, h / 2));
            QTest::mouseMove(v->viewport(), QPoint(50, 4 * h + 3));
            QTest::mouseRelease(v->viewport(), Qt::LeftButton, Qt::NoModifier,
                                QPoint(50, 4 * h + 3));
        },
        key(Qt::Key_A, Qt::ControlModifier),
        key(Qt::Key_M),
        key(Qt::Key_End, Qt::ShiftModifier),
        key(Qt::Key_Z),
        clickAt(t.stock->viewport()->height() - 2),
    };
    QList<ViewState> states[2];
    for (int i = 0; i < 2; ++i) {
        QListView* v = t.views()[i];
        TwinLists::focus(v);
        for (const Step& step : steps) {
            step(v);
            QCOMPARE(QApplication::focusWidget(), v);
            states[i].append(stateOf(v));
        }
    }
    for (int s = 0; s < steps.size(); ++s) {
        const QByteArray where = "after step " + QByteArray::number(s + 1);
        QVERIFY2(states[1][s] == states[0][s],
                 where + ": " + describe(states[1][s]) + " instead of " + describe(states[0][s]));
    }
    // The steps went through the whole list and back.
    QCOMPARE(states[0][9].current, 999);
    QCOMPARE(states[0][31].selected.size(), 1000);
}

void TestNameListView::sameAccessibleList()
{
    TwinLists t;
    t.model.reset(1000, true);
    QAccessibleInterface* a[2];
    for (int i = 0; i < 2; ++i) {
        QListView* v = t.views()[i];
        TwinLists::settle(v);
        v->verticalScrollBar()->setValue(5 * TwinLists::lineHeight(v) + 3);
        a[i] = QAccessible::queryAccessibleInterface(v);
        QVERIFY(a[i]);
        QCOMPARE(a[i]->role(), QAccessible::List);
        QCOMPARE(a[i]->text(QAccessible::Name), QStringLiteral("Liste des noms"));
        QCOMPARE(a[i]->childCount(), 1000);
    }
    const QPoint shift = t.ours->mapToGlobal(QPoint()) - t.stock->mapToGlobal(QPoint());
    for (const int row : {0, 4, 5, 6, 9, 14, 500, 999}) {
        QAccessibleInterface* mine = a[1]->child(row);
        QAccessibleInterface* theirs = a[0]->child(row);
        QVERIFY(mine && theirs);
        QCOMPARE(mine->role(), theirs->role());
        QCOMPARE(mine->text(QAccessible::Name), t.model.index(row, 0).data().toString());
        QCOMPARE(mine->rect(), theirs->rect().translated(shift));
        QCOMPARE(mine->state().invisible, theirs->state().invisible);
        QCOMPARE(a[1]->indexOfChild(mine), row);
        if (!theirs->state().invisible) {
            const QPoint at = theirs->rect().center();
            QCOMPARE(a[1]->indexOfChild(a[1]->childAt(at.x() + shift.x(), at.y() + shift.y())),
                     a[0]->indexOfChild(a[0]->childAt(at.x(), at.y())));
        }
    }
    // A screen reader is told of the line reached and selected, by its place in the list.
    QAccessible::installUpdateHandler(recordEvent);
    QTRY_VERIFY(QAccessible::isActive());
    QList<QList<int>> told;
    for (QListView* v : t.views()) {
        TwinLists::focus(v);
        g_events.clear();
        g_eventChildren.clear();
        click(v, lineCentre(v, 7));
        t.user->key(Qt::Key_Down);
        t.user->key(Qt::Key_Down, Qt::ShiftModifier);
        told.append(g_eventChildren);
        QVERIFY(g_events.contains(QAccessible::Focus));
    }
    QAccessible::installUpdateHandler(nullptr);
    QCOMPARE(told[1], told[0]);
    QVERIFY(told[0].contains(8));
}

void TestNameListView::longList()
{
    const int lines = 2000000;
    QWidget window;
    LineModel model;
    model.reset(10, false);
    auto* view = new NameListView(&window);
    setUpNameList(*view, model);
    view->setGeometry(0, 0, 230, 260);
    UserDriver user(&window);
    TwinLists::focus(view);
    model.reset(lines, false);
    TwinLists::settle(view);
    QCOMPARE(view->currentIndex().row(), -1);
    const int h = TwinLists::lineHeight(view);
    QVERIFY(h > 0);
    QScrollBar* bar = view->verticalScrollBar();
    QCOMPARE(bar->maximum(), lines * h - view->viewport()->height());

    // The first key makes the first line current, as in any list.
    user.key(Qt::Key_End);
    QCOMPARE(view->currentIndex().row(), 0);
    user.key(Qt::Key_End);
    QCOMPARE(view->currentIndex().row(), lines - 1);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(view->visualRect(view->currentIndex()).bottom(), view->viewport()->height() - 1);
    // The line under a click, wherever the list is scrolled.
    const int y = view->viewport()->height() / 2;
    click(view, QPoint(20, y));
    const int clicked = (bar->value() + y) / h;
    QCOMPARE(view->currentIndex().row(), clicked);
    QCOMPARE(view->indexAt(QPoint(20, y)).row(), clicked);
    QCOMPARE(view->selectionModel()->selectedIndexes().size(), 1);
    user.key(Qt::Key_PageUp);
    const int pageUp = view->currentIndex().row();
    QVERIFY(pageUp < clicked && pageUp >= clicked - view->viewport()->height() / h);
    // A line added before it, then one taken away: the same line current, the list as long.
    model.insertAt(10);
    TwinLists::settle(view);
    QCOMPARE(view->currentIndex().row(), pageUp + 1);
    QCOMPARE(bar->maximum(), (lines + 1) * h - view->viewport()->height());
    model.removeAt(0);
    model.removeAt(0);
    TwinLists::settle(view);
    QCOMPARE(view->currentIndex().row(), pageUp - 1);
    QCOMPARE(bar->maximum(), (lines - 1) * h - view->viewport()->height());
    model.insertAt(0);
    TwinLists::settle(view);

    // Every line selected as one range; then a new, shorter list.
    user.key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view->selectionModel()->selection().size(), 1);
    QCOMPARE(view->selectionModel()->selection().first().height(), lines);
    model.reset(lines / 2, false);
    TwinLists::settle(view);
    QCOMPARE(bar->maximum(), lines / 2 * h - view->viewport()->height());
    QCOMPARE(bar->value(), bar->maximum());
    click(view, QPoint(20, 1));
    QCOMPARE(view->currentIndex().row(), bar->value() / h);
    user.key(Qt::Key_Home);
    QCOMPARE(view->currentIndex().row(), 0);
    QCOMPARE(bar->value(), 0);
}

// Run with QT_LINUX_ACCESSIBILITY_ALWAYS_ON on a session bus with the accessibility bus (see
// scripts/a11y-session.sh): the screen reader's events are sent only while one could listen.
QTEST_MAIN(TestNameListView)
#include "tst_namelistview_x11.moc"
