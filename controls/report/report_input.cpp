// CReportCtrl's input: mouse buttons, the wheel, the scroll bars, keys and
// characters, the focus, the header's notifications, the tip over cut-off
// text and in-place editing. What these do to focus, selection and scrolling
// is the model's (report_navigation.cpp); this side hit-tests, notifies and
// reads the modifier keys.
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "controls/report/report_ctrl.h"
#include "controls/report/report_item_edit.h"

using namespace report;

namespace {

POINT PointOf(LPARAM lp) { return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))}; }

bool KeyHeld(int key) { return GetKeyState(key) < 0; }

}  // namespace

// --- notifications ------------------------------------------------------------------

intptr_t CReportCtrl::NotifyHit(uint32_t code, UINT keys, POINT point, const ReportHitTest& hit) {
    ReportNotify n{};
    n.header.code = code;
    n.keys = keys;
    n.x = point.x;
    n.y = point.y;
    n.hitFlags = hit.flags;
    n.node = TreeShown() ? hit.node : 0;
    n.item = hit.item;
    n.subItem = hit.subItem;
    ReportItem item{};
    item.item = hit.item;
    item.subItem = -1;
    if (hit.item != -2 && GetItem(item)) n.param = item.param;
    return Notify(&n.header);
}

intptr_t CReportCtrl::NotifyColumn(uint32_t code, int subItem) {
    ReportColumnNotify n{};
    n.header.code = code;
    n.subItem = subItem;
    return Notify(&n.header);
}

// --- mouse ----------------------------------------------------------------------------

LRESULT CReportCtrl::OnLButtonDown(WPARAM wp, LPARAM lp) {
    HideTip();
    // A click opens the focused cell only when the control had the focus before it.
    const bool hadFocus = keyboardFocus && GetFocus() == hwnd;
    SetFocus(hwnd);
    const POINT point = PointOf(lp);
    ReportHitTest hit{};
    hit.x = point.x;
    hit.y = point.y;
    HitTest(hit);
    if (TreeShown() && (hit.flags & HitTreeButton)) {
        ReportNotify n{};
        n.header.code = NotifyButtonClick;
        n.item = hit.item;
        n.subItem = hit.subItem;
        if (Notify(&n.header) != 0) return 0;
        Expand(hit.node, 2);
        n.header.code = NotifyExpanded;
        Notify(&n.header);
        return 0;
    }
    if (NotifyHit(NotifyClick, static_cast<UINT>(wp), point, hit) != 0) return Default();
    const int row = hit.item == -2 ? -2 : hit.row;
    if (ClickRow(row, hit.column, (wp & MK_SHIFT) != 0, (wp & MK_CONTROL) != 0, hadFocus))
        BeginEdit(FocusRow(), FocusColumn(), 1);
    return 0;
}

LRESULT CReportCtrl::OnRButtonDown(WPARAM wp, LPARAM lp) {
    HideTip();
    SetFocus(hwnd);
    const POINT point = PointOf(lp);
    ReportHitTest hit{};
    hit.x = point.x;
    hit.y = point.y;
    HitTest(hit);
    if (NotifyHit(NotifyRightClick, static_cast<UINT>(wp), point, hit) != 0) return Default();
    if (hit.item != -2) RightClickRow(hit.row, (wp & MK_SHIFT) != 0, (wp & MK_CONTROL) != 0);
    return 0;
}

LRESULT CReportCtrl::OnLButtonDblClk(WPARAM wp, LPARAM lp) {
    HideTip();
    const POINT point = PointOf(lp);
    ReportHitTest hit{};
    hit.x = point.x;
    hit.y = point.y;
    HitTest(hit);
    if (NotifyHit(NotifyDoubleClick, static_cast<UINT>(wp), point, hit) != 0) return Default();
    if (TreeShown() && hit.item >= 0 && hit.node && ItemHasChildren(hit.node)) {
        Expand(hit.node, 2);
        ReportNotify n{};
        n.header.code = NotifyExpanded;
        n.item = hit.item;
        n.subItem = hit.subItem;
        Notify(&n.header);
    }
    return 0;
}

