// The browser's control messages, sent from this process as the main client
// would send them, against a real browser.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/support/testsupport.h"

using namespace testsupport;

namespace {

const char kTitle[] = "Dispatch Browser";
const int kChatDisplay = 1014;
const int kChatInput = 1015;

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CleanSystemKeys();
        dir = ScratchDir("dispatcher");
        WriteFile(dir + "\\main.ini", "[main]\r\nname=Dispatch\r\n");
        window = StartBrowser(browser, dir, kTitle);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        EXPECT_EQ(CloseBrowser(browser, window), "");
        reg::CleanSystemKeys();
    }

    bool Alive() { return Answers(browser, window); }
    bool LobbyShown() { return IsWindowVisible(GetDlgItem(window, kChatDisplay)) != FALSE; }

    // Sends a message whose handling shows a box with `text`; presses OK.
    // The sender, the main client, is released while the box is still open.
    void ExpectBoxFor(UINT msg, WPARAM wp, LPARAM lp, const std::string& text) {
        AsyncSend send(window, msg, wp, lp);
        HWND box = WaitForMessageBox(browser.Id(), text);
        ASSERT_NE(box, nullptr) << text;
        EXPECT_EQ(send.Join(), std::optional<LRESULT>(0)) << text;
        EXPECT_TRUE(IsWindowVisible(box)) << text;
        EXPECT_EQ(MessageBoxText(box), text);
        EXPECT_TRUE(DismissMessageBox(box, IDOK));
    }
    // Sends a message whose handling must show no box: the send returns, which
    // it could not while a box of its handler was open.
    void ExpectNoBoxFor(UINT msg, WPARAM wp, LPARAM lp) {
        AsyncSend send(window, msg, wp, lp);
        ASSERT_TRUE(PumpUntil([&] { return send.Done() || Boxes() > 0; }));
        EXPECT_EQ(Boxes(), 0u);
        EXPECT_EQ(send.Join(), std::optional<LRESULT>(0));
    }
    size_t Boxes() {
        std::vector<HWND> all = TopLevelWindows(browser.Id(), "#32770");
        return std::count_if(all.begin(), all.end(), [&](HWND w) { return w != window && IsWindowVisible(w); });
    }

    FakeMainClient mainClient;
    Process browser;
    std::string dir;
    HWND window = nullptr;
};

TEST_F(Dispatcher, GreetsTheMainClientFirst) {
    ASSERT_TRUE(mainClient.WaitForCommand(9031));
    std::vector<unsigned> ids = mainClient.CommandIds();
    ASSERT_GE(ids.size(), 2u);
    EXPECT_EQ(ids[0], 9030u);
    EXPECT_EQ(ids[1], 9031u);
    EXPECT_EQ(mainClient.Commands()[0].lParam, 0);
}

TEST_F(Dispatcher, MessagesWithoutHandlerDoNothing) {
    ASSERT_TRUE(mainClient.WaitForCommand(9031));
    mainClient.Clear();
    for (UINT msg : {8831u, 9024u, 9026u, 9029u, 9030u, 9031u, 9034u, 9035u, 9037u, 9038u}) {
        EXPECT_EQ(SendMessageA(window, msg, 1, 1), 0) << msg;
    }
    PumpFor(0);  // what the browser posted us
    EXPECT_EQ(mainClient.CommandIds(), std::vector<unsigned>{});
    EXPECT_TRUE(!LobbyShown() && Boxes() == 0);
    // Handled messages return the default result as well.
    EXPECT_EQ(SendMessageA(window, 9028, 1, 0), 0);
    EXPECT_EQ(SendMessageA(window, 9032, 0, 77), 0);
    EXPECT_EQ(SendMessageA(window, 9039, 1, 77), 0);
    EXPECT_TRUE(Alive());
}

TEST_F(Dispatcher, ShowLobbyNeedsTheOnlineFlag) {
    EXPECT_FALSE(LobbyShown());
    ExpectBoxFor(9033, 0x100, 0, "Internet Connection Required.");  // low byte 0
    EXPECT_FALSE(LobbyShown());

    // 9028 only records the flag, silently.
    ExpectNoBoxFor(9028, 0, 0);
    EXPECT_FALSE(LobbyShown());

    ExpectNoBoxFor(9033, 1, 0);
    EXPECT_TRUE(LobbyShown());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, kChatInput)));
}

