// The buddy list of a real browser.exe, driven as the main client and the
// user would: control messages, the "A", "D" and "Invite Player" buttons, the
// input dialog, clicks on the list and timer ticks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/testsupport.h"

using namespace testsupport;

namespace {

const char kTitle[] = "Buddy Browser";
const int kSelectionLabel = 1019;
const int kInvite = 1020;
const int kBuddyList = 1023;
const int kAddButton = 1024;
const int kDeleteButton = 1025;
const int kInputText = 1025;
const int kInputPrompt = 1026;
const char kAddPrompt[] = "Are you want to add name to your list ?";
const char kDeletePrompt[] = "Are you sure you want to delete name from your list ?";
const size_t kRecordSize = 28;

// Memory in the browser, for list-view messages that carry pointers.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, size_t size)
        : process(process), address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    ~RemoteBlock() {
        if (address) VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
    char* Get() const { return static_cast<char*>(address); }
    bool Write(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process, Get() + offset, data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return ReadProcessMemory(process, Get() + offset, data, size, nullptr);
    }

private:
    HANDLE process;
    void* address;
};

struct Record {
    int32_t userId;
    std::string nickname;
    unsigned flag;
};

std::vector<Record> Records(const std::string& bytes) {
    std::vector<Record> records;
    for (size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
        int32_t id = 0;
        memcpy(&id, bytes.data() + at, 4);
        std::string nickname(bytes.data() + at + 4, 21);
        nickname.resize(nickname.find('\0'));
        records.push_back({id, nickname, static_cast<unsigned char>(bytes[at + 25])});
    }
    return records;
}

std::vector<std::string> Nicknames(const std::string& bytes) {
    std::vector<std::string> names;
    for (const Record& record : Records(bytes)) names.push_back(record.nickname);
    return names;
}

class BuddyList : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CleanSystemKeys();
        dir = ScratchDir("buddylist");
        WriteFile(dir + "\\main.ini", "[main]\r\nname=Buddy\r\n");
        window = StartBrowser(browser, dir, kTitle);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(mainClient.WaitForCommand(9031));
        mainClient.Clear();
        SendMessageA(window, 9033, 1, 0);  // lobby mode
        view = GetDlgItem(window, kBuddyList);
        ASSERT_TRUE(IsWindowVisible(view));
    }
    void TearDown() override {
        mainClient.onCommand = nullptr;
        EXPECT_EQ(CloseBrowser(browser, window), "");
        reg::CleanSystemKeys();
    }

    // 9036 as the main client sends it after accepting a nickname.
    void Add(const std::string& nickname, int32_t id, const std::string& flag = "0") {
        reg::WriteMailbox("BR_TEMP2", nickname);
        reg::WriteMailbox("BR_TEMP1", flag);
        SendMessageA(window, 9036, 1, id);
    }
    std::string FilePath() const { return dir + "\\buddylist.dat"; }
    std::string File() const { return ReadFile(FilePath()).value_or("<missing>"); }
    void RemoveFile() const { ASSERT_TRUE(DeleteFileA(FilePath().c_str())); }
    bool FileExists() const { return GetFileAttributesA(FilePath().c_str()) != INVALID_FILE_ATTRIBUTES; }

    // Every message the browser was busy with has been handled.
    void Sync() { ASSERT_TRUE(Settle(window)); }

    std::vector<std::string> Rows() {
        const size_t room = 64;
        RemoteBlock block(browser.Handle(), sizeof(LVITEMA) + room);
        std::vector<std::string> rows;
        int count = static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; row++) {
            LVITEMA item{};
            item.pszText = block.Get() + sizeof item;
            item.cchTextMax = room;
            char text[room] = "";
            block.Write(0, &item, sizeof item);
            SendMessageA(view, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(block.Get()));
            block.Read(sizeof item, text, room - 1);
            rows.push_back(text);
        }
        return rows;
    }
    RECT RowRect(int row) {
        RemoteBlock block(browser.Handle(), sizeof(RECT));
        RECT rect{LVIR_BOUNDS, 0, 0, 0};
        block.Write(0, &rect, sizeof rect);
        SendMessageA(view, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.Get()));
        block.Read(0, &rect, sizeof rect);
        return rect;
    }
    // A left click at a point of the list's client area. The real pointer
    // stays put: its moves would reach the list as a drag.
    void ClickList(POINT pt) {
        SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
    void ClickRow(int row) {
        RECT rect = RowRect(row);
        ClickList({rect.left + 4, (rect.top + rect.bottom) / 2});
    }
    std::string Label() {
        char text[128] = "";
        GetDlgItemTextA(window, kSelectionLabel, text, sizeof text);
        return text;
    }

    void Invite() {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(kInvite, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, kInvite)));
    }
    // Clicks "A" or "D" and waits for the input dialog.
    HWND OpenInput(int button) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
        return WaitForWindow("#32770", "Input", browser.Id());
    }
    static std::string DialogText(HWND dialog, int id) {
        char text[256] = "";
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }
    static void Type(HWND dialog, const std::string& keys) {
        for (char key : keys) SendMessageA(GetDlgItem(dialog, kInputText), WM_CHAR, static_cast<unsigned char>(key), 1);
    }
    // Presses OK or Cancel and waits until the button's work is done.
    void Press(HWND dialog, int button) {
        PostMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil([dialog] { return !IsWindow(dialog); }));
        Sync();
    }
    void EnterAndPress(int button, const std::string& keys, int press = IDOK) {
        HWND dialog = OpenInput(button);
        ASSERT_NE(dialog, nullptr);
        Type(dialog, keys);
        Press(dialog, press);
    }

    // The main client's answers: 9036 for every 9035, as an accepted nickname.
    void AnswerAddsWithId(int32_t id) {
        mainClient.onCommand = [this, id](const FakeMainClient::Command& command) {
            if (command.id != 9035) return;
            reg::WriteMailbox("BR_TEMP2", command.mailbox.at("BR_TEMP"));
            reg::WriteMailbox("BR_TEMP1", "1");
            SendMessageA(window, 9036, 1, id);
        };
    }

    std::vector<FakeMainClient::Command> CommandsWithId(unsigned id) const {
        std::vector<FakeMainClient::Command> found;
        for (const auto& command : mainClient.Commands())
            if (command.id == id) found.push_back(command);
        return found;
    }

    FakeMainClient mainClient;
    Process browser;
    std::string dir;
    HWND window = nullptr;
    HWND view = nullptr;
};