LRESULT CReportCtrl::OnMouseMove(WPARAM wp, LPARAM lp) {
    if (Style() & TruncationTips) {
        if (!(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && keyboardFocus && !editor)
            ShowTipAt(PointOf(lp));
        else
            HideTip();
    }
    return Default();
}

void CReportCtrl::ShowTipAt(POINT point) {
    ReportHitTest hit{};
    hit.x = point.x;
    hit.y = point.y;
    HitTest(hit);
    if ((hit.flags & HitText) && hit.item != -2) {
        char text[kTextBufferSize] = "";
        ReportItem cell{};
        cell.mask = MaskText;
        cell.item = hit.item;
        cell.subItem = hit.subItem;
        cell.text = text;
        cell.textMax = kTextBufferSize;
        NodeInfo node;
        const bool span = hit.node && GetNodeInfo(hit.node, node) && node.spanSubItem >= 0;
        RECT rect;
        if (GetItem(cell) && (cell.mask & MaskText) && text[0] &&
            GetItemRect(hit.item, hit.subItem, rect, span ? PartTextToRowEnd : PartText)) {
            PreShowTip(cell);
            // The tip decides whether the text fits; it hides itself when it does.
            if (!tip.ShowTip(rect, text, FontOf(cell.state))) HideTip();
            return;
        }
    }
    HideTip();
}

void CReportCtrl::PreShowTip(ReportItem&) {}

// --- wheel and scroll bars ----------------------------------------------------------------

LRESULT CReportCtrl::OnMouseWheel(WPARAM wp, LPARAM) {
    HideTip();
    const WheelSteps steps = WheelScroll(GET_WHEEL_DELTA_WPARAM(wp), wheelLines);
    if (steps.direct) {
        CloseEditor();
        ScrollRows(steps.code == ScrollLineUp ? -steps.count : steps.count);
    } else {
        for (int i = 0; i < steps.count; ++i) PostMessageA(hwnd, WM_VSCROLL, MAKEWPARAM(steps.code, 0), 0);
    }
    return Default();
}

LRESULT CReportCtrl::OnVScroll(WPARAM wp, LPARAM) {
    CloseEditor();
    const int code = LOWORD(wp);
    int thumb = HIWORD(wp);
    // The message carries 16 bits of the thumb; a longer list reads all 32.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    if ((code == SB_THUMBPOSITION || code == SB_THUMBTRACK) && RowCount() > 0xFFFF &&
        GetScrollInfo(hwnd, SB_VERT, &info))
        thumb = info.nTrackPos;
    SetTopRow(VerticalScrollTarget(code, thumb));
    return 0;
}

LRESULT CReportCtrl::OnHScroll(WPARAM wp, LPARAM) {
    CloseEditor();
    ScrollToX(HorizontalScrollTarget(LOWORD(wp), HIWORD(wp)));
    return 0;
}

// --- keys and focus ------------------------------------------------------------------------

LRESULT CReportCtrl::OnKeyDown(WPARAM wp, LPARAM lp) {
    HideTip();
    if (KeyDown(static_cast<uint32_t>(wp), HIWORD(lp), KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL))) return Default();
    return 0;
}

LRESULT CReportCtrl::OnChar(WPARAM wp, LPARAM) {
    if (EditOnCharacter() && BeginEdit(FocusRow(), FocusColumn(), static_cast<UINT>(wp))) return 0;
    return Default();
}

LRESULT CReportCtrl::OnSetFocus(WPARAM, LPARAM) {
    keyboardFocus = true;
    InvalidateRect(hwnd, nullptr, FALSE);
    AccessChanged(true);
    return 0;
}

LRESULT CReportCtrl::OnKillFocus(WPARAM wp, LPARAM) {
    HWND to = reinterpret_cast<HWND>(wp);
    // The editor is one of ours: the control keeps the keyboard as far as its parent knows.
    if (!to || (to != hwnd && !IsChild(hwnd, to))) {
        keyboardFocus = false;
        if (to != tip.GetSafeHwnd()) HideTip();
    }
    InvalidateRect(hwnd, nullptr, FALSE);
    AccessChanged();
    return 0;
}

// --- the header ---------------------------------------------------------------------------------

LRESULT CReportCtrl::OnNotify(WPARAM, LPARAM lp) {
    auto* notice = reinterpret_cast<NMHDR*>(lp);
    if (!notice) return 0;
    if (notice->hwndFrom == header.GetSafeHwnd()) return OnHeaderNotify(*notice);
    if (editor && notice->hwndFrom == editor && notice->code == NotifyEndEdit)
        return OnEditorEnd(*reinterpret_cast<ReportEditNotify*>(lp));
    return 0;
}

