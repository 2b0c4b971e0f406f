// Items, records, the record cache, notifications, comparisons and selection.
// The tree, the rows and sorting are in report_tree.cpp.
#include "controls/report/report_model.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace report {

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }
int Compare(int a, int b) { return (a > b) - (a < b); }

// A GetItemString prefix for an absurd indent stays small.
constexpr int kMaxPrefixLevels = 255;

}  // namespace

void ReportModel::SelectionList::Add(uint32_t key) {
    if (Contains(key)) return;
    order.push_back(key);
    where[key] = std::prev(order.end());
}

void ReportModel::SelectionList::Remove(uint32_t key) {
    auto it = where.find(key);
    if (it == where.end()) return;
    order.erase(it->second);
    where.erase(it);
}

void ReportModel::SelectionList::Clear() {
    order.clear();
    where.clear();
}

ReportModel::ReportModel() : cache(kCacheSlots) {
    slots.resize(2);
    Slot& root = slots[kRootSlot];
    root.alive = root.hasNode = root.expanded = true;
    slots[kEntrySlot].alive = true;
}

ReportModel::~ReportModel() = default;

// --- set-up -----------------------------------------------------------------

void ReportModel::ChangeStyle(uint32_t newStyle) {
    const uint32_t old = style;
    style = newStyle;
    // Only a real change moves the row height: adding the grid twice must not grow it twice.
    if ((old ^ newStyle) & HorizontalGrid) rowHeight += (newStyle & HorizontalGrid) ? 1 : -1;
    if ((old & CellFocus) && !(newStyle & CellFocus)) focusColumn = -1;
    if ((old ^ newStyle) & VirtualItems) {
        // Keys of one mode mean nothing in the other.
        if (!(old & VirtualItems)) {
            for (uint32_t key : selection.Keys()) slots[key].record.state &= ~StateSelected;
            if (focusKey) slots[focusKey].record.state &= ~StateFocused;
        }
        selection.Clear();
        focusKey = 0;
        DropCachedRecord(-2);
        entryCached = false;
        RebuildRows();
    } else if (((old & TreeStyles) != 0) != TreeShown()) {
        RebuildRows();
    }
    UpdateScroll();
}

int ReportModel::DefineSubItem(const SubItemDef& def) {
    subItems.push_back(def);
    return SubItemCount() - 1;
}

const SubItemDef* ReportModel::GetSubItem(int subItem) const {
    return subItem >= 0 && subItem < SubItemCount() ? &subItems[static_cast<size_t>(subItem)] : nullptr;
}

SubItemDef* ReportModel::GetSubItem(int subItem) {
    return subItem >= 0 && subItem < SubItemCount() ? &subItems[static_cast<size_t>(subItem)] : nullptr;
}

void ReportModel::SetColor(int index, uint32_t colour) {
    if (index < 0) return;
    if (static_cast<size_t>(index) >= colors.size()) colors.resize(static_cast<size_t>(index) + 1, 0);
    colors[static_cast<size_t>(index)] = colour;
}

uint32_t ReportModel::GetColor(int index) const {
    return index >= 0 && index < ColorCount() ? colors[static_cast<size_t>(index)] : 0;
}

bool ReportModel::NotificationEnabled(uint32_t code) const {
    const int k = -2048 - static_cast<int32_t>(code);
    return k < 0 || k > 31 || ((notificationMask >> k) & 1u) != 0;
}

void ReportModel::SetVirtualItemCount(int count) {
    virtualCount = std::max(count, 0);
    if (!IsVirtual()) return;
    DropCachedRecord(-2);
    if (focusKey > kEntrySlot && focusKey - 2 >= static_cast<uint32_t>(virtualCount)) focusKey = 0;
    for (uint32_t key : selection.Keys())
        if (key > kEntrySlot && key - 2 >= static_cast<uint32_t>(virtualCount)) selection.Remove(key);
    ++epoch;
    UpdateScroll();
    InvalidateRows(0, -1);
}

void ReportModel::SetCompareCallback(CompareCallback callback, intptr_t user) {
    compareCallback = callback;
    compareUser = user;
}

// --- columns ----------------------------------------------------------------

