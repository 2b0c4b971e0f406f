#include "lobby/buddy_records.h"

#include <cstring>
#include <new>

namespace {
BuddyRecord* RecordOf(const SDListNode* node) { return static_cast<BuddyRecord*>(node->data); }

void PutLittleEndian(char* out, int32_t value) {
    auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; i++) out[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}
}  // namespace

BuddyRecord* NewBuddyRecord(int32_t userId, const std::string& nickname, uint8_t onlineFlag) {
    if (nickname.size() > kBuddyNicknameMax || nickname.find('\0') != std::string::npos) return nullptr;
    void* block = ::operator new(sizeof(BuddyRecord), std::nothrow);
    if (!block) return nullptr;
    std::memset(block, 0, sizeof(BuddyRecord));
    auto* record = static_cast<BuddyRecord*>(block);
    record->userId = userId;
    std::memcpy(record->nickname, nickname.data(), nickname.size());
    record->onlineFlag = onlineFlag;
    return record;
}

std::string BuddyNickname(const BuddyRecord& record) {
    return std::string(record.nickname, strnlen(record.nickname, sizeof record.nickname));
}

SDListNode* FindBuddyNode(const SDList& buddies, const std::string& nickname) {
    for (SDListNode* node = buddies.GetHead(); node; node = node->next) {
        if (BuddyNickname(*RecordOf(node)) == nickname) return node;
    }
    return nullptr;
}

BuddyRecord* FindBuddy(const SDList& buddies, const std::string& nickname) {
    SDListNode* node = FindBuddyNode(buddies, nickname);
    return node ? RecordOf(node) : nullptr;
}

BuddyRecord* FindBuddy(const SDList& buddies, int32_t userId) {
    for (SDListNode* node = buddies.GetHead(); node; node = node->next) {
        if (RecordOf(node)->userId == userId) return RecordOf(node);
    }
    return nullptr;
}

std::string EncodeBuddyFile(const SDList& buddies) {
    std::string bytes;
    for (SDListNode* node = buddies.GetHead(); node; node = node->next) {
        char raw[sizeof(BuddyRecord)];
        std::memcpy(raw, RecordOf(node), sizeof raw);
        PutLittleEndian(raw, RecordOf(node)->userId);  // the file is little-endian on any host
        bytes.append(raw, sizeof raw);
    }
    return bytes;
}
