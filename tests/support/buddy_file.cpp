#include "tests/support/buddy_file.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace testsupport {

size_t DecodeBuddyFile(const std::string& bytes, SDList& buddies) {
    size_t loaded = 0;
    for (size_t at = 0; at + sizeof(BuddyRecord) <= bytes.size(); at += sizeof(BuddyRecord)) {
        const char* raw = bytes.data() + at;
        uint32_t bits = 0;
        for (int i = 0; i < 4; i++) bits |= static_cast<uint32_t>(static_cast<unsigned char>(raw[i])) << (8 * i);
        const char* nickname = raw + offsetof(BuddyRecord, nickname);
        BuddyRecord* record =
            NewBuddyRecord(static_cast<int32_t>(bits), std::string(nickname, strnlen(nickname, kBuddyNicknameMax)),
                           static_cast<uint8_t>(raw[offsetof(BuddyRecord, onlineFlag)]));
        if (!record || !buddies.Insert(buddies.GetTail(), record, false)) {
            ::operator delete(record);
            break;
        }
        ++loaded;
    }
    return loaded;
}

}  // namespace testsupport
