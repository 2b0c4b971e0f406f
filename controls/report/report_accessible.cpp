// The report control's IAccessible and its events. Rows are simple children
// (child id = row + 1); a row's name is the text of its first shown column
// (of its span subitem for a spanning tree row), its value in a tree its
// level from 0, as the platform's tree gives it.
#include "controls/report/report_accessible.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>

#include "controls/report/report_ctrl.h"

using namespace report;

namespace {

using Events = std::vector<std::pair<DWORD, LONG>>;

constexpr char kExpand[] = "Expand";
constexpr char kCollapse[] = "Collapse";
constexpr int kUnknownItem = -3;

bool TreeRows(const CReportCtrl& c) { return (c.Style() & TreeStyles) != 0; }

int NameSubItem(CReportCtrl& c, int item) {
    NodeInfo node;
    if (c.GetNodeInfo(c.GetItemNode(item), node) && node.spanSubItem >= 0) return node.spanSubItem;
    return c.ColumnCount() > 0 ? c.ColumnSubItem(0) : 0;
}

uint32_t ItemState(CReportCtrl& c, int item, int* indent = nullptr) {
    ReportItem about{};
    about.item = item;
    about.subItem = -1;
    if (!c.GetItem(about)) return 0;
    if (indent) *indent = (about.mask & MaskIndent) ? about.indent : 0;
    return about.state;
}

// What stays with an item while rows come and go: its node, its record, or
// in virtual mode its number; 0 for none.
uintptr_t Identity(CReportCtrl& c, int item) {
    if (item < 0) return 0;
    if (c.Style() & VirtualItems) return static_cast<uintptr_t>(item) + 2;
    if (const NodeHandle node = c.GetItemNode(item)) return node;
    return reinterpret_cast<uintptr_t>(c.GetItemRecord(item, -1, 0));
}

// The item an identity names after the rows changed: -2 when it is gone,
// kUnknownItem when a record cannot tell.
int ItemOfIdentity(CReportCtrl& c, uintptr_t id) {
    if (c.Style() & VirtualItems) return static_cast<int>(id - 2) < c.GetItemCount() ? static_cast<int>(id - 2) : -2;
    if (!TreeRows(c)) return kUnknownItem;
    NodeInfo node;
    return c.GetNodeInfo(static_cast<NodeHandle>(id), node) ? node.item : -2;
}

// One event per changed row while there are few; more, or rows that moved
// out of knowledge, make one "the selection changed within".
void SelectionEvents(CReportCtrl& c, AccessEvents& a, bool rowsChanged, Events& events) {
    std::unordered_map<uintptr_t, int> now;
    for (int item : c.GetSelection())
        if (item >= 0) now.emplace(Identity(c, item), item);
    std::vector<int> added;
    for (const auto& [id, item] : now)
        if (!a.selectionSeen.count(id)) added.push_back(item);
    std::vector<std::pair<uintptr_t, int>> removed;
    for (const auto& seen : a.selectionSeen)
        if (!now.count(seen.first)) removed.push_back(seen);
    a.selectionSeen = std::move(now);
    if (added.empty() && removed.empty()) return;

    auto rowOf = [&](int item) { return item >= 0 ? c.ItemToRow(item) : -2; };
    if (a.selectionSeen.size() == 1 && added.size() == 1) {
        if (const int row = rowOf(added[0]); row >= 0) events.emplace_back(EVENT_OBJECT_SELECTION, row + 1);
        return;
    }
    std::vector<LONG> removeRows, addRows;
    bool within = added.size() + removed.size() > AccessEvents::kMaxItemEvents;
    for (size_t i = 0; i < removed.size() && !within; ++i) {
        const int item = rowsChanged ? ItemOfIdentity(c, removed[i].first) : removed[i].second;
        within = item == kUnknownItem;
        if (const int row = rowOf(item); row >= 0) removeRows.push_back(row + 1);
    }
    for (int item : added)
        if (const int row = rowOf(item); row >= 0) addRows.push_back(row + 1);
    if (within) {
        events.emplace_back(EVENT_OBJECT_SELECTIONWITHIN, CHILDID_SELF);
        return;
    }
    std::sort(removeRows.begin(), removeRows.end());
    std::sort(addRows.begin(), addRows.end());
    for (LONG id : removeRows) events.emplace_back(EVENT_OBJECT_SELECTIONREMOVE, id);
    for (LONG id : addRows) events.emplace_back(EVENT_OBJECT_SELECTIONADD, id);
}

}  // namespace

