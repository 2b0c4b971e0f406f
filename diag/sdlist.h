#pragma once
// SDList: a doubly linked list that owns opaque data blocks, with an optional
// outside lock and failures written to the debug log files.
//
// Data blocks are allocated by the caller with ::operator new(size) and freed
// by the list with ::operator delete; no destructor runs on them.

#include "diag/platform.h"

#include <cstddef>
#include <cstdint>
#include <unordered_set>

struct SDListNode {
    SDListNode* previous;  // null at the head
    SDListNode* next;      // null at the tail
    void* data;            // owned by the list
};

class SDList {
public:
    static constexpr std::size_t kNameSize = 30;

    SDList();
    // Attaches listLock as with SetLock; the list deletes it when destroyed.
    explicit SDList(diag::CriticalSection* listLock);
    ~SDList();
    SDList(const SDList&) = delete;
    SDList& operator=(const SDList&) = delete;

    // Initialises listLock and makes it the list lock; null changes nothing.
    bool SetLock(diag::CriticalSection* listLock);
    // Both false when no list lock is attached.
    bool Lock();
    bool Unlock();
    bool IsLocked() const { return locked != 0; }

    // Walk from here along "next"; no lock is taken.
    SDListNode* GetHead() const { return head; }
    SDListNode* GetTail() const { return tail; }
    int GetCount() const { return count; }

    // Empty by default; a non-empty name appears in brackets in log lines.
    void SetName(const char* text);
    const char* GetName() const { return name; }

    void AddHead(void* data);
    // Links data in front of position; at the head when position is the head
    // and bHead is set; after the tail when position is the tail.
    bool Insert(SDListNode* position, void* data, bool bHead);
    bool Delete(SDListNode* node);
    bool RemoveAll();

    void debugPrint(const char* fileName, const char* text);
    // Exception filter of the list operations: always 1 (run the handler).
    int debugPrintException(diag::FaultInfo* info);

private:
    bool Contains(const SDListNode* node) const;
    SDListNode* FindInsertFault(SDListNode* position, bool bHead) const;
    void Link(SDListNode* node, SDListNode* position, bool bHead);
    void Unlink(SDListNode* node);
    void ReportFault(const void* where);
    void FreeAll();

    SDListNode* head;
    SDListNode* tail;
    std::int32_t count;
    std::uint8_t locked;
    char name[kNameSize];
    diag::OwnedLock logLock;
    diag::CriticalSection* listLock;
    // The nodes linked in, so that telling ours from a stranger's costs no walk
    // of a long list.
    std::unordered_set<const SDListNode*> members;
};
