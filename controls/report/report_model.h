// The report control without its window: items and their cell strings, the
// tree, the rows on screen, focus and selection, the record cache of virtual
// mode, sorting, and the notifications, handed to SendNotify as records.
//
// The replaceable operations of the control are the virtual functions marked
// below; the model calls them only virtually, so a derived control (or a test)
// that replaces one is called from everywhere. What the model asks of its
// window (sending, repainting, scroll bars, the header's sort mark) goes
// through the protected hooks at the end.
#pragma once
#include <cstdint>
#include <deque>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/report/cell_string.h"
#include "controls/report/indexed_list.h"
#include "controls/report/report_records.h"

namespace report {

struct SubItemDef {
    uint32_t format = 0;  // bits 0-1 alignment; the Format* bits below
    int width = 0;
    int minWidth = 0;
    int maxWidth = 0;  // 0: none
    int reserved = 0;
    std::string caption;
};

constexpr uint32_t FormatAlignMask = 0x00000003;
constexpr uint32_t FormatNoAutoWidth = 0x00040000;
constexpr uint32_t FormatReserveImage = 0x01000000;
constexpr uint32_t FormatReserveCheck = 0x02000000;
constexpr uint32_t FormatNoCellFocus = 0x04000000;

// One header item as the control reads it: the subitem it shows (its
// parameter value) and its width.
struct HeaderColumn {
    int subItem = 0;
    int width = 0;
};

struct ItemRecord {
    CellString cells;
    int backColor = -1;
    int preview = 0;
    int indent = -1;
    uint32_t state = 0;
    intptr_t param = 0;
    NodeHandle node = 0;
};

// What a tree node holds besides its links.
struct NodeInfo {
    int item = -2;  // -2 for the root
    int spanSubItem = -1;
    bool expanded = false;
    int level = 0;
};

using CompareCallback = int (*)(int itemA, int subItemA, int itemB, int subItemB, intptr_t user);

// A rectangle in the control's client coordinates (right and bottom exclusive).
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Box& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// Parts of a cell for GetItemBox.
enum CellPart { PartCell = 0, PartImage = 1, PartCheck = 2, PartText = 3, PartTextToRowEnd = 4 };

// Scroll requests, numbered as the scroll bar messages number them.
enum ScrollCode {
    ScrollLineUp = 0,
    ScrollLineDown = 1,
    ScrollPageUp = 2,
    ScrollPageDown = 3,
    ScrollThumbPosition = 4,
    ScrollThumbTrack = 5,
    ScrollTop = 6,
    ScrollBottom = 7,
};

// The keys with an action of their own (virtual-key codes).
namespace keys {
constexpr uint32_t Escape = 0x1B, Space = 0x20, PageUp = 0x21, PageDown = 0x22, End = 0x23, Home = 0x24, Left = 0x25,
                   Up = 0x26, Right = 0x27, Down = 0x28;
}  // namespace keys

// What a wheel turn asks for: `count` requests of `code`, or, when `direct`,
// one move of the top row by `count` rows in that direction.
struct WheelSteps {
    int code = ScrollLineUp;
    int count = 0;
    bool direct = false;
};

// What changed of one item, for assistive technology.
enum class ItemChange { Text, Expanded, Selected, Deselected };

class ReportModel {
public:
    static constexpr int kDefaultColumnWidth = 200;
    static constexpr int kTextBufferSize = 256;
    static constexpr int kCacheSlots = 128;
    static constexpr int kTextMargin = 6;
    static constexpr uint32_t kWheelPages = 0xFFFFFFFFu;  // lines per notch meaning a page

    ReportModel();
    virtual ~ReportModel();
    ReportModel(const ReportModel&) = delete;
    ReportModel& operator=(const ReportModel&) = delete;

    // Style: the cached style word; ChangeStyle is the model's part of
    // ModifyStyle (row height with the grid, focus column, row order).
    uint32_t Style() const { return style; }
    void CacheStyle(uint32_t newStyle) { style = newStyle; }
    void ChangeStyle(uint32_t newStyle);