// --- the object -------------------------------------------------------------------------

HWND ReportAccessible::Window() const { return ctrl ? ctrl->GetSafeHwnd() : nullptr; }

void ReportAccessible::Disconnect() {
    if (!ctrl) return;
    ctrl = nullptr;
    DisconnectClients();
}

HRESULT ReportAccessible::Resolve(const VARIANT& child, int& row) const {
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    LONG id;
    if (!win::ChildIdOf(child, id) || id < 0 || id > ctrl->RowCount()) return E_INVALIDARG;
    row = static_cast<int>(id) - 1;
    return S_OK;
}

HRESULT ReportAccessible::get_accParent(IDispatch** out) {
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    return CreateStdAccessibleObject(ctrl->GetSafeHwnd(), OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(out));
}

HRESULT ReportAccessible::get_accChildCount(long* out) {
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    *out = ctrl->RowCount();
    return S_OK;
}

HRESULT ReportAccessible::get_accChild(VARIANT child, IDispatch** out) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (!out) return E_POINTER;
    *out = nullptr;
    return row < 0 ? E_INVALIDARG : S_FALSE;  // rows are simple children
}

// The control's own name: its window text, or else its first column's caption.
HRESULT ReportAccessible::get_accName(VARIANT child, BSTR* out) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    CReportCtrl& c = *ctrl;
    if (row >= 0) {
        const int item = c.RowToItem(row);
        return win::TextResult(c.GetItemText(item, NameSubItem(c, item)), out);
    }
    std::string name = c.GetWindowText();
    const SubItemDef* first = c.ColumnCount() > 0 ? c.GetSubItem(c.ColumnSubItem(0)) : nullptr;
    if (name.empty() && first) name = first->caption;
    return win::TextResult(name, out);
}

HRESULT ReportAccessible::get_accValue(VARIANT child, BSTR* out) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    NodeInfo node;
    if (row < 0 || !TreeRows(*ctrl) || !ctrl->GetNodeInfo(ctrl->GetItemNode(ctrl->RowToItem(row)), node))
        return win::NoText(out);
    return win::TextResult(std::to_string(node.level - 1), out);
}

HRESULT ReportAccessible::get_accDescription(VARIANT child, BSTR* out) {
    int row;
    const HRESULT hr = Resolve(child, row);
    return hr == S_OK ? win::NoText(out) : hr;
}

HRESULT ReportAccessible::get_accRole(VARIANT child, VARIANT* out) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (!out) return E_POINTER;
    const bool tree = TreeRows(*ctrl);
    win::SetChildId(out, row < 0 ? (tree ? ROLE_SYSTEM_OUTLINE : ROLE_SYSTEM_LIST)
                                 : (tree ? ROLE_SYSTEM_OUTLINEITEM : ROLE_SYSTEM_LISTITEM));
    return S_OK;
}

uint32_t ReportAccessible::StateBits(int row) const {
    CReportCtrl& c = *ctrl;
    HWND hwnd = c.GetSafeHwnd();
    const bool focused = GetFocus() == hwnd;
    uint32_t bits = STATE_SYSTEM_FOCUSABLE | (IsWindowVisible(hwnd) ? 0 : STATE_SYSTEM_INVISIBLE);
    if (row < 0) {
        if (focused) bits |= STATE_SYSTEM_FOCUSED;
        if (!IsWindowEnabled(hwnd)) bits |= STATE_SYSTEM_UNAVAILABLE;
        if (!(c.Style() & SingleSelection)) bits |= STATE_SYSTEM_MULTISELECTABLE | STATE_SYSTEM_EXTSELECTABLE;
        return bits;
    }
    const uint32_t state = ItemState(c, c.RowToItem(row));
    bits |= STATE_SYSTEM_SELECTABLE;
    if (state & StateSelected) bits |= STATE_SYSTEM_SELECTED;
    if (focused && c.FocusRow() == row) bits |= STATE_SYSTEM_FOCUSED;
    if (state & StateExpanded)
        bits |= STATE_SYSTEM_EXPANDED;
    else if (state & StateCollapsed)
        bits |= STATE_SYSTEM_COLLAPSED;
    // The rows on screen are a page's worth: counting them does not walk the list.
    const int top = c.TopRow();
    if (row < top || row >= top + c.VisibleRows(top, false)) bits |= STATE_SYSTEM_OFFSCREEN;
    return bits;
}

