// Owner of a window that is not a CWnd (a tooltip, a helper popup): destroyed
// with its owner object unless the system destroyed it first.
#pragma once
#include <windows.h>

#include "win/unique_handle.h"

namespace win {

struct WindowTraits {
    using Handle = HWND;
    static Handle None() { return nullptr; }
    // The system may have destroyed it with its owner already.
    static bool IsValid(Handle h) { return h != nullptr && IsWindow(h); }
    static void Close(Handle h) { DestroyWindow(h); }
};

using WindowHandle = UniqueHandle<WindowTraits>;

}  // namespace win
