#pragma once
// The few operating-system services the log writers and SDList need. The
// Windows build implements them with KERNEL32, the native build with POSIX,
// so the formatting and list logic above them is the same in both.

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace diag {

#ifdef _WIN32
using CriticalSection = CRITICAL_SECTION;
using FaultRecord = EXCEPTION_RECORD;
using FaultInfo = EXCEPTION_POINTERS;
constexpr unsigned long kAccessViolation = EXCEPTION_ACCESS_VIOLATION;
#else
struct CriticalSection {
    pthread_mutex_t mutex;
};
// Same member names as the Win32 records, so one source reads both.
struct FaultRecord {
    unsigned long ExceptionCode;
    void* ExceptionAddress;
};
struct FaultInfo {
    ::diag::FaultRecord* ExceptionRecord;
    void* ContextRecord;
};
constexpr unsigned long kAccessViolation = 0xC0000005UL;
#endif

// Recursive, like a Win32 critical section.
void InitializeLock(CriticalSection* lock);
void DeleteLock(CriticalSection* lock);
void EnterLock(CriticalSection* lock);
void LeaveLock(CriticalSection* lock);

struct LocalTime {
    int year;   // full year, e.g. 2006
    int month;  // 1..12
    int day;
    int hour;  // 0..23
    int minute;
    int second;
    int millisecond;  // 0..999
};

void InitTimeZone();
LocalTime NowLocal();
unsigned long CurrentThreadId();
unsigned long LastErrorCode();
void SetLastErrorCode(unsigned long code);
void DebuggerOutput(const char* text);
// Opens fileName (relative names resolve against the current directory),
// creating it if missing, and writes data at its end. False when it could
// not be opened or written.
bool AppendToFile(const char* fileName, const char* data, std::size_t size);

// Owns a critical section for its whole life.
class OwnedLock {
public:
    OwnedLock() : section{} { InitializeLock(&section); }
    ~OwnedLock() { DeleteLock(&section); }
    OwnedLock(const OwnedLock&) = delete;
    OwnedLock& operator=(const OwnedLock&) = delete;
    CriticalSection* Get() { return &section; }

private:
    CriticalSection section;
};

class ScopedLock {
public:
    explicit ScopedLock(CriticalSection* lock) : lock(lock) { EnterLock(lock); }
    ~ScopedLock() { LeaveLock(lock); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection* lock;
};

}  // namespace diag