void ReportModel::SetColumns(const std::vector<HeaderColumn>& byIndex, const std::vector<int>& displayOrder) {
    const int focusedSubItem =
        focusColumn >= 0 && ColumnCount() > 0 ? ColumnSubItem(std::min(focusColumn, ColumnCount() - 1)) : -1;
    headerColumns = byIndex;
    order.clear();
    for (int index : displayOrder)
        if (index >= 0 && static_cast<size_t>(index) < headerColumns.size()) order.push_back(index);
    // A focused cell follows its subitem to wherever the header put it.
    focusColumn = focusedSubItem >= 0 ? ColumnPosition(focusedSubItem) : -1;
}

int ReportModel::ColumnSubItem(int position) const {
    if (position < 0 || position >= ColumnCount()) return -1;
    return headerColumns[static_cast<size_t>(order[static_cast<size_t>(position)])].subItem;
}

int ReportModel::ColumnPosition(int subItem) const {
    for (int p = 0; p < ColumnCount(); ++p)
        if (ColumnSubItem(p) == subItem) return p;
    return -1;
}

int ReportModel::HeaderIndexOf(int subItem) const {
    for (size_t i = 0; i < headerColumns.size(); ++i)
        if (headerColumns[i].subItem == subItem) return static_cast<int>(i);
    return -1;
}

// --- slots, handles and keys --------------------------------------------------

uint32_t ReportModel::NewSlot() {
    uint32_t slot;
    if (!freeSlots.empty()) {
        slot = freeSlots.back();
        freeSlots.pop_back();
    } else {
        if (slots.size() > kSlotMask) throw std::bad_alloc();
        slots.emplace_back();
        slot = static_cast<uint32_t>(slots.size() - 1);
    }
    const uint16_t generation = slots[slot].generation;
    slots[slot] = Slot{};
    slots[slot].generation = generation;
    slots[slot].alive = true;
    return slot;
}

void ReportModel::FreeSlot(uint32_t slot) {
    const uint16_t generation = static_cast<uint16_t>(slots[slot].generation + 1);
    slots[slot] = Slot{};
    slots[slot].generation = generation;
    // A slot whose generation would wrap is never reused, so no old handle can come back to life.
    if (generation <= kMaxGeneration) freeSlots.push_back(slot);
}

bool ReportModel::Alive(SlotRef ref) const {
    return ref.slot < slots.size() && slots[ref.slot].alive && slots[ref.slot].generation == ref.generation;
}

NodeHandle ReportModel::HandleOf(uint32_t slot) const {
    if (slot == kRootSlot) return RootNode;
    return (static_cast<uint32_t>(slots[slot].generation) << kSlotBits) | slot;
}

uint32_t ReportModel::SlotOfNode(NodeHandle node) const {
    if (node == RootNode) return kRootSlot;
    const uint32_t slot = node & kSlotMask;
    if (slot <= kEntrySlot || slot >= slots.size()) return kNil;
    const Slot& s = slots[slot];
    return s.alive && s.hasNode && s.generation == (node >> kSlotBits) ? slot : kNil;
}

uint32_t ReportModel::SlotOfItem(int item) const {
    if (item == -1) return kEntrySlot;
    return item >= 0 && item < items.Size() ? items.At(item) : kNil;
}

int ReportModel::ItemOfSlot(uint32_t slot) const {
    if (slot == kEntrySlot) return -1;
    const int item = items.PositionOf(slot);
    return item < 0 ? -2 : item;
}

bool ReportModel::ValidItem(int item) const { return item >= -1 && item < GetItemCount(); }

int ReportModel::GetItemCount() const { return IsVirtual() ? virtualCount : items.Size(); }

uint32_t ReportModel::KeyOfItem(int item) const {
    if (item == -1) return kEntrySlot;
    if (IsVirtual()) return item >= 0 && item < virtualCount ? static_cast<uint32_t>(item) + 2 : 0;
    const uint32_t slot = SlotOfItem(item);
    return slot == kNil ? 0 : slot;
}

ReportModel::KeyRef ReportModel::Hold(uint32_t key) const {
    const bool inVirtual = IsVirtual();
    return {key, inVirtual || key >= slots.size() ? uint16_t{0} : slots[key].generation, inVirtual};
}

