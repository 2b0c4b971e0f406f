// The browser's one window: web pages in one mode, the lobby in the other, fed
// by the main client's control messages. Its members are defined by area:
// browser_dlg.cpp (protocol), window_layout.cpp, web_pages.cpp, chat.cpp,
// lobby_list.cpp and buddy_list.cpp.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "controls/report/report_ctrl.h"
#include "lobby/buddy_records.h"
#include "lobby/chat_pane.h"
#include "lobby/lobby_users.h"
#include "lobby/web_browser2.h"
#include "skin/shaped_button.h"
#include "skin/skin_bitmap.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win/unique_handle.h"
#include "win/window_handle.h"

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle None() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ImageList_Destroy(h); }
};

class CBrowserDlg : public win::CDialog {
public:
    // settingsPath: main.ini; commandLineAddress: opened once the window is up.
    CBrowserDlg(std::string settingsPath, std::string commandLineAddress);
    ~CBrowserDlg() override;

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // Protocol state shared with the main client's messages.
    HWND mainClientWindow = nullptr;
    int32_t myUserId = 0;
    uint8_t isOnline = 0;
    int32_t selectedUserId = 0;
    int32_t selectedGroupId = 0;
    int32_t selectedGroupSubId = 0;
    int32_t targetIsBuddy = 0;
    std::string selectionLabel;

    // Called once the window has its title and has asked for its own
    // command-line address: an address handed over by a second start comes after it.
    std::function<void()> onReady;

    // The address of the 8829 that the browser is about to send itself; the
    // dialog acts on that one message only (nullptr: on none).
    void ExpectOwnAddress(const char* address) { ownAddress = address; }

    bool SetBrowserMode(bool webMode);
    static std::string ReadSettingsValue(const std::string& path, const char* section, const char* key);
    std::string ReadMainIniValue(const char* section, const char* key) const {
        return ReadSettingsValue(settingsPath, section, key);
    }

protected:
    win::RouteTable Routes() const override;
    BOOL OnInitDialog() override;
    void OnOK() override {}  // Enter must not close the window
    bool PreTranslateMessage(MSG& msg) override;

private:
    // Control messages of the main client (browser_dlg.cpp).
    using ControlHandler = void (CBrowserDlg::*)(WPARAM, LPARAM);
    static const std::array<ControlHandler, 212> kControlHandlers;
    static constexpr std::array<ControlHandler, 212> MakeControlHandlers();
    void OnOpenSitePage(WPARAM, LPARAM);
    void OnOpenAddress(WPARAM, LPARAM);
    void OnOpenMailboxUrl(WPARAM, LPARAM);
    void OnChatLine(WPARAM, LPARAM);
    void OnLobbyUser(WPARAM, LPARAM);
    void OnSetOnline(WPARAM, LPARAM);
    void OnSetMyId(WPARAM, LPARAM);
    void OnShowLobby(WPARAM, LPARAM);
    void OnAddBuddy(WPARAM, LPARAM);
    void OnBuddyStatus(WPARAM, LPARAM);
    bool TakeOwnAddress(LPARAM lp);
    // One box per text at a time; a repeat while it is open is dropped.
    void ShowBoxToSender(const char* text);
    std::set<std::string> boxesOpen;
    void OpenCommandLineAddress();
    const char* ownAddress = nullptr;
    const std::string settingsPath;
    const std::string commandLineAddress;  // alive for the 8829 pointer

    // Window construction, modes and drawing (window_layout.cpp).
    void OnLButtonDown(UINT flags, POINT pt);
    void OnDrawItem(UINT id, DRAWITEMSTRUCT* item);
    HBRUSH OnCtlColorStatic(HDC dc, HWND control);
    void OnPaint();
    void OnMinimize();
    void OnExit();
    void OnWebMode();
    void OnLobbyMode();
    void MoveFrame();
    void CreateToolbar();
    void CreateToolTips();
    void RelayToolTip(MSG& msg);
    // Shown and hidden with the lobby: invite, label, add, delete, buddy label.
    std::array<HWND, 5> lobbyWindows{};
    std::array<CShapedButton, 5> webButtons;  // the fifth (home) is never created
    std::array<CShapedButton, 2> systemButtons;
    SkinBitmap inviteImage;
    SkinBitmap addImage;
    SkinBitmap deleteImage;
    win::Brush backgroundBrush;
    win::WindowHandle toolTip;

    // Web pages and the login form (web_pages.cpp).
    void CreateWebView();
    void OnCommandStateChange(long command, bool enable);
    CWebBrowser2 webBrowser;
    void NavigateTo(const std::string& address);
    // "URL" is emptied under the lock of the hand-over from a second start;
    // while that start sends its 8830 it holds the lock for us.
    enum class UrlLock { Take, HeldBySender };
    void NavigateWithLogin(const std::string& address, UrlLock lock = UrlLock::Take);
    bool ReadSitePageAddress(std::string& address, int pageIndex, int valueIndex);
    void OnWebCommand(UINT id);
    void OnSitePageCommand(UINT id);
    int siteValueIndex = 0;
    std::string homeAddress;

    // Lobby chat (chat.cpp).
    void AppendChatLine(const std::string& text);
    void OnChatInputChange();
    void SendChatText(const std::string& text);
    ChatPane chat;

    // Lobby user list (lobby_list.cpp).
    void CreateLobbyList();
    std::string NicknameOfUser(int32_t userId) const { return lobby.NicknameOf(userId); }
    void AddLobbyEntry(int32_t userId, const std::string& nickname);
    void RemoveLobbyEntry(int32_t userId);
    LRESULT OnLobbyClick(NMHDR* header);
    LRESULT OnLobbyStateChanged(NMHDR* header);
    LRESULT OnLobbyKeyDown(NMHDR* header);
    // The chat's scope and the invitation follow a row's cell as its click does.
    void ChooseLobbyCell(int item, int subItem);
    CReportCtrl lobbyCtrl;
    LobbyUsers lobby;
    win::UniqueHandle<ImageListTraits> lobbyImages;

    // Buddy list (buddy_list.cpp).
    bool AddBuddy(int32_t userId, const std::string& nickname, int32_t onlineFlag);
    bool DeleteBuddy(const std::string& nickname);
    bool SaveBuddyFile();
    void SetBuddyStatus(int32_t userId, uint8_t onlineFlag);
    void OnTimer(UINT_PTR id);
    LRESULT OnBuddyClick(NMHDR* header);
    void OnInvite();
    void OnAddBuddyButton();
    void OnDeleteBuddyButton();
    bool AskForNickname(const char* prompt, std::string& nickname);
    bool askingForNickname = false;
    SDList buddies;  // newest first
};
