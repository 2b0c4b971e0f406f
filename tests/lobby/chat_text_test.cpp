// The chat's text rules: what a full display drops for a new line, and when
// typed text is a line to send.
#include <gtest/gtest.h>

#include <string>

#include "lobby/chat_text.h"

namespace {

// `count` lines of `width` characters, each ending with CR LF.
std::string Lines(size_t count, size_t width) {
    std::string line(width - 2, 'x');
    std::string text;
    for (size_t i = 0; i < count; i++) text += line + "\r\n";
    return text;
}

struct Append {
    const char* what;
    std::string display;
    size_t newLength;
    size_t dropDisplay;
    size_t dropNew;
};

TEST(ChatText, FullDisplaysDropTheFewestLeadingLines) {
    const Append cases[] = {
        {"fits", Lines(4999, 10), 9, 0, 0},
        {"fits exactly", Lines(4999, 10) + "123456789", 0, 0, 0},
        // 49,990 + 20 is 50,010: the first break at i > 11 is the one at 18.
        {"whole lines only", Lines(4999, 10), 20, 20, 0},
        {"two lines", Lines(4999, 10), 30, 30, 0},
        {"a long first line goes whole", std::string(30000, 'y') + "\r\n" + Lines(1999, 10), 100, 30002, 0},
        {"no line break: the oldest characters", std::string(49990, 'z'), 20, 11, 0},
        {"a line break is not split", "abc\r\n" + std::string(49994, 'z'), 4, 5, 0},
        {"the text alone is too long", Lines(10, 10), 50010, 100, 11},
        {"a break too early to help", "\r\n" + std::string(49997, 'z'), 5, 5, 0},
    };
    for (const Append& c : cases) {
        chat::Trim trim = chat::PlanAppend(c.display, std::string(c.newLength, 'n'));
        EXPECT_EQ(trim.dropDisplay, c.dropDisplay) << c.what;
        EXPECT_EQ(trim.dropNew, c.dropNew) << c.what;
        EXPECT_LE(c.display.size() - trim.dropDisplay + c.newLength - trim.dropNew, chat::kDisplayLimit) << c.what;
    }
}

TEST(ChatText, NoCutSplitsADoubleByteCharacter) {
    auto isLead = [](unsigned char byte) { return byte >= 0x81; };
    std::string pairs;
    for (int i = 0; i < 25005; i++) pairs += "\x82\xA0";
    const struct {
        std::string display, newText;
        size_t dropDisplay, dropNew;
    } cases[] = {
        {"a" + pairs.substr(0, 49990), std::string(20, 'n'), 13, 0},  // byte 12 ends a character
        {pairs.substr(0, 49990), std::string(21, 'n'), 12, 0},        // byte 12 starts one
        {Lines(10, 10), pairs, 100, 12},                               // the text alone is too long
    };
    for (const auto& c : cases) {
        chat::Trim trim = chat::PlanAppend(c.display, c.newText, isLead);
        EXPECT_EQ(trim.dropDisplay, c.dropDisplay) << c.display.size();
        EXPECT_EQ(trim.dropNew, c.dropNew) << c.display.size();
    }
}

TEST(ChatText, EnterEndsALine) {
    const std::string full = std::string(97, 'q') + "\r\n";
    const struct {
        std::string input;
        bool ended;
        std::string line;
    } cases[] = {
        {"", false, ""},
        {"a", false, ""},
        {"ab", false, ""},
        {"ab\r\n", true, "ab\r\n"},
        {full, true, full},
        {"\r\n", true, ""},         // Enter alone: emptied, nothing to send
        {"\r\nab\r\n", true, ""},  // a text that starts with a break is not sent
        {"a\r\nb", false, ""},     // Enter in the middle of the text
    };
    for (const auto& c : cases) {
        std::optional<std::string> line = chat::TypedLine(c.input);
        EXPECT_EQ(line.has_value(), c.ended) << c.input;
        if (line) {
            EXPECT_EQ(*line, c.line) << c.input;
        }
    }
}

}  // namespace