uint32_t ReportModel::Still(KeyRef ref) const {
    if (ref.key == 0 || ref.virtualKey != IsVirtual()) return 0;
    if (ref.virtualKey) return ref.key == kEntrySlot || ref.key - 2 < static_cast<uint32_t>(virtualCount) ? ref.key : 0;
    const bool same = ref.key < slots.size() && slots[ref.key].alive && slots[ref.key].generation == ref.generation;
    return same ? ref.key : 0;
}

uint32_t ReportModel::KeyOfRow(int row) const {
    if (row == -1) return kEntrySlot;
    if (row < 0 || row >= RowCount()) return 0;
    return IsVirtual() ? static_cast<uint32_t>(row) + 2 : rows.At(row);
}

int ReportModel::RowOfKey(uint32_t key) const {
    if (key == 0) return -2;
    if (key == kEntrySlot) return -1;
    if (IsVirtual()) return static_cast<int>(key - 2) < virtualCount ? static_cast<int>(key - 2) : -2;
    const int row = rows.PositionOf(key);
    return row < 0 ? -2 : row;
}

int ReportModel::ItemOfKey(uint32_t key) const {
    if (key == 0) return -2;
    if (IsVirtual()) return key == kEntrySlot ? -1 : static_cast<int>(key - 2);
    return ItemOfSlot(key);
}

int ReportModel::RowCount() const { return IsVirtual() ? virtualCount : rows.Size(); }

int ReportModel::RowToItem(int row) const {
    if (row == -2 || row == -1) return row;
    if (row < 0 || row >= RowCount()) return -2;
    return IsVirtual() ? row : ItemOfSlot(rows.At(row));
}

int ReportModel::ItemToRow(int item) const {
    if (item == -1) return -1;
    if (IsVirtual()) return item >= 0 && item < virtualCount ? item : -2;
    const uint32_t slot = item >= 0 ? SlotOfItem(item) : kNil;
    if (slot == kNil) return -2;
    const int row = rows.PositionOf(slot);
    return row < 0 ? -2 : row;
}

int ReportModel::FocusRow() const { return RowOfKey(focusKey); }

uint32_t ReportModel::ItemId(int item) const {
    if (IsVirtual()) return item >= 0 && item < virtualCount ? static_cast<uint32_t>(item) + 1 : 0;
    const uint32_t slot = item >= 0 ? SlotOfItem(item) : kNil;
    return slot == kNil ? 0 : HandleOf(slot);
}

int ReportModel::ItemOfId(uint32_t id) const {
    if (IsVirtual()) return id >= 1 && id - 1 < static_cast<uint32_t>(virtualCount) ? static_cast<int>(id - 1) : -2;
    const uint32_t slot = id & kSlotMask;
    if (slot <= kEntrySlot || slot >= slots.size() || !slots[slot].alive || slots[slot].generation != id >> kSlotBits)
        return -2;
    return ItemOfSlot(slot);
}

std::vector<int> ReportModel::GetSelection() const {
    std::vector<int> out;
    for (uint32_t key : selection.Keys()) out.push_back(ItemOfKey(key));
    return out;
}

void ReportModel::SetEditCell(int item, int subItem) {
    const uint32_t key = item == -2 ? 0 : KeyOfItem(item);
    editKey = Hold(key);
    editSubItem = key ? subItem : -1;
}

// --- records and the cache ------------------------------------------------------

ItemRecord* ReportModel::FindCachedRecord(int item) {
    if (item == -1) return entryCached ? &slots[kEntrySlot].record : nullptr;
    if (item < 0) return nullptr;
    CacheSlot& slot = cache[static_cast<size_t>(item % kCacheSlots)];
    return slot.key == item ? &slot.record : nullptr;
}

ItemRecord* ReportModel::AllocCachedRecord(int item) {
    if (item == -1) {
        entryCached = true;
        slots[kEntrySlot].record = ItemRecord{};
        return &slots[kEntrySlot].record;
    }
    if (item < 0) return nullptr;
    CacheSlot& slot = cache[static_cast<size_t>(item % kCacheSlots)];
    slot.key = item;
    slot.record = ItemRecord{};
    return &slot.record;
}

