#include "controls/report/report_ctrl.h"

#include "controls/report/report_accessible.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

using namespace report;

// The records travel inside WM_NOTIFY: the header must be the platform's.
static_assert(sizeof(NotifyHeader) == sizeof(NMHDR), "notification header size");
static_assert(offsetof(NotifyHeader, window) == offsetof(NMHDR, hwndFrom), "notification window");
static_assert(offsetof(NotifyHeader, id) == offsetof(NMHDR, idFrom), "notification id");
static_assert(offsetof(NotifyHeader, code) == offsetof(NMHDR, code), "notification code");
static_assert(sizeof(intptr_t) == sizeof(LPARAM) && sizeof(void*) == sizeof(HWND), "parameters as wide as LPARAM");

namespace {

constexpr DWORD kHeaderStyle = CCS_TOP | HDS_BUTTONS | HDS_DRAGDROP | HDS_FULLDRAG;  // 0xC3

}  // namespace

bool CReportCtrl::RegisterWindowClass() {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(GetModuleHandleA(nullptr), kClassName, &existing)) return true;
    // Brush value 5 as the class always had it; the control paints its own background.
    return win::CWnd::RegisterClass(kClassName, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                    reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(5)));
}

CReportCtrl::CReportCtrl() {
    if (!RegisterWindowClass()) throw std::runtime_error("the MFCReportCtrl window class cannot be registered");
    SetLeadByteTest(dbcs::System());
    wheelLines = CReportCtrl::ReadWheelScrollLines();
}

CReportCtrl::~CReportCtrl() {
    SetColumnChooser(nullptr);
    // Its items are told of their end while this object is still whole.
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
}

win::RouteTable CReportCtrl::Routes() const {
    using namespace win;
    using C = CReportCtrl;
    static const Route routes[] = {
        OnMessage<WM_DESTROY, &C::OnDestroy>(),
        OnMessage<WM_SIZE, &C::OnSize>(),
        OnMessage<WM_SETFONT, &C::OnSetFont>(),
        OnMessage<WM_GETFONT, &C::OnGetFont>(),
        OnMessage<WM_SYSCOLORCHANGE, &C::OnSysColorChange>(),
        OnMessage<WM_SETTINGCHANGE, &C::OnSettingChange>(),
        OnRawMessage<WM_NCCALCSIZE, &C::OnNcCalcSize>(),
        OnRawMessage<WM_NCPAINT, &C::OnNcPaint>(),
        OnRawMessage<WM_PAINT, &C::OnPaint>(),
        OnRawMessage<WM_PRINTCLIENT, &C::OnPrintClient>(),
        OnRawMessage<WM_ERASEBKGND, &C::OnEraseBackground>(),
        OnRawMessage<WM_ENABLE, &C::OnEnable>(),
        OnRawMessage<WM_PALETTECHANGED, &C::OnPaletteChanged>(),
        OnRawMessage<WM_QUERYNEWPALETTE, &C::OnQueryNewPalette>(),
        OnRawMessage<WM_LBUTTONDOWN, &C::OnLButtonDown>(),
        OnRawMessage<WM_RBUTTONDOWN, &C::OnRButtonDown>(),
        OnRawMessage<WM_LBUTTONDBLCLK, &C::OnLButtonDblClk>(),
        OnRawMessage<WM_MOUSEMOVE, &C::OnMouseMove>(),
        OnRawMessage<WM_MOUSEWHEEL, &C::OnMouseWheel>(),
        OnRawMessage<WM_VSCROLL, &C::OnVScroll>(),
        OnRawMessage<WM_HSCROLL, &C::OnHScroll>(),
        OnRawMessage<WM_KEYDOWN, &C::OnKeyDown>(),
        OnRawMessage<WM_CHAR, &C::OnChar>(),
        OnRawMessage<WM_GETDLGCODE, &C::OnGetDlgCode>(),
        OnRawMessage<WM_SETFOCUS, &C::OnSetFocus>(),
        OnRawMessage<WM_KILLFOCUS, &C::OnKillFocus>(),
        OnRawMessage<WM_NOTIFY, &C::OnNotify>(),
        OnRawMessage<kHideColumnLater, &C::OnHideColumnLater>(),
        OnRawMessage<WM_GETOBJECT, &C::OnGetObject>(),
        OnRawMessage<kAccessEvents, &C::OnAccessEvents>(),
        OnRawMessage<kAccessAction, &C::OnAccessAction>(),
        OnRawMessage<WM_TIMER, &C::OnTimer>(),
    };
    return MakeRouteTable(routes);
}

