// Cuts and separator searches against the lead-byte rules of the double-byte
// code pages, where a character's second byte can be '\\' or '|'.
#include "win/dbcs.h"

#include <gtest/gtest.h>

#include "tests/support/code_pages.h"

namespace {

using codepage::Lead932;
using codepage::Lead936;
constexpr size_t npos = std::string::npos;

TEST(Dbcs, CutsAndSearchesWalkWholeCharacters) {
    struct Case {
        const char* text;
        dbcs::LeadByteTest lead;
        size_t max, head;       // HeadLength(text, max)
        char c;
        size_t first, last;     // Find(text, c, 0), FindLast(text, c)
    } cases[] = {
        // "C:\Games\ソ": the last character ends in 5C, the last separator is the one before it.
        {"C:\\Games\\\x83\x5C", Lead932, 10, 9, '\\', 2, 8},
        {"C:\\Games\\\x83\x5C", nullptr, 10, 10, '\\', 2, 10},
        // "ポチ" (83 7C 83 60) holds no bar of its own.
        {"\x83|\x83\x60", Lead932, 3, 2, '|', npos, npos},
        {"a|\x83|", Lead936, 3, 2, '|', 1, 1},
        // A1-DF stand alone in 932 and start a character in 936.
        {"\xB1\\z", Lead932, 1, 1, '\\', 1, 1},
        {"\xB1\\z", Lead936, 1, 0, '\\', npos, npos},
        // A lead byte with nothing after it is a character of its own.
        {"ab\x83", Lead932, 3, 3, '\\', npos, npos},
        {"", Lead932, 0, 0, '\\', npos, npos},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(c.text)) + (c.lead == Lead932 ? " 932" : " 936/none"));
        EXPECT_EQ(dbcs::HeadLength(c.text, c.max, c.lead), c.head);
        EXPECT_EQ(dbcs::Cut(c.text, c.max, c.lead), std::string(c.text).substr(0, c.head));
        EXPECT_EQ(dbcs::Find(c.text, c.c, 0, c.lead), c.first);
        EXPECT_EQ(dbcs::FindLast(c.text, c.c, c.lead), c.last);
    }
}

}  // namespace
