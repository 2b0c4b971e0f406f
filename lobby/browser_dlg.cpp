#include "lobby/browser_dlg.h"

#include <utility>

#include "lobby/mailbox.h"
#include "lobby/protocol.h"
#include "lobby/resource.h"
#include "win/app.h"

using namespace protocol;

namespace {
// The lobby list's notifications, as the report control writes them.
constexpr int kReportClick = -2049;
constexpr int kReportStateChanged = -2052;
constexpr int kReportKeyDown = -2059;
}  // namespace

CBrowserDlg::CBrowserDlg(std::string settingsPath, std::string commandLineAddress)
    : CDialog(IDD_BROWSER),
      settingsPath(std::move(settingsPath)),
      commandLineAddress(std::move(commandLineAddress)),
      chat(dbcs::System()),
      lobby(lobbyCtrl, dbcs::System()) {}

CBrowserDlg::~CBrowserDlg() = default;

win::RouteTable CBrowserDlg::Routes() const {
    using namespace win;
    using D = CBrowserDlg;
    static const Route routes[] = {
        OnMessage<WM_LBUTTONDOWN, &D::OnLButtonDown>(),
        OnMessage<WM_TIMER, &D::OnTimer>(),
        OnMessage<WM_DRAWITEM, &D::OnDrawItem>(),
        OnMessage<WM_CTLCOLORSTATIC, &D::OnCtlColorStatic>(),
        OnMessage<WM_PAINT, &D::OnPaint>(),
        OnCommandCode<IDC_CHAT_INPUT, EN_CHANGE, &D::OnChatInputChange>(),
        OnNotify<kReportClick, IDC_LOBBY_LIST, &D::OnLobbyClick>(),
        OnNotify<kReportStateChanged, IDC_LOBBY_LIST, &D::OnLobbyStateChanged>(),
        OnNotify<kReportKeyDown, IDC_LOBBY_LIST, &D::OnLobbyKeyDown>(),
        OnNotify<NM_CLICK, IDC_BUDDY_LIST, &D::OnBuddyClick>(),
        OnCommandRange<ID_WEB_BACK, ID_WEB_HOME, &D::OnWebCommand>(),
        OnCommandRange<ID_PAGE_OPERATOR, ID_PAGE_HELP, &D::OnSitePageCommand>(),
        OnCommand<ID_MINIMIZE, &D::OnMinimize>(),
        OnCommand<ID_EXIT, &D::OnExit>(),
        OnCommand<ID_MODE_WEB, &D::OnWebMode>(),
        OnCommand<ID_MODE_LOBBY, &D::OnLobbyMode>(),
        OnCommand<IDC_INVITE, &D::OnInvite>(),
        OnCommand<IDC_ADD_BUDDY, &D::OnAddBuddyButton>(),
        OnCommand<IDC_DELETE_BUDDY, &D::OnDeleteBuddyButton>(),
    };
    return MakeRouteTable(routes);
}

constexpr std::array<CBrowserDlg::ControlHandler, 212> CBrowserDlg::MakeControlHandlers() {
    std::array<ControlHandler, 212> table{};
    auto set = [&table](unsigned message, ControlHandler handler) { table[message - kFirstControlMessage] = handler; };
    set(BRM_OPEN_SITE_PAGE, &CBrowserDlg::OnOpenSitePage);
    set(BRM_OPEN_ADDRESS, &CBrowserDlg::OnOpenAddress);
    set(BRM_OPEN_MAILBOX_URL, &CBrowserDlg::OnOpenMailboxUrl);
    set(BRM_CHAT_LINE, &CBrowserDlg::OnChatLine);
    set(BRM_LOBBY_USER, &CBrowserDlg::OnLobbyUser);
    set(BRM_SET_ONLINE, &CBrowserDlg::OnSetOnline);
    set(BRM_SET_MY_ID, &CBrowserDlg::OnSetMyId);
    set(BRM_SHOW_LOBBY, &CBrowserDlg::OnShowLobby);
    set(BRM_ADD_BUDDY, &CBrowserDlg::OnAddBuddy);
    set(BRM_BUDDY_STATUS, &CBrowserDlg::OnBuddyStatus);
    return table;
}

const std::array<CBrowserDlg::ControlHandler, 212> CBrowserDlg::kControlHandlers = MakeControlHandlers();

LRESULT CBrowserDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (IsControlMessage(msg)) {
        ControlHandler handler = kControlHandlers[msg - kFirstControlMessage];
        if (handler && (msg != BRM_OPEN_ADDRESS || TakeOwnAddress(lp))) (this->*handler)(wp, lp);
    }
    // The handlers never decide the result.
    return CDialog::WindowProc(msg, wp, lp);
}

