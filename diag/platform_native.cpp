#include "diag/platform.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>

namespace diag {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

void InitializeLock(CriticalSection* lock) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&lock->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

void DeleteLock(CriticalSection* lock) { pthread_mutex_destroy(&lock->mutex); }
void EnterLock(CriticalSection* lock) { pthread_mutex_lock(&lock->mutex); }
void LeaveLock(CriticalSection* lock) { pthread_mutex_unlock(&lock->mutex); }

void InitTimeZone() { tzset(); }

LocalTime NowLocal() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    return LocalTime{local.tm_year + 1900,
                     local.tm_mon + 1,
                     local.tm_mday,
                     local.tm_hour,
                     local.tm_min,
                     local.tm_sec,
                     static_cast<int>(now.tv_nsec / 1000000)};
}

unsigned long CurrentThreadId() { return static_cast<unsigned long>(syscall(SYS_gettid)); }
unsigned long LastErrorCode() { return static_cast<unsigned long>(errno); }
void SetLastErrorCode(unsigned long code) { errno = static_cast<int>(code); }

// No debugger channel here.
void DebuggerOutput(const char*) {}

bool AppendToFile(const char* fileName, const char* data, std::size_t size) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName, "ab"));
    if (!file) return false;
    return std::fwrite(data, 1, size, file.get()) == size && std::fflush(file.get()) == 0;
}

}  // namespace diag
