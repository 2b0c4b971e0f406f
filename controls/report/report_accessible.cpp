// The report control's IAccessible and its events. Rows are simple children;
// a row's name is the text of its first shown column (of its span subitem for
// a spanning tree row), its description the other shown columns ("Header:
// text, ..."), its value in a tree its level from 0, as the platform's tree
// gives it. The header is a child object before the rows.
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
constexpr char kDoubleClick[] = "Double Click";
// What a posted default action does to its item.
enum AccessAction : WPARAM { ActionToggle, ActionDoubleClick };

bool TreeRows(const CReportCtrl& c) { return (c.Style() & TreeStyles) != 0; }

// Tree rows are told by their items' ids, which rows coming and going leave alone.
bool StableIds(const CReportCtrl& c) { return TreeRows(c) && !(c.Style() & VirtualItems); }

LONG ChildOfRow(const CReportCtrl& c, int row) {
    return StableIds(c) ? static_cast<LONG>(c.ItemId(c.RowToItem(row))) : row + 1;
}

// -2 when the id names no row.
int RowOfChild(const CReportCtrl& c, LONG id) {
    if (!StableIds(c)) return id >= 1 && id <= c.RowCount() ? static_cast<int>(id) - 1 : -2;
    const int item = id > 0 ? c.ItemOfId(static_cast<uint32_t>(id)) : -2;
    return item >= 0 ? c.ItemToRow(item) : -2;
}

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

bool Selected(CReportCtrl& c, int item) { return (ItemState(c, item) & StateSelected) != 0; }

bool HasButton(CReportCtrl& c, int item) { return (ItemState(c, item) & (StateExpanded | StateCollapsed)) != 0; }

// The changes noted since the last events, told one by one while there are
// few: one "selection" when a single item is now the whole selection.
void SelectionEvents(CReportCtrl& c, const AccessEvents& a, Events& events) {
    if (a.selectionOverflow) {
        events.emplace_back(EVENT_OBJECT_SELECTIONWITHIN, CHILDID_SELF);
        return;
    }
    std::vector<std::pair<int, LONG>> added, removed;  // row, child
    for (const auto& [id, told] : a.selected) {
        const int item = c.ItemOfId(id);
        const int row = item >= 0 ? c.ItemToRow(item) : -2;
        if (row < 0 || Selected(c, item) == told) continue;
        (told ? removed : added).emplace_back(row, ChildOfRow(c, row));
    }
    if (added.size() == 1 && c.SelectedCount() == 1) {
        events.emplace_back(EVENT_OBJECT_SELECTION, added[0].second);
        return;
    }
    std::sort(removed.begin(), removed.end());
    std::sort(added.begin(), added.end());
    for (const auto& r : removed) events.emplace_back(EVENT_OBJECT_SELECTIONREMOVE, r.second);
    for (const auto& r : added) events.emplace_back(EVENT_OBJECT_SELECTIONADD, r.second);
}

