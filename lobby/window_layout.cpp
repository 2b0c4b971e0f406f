// Building the window, its two display modes, its window commands and drawing.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lobby/browser_dlg.h"
#include "lobby/protocol.h"
#include "lobby/resource.h"
#include "lobby/startup.h"
#include "skin/skin_ids.h"

using namespace protocol;

namespace {
constexpr int kWindowWidth = 688;
constexpr int kWindowHeight = 532;
constexpr RECT kWebViewRect = {6, 25, 6 + 676, 25 + 501};
constexpr size_t kIniValueLength = 899;
constexpr size_t kHomeAddressLength = 499;  // the 500-byte home address
constexpr COLORREF kLabelBackground = RGB(200, 200, 200);
constexpr COLORREF kLabelText = RGB(0, 128, 0);
constexpr int kButtonWidth = 16;
constexpr int kButtonHeight = 14;
constexpr int kButtonTop = 7;
constexpr int kWebButtonsLeft = 6;
constexpr int kWebButtonsEnd = 70;  // room for four: the home button is not made
constexpr int kMinimizeLeft = 650;
constexpr int kExitLeft = 666;
constexpr int kLobbyImageRow = 21;  // the pressed face lies under the normal one
constexpr int kInviteImageWidth = 137;
constexpr int kSmallImageWidth = 20;

struct FrameStrip {
    int id;
    RECT rect;
};
constexpr FrameStrip kFrameStrips[] = {
    {IDC_FRAME_TOP, {0, 0, 688, 25}},
    {IDC_FRAME_LEFT, {0, 25, 6, 526}},
    {IDC_FRAME_RIGHT, {682, 25, 688, 526}},
    {IDC_FRAME_BOTTOM, {0, 526, 688, 532}},
};

// The lobby controls' places in the dialog template, in dialog units (x, y,
// width, height). They are laid out at two pixels per unit, as with the usual
// 8x16 base units, whatever the platform makes of the dialog's font, so that
// they keep their proportions and fit the window.
struct TemplatePlace {
    int id;
    int x, y, width, height;
};
constexpr TemplatePlace kLobbyPlaces[] = {
    {IDC_CHAT_DISPLAY, 4, 27, 140, 225},    {IDC_CHAT_INPUT, 4, 252, 226, 14},    {IDC_LOBBY_LIST, 145, 28, 84, 110},
    {IDC_SELECTION_LABEL, 146, 230, 83, 9}, {IDC_INVITE, 145, 241, 61, 11},       {IDC_BUDDY_LIST, 145, 149, 84, 80},
    {IDC_ADD_BUDDY, 208, 241, 9, 11},       {IDC_DELETE_BUDDY, 219, 241, 11, 11}, {IDC_BUDDY_LABEL, 145, 139, 84, 9},
};
constexpr int kPixelsPerUnit = 2;

void Move(HWND window, const RECT& r, bool repaint) {
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
}

win::Region RectanglePolygon(int width, int height) {
    const POINT corners[] = {{0, 0}, {width, 0}, {width, height}, {0, height}};
    return win::Region(CreatePolygonRgn(corners, 4, WINDING));
}
// What a screen reader says of the toolbar buttons (their captions are
// internal), with the tip texts as descriptions; Exit has no tip, and takes
// the string written for it.
struct ButtonText {
    int id;
    const char* name;
    int description;
};
constexpr ButtonText kButtonTexts[] = {
    {ID_WEB_BACK, "Back", ID_WEB_BACK},     {ID_WEB_FORWARD, "Forward", ID_WEB_FORWARD},
    {ID_WEB_STOP, "Stop", ID_WEB_STOP},     {ID_WEB_RELOAD, "Reload", ID_WEB_RELOAD},
    {ID_MINIMIZE, "Minimize", ID_MINIMIZE}, {ID_EXIT, "Exit", IDS_EXIT_DESCRIPTION},
};

std::string LoadText(int id) {
    char text[256] = "";
    LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), text, sizeof text);
    return text;
}

// Used when main.ini names no home page.
constexpr char kDefaultHomeAddress[] = "http://www.quintarapoker.com/";
}  // namespace

