#include "controls/report/report_tip.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "win/gdi.h"

namespace {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

FARPROC updateLayeredWindow = nullptr;  // looked up with its sibling; never called
SetLayeredWindowAttributesFn setLayeredWindowAttributes = nullptr;

constexpr COLORREF kColourKey = RGB(0xFF, 0x00, 0xFF);
constexpr DWORD kTipExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
constexpr DWORD kTipStyle = WS_POPUP | WS_BORDER;
constexpr UINT kShowFlags = SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER;
constexpr UINT kHitTestTimeoutMs = 200;

LPARAM PackPoint(POINT p) { return MAKELPARAM(p.x, p.y); }

// A window of another, hung program must not hang ours.
LRESULT HitTest(HWND target, POINT screen) {
    DWORD_PTR hit = HTNOWHERE;
    if (!SendMessageTimeoutA(target, WM_NCHITTEST, 0, PackPoint(screen), SMTO_ABORTIFHUNG, kHitTestTimeoutMs, &hit))
        return HTNOWHERE;
    return static_cast<LRESULT>(hit);
}

}  // namespace

BOOL CReportTipCtrl::LoadLayeredWindowApi() {
    if (updateLayeredWindow) return TRUE;
    HMODULE user32 = GetModuleHandleA("USER32.DLL");
    if (!user32) return FALSE;
    updateLayeredWindow = GetProcAddress(user32, "UpdateLayeredWindow");
    setLayeredWindowAttributes = reinterpret_cast<SetLayeredWindowAttributesFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
    if (updateLayeredWindow && setLayeredWindowAttributes) return TRUE;
    updateLayeredWindow = nullptr;  // both or neither
    return FALSE;
}

CReportTipCtrl::CReportTipCtrl() : layered(LoadLayeredWindowApi()), doubleClickTime(GetDoubleClickTime()) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(GetModuleHandleA(nullptr), kClassName, &existing)) return;
    if (!RegisterClass(kClassName, CS_SAVEBITS, LoadCursor(nullptr, IDC_ARROW),
                       reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1)))
        throw std::runtime_error("the MFCReportTipCtrl window class cannot be registered");
}

CReportTipCtrl::~CReportTipCtrl() {
    // The system destroys an owned pop-up with the owner's top-level window
    // only: a report control that goes before its dialog takes its tip along.
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
}

win::RouteTable CReportTipCtrl::Routes() const {
    using namespace win;
    using T = CReportTipCtrl;
    static const Route routes[] = {
        OnMessage<WM_MOUSEMOVE, &T::OnMouseMove>(),
        OnMessage<WM_TIMER, &T::OnTimer>(),
        OnMessage<WM_PAINT, &T::OnPaint>(),
        OnRawMessage<WM_MOUSEACTIVATE, &T::OnMouseActivate>(),
        OnRawMessage<WM_LBUTTONDOWN, &T::OnPress<WM_LBUTTONDOWN>>(),
        OnRawMessage<WM_RBUTTONDOWN, &T::OnPress<WM_RBUTTONDOWN>>(),
        OnRawMessage<WM_MBUTTONDOWN, &T::OnPress<WM_MBUTTONDOWN>>(),
    };
    return MakeRouteTable(routes);
}

BOOL CReportTipCtrl::Create(HWND ownerWindow) {
    if (hwnd || !ownerWindow) return FALSE;
    owner = ownerWindow;
    // Without the layered functions a layered window would never be seen.
    const DWORD exStyle = kTipExStyle | (layered ? WS_EX_LAYERED : 0);
    return CreateEx(exStyle, kClassName, "", kTipStyle, RECT{}, owner, 0) ? TRUE : FALSE;
}

HFONT CReportTipCtrl::OwnerFont() const { return reinterpret_cast<HFONT>(::SendMessageA(owner, WM_GETFONT, 0, 0)); }