static int SubItemOfHeaderItem(HWND header, int index) {
    HDITEMA item{};
    item.mask = HDI_LPARAM;
    if (index < 0 || !::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return -1;
    return static_cast<int>(item.lParam);
}

LRESULT CReportCtrl::OnHeaderNotify(const NMHDR& notice) {
    // Only the HDN_ codes below come as an NMHEADERA: NM_RCLICK,
    // NM_RELEASEDCAPTURE and their like are a bare NMHDR, read no further.
    auto record = [&notice]() -> const NMHEADERA& { return reinterpret_cast<const NMHEADERA&>(notice); };
    switch (notice.code) {
    case HDN_ITEMCLICKA:
    case HDN_ITEMCLICKW: {
        const int subItem = SubItemOfHeaderItem(header, record().iItem);
        CloseEditor();
        if (NotifyColumn(NotifyColumnClick, subItem) != 0 || (Style() & (VirtualItems | NoSort))) return 0;
        bool ascending = false;
        const int sorted = GetSortMark(&ascending);
        SortItems(subItem, sorted == record().iItem ? !ascending : true);
        return 0;
    }
    case HDN_ITEMCHANGEDA:
    case HDN_ITEMCHANGEDW:
        HeaderItemChanged(record());
        return 0;
    case HDN_BEGINDRAG:
        CloseEditor();
        return 0;
    case HDN_ENDDRAG:
        if (header.GetDropState() == CFlatHeaderCtrl::kDroppedOutside) {
            // The header is still ending its drag: the column goes after it.
            if (Style() & RemovableColumns)
                PostMessageA(hwnd, kHideColumnLater,
                             static_cast<WPARAM>(SubItemOfHeaderItem(header, record().iItem)), 0);
            return 1;
        }
        columnsDirty = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW: {
        const int subItem = SubItemOfHeaderItem(header, record().iItem);
        CloseEditor();
        if (NotifyColumn(NotifyDividerDoubleClick, subItem) == 0) AutoSizeColumn(subItem);
        return 0;
    }
    default:
        return 0;
    }
}

void CReportCtrl::HeaderItemChanged(const NMHEADERA& notice) {
    CloseEditor();
    const int subItem = SubItemOfHeaderItem(header, notice.iItem);
    if (SubItemDef* def = GetSubItem(subItem); def && notice.pitem) {
        if (notice.pitem->mask & HDI_FORMAT)
            def->format =
                (def->format & ~FormatAlignMask) | (static_cast<uint32_t>(notice.pitem->fmt) & HDF_JUSTIFYMASK);
        if (notice.pitem->mask & HDI_WIDTH) def->width = notice.pitem->cxy;
    }
    ReadColumns();
    // While a column is dragged the widths stand still; the range follows at its end.
    if (!header.IsDragging()) UpdateScrollBars();
    InvalidateRect(hwnd, nullptr, FALSE);
    ReportNotify n{};
    n.header.code = NotifyColumnChanged;
    n.item = -2;
    n.subItem = subItem;
    Notify(&n.header);
}

// The widest cell of the column; in the first column the indent counts too,
// or the deeper rows of a tree would be cut.
void CReportCtrl::AutoSizeColumn(int subItem) {
    const SubItemDef* def = GetSubItem(subItem);
    if (!def || IsVirtual() || (def->format & FormatNoAutoWidth) || GetItemCount() == 0) return;
    const bool first = ColumnPosition(subItem) == 0;
    win::ClientDC dc(hwnd);
    int width = 0;
    for (int item = 0; item < GetItemCount(); ++item) {
        int cell = MeasureCell(dc, item, subItem).cx;
        if (first) {
            NodeInfo node;
            ReportItem about{};
            about.item = item;
            about.subItem = -1;
            if (TreeShown() && GetNodeInfo(GetItemNode(item), node))
                cell += IndentPixels(node.level);
            else if (GetItem(about) && (about.mask & MaskIndent))
                cell += IndentPixels(about.indent);
        }
        width = std::max(width, cell);
    }
    SetColumnWidth(subItem, width);
}

bool CReportCtrl::OnHeaderRightClick(int item) {
    return NotifyColumn(NotifyColumnRightClick, SubItemOfHeaderItem(header, item)) != 0;
}

LRESULT CReportCtrl::OnHideColumnLater(WPARAM wp, LPARAM) {
    HideColumn(static_cast<int>(wp));
    return 0;
}

// --- in-place editing ------------------------------------------------------------------------------

BOOL CReportCtrl::BeginEdit(int row, int column, UINT firstChar) {
    if (row == -2 || column < 0 || column >= ColumnCount() || !IsRow(row)) return FALSE;
    CloseEditor();
    HideTip();
    int item = RowToItem(row);
    const int subItem = ColumnSubItem(column);
    char text[kTextBufferSize] = "";
    ReportItem cell{};
    cell.mask = MaskText | MaskState | MaskParam;
    cell.item = item;
    cell.subItem = subItem;
    cell.text = text;
    cell.textMax = kTextBufferSize;
    if (!GetItem(cell) || (cell.state & StateReadOnly)) return FALSE;
    const bool hasText = (cell.mask & MaskText) != 0;
    if (row >= 0) EnsureVisible(item, true);

    RECT rect{};
    GetItemRect(item, subItem, rect, PartCell);
    ReportEditNotify begin{};
    begin.header.code = NotifyBeginEdit;
    begin.item = item;
    begin.subItem = subItem;
    begin.left = rect.left;
    begin.top = rect.top;
    begin.right = rect.right;
    begin.bottom = rect.bottom;
    begin.key = firstChar;
    begin.text = hasText ? text : nullptr;
    begin.reserved2 = cell.param;
    SetEditCell(item, subItem);
    const intptr_t answer = Notify(&begin.header);
    // The parent may have moved or deleted the item while it answered.
    item = EditItem();
    HWND own = static_cast<HWND>(begin.editor);
    RECT place;
    const bool ready = item != -2 && (answer != 0 ? own && IsWindow(own)
                                                  : hasText && GetItemRect(item, subItem, place, PartText));
    if (!ready) {
        SetEditCell(-2, -1);
        return FALSE;
    }
    if (answer != 0) {
        // The parent edits with a window of its own.
        editor = own;
        ::SetFocus(own);
        return TRUE;
    }
    place.top += 2;
    auto* edit = new CReportItemEdit(item, subItem, begin.withButton != 0);
    if (!edit->Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, place, hwnd, 0)) {
        delete edit;
        SetEditCell(-2, -1);
        return FALSE;
    }
    editor = edit->GetSafeHwnd();
    ::SendMessageA(editor, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(cell.state)), FALSE);
    ::SetWindowTextA(editor, text);
    edit->StartEdit(firstChar);
    RedrawItems(ItemToRow(item), ItemToRow(item));
    ::SetFocus(editor);
    return TRUE;
}

