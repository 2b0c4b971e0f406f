#include "win/cursor_clip.h"

namespace win {

namespace {

// GetClipCursor reports the whole virtual screen when nothing is clipped.
bool IsWholeScreen(const RECT& r) {
    RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return EqualRect(&r, &screen) != FALSE;
}

}  // namespace

void CursorClip::Confine(const RECT& rect) {
    if (!active) {
        hadClip = GetClipCursor(&previous) && !IsWholeScreen(previous);
        active = true;
    }
    ClipCursor(&rect);
}

void CursorClip::Release() {
    if (!active) return;
    active = false;
    ClipCursor(hadClip ? &previous : nullptr);
}

}  // namespace win
