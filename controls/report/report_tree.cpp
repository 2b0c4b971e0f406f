// The tree, the rows it shows, the focus hand-over around tree changes,
// sorting, and the vertical scroll position.
//
// Rows are kept up to date change by change rather than rebuilt from the
// root: an insert or delete touches one row, an expand or collapse the rows
// of one subtree. What a full rebuild would also do (indent = level, button
// state bits) is done for exactly the nodes whose rows it would touch.
#include <algorithm>
#include <cstdint>

#include "controls/report/report_model.h"

namespace report {

namespace {

// The list sort: a quicksort on the range, pivot the middle element. The
// bounds on i and j only matter to a comparison that contradicts itself (a
// parent's callback), which must not walk off the range.
template <class Compare>
void QuickSort(std::vector<uint32_t>& v, int low, int high, bool ascending, Compare& compare) {
    while (low < high) {
        const uint32_t pivot = v[static_cast<size_t>(low + (high - low) / 2)];
        int i = low, j = high;
        auto before = [&](uint32_t x) { return ascending ? compare(x, pivot) < 0 : compare(x, pivot) > 0; };
        auto after = [&](uint32_t x) { return ascending ? compare(x, pivot) > 0 : compare(x, pivot) < 0; };
        do {
            while (i < high && before(v[static_cast<size_t>(i)])) ++i;
            while (j > low && after(v[static_cast<size_t>(j)])) --j;
            if (i <= j) {
                if (i != j) std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        // The smaller side recursively, the larger one in the loop: the depth stays logarithmic.
        if (j - low < high - i) {
            if (low < j) QuickSort(v, low, j, ascending, compare);
            low = i;
        } else {
            if (i < high) QuickSort(v, i, high, ascending, compare);
            high = j;
        }
    }
}

// A stable merge sort; `goesFirst` may contradict itself without harm.
template <class GoesFirst>
void MergeSort(std::vector<uint32_t>& v, GoesFirst& goesFirst) {
    std::vector<uint32_t> scratch(v.size());
    for (size_t width = 1; width < v.size(); width *= 2) {
        for (size_t lo = 0; lo < v.size(); lo += 2 * width) {
            const size_t mid = std::min(lo + width, v.size()), hi = std::min(lo + 2 * width, v.size());
            size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi) scratch[out++] = goesFirst(v[b], v[a]) ? v[b++] : v[a++];
            while (a < mid) scratch[out++] = v[a++];
            while (b < hi) scratch[out++] = v[b++];
        }
        v.swap(scratch);
    }
}

}  // namespace

// --- links and rows -------------------------------------------------------------

void ReportModel::Link(uint32_t slot, uint32_t parent, uint32_t before) {
    Slot& s = slots[slot];
    Slot& p = slots[parent];
    s.parent = parent;
    s.next = before;
    s.prev = before == kNil ? p.lastChild : slots[before].prev;
    if (s.prev != kNil)
        slots[s.prev].next = slot;
    else
        p.firstChild = slot;
    if (before != kNil)
        slots[before].prev = slot;
    else
        p.lastChild = slot;
    ++p.childCount;
}

void ReportModel::Unlink(uint32_t slot) {
    Slot& s = slots[slot];
    Slot& p = slots[s.parent];
    if (s.prev != kNil)
        slots[s.prev].next = s.next;
    else
        p.firstChild = s.next;
    if (s.next != kNil)
        slots[s.next].prev = s.prev;
    else
        p.lastChild = s.prev;
    --p.childCount;
    s.parent = s.next = s.prev = kNil;
}

bool ReportModel::IsAncestorSlot(uint32_t ancestor, uint32_t slot) const {
    for (uint32_t x = slots[slot].parent; x != kNil; x = slots[x].parent)
        if (x == ancestor) return true;
    return false;
}

// The row just past a shown node's subtree: the row of the next node in
// depth-first order that is not below it.
int ReportModel::FollowingRow(uint32_t slot) const {
    for (uint32_t x = slot; x != kRootSlot && x != kNil; x = slots[x].parent)
        if (slots[x].next != kNil) return rows.PositionOf(slots[x].next);
    return rows.Size();
}

void ReportModel::SetButtonState(uint32_t slot) {
    uint32_t& state = slots[slot].record.state;
    state &= ~static_cast<uint32_t>(StateCollapsed | StateExpanded);
    if (slots[slot].childCount > 0) state |= slots[slot].expanded ? StateExpanded : StateCollapsed;
}

// A shown node's children changed: its row looks different only when its
// button came or went, and a crowded group takes its joins unseen.
void ReportModel::RedrawButton(uint32_t slot) {
    const uint32_t before = slots[slot].record.state;
    SetButtonState(slot);
    if (slots[slot].record.state == before) return;
    const int row = rows.PositionOf(slot);
    InvalidateRows(row, row);
}

// The nodes below `slot` that have rows when it shows its children, in row
// order; each gets what a rebuild gives a row.
void ReportModel::CollectShown(uint32_t slot, std::vector<uint32_t>& out) {
    std::vector<uint32_t> stack;
    auto pushChildren = [&](uint32_t parent) {
        for (uint32_t c = slots[parent].lastChild; c != kNil; c = slots[c].prev) stack.push_back(c);
    };
    pushChildren(slot);
    while (!stack.empty()) {
        const uint32_t c = stack.back();
        stack.pop_back();
        out.push_back(c);
        slots[c].record.indent = slots[c].level;
        SetButtonState(c);
        if (slots[c].expanded) pushChildren(c);
    }
}

void ReportModel::RebuildRows() {
    std::vector<uint32_t> order;
    if (IsVirtual())
        order.clear();
    else if (TreeShown())
        CollectShown(kRootSlot, order);
    else
        order = items.Slice(0, items.Size());
    rows.Assign(order);
    touchedIndents.clear();
    ++epoch;
    InvalidateRows(0, -1);
}

void ReportModel::FixTouchedIndents() {
    for (uint32_t slot : touchedIndents)
        if (slots[slot].alive && slots[slot].hasNode && rows.Contains(slot))
            slots[slot].record.indent = slots[slot].level;
    touchedIndents.clear();
}

void ReportModel::SetExpanded(uint32_t slot, bool expanded) {
    Slot& s = slots[slot];
    const int row = rows.PositionOf(slot);
    if (s.expanded == expanded || row < 0) {
        s.expanded = expanded;
        return;
    }
    if (!expanded) {
        const int end = FollowingRow(slot);
        s.expanded = false;
        rows.Erase(row + 1, end - row - 1);
    } else {
        s.expanded = true;
        std::vector<uint32_t> shown;
        CollectShown(slot, shown);
        rows.Insert(row + 1, shown);
    }
    SetButtonState(slot);
    ++epoch;
    ItemChanged(ItemOfSlot(slot), -1, ItemChange::Expanded);
    InvalidateRows(row, -1);
}

int ReportModel::KeySubItem(uint32_t slot, int subItem) const {
    return slots[slot].span >= 0 ? slots[slot].span : subItem;
}

// The child of `parent` the new node goes before (kNil: the end); kRootSlot
// when the parent or the node went away during a comparison.
uint32_t ReportModel::SortedPosition(uint32_t slot, uint32_t parent, int subItem, bool ascending) {
    const SlotRef self = RefOf(slot), owner = RefOf(parent);
    // A comparison that changes the tree sends the walk back to the start, a few times at most.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const uint64_t seen = epoch;
        bool changed = false;
        for (uint32_t c = slots[parent].firstChild; c != kNil; c = slots[c].next) {
            const int result =
                CompareCells(ItemOfSlot(slot), KeySubItem(slot, subItem), ItemOfSlot(c), KeySubItem(c, subItem));
            if (!Alive(self) || !Alive(owner)) return kRootSlot;
            if (epoch != seen) {
                changed = true;
                break;
            }
            if (ascending ? result <= 0 : result >= 0) return c;
        }
        if (!changed) break;
    }
    return kNil;
}

// --- tree operations --------------------------------------------------------------

NodeHandle ReportModel::GetItemNode(int item) const {
    if (item < 0 || item >= items.Size() || IsVirtual()) return 0;
    const uint32_t slot = items.At(item);
    return slots[slot].hasNode ? HandleOf(slot) : 0;
}

NodeHandle ReportModel::GetNextItem(NodeHandle node, int code) const {
    if (IsVirtual()) return 0;
    if (code == 5) return focusKey > kEntrySlot && slots[focusKey].hasNode ? HandleOf(focusKey) : 0;
    uint32_t slot = SlotOfNode(node);
    if (slot == kNil) return 0;
    const Slot& s = slots[slot];
    auto handle = [this](uint32_t x) { return x == kNil ? 0 : HandleOf(x); };
    switch (code) {
    case 0:
        if (slot == kRootSlot) return 0;
        while (slots[slot].parent != kRootSlot) slot = slots[slot].parent;
        return HandleOf(slot);
    case 1:
        return handle(s.next);
    case 2:
        return handle(s.prev);
    case 3:
        return slot != kRootSlot && s.parent != kRootSlot ? handle(s.parent) : 0;
    case 4:
        return handle(s.firstChild);
    default:
        return 0;
    }
}

bool ReportModel::ItemHasChildren(NodeHandle node) const {
    const uint32_t slot = SlotOfNode(node);
    return slot != kNil && slots[slot].firstChild != kNil;
}

bool ReportModel::IsDescendant(NodeHandle ancestor, NodeHandle node) const {
    const uint32_t a = SlotOfNode(ancestor), slot = SlotOfNode(node);
    return a != kNil && slot != kNil && IsAncestorSlot(a, slot);
}

bool ReportModel::GetNodeInfo(NodeHandle node, NodeInfo& info) const {
    const uint32_t slot = SlotOfNode(node);
    if (slot == kNil) return false;
    info = {slot == kRootSlot ? -2 : ItemOfSlot(slot), slots[slot].span, slots[slot].expanded, slots[slot].level};
    return true;
}

NodeHandle ReportModel::InsertItem(const char* text, int image, int check, int textColor, NodeHandle parentNode,
                                   NodeHandle insertAfter, int spanSubItem) {
    if (!(style & Tree) || IsVirtual()) return 0;
    const uint32_t parent = SlotOfNode(parentNode);
    if (parent == kNil) return 0;
    const bool special = insertAfter >= FirstChild && insertAfter <= SortedChild;
    uint32_t after = kNil;
    if (slots[parent].childCount > 0 && !special) {
        // Only a child of this parent can be the one to follow.
        after = SlotOfNode(insertAfter);
        if (after == kNil || after == kRootSlot || slots[after].parent != parent) return 0;
    }

    const Handover focused = BeginHandover();
    ReportItem fields{};
    fields.mask = MaskText | (image != -1 ? MaskImage : 0) | (check != -1 ? MaskCheck : 0) |
                  (textColor != -1 ? MaskTextColor : 0);
    fields.text = const_cast<char*>(text);
    fields.image = image;
    fields.check = check;
    fields.textColor = textColor;
    const uint32_t slot = InsertStored(items.Size(), fields);
    if (slot == kNil) {
        EndHandover(focused);
        return 0;
    }
    slots[slot].span = spanSubItem;

    uint32_t before = kNil;
    if (slots[parent].childCount > 0) {
        if (insertAfter == FirstChild) {
            before = slots[parent].firstChild;
        } else if (insertAfter == SortedChild) {
            const SlotRef self = RefOf(slot);
            before = SortedPosition(slot, parent, 0, true);
            if (before == kRootSlot) {
                // The parent went away while it compared: the new item goes too.
                if (Alive(self)) {
                    if (!slots[slot].notified) NotifyDelete(slot);
                    if (Alive(self)) RemoveStored(slot);
                }
                EndHandover(focused);
                return 0;
            }
        } else if (insertAfter != LastChild) {
            before = slots[after].next;
        }
    }

    Slot& s = slots[slot];
    s.hasNode = true;
    s.level = slots[parent].level + 1;
    Link(slot, parent, before);
    s.record.node = HandleOf(slot);
    ++epoch;
    if (ShowsChildren(parent)) {
        const int row = FollowingRow(slot);
        rows.Insert(row, slot);
        s.record.indent = s.level;
        SetButtonState(slot);
        InvalidateRows(row, -1);
    }
    if (parent != kRootSlot && Visible(parent)) RedrawButton(parent);
    FixTouchedIndents();
    const NodeHandle handle = HandleOf(slot);
    EndHandover(focused);
    return handle;
}

// Depth first: always the first leaf below `top`, until `top` itself goes.
void ReportModel::DeleteSubtree(SlotRef top) {
    while (Alive(top)) {
        uint32_t leaf = top.slot;
        while (slots[leaf].firstChild != kNil) leaf = slots[leaf].firstChild;
        const SlotRef ref = RefOf(leaf);
        if (!slots[leaf].notified) {
            NotifyDelete(leaf);
            // Deleted by the parent meanwhile, or given children: look again.
            if (!Alive(ref) || slots[leaf].firstChild != kNil) continue;
        }
        RemoveStored(leaf);
    }
}

bool ReportModel::DeleteItem(NodeHandle node) {
    if (!(style & Tree) || IsVirtual()) return false;
    const uint32_t slot = SlotOfNode(node);
    if (slot == kNil || slot == kRootSlot) return false;
    const Handover focused = BeginHandover();
    SlotRef target = focused.node;
    if (target.slot != kNil && (target.slot == slot || IsAncestorSlot(slot, target.slot))) {
        const Slot& s = slots[slot];
        target = s.next != kNil ? RefOf(s.next) : s.parent != kRootSlot ? RefOf(s.parent) : SlotRef{};
    }
    DeleteSubtree(RefOf(slot));
    FixTouchedIndents();
    EndHandover(focused, target);
    return true;
}

void ReportModel::DeselectDescendants(uint32_t slot) {
    std::vector<uint32_t> stack{slot};
    while (!stack.empty()) {
        const uint32_t parent = stack.back();
        stack.pop_back();
        for (uint32_t c = slots[parent].firstChild; c != kNil; c = slots[c].next) {
            slots[c].record.state &= ~static_cast<uint32_t>(StateSelected);
            selection.Remove(c);
            stack.push_back(c);
        }
    }
}

bool ReportModel::Expand(NodeHandle node, int code) {
    if (!TreeShown() || IsVirtual() || code < 0 || code > 2) return false;
    const uint32_t slot = SlotOfNode(node);
    if (slot == kNil || slot == kRootSlot) return false;
    const uint32_t focused = focusKey;
    const SlotRef focusedRef = focused > kEntrySlot ? RefOf(focused) : SlotRef{};
    ClearFocus();
    SetExpanded(slot, code == 1 || (code == 2 && !slots[slot].expanded));
    FixTouchedIndents();
    if (focused == kEntrySlot) {
        SetFocusKey(kEntrySlot);
    } else if (Alive(focusedRef) && slots[focused].hasNode) {
        // The focus goes to the highest collapsed ancestor, or stays.
        uint32_t target = focused;
        for (uint32_t x = slots[focused].parent; x != kRootSlot && x != kNil; x = slots[x].parent)
            if (!slots[x].expanded) target = x;
        SetFocusKey(target);
        // Rows hidden under the new focus lose their selection; shown ones keep it.
        if (!slots[target].expanded) DeselectDescendants(target);
    }
    RefreshAfterHandover();
    return true;
}

// --- focus hand-over --------------------------------------------------------------

// The focus bit leaves its row quietly: when the same item has the focus on
// the same row afterwards, its row looks as it did, and a join into a
// crowded lobby repaints nothing for it.
ReportModel::Handover ReportModel::BeginHandover() {
    Handover before;
    if (focusKey > kEntrySlot && !IsVirtual() && slots[focusKey].hasNode) before.node = RefOf(focusKey);
    before.key = focusKey;
    before.row = FocusRow();
    ClearFocus(false);
    return before;
}

void ReportModel::EndHandover(const Handover& before, SlotRef node) {
    ClearFocus();  // a notification may have put the focus somewhere meanwhile
    if (node.slot == kNil)
        SetFocusKey(kEntrySlot, false);
    else if (!Alive(node) || !rows.Contains(node.slot))
        topRow = 0;
    else
        SetFocusKey(node.slot, false);
    const int row = FocusRow();
    if (focusKey != before.key || row != before.row) {
        if (before.row != -2) InvalidateRows(before.row, before.row);
        if (row != -2) InvalidateRows(row, row);
    }
    RefreshAfterHandover();
}

// --- sorting ------------------------------------------------------------------------

bool ReportModel::SortItems(int subItem, bool ascending) {
    if (IsVirtual() || !IsColumnShown(subItem)) return false;
    ShowSortMark(subItem, ascending);
    if (TreeShown()) {
        const Handover focused = BeginHandover();
        SortChildren(subItem, RootNode, ascending, true);
        EndHandover(focused);
    } else {
        if (rows.Size() == 0) return false;
        SortRows(subItem, 0, rows.Size() - 1, ascending);
        // The focus stays with its item; that row becomes the top row as far as the rows allow.
        const int focus = FocusRow();
        if (focus >= 0) topRow = std::min(focus, TopRowShowing(rows.Size() - 1));
        UpdateScroll();
    }
    InvalidateRows(0, -1);
    return true;
}

void ReportModel::SortRows(int subItem, int low, int high, bool ascending) {
    if (IsVirtual()) return;
    low = std::max(low, 0);
    high = std::min(high, rows.Size() - 1);
    if (low >= high) return;
    std::vector<uint32_t> range = rows.Slice(low, high - low + 1);
    // A comparison that changes the items leaves the rows as that change made them.
    const uint64_t seen = epoch;
    bool stale = false;
    auto compare = [&](uint32_t a, uint32_t b) {
        if (stale) return 0;
        const int result = CompareCells(ItemOfSlot(a), subItem, ItemOfSlot(b), subItem);
        stale = epoch != seen;
        return result;
    };
    QuickSort(range, 0, static_cast<int>(range.size()) - 1, ascending, compare);
    if (stale) return;
    rows.Permute(low, range);
    ++epoch;
}

// Re-inserting each child with the sorted-insertion rule gives children in key
// order, equal keys in the reverse of their old order: the same as a stable
// sort of the reversed list, which this does in n log n comparisons.
void ReportModel::SortChildren(int subItem, NodeHandle parentNode, bool ascending, bool recursive) {
    const uint32_t parent = SlotOfNode(parentNode);
    if (parent == kNil || IsVirtual()) return;
    ++sortDepth;
    const SlotRef owner = RefOf(parent);
    std::vector<SlotRef> children;
    for (uint32_t c = slots[parent].firstChild; c != kNil; c = slots[c].next) children.push_back(RefOf(c));
    if (recursive)
        for (const SlotRef& c : children)
            if (Alive(c) && slots[c.slot].firstChild != kNil) SortChildren(subItem, HandleOf(c.slot), ascending, true);

    const uint64_t seen = epoch;
    bool stale = !Alive(owner) || slots[parent].childCount != static_cast<int>(children.size());
    std::vector<uint32_t> kids;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        stale = stale || !Alive(*it) || slots[it->slot].parent != parent;
        kids.push_back(it->slot);
    }
    auto goesFirst = [&](uint32_t a, uint32_t b) {
        if (stale) return false;
        const int result = CompareCells(ItemOfSlot(a), KeySubItem(a, subItem), ItemOfSlot(b), KeySubItem(b, subItem));
        stale = epoch != seen;
        return ascending ? result < 0 : result > 0;
    };
    if (!stale) MergeSort(kids, goesFirst);
    if (!stale) {
        for (uint32_t c : kids) Unlink(c);
        for (uint32_t c : kids) Link(c, parent, kNil);
    }
    if (--sortDepth == 0) RebuildRows();
}

