// Switches a running browser between its modes, as the main client would:
//   browsermode.exe web     command 9300
//   browsermode.exe lobby   9028 and 9033 with the online flag set, then a
//                           click on the lobby list
// Used by tools/screenshots.sh. Exit code 0 when a browser window was found.
#include <windows.h>

#include <cstring>

namespace {

// The browser's dialog: the only top-level dialog with the Exit button 9201 and web view 1002.
BOOL CALLBACK FindBrowser(HWND window, LPARAM result) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !GetDlgItem(window, 9201) || !GetDlgItem(window, 1002)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || (std::strcmp(argv[1], "web") != 0 && std::strcmp(argv[1], "lobby") != 0)) return 2;
    HWND browser = nullptr;
    EnumWindows(FindBrowser, reinterpret_cast<LPARAM>(&browser));
    if (!browser) return 1;
    DWORD_PTR result;
    auto send = [&](UINT msg, WPARAM wp) { SendMessageTimeoutA(browser, msg, wp, 0, SMTO_ABORTIFHUNG, 5000, &result); };
    if (std::strcmp(argv[1], "web") == 0) {
        send(WM_COMMAND, 9300);
    } else {
        send(9028, 1);
        send(9033, 1);
        // A click on the lobby list's fourth row, so the picture shows a
        // selection and its label; rows are about as high as the header.
        HWND list = GetDlgItem(browser, 1018);
        RECT header{};
        GetWindowRect(FindWindowExA(list, nullptr, nullptr, nullptr), &header);
        const int height = header.bottom - header.top;
        const LPARAM at = MAKELPARAM(100, height + height * 7 / 2);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    }
    SetForegroundWindow(browser);
    return 0;
}
