#include "lobby/startup.h"

#include <gtest/gtest.h>

#include "tests/support/code_pages.h"

using startup::FirstCommandLineToken;
using startup::FormWindowTitle;

TEST(WindowTitle, NameDefaultAndLongNames) {
    EXPECT_EQ(FormWindowTitle("Acme", nullptr), "Acme Browser");
    EXPECT_EQ(FormWindowTitle("", nullptr), "Quintara Poker Browser");

    std::string longest(41, 'n');
    EXPECT_EQ(FormWindowTitle(longest, nullptr), longest + " Browser");
    EXPECT_EQ(FormWindowTitle(longest, nullptr).size(), 49u);
    // Longer names are cut to the same title every time, so a second start finds the first.
    EXPECT_EQ(FormWindowTitle(longest + "tail", nullptr), longest + " Browser");
    // Never inside a double-byte character: 40 letters and "ソ" (83 5C) keep the 40.
    const std::string forty(40, 'n');
    EXPECT_EQ(FormWindowTitle(forty + "\x83\x5C", codepage::Lead932), forty + " Browser");
    EXPECT_EQ(FormWindowTitle(forty + "\x83\x5C", codepage::Lead936), forty + " Browser");
}

TEST(CommandLineToken, FirstBlankSeparatedRun) {
    struct Case {
        const char* line;
        const char* token;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"word1", "word1"},
        {"word1 word2", "word1"},
        {"  lead trail ", "lead"},
        {"\"quoted arg\" x", "\"quoted"},  // no quoting rules
        {"tab\tsep x", "tab\tsep"},        // only the blank separates
        {"http://h/p?a=1&b=2 more", "http://h/p?a=1&b=2"},
    };
    for (const Case& c : cases) EXPECT_EQ(FirstCommandLineToken(c.line), c.token) << "line: " << c.line;
}
