// The platform's side of the report benchmarks: a frame whose SysListView32
// in report view shows "player<n>" as item n (owner data, as a hundred
// thousand inserts would take the run's time), of the lobby list's size.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "tests/support/bench_row.h"

namespace bench {

constexpr RECT kLobbyList{0, 0, 168, 220};  // control 1018: 84 x 110 dialog units

inline LRESULT CALLBACK PlayerFrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == LVN_GETDISPINFOA) {
        static char text[32];
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(lp);
        if (info->item.mask & LVIF_TEXT) {
            std::snprintf(text, sizeof text, "player%d", info->item.iItem);
            info->item.pszText = text;
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// A shown top-level frame of a class of this name, with the common controls ready.
inline HWND MakePlayerFrame(const char* className) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PlayerFrameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
    HWND frame = CreateWindowExA(0, className, className, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                 nullptr, nullptr, nullptr);
    Pump();
    return frame;
}

// The list with `rows` players under one column captioned `caption`.
inline HWND MakePlayerList(HWND frame, int rows, const char* caption) {
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL, 180, 0,
                                kLobbyList.right, kLobbyList.bottom, frame, nullptr, nullptr, nullptr);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 160;
    column.pszText = const_cast<char*>(caption);
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
    Pump();
    return list;
}

}  // namespace bench
