// Building the window, its two display modes, its window commands and drawing.
#include <windows.h>

#include "app/browser_app.h"
#include "app/startup.h"
#include "lobby/browser_dlg.h"
#include "lobby/protocol.h"
#include "lobby/resource.h"
#include "win/app.h"

using namespace protocol;

namespace {
constexpr int kWindowWidth = 688;
constexpr int kWindowHeight = 532;
constexpr RECT kWebViewRect = {6, 25, 6 + 676, 25 + 501};
constexpr size_t kChatInputLimit = 99;
constexpr size_t kIniValueLength = 899;
// Used when main.ini names no home page.
constexpr char kDefaultHomeAddress[] = "http://www.quintarapoker.com/";
}  // namespace

BOOL CBrowserDlg::OnInitDialog() {
    CreateWebView();
    const int lobbyIds[] = {IDC_INVITE, IDC_SELECTION_LABEL, IDC_ADD_BUDDY, IDC_DELETE_BUDDY, IDC_BUDDY_LABEL};
    for (size_t i = 0; i < lobbyWindows.size(); i++) lobbyWindows[i] = GetDlgItem(lobbyIds[i]);
    SetWindowPos(hwnd, nullptr, 0, 0, kWindowWidth, kWindowHeight, SWP_NOZORDER | SWP_NOREDRAW);
    if (HWND web = GetDlgItem(IDC_WEB_VIEW)) {
        MoveWindow(web, kWebViewRect.left, kWebViewRect.top, kWebViewRect.right - kWebViewRect.left,
                   kWebViewRect.bottom - kWebViewRect.top, FALSE);
    }

    SetWindowText(startup::FormWindowTitle(ReadMainIniValue("main", "name")));
    SetBrowserMode(true);
    SendDlgItemMessageA(hwnd, IDC_CHAT_INPUT, EM_LIMITTEXT, kChatInputLimit, 0);

    mainClientWindow = FindWindowA(kMainClientClass, kMainClientTitle);
    if (mainClientWindow) {
        PostMessageA(mainClientWindow, WM_COMMAND, BRC_STARTED, 0);
        PostMessageA(mainClientWindow, WM_COMMAND, BRC_STARTED_2, 0);
    }
    isOnline = 0;
    selectedUserId = selectedGroupId = selectedGroupSubId = 0;

    std::string home = ReadMainIniValue("URL", "HOMEPAGE");
    homeAddress = home.empty() ? kDefaultHomeAddress : home;
    NavigateTo(homeAddress);

    if (auto* app = static_cast<CBrowserApp*>(win::CWinApp::Get())) app->OpenCommandLineAddress(hwnd);
    return TRUE;
}

std::string CBrowserDlg::ReadMainIniValue(const char* section, const char* key) {
    char value[kIniValueLength + 1] = "";
    GetPrivateProfileStringA(section, key, "", value, sizeof value, CBrowserApp::SettingsPath().c_str());
    return value;
}

bool CBrowserDlg::SetBrowserMode(bool webMode) {
    int show = webMode ? SW_HIDE : SW_SHOW;
    for (HWND window : lobbyWindows) ShowWindow(window, show);
    for (int id : {IDC_BUDDY_LIST, IDC_LOBBY_LIST, IDC_CHAT_DISPLAY, IDC_CHAT_INPUT}) ShowWindow(GetDlgItem(id), show);
    RECT web = webMode ? kWebViewRect : RECT{1000, 1000, 1000, 1000};
    MoveWindow(GetDlgItem(IDC_WEB_VIEW), web.left, web.top, web.right - web.left, web.bottom - web.top, TRUE);
    return true;
}

void CBrowserDlg::OnLButtonDown(UINT, POINT) { Default(); }

void CBrowserDlg::OnDrawItem(UINT, DRAWITEMSTRUCT*) { Default(); }

HBRUSH CBrowserDlg::OnCtlColorStatic(HDC, HWND) { return reinterpret_cast<HBRUSH>(Default()); }

void CBrowserDlg::OnPaint() { ValidateRect(hwnd, nullptr); }

void CBrowserDlg::OnMinimize() {}

void CBrowserDlg::OnExit() {}

void CBrowserDlg::OnWebMode() {}

void CBrowserDlg::OnLobbyMode() {}
