#include "controls/flatheader/flat_header.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "controls/flatheader/header_popups.h"
#include "win/draw.h"
#include "win/offscreen_dc.h"

namespace {

// Everything but HDI_DI_SETITEM: the pressed item as the drag image shows it.
constexpr UINT kPressedItemMask = 0xBF;
constexpr UINT kPaintItemMask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_BITMAP | HDI_IMAGE;
constexpr UINT kTextFlags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
constexpr UINT kJustifyFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};

// A point packed as in mouse messages, signed coordinates.
POINT Unpack(LPARAM lp) { return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))}; }

int Advance(int width, int spacing) { return width ? width + spacing : 0; }

RECT Span(const RECT& row, int left, int right) { return {left, row.top, right, row.bottom}; }

}  // namespace

CFlatHeaderCtrl::CFlatHeaderCtrl() { LoadColours(); }

CFlatHeaderCtrl::~CFlatHeaderCtrl() {
    DestroyDragWindow();
    DestroyDropWindow();
    cursorClip.Release();
    if (hwnd && ownsWindow) DestroyWindow(hwnd);
}

win::RouteTable CFlatHeaderCtrl::Routes() const {
    using namespace win;
    using H = CFlatHeaderCtrl;
    static const Route routes[] = {
        OnRawMessage<HDM_INSERTITEMA, &H::OnInsertItem>(),
        OnRawMessage<HDM_INSERTITEMW, &H::OnInsertItem>(),
        OnRawMessage<HDM_DELETEITEM, &H::OnDeleteItem>(),
        OnRawMessage<HDM_SETIMAGELIST, &H::OnSetImageList>(),
        OnRawMessage<HDM_SETHOTDIVIDER, &H::OnSetHotDivider>(),
        OnRawMessage<WM_NCHITTEST, &H::OnNcHitTest>(),
        OnRawMessage<WM_PAINT, &H::OnPaint>(),
        OnRawMessage<WM_ERASEBKGND, &H::OnEraseBkgnd>(),
        OnRawMessage<WM_SYSCOLORCHANGE, &H::OnSysColorChange>(),
        OnRawMessage<WM_SETFONT, &H::OnSetFont>(),
        OnRawMessage<WM_GETFONT, &H::OnGetFont>(),
        OnMessage<WM_LBUTTONDOWN, &H::OnLButtonDown>(),
        OnMessage<WM_MOUSEMOVE, &H::OnMouseMove>(),
        OnMessage<WM_LBUTTONUP, &H::OnLButtonUp>(),
        OnRawMessage<WM_CANCELMODE, &H::OnCancelMode>(),
        // A press also ends when the capture or the window goes.
        OnRawMessage<WM_CAPTURECHANGED, &H::OnCaptureChanged>(),
        OnMessage<WM_DESTROY, &H::OnDestroy>(),
    };
    return MakeRouteTable(routes);
}

bool CFlatHeaderCtrl::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    if (parent) style |= WS_CHILD;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND window = CreateWindowExA(0, WC_HEADERA, "", style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent, menu, GetModuleHandleA(nullptr), nullptr);
    if (!window) return false;
    if (!SubclassWindow(window)) {
        DestroyWindow(window);
        return false;
    }
    ownsWindow = true;
    return true;
}