// 8829 carries a pointer into our own memory. Any process can send or post that
// number, and any message loop (a message box's, the window drag's) can dispatch
// it, so only the one pointer we are sending ourselves is ever read.
bool CBrowserDlg::TakeOwnAddress(LPARAM lp) {
    if (lp == 0 || lp != reinterpret_cast<LPARAM>(ownAddress)) return false;
    ownAddress = nullptr;
    return true;
}

bool CBrowserDlg::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_MOUSEMOVE) RelayToolTip(msg);
    // Tab, Enter, arrows and shortcuts inside the page belong to the page.
    if (webBrowser.TranslateAccelerator(msg)) return true;
    return CDialog::PreTranslateMessage(msg);
}

// Control message handlers. Texts and addresses are taken whole (a mailbox
// value of the main client's holds at most 259 characters): a cut would split a double-byte
// character, lose a chat line's own line break, or post the login form to
// another address.

void CBrowserDlg::OnOpenSitePage(WPARAM wp, LPARAM lp) {
    std::string address;
    if (!ReadSitePageAddress(address, static_cast<int>(wp), static_cast<int>(lp))) address.clear();
    NavigateWithLogin(address);
}

void CBrowserDlg::OnOpenAddress(WPARAM, LPARAM lp) {
    if (lp) NavigateWithLogin(reinterpret_cast<const char*>(lp));
}

// lParam 0: the main client's address, 259 characters at most. A second
// start of ours sends the length of the address it wrote, however long, and
// holds the lock on "URL" meanwhile; a value of another length is not its.
void CBrowserDlg::OnOpenMailboxUrl(WPARAM, LPARAM lp) {
    const bool handedOver = lp > 0 && lp <= static_cast<LPARAM>(kHandedOverMaxLength);
    std::string address = ReadMailboxText(kUrl, handedOver ? kHandedOverMaxLength : kMailboxMaxLength);
    if (address.size() > kMailboxMaxLength && address.size() != static_cast<size_t>(lp)) address.clear();
    if (!address.empty()) NavigateWithLogin(address, handedOver ? UrlLock::HeldBySender : UrlLock::Take);
}

void CBrowserDlg::OnChatLine(WPARAM wp, LPARAM lp) {
    std::string text = ReadMailboxText(kTemp);
    if (text.empty()) return;
    int32_t sender = static_cast<int32_t>(wp);
    std::string name = (lp != -1 && sender == myUserId) ? NicknameOfUser(sender) : ReadMailboxText(kTemp4);
    AppendChatLine("   " + name + " : " + text);
}

void CBrowserDlg::OnLobbyUser(WPARAM wp, LPARAM lp) {
    std::string nickname = ReadMailboxText(kTemp2);
    int32_t userId = static_cast<int32_t>(wp);
    if (LowByte(static_cast<uintptr_t>(lp)) == 0) {
        RemoveLobbyEntry(userId);
    } else if (!nickname.empty()) {
        AddLobbyEntry(userId, nickname);
    }
}

void CBrowserDlg::OnSetOnline(WPARAM wp, LPARAM) { isOnline = LowByte(wp); }

void CBrowserDlg::OnSetMyId(WPARAM, LPARAM lp) { myUserId = static_cast<int32_t>(lp); }

// The sender waits in SendMessage until the message is handled; released
// first, it does not freeze behind a box the user may not even see. The box
// stays modal, and the sender's result is 0 as before. Released, the sender
// may repeat itself at once, and each repeat would open a box inside the
// last one's loop: a text already on screen is not shown again.
void CBrowserDlg::ShowBoxToSender(const char* text) {
    if (InSendMessage()) ReplyMessage(0);
    if (!boxesOpen.insert(text).second) return;
    win::AppMessageBox(text);
    boxesOpen.erase(text);
}

void CBrowserDlg::OnShowLobby(WPARAM wp, LPARAM) {
    isOnline = LowByte(wp);
    if (isOnline)
        SetBrowserMode(false);
    else
        ShowBoxToSender("Internet Connection Required.");
}

void CBrowserDlg::OnAddBuddy(WPARAM wp, LPARAM lp) {
    if (LowByte(wp) == 0) {
        ShowBoxToSender("Invalid User Nickname.");
        return;
    }
    int32_t flag = MailboxNumber(ReadMailboxText(kTemp1));
    std::string nickname = ReadMailboxText(kTemp2);
    if (AddBuddy(static_cast<int32_t>(lp), nickname, flag)) SaveBuddyFile();
}

void CBrowserDlg::OnBuddyStatus(WPARAM wp, LPARAM lp) { SetBuddyStatus(static_cast<int32_t>(lp), LowByte(wp)); }