TEST_F(BuddyList, AddsAreSavedNewestFirstAndRefusalsSaveNothing) {
    Add("P", 1);
    Add("Q", 2, "1");
    Add("R", 3);
    std::string bytes = File();
    ASSERT_EQ(bytes.size(), 84u);
    EXPECT_EQ(Nicknames(bytes), (std::vector<std::string>{"R", "Q", "P"}));
    EXPECT_EQ(Records(bytes)[0].userId, 3);
    EXPECT_EQ(Records(bytes)[1].flag, 1u);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"P", "Q", "R"}));  // sorted by the control

    // None of these may add a buddy or write the file again.
    RemoveFile();
    Add("Q", 9, "1");               // duplicate nickname
    Add(std::string(21, 'L'), 10);  // longer than the record's field
    Add(std::string(200, 'L'), 11);
    EXPECT_FALSE(FileExists());
    EXPECT_EQ(Rows().size(), 3u);

    // A refusal by the main client.
    reg::WriteMailbox("BR_TEMP2", "S");
    AsyncSend refused(window, 9036, 0x100, 12);  // low byte 0
    HWND box = WaitForMessageBox(browser.Id(), "Invalid User Nickname.");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(DismissMessageBox(box));
    EXPECT_EQ(refused.Join(), std::optional<LRESULT>(0));
    EXPECT_FALSE(FileExists());
    EXPECT_EQ(Rows().size(), 3u);
}

TEST_F(BuddyList, TwentyCharacterNicknameKeepsTheFlagByte) {
    const std::string nickname = "ABCDEFGHIJKLMNOPQRST";
    Add(nickname, 0x0A0B0C0D, "1");
    std::string bytes = File();
    ASSERT_EQ(bytes.size(), kRecordSize);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x0D\x0C\x0B\x0A", 4));
    EXPECT_EQ(bytes.substr(4, 20), nickname);
    EXPECT_EQ(bytes[24], '\0');
    EXPECT_EQ(bytes[25], '\x01');
    EXPECT_EQ(bytes.substr(26), std::string(2, '\0'));
    EXPECT_EQ(Rows(), std::vector<std::string>{nickname});
}

