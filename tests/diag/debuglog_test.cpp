#include "diag/debuglog.h"
#include "diag/sdlist.h"
#include "tests/diag/scratch_dir.h"
#include "tests/support/code_pages.h"

#include <regex>
#include <thread>

namespace {

const diag::LogStamp kStamp{{2006, 12, 7, 3, 21, 5, 42}, 1508, 0};

// date, time, milliseconds, thread, optional [name], body, error code
const std::regex kLinePattern(
    R"(^(\d\d)/(\d\d)/(\d\d) (\d\d):(\d\d):(\d\d)-(\d{1,3}) TRD=(\d+) (\[([^\]]*)\] )?(.*) ERR=(-?\d+) \r\n$)");

TEST(LogLineFormat, FieldsInOrder) {
    struct Case {
        diag::LogStamp stamp;
        const char* name;
        const char* body;
        const char* expected;
    };
    const Case cases[] = {
        {kStamp, nullptr, "Delete Data=12AB40", "12/07/06 03:21:05-42 TRD=1508 Delete Data=12AB40 ERR=0 \r\n"},
        {kStamp, "", "x", "12/07/06 03:21:05-42 TRD=1508 x ERR=0 \r\n"},
        {kStamp, "lobby", "x", "12/07/06 03:21:05-42 TRD=1508 [lobby] x ERR=0 \r\n"},
        {{{2010, 1, 2, 23, 4, 9, 7}, 4, 183}, nullptr, "t", "01/02/10 23:04:09-7 TRD=4 t ERR=183 \r\n"},
        {{{1999, 11, 30, 0, 0, 0, 999}, 4, 2}, nullptr, nullptr, "11/30/99 00:00:00-999 TRD=4  ERR=2 \r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(diag::FormatLogLine(c.stamp, c.name, c.body), c.expected);
}

TEST(LogLineFormat, LongTextIsCutSoTheLineKeepsItsEnd) {
    const std::string longText(400, 'a');
    for (const char* name : {"", "buddies"}) {
        const std::string line = diag::FormatLogLine(kStamp, name, longText.c_str());
        EXPECT_EQ(line.size(), diag::kLogLineSize - 1) << name;
        EXPECT_EQ(line.substr(line.size() - 9), " ERR=0 \r\n") << name;
        EXPECT_TRUE(std::regex_match(line, kLinePattern)) << line;
    }
    // A text that just fits is kept whole.
    const std::string head = "12/07/06 03:21:05-42 TRD=1508 ";
    const std::string fitting(diag::kLogLineSize - 1 - head.size() - 9, 'b');
    EXPECT_EQ(diag::FormatLogLine(kStamp, nullptr, fitting.c_str()), head + fitting + " ERR=0 \r\n");
    // A double-byte character that would end one byte past the room goes whole.
    const std::string over = fitting.substr(1) + "\x83\x5C";
    EXPECT_EQ(diag::FormatLogLine(kStamp, nullptr, over.c_str(), codepage::Lead932),
              head + fitting.substr(1) + " ERR=0 \r\n");
}

using LogWriterTest = ScratchDirTest;

TEST_F(LogWriterTest, PlainWriterCreatesThenAppends) {
    ASSERT_FALSE(Exists("MB_ERR.LOG"));
    diag::SetLastErrorCode(5);
    debugPrint(diag::kLoginErrorLog, "Empty URL_UNO");
    EXPECT_EQ(diag::LastErrorCode(), 5u) << "the caller's error survives the write";
    debugPrint(diag::kLoginErrorLog, "Empty URL_PWD");

    const auto lines = ReadLines("MB_ERR.LOG");
    ASSERT_EQ(lines.size(), 2u);
    std::smatch fields;
    ASSERT_TRUE(std::regex_match(lines[0], fields, kLinePattern)) << lines[0];
    EXPECT_FALSE(fields[9].matched);
    EXPECT_EQ(fields[11], "Empty URL_UNO");
    EXPECT_EQ(fields[12], "5");
    EXPECT_EQ(std::stoul(fields[8]), diag::CurrentThreadId());
    EXPECT_LE(std::stoi(fields[7]), 999);
    ASSERT_TRUE(std::regex_match(lines[1], fields, kLinePattern)) << lines[1];
    EXPECT_EQ(fields[11], "Empty URL_PWD");
}

TEST_F(LogWriterTest, ListWriterCarriesTheNameOnlyWhenSet) {
    SDList list;
    list.debugPrint(diag::kListErrorLog, "first");
    list.SetName("buddies");
    list.debugPrint(diag::kListErrorLog, "second");
    list.SetName("a name much longer than the thirty bytes of its field");
    EXPECT_STREQ(list.GetName(), "a name much longer than the t");

    const auto lines = ReadLines("SDListErr.log");
    ASSERT_EQ(lines.size(), 2u);
    std::smatch fields;
    ASSERT_TRUE(std::regex_match(lines[0], fields, kLinePattern)) << lines[0];
    EXPECT_FALSE(fields[9].matched);
    ASSERT_TRUE(std::regex_match(lines[1], fields, kLinePattern)) << lines[1];
    EXPECT_EQ(fields[10], "buddies");
    EXPECT_EQ(fields[11], "second");
}

TEST_F(LogWriterTest, WritersOfTwoThreadsKeepEveryLineWhole) {
    // The plain writer takes no lock: as between processes, only the append
    // keeps one line from overwriting the other.
    auto write = [] {
        for (int i = 0; i < 400; i++) debugPrint(diag::kLoginErrorLog, "line");
    };
    std::thread first(write), second(write);
    first.join();
    second.join();
    const auto lines = ReadLines("MB_ERR.LOG");
    EXPECT_EQ(lines.size(), 800u);
    for (const std::string& line : lines) ASSERT_TRUE(std::regex_match(line, kLinePattern)) << line;
}

TEST_F(LogWriterTest, ExceptionWriterNeedsAFaultAddress) {
    SDList list;
    diag::FaultRecord record{};
    diag::FaultInfo noRecord{nullptr, nullptr};
    diag::FaultInfo noAddress{&record, nullptr};
    EXPECT_EQ(list.debugPrintException(nullptr), 1);
    EXPECT_EQ(list.debugPrintException(&noRecord), 1);
    EXPECT_EQ(list.debugPrintException(&noAddress), 1);
    EXPECT_FALSE(Exists("SDListDbg_Exception.log"));

    record.ExceptionAddress = reinterpret_cast<void*>(0x401a2c);
    diag::FaultInfo fault{&record, nullptr};
    list.SetName("lobby");
    EXPECT_EQ(list.debugPrintException(&fault), 1);
    const auto lines = ReadLines("SDListDbg_Exception.log");
    ASSERT_EQ(lines.size(), 1u);
    std::smatch fields;
    ASSERT_TRUE(std::regex_match(lines[0], fields, kLinePattern)) << lines[0];
    EXPECT_EQ(fields[10], "lobby");
    EXPECT_EQ(fields[11], "EIP=00401A2C");
}

}  // namespace
