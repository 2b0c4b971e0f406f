// buddylist.dat from any bytes: loading keeps every whole record, saving what
// was loaded gives whole records that load back to the same list, and the
// browser's adds, deletes and status changes on the loaded buddies match a
// plain model of the list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lobby/buddy_records.h"
#include "tests/support/buddy_file.h"

namespace {

using testsupport::DecodeBuddyFile;

constexpr size_t kRecord = 28;

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Buddy {
    int32_t id;
    std::string nickname;
    uint8_t flag;
};

// What a whole record of the file says, read field by field.
Buddy ReadRecord(const std::string& bytes, size_t at) {
    uint32_t bits = 0;
    for (int i = 3; i >= 0; i--) bits = bits << 8 | static_cast<unsigned char>(bytes[at + i]);
    std::string nickname = bytes.substr(at + 4, 20);
    return Buddy{static_cast<int32_t>(bits), nickname.substr(0, nickname.find('\0')),
                 static_cast<uint8_t>(bytes[at + 25])};
}

std::string Encode(const std::vector<Buddy>& buddies) {
    std::string bytes;
    for (const Buddy& b : buddies) {
        for (int i = 0; i < 4; i++) bytes += static_cast<char>(static_cast<uint32_t>(b.id) >> (8 * i));
        bytes += b.nickname + std::string(21 - b.nickname.size(), '\0');
        bytes += static_cast<char>(b.flag);
        bytes += std::string(2, '\0');
    }
    return bytes;
}

const BuddyRecord& At(const SDListNode* node) { return *static_cast<const BuddyRecord*>(node->data); }

// Adds, deletes and status changes as the browser makes them, each chosen by a
// spare byte of a record, beside the same changes on the model.
void PlayBrowser(const std::string& file, const std::vector<Buddy>& loaded) {
    SDList list;
    std::vector<Buddy> model;  // head first
    auto add = [&](const Buddy& b) {
        if (FindBuddy(list, b.nickname)) return;
        list.AddHead(NewBuddyRecord(b.id, b.nickname, b.flag));
        model.insert(model.begin(), b);
    };
    for (size_t i = loaded.size(); i-- > 0;) add(loaded[i]);  // oldest first, as they were added
    for (size_t i = 0; i < loaded.size(); i++) {
        const Buddy& b = loaded[i];
        const auto choice = static_cast<unsigned char>(file[i * kRecord + 26]);
        if (choice % 4 == 1) {
            if (SDListNode* node = FindBuddyNode(list, b.nickname)) list.Delete(node);
            for (size_t m = 0; m < model.size(); m++)
                if (model[m].nickname == b.nickname) {
                    model.erase(model.begin() + static_cast<long>(m));
                    break;
                }
        } else if (choice % 4 == 2) {
            const auto flag = static_cast<uint8_t>(file[i * kRecord + 27]);
            if (BuddyRecord* record = FindBuddy(list, b.id)) record->onlineFlag = flag;
            for (Buddy& m : model)
                if (m.id == b.id) {
                    m.flag = flag;
                    break;
                }
        } else if (choice % 4 == 3) {
            add(Buddy{b.id ^ 1, b.nickname, b.flag});  // a second buddy of that name is refused
        }
    }
    Check(list.GetCount() == static_cast<int>(model.size()));
    Check(EncodeBuddyFile(list) == Encode(model));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    std::vector<Buddy> expected;
    for (size_t at = 0; at + kRecord <= file.size(); at += kRecord) expected.push_back(ReadRecord(file, at));

    SDList loaded;
    Check(DecodeBuddyFile(file, loaded) == expected.size());
    Check(loaded.GetCount() == static_cast<int>(expected.size()));
    size_t i = 0;
    for (const SDListNode* node = loaded.GetHead(); node; node = node->next, i++) {
        Check(At(node).userId == expected[i].id && BuddyNickname(At(node)) == expected[i].nickname &&
              At(node).onlineFlag == expected[i].flag);
    }

    // Saved, it is whole records that differ from the file's only where the
    // writer puts zeros: after the nickname and in the spare bytes.
    const std::string saved = EncodeBuddyFile(loaded);
    Check(saved == Encode(expected) && saved.size() == file.size() / kRecord * kRecord);
    for (size_t at = 0; at < saved.size(); at += kRecord) {
        size_t kept = 4 + expected[at / kRecord].nickname.size();
        Check(saved.compare(at, kept, file, at, kept) == 0 && saved[at + 25] == file[at + 25]);
        Check(saved.find_first_not_of('\0', at + kept) >= at + 25 && saved.compare(at + 26, 2, "\0\0", 2) == 0);
    }
    SDList again;
    Check(DecodeBuddyFile(saved, again) == expected.size() && EncodeBuddyFile(again) == saved);

    PlayBrowser(file, expected);
    return 0;
}
