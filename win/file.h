// Kernel file handles with an owner, and whole-file saves that never leave a
// half-written file behind.
#pragma once
#include <windows.h>

#include <string>

namespace win {

// Owns a handle from CreateFile; closes it when it goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle(handle) {}
    FileHandle(FileHandle&& other) noexcept : handle(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Reset(); }

    bool IsValid() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    HANDLE Get() const { return handle; }
    HANDLE Release() {
        HANDLE old = handle;
        handle = INVALID_HANDLE_VALUE;
        return old;
    }
    void Reset(HANDLE other = INVALID_HANDLE_VALUE) {
        if (IsValid()) CloseHandle(handle);
        handle = other;
    }

private:
    HANDLE handle;
};

// Writes `bytes` to a temporary file beside `path`, then puts it in the place
// of `path` in one step. On any failure `path` keeps its old content and the
// temporary file is removed; the result is false.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace win