void ReportModel::DropCachedRecord(int item) {
    if (item == -2) {
        for (CacheSlot& slot : cache) slot.key = -2;
        entryCached = false;
    } else if (item == -1) {
        entryCached = false;
    } else if (item >= 0) {
        CacheSlot& slot = cache[static_cast<size_t>(item % kCacheSlots)];
        if (slot.key == item) slot.key = -2;
    }
}

ItemRecord* ReportModel::GetItemRecord(int item, int subItem, uint32_t mask) {
    if (!IsVirtual()) {
        const uint32_t slot = SlotOfItem(item);
        return slot == kNil ? nullptr : &slots[slot].record;
    }
    if (!ValidItem(item)) return nullptr;
    ItemRecord* record = FindCachedRecord(item);
    if (record && cacheEnabled && (subItem < 0 || !record->cells.IsEmptyEntry(subItem))) return record;
    if (!record) {
        record = AllocCachedRecord(item);
        if (!record) return nullptr;
        record->cells.Make(SubItemCount());
    }
    if (!FetchItemRecord(*record, item, subItem, mask)) return nullptr;
    return FindCachedRecord(item);
}

void ReportModel::PutItemRecord(int item, const ItemRecord& record) {
    if (IsVirtual()) return;
    const uint32_t slot = SlotOfItem(item);
    if (slot != kNil && &slots[slot].record != &record) slots[slot].record = record;
}

bool ReportModel::FetchItemRecord(ItemRecord& record, int item, int subItem, uint32_t mask) {
    const bool inCache = (item >= 0 && &record == &cache[static_cast<size_t>(item % kCacheSlots)].record) ||
                         (item == -1 && &record == &slots[kEntrySlot].record);
    char text[kTextBufferSize] = "";
    ReportItemNotify n{};
    n.header.code = NotifyGetItemData;
    ReportItem& answer = n.item;
    answer.mask = mask;
    if (subItem >= 0) {
        answer.mask |= MaskText;
        answer.text = text;
        answer.textMax = kTextBufferSize;
    }
    answer.item = item;
    answer.subItem = subItem;
    answer.textColor = answer.image = answer.check = answer.backColor = answer.indent = -1;
    Notify(&n.header);
    text[kTextBufferSize - 1] = '\0';

    // A fetch the parent made meanwhile may have taken this item's cache slot.
    ItemRecord* target = &record;
    if (inCache && FindCachedRecord(item) != &record) {
        target = AllocCachedRecord(item);
        if (!target) return false;
        target->cells.Make(SubItemCount());
    }
    auto field = [&](uint32_t bit, int value, int none) { return (answer.mask & bit) ? value : none; };
    if (subItem >= 0) {
        const CellString::Cell cell{field(MaskImage, answer.image, -1), field(MaskOverlay, answer.overlay, -1),
                                    field(MaskCheck, answer.check, -1), field(MaskTextColor, answer.textColor, -1)};
        const bool hasText = (answer.mask & MaskText) && answer.text;
        const std::string cellText = hasText ? CellText(answer.text, leadByte) : std::string();
        target->cells.PadTo(subItem + 1);
        target->cells.ReplaceEntry(subItem, cell, hasText ? cellText.c_str() : nullptr);
    }
    target->backColor = field(MaskBackColor, answer.backColor, -1);
    target->preview = field(MaskPreview, answer.preview, 0);
    target->state = (answer.mask & MaskState) ? answer.state : 0;
    target->indent = field(MaskIndent, answer.indent, -1);
    return true;
}

// --- items ----------------------------------------------------------------------

void ReportModel::ReadCell(ItemRecord& record, int subItem, CellString::Cell& cell, char* text, bool& hasText) {
    cell = {};
    hasText = false;
    if (subItem < 0) return;
    int capacity = text ? kTextBufferSize : 1;
    // Found with a capacity left alone: the entry has a text.
    hasText = record.cells.ReadEntry(subItem, cell, text, &capacity) && capacity != -1;
}

