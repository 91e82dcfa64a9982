#include "app/namelistview.h"

#include <QAbstractItemDelegate>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#if QT_CONFIG(accessibility)
#include <QAccessible>
#endif
#include <algorithm>
#include <climits>
#include <cstdlib>

namespace
{

// Floor division, for points above the first line.
int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

NameListView::NameListView(QWidget* parent) : QListView(parent)
{
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

int NameListView::lineCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

QModelIndex NameListView::lineIndex(int row) const
{
    return model() ? model()->index(row, modelColumn(), rootIndex()) : QModelIndex();
}

bool NameListView::lineEnabled(int row) const
{
    const QModelIndex index = lineIndex(row);
    return index.isValid() && (model()->flags(index) & Qt::ItemIsEnabled);
}

QSize NameListView::lineSize() const
{
    if (!m_lineSize.isValid()) {
        const int rows = lineCount();
        if (rows <= 0)
            return QSize();
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = QRect(QPoint(), maximumViewportSize());
        // The last line is probably the widest: a list with uniform sizes measures that one.
        const QModelIndex sample = lineIndex(rows - 1);
        const QAbstractItemDelegate* delegate = itemDelegateForIndex(sample);
        m_lineSize = delegate ? delegate->sizeHint(option, sample) : QSize();
    }
    return m_lineSize;
}

QSize NameListView::contentsExtent() const
{
    const QSize line = lineSize();
    const int height = std::max(line.height(), 1);
    const int width =
        horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff ? viewport()->width() : line.width();
    return QSize(width, height * lineCount());
}

std::pair<int, int> NameListView::linesIn(int top, int bottom) const
{
    const int rows = lineCount();
    const int height = std::max(lineSize().height(), 1);
    if (rows <= 0 || top > rows * height)
        return {0, -1};
    const int first = top < 0 ? 0 : std::min(top / height, rows - 1);
    if (first * height > bottom)
        return {0, -1};
    const int last = std::min(floorDiv(bottom, height), rows - 1);
    return {first, last};
}

int NameListView::lineAt(const QPoint& contentsPoint) const
{
    if (contentsPoint.x() < 0)
        return -1;
    const auto [first, last] = linesIn(contentsPoint.y(), contentsPoint.y());
    return first <= last ? last : -1;
}

void NameListView::layOutNow() const
{
    const_cast<NameListView*>(this)->executeDelayedItemsLayout();
}

QRect NameListView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        index.column() != modelColumn() || index.row() >= lineCount())
        return QRect();
    const QSize line = lineSize();
    const int width =
        std::max(line.width(), std::max(contentsExtent().width(), viewport()->width()));
    return QRect(-horizontalOffset(), index.row() * line.height() - verticalOffset(), width,
                 line.height());
}

QModelIndex NameListView::indexAt(const QPoint& point) const
{
    layOutNow();
    const int row = lineAt(point + QPoint(horizontalOffset(), verticalOffset()));
    if (row < 0)
        return QModelIndex();
    const QModelIndex index = lineIndex(row);
    return visualRect(index).contains(point) ? index : QModelIndex();
}

void NameListView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.parent() != rootIndex() || index.column() != modelColumn())
        return;
    layOutNow();
    const QRect rect = visualRect(index);
    const QRect area = viewport()->rect();
    if (hint == EnsureVisible && area.contains(rect)) {
        viewport()->update(rect);
        return;
    }
    const bool above = hint == EnsureVisible && rect.top() < area.top();
    const bool below = hint == EnsureVisible && rect.bottom() > area.bottom();
    int value = verticalScrollBar()->value();
    if (hint == PositionAtTop || above)
        value += rect.top();
    else if (hint == PositionAtBottom || below)
        value += std::min(rect.top(), rect.bottom() - area.height() + 1);
    else if (hint == PositionAtCenter)
        value += rect.top() - ((area.height() - rect.height()) / 2);
    verticalScrollBar()->setValue(value);
}

void NameListView::doItemsLayout()
{
    // Showing a scroll bar resizes the viewport: no second layout meanwhile.
    const State old = state();
    setState(ExpandingState);
    m_lineSize = QSize();
    QAbstractItemView::doItemsLayout();
    setState(old);
}

void NameListView::reset()
{
    m_lineSize = QSize();
    QListView::reset();
}

void NameListView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    m_lineSize = QSize();
    QListView::rowsInserted(parent, start, end);
}

void NameListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    m_lineSize = QSize();
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void NameListView::selectAll()
{
    const SelectionMode mode = selectionMode();
    if (mode != MultiSelection && mode != ExtendedSelection) {
        QListView::selectAll();
        return;
    }
    const int rows = lineCount();
    if (!selectionModel() || rows <= 0)
        return;
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (selectionBehavior() == SelectRows)
        flags |= QItemSelectionModel::Rows;
    else if (selectionBehavior() == SelectColumns)
        flags |= QItemSelectionModel::Columns;
    const int columns = model()->columnCount(rootIndex());
    selectionModel()->select(
        QItemSelection(lineIndex(0), model()->index(rows - 1, columns - 1, rootIndex())), flags);
}

