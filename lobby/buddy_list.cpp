// The buddy list, its file and its status polling.
#include <vector>

#include "lobby/browser_dlg.h"
#include "lobby/input_dlg.h"
#include "lobby/mailbox.h"
#include "lobby/protocol.h"
#include "lobby/resource.h"
#include "win/file.h"

using namespace protocol;

namespace {
constexpr char kAddPrompt[] = "Are you want to add name to your list ?";
constexpr char kDeletePrompt[] = "Are you sure you want to delete name from your list ?";
constexpr int kRowTextRoom = 260;

int RowCount(HWND view) { return static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0)); }

std::string RowText(HWND view, int row) {
    char text[kRowTextRoom] = "";
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(view, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

void AppendRow(HWND view, const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = RowCount(view);  // the control sorts it into place
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void DeleteRowsWithText(HWND view, const std::string& text) {
    for (int row = RowCount(view) - 1; row >= 0; row--) {
        if (RowText(view, row) == text) SendMessageA(view, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }
}

// The row under the click: the point the list reports with the click, where
// the cursor may already have moved on.
int RowAtClick(const NMITEMACTIVATE& click) {
    LVHITTESTINFO hit{};
    hit.pt = click.ptAction;
    return static_cast<int>(SendMessageA(click.hdr.hwndFrom, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}
}  // namespace

bool CBrowserDlg::AddBuddy(int32_t userId, const std::string& nickname, int32_t onlineFlag) {
    if (FindBuddy(buddies, nickname)) return false;
    // Refuses a nickname too long for its field, before any row exists.
    BuddyRecord* record = NewBuddyRecord(userId, nickname, static_cast<uint8_t>(onlineFlag));
    if (!record) return false;
    AppendRow(GetDlgItem(IDC_BUDDY_LIST), nickname);
    buddies.AddHead(record);
    return true;
}

bool CBrowserDlg::DeleteBuddy(const std::string& nickname) {
    SDListNode* node = FindBuddyNode(buddies, nickname);
    if (!node) return true;
    buddies.Delete(node);
    DeleteRowsWithText(GetDlgItem(IDC_BUDDY_LIST), nickname);
    return true;
}

bool CBrowserDlg::SaveBuddyFile() { return win::WriteFileAtomically(kBuddyFileName, EncodeBuddyFile(buddies)); }

void CBrowserDlg::SetBuddyStatus(int32_t userId, uint8_t onlineFlag) {
    if (BuddyRecord* record = FindBuddy(buddies, userId)) record->onlineFlag = onlineFlag;
}

void CBrowserDlg::OnTimer(UINT_PTR) {
    // The main client answers inside each send and may change the list meanwhile.
    std::vector<int32_t> ids;
    for (SDListNode* node = buddies.GetHead(); node; node = node->next) {
        ids.push_back(static_cast<BuddyRecord*>(node->data)->userId);
    }
    for (int32_t id : ids) ::SendMessageA(mainClientWindow, WM_COMMAND, BRC_QUERY_BUDDY, id);
    Default();
}

LRESULT CBrowserDlg::OnBuddyClick(NMHDR* header) {
    int row = RowAtClick(*reinterpret_cast<NMITEMACTIVATE*>(header));
    if (row < 0) return 0;
    std::string nickname = RowText(header->hwndFrom, row);
    BuddyRecord* record = FindBuddy(buddies, nickname);
    selectedUserId = record ? record->userId : 0;
    selectionLabel = nickname;
    SetDlgItemTextA(hwnd, IDC_SELECTION_LABEL, selectionLabel.c_str());
    selectedGroupId = selectedGroupSubId = 0;
    targetIsBuddy = 1;
    return 0;
}

void CBrowserDlg::OnInvite() {
    if (selectedUserId > 0) ::SendMessageA(mainClientWindow, WM_COMMAND, BRC_INVITE_PLAYER, selectedUserId);
}

bool CBrowserDlg::AskForNickname(const char* prompt, std::string& nickname) {
    // A click queued before the dialog opened reaches "A" or "D" inside its
    // loop: it must not open a second dialog over the first.
    if (askingForNickname) return false;
    askingForNickname = true;
    CInputDlg dialog(hwnd);
    dialog.prompt = prompt;
    if (selectedUserId >= 1) dialog.text = selectionLabel;
    const bool confirmed = dialog.DoModal() == IDOK;
    askingForNickname = false;
    if (confirmed) nickname = dialog.text;
    return confirmed;
}

void CBrowserDlg::OnAddBuddyButton() {
    std::string nickname;
    if (!AskForNickname(kAddPrompt, nickname)) return;
    // The edit takes 21 characters, a buddy 20: no use asking the main client.
    if (nickname.size() > kBuddyNicknameMax) {
        ShowBoxToSender("Invalid User Nickname.");
        return;
    }
    WriteMailboxText(kTemp, nickname);
    ::SendMessageA(mainClientWindow, WM_COMMAND, BRC_ADD_BUDDY, selectedUserId);
}

void CBrowserDlg::OnDeleteBuddyButton() {
    std::string nickname;
    if (!AskForNickname(kDeletePrompt, nickname)) return;
    if (DeleteBuddy(nickname)) SaveBuddyFile();
}
