#include "diag/sdlist.h"

#include "diag/debuglog.h"
#include "win/dbcs.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

std::uintptr_t Address(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

void FreeNode(SDListNode* node) {
    ::operator delete(node->data);
    delete node;
}

}  // namespace

SDList::SDList() : head(nullptr), tail(nullptr), count(0), locked(0), name{}, logLock(), listLock(nullptr) {}

SDList::SDList(diag::CriticalSection* lock) : SDList() { SetLock(lock); }

SDList::~SDList() {
    RemoveAll();
    if (listLock) diag::DeleteLock(listLock);
}

bool SDList::SetLock(diag::CriticalSection* lock) {
    if (lock) {
        listLock = lock;
        diag::InitializeLock(listLock);
    }
    return true;
}

bool SDList::Lock() {
    if (!listLock) return false;
    diag::EnterLock(listLock);
    locked = 1;
    return true;
}

bool SDList::Unlock() {
    if (!listLock) return false;
    locked = 0;
    diag::LeaveLock(listLock);
    return true;
}

void SDList::SetName(const char* text) {
    std::memset(name, 0, sizeof name);
    if (text) std::memcpy(name, text, dbcs::HeadLength(text, sizeof name - 1, dbcs::System()));
}

void SDList::AddHead(void* data) {
    if (data) Insert(head, data, true);
}

bool SDList::Insert(SDListNode* position, void* data, bool bHead) {
    if (!data) return false;
    if (!position && count > 0) return false;
    if (SDListNode* bad = FindInsertFault(position, bHead)) {
        ReportFault(bad);
        char text[diag::kLogLineSize];
        std::snprintf(text, sizeof text,
                      "Insert head=%" PRIXPTR " tail=%" PRIXPTR " list=%" PRIXPTR " Data=%" PRIXPTR " bHead=%d",
                      Address(head), Address(tail), Address(position), Address(data), bHead ? 1 : 0);
        debugPrint(diag::kListErrorLog, text);
        return false;
    }
    SDListNode* node = new (std::nothrow) SDListNode{nullptr, nullptr, data};
    if (!node) return false;
    Link(node, position, bHead);
    return true;
}

// The node at which linking would fail: a position that is not ours, or the
// head as a plain position in a longer list (it has no predecessor).
SDListNode* SDList::FindInsertFault(SDListNode* position, bool bHead) const {
    if (!position) return nullptr;
    if (!Contains(position)) return position;
    if (position == head && !bHead && position != tail) return position;
    return nullptr;
}

void SDList::Link(SDListNode* node, SDListNode* position, bool bHead) {
    members.insert(node);
    if (!head) {
        head = tail = node;
        count = 1;
        return;
    }
    if (position == head && bHead) {
        node->next = head;
        head->previous = node;
        head = node;
    } else if (position == tail) {
        node->previous = tail;
        tail->next = node;
        tail = node;
    } else {
        node->previous = position->previous;
        node->next = position;
        position->previous->next = node;
        position->previous = node;
    }
    ++count;
}

bool SDList::Delete(SDListNode* node) {
    if (!node || count < 1) return false;
    if (!Contains(node)) {
        ReportFault(node);
        char text[diag::kLogLineSize];
        std::snprintf(text, sizeof text, "Delete Data=%" PRIXPTR, Address(node));
        debugPrint(diag::kListErrorLog, text);
        return true;
    }
    Unlink(node);
    members.erase(node);
    FreeNode(node);
    if (--count == 0) head = tail = nullptr;
    return true;
}

void SDList::Unlink(SDListNode* node) {
    if (node == head) {
        head = node->next;
        if (head) head->previous = nullptr;
    } else if (node == tail) {
        tail = node->previous;
        tail->next = nullptr;
    } else {
        node->previous->next = node->next;
        node->next->previous = node->previous;
    }
}

bool SDList::RemoveAll() {
    Lock();
    if (count < 1) {
        Unlock();
        return false;
    }
    FreeAll();
    Unlock();
    return true;
}

void SDList::FreeAll() {
    for (SDListNode* node = head; node;) {
        SDListNode* next = node->next;
        FreeNode(node);
        node = next;
    }
    head = tail = nullptr;
    count = 0;
    members.clear();
}

bool SDList::Contains(const SDListNode* node) const { return members.count(node) != 0; }

void SDList::ReportFault(const void* where) {
    // Bad nodes are found by a membership check, not a fault, so the address
    // logged as "EIP" is that of the node at which the operation had to stop.
    diag::FaultRecord record{};
    record.ExceptionCode = diag::kAccessViolation;
    record.ExceptionAddress = const_cast<void*>(where);
    diag::FaultInfo info{&record, nullptr};
    debugPrintException(&info);
}

void SDList::debugPrint(const char* fileName, const char* text) {
    static const bool timeZoneReady = (diag::InitTimeZone(), true);
    (void)timeZoneReady;
    const diag::LogStamp stamp = diag::TakeStamp();
    if (!fileName) {
        diag::DebuggerOutput("debugPrint error");
        diag::SetLastErrorCode(stamp.errorCode);
        return;
    }
    const std::string line = diag::FormatLogLine(stamp, name, text);
    diag::DebuggerOutput(line.c_str());
    {
        diag::ScopedLock guard(logLock.Get());
        diag::AppendLogLine(fileName, line);
    }
    diag::SetLastErrorCode(stamp.errorCode);
}

int SDList::debugPrintException(diag::FaultInfo* info) {
    const diag::LogStamp stamp = diag::TakeStamp();
    if (!info || !info->ExceptionRecord || !info->ExceptionRecord->ExceptionAddress) return 1;
    const std::string body = diag::FormatFaultBody(info->ExceptionRecord->ExceptionAddress);
    const std::string line = diag::FormatLogLine(stamp, name, body.c_str());
    {
        diag::ScopedLock guard(logLock.Get());
        diag::AppendLogLine(diag::kListExceptionLog, line);
    }
    diag::SetLastErrorCode(stamp.errorCode);
    return 1;
}
