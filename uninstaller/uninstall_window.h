// The uninstaller's window: banner, texts, progress bar and completion timer.
#pragma once

#include <windows.h>

#include <string>

#include "win/gdi.h"
#include "uninstaller/plan_logic.h"
#include "uninstaller/settings.h"

namespace uninst {

class UninstallWindow {
public:
    explicit UninstallWindow(HINSTANCE instance);
    ~UninstallWindow();
    UninstallWindow(const UninstallWindow&) = delete;
    UninstallWindow& operator=(const UninstallWindow&) = delete;

    // Registers the class and creates the window at the centre of the screen.
    bool Create();
    HWND Handle() const { return hwnd; }
    const UninstallSettings& Settings() const { return settings; }
    const KeepList& Keep() const { return keep; }
    // False when the keep list could not be read whole: it may lack names.
    bool KeepListComplete() const { return keepListRead == KeepListRead::Complete; }
    // The animation ends with "Uninstall complete." or, when something of the
    // installation stayed, "Uninstall not complete. Delete directory manually.".
    void StartCompletionTimer(bool complete = true);

    static constexpr UINT_PTR kCompletionTimer = 1000;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void LoadSkin();
    void CreateProgressBar();
    void OnPaint();
    void Paint(HDC dc);
    void OnClose();
    void OnTimer(UINT_PTR id);

    HINSTANCE instance;
    HWND hwnd = nullptr;
    HWND progress = nullptr;
    UninstallSettings settings;
    KeepList keep;
    KeepListRead keepListRead = KeepListRead::Complete;
    bool removalComplete = true;
    std::string textColour;          // "r,g,b", 40 bytes in the Part
    std::string backgroundColour;    // "r,g,b"
    win::GdiObject<HBITMAP> banner;  // only with a skin module
    win::GdiObject<HBRUSH> background;
};

}  // namespace uninst
