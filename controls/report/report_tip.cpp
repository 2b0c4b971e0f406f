#include "controls/report/report_tip.h"

#include <stdexcept>

CReportTipCtrl::CReportTipCtrl() {
    if (!RegisterClass(kClassName, CS_SAVEBITS, LoadCursor(nullptr, IDC_ARROW),
                       reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INFOBK + 1))))
        throw std::runtime_error("the MFCReportTipCtrl window class cannot be registered");
}

BOOL CReportTipCtrl::Create(HWND ownerWindow) {
    owner = ownerWindow;
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "", WS_POPUP | WS_BORDER, RECT{}, owner, 0);
}

BOOL CReportTipCtrl::ShowTip(const RECT& cell, const char* text, HFONT font) {
    last = {cell, text ? text : "", font};
    ++requests;
    return FALSE;
}

void CReportTipCtrl::HideTip() { ++hides; }
