#include "lobby/mailbox.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "lobby/protocol.h"
#include "tests/support/testsupport.h"

namespace reg = testsupport::reg;

class MailboxTest : public ::testing::Test {
protected:
    void SetUp() override { reg::CleanSystemKeys(); }
    void TearDown() override { reg::CleanSystemKeys(); }
};

TEST_F(MailboxTest, MissingKeyGivesNoResultAndMissingValueEmptyText) {
    EXPECT_FALSE(ReadMailbox(protocol::kMailboxKey, "URL").has_value());
    ASSERT_TRUE(WriteMailbox(protocol::kMailboxKey, "BR_TEMP", "x"));
    EXPECT_EQ(ReadMailbox(protocol::kMailboxKey, "URL"), std::string());
}

TEST_F(MailboxTest, StoresStringWithoutTerminator) {
    ASSERT_TRUE(WriteMailbox(protocol::kMailboxKey, "BR_TEMP", "abc"));
    DWORD type = 0;
    auto raw = reg::ReadRaw(HKEY_LOCAL_MACHINE, protocol::kMailboxKey, "BR_TEMP", &type);
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(reg::StoredStringLength(HKEY_LOCAL_MACHINE, protocol::kMailboxKey, "BR_TEMP"), size_t(3));
    EXPECT_EQ(ReadMailbox(protocol::kMailboxKey, "BR_TEMP"), std::string("abc"));

    ASSERT_TRUE(WriteMailbox(protocol::kMailboxKey, "BR_TEMP", ""));
    EXPECT_EQ(ReadMailbox(protocol::kMailboxKey, "BR_TEMP"), std::string());
}

TEST_F(MailboxTest, LengthLimitIs259Characters) {
    const std::string fits(259, 'a');
    ASSERT_TRUE(WriteMailbox(protocol::kMailboxKey, "URL", fits));
    EXPECT_EQ(ReadMailbox(protocol::kMailboxKey, "URL"), fits);

    for (size_t length : {260u, 261u, 999u, 5000u}) {
        ASSERT_TRUE(WriteMailbox(protocol::kMailboxKey, "URL", std::string(length, 'b')));
        EXPECT_EQ(ReadMailbox(protocol::kMailboxKey, "URL"), std::string()) << length;
    }
    // Written by another program with its terminator, 259 characters still fit.
    ASSERT_TRUE(reg::WriteBytes(HKEY_LOCAL_MACHINE, protocol::kMailboxKey, "URL", REG_SZ, fits + '\0'));
    EXPECT_EQ(ReadMailbox(protocol::kMailboxKey, "URL"), fits);
}

TEST_F(MailboxTest, OtherValueTypesAreReadAsText) {
    ASSERT_TRUE(reg::WriteBytes(HKEY_LOCAL_MACHINE, protocol::kMailboxKey, "BR_TEMP1", REG_BINARY, "12"));
    EXPECT_EQ(ReadMailboxText("BR_TEMP1"), "12");
}

// The key stays open between reads: a key deleted, or deleted and made anew
// by the main client, must still read as it now is.
TEST_F(MailboxTest, AKeyDeletedOrMadeAnewReadsAsItNowIs) {
    ASSERT_TRUE(WriteMailbox(protocol::kMailboxKey, "BR_TEMP", "old"));
    ASSERT_EQ(ReadMailbox(protocol::kMailboxKey, "BR_TEMP"), std::string("old"));
    reg::CleanSystemKeys();
    EXPECT_FALSE(ReadMailbox(protocol::kMailboxKey, "BR_TEMP").has_value());
    ASSERT_TRUE(WriteMailbox(protocol::kMailboxKey, "BR_TEMP", "new"));
    EXPECT_EQ(ReadMailbox(protocol::kMailboxKey, "BR_TEMP"), std::string("new"));
    reg::CleanSystemKeys();
    ASSERT_TRUE(WriteMailbox(protocol::kMailboxKey, "BR_TEMP", "newer"));
    EXPECT_EQ(ReadMailbox(protocol::kMailboxKey, "BR_TEMP"), std::string("newer"));
    EXPECT_EQ(ReadMailbox(protocol::kMailboxKey, "URL"), std::string());
}
