#include "controls/flatheader/right_click_header.h"

LRESULT HeaderRightClickHeader::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_RBUTTONDOWN && ReportRightClick(lp)) return 0;
    return CFlatHeaderCtrl::WindowProc(msg, wp, lp);
}

bool HeaderRightClickHeader::ReportRightClick(LPARAM lp) {
    if (!onRightClick) return false;
    HDHITTESTINFO info{};
    info.pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    int item = static_cast<int>(SendMessage(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    return item >= 0 && onRightClick(item, info.pt);
}
