// Small drawing helpers that leave the DC's colours as they found them.
#pragma once
#include <windows.h>

namespace win {

inline void FillSolidRect(HDC dc, const RECT& rect, COLORREF colour) {
    COLORREF previous = SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
}

// A one-pixel frame just inside `rect`: top and left edges in `topLeft`,
// right and bottom edges (corners included) in `bottomRight`.
inline void Draw3dRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
    const LONG l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    FillSolidRect(dc, RECT{l, t, r - 1, t + 1}, topLeft);
    FillSolidRect(dc, RECT{l, t, l + 1, b - 1}, topLeft);
    FillSolidRect(dc, RECT{r - 1, t, r, b}, bottomRight);
    FillSolidRect(dc, RECT{l, b - 1, r, b}, bottomRight);
}

}  // namespace win