// A second enumeration of the same children, from where Clone found the first.
class ChildCursor : public IEnumVARIANT {
public:
    ChildCursor(ReportAccessible* owner, long at) : owner(owner), at(at) { owner->AddRef(); }
    ChildCursor(const ChildCursor&) = delete;
    ChildCursor& operator=(const ChildCursor&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = iid == IID_IUnknown || iid == IID_IEnumVARIANT ? static_cast<IEnumVARIANT*>(this) : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        return owner->FetchChildren(at, count, out, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        at += static_cast<long>(std::min<ULONG>(count, 0x7FFFFFFF - static_cast<ULONG>(at)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        at = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) ChildCursor(owner, at);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    virtual ~ChildCursor() { owner->Release(); }
    ReportAccessible* owner;
    long at;
    LONG refs = 1;
};

}  // namespace

// --- the object -------------------------------------------------------------------------

HWND ReportAccessible::Window() const { return ctrl ? ctrl->GetSafeHwnd() : nullptr; }

void ReportAccessible::Disconnect() {
    if (!ctrl) return;
    ctrl = nullptr;
    DisconnectClients();
}

HRESULT ReportAccessible::QueryInterface(REFIID iid, void** out) {
    if (iid != IID_IEnumVARIANT) return AccessibleBase::QueryInterface(iid, out);
    if (!out) return E_POINTER;
    *out = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
}

HRESULT ReportAccessible::Resolve(const VARIANT& child, int& row) const {
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    LONG id;
    if (!win::ChildIdOf(child, id)) return E_INVALIDARG;
    row = id == CHILDID_SELF ? -1 : RowOfChild(*ctrl, id);
    return row == -2 ? E_INVALIDARG : S_OK;
}

HWND ReportAccessible::Header() const {
    HWND header = ctrl->GetHeader();
    return header && (GetWindowLongA(header, GWL_STYLE) & WS_VISIBLE) ? header : nullptr;
}

HRESULT ReportAccessible::HeaderChild(VARIANT* out) const {
    IDispatch* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(Header(), OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(&object))) ||
        !object)
        return win::NoChild(out);
    out->vt = VT_DISPATCH;
    out->pdispVal = object;
    return S_OK;
}

HRESULT ReportAccessible::FetchChildren(long& at, ULONG count, VARIANT* out, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out && count) return E_POINTER;
    const long header = Header() ? 1 : 0, total = ctrl->RowCount() + header;
    ULONG given = 0;
    for (; given < count && at < total; ++given, ++at) {
        VariantInit(&out[given]);
        if (at < header)
            HeaderChild(&out[given]);
        else
            win::SetChildId(&out[given], ChildOfRow(*ctrl, static_cast<int>(at - header)));
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

HRESULT ReportAccessible::Next(ULONG count, VARIANT* out, ULONG* fetched) {
    return FetchChildren(enumAt, count, out, fetched);
}

HRESULT ReportAccessible::Skip(ULONG count) {
    if (!ctrl) return win::kAccessibleGone;
    enumAt += static_cast<long>(std::min<ULONG>(count, 0x7FFFFFFF - static_cast<ULONG>(enumAt)));
    return S_OK;
}

HRESULT ReportAccessible::Reset() {
    if (!ctrl) return win::kAccessibleGone;
    enumAt = 0;
    return S_OK;
}

HRESULT ReportAccessible::Clone(IEnumVARIANT** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!ctrl) return win::kAccessibleGone;
    *out = new (std::nothrow) ChildCursor(this, enumAt);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReportAccessible::get_accParent(IDispatch** out) {
    win::ClearOut(out);
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    return CreateStdAccessibleObject(ctrl->GetSafeHwnd(), OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(out));
}

HRESULT ReportAccessible::get_accChildCount(long* out) {
    win::ClearOut(out);
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    *out = ctrl->RowCount() + (Header() ? 1 : 0);
    return S_OK;
}

HRESULT ReportAccessible::get_accChild(VARIANT child, IDispatch** out) {
    win::ClearOut(out);
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (!out) return E_POINTER;
    return row < 0 ? E_INVALIDARG : S_FALSE;  // rows are simple children
}

// The control's own name: its window text, or else its first column's caption.
HRESULT ReportAccessible::get_accName(VARIANT child, BSTR* out) {
    win::ClearOut(out);
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
    win::ClearOut(out);
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    NodeInfo node;
    if (row < 0 || !TreeRows(*ctrl) || !ctrl->GetNodeInfo(ctrl->GetItemNode(ctrl->RowToItem(row)), node))
        return win::NoText(out);
    return win::TextResult(std::to_string(node.level - 1), out);
}

// The shown columns other than the name's, in display order, as "Header: text".
HRESULT ReportAccessible::get_accDescription(VARIANT child, BSTR* out) {
    win::ClearOut(out);
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (row < 0) return win::NoText(out);
    CReportCtrl& c = *ctrl;
    const int item = c.RowToItem(row), name = NameSubItem(c, item);
    std::string text;
    for (int position = 0; position < c.ColumnCount(); ++position) {
        const int subItem = c.ColumnSubItem(position);
        const std::string cell = subItem == name ? std::string() : c.GetItemText(item, subItem);
        if (cell.empty()) continue;
        const SubItemDef* def = c.GetSubItem(subItem);
        text += (text.empty() ? "" : ", ") + (def ? def->caption : std::string()) + ": " + cell;
    }
    return win::TextResult(text, out);
}

HRESULT ReportAccessible::get_accRole(VARIANT child, VARIANT* out) {
    win::ClearOut(out);
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
    win::ClearOut(out);
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (!out) return E_POINTER;
    win::SetChildId(out, static_cast<LONG>(StateBits(row)));
    return S_OK;
}

HRESULT ReportAccessible::get_accHelp(VARIANT child, BSTR* out) {
    win::ClearOut(out);
    int row;
    const HRESULT hr = Resolve(child, row);
    return hr == S_OK ? win::NoText(out) : hr;
}

HRESULT ReportAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    win::ClearOut(file, topic);
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    return win::NoText(file);
}