bool CReportCtrl::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (!CreateEx(0, kClassName, "", style, rect, parent, id)) return false;
    if (Initialize()) return true;
    DestroyWindow(hwnd);
    return false;
}

bool CReportCtrl::SubclassWindow(HWND window) {
    if (!win::CWnd::SubclassWindow(window)) return false;
    if (!Initialize()) throw std::bad_alloc();
    return true;
}

bool CReportCtrl::SubclassDlgItem(UINT id, HWND parent) {
    return SubclassWindow(::GetDlgItem(parent, static_cast<int>(id)));
}

BOOL CReportCtrl::Initialize() {
    if (!header.GetSafeHwnd() && !CreateHeader()) return FALSE;
    if (!tip.GetSafeHwnd() && !tip.Create(hwnd)) return FALSE;
    tip.SetCellMargin(kTextMargin);
    // The style before the font, so that the row height counts the grid line.
    CacheStyle(static_cast<uint32_t>(GetWindowLongA(hwnd, GWL_STYLE)));
    HWND parent = GetParent(hwnd);
    HFONT parentFont = parent ? reinterpret_cast<HFONT>(::SendMessageA(parent, WM_GETFONT, 0, 0)) : nullptr;
    // Without a parent font the control still needs its own copy and a bold one.
    ApplyFont(parentFont ? parentFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), false);
    ::SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), FALSE);
    RECT rect;
    GetClientRect(hwnd, &rect);
    Layout(rect.right, rect.bottom);
    LoadSystemColors();
    return TRUE;
}

// --- the header -----------------------------------------------------------------------

bool CReportCtrl::CreateHeader() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    header.SetRightClickHandler([this](int item, POINT) { return OnHeaderRightClick(item); });
    return header.Create(kHeaderStyle, RECT{}, hwnd, 0);
}

void CReportCtrl::SetSortMark(int column, bool ascending) { header.SetSortColumn(column, ascending); }

int CReportCtrl::GetSortMark(bool* ascending) const { return header.GetSortColumn(ascending); }

void CReportCtrl::ShowSortMark(int subItem, bool ascending) { SetSortMark(HeaderIndexOf(subItem), ascending); }

// --- columns -----------------------------------------------------------------------

int CReportCtrl::ClampWidth(const SubItemDef& def, int width) {
    if (width < 0) width = kDefaultColumnWidth;
    width = std::max(width, def.minWidth);
    if (def.maxWidth > 0) width = std::min(width, def.maxWidth);
    return width;
}

void CReportCtrl::ReadColumns() {
    const int count = header ? std::max(static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)), 0) : 0;
    std::vector<int> order(static_cast<size_t>(count));
    if (count) ::SendMessageA(header, HDM_GETORDERARRAY, count, reinterpret_cast<LPARAM>(order.data()));
    std::vector<HeaderColumn> columns(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        HDITEMA item{};
        item.mask = HDI_LPARAM | HDI_WIDTH;
        ::SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        columns[static_cast<size_t>(i)] = {static_cast<int>(item.lParam), item.cxy};
    }
    SetColumns(columns, order);
    columnsDirty = false;
    if (chooser) chooser->Refill(*this);
    // The header's widths are the truth; the running sum follows them.
    int total = 0;
    for (const HeaderColumn& column : columns) total += std::max(column.width, 0);
    AdjustTotalColumnWidth(total - TotalColumnWidth());
}

void CReportCtrl::SetColumnChooser(ReportColumnChooser* list) {
    if (chooser) chooser->filler = nullptr;
    if (list && list->filler) list->filler->SetColumnChooser(nullptr);
    chooser = list;
    if (!chooser) return;
    chooser->filler = this;
    chooser->Refill(*this);
}

bool CReportCtrl::ShowColumn(int subItem) {
    SubItemDef* def = GetSubItem(subItem);
    if (!def || !header || IsColumnShown(subItem)) return false;
    def->width = ClampWidth(*def, def->width);
    std::string caption = def->caption;
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_LPARAM;
    item.pszText = caption.data();
    item.cxy = def->width;
    const int align = static_cast<int>(def->format & FormatAlignMask);
    item.fmt = HDF_STRING | (align == 3 ? HDF_LEFT : align);  // left, right and centre share the header's values
    item.lParam = subItem;
    const LRESULT count = ::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0);
    if (::SendMessageA(header, HDM_INSERTITEMA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item)) < 0)
        return false;
    AdjustTotalColumnWidth(def->width);
    ReadColumns();
    UpdateScrollBars();
    InvalidateCells();
    return true;
}

