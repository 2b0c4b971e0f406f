// A window object bound to its HWND, and message tables that route a message,
// a command or a notification to a typed member handler.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <cstddef>
#include <string>

namespace win {

class CWnd;

// One row of a message table. Build rows with OnMessage, OnCommand, OnCommandCode,
// OnCommandRange and OnNotify below; a handler that wants the default handling
// as well calls Default().
struct Route {
    enum class Kind : unsigned char { Message, Command, CommandRange, Notify };
    Kind kind;
    UINT message;  // Message: the message number
    UINT id;       // Command: command id (range: first); Notify: control id
    UINT code;     // Command: notification code, ~0u for a click (range: last id); Notify: NMHDR code
    LRESULT (*invoke)(CWnd&, WPARAM, LPARAM);
};

struct RouteTable {
    const Route* rows;
    size_t count;
};

template <size_t N>
constexpr RouteTable MakeRouteTable(const Route (&rows)[N]) {
    return {rows, N};
}

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND GetSafeHwnd() const { return hwnd; }
    operator HWND() const { return hwnd; }
    static CWnd* FromHandle(HWND hwnd);

    // Creates a window of a class registered by RegisterClass below.
    bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect, HWND parent,
                  UINT id);
    // Registers a class whose windows run CWnd::StaticWndProc.
    static bool RegisterClass(const char* className, UINT classStyle, HCURSOR cursor, HBRUSH background);

    // Binds to an existing window (a dialog control) and routes its messages
    // through this object, passing the rest to its own procedure.
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(UINT id, HWND parent);
    HWND UnsubclassWindow();

    std::string GetWindowText() const;
    void SetWindowText(const std::string& text) const { ::SetWindowTextA(hwnd, text.c_str()); }
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageA(hwnd, msg, wp, lp); }

    // Every message of the window arrives here.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);

    // A queued message for this window or a child, before it is translated
    // and dispatched; true takes it. Message loops call it through
    // WalkPreTranslateTree.
    virtual bool PreTranslateMessage(MSG& msg);
    // Offers a queued message to the objects of its window and of that
    // window's parents (a pop-up's owner), up to but not including `stop`:
    // the innermost window has the first say. True when one took it.
    static bool WalkPreTranslateTree(HWND stop, MSG& msg);

protected:
    virtual RouteTable Routes() const { return {nullptr, 0}; }
    // The window procedure beneath ours: the subclassed one or DefWindowProc.
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // Default handling of the message now being handled.
    LRESULT Default();
    // Runs the routes; false when none takes the message.
    bool Dispatch(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // After the window's last message, once no handler of any window of the
    // thread is still running (an object may delete itself here, and what it
    // owns with it); the binding is already gone.
    virtual void OnFinalMessage() {}

    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Bind(HWND window);
    void Unbind();

    HWND hwnd = nullptr;
    WNDPROC superProc = nullptr;

private:
    struct CurrentMessage {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
    };
    static void FinishWindows();
    CurrentMessage current{};
    bool finalPending = false;  // in the thread's list of finished windows
    friend class MessageScope;
};

// Typed unpacking of a message's parameters, by message number. The generic
// form hands the raw parameters over: LRESULT Handler(WPARAM, LPARAM).
template <UINT Msg>
struct Crack {
    template <class T, class F>
    static LRESULT Call(T& t, F f, WPARAM wp, LPARAM lp) {
        return (t.*f)(wp, lp);
    }
};

// void OnMouse(UINT flags, POINT pt)
struct CrackMouse {
    template <class T, class F>
    static LRESULT Call(T& t, F f, WPARAM wp, LPARAM lp) {
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        (t.*f)(static_cast<UINT>(wp), pt);
        return 0;
    }
};
template <>
struct Crack<WM_LBUTTONDOWN> : CrackMouse {};
template <>
struct Crack<WM_LBUTTONUP> : CrackMouse {};
template <>
struct Crack<WM_LBUTTONDBLCLK> : CrackMouse {};
template <>
struct Crack<WM_MOUSEMOVE> : CrackMouse {};

// void OnNoArgs()
struct CrackVoid {
    template <class T, class F>
    static LRESULT Call(T& t, F f, WPARAM, LPARAM) {
        (t.*f)();
        return 0;
    }
};
template <>
struct Crack<WM_PAINT> : CrackVoid {};
template <>
struct Crack<WM_CLOSE> : CrackVoid {};
template <>
struct Crack<WM_DESTROY> : CrackVoid {};
template <>
struct Crack<WM_MOUSELEAVE> : CrackVoid {};
template <>
struct Crack<WM_CAPTURECHANGED> : CrackVoid {};

