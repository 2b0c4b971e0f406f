// The lobby chat: the conversation pane and the one-line input.
#include <string>

#include "lobby/browser_dlg.h"
#include "lobby/mailbox.h"
#include "lobby/protocol.h"

using namespace protocol;

void CBrowserDlg::AppendChatLine(const std::string& text) { chat.Append(text); }

void CBrowserDlg::OnChatInputChange() {
    std::optional<std::string> line = chat.TakeTypedLine();
    if (line && !line->empty()) SendChatText(*line);
}

void CBrowserDlg::SendChatText(const std::string& text) {
    WriteMailboxText(kTemp1, std::to_string(selectedGroupId));
    WriteMailboxText(kTemp2, std::to_string(selectedGroupSubId));
    WriteMailboxText(kTemp3, NicknameOfUser(myUserId));
    WriteMailboxText(kTemp, text);
    if (!targetIsBuddy) {
        ::SendMessageA(mainClientWindow, WM_COMMAND, BRC_SEND_CHAT, selectedUserId);
        return;
    }
    // Private lines reach online buddies only; the rest are dropped unseen.
    const BuddyRecord* buddy = FindBuddy(buddies, selectedUserId);
    if (buddy && buddy->onlineFlag) ::SendMessageA(mainClientWindow, WM_COMMAND, BRC_SEND_PRIVATE_CHAT, selectedUserId);
}