int CReportCtrl::HideColumn(int subItem) {
    const int index = HeaderIndexOf(subItem);
    if (index < 0) return FALSE;
    bool ascending;
    const int sorted = GetSortMark(&ascending);
    if (sorted == index)
        SetSortMark(-1, ascending);
    else if (sorted > index)
        SetSortMark(sorted - 1, ascending);
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    ::SendMessageA(header, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    const int result = static_cast<int>(::SendMessageA(header, HDM_DELETEITEM, index, 0));
    AdjustTotalColumnWidth(-item.cxy);
    ReadColumns();
    UpdateScrollBars();
    InvalidateCells();
    return result;
}

bool CReportCtrl::SetColumnWidth(int subItem, int width) {
    SubItemDef* def = GetSubItem(subItem);
    if (!def) return false;
    def->width = ClampWidth(*def, width);
    const int index = HeaderIndexOf(subItem);
    if (index >= 0) {
        HDITEMA item{};
        item.mask = HDI_WIDTH;
        ::SendMessageA(header, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
        AdjustTotalColumnWidth(def->width - item.cxy);
        item.cxy = def->width;
        ::SendMessageA(header, HDM_SETITEMA, index, reinterpret_cast<LPARAM>(&item));
        ReadColumns();
        UpdateScrollBars();
        InvalidateCells();
    }
    return true;
}

// --- style, fonts, images, colours -------------------------------------------------

BOOL CReportCtrl::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    if (!hwnd) return FALSE;
    if (editor) EndEdit(TRUE, nullptr);
    const DWORD style = (static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & ~remove) | add;
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style));
    if (swpFlags)
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    ChangeStyle(style);
    Layout(client.right, client.bottom);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

HFONT CReportCtrl::CurrentFont() const {
    return font ? font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void CReportCtrl::ApplyFont(HFONT given, bool redraw) {
    LOGFONTA logFont;
    if (!given || !GetObjectA(given, sizeof logFont, &logFont)) return;
    font.Reset(CreateFontIndirectA(&logFont));
    logFont.lfWeight = FW_BOLD;
    boldFont.Reset(CreateFontIndirectA(&logFont));
    RecalcRowHeight();
    if (redraw) {
        Layout(client.right, client.bottom);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void CReportCtrl::RecalcRowHeight() {
    TEXTMETRICA metrics{};
    {
        win::ClientDC dc(hwnd);
        win::SelectScope select(dc, CurrentFont());
        GetTextMetricsA(dc, &metrics);
    }
    int height = metrics.tmHeight + metrics.tmExternalLeading + 2 + ((Style() & HorizontalGrid) ? 1 : 0);
    if (images && imageSize.cy + 1 > height) height = imageSize.cy + 1;
    SetRowHeight(height);
    checkSize = height - 2;
    SetPartWidths(images ? imageSize.cx : 0, checkSize);
}

HIMAGELIST CReportCtrl::SetImageList(HIMAGELIST list) {
    HIMAGELIST previous = images;
    images = list;
    int width = 0, height = 0;
    if (list) ImageList_GetIconSize(list, &width, &height);
    imageSize = {width, height};
    RecalcRowHeight();
    Layout(client.right, client.bottom);
    InvalidateRect(hwnd, nullptr, FALSE);
    return previous;
}

HIMAGELIST CReportCtrl::SetCheckImageList(HIMAGELIST list) {
    HIMAGELIST previous = checkImages;
    checkImages = list;
    InvalidateRect(hwnd, nullptr, FALSE);
    return previous;
}

void CReportCtrl::LoadSystemColors() {
    static const int kIndices[kSystemColours] = {
        COLOR_WINDOW,  COLOR_HIGHLIGHT, COLOR_BTNFACE, COLOR_WINDOWTEXT, COLOR_HIGHLIGHTTEXT, COLOR_WINDOWTEXT,
        COLOR_BTNFACE, COLOR_BTNFACE,   COLOR_3DLIGHT, COLOR_BTNSHADOW,  COLOR_BTNHIGHLIGHT,  COLOR_3DDKSHADOW};
    for (int i = 0; i < kSystemColours; ++i) colours[static_cast<size_t>(i)] = GetSysColor(kIndices[i]);
}

UINT CReportCtrl::ReadWheelScrollLines() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) != ERROR_SUCCESS) return 3;
    char text[128] = "";
    DWORD size = sizeof text - 1, type = 0;
    const LONG status = RegQueryValueExA(key, "WheelScrollLines", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return 3;
    return static_cast<UINT>(std::strtoul(text, nullptr, 10));
}

// --- layout and scrolling ------------------------------------------------------------

void CReportCtrl::Layout(int width, int height) {
    client = {0, 0, width, height};
    headerRect = {0, 0, width, 0};
    if (header && !(Style() & NoHeader)) {
        RECT bounds = client;
        WINDOWPOS place{};
        HDLAYOUT layout{&bounds, &place};
        if (::SendMessageA(header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout)))
            headerRect = {place.x, place.y, place.x + place.cx, place.y + place.cy};
    }
    itemArea = client;
    itemArea.top = headerRect.bottom;
    entryRect = {};
    if (Style() & EntryRow) {
        entryRect = {headerRect.left, itemArea.top, headerRect.right,
                     itemArea.top + RowHeight() + 2 * GetSystemMetrics(SM_CYDLGFRAME)};
        itemArea.top = entryRect.bottom;
    }
    // The entry row's row sits inside its frame.
    const int frame = GetSystemMetrics(SM_CYDLGFRAME);
    const Box entryRow = IsRectEmpty(&entryRect)
                             ? Box{}
                             : Box{entryRect.left, entryRect.top + frame, entryRect.right, entryRect.bottom - frame};
    itemArea.bottom = std::max(itemArea.bottom, itemArea.top);
    SetAreas({itemArea.left, itemArea.top, itemArea.right, itemArea.bottom}, entryRow);
    HideTip();
    UpdateScrollBars();
    PlaceHeader();
}