TEST_F(Dispatcher, RefusedBuddyShowsInvalidNickname) {
    ExpectBoxFor(9036, 0, 42, "Invalid User Nickname.");
    EXPECT_TRUE(Alive());
}

// Released at once, the main client may repeat a refusal while its box is
// open: one box per text. A close (the Cancel command WM_CLOSE comes to)
// among the boxes, in any order, ends the browser once they are answered.
TEST_F(Dispatcher, OneBoxPerTextAndACloseAmongBoxesIsKept) {
    const UINT sends[][2] = {{9033, 0}, {WM_COMMAND, IDCANCEL}, {9036, 0}};
    const char* const texts[] = {"Internet Connection Required.", nullptr, "Invalid User Nickname."};
    int order[] = {0, 1, 2};
    do {
        if (!browser.Running()) window = StartBrowser(browser, dir, kTitle);
        ASSERT_NE(window, nullptr);
        std::vector<HWND> boxes;
        for (int step : order) {
            for (int i = 0; i < 10 && browser.Running(); i++)
                SendMessageTimeoutA(window, sends[step][0], sends[step][1], 0, SMTO_NORMAL, kDefaultTimeoutMs, nullptr);
            if (texts[step] && browser.Running()) boxes.push_back(WaitForMessageBox(browser.Id(), texts[step]));
            if (!texts[step] && boxes.empty()) browser.WaitExit();  // closed with no box open
            EXPECT_TRUE(!browser.Running() || (Settle(window) && Boxes() == boxes.size())) << order[0] << order[1];
        }
        for (auto box = boxes.rbegin(); box != boxes.rend(); ++box) EXPECT_TRUE(DismissMessageBox(*box));
        DWORD code = 99;
        EXPECT_TRUE(browser.WaitExit(kDefaultTimeoutMs, &code) && code == 0) << order[0] << order[1];
    } while (std::next_permutation(order, order + 3));
}

TEST_F(Dispatcher, LobbyModeTakesTheKeyboardFromTheHiddenPage) {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, 1002)), TRUE);  // the web view
    SendMessageA(window, 9033, 1, 0);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread));
    EXPECT_EQ(thread.hwndFocus, GetDlgItem(window, kChatInput));
}

TEST_F(Dispatcher, MailboxAddressOfUpTo259CharactersIsOpened) {
    // An address that is opened empties "URL"; one too long reads as empty and stays.
    const std::string fits = "http://127.0.0.1:9/" + std::string(259 - 19, 'a');
    const std::string tooLong = fits + "b";
    ASSERT_TRUE(reg::WriteMailbox("URL", tooLong));
    EXPECT_EQ(SendMessageA(window, 8830, 0, 0), 0);
    EXPECT_EQ(reg::ReadMailbox("URL"), tooLong);

    ASSERT_TRUE(reg::WriteMailbox("URL", fits));
    EXPECT_EQ(SendMessageA(window, 8830, 0, 0), 0);
    EXPECT_EQ(reg::ReadMailbox("URL"), std::optional<std::string>(""));
}

TEST_F(Dispatcher, OpenAddressFromAnotherProcessIsIgnored) {
    // The pointer would be one of ours in the browser: it must not be read,
    // nor an address opened, which would take the login values.
    ASSERT_TRUE(reg::WriteMailbox("URL_UNO", "kept"));
    for (LPARAM bad : {LPARAM(0x10), LPARAM(0x7FFF0000), LPARAM(-1)}) {
        DWORD_PTR result = 1;
        EXPECT_TRUE(SendMessageTimeoutA(window, 8829, 0, bad, SMTO_ABORTIFHUNG, kDefaultTimeoutMs, &result));
        EXPECT_EQ(result, 0u);
        EXPECT_TRUE(PostMessageA(window, 8829, 0, bad));
    }
    // Posted after them: once the lobby shows, they were all handled.
    EXPECT_TRUE(PostMessageA(window, 9033, 1, 0));
    EXPECT_TRUE(PumpUntil([&] { return LobbyShown(); }));
    EXPECT_EQ(reg::ReadMailbox("URL_UNO"), std::optional<std::string>("kept"));
    EXPECT_TRUE(Alive());
}

}  // namespace
