// Owners and scopes for GDI objects and device contexts. Owners are move-only,
// so nothing is deleted twice; scopes restore what they replaced.
#pragma once
#include <windows.h>
#include <utility>

#include "win/unique_handle.h"

namespace win {

template <class H>
struct GdiTraits {
    using Handle = H;
    static Handle None() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};

template <class Handle>
using GdiObject = UniqueHandle<GdiTraits<Handle>>;

using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

// Selects an object into a DC for the scope's lifetime.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ obj) : dc(dc), previous(SelectObject(dc, obj)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() {
        if (previous) SelectObject(dc, previous);
    }

private:
    HDC dc;
    HGDIOBJ previous;
};

// Saves the whole DC state (colours, modes, clip) for the scope.
class SaveDCScope {
public:
    explicit SaveDCScope(HDC dc) : dc(dc), saved(SaveDC(dc)) {}
    SaveDCScope(const SaveDCScope&) = delete;
    SaveDCScope& operator=(const SaveDCScope&) = delete;
    ~SaveDCScope() { RestoreDC(dc, saved); }

private:
    HDC dc;
    int saved;
};

class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd(hwnd), ps{}, dc(BeginPaint(hwnd, &ps)) {}
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(hwnd, &ps); }
    operator HDC() const { return dc; }
    const RECT& PaintRect() const { return ps.rcPaint; }

private:
    HWND hwnd;
    PAINTSTRUCT ps;
    HDC dc;
};

class ClientDC {
public:
    explicit ClientDC(HWND hwnd) : hwnd(hwnd), dc(GetDC(hwnd)) {}
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    ~ClientDC() {
        if (dc) ReleaseDC(hwnd, dc);
    }
    operator HDC() const { return dc; }

private:
    HWND hwnd;
    HDC dc;
};

// A memory DC compatible with `reference` (the screen when null).
class MemoryDC {
public:
    explicit MemoryDC(HDC reference = nullptr) : dc(CreateCompatibleDC(reference)) {}
    MemoryDC(MemoryDC&& other) noexcept : dc(std::exchange(other.dc, nullptr)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        if (dc) DeleteDC(dc);
    }
    operator HDC() const { return dc; }
    HDC Get() const { return dc; }

private:
    HDC dc;
};

}  // namespace win