BOOL CBrowserDlg::OnInitDialog() {
    CreateWebView();
    SetDlgItemTextA(hwnd, IDC_SELECTION_LABEL, selectionLabel.c_str());  // data exchange: the label starts empty
    const int lobbyIds[] = {IDC_INVITE, IDC_SELECTION_LABEL, IDC_ADD_BUDDY, IDC_DELETE_BUDDY, IDC_BUDDY_LABEL};
    for (size_t i = 0; i < lobbyWindows.size(); i++) lobbyWindows[i] = GetDlgItem(lobbyIds[i]);
    MoveFrame();
    CreateToolbar();
    SetWindowRgn(hwnd, RectanglePolygon(kWindowWidth, kWindowHeight).Release(), FALSE);
    CreateToolTips();

    SetWindowText(startup::FormWindowTitle(ReadMainIniValue("main", "name"), dbcs::System()));
    SetBrowserMode(true);
    chat.Attach(GetDlgItem(IDC_CHAT_DISPLAY), GetDlgItem(IDC_CHAT_INPUT));
    CreateLobbyList();

    mainClientWindow = FindWindowA(kMainClientClass, kMainClientTitle);
    if (mainClientWindow) {
        PostMessageA(mainClientWindow, WM_COMMAND, BRC_STARTED, 0);
        PostMessageA(mainClientWindow, WM_COMMAND, BRC_STARTED_2, 0);
    }
    isOnline = 0;

    HINSTANCE self = GetModuleHandleA(nullptr);
    inviteImage.Load(self, IDB_INVITE);
    addImage.Load(self, IDB_ADD_BUDDY);
    deleteImage.Load(self, IDB_DELETE_BUDDY);
    backgroundBrush.Reset(CreateSolidBrush(kLabelBackground));
    selectedUserId = selectedGroupId = selectedGroupSubId = 0;

    // A cut address would lead somewhere else: one too long for the home
    // address is refused in favour of the site's own.
    std::string home = ReadMainIniValue("URL", "HOMEPAGE");
    homeAddress = home.empty() || home.size() > kHomeAddressLength ? kDefaultHomeAddress : home;
    NavigateTo(homeAddress);

    OpenCommandLineAddress();
    if (onReady) onReady();
    return TRUE;
}

// The address given on the command line, through 8829 as if another part of
// the browser had asked for it.
void CBrowserDlg::OpenCommandLineAddress() {
    if (commandLineAddress.empty()) return;
    SetForegroundWindow(hwnd);
    ExpectOwnAddress(commandLineAddress.c_str());
    SendMessage(BRM_OPEN_ADDRESS, 0, reinterpret_cast<LPARAM>(commandLineAddress.c_str()));
    ExpectOwnAddress(nullptr);
}

void CBrowserDlg::MoveFrame() {
    SetWindowPos(hwnd, nullptr, 0, 0, kWindowWidth, kWindowHeight, SWP_NOZORDER | SWP_NOREDRAW);
    if (HWND web = GetDlgItem(IDC_WEB_VIEW)) Move(web, kWebViewRect, false);
    for (const FrameStrip& strip : kFrameStrips) {
        HWND window = GetDlgItem(strip.id);
        if (!window) continue;
        // The toolbar lies over the top strip: the strip must not paint over it.
        SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | WS_CLIPSIBLINGS);
        Move(window, strip.rect, false);
    }
    for (const TemplatePlace& place : kLobbyPlaces) {
        if (HWND window = GetDlgItem(place.id)) {
            MoveWindow(window, place.x * kPixelsPerUnit, place.y * kPixelsPerUnit, place.width * kPixelsPerUnit,
                       place.height * kPixelsPerUnit, FALSE);
        }
    }
}

void CBrowserDlg::CreateToolbar() {
    auto place = [](CShapedButton& button, int x) {
        // Above the top strip in the z-order, so that the strip never paints over it.
        SetWindowPos(button, HWND_TOP, x, kButtonTop, kButtonWidth, kButtonHeight, SWP_NOREDRAW);
    };
    win::Region shape = RectanglePolygon(kButtonWidth, kButtonHeight);
    int n = 0;
    for (int x = kWebButtonsLeft; x < kWebButtonsEnd; x += kButtonWidth, n++) {
        CShapedButton& button = webButtons[n];
        button.CreateShaped("WebButton" + std::to_string(n), WS_CHILD | WS_VISIBLE, 0, 0, shape, hwnd, ID_WEB_BACK + n);
        int left = kButtonWidth * n;
        button.SetStateImages(IDB_WEB_BUTTONS, false, RECT{left, 0, left + kButtonWidth, 4 * kButtonHeight});
        place(button, x);
    }

    shape = RectanglePolygon(kButtonWidth, kButtonHeight);
    const int systemLefts[] = {kMinimizeLeft, kExitLeft};
    for (int i = 0; i < 2; i++) {
        CShapedButton& button = systemButtons[i];
        button.CreateShaped("SysButton" + std::to_string(i), WS_CHILD | WS_VISIBLE, 0, 0, shape, hwnd, ID_MINIMIZE + i);
        int left = kButtonWidth * i;
        button.SetStateImages(IDB_SYSTEM_BUTTONS, false, RECT{left, 0, left + kButtonWidth, 4 * kButtonHeight});
        place(button, systemLefts[i]);
    }

    for (const ButtonText& text : kButtonTexts) {
        const bool web = text.id < ID_MINIMIZE;
        CShapedButton& button = web ? webButtons[text.id - ID_WEB_BACK] : systemButtons[text.id - ID_MINIMIZE];
        button.SetAccessibleText(text.name, LoadText(text.description));
    }
}

