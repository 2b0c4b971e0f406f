#include "lobby/startup.h"

#include <gtest/gtest.h>

using startup::FirstCommandLineToken;
using startup::FormWindowTitle;

TEST(WindowTitle, NameDefaultAndLongNames) {
    EXPECT_EQ(FormWindowTitle("Acme"), "Acme Browser");
    EXPECT_EQ(FormWindowTitle(""), "Quintara Poker Browser");

    std::string longest(41, 'n');
    EXPECT_EQ(FormWindowTitle(longest), longest + " Browser");
    EXPECT_EQ(FormWindowTitle(longest).size(), 49u);  // the title's whole room
    // Longer names are cut to the same title every time, so a second start finds the first.
    EXPECT_EQ(FormWindowTitle(longest + "tail"), longest + " Browser");
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
