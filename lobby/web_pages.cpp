// Web pages: plain navigation, navigation with the login form, site pages.
#include "lobby/browser_dlg.h"

void CBrowserDlg::NavigateTo(const std::string&) {}

void CBrowserDlg::NavigateWithLogin(const std::string&) {}

bool CBrowserDlg::ReadSitePageAddress(std::string&, int, int) { return false; }

void CBrowserDlg::OnWebCommand(UINT) {}

void CBrowserDlg::OnSitePageCommand(UINT) {}
