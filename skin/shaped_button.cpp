#include "skin/shaped_button.h"

#include "skin/button_accessible.h"

namespace {

win::Region CopyRegion(HRGN source) {
    win::Region copy(CreateRectRgn(0, 0, 0, 0));
    if (copy && source) CombineRgn(copy, source, nullptr, RGN_COPY);
    return copy;
}

// The module holding the bitmap: the program's own.
HINSTANCE BitmapModule(UINT id) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    return FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)) ? self : nullptr;
}

}  // namespace

CShapedButton::CShapedButton() { faceColours.fill(GetSysColor(COLOR_BTNFACE)); }

CShapedButton::~CShapedButton() {
    if (hwnd) DestroyWindow(hwnd);
    ReleaseAccessible();
}

win::RouteTable CShapedButton::Routes() const {
    using namespace win;
    using B = CShapedButton;
    static const Route routes[] = {
        OnMessage<WM_ERASEBKGND, &B::OnEraseBkgnd>(),         OnMessage<WM_MOUSEMOVE, &B::OnMouseMove>(),
        OnMessage<WM_LBUTTONDOWN, &B::OnLButtonDown>(),       OnMessage<WM_LBUTTONUP, &B::OnLButtonUp>(),
        OnMessage<WM_CAPTURECHANGED, &B::OnCaptureChanged>(),
        OnRawMessage<WM_GETOBJECT, &B::OnGetObject>(),         OnMessage<WM_DESTROY, &B::OnDestroy>(),
    };
    return MakeRouteTable(routes);
}

bool CShapedButton::CreateShaped(const std::string& caption, DWORD style, int x, int y, HRGN shape, HWND parent,
                                 UINT id) {
    region = CopyRegion(shape);
    RECT box{};
    GetRgnBox(region, &box);
    OffsetRgn(region, -box.left, -box.top);
    OffsetRect(&box, -box.left, -box.top);
    centre = {box.left + (box.right - box.left) / 2, box.top + (box.bottom - box.top) / 2};
    OffsetRect(&box, x, y);
    HWND window =
        CreateWindowExA(0, "Button", caption.c_str(), style | BS_OWNERDRAW, box.left, box.top, box.right - box.left,
                        box.bottom - box.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                        GetModuleHandleA(nullptr), nullptr);
    if (!window) return false;
    if (!SubclassWindow(window)) {
        DestroyWindow(window);
        return false;
    }
    OnCreated();
    return true;
}

// What WM_CREATE does for a button made by this class: the window is made
// before it is subclassed, so this runs right after.
void CShapedButton::OnCreated() {
    facesNeeded = true;
    if (region) SetWindowRgn(hwnd, CopyRegion(region).Release(), TRUE);
}

