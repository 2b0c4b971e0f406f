// The web view: the WebBrowser control hosted in control 1002 of the browser
// window, driven through its dispatch interface.
#pragma once
#include <windows.h>

#include <functional>

#include "win/activex.h"

class CWebBrowser2 : public win::CAxHost {
public:
    // {8856F961-340A-11D0-A96B-00C04FD705A2}
    static const CLSID kClsid;
    static constexpr DISPID kGoBack = 100;
    static constexpr DISPID kGoForward = 101;
    static constexpr DISPID kStop = 106;
    static constexpr DISPID kRefresh = -550;
    static constexpr DISPID kNavigate2 = 500;
    static constexpr DISPID kCommandStateChange = 105;
    static constexpr long kNavigateForward = 1;  // CSC_NAVIGATEFORWARD
    static constexpr long kNavigateBack = 2;     // CSC_NAVIGATEBACK

    // The dialog template names our host class, so it exists before any dialog.
    CWebBrowser2() { RegisterHostClass(); }

    // Creates the control in the host window `id` of `parent` and listens to it.
    bool Create(HWND parent, UINT id);

    void GoBack() { InvokeMethod(kGoBack, {}); }
    void GoForward() { InvokeMethod(kGoForward, {}); }
    void Stop() { InvokeMethod(kStop, {}); }
    void Refresh() { InvokeMethod(kRefresh, {}); }
    // Each argument is passed by reference; null ones as null references.
    HRESULT Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData, VARIANT* headers);

    // The control's CommandStateChange event: (command, enable).
    std::function<void(long command, bool enable)> onCommandStateChange;

private:
    void OnEvent(DISPID id, const DISPPARAMS& params);
};
