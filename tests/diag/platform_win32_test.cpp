#include "diag/debuglog.h"
#include "diag/platform.h"
#include "diag/sdlist.h"
#include "tests/diag/scratch_dir.h"

#include <regex>

namespace {

using Win32SeamTest = ScratchDirTest;

TEST_F(Win32SeamTest, AppendKeepsContentAndSharesTheFile) {
    HANDLE seed = CreateFileA("seam.log", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(seed, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(seed, "old\r\n", 5, &written, nullptr);
    CloseHandle(seed);

    // A reader holding the file open, as a log viewer would, must not block appends.
    HANDLE reader = CreateFileA("seam.log", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(diag::AppendToFile("seam.log", "one\r\n", 5));
    EXPECT_TRUE(diag::AppendToFile("seam.log", "two\r\n", 5));
    CloseHandle(reader);
    EXPECT_EQ(ReadFile("seam.log"), "old\r\none\r\ntwo\r\n");

    EXPECT_FALSE(diag::AppendToFile("no-such-dir\\x.log", "x", 1));
}

TEST_F(Win32SeamTest, LineCarriesThreadAndLastError) {
    SDList list;
    SetLastError(1234);
    list.debugPrint(diag::kListErrorLog, "probe");
    EXPECT_EQ(GetLastError(), 1234u);

    const auto lines = ReadLines("SDListErr.log");
    ASSERT_EQ(lines.size(), 1u);
    static const std::regex pattern(R"(^\S+ \S+-\d+ TRD=(\d+) probe ERR=(\d+) \r\n$)");
    std::smatch fields;
    ASSERT_TRUE(std::regex_match(lines[0], fields, pattern)) << lines[0];
    EXPECT_EQ(std::stoul(fields[1]), GetCurrentThreadId());
    EXPECT_EQ(fields[2], "1234");
}

}  // namespace
