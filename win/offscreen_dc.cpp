#include "win/offscreen_dc.h"

namespace win {

namespace {

RECT ClipArea(HDC dc) {
    RECT area{};
    if (GetClipBox(dc, &area) <= NULLREGION) SetRectEmpty(&area);
    return area;
}

bool Buffered(HDC target, const RECT& area) { return !COffscreenDC::IsPrinting(target) && !IsRectEmpty(&area); }

}  // namespace

bool COffscreenDC::IsPrinting(HDC dc) {
    DWORD type = GetObjectType(dc);
    if (type == OBJ_METADC || type == OBJ_ENHMETADC) return true;
    int technology = GetDeviceCaps(dc, TECHNOLOGY);
    return technology == DT_RASPRINTER || technology == DT_PLOTTER;
}

COffscreenDC::COffscreenDC(HDC target)
    : target(target),
      area(ClipArea(target)),
      memory(Buffered(target, area) ? CreateCompatibleDC(target) : nullptr),
      bitmap(memory ? CreateCompatibleBitmap(target, area.right - area.left, area.bottom - area.top) : nullptr),
      kept(bitmap ? SelectObject(memory, bitmap) : nullptr) {
    // Drawing uses the target's coordinates: the area's corner is the bitmap's origin.
    if (kept) SetWindowOrgEx(memory, area.left, area.top, nullptr);
}

COffscreenDC::~COffscreenDC() {
    if (!kept) return;
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, area.left, area.top,
           SRCCOPY);
    SelectObject(memory, kept);
}

}  // namespace win
