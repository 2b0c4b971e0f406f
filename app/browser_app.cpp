#include "app/browser_app.h"

#include <commctrl.h>
#include <ole2.h>

#include "controls/report/report_ctrl.h"
#include "lobby/browser_dlg.h"
#include "lobby/mailbox.h"
#include "lobby/protocol.h"
#include "lobby/startup.h"
#include "win/named_lock.h"

CBrowserApp theApp;

namespace {
constexpr char kStartLockPrefix[] = "Local\\QuintaraBrowserStart:";

// One lock per title; a backslash would name a namespace.
std::string StartLockName(std::string title) {
    const dbcs::LeadByteTest isLead = dbcs::System();
    for (size_t at = 0; (at = dbcs::Find(title, '\\', at, isLead)) != std::string::npos;) title[at] = '/';
    return kStartLockPrefix + title;
}

// The dialog titled exactly `title`. FindWindowA ignores letter case, and a
// copy named "ALPHA" is another product's browser.
HWND FindRunningCopy(const std::string& title) {
    std::string text(title.size() + 2, '\0');
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", title.c_str())) != nullptr;) {
        int length = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
        if (title.compare(0, std::string::npos, text.data(), static_cast<size_t>(length)) == 0) return window;
    }
    return nullptr;
}
}  // namespace

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
    std::string title = startup::FormWindowTitle(CBrowserDlg::ReadSettingsValue(settings, "main", "name"), dbcs::System());
    // From the look for a running copy until our window carries the title
    // that the next copy looks for (the web view before it takes a while) and
    // has opened its own address, one copy of this title at a time: two quick
    // starts get one window, and the address handed over is opened last.
    win::NamedLock startLock(StartLockName(title), kLockWaitMs);
    if (HWND running = FindRunningCopy(title)) {
        startLock.Release();
        ForwardCommandLine(running);
    } else {
        CBrowserDlg dialog(settings, startup::FirstCommandLineToken(commandLine));
        dialog.onReady = [&startLock] { startLock.Release(); };
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
    // Copies handing off at once share "URL": each holds it until the running
    // copy has read its address. The length tells the running copy that the
    // address is ours, to be read whole however long, and that we hold the lock.
    win::NamedLock urlLock(kUrlLockName, kLockWaitMs);
    WriteMailboxText(protocol::kUrl, token);
    SetForegroundWindow(runningCopy);
    SendMessageA(runningCopy, protocol::BRM_OPEN_MAILBOX_URL, 0, static_cast<LPARAM>(token.size()));
    return 1;
}