void CReportCtrl::EndEdit(BOOL commit, ReportEditNotify* end) {
    if (!editor) return;
    HWND closing = std::exchange(editor, nullptr);
    const int item = EditItem(), subItem = EditSubItem();
    SetEditCell(-2, -1);
    // An item that is gone takes the text with it, rather than giving it to another.
    if (commit && !IsVirtual() && item != -2) {
        char text[kTextBufferSize] = "";
        bool read = true;
        if (end) {
            if (end->text) std::strncpy(text, end->text, kTextBufferSize - 1);
        } else if (IsWindow(closing)) {
            SetLastError(ERROR_SUCCESS);
            read = ::GetWindowTextA(closing, text, kTextBufferSize) > 0 || GetLastError() == ERROR_SUCCESS;
        } else {
            read = false;
        }
        if (read) SetItemText(item, subItem, text);
    }
    const bool editorHadFocus = GetFocus() == closing;
    if (IsWindow(closing)) PostMessageA(closing, WM_CLOSE, 0, 0);
    // An edit the control ends itself leaves the keyboard with the control.
    if (editorHadFocus) ::SetFocus(hwnd);
    if (GetFocus() != hwnd) keyboardFocus = false;
    const int row = FocusRow();
    if (row != -2) RedrawItems(row, row);
}

// After every change to the items or rows: an open editor of ours moves with
// its item; it ends when the item is gone, and ends storing when the item's
// row has left the screen, as scrolling ends it.
void CReportCtrl::FollowEditedItem() {
    if (!editor) return;
    const int item = EditItem();
    if (item == -2) {
        EndEdit(FALSE, nullptr);
        return;
    }
    auto* edit = dynamic_cast<CReportItemEdit*>(win::CWnd::FromHandle(editor));
    if (!edit) return;  // the parent's own editor: the parent places it
    RECT place;
    if (!GetItemRect(item, EditSubItem(), place, PartText)) {
        EndEdit(TRUE, nullptr);
        return;
    }
    place.top += 2;
    edit->Follow(item, place);
}

LRESULT CReportCtrl::OnEditorEnd(const ReportEditNotify& end) {
    ReportEditNotify forward{};
    forward.header.code = NotifyEndEdit;
    forward.item = EditItem();
    forward.subItem = EditSubItem();
    forward.editor = editor;
    forward.key = end.key;
    forward.text = end.text;
    forward.reserved2 = end.reserved2;
    const intptr_t answer = Notify(&forward.header);
    // The parent may have ended the edit itself meanwhile.
    if (editor) EndEdit(answer == 0 && end.key != VK_ESCAPE, &forward);
    return 0;
}
