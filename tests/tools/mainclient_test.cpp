// The reference main client driving a real browser: its transcript is the
// conversation as the main client saw it.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "tests/support/testsupport.h"

using namespace testsupport;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Runs mainclient.exe to its end with its standard output in a file.
std::vector<std::string> RunMainClient(const std::string& dir, const std::string& scenario) {
    WriteFile(dir + "\\scenario.txt", scenario);
    std::string out = dir + "\\transcript.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = file;
    std::string exe = ProgramPath("tools\\mainclient", "mainclient.exe");
    std::string line = "\"" + exe + "\" --browser \"" + ProgramPath("app", "browser.exe") + "\" --workdir \"" + dir +
                       "\" --scenario \"" + dir + "\\scenario.txt\" --pace 50 --exit-when-done";
    PROCESS_INFORMATION info{};
    bool started =
        CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &startup, &info);
    CloseHandle(file);
    if (!started) return {};
    if (WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return Lines(ReadFile(out).value_or(""));
}

std::vector<std::string> Commands(const std::vector<std::string>& lines) {
    std::vector<std::string> commands;
    for (const std::string& line : lines)
        if (line.rfind("command ", 0) == 0) commands.push_back(line);
    return commands;
}

class MainClientRun : public ::testing::Test {
protected:
    void SetUp() override { reg::CleanSystemKeys(); }
    void TearDown() override { reg::CleanSystemKeys(); }
};

TEST_F(MainClientRun, GreetingComesFirstAndTheBrowserEndsCleanly) {
    std::string dir = ScratchDir("mainclient_greeting");
    std::vector<std::string> lines = RunMainClient(dir, "myid 5\nonline 1\nlobby\ntick\n");
    std::vector<std::string> commands = Commands(lines);
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0], "command 9030 lParam=0");
    EXPECT_EQ(commands[1], "command 9031 lParam=0");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "browser ended code=0");
    // The main client leaves main.ini for the browser when the folder has none.
    EXPECT_TRUE(ReadFile(dir + "\\main.ini").has_value());
}

TEST_F(MainClientRun, WritesLoginValuesBeforeOpeningAnAddress) {
    std::string dir = ScratchDir("mainclient_open");
    RunMainClient(dir, "login uno=42 uid=player\nopen http://127.0.0.1:9/none\n");
    // The browser consumes what it was sent; the main client wrote every field first.
    for (const char* name : {"URL", "URL_UNO", "URL_PART", "URL_UID", "URL_PWD", "URL_HWINFO", "URL_SITEKEY",
                             "URL_FREESITE", "URL_DEVICEID"})
        EXPECT_TRUE(reg::ReadMailbox(name).has_value()) << name;
}

TEST_F(MainClientRun, BadScenarioIsRefusedBeforeAnythingStarts) {
    std::string dir = ScratchDir("mainclient_bad");
    std::vector<std::string> lines = RunMainClient(dir, "myid 5\nteleport now\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "error scenario line 2: unknown step \"teleport\"");
    EXPECT_TRUE(TopLevelWindows(0, "KORVEL_SEXYMAN").empty());
}

}  // namespace
