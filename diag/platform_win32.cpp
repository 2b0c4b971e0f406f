#include "diag/platform.h"

#include <sys/timeb.h>
#include <time.h>

#include "win/file.h"

namespace diag {

void InitializeLock(CriticalSection* lock) { InitializeCriticalSection(lock); }
void DeleteLock(CriticalSection* lock) { DeleteCriticalSection(lock); }
void EnterLock(CriticalSection* lock) { EnterCriticalSection(lock); }
void LeaveLock(CriticalSection* lock) { LeaveCriticalSection(lock); }

void InitTimeZone() { _tzset(); }

LocalTime NowLocal() {
    // One reading for date, time and milliseconds, so they cannot straddle a second.
    __timeb64 now{};
    _ftime64(&now);
    tm local{};
    if (_localtime64_s(&local, &now.time) != 0) return LocalTime{1970, 1, 1, 0, 0, 0, 0};
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                     local.tm_min,         local.tm_sec,     now.millitm};
}

unsigned long CurrentThreadId() { return GetCurrentThreadId(); }
unsigned long LastErrorCode() { return GetLastError(); }
void SetLastErrorCode(unsigned long code) { SetLastError(code); }
void DebuggerOutput(const char* text) { OutputDebugStringA(text); }

bool AppendToFile(const char* fileName, const char* data, std::size_t size) {
    // Append access without write access: the system puts each write at the
    // end as one step, so that lines of several processes interleave whole
    // (a seek to the end and a write would let another line land between).
    // Some systems (Wine) still seek and write: a lock on a byte no log
    // reaches keeps every writer of every process out of the other's way.
    win::FileHandle file(CreateFileA(fileName, FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    OVERLAPPED turn{};
    turn.OffsetHigh = 0x7FFFFFFF;
    const bool locked = LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn) != FALSE;
    DWORD written = 0;
    const bool whole = WriteFile(file.Get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    if (locked) UnlockFileEx(file.Get(), 0, 1, 0, &turn);
    return whole;
}

}  // namespace diag
