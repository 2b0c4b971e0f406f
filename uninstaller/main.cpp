// uninstaller: removes an installed copy of the card room as uninstaller.ini describes.
#include <windows.h>

#include "uninstaller/plan.h"
#include "uninstaller/uninstall_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    uninst::UninstallWindow window(instance);
    if (!window.Create()) return 0;
    HWND hwnd = window.Handle();
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    uninst::RunPlan(window);
    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