// void OnTimer(UINT_PTR id)
template <>
struct Crack<WM_TIMER> {
    template <class T, class F>
    static LRESULT Call(T& t, F f, WPARAM wp, LPARAM) {
        (t.*f)(static_cast<UINT_PTR>(wp));
        return 0;
    }
};

// void OnDrawItem(UINT id, DRAWITEMSTRUCT* item)
template <>
struct Crack<WM_DRAWITEM> {
    template <class T, class F>
    static LRESULT Call(T& t, F f, WPARAM wp, LPARAM lp) {
        (t.*f)(static_cast<UINT>(wp), reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        return TRUE;
    }
};

// HBRUSH OnCtlColor(HDC dc, HWND control)
struct CrackCtlColor {
    template <class T, class F>
    static LRESULT Call(T& t, F f, WPARAM wp, LPARAM lp) {
        return reinterpret_cast<LRESULT>((t.*f)(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
    }
};
template <>
struct Crack<WM_CTLCOLORSTATIC> : CrackCtlColor {};
template <>
struct Crack<WM_CTLCOLOREDIT> : CrackCtlColor {};
template <>
struct Crack<WM_CTLCOLORBTN> : CrackCtlColor {};
template <>
struct Crack<WM_CTLCOLORDLG> : CrackCtlColor {};
template <>
struct Crack<WM_CTLCOLORLISTBOX> : CrackCtlColor {};

namespace detail {
template <class F>
struct MemberOf;
template <class T, class R, class... A>
struct MemberOf<R (T::*)(A...)> {
    using Class = T;
};
template <auto Fn>
using ClassOf = typename MemberOf<decltype(Fn)>::Class;
}  // namespace detail

template <UINT Msg, auto Fn>
constexpr Route OnMessage() {
    return {Route::Kind::Message, Msg, 0, 0, [](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                return Crack<Msg>::Call(static_cast<detail::ClassOf<Fn>&>(w), Fn, wp, lp);
            }};
}

// LRESULT OnRaw(WPARAM, LPARAM): message `Msg` with its raw parameters, for
// the uses its cracker does not cover (WM_PAINT with a DC in wParam).
template <UINT Msg, auto Fn>
constexpr Route OnRawMessage() {
    return {Route::Kind::Message, Msg, 0, 0, [](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                return (static_cast<detail::ClassOf<Fn>&>(w).*Fn)(wp, lp);
            }};
}

// void OnCommand(): command `Id` as a click (BN_CLICKED), a menu item or an
// accelerator; other notifications of the control, BN_DOUBLECLICKED among
// them, are not clicks.
template <UINT Id, auto Fn>
constexpr Route OnCommand() {
    return {Route::Kind::Command, WM_COMMAND, Id, ~0u, [](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<detail::ClassOf<Fn>&>(w).*Fn)();
                return 0;
            }};
}

// void OnCommand(): command `Id` with notification code `Code` only.
template <UINT Id, UINT Code, auto Fn>
constexpr Route OnCommandCode() {
    return {Route::Kind::Command, WM_COMMAND, Id, Code, [](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<detail::ClassOf<Fn>&>(w).*Fn)();
                return 0;
            }};
}

// void OnCommand(UINT id): commands First..Last, as clicks like OnCommand.
template <UINT First, UINT Last, auto Fn>
constexpr Route OnCommandRange() {
    return {Route::Kind::CommandRange, WM_COMMAND, First, Last, [](CWnd& w, WPARAM wp, LPARAM) -> LRESULT {
                (static_cast<detail::ClassOf<Fn>&>(w).*Fn)(LOWORD(wp));
                return 0;
            }};
}

// LRESULT OnNotify(NMHDR* header): notification `Code` from control `Id`.
// Codes are negative numbers held in the 32-bit code field: write them signed
// (-2049) or as the platform defines them (NM_CLICK), never cut to 16 bits.
template <auto Code, UINT Id, auto Fn>
constexpr Route OnNotify() {
    constexpr UINT code = static_cast<UINT>(Code);
    static_assert(code < 0x8000 || code > 0xFFFF, "a notification code cut to 16 bits never matches");
    return {Route::Kind::Notify, WM_NOTIFY, Id, code, [](CWnd& w, WPARAM, LPARAM lp) -> LRESULT {
                return (static_cast<detail::ClassOf<Fn>&>(w).*Fn)(reinterpret_cast<NMHDR*>(lp));
            }};
}

}  // namespace win
