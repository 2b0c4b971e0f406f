#include "lobby/protocol.h"

#include <gtest/gtest.h>

#include <utility>

using namespace protocol;

TEST(Protocol, ControlMessageRangeIsExactly8828To9039) {
    EXPECT_FALSE(IsControlMessage(8827));
    EXPECT_TRUE(IsControlMessage(8828));
    EXPECT_TRUE(IsControlMessage(9039));
    EXPECT_FALSE(IsControlMessage(9040));
    EXPECT_FALSE(IsControlMessage(0));  // below the range wraps around, not in
    EXPECT_FALSE(IsControlMessage(0xFFFFFFFFu));
}

TEST(Protocol, MailboxNumbersAreWholeDecimalTexts) {
    // Text with trailing letters is no number: "12x" once read as 12.
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0},      {"abc", 0}, {"42", 42}, {" -7 ", -7}, {"  -7x", 0}, {"12x", 0},
        {"12 34", 0}, {"-", 0},   {"+ ", 0},  {"1.5", 0},   {"-0", 0},    {"7\r\n", 7},
    };
    for (const auto& c : cases) EXPECT_EQ(MailboxNumber(c.first), c.second) << c.first;
}

TEST(Protocol, MailboxNumbersOutOfRangeReadAsTheNearestEnd) {
    const std::pair<const char*, int32_t> cases[] = {
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"33333333333", INT32_MAX},  // found by the fuzzer: it used to wrap
        {"4294967338", INT32_MAX},   // used to read as 42, another user's id
        {"99999999999999999999999", INT32_MAX},
        {"-99999999999999999999999", INT32_MIN},
        {"000000000000002147483647", INT32_MAX},
        {"\t\n\v\f\r 9", 9},
        {"+5", 5},
        {"- 5", 0},
        {"0x10", 0},
        {"99999999999999999999999x", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(MailboxNumber(c.first), c.second) << c.first;
}

TEST(Protocol, LowByteCarriesTheFlag) {
    EXPECT_EQ(LowByte(0x100), 0);
    EXPECT_EQ(LowByte(0x101), 1);
    EXPECT_EQ(LowByte(static_cast<uintptr_t>(-1)), 0xFF);
}

TEST(Protocol, OnlyTheBackAndForwardCodesNameAButton) {
    const std::pair<long, unsigned> cases[] = {{1, 9101}, {2, 9100}, {-1, 0}, {0, 0}, {3, 0}, {-2, 0}};
    for (const auto& c : cases) EXPECT_EQ(NavigationButtonOf(c.first), c.second) << c.first;
}