// --- scrolling ----------------------------------------------------------------------

int ReportModel::TopRow() const { return std::clamp(topRow, 0, std::max(RowCount() - 1, 0)); }

void ReportModel::SetTopRow(int row) {
    topRow = row;
    UpdateScroll();
}

void ReportModel::SetItemArea(int width, int height) { SetAreas({0, 0, width, height}, {}); }

int ReportModel::RowPixelHeight(int row) {
    const int item = RowToItem(row);
    const ItemRecord* record = item >= -1 ? GetItemRecord(item, -1, MaskPreview) : nullptr;
    const int preview = record ? std::clamp(record->preview, 0, 1 << 20) : 0;
    return rowHeight + preview;
}

int ReportModel::VisibleRows(int top, bool wholeRows) {
    int count = 0;
    int64_t y = 0;
    for (int row = std::max(top, 0); row < RowCount() && y < areaHeight; ++row) {
        const int height = RowPixelHeight(row);
        if (wholeRows && y + height > areaHeight) break;
        y += height;
        ++count;
    }
    return count;
}

int ReportModel::TopRowShowing(int bottomRow) {
    if (RowCount() == 0) return 0;
    int top = std::clamp(bottomRow, 0, RowCount() - 1);
    int64_t y = RowPixelHeight(top);
    while (top > 0) {
        const int height = RowPixelHeight(top - 1);
        if (y + height > areaHeight) break;
        y += height;
        --top;
    }
    return top;
}

