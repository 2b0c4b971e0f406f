// The lobby user list: the dialog's side of the report control that shows
// LobbyUsers, fed by 9027 and clicked by the user.
#include "lobby/browser_dlg.h"
#include "lobby/mailbox.h"
#include "lobby/protocol.h"
#include "lobby/resource.h"
#include "skin/skin_ids.h"

using namespace protocol;

namespace {
constexpr int kImageSize = 16;
constexpr COLORREF kImageKey = RGB(255, 0, 255);  // the skin's transparent colour
// The 168-pixel control less its border and vertical scroll bar.
constexpr int kNameColumnWidth = 148;
constexpr char kNameColumnTitle[] = "Players";

LobbyGroup ReadGroupNumbers() { return {MailboxNumber(ReadMailboxText(kTemp1)), MailboxNumber(ReadMailboxText(kTemp3))}; }
}  // namespace

void CBrowserDlg::CreateLobbyList() {
    if (!lobbyCtrl.SubclassDlgItem(IDC_LOBBY_LIST, hwnd)) return;
    lobbyImages.Reset(ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, 2, 0));
    if (HBITMAP strip = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LOBBY_ROWS))) {
        ImageList_AddMasked(lobbyImages, strip, kImageKey);
        DeleteObject(strip);
    }
    lobbyCtrl.SetImageList(lobbyImages);
    report::SubItemDef names;
    names.width = kNameColumnWidth;
    names.caption = kNameColumnTitle;
    lobbyCtrl.ShowColumn(lobbyCtrl.DefineSubItem(names));
    lobby.Create();
}

void CBrowserDlg::AddLobbyEntry(int32_t userId, const std::string& nickname) {
    const std::string groupName = ReadMailboxText(kTemp);
    const LobbyGroup group = ReadGroupNumbers();
    const LobbyUsers::Joined joined = lobby.Add(userId, nickname, groupName, group);
    if (userId != myUserId) return;
    // The local user's own table becomes the chat's scope and the open group.
    if (groupName.empty()) {
        selectedGroupId = selectedGroupSubId = 0;
        selectionLabel = LobbyUsers::kAllUsersName;
    } else {
        selectedGroupId = group.id;
        selectedGroupSubId = group.subId;
        selectionLabel = groupName;
    }
    lobby.ShowOwnGroup(joined.group);
    SetDlgItemTextA(hwnd, IDC_SELECTION_LABEL, selectionLabel.c_str());
}

void CBrowserDlg::RemoveLobbyEntry(int32_t userId) { lobby.Remove(userId, ReadGroupNumbers(), myUserId); }

LRESULT CBrowserDlg::OnLobbyClick(NMHDR* header) {
    const auto& click = *reinterpret_cast<const report::ReportNotify*>(header);
    if (click.item >= 0 && click.subItem >= 0) ChooseLobbyCell(click.item, click.subItem);
    return 0;
}

// The keyboard's ways to the same: a row selected by the keys (or by a
// reader), and Space on the focused row, which may be selected already.
LRESULT CBrowserDlg::OnLobbyStateChanged(NMHDR* header) {
    const auto& change = *reinterpret_cast<const report::ReportNotify*>(header);
    if (change.item >= 0 && (change.state & report::StateSelected)) ChooseLobbyCell(change.item, 0);
    return 0;
}

LRESULT CBrowserDlg::OnLobbyKeyDown(NMHDR* header) {
    const auto& key = *reinterpret_cast<const report::ReportNotify*>(header);
    if (key.keys == VK_SPACE && key.item >= 0) ChooseLobbyCell(key.item, 0);
    return 0;
}

void CBrowserDlg::ChooseLobbyCell(int item, int subItem) {
    const std::string text = lobbyCtrl.GetItemText(item, subItem);
    // The clicked row's own entry when it shows one: a user named like a group
    // (or a name the cell shows changed) still finds the row that was clicked,
    // and the label carries the name as it came, not as the cell stores it.
    const report::NodeHandle row = lobbyCtrl.GetItemNode(item);
    const LobbyEntry* shown = lobby.EntryAt(row);
    const bool shownIsUser = shown && shown->nickname[0];
    selectionLabel = shown ? (shownIsUser ? shown->nickname : shown->groupName) : text;
    SetDlgItemTextA(hwnd, IDC_SELECTION_LABEL, selectionLabel.c_str());
    targetIsBuddy = 0;

    const LobbyEntry* user = shown ? (shownIsUser ? shown : nullptr) : lobby.FindNickname(text);
    selectedUserId = user ? user->userId : 0;
    if (user) {
        selectedGroupId = user->groupId;
        selectedGroupSubId = user->groupSubId;
    }
    if (selectedUserId != 0) return;
    if (row == lobby.AllUsersRow()) {
        selectedGroupId = selectedGroupSubId = 0;  // the whole lobby
        return;
    }
    const LobbyEntry* group = shown ? (shownIsUser ? nullptr : shown) : lobby.FindGroupName(text);
    selectedGroupSubId = group ? group->groupSubId : 0;
    if (group) selectedGroupId = group->groupId;
}