HRESULT ReportAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* out) {
    win::ClearOut(out);
    int row;
    const HRESULT hr = Resolve(child, row);
    return hr == S_OK ? win::NoText(out) : hr;
}

HRESULT ReportAccessible::get_accFocus(VARIANT* out) {
    win::ClearOut(out);
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    if (GetFocus() != ctrl->GetSafeHwnd()) return win::NoChild(out);
    const int row = ctrl->FocusRow();
    win::SetChildId(out, row >= 0 ? ChildOfRow(*ctrl, row) : CHILDID_SELF);
    return S_OK;
}

HRESULT ReportAccessible::get_accSelection(VARIANT* out) {
    win::ClearOut(out);
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    std::vector<std::pair<int, LONG>> rows;
    for (int item : ctrl->GetSelection())
        if (const int row = item >= 0 ? ctrl->ItemToRow(item) : -2; row >= 0) rows.emplace_back(row, 0);
    if (rows.empty()) return win::NoChild(out);
    std::sort(rows.begin(), rows.end());
    std::vector<LONG> ids;
    for (const auto& r : rows) ids.push_back(ChildOfRow(*ctrl, r.first));
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
    win::ClearOut(out);
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (row < 0) return win::NoText(out);
    const uint32_t state = ItemState(*ctrl, ctrl->RowToItem(row));
    if (state & StateExpanded) return win::TextResult(kCollapse, out);
    if (state & StateCollapsed) return win::TextResult(kExpand, out);
    return win::TextResult(kDoubleClick, out);
}

// Posted, as the button wrapper posts its click: the reader is not kept
// waiting for what the parent makes of it. The item goes by its id.
HRESULT ReportAccessible::accDoDefaultAction(VARIANT child) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    if (row < 0) return DISP_E_MEMBERNOTFOUND;
    CReportCtrl& c = *ctrl;
    const int item = c.RowToItem(row);
    const WPARAM action = HasButton(c, item) ? ActionToggle : ActionDoubleClick;
    return PostMessageA(c.GetSafeHwnd(), CReportCtrl::kAccessAction, action, static_cast<LPARAM>(c.ItemId(item)))
               ? S_OK
               : E_FAIL;
}