bool ReportModel::RowsFillArea(int top) {
    int64_t y = 0;
    for (int row = std::max(top, 0); row < RowCount(); ++row) {
        y += RowPixelHeight(row);
        if (y >= areaHeight) return true;
    }
    return false;
}

bool ReportModel::RowOffset(int row, int& offset, int& height) {
    const int top = TopRow();
    if (row < top || row >= RowCount()) return false;
    int64_t y = 0;
    for (int r = top; r < row; ++r) {
        y += RowPixelHeight(r);
        if (y >= areaHeight) return false;
    }
    offset = static_cast<int>(y);
    height = RowPixelHeight(row);
    return true;
}

bool ReportModel::EnsureVisible(int item, bool wholeRows) {
    const int row = ItemToRow(item);
    if (row == -2) return false;
    if (row == -1) return true;
    int top = TopRow();
    if (row < top)
        top = row;
    else if (row >= top + VisibleRows(top, wholeRows))
        top = TopRowShowing(row);
    topRow = top;
    UpdateScroll();
    return true;
}

void ReportModel::UpdateScroll() {
    topRow = TopRow();
    ScrollChanged();
}

// The top row stays, unless the rows from it leave the area unfilled while the
// focus is near the end: then the last row moves down to the area's bottom.
void ReportModel::RefreshAfterHandover() {
    if (areaWidth <= 0 || areaHeight <= 0) {
        UpdateScroll();
        return;
    }
    int top = TopRow();
    const int count = RowCount();
    if (count > 0 && !RowsFillArea(top)) {
        const int lastWhole = top + VisibleRows(top, true) - 1;
        if (FocusRow() <= lastWhole + 1) top = TopRowShowing(count - 1);
    }
    topRow = top;
    ScrollChanged();
}

}  // namespace report