bool CFlatHeaderCtrl::SubclassWindow(HWND header) {
    if (!CWnd::SubclassWindow(header)) return false;
    limits.Resize(static_cast<size_t>(std::max(0, GetItemCount())));
    // The platform lays the items out with the font this header paints with.
    HFONT current = reinterpret_cast<HFONT>(DefWindowProc(WM_GETFONT, 0, 0));
    if (current)
        CopyFont(current);
    else
        DefWindowProc(WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    return true;
}

// Sort column, limits, font

void CFlatHeaderCtrl::SetSortColumn(int column, bool ascending) {
    sortColumn = column;
    sortAscending = ascending;
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

int CFlatHeaderCtrl::GetSortColumn(bool* ascending) const {
    if (ascending) *ascending = sortAscending;
    return sortColumn;
}

bool CFlatHeaderCtrl::SetItemWidthLimits(int item, int minWidth, int maxWidth) {
    return limits.Set(item, HeaderItemLimits{minWidth, maxWidth});
}

bool CFlatHeaderCtrl::GetItemWidthLimits(int item, HeaderItemLimits& result) const { return limits.Get(item, result); }

HFONT CFlatHeaderCtrl::Font() const { return font ? font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void CFlatHeaderCtrl::CopyFont(HFONT source) {
    LOGFONTA description;
    if (!source || GetObjectType(source) != OBJ_FONT || !GetObjectA(source, sizeof description, &description)) return;
    win::Font copy(CreateFontIndirectA(&description));
    if (copy) font = std::move(copy);
}

LRESULT CFlatHeaderCtrl::OnSetFont(WPARAM wp, LPARAM) {
    LRESULT result = Default();
    CopyFont(reinterpret_cast<HFONT>(wp));
    return result;
}

void CFlatHeaderCtrl::LoadColours() {
    colours = {GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE),
               GetSysColor(COLOR_BTNTEXT)};
    highlightPen.Reset(CreatePen(PS_SOLID, 1, colours.highlight));
    shadowPen.Reset(CreatePen(PS_SOLID, 1, colours.shadow));
}

LRESULT CFlatHeaderCtrl::OnSysColorChange(WPARAM, LPARAM) {
    LRESULT result = Default();
    LoadColours();
    return result;
}

// Items: the limits follow the platform's items exactly

int CFlatHeaderCtrl::GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }

LRESULT CFlatHeaderCtrl::OnInsertItem(WPARAM, LPARAM) {
    LRESULT result = Default();
    if (result >= 0) limits.Insert(static_cast<size_t>(result));
    return result;
}

LRESULT CFlatHeaderCtrl::OnDeleteItem(WPARAM wp, LPARAM) {
    LRESULT result = Default();
    if (result) limits.Erase(static_cast<int>(wp));
    return result;
}

LRESULT CFlatHeaderCtrl::OnSetImageList(WPARAM, LPARAM lp) {
    HIMAGELIST list = reinterpret_cast<HIMAGELIST>(lp);
    IMAGEINFO info{};
    if (list && ImageList_GetImageCount(list) > 0 && ImageList_GetImageInfo(list, 0, &info))
        imageSize = {info.rcImage.right - info.rcImage.left, info.rcImage.bottom - info.rcImage.top};
    return Default();
}

bool CFlatHeaderCtrl::ReadItem(int item, HDITEMA& record, char* text, UINT mask) const {
    record = HDITEMA{};
    record.mask = mask;
    record.pszText = text;
    record.cchTextMax = kTextLength;
    text[0] = '\0';
    return SendMessage(HDM_GETITEMA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record)) != 0;
}

