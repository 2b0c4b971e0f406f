// A named mutex held by this thread for a scope, or until Release: copies of
// one program take turns with it across processes.
#pragma once
#include <windows.h>

#include <string>

namespace win {

class NamedLock {
public:
    // Waits at most waitMs; a holder that hangs delays the others only this
    // long, and they then go on without the lock (Held() is false).
    NamedLock(const std::string& name, DWORD waitMs);
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;
    ~NamedLock();

    bool Held() const { return owned; }
    void Release();

private:
    bool Wait(DWORD waitMs) const;

    HANDLE mutex;
    bool owned = false;
};

}  // namespace win
