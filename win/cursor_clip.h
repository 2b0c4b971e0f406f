// Confines the mouse cursor for the object's lifetime. The cursor is shared
// by the whole desktop, so the clip that was in force before is put back as
// soon as the confinement ends, however it ends.
#pragma once
#include <windows.h>

namespace win {

class CursorClip {
public:
    CursorClip() = default;
    CursorClip(const CursorClip&) = delete;
    CursorClip& operator=(const CursorClip&) = delete;
    ~CursorClip() { Release(); }

    // Clips to `rect` (screen coordinates); a second call keeps the first
    // call's saved clip, so Release still returns to the one before both.
    void Confine(const RECT& rect);
    // Puts the previous clip back; nothing when not confining.
    void Release();
    bool Active() const { return active; }

private:
    bool active = false;
    bool hadClip = false;
    RECT previous{};
};

}  // namespace win