HRESULT ReportAccessible::get_accState(VARIANT child, VARIANT* out) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (!out) return E_POINTER;
    win::SetChildId(out, static_cast<LONG>(StateBits(row)));
    return S_OK;
}

HRESULT ReportAccessible::get_accHelp(VARIANT child, BSTR* out) {
    int row;
    const HRESULT hr = Resolve(child, row);
    return hr == S_OK ? win::NoText(out) : hr;
}

HRESULT ReportAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (topic) *topic = 0;
    return win::NoText(file);
}

HRESULT ReportAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* out) {
    int row;
    const HRESULT hr = Resolve(child, row);
    return hr == S_OK ? win::NoText(out) : hr;
}

HRESULT ReportAccessible::get_accFocus(VARIANT* out) {
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    if (GetFocus() != ctrl->GetSafeHwnd()) return win::NoChild(out);
    const int row = ctrl->FocusRow();
    win::SetChildId(out, row >= 0 ? row + 1 : CHILDID_SELF);
    return S_OK;
}

HRESULT ReportAccessible::get_accSelection(VARIANT* out) {
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    std::vector<LONG> ids;
    for (int item : ctrl->GetSelection())
        if (const int row = item >= 0 ? ctrl->ItemToRow(item) : -2; row >= 0) ids.push_back(row + 1);
    if (ids.empty()) return win::NoChild(out);
    std::sort(ids.begin(), ids.end());
    if (ids.size() == 1) {
        win::SetChildId(out, ids[0]);
        return S_OK;
    }
    auto* list = new (std::nothrow) win::ChildEnum(std::move(ids));
    if (!list) return E_OUTOFMEMORY;
    out->vt = VT_UNKNOWN;
    out->punkVal = list;
    return S_OK;
}

HRESULT ReportAccessible::get_accDefaultAction(VARIANT child, BSTR* out) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    const uint32_t state = row >= 0 ? ItemState(*ctrl, ctrl->RowToItem(row)) : 0;
    if (state & StateExpanded) return win::TextResult(kCollapse, out);
    if (state & StateCollapsed) return win::TextResult(kExpand, out);
    return win::NoText(out);
}

// As a click on the row's tree button: the parent may refuse it, and hears of it.
HRESULT ReportAccessible::accDoDefaultAction(VARIANT child) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    CReportCtrl& c = *ctrl;
    const int item = row >= 0 ? c.RowToItem(row) : -2;
    if (item < 0 || !(ItemState(c, item) & (StateExpanded | StateCollapsed))) return DISP_E_MEMBERNOTFOUND;
    const NodeHandle node = c.GetItemNode(item);
    ReportNotify n{};
    n.header.code = NotifyButtonClick;
    n.item = item;
    n.subItem = NameSubItem(c, item);
    if (c.Notify(&n.header) != 0) return S_FALSE;
    if (!ctrl) return win::kAccessibleGone;  // the parent destroyed the window meanwhile
    c.Expand(node, 2);
    n.header.code = NotifyExpanded;
    c.Notify(&n.header);
    return S_OK;
}

HRESULT ReportAccessible::accSelect(long flags, VARIANT child) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    return SelectRow(row, flags);
}

