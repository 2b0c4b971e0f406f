#include "win/app.h"

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
    caption = caption.substr(caption.find_last_of("\\/") + 1);
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
