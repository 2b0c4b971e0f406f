// The buddy record's bytes, the file encoding and the list lookups.
#include <gtest/gtest.h>

#include <string>

#include "lobby/buddy_records.h"
#include "tests/support/buddy_file.h"

namespace {

using testsupport::DecodeBuddyFile;

TEST(BuddyRecord, TwentyCharacterNicknameStopsShortOfTheFlag) {
    const std::string nickname = "ABCDEFGHIJKLMNOPQRST";
    BuddyRecord* record = NewBuddyRecord(0x01020304, nickname, 0xA5);
    ASSERT_NE(record, nullptr);
    SDList list;
    list.AddHead(record);
    std::string bytes = EncodeBuddyFile(list);
    ASSERT_EQ(bytes.size(), 28u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(bytes.substr(4, 20), nickname);
    EXPECT_EQ(bytes[24], '\0');
    EXPECT_EQ(static_cast<unsigned char>(bytes[25]), 0xA5u);
    EXPECT_EQ(bytes.substr(26), std::string(2, '\0'));
}

TEST(BuddyRecord, ShortNicknameIsZeroFilledAndNegativeIdsKeepTheirBits) {
    SDList list;
    list.AddHead(NewBuddyRecord(-2, "P", 1));
    EXPECT_EQ(EncodeBuddyFile(list), std::string("\xFE\xFF\xFF\xFF"
                                                 "P",
                                                 5) +
                                         std::string(20, '\0') + "\x01" + std::string(2, '\0'));
}

TEST(BuddyRecord, RefusesWhatDoesNotFitTheField) {
    EXPECT_EQ(NewBuddyRecord(1, std::string(21, 'A'), 1), nullptr);
    EXPECT_EQ(NewBuddyRecord(1, std::string(300, 'A'), 1), nullptr);
    EXPECT_EQ(NewBuddyRecord(1, std::string("AB\0CD", 5), 1), nullptr);  // would read back as "AB"
    BuddyRecord* empty = NewBuddyRecord(1, "", 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(BuddyNickname(*empty), "");
    ::operator delete(empty);
}

TEST(BuddyLookup, ExactFirstMatchInListOrder) {
    SDList list;
    EXPECT_EQ(EncodeBuddyFile(list), "");
    list.AddHead(NewBuddyRecord(7, "ALPHA", 0));
    list.AddHead(NewBuddyRecord(8, "BETA", 1));
    list.AddHead(NewBuddyRecord(7, "GAMMA", 1));  // same id again, newer

    ASSERT_NE(FindBuddy(list, std::string("BETA")), nullptr);
    EXPECT_EQ(FindBuddy(list, std::string("BETA"))->userId, 8);
    for (const char* miss : {"beta", "BET", "BETAS", ""}) {
        EXPECT_EQ(FindBuddy(list, std::string(miss)), nullptr) << miss;
        EXPECT_EQ(FindBuddyNode(list, miss), nullptr) << miss;
    }
    ASSERT_NE(FindBuddy(list, 7), nullptr);
    EXPECT_EQ(BuddyNickname(*FindBuddy(list, 7)), "GAMMA");
    EXPECT_EQ(FindBuddy(list, 9), nullptr);
    EXPECT_EQ(FindBuddyNode(list, "ALPHA"), list.GetTail());
}

TEST(BuddyFile, LoadKeepsEveryWholeRecordAndSavesCleanOnes) {
    auto record = [](int32_t id, const std::string& field, char flag, const char* spare) {
        std::string bytes(reinterpret_cast<const char*>(&id), 4);  // the test host is little-endian
        return bytes + field + std::string(21 - field.size(), '\0') + flag + std::string(spare, 2);
    };
    const std::string clean = record(3, "R", 1, "\0\0") + record(-2, "ABCDEFGHIJKLMNOPQRST", '\xA5', "\0\0");
    struct Case {
        std::string file;
        std::string saved;
    };
    const Case cases[] = {
        {"", ""},
        {clean, clean},
        {clean + "\x07\0\0\0KOB", clean},  // a cut-off tail is dropped, the records before it stay
        {record(1, std::string("AB\0junk", 7), 0, "\x01\x02"), record(1, "AB", 0, "\0\0")},
        {record(2, std::string(21, 'U'), 7, "\0\0"), record(2, std::string(20, 'U'), 7, "\0\0")},
    };
    for (const Case& c : cases) {
        SDList list;
        EXPECT_EQ(DecodeBuddyFile(c.file, list), c.file.size() / 28);
        EXPECT_EQ(EncodeBuddyFile(list), c.saved);
        SDList again;
        DecodeBuddyFile(EncodeBuddyFile(list), again);
        EXPECT_EQ(EncodeBuddyFile(again), c.saved);
    }
}

}  // namespace