HRESULT ReportAccessible::SelectRow(int row, long flags) {
    constexpr long kKnown = SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION | SELFLAG_EXTENDSELECTION | SELFLAG_ADDSELECTION |
                            SELFLAG_REMOVESELECTION;
    const long selection = flags & ~SELFLAG_TAKEFOCUS;
    const bool take = (selection & SELFLAG_TAKESELECTION) != 0, extend = (selection & SELFLAG_EXTENDSELECTION) != 0;
    const bool add = (selection & SELFLAG_ADDSELECTION) != 0, remove = (selection & SELFLAG_REMOVESELECTION) != 0;
    if ((flags & ~kKnown) || (take && selection != SELFLAG_TAKESELECTION) || (add && remove) || (extend && remove) ||
        (row < 0 && selection))
        return E_INVALIDARG;
    HWND hwnd = ctrl->GetSafeHwnd();
    if (flags & SELFLAG_TAKEFOCUS) ::SetFocus(hwnd);
    if (row < 0) return S_OK;
    if (!ctrl) return win::kAccessibleGone;
    CReportCtrl& c = *ctrl;
    const int item = c.RowToItem(row);
    if (!selection) {
        // The focus alone moves, as Ctrl with an arrow key moves it.
        c.SelectRows(row, row, false, true, false, true);
        c.SetAnchorRow(row);
        c.EnsureVisible(item, true);
        return S_OK;
    }
    const bool selected = (ItemState(c, item) & StateSelected) != 0;
    if (!take && !extend && selected == add) return S_OK;

    // A click on the row's name, with Shift for an extension and Ctrl for an
    // addition or removal: the parent hears of it first, and may take it.
    RECT box;
    RowBox(row, box);
    const POINT point{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    ReportHitTest hit{};
    hit.x = point.x;
    hit.y = point.y;
    hit.flags = HitText;
    hit.node = c.GetItemNode(item);
    hit.item = item;
    hit.subItem = NameSubItem(c, item);
    hit.row = row;
    hit.column = std::max(c.ColumnPosition(hit.subItem), 0);
    const bool ctrlKey = add || remove;
    const UINT keys = MK_LBUTTON | (extend ? MK_SHIFT : 0) | (ctrlKey ? MK_CONTROL : 0);
    if (c.NotifyHit(NotifyClick, keys, point, hit) != 0) return S_OK;
    if (!ctrl) return win::kAccessibleGone;
    const int now = c.ItemToRow(item);  // the parent may have changed the rows
    if (now < 0) return S_OK;
    c.ClickRow(now, hit.column, extend, ctrlKey, false);
    c.EnsureVisible(item, true);
    return S_OK;
}

// The row from its first column's indented edge to the end of the last
// column, in client coordinates; a row out of view is placed as if every row
// between had the plain height.
bool ReportAccessible::RowBox(int row, RECT& rect) const {
    CReportCtrl& c = *ctrl;
    int indent = 0;
    ItemState(c, c.RowToItem(row), &indent);
    const int column = c.ColumnCount() > 0 ? 0 : -1;
    if (!c.GetRowRect(row, column, rect, PartTextToRowEnd)) {
        const RECT& area = c.ItemArea();
        const int64_t top = area.top + static_cast<int64_t>(row - c.TopRow()) * c.RowHeight();
        const int left = area.left - c.ScrollX();
        rect = {left, static_cast<LONG>(std::clamp<int64_t>(top, INT32_MIN / 2, INT32_MAX / 2)),
                left + (column < 0 ? area.right - area.left : c.TotalColumnWidth()), 0};
        rect.bottom = rect.top + c.RowHeight();
    }
    rect.left = std::min(rect.left + c.IndentPixels(indent), rect.right);
    return true;
}

HRESULT ReportAccessible::accLocation(long* x, long* y, long* width, long* height, VARIANT child) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (!x || !y || !width || !height) return E_POINTER;
    HWND hwnd = ctrl->GetSafeHwnd();
    RECT rect;
    if (row < 0)
        GetClientRect(hwnd, &rect);
    else
        RowBox(row, rect);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    *x = rect.left;
    *y = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

HRESULT ReportAccessible::accNavigate(long direction, VARIANT start, VARIANT* out) {
    int row;
    if (const HRESULT hr = Resolve(start, row); hr != S_OK) return hr;
    if (!out) return E_POINTER;
    const int count = ctrl->RowCount();
    int target = -2;
    if (row < 0) {
        if (direction == NAVDIR_FIRSTCHILD) target = 0;
        if (direction == NAVDIR_LASTCHILD) target = count - 1;
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
        target = row + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
        target = row - 1;
    }
    if (target < 0 || target >= count) return win::NoChild(out);
    win::SetChildId(out, target + 1);
    return S_OK;
}

HRESULT ReportAccessible::accHitTest(long x, long y, VARIANT* out) {
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    HWND hwnd = ctrl->GetSafeHwnd();
    POINT point{x, y};
    ScreenToClient(hwnd, &point);
    RECT client;
    GetClientRect(hwnd, &client);
    if (!PtInRect(&client, point)) return win::NoChild(out);
    ReportHitTest hit{};
    hit.x = point.x;
    hit.y = point.y;
    ctrl->HitTest(hit);
    win::SetChildId(out, hit.item != -2 && hit.row >= 0 ? hit.row + 1 : CHILDID_SELF);
    return S_OK;
}

HRESULT ReportAccessible::put_accName(VARIANT, BSTR) { return ctrl ? DISP_E_MEMBERNOTFOUND : win::kAccessibleGone; }

HRESULT ReportAccessible::put_accValue(VARIANT, BSTR) { return ctrl ? DISP_E_MEMBERNOTFOUND : win::kAccessibleGone; }

AccessEvents::~AccessEvents() {
    if (!object) return;
    object->Disconnect();
    object->Release();
}

// --- the control's side ------------------------------------------------------------------

LRESULT CReportCtrl::OnGetObject(WPARAM wp, LPARAM lp) {
    if (static_cast<DWORD>(lp) != static_cast<DWORD>(OBJID_CLIENT)) return Default();
    if (!access) access = std::make_unique<AccessEvents>();
    if (!access->object) access->object = new (std::nothrow) ReportAccessible(*this);
    return access->object ? win::AccessibleResult(access->object, wp) : Default();
}

void CReportCtrl::AccessChanged(bool focusTaken) {
    if (!hwnd) return;
    if (!access) access = std::make_unique<AccessEvents>();
    if (focusTaken) access->focusSeen = 0;
    if (access->scheduled) return;
    access->scheduled = true;
    const DWORD since = GetTickCount() - access->lastFlush;
    if (since >= AccessEvents::kQuietMs && PostMessageA(hwnd, kAccessEvents, 0, 0)) return;
    SetTimer(hwnd, kAccessTimer, since < AccessEvents::kQuietMs ? AccessEvents::kQuietMs - since : 1, nullptr);
}

void CReportCtrl::ItemChanged(int item, int subItem, ItemChange change) {
    if (!hwnd) return;
    AccessChanged();
    AccessEvents& a = *access;
    if (a.overflow) return;
    if (change == ItemChange::Text) {
        if (subItem != NameSubItem(*this, item) || std::count(a.renamed.begin(), a.renamed.end(), item)) return;
        a.renamed.push_back(item);
    } else {
        const NodeHandle node = GetItemNode(item);
        if (!node || std::count(a.toggled.begin(), a.toggled.end(), node)) return;
        a.toggled.push_back(node);
    }
    if (a.renamed.size() + a.toggled.size() > AccessEvents::kMaxItemEvents) {
        a.overflow = true;
        a.renamed.clear();
        a.toggled.clear();
    }
}

LRESULT CReportCtrl::OnAccessEvents(WPARAM, LPARAM) {
    SendAccessEvents();
    return 0;
}

LRESULT CReportCtrl::OnTimer(WPARAM wp, LPARAM) {
    if (wp != kAccessTimer) return Default();
    KillTimer(hwnd, kAccessTimer);
    SendAccessEvents();
    return 0;
}

// What changed since the last time, in this order: expand and collapse, the
// rows (a change of the rows stands for the names set meanwhile: a reader
// reads them again), the focus row, the selection. A hidden control tells
// nothing, but keeps up.
void CReportCtrl::SendAccessEvents() {
    if (!access || !access->scheduled) return;
    AccessEvents& a = *access;
    a.scheduled = false;
    a.lastFlush = GetTickCount();
    Events events;
    const uint64_t rows = RowsChangeCount();
    const bool rowsChanged = a.rowsSeen != rows || a.overflow;
    for (NodeHandle node : a.toggled) {
        NodeInfo info;
        if (const int row = GetNodeInfo(node, info) ? ItemToRow(info.item) : -2; row >= 0)
            events.emplace_back(EVENT_OBJECT_STATECHANGE, row + 1);
    }
    if (rowsChanged) {
        events.emplace_back(EVENT_OBJECT_REORDER, CHILDID_SELF);
    } else {
        for (int item : a.renamed)
            if (const int row = ItemToRow(item); row >= 0) events.emplace_back(EVENT_OBJECT_NAMECHANGE, row + 1);
    }
    // The control's own focus is the system's to tell; a row's is ours.
    const bool focused = GetFocus() == hwnd;
    const int focusRow = focused ? FocusRow() : -2;
    const uintptr_t focus = focusRow >= 0 ? Identity(*this, RowToItem(focusRow)) : 0;
    if (focus != a.focusSeen && focused) events.emplace_back(EVENT_OBJECT_FOCUS, focus ? focusRow + 1 : CHILDID_SELF);
    a.focusSeen = focus;
    SelectionEvents(*this, a, rowsChanged, events);

    a.rowsSeen = rows;
    a.renamed.clear();
    a.toggled.clear();
    a.overflow = false;
    if (!IsWindowVisible(hwnd)) return;
    for (const auto& [event, child] : events) NotifyWinEvent(event, hwnd, OBJID_CLIENT, child);
}