RECT CFlatHeaderCtrl::ItemRect(int item) const {
    RECT rect{};
    SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

RECT CFlatHeaderCtrl::ScreenItemRect(int item) const {
    RECT rect = ItemRect(item);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int CFlatHeaderCtrl::ItemOrder(int item) const {
    HDITEMA record{};
    record.mask = HDI_ORDER;
    SendMessage(HDM_GETITEMA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record));
    return record.iOrder;
}

int CFlatHeaderCtrl::OrderToIndex(int order) const {
    return static_cast<int>(SendMessage(HDM_ORDERTOINDEX, static_cast<WPARAM>(order)));
}

int CFlatHeaderCtrl::HitTest(POINT client, HDHITTESTINFO& info) const {
    info = HDHITTESTINFO{};
    info.pt = client;
    return static_cast<int>(SendMessage(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

// The system hit-tests before every mouse message while nothing holds the
// capture, so this record describes where the current press began.
LRESULT CFlatHeaderCtrl::OnNcHitTest(WPARAM, LPARAM lp) {
    POINT pt = Unpack(lp);
    ScreenToClient(hwnd, &pt);
    hotItem = HitTest(pt, hit);
    if (hotItem >= 0) hotOrder = ItemOrder(hotItem);
    return Default();
}

// Painting

LRESULT CFlatHeaderCtrl::OnPaint(WPARAM wp, LPARAM) {
    // Like the common controls, paint into a DC passed in wParam.
    if (wp) {
        Paint(reinterpret_cast<HDC>(wp));
    } else {
        win::PaintDC dc(hwnd);
        Paint(dc);
    }
    return 0;
}

void CFlatHeaderCtrl::Paint(HDC dc) {
    if (doubleBuffered) {
        win::COffscreenDC surface(dc);
        PaintItems(surface);
    } else {
        PaintItems(dc);
    }
}

void CFlatHeaderCtrl::PaintItems(HDC dc) {
    RECT clip;
    if (GetClipBox(dc, &clip) <= NULLREGION) return;
    win::FillSolidRect(dc, clip, colours.face);
    win::SaveDCScope saved(dc);
    SelectObject(dc, Font());
    SelectObject(dc, shadowPen);
    SetBkColor(dc, colours.face);
    SetTextColor(dc, colours.text);
    const int count = GetItemCount();
    int total = 0;
    for (int i = 0; i < count; i++) {
        const int item = OrderToIndex(i);
        char text[kTextLength];
        HDITEMA record;
        ReadItem(item, record, text, kPaintItemMask);
        RECT rect = ItemRect(item);
        total += record.cxy;
        // An item's separator lies on its right edge.
        if (rect.right < clip.left || rect.left >= clip.right) continue;
        if (record.fmt & HDF_OWNERDRAW) {
            const UINT id = static_cast<UINT>(GetDlgCtrlID(hwnd));
            DRAWITEMSTRUCT draw{ODT_HEADER, id, static_cast<UINT>(item), ODA_DRAWENTIRE, 0, hwnd, dc, rect, 0};
            DrawItem(&draw);
        } else {
            DrawFlatItem(dc, RECT{rect.left + spacing, rect.top, rect.right - spacing, rect.bottom}, record,
                         item == sortColumn, sortAscending);
            if ((mouseFlags & MK_LBUTTON) && hotItem == item && (hit.flags & HHT_ONHEADER)) InvertRect(dc, &rect);
        }
        if (i < count - 1) DrawSeparator(dc, rect);
    }
    if (total >= 1) {
        RECT client;
        GetClientRect(hwnd, &client);
        client.right = client.left + total;
        win::Draw3dRect(dc, client, colours.highlight, colours.shadow);
    }
}

void CFlatHeaderCtrl::DrawSeparator(HDC dc, const RECT& item) const {
    const int x = item.right;
    SelectObject(dc, shadowPen);
    MoveToEx(dc, x - 1, item.top + 2, nullptr);
    LineTo(dc, x - 1, item.bottom - 2);
    SelectObject(dc, highlightPen);
    MoveToEx(dc, x, item.top + 2, nullptr);
    LineTo(dc, x, item.bottom - 2);
}

void CFlatHeaderCtrl::DrawFlatItem(HDC dc, RECT rect, const HDITEMA& item, bool sort, bool ascending) {
    const int s = spacing;
    const int arrow = sort ? arrowSize.cx + s : 0;
    const bool needsImage = (item.fmt & HDF_IMAGE) != 0;
    const bool bitmapOnRight = (item.fmt & HDF_BITMAP_ON_RIGHT) != 0;
    switch (item.fmt & HDF_JUSTIFYMASK) {
    case HDF_LEFT: {
        int image = DrawItemImage(dc, rect, rect.left, rect.right, item, false);
        if (needsImage && !image) return;
        int x = rect.left + Advance(image, s);
        x += Advance(DrawItemText(dc, rect, x, rect.right - arrow, item), s);
        if (sort) x += DrawSortArrow(dc, rect, x, rect.right, ascending, false) + s;
        DrawItemBitmap(dc, rect, x, rect.right, item, true);
        break;
    }
    case HDF_RIGHT: {
        // A bitmap on the left goes first, but only once the image is known
        // to show: an item whose image cannot show shows nothing.
        const int leftBitmap = bitmapOnRight ? 0 : BitmapWidth(item, rect.left, rect.right);
        int x = rect.left + Advance(leftBitmap, s);
        int right = rect.right;
        int image = DrawItemImage(dc, rect, x, rect.right, item, false);
        if (needsImage && !image) return;
        if (leftBitmap) DrawItemBitmap(dc, rect, rect.left, rect.right, item, false);
        x += Advance(image, s);
        int textLeft = x + (bitmapOnRight ? arrow : 0);
        if (bitmapOnRight) right -= Advance(DrawItemBitmap(dc, rect, textLeft, rect.right, item, true), s);
        if (sort) {
            textLeft -= bitmapOnRight ? arrow : 0;
            right -= 2 * s + DrawSortArrow(dc, rect, textLeft, right, ascending, true);
        }
        DrawItemText(dc, rect, textLeft, right, item);
        break;
    }
    case HDF_CENTER: {
        int image = DrawItemImage(dc, rect, rect.left, rect.right, item, false);
        if (needsImage && !image) return;
        int textLeft = rect.left + Advance(image, s) + arrow;
        int right = rect.right - Advance(DrawItemBitmap(dc, rect, textLeft, rect.right, item, true), s);
        if (sort) {
            textLeft -= arrow;
            right -= 2 * s + DrawSortArrow(dc, rect, textLeft, right, ascending, true);
        }
        DrawItemText(dc, rect, textLeft, right, item);
        break;
    }
    default:
        break;
    }
}

int CFlatHeaderCtrl::DrawItemImage(HDC dc, const RECT& rect, int left, int right, const HDITEMA& item,
                                   bool rightAligned) {
    HIMAGELIST list = reinterpret_cast<HIMAGELIST>(SendMessage(HDM_GETIMAGELIST));
    if (!(item.mask & HDI_IMAGE) || !(item.fmt & HDF_IMAGE) || !list || right - left < 1) return 0;
    IMAGELISTDRAWPARAMS params{};
    params.cbSize = IMAGELISTDRAWPARAMS_V3_SIZE;
    params.himl = list;
    params.i = item.iImage;
    params.hdcDst = dc;
    params.x = rightAligned ? right - imageSize.cx : left;
    params.y = (rect.top + rect.bottom) / 2 - imageSize.cy / 2;
    params.cx = std::min(right - left, static_cast<int>(imageSize.cx));
    params.cy = imageSize.cy;
    params.rgbBk = CLR_DEFAULT;
    params.rgbFg = CLR_DEFAULT;
    params.fStyle = ILD_NORMAL;
    params.dwRop = SRCCOPY;
    ImageList_DrawIndirect(&params);
    // The full width, also when the room cut the image.
    return imageSize.cx;
}

int CFlatHeaderCtrl::DrawItemBitmap(HDC dc, const RECT& rect, int left, int right, const HDITEMA& item,
                                    bool rightAligned) {
    BITMAP info{};
    if (!BitmapWidth(item, left, right) || !GetObjectA(item.hbm, sizeof info, &info)) return 0;
    win::MemoryDC source(dc);
    HGDIOBJ previous = SelectObject(source, item.hbm);
    if (!previous) return 0;
    const int x = rightAligned ? right - info.bmWidth : left;
    const int y = (rect.top + rect.bottom) / 2 - info.bmHeight / 2;
    BOOL copied = BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    return copied ? info.bmWidth : 0;
}

int CFlatHeaderCtrl::BitmapWidth(const HDITEMA& item, int left, int right) const {
    BITMAP info{};
    if (!(item.fmt & HDF_BITMAP) || !item.hbm || !GetObjectA(item.hbm, sizeof info, &info)) return 0;
    return info.bmWidth > right - left || right - left < 1 ? 0 : info.bmWidth;
}

int CFlatHeaderCtrl::DrawItemText(HDC dc, const RECT& rect, int left, int right, const HDITEMA& item) {
    const char* text = item.pszText;
    if (right - left <= 0 || !(item.mask & HDI_TEXT) || !(item.fmt & HDF_STRING) || !text ||
        text == LPSTR_TEXTCALLBACKA)
        return 0;
    const int length = static_cast<int>(strnlen(text, kTextLength));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, length, &extent);
    const int justify = item.fmt & HDF_JUSTIFYMASK;
    if (justify < 3) {
        RECT box = Span(rect, left, right);
        DrawTextA(dc, text, length, &box, kTextFlags | kJustifyFlags[justify]);
    }
    return std::max(0, std::min(static_cast<int>(extent.cx), right - left));
}

int CFlatHeaderCtrl::DrawSortArrow(HDC dc, const RECT& rect, int left, int right, bool ascending, bool rightAligned) {
    const int w = arrowSize.cx, h = arrowSize.cy;
    if (right - left <= 0 || w > right - left) return 0;
    const int x = rightAligned ? right - w : left;
    const int y = rect.top + ((rect.bottom - h - rect.top - 1) >> 1);
    const int apex = x + (w - 1) / 2;
    HGDIOBJ previous = SelectObject(dc, highlightPen);
    if (ascending) {
        MoveToEx(dc, apex + 1, y, nullptr);
        LineTo(dc, x + w - 1, y + h - 1);
        LineTo(dc, x, y + h - 1);
        SelectObject(dc, shadowPen);
        MoveToEx(dc, apex, y, nullptr);
        LineTo(dc, x, y + h - 1);
    } else {
        MoveToEx(dc, apex + 1, y + h - 1, nullptr);
        LineTo(dc, x + w - 1, y);
        SelectObject(dc, shadowPen);
        MoveToEx(dc, apex, y + h - 1, nullptr);
        LineTo(dc, x, y);
        LineTo(dc, x + w, y);
    }
    SelectObject(dc, previous);
    return w;
}

// Pressing, divider tracking, dragging

void CFlatHeaderCtrl::OnLButtonDown(UINT flags, POINT pt) {
    mouseFlags = flags;
    mousePoint = pt;
    if (hotItem < 0) {
        Default();
        return;
    }
    ReadItem(hotItem, pressedItem, pressedText, kPressedItemMask);
    pressedLimits = HeaderItemLimits{};
    limits.Get(hotItem, pressedLimits);
    if (hit.flags & HHT_ONHEADER) {
        RECT rect = ItemRect(hotItem);
        InvalidateRect(hwnd, &rect, TRUE);
        pressed = true;
    }
    if (hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN))
        PressDivider(pt);
    else
        Default();
}

void CFlatHeaderCtrl::PressDivider(POINT pt) {
    pressed = true;
    if (HasLimits(pressedLimits)) {
        // The divider keeps its offset to the cursor, so confining the cursor
        // keeps the width within the limits.
        RECT item = ScreenItemRect(hotItem);
        POINT press = pt;
        ClientToScreen(hwnd, &press);
        RECT clip{};
        GetClipCursor(&clip);
        CursorSpan span = TrackingSpan(item.left, item.right, press.x, pressedLimits);
        clip.left = span.left;
        clip.right = span.right;
        cursorClip.Confine(clip);
    }
    tracking = true;
    Default();
    // The parent may refuse the tracking; then nothing holds the mouse, and
    // the release that would free the cursor may never come here.
    if (hwnd && GetCapture() != hwnd) EndTracking();
}

void CFlatHeaderCtrl::EndTracking() {
    tracking = false;
    cursorClip.Release();
}

void CFlatHeaderCtrl::OnMouseMove(UINT flags, POINT pt) {
    if (!pressed || !(mouseFlags & MK_LBUTTON) || hotItem < 0) return;
    if (!(flags & MK_LBUTTON) && !dragging) {
        // Released where we could not see it (nothing held the mouse).
        AbandonPress();
        return;
    }
    if (tracking) Default();
    if (!(hit.flags & HHT_ONHEADER)) return;
    if (!dragging)
        BeginDrag(pt);
    else if (dragWindow)
        DragTo(pt);
}

void CFlatHeaderCtrl::BeginDrag(POINT pt) {
    if (!(GetWindowLongA(hwnd, GWL_STYLE) & HDS_DRAGDROP)) return;
    const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
    RECT still{mousePoint.x - cx, mousePoint.y - cy, mousePoint.x + cx, mousePoint.y + cy};
    if (PtInRect(&still, pt)) return;
    // Nothing left from before (an earlier drag, a marker set by the owner)
    // may decide this drop.
    dropState = kDroppedOnHeader;
    SetDropMarker(false, -1);
    LRESULT refused = Notify(HDN_BEGINDRAG, hotItem, 1);
    if (!hwnd) return;
    if (!refused) dragWindow = CFlatHeaderDragWnd::Open(ScreenItemRect(hotItem), *this, hotItem, pressedItem);
    dragging = true;
    SetCapture(hwnd);
}

void CFlatHeaderCtrl::DragTo(POINT pt) {
    POINT screen = pt;
    ClientToScreen(hwnd, &screen);
    RECT image;
    GetWindowRect(*dragWindow, &image);
    SetWindowPos(*dragWindow, HWND_TOP, screen.x - ((image.right - image.left) >> 1),
                 screen.y - ((image.bottom - image.top) >> 1), 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    int position = DropPositionAt(pt);
    dropState = position >= 0 ? kDroppedOnHeader : kDroppedOutside;
    SetCursor(LoadCursor(nullptr, position >= 0 ? IDC_ARROW : IDC_NO));
    // The item's own dividers would leave it where it is.
    if (IsOwnDivider(position, hotOrder)) position = -1;
    if (position != dropMarkerPosition) SetDropMarker(false, position);
}

int CFlatHeaderCtrl::DropPositionAt(POINT client) const {
    HDHITTESTINFO info;
    int item = HitTest(client, info);
    if (item < 0) return -1;
    RECT rect = ItemRect(item);
    return DropPosition(ItemOrder(item), client.x, rect.left, rect.right);
}

void CFlatHeaderCtrl::OnLButtonUp(UINT flags, POINT pt) {
    mouseFlags = flags;
    mousePoint = pt;
    pressed = false;
    // However the press ends, the cursor is free again.
    cursorClip.Release();
    if (dragging) {
        Drop();
    } else if (hotItem >= 0 && (hit.flags & HHT_ONHEADER)) {
        RECT rect = ItemRect(hotItem);
        InvalidateRect(hwnd, &rect, TRUE);
    }
    if (hwnd) Default();
    tracking = false;
}

void CFlatHeaderCtrl::Drop() {
    LRESULT refused = Notify(HDN_ENDDRAG, hotItem, 0);
    if (!hwnd) return;
    if (!refused && dropMarkerPosition >= 0) {
        const int count = GetItemCount();
        std::vector<int> order(static_cast<size_t>(std::max(0, count)));
        SendMessage(HDM_GETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data()));
        std::vector<int> reordered = ReorderForDrop(order, hotOrder, dropMarkerPosition);
        if (reordered != order)
            SendMessage(HDM_SETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(reordered.data()));
    }
    EndDrag();
}

void CFlatHeaderCtrl::EndDrag() {
    // Cleared first: releasing the capture below comes back here as a lost capture.
    dragging = false;
    DestroyDragWindow();
    if (GetCapture() == hwnd) ReleaseCapture();
    SetDropMarker(false, -1);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void CFlatHeaderCtrl::AbandonPress() {
    EndTracking();
    if (!pressed && !dragging) return;
    pressed = false;
    mouseFlags = 0;
    if (dragging)
        EndDrag();
    else
        InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT CFlatHeaderCtrl::OnCancelMode(WPARAM, LPARAM) {
    LRESULT result = Default();
    AbandonPress();
    return result;
}

LRESULT CFlatHeaderCtrl::OnCaptureChanged(WPARAM, LPARAM lp) {
    LRESULT result = Default();
    if (reinterpret_cast<HWND>(lp) != hwnd && (tracking || dragging)) AbandonPress();
    return result;
}

void CFlatHeaderCtrl::OnDestroy() {
    AbandonPress();
    DestroyDragWindow();
    DestroyDropWindow();
    Default();
}

void CFlatHeaderCtrl::DestroyDragWindow() {
    if (CFlatHeaderDragWnd* window = std::exchange(dragWindow, nullptr)) window->Destroy();
}

void CFlatHeaderCtrl::DestroyDropWindow() {
    if (CFlatHeaderDropWnd* window = std::exchange(dropWindow, nullptr)) window->Destroy();
}

// Drop marker

int CFlatHeaderCtrl::SetDropMarker(bool byPoint, LPARAM value) {
    int position = static_cast<int>(value);
    if (byPoint) {
        POINT pt = Unpack(value);
        ScreenToClient(hwnd, &pt);
        position = DropPositionAt(pt);
    }
    dropMarkerPosition = position;
    ShowDropMarker(position);
    return position;
}

void CFlatHeaderCtrl::ShowDropMarker(int position) {
    const int count = GetItemCount();
    if (!IsMarkerPosition(position, count) || count <= 0) {
        DestroyDropWindow();
        return;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    if (!dropWindow) dropWindow = CFlatHeaderDropWnd::Open(dropMarkerColour, client.bottom - client.top);
    if (!dropWindow) return;
    // Past the last column the marker stands at its right edge.
    POINT at{position >= count ? ItemRect(OrderToIndex(count - 1)).right : ItemRect(OrderToIndex(position)).left - 1,
             (client.bottom - client.top) / 2};
    ClientToScreen(hwnd, &at);
    dropWindow->ShowAt(at.x, at.y);
}

LRESULT CFlatHeaderCtrl::Notify(int code, int item, int button) {
    HWND parent = GetParent(hwnd);
    if (!parent) return 0;
    NMHEADERA notice{};
    notice.hdr = {hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), static_cast<UINT>(code)};
    notice.iItem = item;
    notice.iButton = button;
    notice.pitem = &pressedItem;
    return ::SendMessageA(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
}
