// Kernel file handles with an owner, and whole-file saves that never leave a
// half-written file behind.
#pragma once
#include <windows.h>

#include <string>

#include "win/unique_handle.h"

namespace win {

// Owns a handle from CreateFile; closes it when it goes.
struct FileTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};

using FileHandle = UniqueHandle<FileTraits>;

// Writes `bytes` to a temporary file beside `path`, then puts it in the place
// of `path` in one step. On any failure `path` keeps its old content and the
// temporary file is removed; the result is false.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace win
