#include "controls/flatheader/header_popups.h"

#include "controls/flatheader/flat_header.h"
#include "win/draw.h"
#include "win/offscreen_dc.h"

namespace {

constexpr DWORD kPopupStyle = WS_POPUP | WS_DISABLED;
constexpr UINT kShowFlags = SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW;
constexpr int kArrowPoints = 7;

}  // namespace

void CFlatHeaderPopup::Destroy() {
    if (hwnd) DestroyWindow(hwnd);
}

// Drag image

CFlatHeaderDragWnd* CFlatHeaderDragWnd::Open(const RECT& screenRect, CFlatHeaderCtrl& header, int item,
                                             const HDITEMA& record) {
    return CFlatHeaderPopup::Open(new (std::nothrow) CFlatHeaderDragWnd, screenRect, header, item, record);
}

win::RouteTable CFlatHeaderDragWnd::Routes() const {
    using namespace win;
    using D = CFlatHeaderDragWnd;
    static const Route routes[] = {
        OnRawMessage<WM_ERASEBKGND, &D::OnEraseBkgnd>(),
        OnMessage<WM_PAINT, &D::OnPaint>(),
    };
    return MakeRouteTable(routes);
}

bool CFlatHeaderDragWnd::Create(const RECT& screenRect, CFlatHeaderCtrl& owner, int index, const HDITEMA& itemRecord) {
    if (!RegisterClass(kClassName, CS_SAVEBITS, LoadCursor(nullptr, IDC_ARROW),
                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return false;
    header = &owner;
    item = index;
    record = &itemRecord;
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "", kPopupStyle, screenRect, nullptr, 0);
}

void CFlatHeaderDragWnd::OnPaint() {
    win::PaintDC dc(hwnd);
    if (header->doubleBuffered) {
        win::COffscreenDC surface(dc);
        Paint(surface);
    } else {
        Paint(dc);
    }
}

void CFlatHeaderDragWnd::Paint(HDC dc) {
    const auto& colours = header->colours;
    RECT client;
    GetClientRect(hwnd, &client);
    win::FillSolidRect(dc, client, colours.face);
    win::Draw3dRect(dc, client, colours.highlight, colours.shadow);
    win::SaveDCScope saved(dc);
    SelectObject(dc, header->Font());
    SetBkColor(dc, colours.face);
    SetTextColor(dc, colours.text);
    client.left += header->spacing;
    client.right -= header->spacing;
    header->DrawFlatItem(dc, client, *record, header->sortColumn == item, header->sortAscending);
}

// Drop marker

CFlatHeaderDropWnd* CFlatHeaderDropWnd::Open(COLORREF colour, int headerHeight) {
    return CFlatHeaderPopup::Open(new (std::nothrow) CFlatHeaderDropWnd(colour), headerHeight);
}

CFlatHeaderDropWnd::CFlatHeaderDropWnd(COLORREF colour) : brush(CreateSolidBrush(colour)) {}

win::RouteTable CFlatHeaderDropWnd::Routes() const {
    using namespace win;
    static const Route routes[] = {
        OnRawMessage<WM_ERASEBKGND, &CFlatHeaderDropWnd::OnEraseBkgnd>(),
    };
    return MakeRouteTable(routes);
}

bool CFlatHeaderDropWnd::Create(int headerHeight) {
    if (!RegisterClass(kClassName, CS_SAVEBITS, LoadCursor(nullptr, IDC_ARROW), nullptr)) return false;
    const int h = headerHeight + 20;
    height = h;
    if (!CreateEx(WS_EX_TOOLWINDOW, kClassName, "", kPopupStyle, RECT{0, 0, kWidth, h}, nullptr, 0)) return false;
    // Only the two arrows belong to the window; the header shows between them.
    const POINT top[kArrowPoints] = {{8, 0}, {8, 4}, {11, 4}, {6, 9}, {1, 4}, {4, 4}, {4, 0}};
    const POINT bottom[kArrowPoints] = {{4, h}, {4, h - 4}, {0, h - 4}, {6, h - 10}, {12, h - 4}, {8, h - 4}, {8, h}};
    win::Region shape(CreatePolygonRgn(top, kArrowPoints, ALTERNATE));
    win::Region lower(CreatePolygonRgn(bottom, kArrowPoints, ALTERNATE));
    if (shape && lower && CombineRgn(shape, shape, lower, RGN_OR) != ERROR) {
        // The window owns its region from here on.
        if (SetWindowRgn(hwnd, shape, FALSE)) shape.Release();
    }
    return true;
}

LRESULT CFlatHeaderDropWnd::OnEraseBkgnd(WPARAM wp, LPARAM) {
    RECT all{0, 0, kWidth, height};
    FillRect(reinterpret_cast<HDC>(wp), &all, brush);
    return TRUE;
}

void CFlatHeaderDropWnd::ShowAt(int x, int y) {
    SetWindowPos(hwnd, HWND_TOP, x - kWidth / 2, y - height / 2, 0, 0, kShowFlags);
}
