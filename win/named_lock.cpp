#include "win/named_lock.h"

namespace win {

NamedLock::NamedLock(const std::string& name, DWORD waitMs) : mutex(CreateMutexA(nullptr, FALSE, name.c_str())) {
    if (mutex) owned = Wait(waitMs);
}

NamedLock::~NamedLock() {
    Release();
    if (mutex) CloseHandle(mutex);
}

void NamedLock::Release() {
    if (owned) ReleaseMutex(mutex);
    owned = false;
}

// Messages sent to this thread's windows (OLE's own among them) are served
// meanwhile: the holder may be sending to every window while it waits.
bool NamedLock::Wait(DWORD waitMs) const {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        if (waited >= waitMs) return false;
        const DWORD wait = MsgWaitForMultipleObjects(1, &mutex, FALSE, waitMs - waited, QS_SENDMESSAGE);
        // Abandoned by a copy that ended while holding it: ours now all the same.
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED_0) return true;
        if (wait != WAIT_OBJECT_0 + 1) return false;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace win
