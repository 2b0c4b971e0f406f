#include "win/offscreen_dc.h"

#include <algorithm>

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

void OffscreenCache::Reset() {
    if (kept) SelectObject(memory, kept);
    kept = nullptr;
    bitmap.Reset();
    memory.Reset();
    width = height = depth = 0;
}

HDC OffscreenCache::Fit(HDC target, int needWidth, int needHeight) {
    const int targetDepth = GetDeviceCaps(target, BITSPIXEL) * GetDeviceCaps(target, PLANES);
    if (memory && targetDepth == depth && needWidth <= width && needHeight <= height) return memory;
    const int newWidth = targetDepth == depth ? std::max(width, needWidth) : needWidth;
    const int newHeight = targetDepth == depth ? std::max(height, needHeight) : needHeight;
    Reset();
    memory.Reset(CreateCompatibleDC(target));
    if (memory) bitmap.Reset(CreateCompatibleBitmap(target, newWidth, newHeight));
    if (!bitmap) {
        Reset();
        return nullptr;
    }
    kept = SelectObject(memory, bitmap);
    width = newWidth;
    height = newHeight;
    depth = targetDepth;
    return memory;
}

COffscreenDC::COffscreenDC(HDC target, OffscreenCache* cache) : target(target), area(ClipArea(target)) {
    if (!Buffered(target, area)) return;
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC surface = nullptr;
    if (cache && (shared = cache->Fit(target, width, height)) != nullptr) {
        saved = SaveDC(shared);
        surface = shared;
        // Only the area is drawn: the clip box tells the painter where.
        IntersectClipRect(surface, 0, 0, width, height);
    } else {
        memory.Reset(CreateCompatibleDC(target));
        if (memory) bitmap.Reset(CreateCompatibleBitmap(target, width, height));
        if (bitmap) kept = SelectObject(memory, bitmap);
        if (kept) surface = memory;
    }
    if (!surface) return;
    // Drawing uses the target's coordinates: the area's corner is the bitmap's
    // origin, and patterns (a focus frame's dots) line up as on the target.
    SetWindowOrgEx(surface, area.left, area.top, nullptr);
    POINT origin{};
    GetBrushOrgEx(target, &origin);
    SetBrushOrgEx(surface, ((origin.x - area.left) % 8 + 8) % 8, ((origin.y - area.top) % 8 + 8) % 8, nullptr);
}

COffscreenDC::~COffscreenDC() {
    HDC source = Get();
    if (source == target) return;
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, source, area.left, area.top,
           SRCCOPY);
    if (shared)
        RestoreDC(shared, saved);
    else
        SelectObject(memory, kept);
}

}  // namespace win
