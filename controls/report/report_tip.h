// CReportTipCtrl: the pop-up that shows a cut-off cell text whole.
// PLACEHOLDER until the real tip window lands: it makes its hidden window,
// records what it is asked to show and shows nothing.
#pragma once
#include <windows.h>

#include <string>

#include "win/wnd.h"

class CReportTipCtrl : public win::CWnd {
public:
    static constexpr char kClassName[] = "MFCReportTipCtrl";

    struct Request {
        RECT cell;  // in the owner's client coordinates
        std::string text;
        HFONT font;
    };

    CReportTipCtrl();

    // Makes the hidden pop-up, owned by the report control.
    BOOL Create(HWND owner);
    // TRUE when the tip is now showing.
    BOOL ShowTip(const RECT& cell, const char* text, HFONT font);
    void HideTip();

    const Request& LastRequest() const { return last; }
    int RequestCount() const { return requests; }
    int HideCount() const { return hides; }

private:
    HWND owner = nullptr;
    Request last{};
    int requests = 0;
    int hides = 0;
};
