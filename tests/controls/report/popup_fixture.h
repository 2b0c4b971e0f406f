// What the tests of the report control's tip, editor and view add to the
// window fixture: a bounded message pump that pre-translates as our loops
// do, and a hook that refuses to make windows of one class.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "win/wnd.h"

namespace popuptest {

constexpr int kWaitMs = 5000;

// Pumps this thread's messages, each offered to the windows' objects first,
// until `done` holds or the time is up.
inline bool PumpTranslated(const std::function<bool()>& done, int timeoutMs = kWaitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (win::CWnd::WalkPreTranslateTree(nullptr, msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Refuses to make windows of `className` on this thread while it lives.
class BlockCreation {
public:
    explicit BlockCreation(const char* className) {
        blocked = className;
        hook = SetWindowsHookExA(WH_CBT, Refuse, nullptr, GetCurrentThreadId());
    }
    ~BlockCreation() { UnhookWindowsHookEx(hook); }
    BlockCreation(const BlockCreation&) = delete;
    BlockCreation& operator=(const BlockCreation&) = delete;

private:
    static LRESULT CALLBACK Refuse(int code, WPARAM wp, LPARAM lp) {
        char name[64] = "";
        if (code == HCBT_CREATEWND && GetClassNameA(reinterpret_cast<HWND>(wp), name, sizeof name) &&
            lstrcmpiA(name, blocked.c_str()) == 0)
            return 1;
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline std::string blocked;
    HHOOK hook;
};

inline POINT Screen(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}

}  // namespace popuptest
