// The buddy list, its file and its status polling.
#include "lobby/browser_dlg.h"

bool CBrowserDlg::AddBuddy(int32_t, const std::string&, int32_t) { return false; }

void CBrowserDlg::SaveBuddyFile() {}

void CBrowserDlg::SetBuddyStatus(int32_t, uint8_t) {}

void CBrowserDlg::OnTimer(UINT_PTR) { Default(); }

LRESULT CBrowserDlg::OnBuddyClick(NMHDR*) { return 0; }

void CBrowserDlg::OnInvite() {}

void CBrowserDlg::OnAddBuddyButton() {}

void CBrowserDlg::OnDeleteBuddyButton() {}
