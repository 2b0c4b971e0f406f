// The lobby user list: groups and their users in the report control.
#include "lobby/browser_dlg.h"

std::string CBrowserDlg::NicknameOfUser(int32_t) const { return {}; }

void CBrowserDlg::AddLobbyEntry(int32_t, const std::string&) {}

void CBrowserDlg::RemoveLobbyEntry(int32_t) {}

LRESULT CBrowserDlg::OnLobbyClick(NMHDR*) { return 0; }

LRESULT CBrowserDlg::OnLobbyStateChanged(NMHDR*) { return 0; }
