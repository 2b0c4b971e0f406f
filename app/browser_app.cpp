#include "app/browser_app.h"

#include <commctrl.h>
#include <ole2.h>

#include "controls/report/report_ctrl.h"
#include "lobby/browser_dlg.h"
#include "lobby/mailbox.h"
#include "lobby/protocol.h"
#include "lobby/startup.h"

CBrowserApp theApp;

std::string CBrowserApp::SettingsPath() {
    DWORD length = GetCurrentDirectoryA(0, nullptr);
    std::string directory(length, '\0');
    directory.resize(GetCurrentDirectoryA(length, directory.data()));
    return directory + "\\" + startup::kSettingsFile;
}

BOOL CBrowserApp::InitInstance() {
    // The web view is an ActiveX control; the lists are common controls.
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // The dialog template holds a report control.
    CReportCtrl::RegisterWindowClass();

    const std::string settings = SettingsPath();
    std::string title = startup::FormWindowTitle(CBrowserDlg::ReadSettingsValue(settings, "main", "name"));
    if (HWND running = FindWindowA("#32770", title.c_str())) {
        ForwardCommandLine(running);
    } else {
        CBrowserDlg dialog(settings, startup::FirstCommandLineToken(commandLine));
        mainWnd = &dialog;
        dialog.DoModal();
        mainWnd = nullptr;
    }
    OleUninitialize();
    return FALSE;
}

BOOL CBrowserApp::ForwardCommandLine(HWND runningCopy) {
    std::string token = startup::FirstCommandLineToken(commandLine);
    if (token.empty()) return 0;
    WriteMailboxText(protocol::kUrl, token);
    SetForegroundWindow(runningCopy);
    SendMessageA(runningCopy, protocol::BRM_OPEN_MAILBOX_URL, 0, 0);
    return 1;
}
