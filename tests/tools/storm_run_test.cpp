// The storm against a stand-in browser that misbehaves in one way at a time:
// each fault must end the storm with its reason and a non-zero exit code.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/support/testsupport.h"

using namespace testsupport;

namespace {

struct StormResult {
    DWORD exitCode = 99;
    std::string output;
};

// Runs storm.exe to its end against the stand-in, its output in a file. Each
// run writes a file of its own: the last storm's may still be held open by
// that process on its way out.
StormResult RunStorm(const std::string& victim) {
    static int runs = 0;
    std::string dir = ScratchDir("storm_run" + std::to_string(++runs));
    std::string out = dir + "\\output.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = file;
    std::string exe = ProgramPath("tools\\storm", "storm.exe");
    std::string line =
        "\"" + exe + "\" --seed 5 --count 300 --browser \"" + ProgramPath("tests\\tools", "storm_victim.exe") + "\"";
    SetEnvironmentVariableA("STORM_VICTIM", victim.c_str());  // inherited by the storm and its browser
    PROCESS_INFORMATION info{};
    bool started =
        CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &startup, &info);
    CloseHandle(file);
    SetEnvironmentVariableA("STORM_VICTIM", nullptr);
    StormResult run;
    if (!started) return run;
    if (WaitForSingleObject(info.hProcess, 120000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 98);
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    run.output = ReadFile(out).value_or("");
    return run;
}

TEST(StormRun, EachFaultEndsTheStormWithItsReason) {
    struct Case {
        const char* victim;
        const char* reason;
    } cases[] = {
        {"fault:40", "the browser faulted: access violation (0xC0000005)"},
        {"exit:40", "the browser ended (exit code 3)"},
        {"box:40", "unexpected box \"Kaboom\""},
        {"answer:0", "unexpected box \"Kaboom\""},
        {"leak:20", "private memory grew by"},
        {"badfile:40", "buddylist.dat: 5 bytes are not whole records of 28"},
        {"badlog:40", "MB_ERR.LOG: line 1 is malformed: \"garbage\\r\\n\""},
    };
    for (const Case& c : cases) {
        StormResult run = RunStorm(c.victim);
        EXPECT_EQ(run.exitCode, 1u) << c.victim << "\n" << run.output;
        EXPECT_NE(run.output.find(std::string("FAILED (seed 5, at message ")), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.reason), std::string::npos) << c.victim << "\n" << run.output;
    }
    reg::CleanSystemKeys();
}

TEST(StormRun, AWellBehavedBrowserPasses) {
    StormResult run = RunStorm("");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("storm: seed 5, 300 messages"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("storm: passed: seed 5, 300 messages"), std::string::npos) << run.output;
    // The storm leaves no values behind in the registry.
    EXPECT_FALSE(reg::KeyExists(HKEY_LOCAL_MACHINE, reg::kVendorKey));
}

}  // namespace
