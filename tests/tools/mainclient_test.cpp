// The reference main client driving a real browser: its transcript is the
// conversation as the main client saw it.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <sstream>

#include "tests/support/testsupport.h"
#include "tests/web/http_recorder.h"

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

// Runs mainclient.exe to its end with its standard output in a file;
// `meanwhile` runs once it has started. The main client and the browser it
// starts share a job, so that one that does not end is stopped with it.
std::vector<std::string> RunMainClient(const std::string& dir, const std::string& scenario,
                                       const std::function<void()>& meanwhile = {}) {
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
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    bool started = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                  dir.c_str(), &startup, &info);
    CloseHandle(file);
    if (!started) {
        CloseHandle(job);
        return {};
    }
    AssignProcessToJobObject(job, info.hProcess);
    ResumeThread(info.hThread);
    if (meanwhile) meanwhile();
    if (!PumpUntil([&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }, 60000)) {
        ADD_FAILURE() << "the main client did not end; stopped with its browser";
        TerminateJobObject(job, 1);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(job);
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
    testweb::HttpRecorder site;
    ASSERT_TRUE(site.Start());
    std::string dir = ScratchDir("mainclient_open");
    WriteFile(dir + "\\main.ini", "[main]\r\nname=Order\r\n[URL]\r\nHOMEPAGE=" + site.Url("/home") + "\r\n");
    // The browser reads the form while it handles the open, so what it posts
    // is what the main client had written before it asked: its own values
    // with the scenario's in their place.
    std::vector<std::string> lines =
        RunMainClient(dir, "login uno=42 uid=player\nopen " + site.Url("/open") + "\nwait 30000\n", [&] {
            EXPECT_TRUE(site.WaitFor("POST", "/open"));
            PostMessageA(WaitForWindow("#32770", "Order Browser"), WM_CLOSE, 0, 0);
        });
    std::vector<testweb::HttpRequest> posts = site.RequestsTo("POST", "/open");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].body, "uno=42&part=7&uid=player&pwd=secret&hwinfo=HW1&sitekey=SK1&freesite=0&deviceid=DEV1");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "browser ended code=0");
}

TEST_F(MainClientRun, BadScenarioIsRefusedBeforeAnythingStarts) {
    std::string dir = ScratchDir("mainclient_bad");
    std::vector<std::string> lines = RunMainClient(dir, "myid 5\nteleport now\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "error scenario line 2: unknown step \"teleport\"");
    EXPECT_TRUE(TopLevelWindows(0, "KORVEL_SEXYMAN").empty());
}

}  // namespace
