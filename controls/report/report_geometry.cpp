// Where rows, columns and the parts of a cell lie on screen, and what lies
// under a point. Painting (report_paint.cpp) draws with the same rules, so
// that a tip, an editor or a click lands where the text was drawn.
#include <algorithm>
#include <cstdint>

#include "controls/report/report_model.h"

namespace report {

namespace {

// Far past any cell: an absurd indent pushes the content out, nothing more.
constexpr int64_t kMaxIndentPixels = 1 << 24;

}  // namespace

void ReportModel::SetAreas(const Box& items, const Box& entryRow) {
    itemBox = items;
    entryBox = entryRow;
    areaWidth = std::max(items.Width(), 0);
    areaHeight = std::max(items.Height(), 0);
}

void ReportModel::SetPartWidths(int image, int check) {
    imageWidth = std::max(image, 0);
    checkWidth = std::max(check, 0);
}

int ReportModel::ColumnWidth(int position) const {
    if (position < 0 || position >= ColumnCount()) return 0;
    return std::max(headerColumns[static_cast<size_t>(order[static_cast<size_t>(position)])].width, 0);
}

int ReportModel::ColumnLeft(int position) const {
    int x = 0;
    for (int p = 0; p < position && p < ColumnCount(); ++p) x += ColumnWidth(p);
    return x;
}

int ReportModel::ColumnAtOffset(int x) const {
    int left = 0;
    for (int p = 0; p < ColumnCount() && x >= left; ++p) {
        const int width = ColumnWidth(p);
        if (x < left + width) return p;
        left += width;
    }
    return -1;
}

bool ReportModel::ColumnTakesFocus(int position) const {
    const SubItemDef* def = GetSubItem(ColumnSubItem(position));
    return def && !(def->format & FormatNoCellFocus);
}

int ReportModel::IndentPixels(int indent) const {
    if (indent <= 0) return 0;
    return static_cast<int>(std::min<int64_t>(static_cast<int64_t>(indent) * rowHeight, kMaxIndentPixels));
}

bool ReportModel::IsRow(int row) const { return row == -1 ? (style & EntryRow) != 0 : row >= 0 && row < RowCount(); }

ReportModel::CellParts ReportModel::ReadCellParts(int item, int subItem) {
    ReportItem cell{};
    cell.item = item;
    cell.subItem = subItem;
    CellParts parts;
    if (!GetItem(cell)) return parts;
    const SubItemDef* def = GetSubItem(subItem);
    const uint32_t format = def ? def->format : 0;
    parts.state = cell.state;
    parts.indent = (cell.mask & MaskIndent) ? cell.indent : -1;
    // Without an image list a cell's image takes no room, as it draws nothing.
    parts.image = (cell.mask & MaskImage) && imageWidth > 0;
    parts.check = (cell.mask & MaskCheck) != 0;
    parts.imageSpace = parts.image || (imageWidth > 0 && (format & FormatReserveImage));
    parts.checkSpace = parts.check || (format & FormatReserveCheck);
    return parts;
}

bool ReportModel::GetRowBox(int row, int column, Box& box, int part) {
    Box out;
    if (row == -1) {
        if (!(style & EntryRow)) return false;
        out = entryBox;
    } else {
        int offset, height;
        if (!RowOffset(row, offset, height)) return false;
        out = {itemBox.left, itemBox.top + offset, itemBox.right, itemBox.top + offset + rowHeight};
    }
    const int origin = itemBox.left - scrollX;
    out.left -= scrollX;
    out.right -= scrollX;
    if (column >= 0) {
        if (column >= ColumnCount()) return false;
        out.left = origin + ColumnLeft(column);
        out.right = out.left + ColumnWidth(column);
    }
    if (part == PartTextToRowEnd) out.right = origin + TotalColumnWidth();
    box = out;
    return true;
}

bool ReportModel::GetItemBox(int item, int subItem, Box& box, int part) {
    if (part < PartCell || part > PartTextToRowEnd) return false;
    const int row = ItemToRow(item);
    const int column = part == PartTextToRowEnd ? 0 : ColumnPosition(subItem);
    Box cell;
    if (row == -2 || column < 0 || !GetRowBox(row, column, cell, part)) return false;
    const CellParts parts = ReadCellParts(item, subItem);
    if (column == 0 && parts.indent >= 0) {
        cell.left += IndentPixels(parts.indent);
        if (cell.left > cell.right) return false;
    }
    const bool image = parts.imageSpace, check = parts.checkSpace;
    const int m = kTextMargin, limit = cell.right - m;
    Box out = cell;
    switch (part) {
    case PartCell:
        box = cell;
        return true;
    case PartImage:
        if (!parts.image) return false;
        out.left = cell.left + m;
        out.right = out.left + imageWidth;
        break;
    case PartCheck:
        if (!parts.check) return false;
        out.left = cell.left + m + (image ? imageWidth + m : 0);
        out.right = out.left + checkWidth;
        break;
    default:
        out.left = cell.left + m + (image ? imageWidth + m : 0) + (check ? checkWidth + m : 0);
        out.right = limit;
        if (out.left > out.right) return false;
        break;
    }
    if (out.right > limit) return false;
    box = out;
    return true;
}

int ReportModel::HitTest(ReportHitTest& hit) {
    const int x = hit.x, y = hit.y;
    hit.flags = 0;
    hit.node = 0;
    hit.item = hit.row = -2;
    hit.subItem = hit.column = -1;
    hit.left = hit.top = hit.right = hit.bottom = 0;
    auto result = [&hit](uint32_t flag, const Box& box) {
        hit.flags |= flag;
        hit.left = box.left;
        hit.top = box.top;
        hit.right = box.right;
        hit.bottom = box.bottom;
        return hit.item;
    };
    auto miss = [&hit](uint32_t flags) {
        hit.flags |= flags;
        hit.item = hit.row = -2;
        hit.subItem = hit.column = -1;
        hit.node = 0;
        return -2;
    };

    const bool onEntry = (style & EntryRow) && entryBox.Contains(x, y);
    if (!onEntry && !itemBox.Contains(x, y)) {
        return miss((y < itemBox.top ? HitAbove : 0) | (y >= itemBox.bottom ? HitBelow : 0) |
                    (x < itemBox.left ? HitLeft : 0) | (x >= itemBox.right ? HitRight : 0));
    }
    const int origin = itemBox.left - scrollX;
    Box row{origin, 0, origin + TotalColumnWidth(), 0};
    if (onEntry) {
        hit.flags |= HitEntryRow;
        hit.row = -1;
        row.top = entryBox.top;
        row.bottom = entryBox.bottom;
    } else {
        int64_t top = itemBox.top;
        for (int r = TopRow(); r < RowCount() && top < itemBox.bottom; ++r) {
            const int height = RowPixelHeight(r);
            if (y >= top && y < top + height) {
                hit.row = r;
                row.top = static_cast<int>(top);
                row.bottom = static_cast<int>(top + height);
                break;
            }
            top += height;
        }
        if (hit.row == -2 || x < row.left || x >= row.right) return miss(HitNowhere);
    }
    hit.item = RowToItem(hit.row);
    if (TreeShown() && hit.item >= 0) hit.node = GetItemNode(hit.item);
    if (!onEntry && y >= row.top + rowHeight)
        return result(HitPreview, {row.left, row.top + rowHeight, row.right, row.bottom});

    Box cell{row.left, row.top, row.right, row.top + rowHeight};
    NodeInfo node;
    if (hit.node && GetNodeInfo(hit.node, node) && node.spanSubItem >= 0) {
        hit.column = 0;
        hit.subItem = node.spanSubItem;
    } else {
        hit.column = ColumnAtOffset(x - origin);
        if (hit.column < 0) return miss(HitNowhere);
        hit.subItem = ColumnSubItem(hit.column);
        cell.left = origin + ColumnLeft(hit.column);
        cell.right = cell.left + ColumnWidth(hit.column);
    }

    const CellParts parts = ReadCellParts(hit.item, hit.subItem);
    if (hit.column == 0 && parts.indent >= 0) {
        const int edge = cell.left + IndentPixels(parts.indent);
        const Box square{edge - rowHeight, cell.top, edge, cell.bottom};
        if ((parts.state & (StateCollapsed | StateExpanded)) && square.Contains(x, y))
            return result(HitTreeButton, square);
        // The indent is no part of the cell.
        if (x < edge) return result(HitNowhere, cell);
        cell.left = edge;
    }
    const int m = kTextMargin;
    int end = cell.left + m;
    if (parts.imageSpace) {
        end += imageWidth + m;
        if (x < end) return result(parts.image ? HitImage : HitNowhere, cell);
    }
    if (parts.checkSpace) {
        end += m + checkWidth;
        if (x < end) return result(parts.check ? HitCheck : HitNowhere, cell);
    }
    return result(x >= end && x < cell.right - m ? HitText : HitNowhere, cell);
}

}  // namespace report
