// Owner of a window that is not a CWnd (a tooltip, a helper popup): destroyed
// with its owner object unless the system destroyed it first.
#pragma once
#include <windows.h>

#include <utility>

namespace win {

class WindowHandle {
public:
    WindowHandle() = default;
    explicit WindowHandle(HWND h) : hwnd(h) {}
    WindowHandle(WindowHandle&& other) noexcept : hwnd(std::exchange(other.hwnd, nullptr)) {}
    WindowHandle& operator=(WindowHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.hwnd, nullptr));
        return *this;
    }
    WindowHandle(const WindowHandle&) = delete;
    WindowHandle& operator=(const WindowHandle&) = delete;
    ~WindowHandle() { Reset(); }

    void Reset(HWND h = nullptr) {
        if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
        hwnd = h;
    }
    HWND Get() const { return hwnd; }
    operator HWND() const { return hwnd; }

private:
    HWND hwnd = nullptr;
};

}  // namespace win