QModelIndex NameListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    layOutNow();
    const int rows = lineCount();
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        int row = 0;
        while (row < rows && !lineEnabled(row))
            ++row;
        return row < rows ? lineIndex(row) : QModelIndex();
    }
    const QSize contents = contentsExtent();
    const QRect initial(0, current.row() * lineSize().height(),
                        std::max(lineSize().width(), viewport()->width()), lineSize().height());
    if (initial.isEmpty())
        return lineIndex(0);
    QRect rect = initial;
    // The line nearest to the current one among those the band crosses, the current one and
    // disabled ones aside; -1 when none.
    const auto nearest = [&](const QRect& band) {
        if (band.right() < 0)
            return -1;
        const auto [first, last] = linesIn(band.top(), band.bottom());
        int best = -1;
        int shortest = INT_MAX;
        for (int row = first; row <= last; ++row) {
            if (row == current.row() || !lineEnabled(row))
                continue;
            const QRect line(0, row * initial.height(), initial.width(), initial.height());
            const int distance = std::abs(line.center().y() - initial.center().y());
            if (distance < shortest) {
                shortest = distance;
                best = row;
            }
        }
        return best;
    };
    int found = -1;
    switch (cursorAction) {
    case MoveLeft:
        while (found < 0) {
            rect.translate(-rect.width(), 0);
            if (rect.right() <= 0)
                return current;
            if (rect.left() < 0)
                rect.setLeft(0);
            found = nearest(rect);
        }
        return lineIndex(found);
    case MoveRight:
        while (found < 0) {
            rect.translate(rect.width(), 0);
            if (rect.left() >= contents.width())
                return current;
            if (rect.right() > contents.width())
                rect.setRight(contents.width());
            found = nearest(rect);
        }
        return lineIndex(found);
    case MovePageUp:
        // Up by the lines shown less one; the step of a line follows.
        rect.moveTop(rect.top() - viewport()->height() + 2 * rect.height());
        if (rect.top() < rect.height())
            rect.moveTop(rect.height());
        [[fallthrough]];
    case MovePrevious:
    case MoveUp:
        while (found < 0) {
            rect.translate(0, -rect.height());
            if (rect.bottom() <= 0)
                return current;
            if (rect.top() < 0)
                rect.setTop(0);
            found = nearest(rect);
        }
        return lineIndex(found);
    case MovePageDown:
        rect.moveTop(rect.top() + viewport()->height() - 2 * rect.height());
        if (rect.bottom() > contents.height() - rect.height())
            rect.moveBottom(contents.height() - rect.height());
        [[fallthrough]];
    case MoveNext:
    case MoveDown:
        while (found < 0) {
            rect.translate(0, rect.height());
            if (rect.top() >= contents.height())
                return current;
            if (rect.bottom() > contents.height())
                rect.setBottom(contents.height());
            found = nearest(rect);
        }
        return lineIndex(found);
    case MoveHome:
        return lineIndex(0);
    case MoveEnd:
        return lineIndex(rows - 1);
    }
    return current;
}

void NameListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel())
        return;
    layOutNow();
    const QRect area = rect.translated(horizontalOffset(), verticalOffset());
    QItemSelection selection;
    if (rect.width() == 1 && rect.height() == 1) {
        // A click: its line alone.
        const int row = lineAt(area.topLeft());
        if (row >= 0 && lineEnabled(row))
            selection.select(lineIndex(row), lineIndex(row));
    } else if (state() == DragSelectingState) {
        // The mouse dragged over lines: those the rectangle crosses.
        if (area.right() >= 0) {
            const auto [first, last] = linesIn(area.top(), area.bottom());
            if (first <= last)
                selection.select(lineIndex(first), lineIndex(last));
        }
    } else {
        // Shift with a key or a click: from the line at one corner to the line at the other.
        const int top = lineAt(area.topLeft());
        const int bottom = lineAt(area.bottomRight());
        if (top >= 0 && bottom >= 0 && lineEnabled(top) && lineEnabled(bottom))
            selection.select(lineIndex(std::min(top, bottom)), lineIndex(std::max(top, bottom)));
    }
    selectionModel()->select(selection, command);
}

QRegion NameListView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    const QRect viewportRect = viewport()->rect();
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex())
            continue;
        const QRect top = visualRect(lineIndex(range.top()));
        const QRect bottom = visualRect(lineIndex(range.bottom()));
        const QRect rect(top.topLeft(), bottom.bottomRight());
        if (viewportRect.intersects(rect))
            region += rect;
    }
    return region;
}

int NameListView::horizontalOffset() const
{
    const QScrollBar* bar = horizontalScrollBar();
    return isRightToLeft() ? bar->maximum() - bar->value() : bar->value();
}

int NameListView::verticalOffset() const
{
    return verticalScrollBar()->value();
}

void NameListView::scrollContentsBy(int dx, int dy)
{
    // QListView's own stops the automatic scroll to a line just clicked (the user scrolls
    // instead), and moves nothing, having laid out no line.
    QListView::scrollContentsBy(dx, dy);
    if (isRightToLeft())
        dx = -dx;
    scrollDirtyRegion(dx, dy);
    viewport()->scroll(dx, dy);
}