void CReportCtrl::PlaceHeader() {
    if (!header) return;
    const bool hidden = (Style() & NoHeader) != 0;
    const RECT place{-ScrollX(), headerRect.top, -ScrollX() + std::max(TotalColumnWidth(), ItemAreaWidth()),
                     headerRect.bottom};
    const bool visible = (GetWindowLongA(header, GWL_STYLE) & WS_VISIBLE) != 0;
    if (EqualRect(&place, &headerPlace) && visible != hidden) return;
    headerPlace = place;
    SetWindowPos(header, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (hidden ? SWP_HIDEWINDOW : SWP_SHOWWINDOW));
}

// Only a real change reaches the scroll bars, and a bar is drawn again only
// when its look changed: most inserts change nothing on screen, a page of a
// long list rarely moves the thumb by a pixel, and under Wine drawing a bar
// costs more than painting every row.
void CReportCtrl::UpdateScrollBars() {
    if (!hwnd || updatingScroll) return;
    updatingScroll = true;
    // Showing or hiding a bar resizes the item area; a second pass settles it.
    for (int pass = 0; pass < 3 && ItemAreaWidth() > 0 && ItemAreaHeight() > 0; ++pass) {
        const int rows = RowCount(), top = TopRow(), whole = VisibleRows(top, true);
        const int width = ItemAreaWidth(), height = ItemAreaHeight(), total = TotalColumnWidth();
        SetScrollX(std::clamp(ScrollX(), 0, std::max(total - width, 0)));
        const ScrollState now{whole < rows ? rows - 1 : 0, whole, top, width < total ? total - 1 : 0, width, ScrollX()};
        const ScrollState was = shownScroll;
        const bool vertical = now.verticalMax != was.verticalMax || now.verticalPage != was.verticalPage ||
                              now.verticalPos != was.verticalPos;
        const bool horizontal = now.horizontalMax != was.horizontalMax || now.horizontalPage != was.horizontalPage ||
                                now.horizontalPos != was.horizontalPos;
        if (!vertical && !horizontal) break;
        shownScroll = now;
        bool frame = false;
        if (vertical) frame |= !SetBar(SB_VERT, now.verticalMax, now.verticalPage, now.verticalPos);
        if (horizontal) frame |= !SetBar(SB_HORZ, now.horizontalMax, now.horizontalPage, now.horizontalPos);
        HideTip();
        // The rows a change of length adds or takes are the model's to redraw;
        // a vertical move redraws the item area; anything else, everything.
        if (frame)
            RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
        else if (horizontal || now.verticalPage != was.verticalPage)
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
        else if (now.verticalPos != was.verticalPos)
            InvalidateRect(hwnd, &itemArea, FALSE);
        if (ItemAreaHeight() == height && ItemAreaWidth() == width) break;
    }
    updatingScroll = false;
    PlaceHeader();
}

