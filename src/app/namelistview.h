#pragma once

#include <QListView>
#include <QPersistentModelIndex>

// A list view whose lines all have the height of one: a line's place is its row times that
// height, the line at a point is the point's height divided by it. Nothing is laid out line by
// line, so a reset, an insert, a remove, a scroll or a click costs the same whatever the number
// of lines; painting costs the lines shown.
//
// It looks and answers as a QListView in list mode with uniform item sizes, scrolled by pixels:
// the same style, selection colours, focus rectangle and elided texts (the item delegate draws
// each line), the same keys, clicks and extended selection, the same scroll bar ranges and
// steps, and it stays a QListView for accessibility (a list whose children are its lines).
// Supported: a flow from top to bottom without wrapping, no spacing, no grid, no hidden rows,
// one model column; the view is set up so by default.
class NameListView : public QListView
{
    Q_OBJECT
public:
    explicit NameListView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;
    void reset() override;

public slots:
    // One range for every line.
    void selectAll() override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    QSize viewportSizeHint() const override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

private:
    int lineCount() const;
    // The size of every line: the item delegate's size for the last line, as a list with uniform
    // item sizes takes it; read again at each layout.
    QSize lineSize() const;
    QSize contentsExtent() const;
    // Lines from `top` to `bottom` (contents coordinates, both included) that the band crosses,
    // as [first, last]; first > last when none.
    std::pair<int, int> linesIn(int top, int bottom) const;
    // The line at a point of the contents, or -1.
    int lineAt(const QPoint& contentsPoint) const;
    QModelIndex lineIndex(int row) const;
    bool lineEnabled(int row) const;
    void layOutNow() const;

    mutable QSize m_lineSize;
    QPersistentModelIndex m_hover;
};
