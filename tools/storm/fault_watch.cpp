#include "tools/storm/fault_watch.h"

#include <cinttypes>
#include <cstdio>

namespace storm {

namespace {

struct FaultName {
    DWORD code;
    const char* name;
};
// Faults of the program's own making; the loader's breakpoint, debugger
// output and the exceptions of remote calls are not among them.
const FaultName kFaults[] = {
    {EXCEPTION_ACCESS_VIOLATION, "access violation"},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, "array bounds exceeded"},
    {EXCEPTION_DATATYPE_MISALIGNMENT, "misaligned data"},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, "floating-point division by zero"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, "integer division by zero"},
    {EXCEPTION_INT_OVERFLOW, "integer overflow"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, "illegal instruction"},
    {EXCEPTION_PRIV_INSTRUCTION, "privileged instruction"},
    {EXCEPTION_STACK_OVERFLOW, "stack overflow"},
    {EXCEPTION_IN_PAGE_ERROR, "in-page error"},
    {0xC0000374, "heap corruption"},
    {0xC0000409, "stack buffer overrun"},
};

// SizeOfImage from the debuggee's own PE headers.
uintptr_t ImageSize(HANDLE process, uintptr_t base) {
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS32 nt{};
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(base), &dos, sizeof dos, nullptr)) return 0;
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(base + dos.e_lfanew), &nt, sizeof nt, nullptr)) return 0;
    return nt.OptionalHeader.SizeOfImage;
}

}  // namespace

FaultWatch::FaultWatch() : startedEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&lock);
}

FaultWatch::~FaultWatch() {
    if (thread) {
        if (WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0) TerminateThread(thread, 1);
        CloseHandle(thread);
    }
    CloseHandle(startedEvent);
    DeleteCriticalSection(&lock);
}

bool FaultWatch::Start(testsupport::Process& target, const std::string& program, const std::string& folder) {
    process = &target;
    exe = program;
    dir = folder;
    thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    if (!thread) return false;
    WaitForSingleObject(startedEvent, INFINITE);
    return started;
}

DWORD WINAPI FaultWatch::Run(void* self) {
    static_cast<FaultWatch*>(self)->Watch();
    return 0;
}

void FaultWatch::Watch() {
    started = process->Start(exe, "", dir, DEBUG_ONLY_THIS_PROCESS);
    debuggee = process->Handle();
    SetEvent(startedEvent);
    if (!started) return;
    for (;;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, INFINITE)) return;
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            imageBase = reinterpret_cast<uintptr_t>(event.u.CreateProcessInfo.lpBaseOfImage);
            imageEnd = imageBase + ImageSize(debuggee, imageBase);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXCEPTION_DEBUG_EVENT:
            // The program's own handlers, and the dispatch's, see it as always.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                status = DBG_EXCEPTION_NOT_HANDLED;
                Record(event.u.Exception);
            }
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) return;
    }
}

void FaultWatch::Record(const EXCEPTION_DEBUG_INFO& info) {
    const EXCEPTION_RECORD& record = info.ExceptionRecord;
    const char* name = nullptr;
    for (const FaultName& fault : kFaults)
        if (fault.code == record.ExceptionCode) name = fault.name;
    if (!name) return;
    auto address = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
    char line[160];
    if (address >= imageBase && address < imageEnd) {
        std::snprintf(line, sizeof line, "%s (0x%08lX) at browser.exe+0x%X", name, record.ExceptionCode,
                      static_cast<unsigned>(address - imageBase));
    } else {
        std::snprintf(line, sizeof line, "%s (0x%08lX) at 0x%08" PRIXPTR ", outside browser.exe", name,
                      record.ExceptionCode, address);
    }
    std::string text = line;
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        std::snprintf(line, sizeof line, ", %s 0x%08" PRIXPTR, record.ExceptionInformation[0] ? "writing" : "reading",
                      static_cast<uintptr_t>(record.ExceptionInformation[1]));
        text += line;
    }
    if (!info.dwFirstChance) text += ", not handled";
    EnterCriticalSection(&lock);
    faults.push_back(text);
    LeaveCriticalSection(&lock);
}

std::vector<std::string> FaultWatch::TakeFaults() {
    EnterCriticalSection(&lock);
    std::vector<std::string> taken;
    taken.swap(faults);
    LeaveCriticalSection(&lock);
    return taken;
}

}  // namespace storm
