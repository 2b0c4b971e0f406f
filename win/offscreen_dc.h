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

// A surface kept from one paint of a window to the next: making a bitmap and
// a DC costs more than painting a screenful of rows. It grows to the largest
// area asked for and is made again for a target of another colour depth.
class OffscreenCache {
public:
    OffscreenCache() = default;
    OffscreenCache(const OffscreenCache&) = delete;
    OffscreenCache& operator=(const OffscreenCache&) = delete;
    ~OffscreenCache() { Reset(); }
    void Reset();

private:
    friend class COffscreenDC;
    // The kept DC, with a bitmap of at least this size for the target; null when none can be made.
    HDC Fit(HDC target, int width, int height);

    UniqueHandle<MemoryDCTraits> memory;
    Bitmap bitmap;
    HGDIOBJ kept = nullptr;
    int width = 0, height = 0, depth = 0;
};

class COffscreenDC {
public:
    // Printing and recording contexts (printers, metafiles) are drawn on
    // directly, and so is a target with nothing to paint. With a cache, its
    // surface is drawn on, with the state it had restored afterwards.
    explicit COffscreenDC(HDC target, OffscreenCache* cache = nullptr);
    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;
    ~COffscreenDC();

    operator HDC() const { return Get(); }
    HDC Get() const { return shared ? shared : kept ? memory.Get() : target; }
    bool IsDirect() const { return !shared && !kept; }
    // The target's clip box, in the target's coordinates.
    const RECT& Area() const { return area; }

    static bool IsPrinting(HDC dc);

private:
    HDC target;
    RECT area;
    UniqueHandle<MemoryDCTraits> memory;
    Bitmap bitmap;
    HGDIOBJ kept = nullptr;
    HDC shared = nullptr;  // the cache's DC, when it is used
    int saved = 0;
};

}  // namespace win
