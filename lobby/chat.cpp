// The lobby chat: the conversation pane and the one-line input.
#include "lobby/browser_dlg.h"

void CBrowserDlg::AppendChatLine(const std::string&) {}

void CBrowserDlg::OnChatInputChange() {}