    // Subitems, colours and the rest of the set-up.
    int DefineSubItem(const SubItemDef& def);
    const SubItemDef* GetSubItem(int subItem) const;
    SubItemDef* GetSubItem(int subItem);
    int SubItemCount() const { return static_cast<int>(subItems.size()); }
    void SetColor(int index, uint32_t colour);
    uint32_t GetColor(int index) const;
    int ColorCount() const { return static_cast<int>(colors.size()); }
    void SetNotificationMask(uint32_t mask) { notificationMask = mask; }
    uint32_t NotificationMask() const { return notificationMask; }
    bool NotificationEnabled(uint32_t code) const;
    void EnableCache(bool enable) { cacheEnabled = enable; }
    bool CacheEnabled() const { return cacheEnabled; }
    void SetVirtualItemCount(int count);
    void SetCompareCallback(CompareCallback callback, intptr_t user);
    void SetLeadByteTest(LeadByteTest test) { leadByte = test; }

    // The header's columns, re-read whenever its items change: one entry per
    // header item in index order, and the display order of the indices.
    void SetColumns(const std::vector<HeaderColumn>& byIndex, const std::vector<int>& displayOrder);
    int ColumnCount() const { return static_cast<int>(order.size()); }
    int ColumnSubItem(int position) const;
    int ColumnPosition(int subItem) const;  // display position, -1 when not shown
    int HeaderIndexOf(int subItem) const;   // header item index, -1 when not shown
    bool IsColumnShown(int subItem) const { return ColumnPosition(subItem) >= 0; }
    int TotalColumnWidth() const { return totalWidth; }
    void AdjustTotalColumnWidth(int delta) { totalWidth += delta; }
    int FocusColumn() const { return focusColumn; }
    void SetFocusColumn(int column) { focusColumn = column; }

    // Items.
    bool GetItem(ReportItem& item);
    bool SetItem(const ReportItem& item);
    int GetItemText(int item, int subItem, char* text, int capacity);
    std::string GetItemText(int item, int subItem);
    bool SetItemText(int item, int subItem, const char* text);
    int GetItemCount() const;
    // List mode: a new item at item.item (past the end appends); its index or -2.
    int InsertListItem(const ReportItem& item);
    bool DeleteListItem(int item);
    bool DeleteAllItems();

    // The tree.
    NodeHandle GetItemNode(int item) const;
    NodeHandle GetNextItem(NodeHandle node, int code) const;
    bool ItemHasChildren(NodeHandle node) const;
    bool IsDescendant(NodeHandle ancestor, NodeHandle node) const;
    bool GetNodeInfo(NodeHandle node, NodeInfo& info) const;
    NodeHandle InsertItem(const char* text, int image, int check, int textColor, NodeHandle parent,
                          NodeHandle insertAfter, int spanSubItem);
    bool DeleteItem(NodeHandle node);
    bool Expand(NodeHandle node, int code);
    bool SortItems(int subItem, bool ascending);

    // Rows, focus and selection.
    int RowCount() const;
    // Counts changes to the items, the tree and the rows (inserts, deletes,
    // expands, sorts): equal counts mean the same rows in the same order.
    uint64_t RowsChangeCount() const { return epoch; }
    int RowToItem(int row) const;
    int ItemToRow(int item) const;
    int FocusRow() const;
    int AnchorRow() const { return anchorRow; }
    void SetAnchorRow(int row) { anchorRow = row; }
    std::vector<int> GetSelection() const;  // item indices, in the order selected
    int SelectedCount() const { return selection.Size(); }
    // Selects or deselects rows first..last (either order) and no others; the
    // focus and the anchor stay. Notifies as SelectRows does.
    void SetRowsSelected(int first, int last, bool select, bool notify);
    // A number that stays with an item while rows come and go, never 0 and
    // never given to another item: for a tree item its node handle, in
    // virtual mode the item + 1. ItemOfId gives -2 once the item is gone.
    uint32_t ItemId(int item) const;
    int ItemOfId(uint32_t id) const;
    // The cell of an open in-place edit. Its item is held by identity, so
    // inserts, deletes and sorts carry it along; EditItem() is -2 once the
    // item is gone, and after SetEditCell(-2, -1).
    void SetEditCell(int item, int subItem);
    int EditItem() const { return ItemOfKey(Still(editKey)); }
    int EditSubItem() const { return editSubItem; }