// Sets one bar quietly and draws it only if it now looks different. False
// when the bar came or went (or cannot be read): the frame is drawn anew.
bool CReportCtrl::SetBar(int bar, int max, int page, int pos) {
    const LONG object = bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL;
    SCROLLBARINFO before{}, after{};
    before.cbSize = after.cbSize = sizeof before;
    SCROLLINFO old{};
    old.cbSize = sizeof old;
    old.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    const bool known = GetScrollBarInfo(hwnd, object, &before) && GetScrollInfo(hwnd, bar, &old);
    SCROLLINFO info = old;
    info.nMin = 0;
    info.nMax = max;
    info.nPage = static_cast<UINT>(page);
    info.nPos = pos;
    SetScrollInfo(hwnd, bar, &info, FALSE);
    if (!known || !GetScrollBarInfo(hwnd, object, &after)) return false;
    const DWORD hidden = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    if ((before.rgstate[0] ^ after.rgstate[0]) & hidden) return false;
    const bool same = EqualRect(&before.rcScrollBar, &after.rcScrollBar) &&
                      before.dxyLineButton == after.dxyLineButton && before.xyThumbTop == after.xyThumbTop &&
                      before.xyThumbBottom == after.xyThumbBottom &&
                      std::equal(std::begin(before.rgstate), std::end(before.rgstate), std::begin(after.rgstate));
    if (same || (after.rgstate[0] & hidden)) return true;
    // Back and forward again, so that the bar draws itself once, as it is.
    SetScrollInfo(hwnd, bar, &old, FALSE);
    SetScrollInfo(hwnd, bar, &info, TRUE);
    return true;
}

// Every change to the items or rows ends here.
void CReportCtrl::ScrollChanged() {
    UpdateScrollBars();
    FollowEditedItem();
}

void CReportCtrl::InvalidateRows(int first, int last) {
    RedrawItems(first, last);
    AccessChanged();
}

void CReportCtrl::RedrawItems(int first, int last, bool updateNow) {
    if (!hwnd) return;
    // Every invalidation is a trip to the window system: only what is on screen goes.
    if (first == -1 && !IsRectEmpty(&entryRect)) InvalidateRect(hwnd, &entryRect, FALSE);
    if (last == -2 || last == first) {
        int offset, height;
        if (first >= 0 && RowOffset(first, offset, height)) {
            RECT row{itemArea.left, itemArea.top + offset, itemArea.right, itemArea.top + offset + height};
            InvalidateRect(hwnd, &row, FALSE);
        }
    } else {
        // Rows that begin below a full screen change nothing on it.
        const int top = TopRow(), shown = VisibleRows(top, false);
        if (!(first >= top + shown && top + shown < RowCount())) InvalidateRect(hwnd, &itemArea, FALSE);
    }
    if (updateNow) UpdateWindow(hwnd);
}

// The header changes without telling us (an inserted or deleted item sends
// no HDN_ITEMCHANGED): the entry row's cells move with the rows'.
void CReportCtrl::InvalidateCells() {
    if (!IsRectEmpty(&entryRect)) InvalidateRect(hwnd, &entryRect, FALSE);
    InvalidateRect(hwnd, &itemArea, FALSE);
}

void CReportCtrl::UpdateNow() {
    if (hwnd) UpdateWindow(hwnd);
}

// Items change often; only a tip on screen needs hiding.
void CReportCtrl::HideTip() {
    if (tip.GetSafeHwnd() && IsWindowVisible(tip)) tip.HideTip();
}

// --- notifications ---------------------------------------------------------------------

intptr_t CReportCtrl::SendNotify(NotifyHeader& record) {
    HWND parent = hwnd ? GetParent(hwnd) : nullptr;
    if (!parent) return 0;
    record.window = hwnd;
    record.id = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    return ::SendMessageA(parent, WM_NOTIFY, record.id, reinterpret_cast<LPARAM>(&record));
}

// --- messages ------------------------------------------------------------------------------

// Clients that still hold the accessible object are answered that it is gone.
void CReportCtrl::OnDestroy() {
    DeleteAllItems();
    access.reset();
}

LRESULT CReportCtrl::OnSize(WPARAM, LPARAM lp) {
    if (editor) EndEdit(TRUE, nullptr);
    Layout(LOWORD(lp), HIWORD(lp));
    return 0;
}

LRESULT CReportCtrl::OnSetFont(WPARAM wp, LPARAM lp) {
    ApplyFont(reinterpret_cast<HFONT>(wp), LOWORD(lp) != 0);
    return 0;
}

LRESULT CReportCtrl::OnGetFont(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(CurrentFont()); }

LRESULT CReportCtrl::OnSysColorChange(WPARAM, LPARAM) {
    LoadSystemColors();
    ::SendMessageA(header, WM_SYSCOLORCHANGE, 0, 0);
    InvalidateRect(hwnd, nullptr, FALSE);
    return 0;
}

LRESULT CReportCtrl::OnSettingChange(WPARAM, LPARAM) {
    wheelLines = ReadWheelScrollLines();
    return 0;
}
