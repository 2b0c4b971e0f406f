// Shows a flat header with a sort arrow and drags one of its columns with
// the real pointer, holding the drag so that a screenshot can catch the drag
// image and the drop marker. Used by tools/header-shot.sh.
//   headerdemo.exe [SECONDS]    prints "dragging" once the drag is held
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "controls/flatheader/right_click_header.h"

namespace {

const RECT kWindow{40, 40, 500, 200};

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND CreateParent() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "FlatHeaderDemo";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "Flat header", WS_POPUP | WS_BORDER | WS_VISIBLE, kWindow.left,
                           kWindow.top, kWindow.right - kWindow.left, kWindow.bottom - kWindow.top, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

void AddColumn(HWND header, const char* text, int width, int format) {
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = const_cast<char*>(text);
    item.cxy = width;
    item.fmt = format | HDF_STRING;
    SendMessageA(header, HDM_INSERTITEMA, 1000, reinterpret_cast<LPARAM>(&item));
}

// Lays the header out at the top of the parent, as the report control does.
void Layout(HWND header, HWND parent) {
    RECT client;
    GetClientRect(parent, &client);
    WINDOWPOS pos{};
    HDLAYOUT layout{&client, &pos};
    SendMessageA(header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
    SetWindowPos(header, pos.hwndInsertAfter, pos.x, pos.y, pos.cx, pos.cy, pos.flags | SWP_SHOWWINDOW);
}

void MovePointer(POINT screen, DWORD buttons = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &input, sizeof input);
}

void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

POINT OnHeader(HWND header, int x) {
    POINT pt{x, 10};
    ClientToScreen(header, &pt);
    return pt;
}

}  // namespace

int main(int argc, char** argv) {
    const DWORD holdMs = (argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 5) * 1000;
    HWND parent = CreateParent();
    HeaderRightClickHeader header;
    if (!parent || !header.Create(0xC3, RECT{}, parent, 0)) return 1;
    SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    AddColumn(header, "Player", 130, HDF_LEFT);
    AddColumn(header, "Table", 110, HDF_LEFT);
    AddColumn(header, "Stakes", 90, HDF_RIGHT);
    AddColumn(header, "Seats", 70, HDF_CENTER);
    header.SetItemWidthLimits(0, 60, 200);
    header.SetSortColumn(0, true);
    Layout(header, parent);
    SetForegroundWindow(parent);
    Pump(500);

    // Drag "Table" by its middle onto the divider between "Stakes" and "Seats".
    MovePointer(OnHeader(header, 185));
    Pump(200);
    MovePointer(OnHeader(header, 185), MOUSEEVENTF_LEFTDOWN);
    Pump(200);
    for (int x = 195; x <= 315; x += 20) {
        MovePointer(OnHeader(header, x));
        Pump(60);
    }
    Pump(300);
    std::printf("dragging\n");
    std::fflush(stdout);
    Pump(holdMs);
    MovePointer(OnHeader(header, 315), MOUSEEVENTF_LEFTUP);
    Pump(300);
    DestroyWindow(parent);
    return 0;
}
