// The program's one application object: WinMain hands it the instance and the
// command line and calls InitInstance.
#pragma once
#include <windows.h>
#include <string>

namespace win {

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Get() { return current; }

    // TRUE runs a message loop until WM_QUIT; FALSE ends the program.
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return exitCode; }
    int Run();

    HINSTANCE instance = nullptr;
    std::string commandLine;  // the text after the program path
    CWnd* mainWnd = nullptr;
    int exitCode = 0;

private:
    static CWinApp* current;
};

// The message box of the application: its caption is the program's name.
int AppMessageBox(const char* text, UINT type = MB_OK);

}  // namespace win