// SELFLAG as documented: only TAKEFOCUS moves the focus and the anchor; an
// extension gives the rows from the anchor the anchor's state (or the one
// asked for) and leaves the others alone. A change of the selection reaches
// the parent first as the click that would make it.
HRESULT ReportAccessible::accSelect(long flags, VARIANT child) {
    int row;
    if (const HRESULT hr = Resolve(child, row); hr != S_OK) return hr;
    constexpr long kKnown = SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION | SELFLAG_EXTENDSELECTION | SELFLAG_ADDSELECTION |
                            SELFLAG_REMOVESELECTION;
    const bool take = flags & SELFLAG_TAKESELECTION, extend = flags & SELFLAG_EXTENDSELECTION;
    const bool add = flags & SELFLAG_ADDSELECTION, remove = flags & SELFLAG_REMOVESELECTION;
    if ((flags & ~kKnown) || (add && remove) || (take && (extend || add || remove)) ||
        (row < 0 && (flags & ~SELFLAG_TAKEFOCUS)))
        return E_INVALIDARG;
    const uint32_t id = row >= 0 ? ctrl->ItemId(ctrl->RowToItem(row)) : 0;
    if (flags & SELFLAG_TAKEFOCUS) ::SetFocus(ctrl->GetSafeHwnd());
    if (!ctrl) return win::kAccessibleGone;
    if (row < 0) return S_OK;
    if (take || extend || add || remove)
        if (const HRESULT hr = ChangeSelection(row, flags); hr != S_OK) return hr == S_FALSE ? S_OK : hr;
    if (!(flags & SELFLAG_TAKEFOCUS)) return S_OK;
    // The focus alone moves, as Ctrl with an arrow key moves it.
    CReportCtrl& c = *ctrl;
    const int item = c.ItemOfId(id), now = item >= 0 ? c.ItemToRow(item) : -2;
    if (now < 0) return S_OK;
    c.SelectRows(now, now, false, true, false, true);
    c.SetAnchorRow(now);
    c.EnsureVisible(item, true);
    return S_OK;
}

