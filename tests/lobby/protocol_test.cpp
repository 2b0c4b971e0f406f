#include "lobby/protocol.h"

#include <gtest/gtest.h>

using namespace protocol;

TEST(Protocol, ControlMessageRangeIsExactly8828To9039) {
    EXPECT_FALSE(IsControlMessage(8827));
    EXPECT_TRUE(IsControlMessage(8828));
    EXPECT_TRUE(IsControlMessage(9039));
    EXPECT_FALSE(IsControlMessage(9040));
    EXPECT_FALSE(IsControlMessage(0));  // below the range wraps around, not in
    EXPECT_FALSE(IsControlMessage(0xFFFFFFFFu));
}

TEST(Protocol, MailboxNumbersReadLikeAtoi) {
    EXPECT_EQ(MailboxNumber(""), 0);
    EXPECT_EQ(MailboxNumber("abc"), 0);
    EXPECT_EQ(MailboxNumber("42"), 42);
    EXPECT_EQ(MailboxNumber("  -7x"), -7);
    EXPECT_EQ(MailboxNumber("12 34"), 12);
    // Out-of-range text must not be undefined behaviour.
    MailboxNumber("99999999999999999999999");
    MailboxNumber("-99999999999999999999999");
}

TEST(Protocol, LowByteCarriesTheFlag) {
    EXPECT_EQ(LowByte(0x100), 0);
    EXPECT_EQ(LowByte(0x101), 1);
    EXPECT_EQ(LowByte(static_cast<uintptr_t>(-1)), 0xFF);
}