TEST_F(BuddyList, AddButtonAsksForTheNicknameAndAsksTheMainClient) {
    AnswerAddsWithId(77);
    HWND dialog = OpenInput(kAddButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(DialogText(dialog, kInputPrompt), kAddPrompt);
    EXPECT_EQ(DialogText(dialog, kInputText), "");  // nobody selected yet
    Type(dialog, "bob");
    EXPECT_EQ(DialogText(dialog, kInputText), "BOB");
    Press(dialog, IDOK);

    auto asks = CommandsWithId(9035);
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_EQ(asks[0].mailbox["BR_TEMP"], "BOB");
    EXPECT_EQ(asks[0].lParam, 0);
    ASSERT_EQ(Records(File()).size(), 1u);
    EXPECT_EQ(Records(File())[0].userId, 77);
    EXPECT_EQ(Records(File())[0].nickname, "BOB");

    // Cancel sends nothing.
    EnterAndPress(kAddButton, "carl", IDCANCEL);
    EXPECT_EQ(CommandsWithId(9035).size(), 1u);
}

TEST_F(BuddyList, InputTakesTwentyOneCharactersAndBuddiesTwenty) {
    HWND dialog = OpenInput(kAddButton);
    ASSERT_NE(dialog, nullptr);
    Type(dialog, std::string(25, 'z'));
    EXPECT_EQ(DialogText(dialog, kInputText), std::string(21, 'Z'));

    // Too long for a buddy: refused here, the main client is not asked.
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    HWND box = WaitForMessageBox(browser.Id(), "Invalid User Nickname.");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(DismissMessageBox(box));
    Sync();
    EXPECT_TRUE(CommandsWithId(9035).empty());
    EXPECT_FALSE(FileExists());
}

TEST_F(BuddyList, DeleteButtonDeletesAndSavesEvenWhenNothingMatches) {
    Add("P", 1);
    Add("Q", 2);
    Add("R", 3);
    mainClient.Clear();

    HWND dialog = OpenInput(kDeleteButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(DialogText(dialog, kInputPrompt), kDeletePrompt);
    Type(dialog, "q");
    Press(dialog, IDOK);
    EXPECT_EQ(Nicknames(File()), (std::vector<std::string>{"R", "P"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"P", "R"}));
    EXPECT_TRUE(mainClient.Commands().empty());

    RemoveFile();
    EnterAndPress(kDeleteButton, "nobody");
    EXPECT_EQ(Nicknames(File()), (std::vector<std::string>{"R", "P"}));

    RemoveFile();
    EnterAndPress(kDeleteButton, "p", IDCANCEL);
    EXPECT_FALSE(FileExists());
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(BuddyList, TimerTickQueriesEveryBuddyAndAnswersSetOnlyThatFlag) {
    Add("P", 1, "1");
    Add("Q", 2, "0");
    Add("R", 3, "1");
    RemoveFile();
    mainClient.Clear();
    // The main client reports Q online (low byte 7) and the others offline,
    // except that it answers for R with an id that is nobody's.
    mainClient.onCommand = [this](const FakeMainClient::Command& command) {
        if (command.id != 9038) return;
        if (command.lParam == 2) SendMessageA(window, 9039, 0x107, 2);
        if (command.lParam == 1) SendMessageA(window, 9039, 0, 1);
        if (command.lParam == 3) SendMessageA(window, 9039, 0, 99);
    };
    SendMessageA(window, WM_TIMER, 5, 0);

    std::vector<LPARAM> polled;
    for (const auto& command : mainClient.Commands()) {
        EXPECT_EQ(command.id, 9038u);
        polled.push_back(command.lParam);
    }
    EXPECT_EQ(polled, (std::vector<LPARAM>{3, 2, 1}));
    EXPECT_FALSE(FileExists());  // status changes are not saved

    EnterAndPress(kDeleteButton, "nobody");
    std::vector<Record> records = Records(File());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].flag, 1u);  // R: the answer named someone else
    EXPECT_EQ(records[1].flag, 7u);
    EXPECT_EQ(records[2].flag, 0u);
}

// While it answers the poll of one buddy, the main client adds another and
// has the polled one deleted through "D": the tick still polls the buddies it
// found, once each, and the list and its file keep every change. A fault here
// may crash the browser, so the tick is sent with a bounded wait.
TEST_F(BuddyList, ListChangedWhileTheMainClientAnswersAPoll) {
    Add("P", 1);
    Add("Q", 2);
    Add("R", 3);
    mainClient.Clear();
    mainClient.onCommand = [this](const FakeMainClient::Command& command) {
        if (command.id != 9038 || command.lParam != 3) return;
        Add("S", 4);
        AsyncSend press(window, WM_COMMAND, MAKEWPARAM(kDeleteButton, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(window, kDeleteButton)));
        HWND dialog = WaitForWindow("#32770", "Input", browser.Id());
        ASSERT_NE(dialog, nullptr);
        Type(dialog, "r");
        Press(dialog, IDOK);
        EXPECT_TRUE(press.Join().has_value());
    };
    EXPECT_TRUE(AsyncSend(window, WM_TIMER, 5, 0).Join().has_value());
    auto polled = [this] {
        std::vector<LPARAM> ids;
        for (const auto& command : CommandsWithId(9038)) ids.push_back(command.lParam);
        return ids;
    };
    EXPECT_EQ(polled(), (std::vector<LPARAM>{3, 2, 1}));
    EXPECT_EQ(Nicknames(File()), (std::vector<std::string>{"S", "Q", "P"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"P", "Q", "S"}));

    mainClient.onCommand = nullptr;
    mainClient.Clear();
    SendMessageA(window, WM_TIMER, 5, 0);
    EXPECT_EQ(polled(), (std::vector<LPARAM>{4, 2, 1}));
}

TEST_F(BuddyList, ClickedBuddyIsTheInvitationTarget) {
    Add("P", 11);
    Add("Q", 12);
    Add("R", 13);
    Invite();  // nobody selected
    Sync();
    EXPECT_TRUE(CommandsWithId(9034).empty());

    ASSERT_EQ(Rows()[1], "Q");
    ClickRow(1);
    EXPECT_EQ(Label(), "Q");
    Invite();
    ASSERT_EQ(CommandsWithId(9034).size(), 1u);
    EXPECT_EQ(CommandsWithId(9034)[0].lParam, 12);

    // Below the last row: the selection stays.
    RECT last = RowRect(2);
    RECT client;
    GetClientRect(view, &client);
    ASSERT_GT(client.bottom - 2, last.bottom);
    ClickList({last.left + 4, client.bottom - 2});
    EXPECT_EQ(Label(), "Q");
    Invite();
    ASSERT_EQ(CommandsWithId(9034).size(), 2u);
    EXPECT_EQ(CommandsWithId(9034)[1].lParam, 12);

    // The input dialog starts with the selected buddy; 9035 names its id.
    HWND dialog = OpenInput(kAddButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(DialogText(dialog, kInputText), "Q");
    Press(dialog, IDOK);
    ASSERT_EQ(CommandsWithId(9035).size(), 1u);
    EXPECT_EQ(CommandsWithId(9035)[0].lParam, 12);
}

TEST_F(BuddyList, QuickClicksOnTheButtonsActOnceEach) {
    Add("Q", 12);
    ClickRow(0);
    // A double click is one click; a click while the input dialog is open opens no second one.
    const UINT mouse[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP};
    const struct {
        int button;
        size_t clicks, invites;
    } cases[] = {{kInvite, 4, 1}, {kAddButton, 6, 0}, {kDeleteButton, 6, 0}};
    for (const auto& c : cases) {
        mainClient.Clear();
        for (size_t i = 0; i < c.clicks; i++)
            PostMessageA(GetDlgItem(window, c.button), mouse[i], MK_LBUTTON, MAKELPARAM(4, 4));
        PostMessageA(window, WM_TIMER, 1, 0);  // its 9038 tells that the clicks were handled
        HWND dialog = c.invites ? nullptr : WaitForWindow("#32770", "Input", browser.Id());
        ASSERT_TRUE(mainClient.WaitForCommand(9038)) << c.button;
        EXPECT_EQ(CommandsWithId(9034).size(), c.invites) << c.button;
        EXPECT_EQ(TopLevelWindows(browser.Id(), "#32770").size(), dialog ? 2u : 1u) << c.button;  // with the browser
        if (dialog) Press(dialog, IDCANCEL);
    }
}

TEST_F(BuddyList, InterruptedSaveLeavesThePreviousFileWhole) {
    Add("P", 1);
    const std::string before = File();
    ASSERT_EQ(before.size(), kRecordSize);
    {
        // Open for writing by others but not for deletion: the file can be
        // rewritten in place, yet not replaced.
        HANDLE held = CreateFileA(FilePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        Add("Q", 2);
        CloseHandle(held);
    }
    EXPECT_EQ(File(), before);
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") files.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"buddylist.dat", "main.ini"}));

    // The list itself kept Q: the next save has everything.
    Add("R", 3);
    EXPECT_EQ(Nicknames(File()), (std::vector<std::string>{"R", "Q", "P"}));
}

}  // namespace