bool ReportModel::GetItem(ReportItem& item) {
    if (!ValidItem(item.item) || item.subItem >= SubItemCount()) return false;
    const uint32_t asked = item.mask;
    ItemRecord* record = GetItemRecord(item.item, item.subItem, asked);
    if (!record) return false;
    uint32_t mask = MaskState | MaskParam;
    item.backColor = record->backColor;
    if (item.backColor >= 0) mask |= MaskBackColor;
    item.preview = record->preview;
    if (item.preview != 0) mask |= MaskPreview;
    item.indent = record->indent;
    if (item.indent >= 0) mask |= MaskIndent;
    item.state = record->state;
    item.param = record->param;

    CellString::Cell cell;
    char* buffer = (asked & MaskText) && item.text && item.textMax > 0 ? item.text : nullptr;
    if (item.subItem >= 0) {
        int capacity = buffer ? item.textMax : 1;
        const bool hasText = record->cells.ReadEntry(item.subItem, cell, buffer, &capacity) && capacity != -1;
        if (hasText && buffer) mask |= MaskText;
    }
    item.image = cell.image;
    item.overlay = cell.overlay;
    item.check = cell.check;
    item.textColor = cell.textColor;
    if (cell.image >= 0) mask |= MaskImage;
    if (cell.overlay >= 0) mask |= MaskOverlay;
    if (cell.check >= 0) mask |= MaskCheck;
    if (cell.textColor >= 0) mask |= MaskTextColor;
    item.mask = mask;
    return true;
}

bool ReportModel::SetItem(const ReportItem& item) {
    if (IsVirtual() || !ValidItem(item.item) || item.subItem >= SubItemCount()) return false;
    HideTip();
    ItemRecord* record = GetItemRecord(item.item, item.subItem, item.mask);
    if (!record) return false;
    if (item.subItem >= 0) {
        CellString::Cell cell;
        char stored[kTextBufferSize];
        bool hasText;
        ReadCell(*record, item.subItem, cell, stored, hasText);
        std::string text = hasText ? stored : "";
        if (item.mask & MaskText) {
            hasText = item.text != nullptr;
            text = CellText(item.text, leadByte);
        }
        if (item.mask & MaskTextColor) cell.textColor = item.textColor;
        if (item.mask & MaskImage) cell.image = item.image;
        if (item.mask & MaskOverlay) cell.overlay = item.overlay;
        if (item.mask & MaskCheck) cell.check = item.check;
        // Items made before this subitem was defined have no entry for it yet.
        record->cells.PadTo(item.subItem + 1);
        record->cells.ReplaceEntry(item.subItem, cell, hasText ? text.c_str() : nullptr);
    }
    if (item.mask & MaskBackColor) record->backColor = item.backColor;
    // A band of another height moves the rows below it too.
    const bool bandChanged = (item.mask & MaskPreview) && record->preview != item.preview;
    if (item.mask & MaskPreview) record->preview = item.preview;
    if (item.mask & MaskIndent) {
        record->indent = item.indent;
        const uint32_t slot = SlotOfItem(item.item);
        if (slots[slot].hasNode) touchedIndents.push_back(slot);
    }
    if (item.mask & MaskState) record->state = (record->state & StatesOwned) | (item.state & ~StatesOwned);
    if (item.mask & MaskParam) record->param = item.param;
    PutItemRecord(item.item, *record);
    if ((item.mask & MaskText) && item.subItem >= 0) ItemChanged(item.item, item.subItem, ItemChange::Text);
    if ((item.mask & MaskState) && cacheEnabled) DropCachedRecord(item.item);
    UpdateScroll();
    const int row = ItemToRow(item.item);
    if (row != -2) InvalidateRows(row, bandChanged ? -1 : row);
    return true;
}

int ReportModel::GetItemText(int item, int subItem, char* text, int capacity) {
    if (!text || capacity < 1) return 0;
    text[0] = '\0';
    ReportItem query{};
    query.mask = MaskText;
    query.item = item;
    query.subItem = subItem;
    query.text = text;
    query.textMax = capacity;
    // Without a text the buffer says so, rather than keeping what the caller left there.
    if (!GetItem(query) || !(query.mask & MaskText)) {
        text[0] = '\0';
        return 0;
    }
    return static_cast<int>(std::strlen(text));
}