bool CShapedButton::SubclassWindow(HWND window) {
    if (!CWnd::SubclassWindow(window)) return false;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    SetWindowLongA(window, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    return true;
}

bool CShapedButton::SubclassDlgItem(UINT id, HWND parent) {
    return SubclassWindow(GetDlgItem(parent, static_cast<int>(id)));
}

bool CShapedButton::SetStateImages(UINT bitmapId, bool horizontal, const RECT& sourceRect) {
    UINT id = LOWORD(bitmapId);
    win::Bitmap loaded(LoadBitmapA(BitmapModule(id), MAKEINTRESOURCEA(id)));
    BITMAP info{};
    if (!loaded || !GetObjectA(loaded, sizeof info, &info)) return false;
    for (win::Bitmap& image : images) image.Reset();

    int width = sourceRect.right - sourceRect.left;
    int height = sourceRect.bottom - sourceRect.top;
    if (horizontal)
        width /= 4;
    else
        height /= 4;

    win::ClientDC screen(hwnd);
    win::MemoryDC source(screen);
    win::MemoryDC target(screen);
    win::SelectScope selectSource(source, loaded);
    for (int i = 0; i < 4; i++) {
        images[i].Reset(CreateBitmap(width, height, info.bmPlanes, info.bmBitsPixel, nullptr));
        if (!images[i]) continue;
        win::SelectScope selectTarget(target, images[i]);
        int x = sourceRect.left + (horizontal ? i * width : 0);
        int y = sourceRect.top + (horizontal ? 0 : i * height);
        BitBlt(target, 0, 0, width, height, source, x, y, SRCCOPY);
    }
    facesNeeded = false;
    return true;
}

bool CShapedButton::Reflect(const DRAWITEMSTRUCT& item) {
    auto* button = dynamic_cast<CShapedButton*>(CWnd::FromHandle(item.hwndItem));
    if (!button) return false;
    button->DrawItem(item);
    return true;
}

void CShapedButton::DrawItem(const DRAWITEMSTRUCT& item) {
    RECT client{};
    GetClientRect(hwnd, &client);
    if (facesNeeded) {
        GenerateFaces(item.hDC, client);
        facesNeeded = false;
    }
    Face face = (item.itemState & ODS_DISABLED)   ? kDisabled
                : (item.itemState & ODS_SELECTED) ? kPressed
                : hover                           ? kHover
                                                  : kNormal;
    if (!images[face]) return;

    win::SaveDCScope save(item.hDC);  // restores the caller's own clipping
    win::Region clip(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(hwnd, clip) != ERROR) {
        POINT origin{0, 0};
        LPtoDP(item.hDC, &origin, 1);
        OffsetRgn(clip, origin.x, origin.y);
        ExtSelectClipRgn(item.hDC, clip, RGN_AND);
    }
    win::MemoryDC memory(item.hDC);
    win::SelectScope select(memory, images[face]);
    BitBlt(item.hDC, 0, 0, client.right - client.left, client.bottom - client.top, memory, 0, 0, SRCCOPY);
}

// Mouse tracking.

bool CShapedButton::HitTest(POINT pt) const {
    win::Region shape(CreateRectRgn(0, 0, 0, 0));
    RECT box{};
    if (GetWindowRgn(hwnd, shape) == ERROR) {
        GetClientRect(hwnd, &box);
        return PtInRect(&box, pt) != FALSE;
    }
    GetRgnBox(shape, &box);
    return PtInRect(&box, pt) && PtInRegion(shape, pt.x, pt.y);
}

void CShapedButton::Capture() {
    if (captured) return;
    SetCapture(hwnd);
    captured = true;
}

void CShapedButton::Uncapture() {
    if (!captured) return;
    captured = false;
    ReleaseCapture();
}

void CShapedButton::Redraw() { RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

void CShapedButton::HoverCheck(POINT pt) {
    if (HitTest(pt)) {
        Capture();
        if (!hover) {
            hover = true;
            Redraw();
        }
    } else {
        Uncapture();
        hover = false;
        Redraw();
    }
}

void CShapedButton::OnMouseMove(UINT, POINT pt) {
    if (!held) HoverCheck(pt);
    Default();
}

void CShapedButton::OnLButtonDown(UINT, POINT) {
    held = true;
    Capture();
    Default();
}

void CShapedButton::OnLButtonUp(UINT, POINT pt) {
    Default();  // clicks; the parent's handler may even destroy us
    held = false;
    if (!hwnd) return;
    Uncapture();
    HoverCheck(pt);
}

// Someone else took the capture: we would never see the pointer leave.
void CShapedButton::OnCaptureChanged() {
    if (captured && GetCapture() != hwnd) {
        captured = false;
        if (hover) {
            hover = false;
            Redraw();
        }
    }
    Default();
}

void CShapedButton::SetAccessibleText(const std::string& name, const std::string& description) {
    accessibleName = name;
    accessibleDescription = description;
    ReleaseAccessible();  // a client that asks again gets the new texts
}

LRESULT CShapedButton::OnGetObject(WPARAM wp, LPARAM lp) {
    if (static_cast<DWORD>(lp) != static_cast<DWORD>(OBJID_CLIENT) || accessibleName.empty()) return Default();
    if (!accessible) accessible = ButtonAccessible::Create(hwnd, accessibleName, accessibleDescription);
    return accessible ? win::AccessibleResult(accessible, wp) : Default();
}

void CShapedButton::OnDestroy() {
    ReleaseAccessible();
    Default();
}

// Clients may hold the object longer than the window lives: it answers them
// that it is gone.
void CShapedButton::ReleaseAccessible() {
    if (!accessible) return;
    accessible->Disconnect();
    accessible->Release();
    accessible = nullptr;
}

LRESULT CShapedButton::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // A second quick click presses the button again instead of notifying a double click.
    if (msg == WM_LBUTTONDBLCLK) msg = WM_LBUTTONDOWN;
    return CWnd::DefWindowProc(msg, wp, lp);
}

// Faces drawn from the region, the caption and the system colours.

void CShapedButton::GenerateFaces(HDC target, const RECT& client) {
    win::MemoryDC memory(target);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    for (int face = kNormal; face <= kDisabled; face++) {
        images[face].Reset(CreateCompatibleBitmap(target, width, height));
        if (!images[face]) continue;
        win::SelectScope select(memory, images[face]);
        FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        win::Brush fill(CreateSolidBrush(faceColours[face]));
        FillRgn(memory, region, fill);
        DrawCaption(memory, static_cast<Face>(face));
        DrawBevel(memory, face == kPressed);
    }
}

void CShapedButton::DrawCaption(HDC dc, Face face) const {
    std::string caption = GetWindowText();
    win::Font font;  // a copy of the parent's, outliving the DC state below
    LOGFONTA logFont{};
    auto parentFont = reinterpret_cast<HFONT>(::SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0));
    if (parentFont && GetObjectA(parentFont, sizeof logFont, &logFont)) font.Reset(CreateFontIndirectA(&logFont));
    win::SaveDCScope save(dc);
    SetBkMode(dc, TRANSPARENT);
    if (font) SelectObject(dc, font);

    SIZE text{};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    int x = centre.x;
    int y = centre.y + text.cy / 2;
    if (face == kPressed) {
        x += bevelDepth;
        y += bevelDepth;
    }
    SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
    if (face == kDisabled) {
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        TextOutA(dc, x + 1, y + 1, caption.c_str(), static_cast<int>(caption.size()));
        SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    TextOutA(dc, x, y, caption.c_str(), static_cast<int>(caption.size()));
}

void CShapedButton::DrawBevel(HDC dc, bool pressed) const {
    win::Region shifted = CopyRegion(region);
    win::Region topLeft(CreateRectRgn(0, 0, 0, 0));
    win::Region bottomRight(CreateRectRgn(0, 0, 0, 0));
    OffsetRgn(shifted, 1, 1);
    CombineRgn(topLeft, region, shifted, RGN_DIFF);
    OffsetRgn(shifted, -2, -2);
    CombineRgn(bottomRight, region, shifted, RGN_DIFF);
    win::Brush light(CreateSolidBrush(GetSysColor(COLOR_3DHILIGHT)));
    win::Brush dark(CreateSolidBrush(GetSysColor(COLOR_3DDKSHADOW)));
    FillRgn(dc, topLeft, pressed ? dark : light);
    FillRgn(dc, bottomRight, pressed ? light : dark);
}