// Every tip is the string resource of the button's id; Exit's (9201) does not
// exist, so Exit shows none.
void CBrowserDlg::CreateToolTips() {
    HINSTANCE self = GetModuleHandleA(nullptr);
    toolTip.Reset(CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, hwnd, nullptr, self, nullptr));
    if (!toolTip) return;
    for (int id : {ID_WEB_BACK, ID_WEB_FORWARD, ID_WEB_STOP, ID_WEB_RELOAD, ID_MINIMIZE, ID_EXIT}) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(id));
        tool.hinst = self;
        tool.lpszText = MAKEINTRESOURCEA(id);
        ::SendMessageA(toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ::SendMessageA(toolTip, TTM_ACTIVATE, TRUE, 0);
}

void CBrowserDlg::RelayToolTip(MSG& msg) {
    if (toolTip) ::SendMessageA(toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

std::string CBrowserDlg::ReadSettingsValue(const std::string& path, const char* section, const char* key) {
    char value[kIniValueLength + 1] = "";
    GetPrivateProfileStringA(section, key, "", value, sizeof value, path.c_str());
    return value;
}

bool CBrowserDlg::SetBrowserMode(bool webMode) {
    std::vector<HWND> lobbyControls(lobbyWindows.begin(), lobbyWindows.end());
    for (int id : {IDC_BUDDY_LIST, IDC_LOBBY_LIST, IDC_CHAT_DISPLAY, IDC_CHAT_INPUT})
        lobbyControls.push_back(GetDlgItem(id));
    for (HWND window : lobbyControls) ShowWindow(window, webMode ? SW_HIDE : SW_SHOW);
    HWND web = GetDlgItem(IDC_WEB_VIEW);
    Move(web, webMode ? kWebViewRect : RECT{1000, 1000, 1000, 1000}, true);
    // Out of sight it must not take a place in the Tab order either.
    const LONG style = GetWindowLongA(web, GWL_STYLE);
    SetWindowLongA(web, GWL_STYLE, webMode ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    if (webMode) return true;
    // The web view is only moved out of sight: with the focus, it would still
    // take the keys (Backspace goes back a page, text fills hidden fields).
    HWND focus = GetFocus();
    auto holdsFocus = [focus](HWND control) { return focus == control || IsChild(control, focus); };
    if (std::none_of(lobbyControls.begin(), lobbyControls.end(), holdsFocus)) SetFocus(GetDlgItem(IDC_CHAT_INPUT));
    return true;
}

// The window has no caption: a press on its surface drags it.
void CBrowserDlg::OnLButtonDown(UINT, POINT) {
    ReleaseCapture();
    SendMessage(WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
    Default();
}

void CBrowserDlg::OnDrawItem(UINT id, DRAWITEMSTRUCT* item) {
    if (!CShapedButton::Reflect(*item)) {
        const SkinBitmap* image = id == IDC_INVITE         ? &inviteImage
                                  : id == IDC_ADD_BUDDY    ? &addImage
                                  : id == IDC_DELETE_BUDDY ? &deleteImage
                                                           : nullptr;
        if (image) {
            // The images are a little smaller than some of the buttons.
            FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
            int row = (item->itemState & ODS_SELECTED) ? kLobbyImageRow : 0;
            int width = id == IDC_INVITE ? kInviteImageWidth : kSmallImageWidth;
            image->Draw(item->hDC, 0, 0, 0, row, width, kLobbyImageRow, SRCCOPY);
        }
    }
    Default();
}

HBRUSH CBrowserDlg::OnCtlColorStatic(HDC dc, HWND control) {
    if (GetDlgCtrlID(control) != IDC_SELECTION_LABEL) return reinterpret_cast<HBRUSH>(Default());
    SetTextColor(dc, kLabelText);
    SetBkMode(dc, TRANSPARENT);
    return backgroundBrush;
}

// The frame strips are controls of their own: nothing to draw here. Begin and
// end painting validate this window only; ValidateRect would validate the
// children as well (no WS_CLIPCHILDREN), and they would never paint.
void CBrowserDlg::OnPaint() { win::PaintDC paint(hwnd); }

void CBrowserDlg::OnMinimize() { ShowWindow(hwnd, SW_MINIMIZE); }

void CBrowserDlg::OnExit() {
    ::SendMessageA(mainClientWindow, WM_COMMAND, BRC_EXIT, 0);
    EndDialog(0);
}

void CBrowserDlg::OnWebMode() { SetBrowserMode(true); }

void CBrowserDlg::OnLobbyMode() {
    if (isOnline)
        SetBrowserMode(false);
    else
        ShowBoxToSender("Internet Connection Required.");
}