// S_FALSE when the parent took the click, or the row went meanwhile.
HRESULT ReportAccessible::ChangeSelection(int row, long flags) {
    CReportCtrl& c = *ctrl;
    const bool extend = flags & SELFLAG_EXTENDSELECTION, add = flags & SELFLAG_ADDSELECTION;
    const bool remove = flags & SELFLAG_REMOVESELECTION;
    // One row at most: an addition or extension takes the selection.
    const bool take = (flags & SELFLAG_TAKESELECTION) || ((c.Style() & SingleSelection) && !remove);
    int item = c.RowToItem(row);
    const uint32_t id = c.ItemId(item);
    if (!take && !extend && Selected(c, item) == add) return S_OK;

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
    const UINT keys = MK_LBUTTON | (extend && !take ? MK_SHIFT : 0) | ((add || remove) && !take ? MK_CONTROL : 0);
    if (c.NotifyHit(NotifyClick, keys, point, hit) != 0) return S_FALSE;
    if (!ctrl) return win::kAccessibleGone;
    item = c.ItemOfId(id);  // the parent may have changed the rows
    row = item >= 0 ? c.ItemToRow(item) : -2;
    if (row < 0) return S_FALSE;
    if (take) {
        const int focus = c.FocusRow();
        const uint32_t focusId = focus >= 0 ? c.ItemId(c.RowToItem(focus)) : 0;
        c.SelectRows(row, row, true, false, false, true);
        if (!(flags & SELFLAG_TAKEFOCUS) && ctrl) {
            const int was = c.ItemOfId(focusId);
            const int back = focus == -1 ? -1 : was >= 0 ? c.ItemToRow(was) : -2;
            c.SelectRows(back, back, false, true, false, true);
        }
    } else if (extend) {
        const int anchor = c.IsRow(c.AnchorRow()) ? c.AnchorRow() : row;
        const bool state = add || (!remove && Selected(c, c.RowToItem(anchor)));
        c.SetRowsSelected(anchor, row, state, true);
    } else {
        c.SetRowsSelected(row, row, add, true);
    }
    if (!ctrl) return win::kAccessibleGone;
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
    win::ClearOut(x, y, width, height);
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

// The header comes before the first row.
HRESULT ReportAccessible::accNavigate(long direction, VARIANT start, VARIANT* out) {
    win::ClearOut(out);
    int row;
    if (const HRESULT hr = Resolve(start, row); hr != S_OK) return hr;
    if (!out) return E_POINTER;
    const int count = ctrl->RowCount();
    int target = -2;
    if (row < 0) {
        if (direction == NAVDIR_FIRSTCHILD) target = Header() ? -1 : 0;
        if (direction == NAVDIR_LASTCHILD) target = count > 0 ? count - 1 : Header() ? -1 : -2;
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
        target = row + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
        target = row > 0 || Header() ? row - 1 : -2;
    }
    if (target == -1) return HeaderChild(out);
    if (target < 0 || target >= count) return win::NoChild(out);
    win::SetChildId(out, ChildOfRow(*ctrl, target));
    return S_OK;
}

HRESULT ReportAccessible::accHitTest(long x, long y, VARIANT* out) {
    win::ClearOut(out);
    if (!ctrl || !ctrl->GetSafeHwnd()) return win::kAccessibleGone;
    if (!out) return E_POINTER;
    HWND hwnd = ctrl->GetSafeHwnd();
    RECT header;
    if (Header() && GetWindowRect(Header(), &header) && PtInRect(&header, POINT{x, y})) return HeaderChild(out);
    POINT point{x, y};
    ScreenToClient(hwnd, &point);
    RECT client;
    GetClientRect(hwnd, &client);
    if (!PtInRect(&client, point)) return win::NoChild(out);
    ReportHitTest hit{};
    hit.x = point.x;
    hit.y = point.y;
    ctrl->HitTest(hit);
    win::SetChildId(out, hit.item != -2 && hit.row >= 0 ? ChildOfRow(*ctrl, hit.row) : CHILDID_SELF);
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

// Someone may hear the events: a client has the object, or a hook is in.
bool CReportCtrl::AccessHeard() const {
    if (access && access->object) return true;
    for (DWORD event : {EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, EVENT_OBJECT_REORDER, EVENT_OBJECT_STATECHANGE,
                        EVENT_OBJECT_NAMECHANGE})
        if (IsWinEventHookInstalled(event)) return true;
    return false;
}

void CReportCtrl::AccessChanged(bool focusTaken) {
    if (!hwnd) return;
    if (!access) access = std::make_unique<AccessEvents>();
    AccessEvents& a = *access;
    if (focusTaken) a.focusSeen = 0;
    if (a.scheduled) return;
    if (!AccessHeard()) {
        // Nothing is noted for nobody; a later listener hears what differs then.
        a.selected.clear();
        a.renamed.clear();
        a.toggled.clear();
        a.overflow = a.selectionOverflow = false;
        return;
    }
    a.scheduled = true;
    const DWORD since = GetTickCount() - a.lastFlush;
    if (since >= AccessEvents::kQuietMs && PostMessageA(hwnd, kAccessEvents, 0, 0)) return;
    SetTimer(hwnd, kAccessTimer, since < AccessEvents::kQuietMs ? AccessEvents::kQuietMs - since : 1, nullptr);
}

void CReportCtrl::ItemChanged(int item, int subItem, ItemChange change) {
    if (!hwnd) return;
    AccessChanged();
    AccessEvents& a = *access;
    if (!a.scheduled) return;
    if (change == ItemChange::Selected || change == ItemChange::Deselected) {
        const uint32_t id = ItemId(item);
        if (a.selectionOverflow || !id ||
            std::any_of(a.selected.begin(), a.selected.end(), [id](const auto& s) { return s.first == id; }))
            return;
        // The state before this change is the one told, unless an earlier change came first.
        if (a.selected.size() < AccessEvents::kMaxItemEvents)
            a.selected.emplace_back(id, change == ItemChange::Deselected);
        else
            a.selectionOverflow = true;
        return;
    }
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

void CReportCtrl::FlushAccessEvents() { SendAccessEvents(); }

LRESULT CReportCtrl::OnTimer(WPARAM wp, LPARAM) {
    if (wp != kAccessTimer) return Default();
    KillTimer(hwnd, kAccessTimer);
    SendAccessEvents();
    return 0;
}

// A reader's default action, as the tree button's click or a double click
// on the row's name would do it, if the item is still there.
LRESULT CReportCtrl::OnAccessAction(WPARAM action, LPARAM id) {
    const int item = ItemOfId(static_cast<uint32_t>(id));
    const int row = item >= 0 ? ItemToRow(item) : -2;
    if (row < 0) return 0;
    ReportNotify n{};
    n.item = item;
    n.subItem = NameSubItem(*this, item);
    if (action == ActionToggle) {
        n.header.code = NotifyButtonClick;
        if (Notify(&n.header) != 0 || !hwnd) return 0;
        Expand(GetItemNode(item), 2);
        n.header.code = NotifyExpanded;
        Notify(&n.header);
        return 0;
    }
    RECT box{};
    GetRowRect(row, ColumnCount() > 0 ? 0 : -1, box, PartTextToRowEnd);
    ReportHitTest hit{};
    hit.x = (box.left + box.right) / 2;
    hit.y = (box.top + box.bottom) / 2;
    hit.flags = HitText;
    hit.node = GetItemNode(item);
    hit.item = item;
    hit.subItem = n.subItem;
    hit.row = row;
    NotifyHit(NotifyDoubleClick, MK_LBUTTON, POINT{hit.x, hit.y}, hit);
    return 0;
}

// What changed since the last time, in this order: expand and collapse, the
// rows (a change of the rows stands for the names set meanwhile: a reader
// reads them again), the focus row, the selection. A list's focused row that
// moved is told again under its new child id. A hidden control tells
// nothing, but keeps up.
void CReportCtrl::SendAccessEvents() {
    if (!access || !access->scheduled) return;
    AccessEvents& a = *access;
    a.scheduled = false;
    Events events;
    const uint64_t rows = RowsChangeCount();
    const bool rowsChanged = a.rowsSeen != rows || a.overflow;
    for (NodeHandle node : a.toggled) {
        NodeInfo info;
        if (const int row = GetNodeInfo(node, info) ? ItemToRow(info.item) : -2; row >= 0)
            events.emplace_back(EVENT_OBJECT_STATECHANGE, ChildOfRow(*this, row));
    }
    if (rowsChanged) {
        events.emplace_back(EVENT_OBJECT_REORDER, CHILDID_SELF);
    } else {
        for (int item : a.renamed)
            if (const int row = ItemToRow(item); row >= 0)
                events.emplace_back(EVENT_OBJECT_NAMECHANGE, ChildOfRow(*this, row));
    }
    // The control's own focus is the system's to tell; a row's is ours.
    const bool focused = GetFocus() == hwnd;
    const int focusRow = focused ? FocusRow() : -2;
    const uint32_t focus = focusRow >= 0 ? ItemId(RowToItem(focusRow)) : 0;
    const bool moved = focus && focus == a.focusSeen && focusRow != a.focusRowSeen && !StableIds(*this);
    if (focused && (focus != a.focusSeen || moved))
        events.emplace_back(EVENT_OBJECT_FOCUS, focus ? ChildOfRow(*this, focusRow) : CHILDID_SELF);
    const size_t before = events.size();
    SelectionEvents(*this, a, events);
    if (moved && events.size() == before && SelectedCount() == 1 && Selected(*this, RowToItem(focusRow)))
        events.emplace_back(EVENT_OBJECT_SELECTION, ChildOfRow(*this, focusRow));

    a.rowsSeen = rows;
    a.focusSeen = focus;
    a.focusRowSeen = focusRow;
    a.selected.clear();
    a.renamed.clear();
    a.toggled.clear();
    a.overflow = a.selectionOverflow = false;
    if (IsWindowVisible(hwnd))
        for (const auto& [event, child] : events) NotifyWinEvent(event, hwnd, OBJID_CLIENT, child);
    // The quiet interval runs from when these are out: a flood of changes
    // leaves the window time of its own.
    a.lastFlush = GetTickCount();
}
