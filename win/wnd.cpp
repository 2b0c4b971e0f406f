#include "win/wnd.h"

#include <algorithm>
#include <vector>

namespace win {

namespace {
// The object pointer lives in a window property, not GWLP_USERDATA, so that
// subclassed controls keep their user data.
const char kThisProp[] = "win.CWnd.this";

// Handlers of this thread's windows now running, nested, and the windows
// finished meanwhile. A handler that notifies its parent may see the parent
// destroy both: a view deleted with its window would take its control with
// it while the control's handler still runs. Objects are therefore finished
// only once the outermost handler of the thread has returned.
thread_local int handlersRunning = 0;
thread_local std::vector<CWnd*> finished;
thread_local bool finishing = false;
}  // namespace

// Keeps the message being handled, for Default(); restores the outer one after
// a nested message (sent messages re-enter the window procedure).
class MessageScope {
public:
    MessageScope(CWnd& wnd, UINT msg, WPARAM wp, LPARAM lp) : wnd(wnd), saved(wnd.current) {
        wnd.current = {msg, wp, lp};
    }
    MessageScope(const MessageScope&) = delete;
    MessageScope& operator=(const MessageScope&) = delete;
    ~MessageScope() { wnd.current = saved; }

private:
    CWnd& wnd;
    CWnd::CurrentMessage saved;
};

CWnd::~CWnd() {
    if (finalPending) finished.erase(std::remove(finished.begin(), finished.end(), this), finished.end());
    if (hwnd && superProc)
        UnsubclassWindow();
    else if (hwnd)
        Unbind();
}

CWnd* CWnd::FromHandle(HWND window) { return window ? static_cast<CWnd*>(GetPropA(window, kThisProp)) : nullptr; }

void CWnd::Bind(HWND window) {
    hwnd = window;
    SetPropA(window, kThisProp, this);
}

void CWnd::Unbind() {
    if (hwnd) RemovePropA(hwnd, kThisProp);
    hwnd = nullptr;
}

bool CWnd::RegisterClass(const char* className, UINT classStyle, HCURSOR cursor, HBRUSH background) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect, HWND parent,
                    UINT id) {
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND created = CreateWindowExA(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, parent, menu, GetModuleHandleA(nullptr), this);
    return created != nullptr;
}

bool CWnd::SubclassWindow(HWND window) {
    if (!window || hwnd) return false;
    Bind(window);
    superProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
    // A window of one of our own classes (made by a dialog) already runs our procedure.
    if (superProc == StaticWndProc) superProc = nullptr;
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, HWND parent) { return SubclassWindow(GetDlgItem(parent, static_cast<int>(id))); }

HWND CWnd::UnsubclassWindow() {
    HWND window = hwnd;
    if (window && superProc) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc));
    superProc = nullptr;
    Unbind();
    return window;
}

std::string CWnd::GetWindowText() const {
    int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(hwnd, text.data(), length + 1)));
    return text;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (superProc) return CallWindowProcA(superProc, hwnd, msg, wp, lp);
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CWnd::Default() { return DefWindowProc(current.msg, current.wp, current.lp); }

// A control's click, or a command that no control sent (a menu item, an
// accelerator). An owner-drawn button also reports BN_DOUBLECLICKED: a double
// click is one click and a notification, not two clicks.
static bool IsClick(WPARAM wp, LPARAM lp) { return HIWORD(wp) == BN_CLICKED || lp == 0; }

static bool Matches(const Route& r, UINT msg, WPARAM wp, LPARAM lp) {
    switch (r.kind) {
    case Route::Kind::Message:
        return r.message == msg;
    case Route::Kind::Command:
        return msg == WM_COMMAND && r.id == LOWORD(wp) && (r.code == ~0u ? IsClick(wp, lp) : r.code == HIWORD(wp));
    case Route::Kind::CommandRange:
        return msg == WM_COMMAND && LOWORD(wp) >= r.id && LOWORD(wp) <= r.code && IsClick(wp, lp);
    case Route::Kind::Notify: {
        if (msg != WM_NOTIFY || !lp) return false;
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
        return header->code == r.code && header->idFrom == r.id;
    }
    }
    return false;
}

bool CWnd::Dispatch(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    RouteTable table = Routes();
    for (size_t i = 0; i < table.count; i++) {
        if (Matches(table.rows[i], msg, wp, lp)) {
            result = table.rows[i].invoke(*this, wp, lp);
            return true;
        }
    }
    return false;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (Dispatch(msg, wp, lp, result)) return result;
    return DefWindowProc(msg, wp, lp);
}

bool CWnd::PreTranslateMessage(MSG&) { return false; }

bool CWnd::WalkPreTranslateTree(HWND stop, MSG& msg) {
    // Only windows of this thread: another process's window property is not an object of ours.
    for (HWND window = msg.hwnd; window && window != stop; window = GetParent(window)) {
        if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) break;
        CWnd* object = FromHandle(window);
        if (object && object->PreTranslateMessage(msg)) return true;
    }
    return false;
}

// An object finished here may delete others, and their windows end in turn.
void CWnd::FinishWindows() {
    if (finishing) return;
    finishing = true;
    while (!finished.empty()) {
        CWnd* done = finished.front();
        finished.erase(finished.begin());
        done->finalPending = false;
        done->OnFinalMessage();
    }
    finishing = false;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* self = FromHandle(window);
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        if (self) self->Bind(window);
    }
    // Messages before the bind (WM_GETMINMAXINFO comes first) get the default.
    if (!self) return ::DefWindowProcA(window, msg, wp, lp);

    LRESULT result;
    ++handlersRunning;
    {
        MessageScope scope(*self, msg, wp, lp);
        result = self->WindowProc(msg, wp, lp);
    }
    --handlersRunning;
    if (msg == WM_NCDESTROY) {
        if (self->superProc)
            self->UnsubclassWindow();
        else
            self->Unbind();
        self->finalPending = true;
        finished.push_back(self);
    }
    if (handlersRunning == 0) FinishWindows();
    return result;
}

}  // namespace win
