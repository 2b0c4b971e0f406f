#include "win/app.h"

#include <algorithm>

#include "win/dbcs.h"
#include "win/wnd.h"

namespace win {

CWinApp* CWinApp::current = nullptr;

CWinApp::CWinApp() { current = this; }

CWinApp::~CWinApp() {
    if (current == this) current = nullptr;
}

int CWinApp::Run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (CWnd::WalkPreTranslateTree(nullptr, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int AppMessageBox(const char* text, UINT type) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string caption = path;
    size_t name = 0;
    for (char separator : {'\\', '/'}) {
        const size_t at = dbcs::FindLast(caption, separator, dbcs::System());
        if (at != std::string::npos) name = std::max(name, at + 1);
    }
    caption = caption.substr(name);
    caption = caption.substr(0, caption.rfind('.'));
    CWinApp* app = CWinApp::Get();
    HWND owner = app && app->mainWnd ? app->mainWnd->GetSafeHwnd() : nullptr;
    return MessageBoxA(owner, text, caption.c_str(), type);
}

}  // namespace win

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    win::CWinApp* app = win::CWinApp::Get();
    if (!app) return 1;
    app->instance = instance;
    app->commandLine = commandLine ? commandLine : "";
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
