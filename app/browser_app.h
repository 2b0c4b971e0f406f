// The browser's application object: becomes the browser window, or hands its
// command line to a copy that is already running.
#pragma once
#include <windows.h>

#include <string>

#include "win/app.h"

class CBrowserApp : public win::CWinApp {
public:
    BOOL InitInstance() override;

    // Hands the first token of the command line to the running copy's window
    // through the mailbox value "URL" and message 8830; 0 when there is none.
    BOOL ForwardCommandLine(HWND runningCopy);

    // main.ini in the current working directory.
    static std::string SettingsPath();
};
