// What the user's clicks, keys, wheel turns and scroll-bar requests do to
// the focus, the selection and the scroll position, without a window. The
// window (report_input.cpp) hit-tests, reads the modifier keys and passes on.
//
// Every focus change goes through SelectRows, and only ever to a row that is
// there: a key on an empty control, or with no focus row, moves nothing.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "controls/report/report_model.h"

namespace report {

// --- scrolling ------------------------------------------------------------------

void ReportModel::ScrollRows(int rows) {
    const int64_t target = static_cast<int64_t>(TopRow()) + rows;
    const int bottom = RowCount() > 0 ? TopRowShowing(RowCount() - 1) : 0;
    SetTopRow(static_cast<int>(std::clamp<int64_t>(target, 0, bottom)));
}

int ReportModel::VerticalScrollTarget(int code, int thumb) {
    const int count = RowCount(), top = TopRow();
    const int bottom = count > 0 ? TopRowShowing(count - 1) : 0;
    const int page = std::max(VisibleRows(top, true), 1);
    switch (code) {
    case ScrollLineUp:
        return std::max(top - 1, 0);
    case ScrollLineDown:
        return top + VisibleRows(top, true) < count ? top + 1 : top;
    case ScrollPageUp:
        // The old top row ends up just below the page.
        return std::max(TopRowShowing(top) - 1, 0);
    case ScrollPageDown:
        return std::max(std::min(top + page, bottom), 0);
    case ScrollThumbPosition:
    case ScrollThumbTrack:
        return std::clamp(thumb, 0, bottom);
    case ScrollTop:
        return 0;
    case ScrollBottom:
        return bottom;
    default:
        return top;
    }
}

int ReportModel::HorizontalScrollTarget(int code, int thumb) const {
    const int total = TotalColumnWidth(), width = areaWidth, x = scrollX;
    const int end = std::max(total - width, 0), step = width / 8;
    int target = x;
    switch (code) {
    case ScrollLineUp:
        target = x - step;
        break;
    case ScrollLineDown:
        target = x + step <= end ? x + step : end;
        break;
    case ScrollPageUp:
        target = x - width;
        break;
    case ScrollPageDown:
        target = x + width < total ? x + width : total;
        break;
    case ScrollThumbPosition:
    case ScrollThumbTrack:
        target = thumb;
        break;
    case ScrollTop:
        target = 0;
        break;
    case ScrollBottom:
        target = total;
        break;
    default:
        break;
    }
    return std::clamp(target, 0, end);
}

void ReportModel::ScrollToX(int x) {
    scrollX = std::clamp(x, 0, std::max(TotalColumnWidth() - areaWidth, 0));
    UpdateScroll();
}

// The product of a large delta and a large setting does not fit 32 bits, and
// one request per line could flood the queue: the count is computed in 64
// bits, never exceeds the rows there are, and beyond a page of lines the
// view moves in one step instead.
WheelSteps ReportModel::WheelScroll(int delta, uint32_t linesPerNotch) {
    WheelSteps steps;
    if (delta == 0 || linesPerNotch == 0 || RowCount() == 0) return steps;
    if (linesPerNotch == kWheelPages) {
        const int pages = delta / 120;
        steps.code = pages > 0 ? ScrollPageUp : ScrollPageDown;
        steps.count = std::min(std::abs(pages), RowCount());
        return steps;
    }
    const int64_t lines = static_cast<int64_t>(delta) * linesPerNotch / 120;
    steps.code = lines > 0 ? ScrollLineUp : ScrollLineDown;
    steps.count = static_cast<int>(std::min<int64_t>(lines < 0 ? -lines : lines, RowCount()));
    steps.direct = steps.count > std::max(VisibleRows(TopRow(), true), 1);
    return steps;
}

// --- columns ------------------------------------------------------------------------

void ReportModel::ShowColumnAt(int position) {
    const int left = ColumnLeft(position), right = left + ColumnWidth(position);
    if (left < scrollX || right > scrollX + areaWidth) ScrollToX(left);
}

void ReportModel::MoveFocusColumn(bool right) {
    const int count = ColumnCount();
    if (count == 0) return;
    if (!right) {
        int c = std::min(focusColumn, count) - 1;
        while (c >= 0 && !ColumnTakesFocus(c)) --c;
        focusColumn = std::max(c, -1);
    } else if (focusColumn >= count - 1) {
        focusColumn = count - 1;
    } else {
        int c = focusColumn + 1;
        while (c < count && !ColumnTakesFocus(c)) ++c;
        if (c < count) focusColumn = c;
    }
    if (focusColumn >= 0) ShowColumnAt(focusColumn);
    const int row = FocusRow();
    if (row != -2) InvalidateRows(row, row);
}

// --- keys ---------------------------------------------------------------------------

void ReportModel::DescribeCell(int row, int column, ReportNotify& n) {
    n.item = RowToItem(row);
    n.subItem = ColumnSubItem(column);
    ReportItem item{};
    item.item = n.item;
    item.subItem = -1;
    if (n.item != -2 && GetItem(item)) n.param = item.param;
}

void ReportModel::MoveFocusTo(int target, bool shift, bool ctrl) {
    if (!IsRow(target)) return;
    if (ctrl) {
        SelectRows(target, target, false, true, false, true);
        anchorRow = target;
    } else if (!shift) {
        SelectRows(target, target, true, false, false, true);
        anchorRow = target;
    } else {
        SelectRows(target, ValidAnchor(target), true, false, false, true);
    }
    EnsureVisible(RowToItem(target), true);
}

bool ReportModel::TreeLeftRight(bool right) {
    const int row = FocusRow();
    const NodeHandle node = row >= 0 ? GetItemNode(RowToItem(row)) : 0;
    NodeInfo info;
    if (!node || !GetNodeInfo(node, info)) return false;
    const bool children = ItemHasChildren(node);
    auto focusOn = [this](NodeHandle target) {
        NodeInfo about;
        if (!GetNodeInfo(target, about)) return false;
        const int targetRow = ItemToRow(about.item);
        if (targetRow < 0) return false;
        SelectRows(targetRow, targetRow, true, false, false, true);
        anchorRow = targetRow;
        EnsureVisible(about.item, true);
        return true;
    };
    if (right) {
        if (!children) return false;
        if (!info.expanded) return Expand(node, 1);
        return focusOn(GetNextItem(node, 4));
    }
    if (children && info.expanded) return Expand(node, 0);
    if (const NodeHandle parent = GetNextItem(node, 3)) return focusOn(parent);
    if (!(style & EntryRow)) return false;
    SelectRows(-1, -1, true, false, false, true);
    anchorRow = -1;
    return true;
}

bool ReportModel::ArrowLeftRight(bool right) {
    if (TreeShown() && focusColumn < 0 && FocusRow() >= 0 && TreeLeftRight(right)) return true;
    if (style & CellFocus)
        MoveFocusColumn(right);
    else
        ScrollToX(HorizontalScrollTarget(right ? ScrollLineDown : ScrollLineUp, 0));
    return false;
}

bool ReportModel::KeyDown(uint32_t key, uint32_t flags, bool shift, bool ctrl) {
    // Cleared even for a key the parent takes: its character must not start an edit.
    editOnCharacter = false;
    ReportNotify n{};
    n.header.code = NotifyKeyDown;
    n.keys = key;
    n.hitFlags = flags;
    DescribeCell(FocusRow(), focusColumn, n);
    if (Notify(&n.header) != 0) return true;

    const int count = RowCount();
    int focus = FocusRow();
    if (!IsRow(focus)) focus = -2;  // a tree change may leave the focus on an entry row the style lacks
    switch (key) {
    case keys::Escape:
        return true;
    case keys::Space:
        if (focus != -2) SelectRows(focus, focus, true, true, ctrl, true);
        return false;
    case keys::PageUp:
    case keys::PageDown: {
        if (count == 0) return false;
        const bool down = key == keys::PageDown;
        auto target = [this, down] {
            const int top = TopRow();
            return down ? top + std::max(VisibleRows(top, true), 1) - 1 : top;
        };
        if (focus == target()) SetTopRow(VerticalScrollTarget(down ? ScrollPageDown : ScrollPageUp, 0));
        MoveFocusTo(std::min(target(), count - 1), shift, ctrl);
        return false;
    }
    case keys::End:
        if (count > 0 && focus < count) {
            SetTopRow(VerticalScrollTarget(ScrollBottom, 0));
            if (!shift) anchorRow = count - 1;
            SelectRows(count - 1, ValidAnchor(count - 1), !ctrl, false, false, true);
        }
        return true;
    case keys::Home:
        if (focus > 0) {
            SetTopRow(0);
            if (!shift) anchorRow = 0;
            SelectRows(0, ValidAnchor(0), !ctrl, false, false, true);
        }
        return true;
    case keys::Up:
        if (focus > 0 || (focus == 0 && (style & EntryRow))) MoveFocusTo(focus - 1, shift, ctrl);
        return false;
    case keys::Down:
        if (focus == -2 && !(style & EntryRow)) focus = -1;
        if (focus < count - 1) MoveFocusTo(focus + 1, shift, ctrl);
        return false;
    case keys::Left:
    case keys::Right:
        return ArrowLeftRight(key == keys::Right);
    default:
        editOnCharacter = !ctrl;
        return true;
    }
}

bool ReportModel::EditOnCharacter() const {
    const int focus = FocusRow();
    return editOnCharacter && focusColumn >= 0 && IsRow(focus) && (focus == -1 || (style & CellFocus));
}

// --- clicks -------------------------------------------------------------------------

bool ReportModel::ClickRow(int row, int column, bool shift, bool ctrl, bool hadFocus) {
    const int oldRow = FocusRow(), oldColumn = focusColumn;
    // The entry row is edited cell by cell, whatever the style.
    const bool cells = (style & CellFocus) || row == -1;
    focusColumn = cells && column >= 0 && ColumnTakesFocus(column) ? column : -1;
    if (focusColumn != oldColumn && oldRow != -2) InvalidateRows(oldRow, oldRow);
    if (!IsRow(row)) return false;
    if (shift) {
        SelectRows(row, ValidAnchor(row), true, ctrl, false, true);
        if (ctrl) anchorRow = row;
        return false;
    }
    SelectRows(row, row, true, ctrl, ctrl, true);
    anchorRow = row;
    return !ctrl && hadFocus && row == oldRow && focusColumn == oldColumn && focusColumn >= 0;
}

void ReportModel::RightClickRow(int row, bool shift, bool ctrl) {
    if (!IsRow(row) || shift || ctrl) return;
    SelectRows(row, row, true, false, false, true);
    anchorRow = row;
}

}  // namespace report
