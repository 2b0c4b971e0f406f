// The browser run under a debugger of the storm's own. A fault inside a window
// procedure is swallowed by the message dispatch (by Wine, and by Windows for
// 32-bit programs), so the browser lives on and only a debugger sees it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/testsupport.h"

namespace storm {

class FaultWatch {
public:
    FaultWatch();
    ~FaultWatch();  // end the process first: the watch lasts as long as it does
    FaultWatch(const FaultWatch&) = delete;
    FaultWatch& operator=(const FaultWatch&) = delete;

    // Starts the program under the watch; a debugger must be the thread that
    // starts its debuggee, so the watch's own thread starts it.
    bool Start(testsupport::Process& process, const std::string& exe, const std::string& dir);
    // The faults seen since the last call, one line each.
    std::vector<std::string> TakeFaults();

private:
    static DWORD WINAPI Run(void* self);
    void Watch();
    void Record(const EXCEPTION_DEBUG_INFO& info);

    testsupport::Process* process = nullptr;
    std::string exe;
    std::string dir;
    bool started = false;
    HANDLE startedEvent;
    HANDLE thread = nullptr;
    HANDLE debuggee = nullptr;
    uintptr_t imageBase = 0;
    uintptr_t imageEnd = 0;
    CRITICAL_SECTION lock;
    std::vector<std::string> faults;
};

}  // namespace storm
