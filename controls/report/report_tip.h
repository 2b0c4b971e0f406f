// CReportTipCtrl: the pop-up that the report control lays over a cell whose
// text does not fit, showing the whole text in one line where the cell's
// text stands. Where the system has layered windows it fades in. It is
// transparent to the user: presses and keys, and moves that leave the cell,
// go on to the window below it or to its owner.
#pragma once
#include <windows.h>

#include <string>

#include "win/wnd.h"

class CReportTipCtrl : public win::CWnd {
public:
    static constexpr char kClassName[] = "MFCReportTipCtrl";
    static constexpr int kDefaultCellMargin = 6;  // the report control's text margin
    static constexpr UINT_PTR kTimerId = 1;
    static constexpr UINT kFadeStepMs = 20;
    static constexpr UINT kOpaqueAfterHideMs = 100;
    static constexpr UINT kFadeStep = 10;

    // Registers the window class unless it exists; throws std::runtime_error
    // when it cannot.
    CReportTipCtrl();
    ~CReportTipCtrl() override;

    // The hidden tip window of `owner` (the report control), whose font,
    // margin and client coordinates the requests use.
    BOOL Create(HWND owner);
    BOOL Create(win::CWnd* owner) { return Create(owner ? owner->GetSafeHwnd() : nullptr); }
    // Shows `text` over `cell` (the text's rectangle in the owner's client
    // coordinates) in `font`, the owner's when null, unless it fits in the
    // cell. TRUE when the tip is showing now; FALSE hides it.
    BOOL ShowTip(const RECT& cell, const char* text, HFONT font = nullptr);
    void HideTip();

    // The owner's horizontal cell margin, 6 unless set.
    void SetCellMargin(int margin) { cellMargin = margin; }
    HWND Owner() const { return owner; }
    // The fade's opacity level, 0 to 255.
    UINT Alpha() const { return alpha; }
    BOOL IsLayered() const { return layered; }

    bool PreTranslateMessage(MSG& msg) override;

    // Finds "UpdateLayeredWindow" and "SetLayeredWindowAttributes" of
    // USER32.DLL; TRUE when both are there. Looks again while they are not.
    static BOOL LoadLayeredWindowApi();

protected:
    win::RouteTable Routes() const override;

    BOOL layered;  // the fade is used; decided before the window is made

private:
    void OnMouseMove(UINT flags, POINT point);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    LRESULT OnMouseActivate(WPARAM, LPARAM) { return MA_NOACTIVATE; }
    // A press that no loop pre-translated (a menu's, a system dialog's) is
    // handed on all the same.
    template <UINT Message>
    LRESULT OnPress(WPARAM wp, LPARAM lp) {
        HandOnPress(MSG{hwnd, Message, wp, lp, 0, {}});
        return 0;
    }

    void ApplyAlpha();
    void HandOnPress(const MSG& msg);
    // The window under a screen point once the tip is out of the way.
    HWND TargetAt(POINT screen) const;
    HFONT OwnerFont() const;

    HWND owner = nullptr;
    UINT alpha = 0;
    RECT lastRect{};  // the request now shown, in the owner's coordinates
    RECT hitRect{};   // the cell's area in the tip's client coordinates
    DWORD lastClickTime = kNoClick;
    UINT doubleClickTime;
    int cellMargin = kDefaultCellMargin;
    std::string text;
    HFONT font = nullptr;  // borrowed from the caller or the owner
    int textHeight = 0;

    static constexpr DWORD kNoClick = 0xFFFFFFFF;
};
