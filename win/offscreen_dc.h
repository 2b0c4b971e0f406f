// An off-screen drawing surface over a target DC: drawing lands in a bitmap
// of the target's clip box and reaches the target in one copy when the surface
// ends, so that a control repainting itself does not flicker.
#pragma once
#include <windows.h>

#include "win/gdi.h"

namespace win {

struct MemoryDCTraits {
    using Handle = HDC;
    static Handle None() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};

class COffscreenDC {
public:
    // Printing and recording contexts (printers, metafiles) are drawn on
    // directly, and so is a target with nothing to paint.
    explicit COffscreenDC(HDC target);
    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;
    ~COffscreenDC();

    operator HDC() const { return Get(); }
    HDC Get() const { return kept ? memory.Get() : target; }
    bool IsDirect() const { return kept == nullptr; }
    // The target's clip box, in the target's coordinates.
    const RECT& Area() const { return area; }

    static bool IsPrinting(HDC dc);

private:
    HDC target;
    RECT area;
    UniqueHandle<MemoryDCTraits> memory;
    Bitmap bitmap;
    HGDIOBJ kept;
};

}  // namespace win
