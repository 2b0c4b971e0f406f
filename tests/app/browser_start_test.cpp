// Start-up of browser.exe across real processes: the title from main.ini and
// the hand-off of the command line to a copy that is already running.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/support/testsupport.h"
#include "tests/web/http_recorder.h"

using namespace testsupport;

namespace {

const unsigned kOpenMailboxUrl = 8830;

std::string BrowserExe() { return ProgramPath("app", "browser.exe"); }

// Stands in for a running copy: a dialog window with a browser title that
// records each 8830 with the "URL" value it finds.
class FakeRunningCopy {
public:
    explicit FakeRunningCopy(const std::string& title) {
        hwnd = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &tpl.dialog, nullptr, Proc,
                                          reinterpret_cast<LPARAM>(this));
        SetWindowTextA(hwnd, title.c_str());
    }
    ~FakeRunningCopy() { DestroyWindow(hwnd); }
    std::vector<std::string> urlsReceived;

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT msg, WPARAM, LPARAM lp) {
        if (msg == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lp);
        auto* self = reinterpret_cast<FakeRunningCopy*>(GetWindowLongPtrA(window, DWLP_USER));
        if (self && msg == kOpenMailboxUrl) self->urlsReceived.push_back(reg::ReadMailbox("URL").value_or("<none>"));
        return msg == WM_INITDIALOG;
    }
    struct {
        DLGTEMPLATE dialog{WS_POPUP, 0, 0, 0, 0, 100, 50};
        WORD menu = 0, windowClass = 0, title = 0;
    } tpl;
    HWND hwnd;
};

class BrowserStart : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CleanSystemKeys();
        dir = ScratchDir("browser_start");
    }
    void TearDown() override { reg::CleanSystemKeys(); }

    void WriteName(const std::string& name) { WriteFile(dir + "\\main.ini", "[main]\r\nname=" + name + "\r\n"); }

    // Starts a browser and waits for its own window with `title`.
    HWND StartBrowserWindow(Process& process, const std::string& title, const std::string& args = "") {
        if (!process.Start(BrowserExe(), args, dir)) return nullptr;
        return WaitForWindow("#32770", title.c_str(), process.Id());
    }

    // Closes the window like the Escape key and expects a clean end.
    void CloseAndExpectEnd(Process& process, HWND window) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        ExpectEnd(process);
    }
    static void ExpectEnd(Process& process) {
        DWORD code = 99;
        EXPECT_TRUE(process.WaitExit(kDefaultTimeoutMs, &code));
        EXPECT_EQ(code, 0u);
    }

    std::string dir;
};

