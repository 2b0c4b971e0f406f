// The reference main client driving a real browser: its transcript is the
// conversation as the main client saw it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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

struct ClientRun {
    std::vector<std::string> lines;
    DWORD exitCode = 99;
};

// Runs mainclient.exe to its end with its standard output in a file, with
// `options` after the usual ones; `meanwhile` runs once it has started. The
// main client and the browser it starts share a job, so that one that does
// not end is stopped with it.
ClientRun RunMainClient(const std::string& dir, const std::string& scenario, const std::string& options = "",
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
                       "\" --scenario \"" + dir + "\\scenario.txt\" --pace 50 --exit-when-done" + options;
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
    ClientRun run;
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    CloseHandle(job);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    run.lines = Lines(ReadFile(out).value_or(""));
    return run;
}

class MainClientRun : public ::testing::Test {
protected:
    void SetUp() override { reg::CleanSystemKeys(); }
    void TearDown() override { reg::CleanSystemKeys(); }
};

TEST_F(MainClientRun, TellsTheStepsTheGreetingAndTheEnd) {
    std::string dir = ScratchDir("mainclient_greeting");
    ClientRun run = RunMainClient(dir, "myid 5\nonline 1\nlobby\ntick\n");
    auto at = [&run](const char* line) {
        return std::find(run.lines.begin(), run.lines.end(), line) - run.lines.begin();
    };
    EXPECT_LT(at("<- 9030 start notice"), at("<- 9031 second start notice"));
    EXPECT_LT(at("-> 9032 my id 5"), at("-> 9028 online"));
    EXPECT_LT(at("-> 9033 show the lobby"), at("-> WM_TIMER tick"));
    EXPECT_LT(at("-> WM_TIMER tick"), at("== scenario played"));
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back(),
              "== 4 steps played; 2 commands received (9030 start notice 1, 9031 second start notice 1); "
              "the browser's exit code 0");
    EXPECT_EQ(run.exitCode, 0u);
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
    ClientRun run =
        RunMainClient(dir, "login uno=42 uid=player\nopen " + site.Url("/open") + "\nwait 30000\n", " --raw", [&] {
            EXPECT_TRUE(site.WaitFor("POST", "/open"));
            PostMessageA(WaitForWindow("#32770", "Order Browser"), WM_CLOSE, 0, 0);
        });
    std::vector<testweb::HttpRequest> posts = site.RequestsTo("POST", "/open");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].body, "uno=42&part=7&uid=player&pwd=secret&hwinfo=HW1&sitekey=SK1&freesite=0&deviceid=DEV1");
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back(), "browser ended code=0");
}

// One line naming the fault, exit code 2, and no browser was started: it
// would have been given a main.ini.
TEST_F(MainClientRun, BadInputIsRefusedBeforeAnythingStarts) {
    std::string dir = ScratchDir("mainclient_bad");
    const std::pair<std::string, std::string> cases[] = {
        {"", dir + "\\scenario.txt: line 2: unknown step \"teleport\""},
        {" --scenario \"" + dir + "\\none.txt\"", dir + "\\none.txt: cannot read the scenario"},
        {" --pace soon", "error: --pace takes a whole number, not \"soon\"; usage: mainclient "},
        {" --colour", "error: unknown option \"--colour\"; usage: mainclient "},
    };
    for (const auto& [options, line] : cases) {
        ClientRun run = RunMainClient(dir, "myid 5\nteleport now\n", options);
        EXPECT_EQ(run.exitCode, 2u) << options;
        ASSERT_EQ(run.lines.size(), 1u) << options;
        EXPECT_EQ(run.lines[0].substr(0, line.size()), line);
        EXPECT_FALSE(ReadFile(dir + "\\main.ini").has_value()) << options;
    }
}

}  // namespace
