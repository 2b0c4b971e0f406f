#include "win/view.h"

#include <map>
#include <string>

#include "win/app.h"
#include "win/gdi.h"

namespace win {

namespace {

std::map<std::string, RuntimeClass::Factory>& Classes() {
    static std::map<std::string, RuntimeClass::Factory> classes;
    return classes;
}

}  // namespace

void RuntimeClass::Register(const char* name, Factory factory) {
    if (name && factory) Classes()[name] = factory;
}

CWnd* RuntimeClass::CreateObject(const char* name) {
    if (!name) return nullptr;
    const auto found = Classes().find(name);
    return found == Classes().end() ? nullptr : found->second();
}

// --- views -----------------------------------------------------------------------------

bool CView::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    CREATESTRUCTA cs{};
    cs.style = static_cast<LONG>(style);
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = parent;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
    cs.lpszClass = kClassName;
    cs.lpszName = "";
    if (!PreCreateWindow(cs)) return false;
    return CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                    RECT{cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy}, cs.hwndParent, id);
}

bool CView::PreCreateWindow(CREATESTRUCTA&) {
    return RegisterClass(kClassName, CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

void CView::OnInitialUpdate() {
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT CView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PaintDC dc(hwnd);
        OnDraw(dc);
        return 0;
    }
    return CWnd::WindowProc(msg, wp, lp);
}

void CView::OnFinalMessage() {
    if (deleteWithWindow) delete this;
}

// --- frames ----------------------------------------------------------------------------

bool CFrameWnd::Create(const char* title, DWORD style, const RECT& rect, const char* viewClass, DWORD viewStyle) {
    if (hwnd) return false;
    CWnd* made = RuntimeClass::CreateObject(viewClass);
    auto* newView = dynamic_cast<CView*>(made);
    if (!newView) {
        delete made;
        return false;
    }
    if (!RegisterClass(kClassName, CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) ||
        !CreateEx(0, kClassName, title, style & ~WS_VISIBLE, rect, nullptr, 0)) {
        delete newView;
        return false;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    if (!newView->Create(viewStyle | WS_CHILD | WS_VISIBLE, client, hwnd, kViewId)) {
        delete newView;
        DestroyWindow(hwnd);
        return false;
    }
    newView->DeleteWithWindow();
    viewWindow = *newView;
    return true;
}

CView* CFrameWnd::GetActiveView() const {
    return viewWindow && IsWindow(viewWindow) ? dynamic_cast<CView*>(FromHandle(viewWindow)) : nullptr;
}

void CFrameWnd::InitialUpdateFrame(int show) {
    if (CView* view = GetActiveView()) view->OnInitialUpdate();
    if (hwnd) {
        ShowWindow(hwnd, show);
        UpdateWindow(hwnd);
    }
}

void CFrameWnd::FitView() {
    if (!GetActiveView()) return;
    RECT client;
    GetClientRect(hwnd, &client);
    MoveWindow(viewWindow, 0, 0, client.right, client.bottom, TRUE);
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        FitView();
        return 0;
    case WM_SETFOCUS:
        if (GetActiveView()) ::SetFocus(viewWindow);
        return 0;
    case WM_DESTROY: {
        CWinApp* app = CWinApp::Get();
        if (app && app->mainWnd == this) PostQuitMessage(0);
        break;
    }
    default:
        break;
    }
    return CWnd::WindowProc(msg, wp, lp);
}

}  // namespace win
