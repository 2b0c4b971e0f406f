// Switches a running browser between its modes, as the main client would,
// or closes it:
//   browsermode.exe web     the web mode button's command
//   browsermode.exe lobby   "online", then "show the lobby", then a click on
//                           the lobby list
//   browsermode.exe close   WM_CLOSE, as the close step of a scenario
// Used by tools/screenshots.sh and tools/main-job.sh. Exit code 0 when a
// browser window was found.
#include <windows.h>

#include <cstring>

#include "lobby/protocol.h"
#include "lobby/resource.h"

namespace {

// The browser's dialog: the only top-level dialog with the Exit button and the web view.
BOOL CALLBACK FindBrowser(HWND window, LPARAM result) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !GetDlgItem(window, ID_EXIT) || !GetDlgItem(window, IDC_WEB_VIEW))
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    const char* verb = argc == 2 ? argv[1] : "";
    if (std::strcmp(verb, "web") != 0 && std::strcmp(verb, "lobby") != 0 && std::strcmp(verb, "close") != 0) return 2;
    HWND browser = nullptr;
    EnumWindows(FindBrowser, reinterpret_cast<LPARAM>(&browser));
    if (!browser) return 1;
    DWORD_PTR result;
    auto send = [&](UINT msg, WPARAM wp) { SendMessageTimeoutA(browser, msg, wp, 0, SMTO_ABORTIFHUNG, 5000, &result); };
    if (std::strcmp(verb, "close") == 0) return PostMessageA(browser, WM_CLOSE, 0, 0) ? 0 : 1;
    if (std::strcmp(verb, "web") == 0) {
        send(WM_COMMAND, ID_MODE_WEB);
    } else {
        send(protocol::BRM_SET_ONLINE, 1);
        send(protocol::BRM_SHOW_LOBBY, 1);
        // A click on the lobby list's fourth row, so the picture shows a
        // selection and its label; rows are about as high as the header.
        HWND list = GetDlgItem(browser, IDC_LOBBY_LIST);
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
