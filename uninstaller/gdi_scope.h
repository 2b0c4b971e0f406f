// Small owners for the GDI objects the uninstaller window makes and selects.
#pragma once

#include <windows.h>

#include <utility>

namespace uninst {

// Owns one GDI object (brush, font, bitmap) and deletes it once; move-only.
template <class Handle>
class GdiObject {
public:
    explicit GdiObject(Handle h = nullptr) : handle(h) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            handle = std::exchange(other.handle, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle Get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }
    void Reset(Handle h = nullptr) {
        if (handle) DeleteObject(handle);
        handle = h;
    }

private:
    Handle handle;
};

// Selects an object into a DC for the scope and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (previous) SelectObject(dc, previous);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

// A memory DC compatible with `reference`, deleted at the end of the scope.
class MemoryDC {
public:
    explicit MemoryDC(HDC reference) : dc(CreateCompatibleDC(reference)) {}
    ~MemoryDC() {
        if (dc) DeleteDC(dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc; }

private:
    HDC dc;
};

}  // namespace uninst