    // Scrolling: the top row, the item area and the rows that fit it.
    int TopRow() const;
    void SetTopRow(int row);
    void SetItemArea(int width, int height);
    int ItemAreaWidth() const { return areaWidth; }
    int ItemAreaHeight() const { return areaHeight; }
    int RowHeight() const { return rowHeight; }
    void SetRowHeight(int height) { rowHeight = height; }
    int RowPixelHeight(int row);  // row height plus the item's preview band
    int VisibleRows(int top, bool wholeRows);
    int TopRowShowing(int bottomRow);
    // Offset of a row from the item area's top, when it is on screen.
    bool RowOffset(int row, int& offset, int& height);
    int ScrollX() const { return scrollX; }
    void SetScrollX(int x) { scrollX = x; }
    bool EnsureVisible(int item, bool wholeRows);
    // Moves the top row by `rows` (negative: up), within the rows there are.
    void ScrollRows(int rows);
    // Scrolls horizontally to `x`, within the columns.
    void ScrollToX(int x);

    // Geometry: the item area and the entry row (its row, inside its frame)
    // in client coordinates, and the widths of a cell's image and check.
    void SetAreas(const Box& items, const Box& entryRow);
    const Box& ItemBox() const { return itemBox; }
    const Box& EntryRowBox() const { return entryBox; }
    void SetPartWidths(int image, int check);
    int ImageWidth() const { return imageWidth; }
    int CheckWidth() const { return checkWidth; }
    // Columns by display position, in pixels from the first column's left edge.
    int ColumnLeft(int position) const;
    int ColumnWidth(int position) const;
    int ColumnAtOffset(int x) const;  // -1 when no column is there
    bool ColumnTakesFocus(int position) const;
    // How far an indent pushes the first column's content; never overflows.
    int IndentPixels(int indent) const;
    // A row the focus may take: a shown row, or -1 with the entry row.
    bool IsRow(int row) const;
    // Rectangles of a row (column -1: all of it) and of a part of a cell;
    // false when the row is not on screen or the part is not there.
    bool GetRowBox(int row, int column, Box& box, int part = PartCell);
    bool GetItemBox(int item, int subItem, Box& box, int part);
    int HitTest(ReportHitTest& hit);

    // What the scroll bars, the wheel and the keys ask for, in rows and pixels.
    int VerticalScrollTarget(int code, int thumb);
    int HorizontalScrollTarget(int code, int thumb) const;
    WheelSteps WheelScroll(int delta, uint32_t linesPerNotch);
    // A key press: -2059 first, then the key's action; true when the key
    // goes on to the default handling.
    bool KeyDown(uint32_t key, uint32_t flags, bool shift, bool ctrl);
    // The key before a character asks for an edit of the focused cell.
    bool EditOnCharacter() const;
    // A left or right click on a row (-2 none) and display column: focus and
    // selection; true when it was a click on the already focused cell.
    bool ClickRow(int row, int column, bool shift, bool ctrl, bool hadFocus);
    void RightClickRow(int row, bool shift, bool ctrl);