BOOL CReportTipCtrl::ShowTip(const RECT& cell, const char* newText, HFONT newFont) {
    if (!hwnd) return FALSE;
    if (IsRectEmpty(&cell) || !GetFocus() || !newText) {
        HideTip();
        return FALSE;
    }
    const HFONT useFont = newFont ? newFont : OwnerFont();
    // The owner asks on every mouse move; the tip already showing stays as it is.
    if (IsWindowVisible(hwnd) && EqualRect(&cell, &lastRect) && text == newText && font == useFont) return TRUE;

    POINT corners[2] = {{cell.left, cell.top}, {cell.right, cell.bottom}};
    MapWindowPoints(owner, nullptr, corners, 2);
    SIZE extent{};
    {
        win::ClientDC dc(hwnd);
        win::SelectScope select(dc, useFont);
        GetTextExtentPoint32A(dc, newText, static_cast<int>(std::strlen(newText)), &extent);
    }
    if (corners[0].x + extent.cx <= corners[1].x) {
        HideTip();
        return FALSE;
    }

    const int m = cellMargin;
    const int width = cell.right - cell.left, height = cell.bottom - cell.top;
    lastRect = cell;
    hitRect = {-1 - m, -1, width + 1 + m, height + 1};
    text = newText;
    font = useFont;
    textHeight = extent.cy;
    // The opacity before the window shows, so that no frame of the last one is seen.
    if (layered) ApplyAlpha();
    SetWindowPos(hwnd, HWND_TOP, corners[0].x - m, corners[0].y, extent.cx + 2 * m, height, kShowFlags);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    if (layered && alpha < 255) SetTimer(hwnd, kTimerId, kFadeStepMs, nullptr);
    return TRUE;
}

void CReportTipCtrl::HideTip() {
    if (!hwnd) return;
    // A tip shown soon after shows at once: moving from cell to cell does not fade.
    if (layered) {
        alpha = 255;
        SetTimer(hwnd, kTimerId, kOpaqueAfterHideMs, nullptr);
    }
    if (IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_HIDE);
}

void CReportTipCtrl::ApplyAlpha() {
    if (setLayeredWindowAttributes) setLayeredWindowAttributes(hwnd, kColourKey, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void CReportTipCtrl::OnTimer(UINT_PTR id) {
    if (id == kTimerId) {
        if (alpha < 255) {
            alpha = std::min(alpha + kFadeStep, 255u);
            if (alpha == 255) KillTimer(hwnd, kTimerId);
            ApplyAlpha();
        } else {
            alpha = 0;
            KillTimer(hwnd, kTimerId);
        }
    }
    Default();
}

void CReportTipCtrl::OnPaint() {
    win::PaintDC dc(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    win::SaveDCScope saved(dc);
    // The caller's font may be gone by a later repaint: the DC's own then.
    if (font && GetObjectType(font) == OBJ_FONT) SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    // Inside the border the text stands exactly where the cell's text does.
    TextOutA(dc, cellMargin - 1, (client.bottom - textHeight) / 2, text.c_str(), static_cast<int>(text.size()));
}

HWND CReportTipCtrl::TargetAt(POINT screen) const {
    HWND target = WindowFromPoint(screen);
    return target && target != hwnd ? target : owner;
}

void CReportTipCtrl::OnMouseMove(UINT flags, POINT point) {
    if (PtInRect(&hitRect, point)) return;
    HideTip();
    POINT screen = point;
    ClientToScreen(hwnd, &screen);
    const HWND target = TargetAt(screen);
    const LRESULT hit = HitTest(target, screen);
    if (hit == HTCLIENT) {
        POINT client = screen;
        ScreenToClient(target, &client);
        PostMessageA(target, WM_MOUSEMOVE, flags, PackPoint(client));
    } else {
        PostMessageA(target, WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), PackPoint(screen));
    }
}

bool CReportTipCtrl::PreTranslateMessage(MSG& msg) {
    if (!hwnd || msg.hwnd != hwnd) return false;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        HideTip();
        PostMessageA(owner, msg.message, msg.wParam, msg.lParam);
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        HandOnPress(msg);
        return true;
    default:
        if (GetFocus()) return false;
        // The application lost the keyboard: nothing of the tip stays. Paints
        // and timers still run, or they would come back for ever.
        HideTip();
        return msg.message != WM_PAINT && msg.message != WM_TIMER;
    }
}

void CReportTipCtrl::HandOnPress(const MSG& msg) {
    bool doubleClick = false;
    if (msg.message == WM_LBUTTONDOWN) {
        const DWORD now = GetTickCount();
        doubleClick = lastClickTime != kNoClick && now - lastClickTime <= doubleClickTime;
        // As the system counts them: the press after a double click starts afresh.
        lastClickTime = doubleClick ? kNoClick : now;
    }
    POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    ClientToScreen(hwnd, &screen);
    // Hidden first, so that the press reaches whatever lies under the tip.
    HideTip();
    const HWND target = TargetAt(screen);
    const LRESULT hit = HitTest(target, screen);
    const UINT message = doubleClick ? WM_LBUTTONDBLCLK : msg.message;
    if (hit == HTCLIENT) {
        POINT client = screen;
        ScreenToClient(target, &client);
        PostMessageA(target, message, msg.wParam, PackPoint(client));
    } else {
        // The non-client form of each press: WM_NCLBUTTONDOWN and its siblings.
        PostMessageA(target, message - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), PackPoint(screen));
    }
}
