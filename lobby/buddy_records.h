// The buddy record, shared by the buddy list and the file buddylist.dat, and
// the lookups of the buddy list. Window-free, so both builds carry it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "diag/sdlist.h"

constexpr size_t kBuddyNicknameMax = 20;

// One record of the list and of the file: 28 bytes, user id little-endian.
struct BuddyRecord {
    int32_t userId;
    char nickname[kBuddyNicknameMax + 1];  // zero-terminated, zero-filled after
    uint8_t onlineFlag;                    // 0 offline, anything else online
    uint8_t reserved[2];
};
static_assert(sizeof(BuddyRecord) == 28, "buddylist.dat holds 28-byte records");
static_assert(offsetof(BuddyRecord, nickname) == 4 && offsetof(BuddyRecord, onlineFlag) == 25,
              "field offsets are part of the file format");

constexpr char kBuddyFileName[] = "buddylist.dat";

// A zero-filled record for the list to own, or null when the nickname does
// not fit its field (longer ones are refused, never cut into the next field).
BuddyRecord* NewBuddyRecord(int32_t userId, const std::string& nickname, uint8_t onlineFlag);

std::string BuddyNickname(const BuddyRecord& record);

// Linear walks in list order; the first match wins, comparisons are exact.
SDListNode* FindBuddyNode(const SDList& buddies, const std::string& nickname);
BuddyRecord* FindBuddy(const SDList& buddies, const std::string& nickname);
BuddyRecord* FindBuddy(const SDList& buddies, int32_t userId);

// The file's bytes: every record in list order, no header.
std::string EncodeBuddyFile(const SDList& buddies);