    // The replaceable operations without a window, in table order.
    virtual std::string GetItemString(int item, char separator);
    virtual int CompareCells(int itemA, int subItemA, int itemB, int subItemB);
    virtual int CompareItems(const ReportItem& a, const ReportItem& b);
    virtual intptr_t Notify(NotifyHeader* record);
    virtual ItemRecord* FindCachedRecord(int item);
    virtual ItemRecord* AllocCachedRecord(int item);
    virtual void DropCachedRecord(int item);
    virtual ItemRecord* GetItemRecord(int item, int subItem, uint32_t mask);
    virtual void PutItemRecord(int item, const ItemRecord& record);
    virtual bool FetchItemRecord(ItemRecord& record, int item, int subItem, uint32_t mask);
    virtual void SelectRows(int first, int last, bool select, bool keep, bool toggle, bool notify);
    virtual void SortRows(int subItem, int low, int high, bool ascending);
    virtual void SortChildren(int subItem, NodeHandle parent, bool ascending, bool recursive);

protected:
    // What the model asks of its window; without one, nothing happens.
    virtual intptr_t SendNotify(NotifyHeader& record);
    virtual void InvalidateRows(int first, int last);  // last -1: to the end
    virtual void ScrollChanged();
    virtual void HideTip();
    virtual void ShowSortMark(int subItem, bool ascending);
    virtual void UpdateNow();
    // An item's text in a subitem was set, a shown node was expanded or
    // collapsed, or an item was selected or deselected.
    virtual void ItemChanged(int item, int subItem, ItemChange change);
    // The item and subitem of a row and column, and the item's param, for a
    // notification record.
    void DescribeCell(int row, int column, ReportNotify& n);

    bool IsVirtual() const { return (style & VirtualItems) != 0; }
    bool TreeShown() const { return (style & TreeStyles) != 0; }

private:
    static constexpr uint32_t kNil = 0xFFFFFFFFu;
    static constexpr uint32_t kRootSlot = 0;
    static constexpr uint32_t kEntrySlot = 1;
    static constexpr uint32_t kSlotBits = 21;
    static constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
    static constexpr uint16_t kMaxGeneration = 0x3FF;

    // One item (and its tree node), or the root (slot 0) or the entry row (1).
    struct Slot {
        ItemRecord record;
        uint32_t parent = kNil, firstChild = kNil, lastChild = kNil, next = kNil, prev = kNil;
        int span = -1;
        int level = 0;
        int childCount = 0;
        uint16_t generation = 0;
        bool alive = false;
        bool hasNode = false;
        bool expanded = false;
        bool notified = false;  // its -2055 has gone out
    };
    struct SlotRef {
        uint32_t slot = kNil;
        uint16_t generation = 0;
    };
    struct CacheSlot {
        int key = -2;
        ItemRecord record;
    };

    // Keys of items for focus and selection: slot numbers, or in virtual mode
    // item + 2; the entry row is 1 in both; 0 is none.
    class SelectionList {
    public:
        bool Contains(uint32_t key) const { return where.count(key) != 0; }
        int Size() const { return static_cast<int>(where.size()); }
        void Add(uint32_t key);
        void Remove(uint32_t key);
        void Clear();
        std::vector<uint32_t> Keys() const { return {order.begin(), order.end()}; }

    private:
        std::list<uint32_t> order;
        std::unordered_map<uint32_t, std::list<uint32_t>::iterator> where;
    };

    // Slots and handles.
    uint32_t NewSlot();
    void FreeSlot(uint32_t slot);
    bool Alive(SlotRef ref) const;
    SlotRef RefOf(uint32_t slot) const { return {slot, slots[slot].generation}; }
    NodeHandle HandleOf(uint32_t slot) const;
    uint32_t SlotOfNode(NodeHandle node) const;
    uint32_t SlotOfItem(int item) const;
    int ItemOfSlot(uint32_t slot) const;
    bool ValidItem(int item) const;

    // A key held across a notification, with its slot's generation: a slot
    // that the parent frees and fills again meanwhile holds another item.
    struct KeyRef {
        uint32_t key = 0;
        uint16_t generation = 0;
        bool virtualKey = false;
    };
    KeyRef Hold(uint32_t key) const;
    uint32_t Still(KeyRef ref) const;  // the key while it names the same item, else 0

    // Keys, rows and states.
    uint32_t KeyOfItem(int item) const;
    uint32_t KeyOfRow(int row) const;
    int RowOfKey(uint32_t key) const;
    int ItemOfKey(uint32_t key) const;
    uint32_t ReadState(int item);
    void WriteState(int item, uint32_t state);
    // Without `redraw` the rows are not invalidated: the caller sees to them.
    void SetFocusKey(uint32_t key, bool redraw = true);
    void ClearFocus(bool redraw = true);
    void SetSelected(uint32_t key, bool toggle, bool select, bool notify);
    intptr_t NotifyState(uint32_t code, int item, uint32_t state);
    void NotifyDelete(uint32_t slot);