std::string ReportModel::GetItemText(int item, int subItem) {
    char text[kTextBufferSize];
    GetItemText(item, subItem, text, kTextBufferSize);
    return text;
}

bool ReportModel::SetItemText(int item, int subItem, const char* text) {
    ReportItem change{};
    change.mask = MaskText;
    change.item = item;
    change.subItem = subItem;
    change.text = const_cast<char*>(text);
    return SetItem(change);
}

uint32_t ReportModel::InsertStored(int position, const ReportItem& fields) {
    uint32_t slot = kNil;
    try {
        slot = NewSlot();
        slots[slot].record.cells.Make(SubItemCount());
        items.Insert(position, slot);
        if (!TreeShown()) rows.Insert(position, slot);
    } catch (const std::bad_alloc&) {
        if (slot != kNil) {
            if (rows.Contains(slot)) rows.Erase(rows.PositionOf(slot));
            if (items.Contains(slot)) items.Erase(items.PositionOf(slot));
            FreeSlot(slot);
        }
        return kNil;
    }
    ++epoch;
    ReportItem in = fields;
    in.item = position;
    SetItem(in);
    if (!TreeShown()) InvalidateRows(position, -1);
    UpdateScroll();
    return slot;
}

int ReportModel::InsertListItem(const ReportItem& item) {
    // A position past the end appends: it must not leave items without rows.
    if (IsVirtual() || TreeShown() || item.item < 0) return -2;
    const uint32_t slot = InsertStored(std::min(item.item, items.Size()), item);
    return slot == kNil ? -2 : ItemOfSlot(slot);
}

void ReportModel::NotifyDelete(uint32_t slot) {
    slots[slot].notified = true;
    ReportNotify n{};
    n.header.code = NotifyDeleteItem;
    n.item = ItemOfSlot(slot);
    n.subItem = 0;
    n.param = slots[slot].record.param;
    Notify(&n.header);
}

void ReportModel::ForgetItem(uint32_t slot) {
    selection.Remove(slot);
    if (focusKey == slot) focusKey = 0;
}

void ReportModel::RemoveStored(uint32_t slot) {
    const int row = rows.PositionOf(slot);
    if (row >= 0) {
        rows.Erase(row);
        InvalidateRows(row, -1);
    }
    const uint32_t parent = slots[slot].parent;
    if (slots[slot].hasNode && parent != kNil) {
        Unlink(slot);
        if (parent != kRootSlot && Visible(parent)) RedrawButton(parent);
    }
    ForgetItem(slot);
    items.Erase(items.PositionOf(slot));
    FreeSlot(slot);
    ++epoch;
    UpdateScroll();
}

bool ReportModel::DeleteListItem(int item) {
    if (IsVirtual() || TreeShown() || item < 0) return false;
    const uint32_t slot = SlotOfItem(item);
    // An item with tree children stays: they would keep its slot as their
    // parent, and the item a later insert puts there would close a cycle.
    if (slot == kNil || slots[slot].firstChild != kNil) return false;
    const SlotRef ref = RefOf(slot);
    // The parent may delete the item itself while it hears of the deletion,
    // or even give it children: those go with it.
    if (!slots[slot].notified) NotifyDelete(slot);
    DeleteSubtree(ref);
    return true;
}

bool ReportModel::DeleteAllItems() {
    if (IsVirtual()) return false;
    ClearFocus();
    if (TreeShown())
        while (slots[kRootSlot].firstChild != kNil) DeleteSubtree(RefOf(slots[kRootSlot].firstChild));
    // Every item left hears of it in index order; a change made meanwhile starts the walk again.
    for (int i = 0; i < items.Size();) {
        const uint32_t slot = items.At(i);
        if (slots[slot].notified) {
            ++i;
            continue;
        }
        const uint64_t seen = epoch;
        NotifyDelete(slot);
        i = epoch == seen ? i + 1 : 0;
    }
    ClearFocus();  // the parent may have set it while it heard of the deletions
    for (uint32_t slot : items.Slice(0, items.Size())) FreeSlot(slot);
    items.Clear();
    rows.Clear();
    if (selection.Contains(kEntrySlot)) slots[kEntrySlot].record.state &= ~StateSelected;
    selection.Clear();
    Slot& root = slots[kRootSlot];
    root.firstChild = root.lastChild = kNil;
    root.childCount = 0;
    touchedIndents.clear();
    topRow = 0;
    ++epoch;
    UpdateScroll();
    InvalidateRows(0, -1);
    return true;
}