void NameListView::updateGeometries()
{
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    if (geometry().isEmpty() || lineCount() <= 0 || model()->columnCount(rootIndex()) <= 0) {
        horizontal->setRange(0, 0);
        vertical->setRange(0, 0);
    } else {
        const QSize step = lineSize();
        const QSize contents = contentsExtent();
        const QSize room = contentsRect().marginsRemoved(viewportMargins()).size();
        // Both bars shown as needed could each make room for the other in turn without end:
        // a bar the contents do not need gets no range.
        const bool bothAuto = verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded &&
                              horizontalScrollBarPolicy() == Qt::ScrollBarAsNeeded;

        horizontal->setSingleStep(step.width());
        horizontal->setPageStep(viewport()->width());
        const bool tall = contents.height() > room.height();
        const bool wideNeeded = tall ? contents.width() > room.width() - vertical->width()
                                     : contents.width() > room.width();
        if (bothAuto && !wideNeeded)
            horizontal->setRange(0, 0);
        else
            horizontal->setRange(0, contents.width() - viewport()->width());

        vertical->setSingleStep(step.height());
        vertical->setPageStep(viewport()->height());
        const bool wide = contents.width() > room.width();
        const bool tallNeeded = wide ? contents.height() > room.height() - horizontal->height()
                                     : contents.height() > room.height();
        if (bothAuto && !tallNeeded)
            vertical->setRange(0, 0);
        else
            vertical->setRange(0, contents.height() - viewport()->height());
    }
    QAbstractItemView::updateGeometries();
    // The scroll bars shown or hidden now for the new ranges, the viewport sized for them
    // (they would be a moment later, after the line under the mouse was looked for).
    setViewportMargins(viewportMargins());
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
        horizontal->setRange(0, 0);
}

QSize NameListView::viewportSizeHint() const
{
    const int rows = lineCount();
    if (rows <= 0)
        return QAbstractItemView::viewportSizeHint();
    const QSize line = lineSize();
    return QSize(line.width(), rows * line.height());
}

void NameListView::paintEvent(QPaintEvent* event)
{
    if (!itemDelegate() || !model())
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QPainter painter(viewport());

    const QRect area = event->rect().translated(horizontalOffset(), verticalOffset());
    const auto [first, last] = linesIn(area.top(), area.bottom());
    const QModelIndex current = currentIndex();
    const QItemSelectionModel* selections = selectionModel();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QStyle::State state = option.state;
    const bool enabled = (state & QStyle::State_Enabled) != 0;
    const int maxWidth = std::max(viewport()->width(), contentsExtent().width());

    for (int row = first; row <= last; ++row) {
        const QModelIndex index = lineIndex(row);
        option.rect = visualRect(index);
        option.rect.setWidth(std::min(maxWidth, option.rect.width()));
        option.state = state;
        if (selections && selections->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (enabled) {
            if (!(model()->flags(index) & Qt::ItemIsEnabled)) {
                option.state &= ~QStyle::State_Enabled;
                option.palette.setCurrentColorGroup(QPalette::Disabled);
            } else {
                option.palette.setCurrentColorGroup(QPalette::Normal);
            }
        }
        if (focus && current == index) {
            option.state |= QStyle::State_HasFocus;
            if (this->state() == EditingState)
                option.state |= QStyle::State_Editing;
        }
        option.state.setFlag(QStyle::State_MouseOver, index == m_hover);
        if (alternatingRowColors()) {
            option.features.setFlag(QStyleOptionViewItem::Alternate, (row & 1) != 0);
            // The row's own background under the delegate's, without the selection.
            const QStyle::State kept = option.state;
            option.state &= ~QStyle::State_Selected;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
            option.state = kept;
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

bool NameListView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        m_hover = indexAt(static_cast<QHoverEvent*>(event)->position().toPoint());
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
        m_hover = QPersistentModelIndex();
        break;
    default:
        break;
    }
    return QListView::viewportEvent(event);
}

void NameListView::mouseMoveEvent(QMouseEvent* event)
{
    const State before = state();
    QListView::mouseMoveEvent(event);
    if (isVisible() && before != ExpandingState && before != CollapsingState &&
        before != DraggingState)
        m_hover = indexAt(event->position().toPoint());
}

void NameListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
#endif
    QAbstractItemView::currentChanged(current, previous);
}

void NameListView::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected)
{
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive()) {
        // The first line of each, as QListView tells them.
        if (!selected.isEmpty() && selected.first().isValid()) {
            QAccessibleEvent event(this, QAccessible::SelectionAdd);
            event.setChild(selected.first().top());
            QAccessible::updateAccessibility(&event);
        }
        if (!deselected.isEmpty() && deselected.first().isValid()) {
            QAccessibleEvent event(this, QAccessible::SelectionRemove);
            event.setChild(deselected.first().top());
            QAccessible::updateAccessibility(&event);
        }
    }
#endif
    QAbstractItemView::selectionChanged(selected, deselected);
}