    // Stored items.
    uint32_t InsertStored(int position, const ReportItem& fields);
    void RemoveStored(uint32_t slot);
    void ForgetItem(uint32_t slot);
    void ReadCell(ItemRecord& record, int subItem, CellString::Cell& cell, char* text, bool& hasText);

    // Tree links and rows.
    bool Visible(uint32_t slot) const { return slot == kRootSlot || rows.Contains(slot); }
    bool ShowsChildren(uint32_t slot) const { return Visible(slot) && slots[slot].expanded; }
    int FollowingRow(uint32_t slot) const;
    void Link(uint32_t slot, uint32_t parent, uint32_t before);
    void Unlink(uint32_t slot);
    uint32_t SortedPosition(uint32_t slot, uint32_t parent, int subItem, bool ascending);
    int KeySubItem(uint32_t slot, int subItem) const;
    void SetButtonState(uint32_t slot);
    void RedrawButton(uint32_t slot);
    void CollectShown(uint32_t slot, std::vector<uint32_t>& out);
    void RebuildRows();
    void SetExpanded(uint32_t slot, bool expanded);
    void FixTouchedIndents();
    void DeleteSubtree(SlotRef top);
    void DeselectDescendants(uint32_t slot);
    bool IsAncestorSlot(uint32_t ancestor, uint32_t slot) const;

    // Input.
    void MoveFocusTo(int target, bool shift, bool ctrl);
    bool ArrowLeftRight(bool right);
    bool TreeLeftRight(bool right);
    void MoveFocusColumn(bool right);
    void ShowColumnAt(int position);
    int ValidAnchor(int fallback) const { return IsRow(anchorRow) ? anchorRow : fallback; }
    // What of a cell takes room before its text: its own image and check, or
    // the space its column reserves for them.
    struct CellParts {
        uint32_t state = 0;
        int indent = -1;
        bool image = false, check = false, imageSpace = false, checkSpace = false;
    };
    CellParts ReadCellParts(int item, int subItem);

    // Focus hand-over around tree changes.
    struct Handover {
        SlotRef node;      // the focused node, none for the entry row or no focus
        uint32_t key = 0;  // the focus and its row before
        int row = -2;
    };
    Handover BeginHandover();
    void EndHandover(const Handover& before, SlotRef node);
    void EndHandover(const Handover& before) { EndHandover(before, before.node); }
    void RefreshAfterHandover();
    void UpdateScroll();
    bool RowsFillArea(int top);

    uint32_t style = 0;
    std::vector<SubItemDef> subItems;
    std::vector<uint32_t> colors;
    std::vector<HeaderColumn> headerColumns;
    std::vector<int> order;  // header item indices in display order
    int totalWidth = 0;

    std::deque<Slot> slots;  // stable addresses: records are handed out by pointer
    std::vector<uint32_t> freeSlots;
    IndexedList items;  // slots in item-index order
    IndexedList rows;   // slots in row order (not used in virtual mode)
    std::vector<uint32_t> touchedIndents;
    uint64_t epoch = 0;  // counts changes to the items, the tree and the rows
    int sortDepth = 0;

    SelectionList selection;
    uint32_t focusKey = 0;
    KeyRef editKey;
    int editSubItem = -1;
    int focusColumn = -1;
    int anchorRow = -1;

    int virtualCount = 0;
    std::vector<CacheSlot> cache;
    bool entryCached = false;
    bool cacheEnabled = true;

    uint32_t notificationMask = 0xFFFFFFFFu;
    CompareCallback compareCallback = nullptr;
    intptr_t compareUser = 0;
    LeadByteTest leadByte = nullptr;

    int topRow = 0;
    int rowHeight = 10;
    int areaWidth = 0;
    int areaHeight = 0;
    int scrollX = 0;
    Box itemBox, entryBox;
    int imageWidth = 0;
    int checkWidth = 8;
    bool editOnCharacter = false;
};

}  // namespace report