// --- item strings and comparisons ------------------------------------------------

std::string ReportModel::GetItemString(int item, char separator) {
    std::string line;
    if (!ValidItem(item)) return line;
    for (int position = 0; position < ColumnCount(); ++position) {
        char text[kTextBufferSize] = "";
        ReportItem cell{};
        cell.mask = MaskText;
        cell.item = item;
        cell.subItem = ColumnSubItem(position);
        cell.text = text;
        cell.textMax = kTextBufferSize;
        cell.image = cell.check = cell.indent = -1;
        if (!GetItem(cell)) cell.mask = 0;
        if (position == 0 && TreeShown()) {
            line.append(static_cast<size_t>(2 * std::clamp(cell.indent - 1, 0, kMaxPrefixLevels)), ' ');
            line += (cell.state & StateExpanded) ? '-' : (cell.state & StateCollapsed) ? '+' : ' ';
        }
        if (cell.mask & MaskText) {
            std::replace(text, text + std::strlen(text), separator, ' ');
            line += text;
        } else if (cell.image >= 0) {
            line += std::to_string(cell.image);
        } else if (cell.check >= 0) {
            line += std::to_string(cell.check);
        }
        line += position + 1 < ColumnCount() ? separator : '\n';
    }
    return line;
}

int ReportModel::CompareCells(int itemA, int subItemA, int itemB, int subItemB) {
    if (compareCallback) return compareCallback(itemA, subItemA, itemB, subItemB, compareUser);
    char textA[kTextBufferSize] = "", textB[kTextBufferSize] = "";
    auto read = [this](int item, int subItem, char* text) {
        ReportItem cell{};
        cell.mask = MaskText;
        cell.item = item;
        cell.subItem = subItem;
        cell.text = text;
        cell.textMax = kTextBufferSize;
        cell.image = cell.check = -1;
        if (!GetItem(cell)) cell.mask = 0;
        return cell;
    };
    const ReportItem a = read(itemA, subItemA, textA);
    const ReportItem b = read(itemB, subItemB, textB);
    const bool textInA = a.mask & MaskText, textInB = b.mask & MaskText;
    if (textInA || textInB) return Sign(std::strcmp(textInA ? textA : "", textInB ? textB : ""));
    if (a.check < 0 && b.check < 0) return Compare(a.image, b.image);
    return Compare(a.check, b.check);
}

int ReportModel::CompareItems(const ReportItem& a, const ReportItem& b) {
    auto text = [](const ReportItem& item) {
        return (item.mask & MaskText) && item.text && *item.text ? item.text : nullptr;
    };
    const char* textA = text(a);
    const char* textB = text(b);
    if (textA || textB) return Sign(std::strcmp(textA ? textA : "", textB ? textB : ""));
    const int checkA = (a.mask & MaskCheck) ? a.check : -1, checkB = (b.mask & MaskCheck) ? b.check : -1;
    if (checkA < 0 && checkB < 0)
        return Compare((a.mask & MaskImage) ? a.image : -1, (b.mask & MaskImage) ? b.image : -1);
    return Compare(checkA, checkB);
}

// --- notifications -------------------------------------------------------------

intptr_t ReportModel::Notify(NotifyHeader* record) {
    if (!record || !NotificationEnabled(record->code)) return 0;
    return SendNotify(*record);
}

intptr_t ReportModel::NotifyState(uint32_t code, int item, uint32_t state) {
    ReportNotify n{};
    n.header.code = code;
    n.item = item;
    n.subItem = -1;
    n.state = state;
    return Notify(&n.header);
}