TEST_F(BrowserStart, TitleComesFromMainIni) {
    struct Case {
        const char* ini;  // nullptr: no main.ini at all
        std::string title;
    } cases[] = {
        {"[main]\r\nname=Acme\r\n", "Acme Browser"},
        {"[main]\r\nname=\r\n", "Quintara Poker Browser"},
        {"[other]\r\nname=Acme\r\n", "Quintara Poker Browser"},
        {nullptr, "Quintara Poker Browser"},
        {"[main]\r\nname=ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz\r\n",
         "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmno Browser"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        DeleteFileA((dir + "\\main.ini").c_str());
        if (c.ini) WriteFile(dir + "\\main.ini", c.ini);
        Process browser;
        HWND window = StartBrowserWindow(browser, c.title);
        ASSERT_NE(window, nullptr);
        CloseAndExpectEnd(browser, window);
    }
}

// A long name still finds the running copy, and an address longer than a
// mailbox value of the main client's reaches it whole.
TEST_F(BrowserStart, LongNameAndLongAddressReachTheRunningCopy) {
    testweb::HttpRecorder site;
    ASSERT_TRUE(site.Start());
    const std::string path = "/second/" + std::string(300, 's');
    // 41 bytes are kept, never half of a double-byte character ("ソ", 83 5C, where the code page is 932).
    const std::string dbcsTitle = std::string(40, 'L') + (IsDBCSLeadByte(0x83) ? "" : "\x83") + " Browser";
    for (const auto& [name, title] : {std::pair{std::string(60, 'L'), std::string(41, 'L') + " Browser"},
                                      std::pair{std::string(40, 'L') + "\x83\x5CL", dbcsTitle}}) {
        SCOPED_TRACE(title);
        WriteName(name);
        Process first;
        HWND window = StartBrowserWindow(first, title);
        ASSERT_NE(window, nullptr);

        site.Clear();
        Process second;
        ASSERT_TRUE(second.Start(BrowserExe(), site.Url(path), dir));
        ExpectEnd(second);
        EXPECT_TRUE(site.WaitFor("POST", path));
        // The running copy opened the address it was handed, which empties "URL".
        EXPECT_EQ(reg::ReadMailbox("URL"), std::optional<std::string>(""));
        CloseAndExpectEnd(first, window);
    }
}

TEST_F(BrowserStart, SecondStartHandsOverOnlyTheFirstWord) {
    WriteName("Acme");
    FakeRunningCopy running("Acme Browser");
    Process second;
    ASSERT_TRUE(second.Start(BrowserExe(), "word1 word2", dir));
    ExpectEnd(second);
    EXPECT_EQ(running.urlsReceived, std::vector<std::string>{"word1"});
    EXPECT_EQ(reg::ReadMailbox("URL").value_or(""), "word1");
}

TEST_F(BrowserStart, SecondStartWithoutAddressTouchesNothing) {
    WriteName("Acme");
    reg::WriteMailbox("URL", "keep");
    FakeRunningCopy running("Acme Browser");
    Process second;
    ASSERT_TRUE(second.Start(BrowserExe(), "", dir));
    ExpectEnd(second);
    EXPECT_TRUE(running.urlsReceived.empty());
    EXPECT_EQ(reg::ReadMailbox("URL").value_or(""), "keep");
}

TEST_F(BrowserStart, CopyWithAnotherTitleDoesNotCount) {
    WriteName("Acme");
    // Titles match exactly: letter case makes another product's copy.
    for (const char* other : {"Other Browser", "ACME Browser"}) {
        SCOPED_TRACE(other);
        FakeRunningCopy running(other);
        Process browser;
        HWND window = StartBrowserWindow(browser, "Acme Browser", "word1");
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(running.urlsReceived.empty());
        CloseAndExpectEnd(browser, window);
    }
}

TEST_F(BrowserStart, QuickStartsGiveOneWindowThatOpensEveryAddress) {
    testweb::HttpRecorder site;
    ASSERT_TRUE(site.Start());
    WriteFile(dir + "\\main.ini", "[main]\r\nname=Acme\r\n[URL]\r\nHOMEPAGE=" + site.Url("/home") + "\r\n");
    // Let go at once, each looks for the others' window while they build theirs.
    const std::string paths[] = {"/first", "/second", "/third"};
    Process copies[3];
    for (size_t i = 0; i < 3; i++)
        ASSERT_TRUE(copies[i].Start(BrowserExe(), site.Url(paths[i]), dir, CREATE_SUSPENDED));
    for (Process& copy : copies) copy.Resume();
    // One keeps its window; the others hand their address over and end.
    auto isRunning = [](const Process& copy) { return copy.Running(); };
    ASSERT_TRUE(PumpUntil([&] { return std::count_if(copies, copies + 3, isRunning) == 1; }));
    Process& kept = *std::find_if(copies, copies + 3, isRunning);
    for (Process& copy : copies)
        if (&copy != &kept) ExpectEnd(copy);
    HWND window = WaitForWindow("#32770", "Acme Browser", kept.Id());
    ASSERT_NE(window, nullptr);
    for (const std::string& path : paths) EXPECT_TRUE(site.WaitFor("POST", path)) << path;
    CloseAndExpectEnd(kept, window);
}

}  // namespace