intptr_t ReportModel::SendNotify(NotifyHeader&) { return 0; }
void ReportModel::InvalidateRows(int, int) {}
void ReportModel::ScrollChanged() {}
void ReportModel::HideTip() {}
void ReportModel::ShowSortMark(int, bool) {}
void ReportModel::UpdateNow() {}
void ReportModel::ItemChanged(int, int, ItemChange) {}

// --- focus and selection ----------------------------------------------------------

uint32_t ReportModel::ReadState(int item) {
    const ItemRecord* record = GetItemRecord(item, -1, MaskState);
    return record ? record->state : 0;
}

void ReportModel::WriteState(int item, uint32_t state) {
    ItemRecord* record = GetItemRecord(item, -1, MaskState);
    if (!record) return;
    record->state = state;
    PutItemRecord(item, *record);
    if (IsVirtual() || cacheEnabled) DropCachedRecord(item);
}

void ReportModel::ClearFocus(bool redraw) {
    if (!focusKey) return;
    const int row = FocusRow();
    const int item = ItemOfKey(focusKey);
    focusKey = 0;
    if (item == -2) return;
    WriteState(item, ReadState(item) & ~StateFocused);
    if (redraw && row != -2) InvalidateRows(row, row);
}

void ReportModel::SetFocusKey(uint32_t key, bool redraw) {
    ClearFocus(redraw);
    const int item = ItemOfKey(key);
    if (item == -2) return;
    focusKey = key;
    WriteState(item, ReadState(item) | StateFocused);
    const int row = FocusRow();
    if (redraw && row != -2) InvalidateRows(row, row);
}

void ReportModel::SetSelected(uint32_t key, bool toggle, bool select, bool notify) {
    int item = ItemOfKey(key);
    if (item == -2) return;
    const uint32_t old = ReadState(item);
    const uint32_t now = toggle   ? old ^ StateSelected
                         : select ? old | StateSelected
                                  : old & ~static_cast<uint32_t>(StateSelected);
    if (now == old) return;
    const KeyRef held = Hold(key);
    if (notify && NotifyState(NotifyStateChanging, item, now) != 0) return;
    // The parent may have changed the items while it answered, and even put
    // another item where this one was.
    if (!Still(held)) return;
    item = ItemOfKey(key);
    if (item == -2) return;
    const bool on = (now & StateSelected) != 0;
    if (on)
        selection.Add(key);
    else
        selection.Remove(key);
    WriteState(item, (ReadState(item) & ~static_cast<uint32_t>(StateSelected)) | (on ? StateSelected : 0));
    ItemChanged(item, -1, on ? ItemChange::Selected : ItemChange::Deselected);
    if (notify) NotifyState(NotifyStateChanged, item, now);
}

void ReportModel::SetRowsSelected(int first, int last, bool select, bool notify) {
    if (first > last) std::swap(first, last);
    for (int row = std::max(first, (style & EntryRow) ? -1 : 0); row <= last && row < RowCount(); ++row)
        if (const uint32_t key = KeyOfRow(row)) SetSelected(key, false, select, notify);
    InvalidateRows(first, last);
    UpdateNow();
}

void ReportModel::SelectRows(int first, int last, bool select, bool keep, bool toggle, bool notify) {
    if (style & SingleSelection) {
        last = first;
        keep = false;
    }
    if (FocusRow() != first) {
        ClearFocus();
        if (const uint32_t key = KeyOfRow(first)) SetFocusKey(key);
    }
    if (first > last) std::swap(first, last);
    // Row -1 is an item only with the entry row.
    if (select)
        for (int row = std::max(first, (style & EntryRow) ? -1 : 0); row <= last && row < RowCount(); ++row)
            if (const uint32_t key = KeyOfRow(row)) SetSelected(key, toggle, true, notify);
    InvalidateRows(first, select ? last : first);
    if (select && !keep) {
        std::vector<KeyRef> held;
        for (uint32_t key : selection.Keys()) held.push_back(Hold(key));
        for (const KeyRef& ref : held) {
            const uint32_t key = Still(ref);
            const int row = RowOfKey(key);
            if (!key || !selection.Contains(key) || (row >= first && row <= last)) continue;
            SetSelected(key, false, false, notify);
            if (row != -2) InvalidateRows(row, row);
        }
    }
    UpdateNow();
}

}  // namespace report
