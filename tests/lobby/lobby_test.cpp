// The lobby of a real browser.exe, with the test as the main client: joins and
// leaves by 9027, clicks on the lobby list, "Invite Player", chat lines typed
// into the input and received by 9025, and the lobby as a screen reader in
// another process reads and drives it.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/testsupport.h"
#include "tools/acctree/acc_tree.h"
#include "win/accessible.h"

using namespace testsupport;

namespace {

const char kTitle[] = "Lobby Browser";
const int kChatDisplay = 1014;
const int kChatInput = 1015;
const int kLobbyList = 1018;
const int kSelectionLabel = 1019;
const int kInvite = 1020;
const int kBuddyList = 1023;
const int32_t kMe = 1;
// "ポチ" where the system code page is 932: its first character ends in a "|" byte.
const char kBarNick[] = "\x83|\x83\x60";

// `count` lines of `width` characters, each ending with CR LF.
std::string Lines(size_t count, size_t width) {
    std::string text;
    for (size_t i = 0; i < count; i++) text += std::string(width - 2, 'x') + "\r\n";
    return text;
}

class Lobby : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CleanSystemKeys();
        dir = ScratchDir("lobby");
        WriteFile(dir + "\\main.ini", "[main]\r\nname=Lobby\r\n");
        window = StartBrowser(browser, dir, kTitle);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(mainClient.WaitForCommand(9031));
        SendMessageA(window, 9032, 0, kMe);
        SendMessageA(window, 9033, 1, 0);  // lobby mode
        list = GetDlgItem(window, kLobbyList);
        input = GetDlgItem(window, kChatInput);
        ASSERT_TRUE(IsWindowVisible(list));
        mainClient.Clear();
    }
    void TearDown() override {
        EXPECT_EQ(CloseBrowser(browser, window), "");
        reg::CleanSystemKeys();
    }

    void Join(int32_t id, const std::string& nick, int32_t group = 0, int32_t sub = 0, const std::string& name = "") {
        reg::WriteMailbox("BR_TEMP2", nick);
        reg::WriteMailbox("BR_TEMP", name);
        reg::WriteMailbox("BR_TEMP1", std::to_string(group));
        reg::WriteMailbox("BR_TEMP3", std::to_string(sub));
        SendMessageA(window, 9027, id, 1);
    }
    void Leave(int32_t id, int32_t group, int32_t sub) {
        reg::WriteMailbox("BR_TEMP1", std::to_string(group));
        reg::WriteMailbox("BR_TEMP3", std::to_string(sub));
        SendMessageA(window, 9027, id, 0x100);  // low byte 0
    }
    // A chat line from the main client.
    void Receive(int32_t sender, LPARAM lp, const std::string& text, const std::string& name) {
        reg::WriteMailbox("BR_TEMP", text);
        reg::WriteMailbox("BR_TEMP4", name);
        SendMessageA(window, 9025, sender, lp);
    }

    // A click on the n-th shown row, right of its tree button and image.
    void ClickRow(int row) {
        const int height = RowHeight();
        ClickAt(RowsTop() + row * height + height / 2);
    }
    void ClickAt(int y) {
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, y));
        SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(100, y));
    }
    int RowsTop() {
        RECT header{};
        GetWindowRect(FindWindowExA(list, nullptr, nullptr, nullptr), &header);
        return header.bottom - header.top;
    }
    // The rows' height follows the font: found once, by clicking down from the
    // first row ("Lobby All User") until the label shows the second.
    int RowHeight() {
        if (rowHeight) return rowHeight;
        const int top = RowsTop();
        ClickAt(top + 1);
        const std::string first = Label();
        for (int y = top + 2; y < top + 64 && !rowHeight; y++) {
            ClickAt(y);
            if (Label() != first) rowHeight = y - top;
        }
        return rowHeight;
    }
    // The label after a click on each shown row, top to bottom.
    std::vector<std::string> ClickEachRow(int rows) {
        std::vector<std::string> labels;
        for (int row = 0; row < rows; row++) {
            ClickRow(row);
            labels.push_back(Label());
        }
        return labels;
    }
    std::string Label() { return Text(GetDlgItem(window, kSelectionLabel)); }
    static std::string Text(HWND control) {
        std::string text(60000, '\0');
        // Sent: another process's edit keeps its text to itself.
        text.resize(static_cast<size_t>(
            SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
        return text;
    }
    // What the main client is told by "Invite Player": the lParams of 9034.
    std::vector<LPARAM> Invite() {
        mainClient.Clear();
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(kInvite, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, kInvite)));
        std::vector<LPARAM> sent;
        for (const auto& command : mainClient.Commands())
            if (command.id == 9034) sent.push_back(command.lParam);
        return sent;
    }
    // Keys typed into the chat input, Enter as '\r'; what reached the main client.
    std::vector<FakeMainClient::Command> Type(const std::string& keys) {
        mainClient.Clear();
        for (char key : keys) {
            if (key == '<')
                SendMessageA(input, WM_KEYDOWN, VK_LEFT, 1);
            else
                SendMessageA(input, WM_CHAR, static_cast<unsigned char>(key), 1);
        }
        return mainClient.Commands();
    }

    FakeMainClient mainClient;
    Process browser;
    std::string dir;
    HWND window = nullptr;
    HWND list = nullptr;
    HWND input = nullptr;
    int rowHeight = 0;
};

TEST_F(Lobby, JoinsLeavesAndClicks) {
    Join(2, "ANN", 12, 1, "T");
    Join(3, "BOB", 12, 1, "T");
    Join(4, kBarNick);
    EXPECT_EQ(Label(), "");
    Join(kMe, "ME", 12, 1, "T");  // label T, the lobby's row closed, T open
    EXPECT_EQ(Label(), "T");
    EXPECT_EQ(ClickEachRow(6), (std::vector<std::string>{"Lobby All User", "T", "ANN", "BOB", "ME", "ME"}));

    // A group row selects nobody to invite; a user row does.
    ClickRow(1);
    EXPECT_TRUE(Invite().empty());
    ClickRow(3);
    EXPECT_EQ(Invite(), std::vector<LPARAM>{3});

    // Another user's leave takes that row only; a leave naming no entry, or
    // arriving twice, changes nothing.
    Leave(2, 12, 1);
    Leave(2, 12, 1);
    Leave(3, 14, 1);
    EXPECT_EQ(ClickEachRow(5), (std::vector<std::string>{"Lobby All User", "T", "BOB", "ME", "ME"}));

    // The local user's leave of table 12 takes the whole table; a click on
    // an empty place selects nothing.
    Leave(kMe, 12, 1);
    ClickRow(0);
    EXPECT_EQ(ClickEachRow(2), (std::vector<std::string>{"Lobby All User", "Lobby All User"}));
    EXPECT_TRUE(Invite().empty());

    // Back in the lobby without a table: its row opens.
    Join(kMe, "ME");
    EXPECT_EQ(Label(), "Lobby All User");
    EXPECT_EQ(ClickEachRow(3), (std::vector<std::string>{"Lobby All User", kBarNick, "ME"}));
    ClickRow(1);
    EXPECT_EQ(Invite(), std::vector<LPARAM>{4});
    EXPECT_TRUE(Answers(browser, window));
}

TEST_F(Lobby, TypedLinesGoWhereTheLastClickPoints) {
    Join(2, "ANN", 12, 1, "T");
    Join(kMe, "ME", 12, 1, "T");  // the chat's scope is table 12/1
    const struct {
        const char* what;
        std::string keys;
        std::vector<std::string> sent;  // BR_TEMP of each command, all 9026
        const char* left;               // in the input afterwards
    } cases[] = {
        {"two letters and Enter", "ab\r", {"ab\r\n"}, ""},
        {"97 characters fill the input", std::string(97, 'q') + "\r", {std::string(97, 'q') + "\r\n"}, ""},
        {"Enter alone", "\r", {}, ""},
        {"Enter in the middle of the text", "ab<\r", {}, "a\r\nb"},
    };
    for (const auto& c : cases) {
        std::vector<FakeMainClient::Command> commands = Type(c.keys);
        ASSERT_EQ(commands.size(), c.sent.size()) << c.what;
        for (size_t i = 0; i < commands.size(); i++) {
            EXPECT_EQ(commands[i].id, 9026u) << c.what;
            EXPECT_EQ(commands[i].lParam, 0) << c.what;
            EXPECT_EQ(commands[i].mailbox.at("BR_TEMP"), c.sent[i]) << c.what;
            EXPECT_EQ(commands[i].mailbox.at("BR_TEMP1"), "12") << c.what;
            EXPECT_EQ(commands[i].mailbox.at("BR_TEMP2"), "1") << c.what;
            EXPECT_EQ(commands[i].mailbox.at("BR_TEMP3"), "ME") << c.what;
        }
        EXPECT_EQ(Text(input), c.left) << c.what;
        SetWindowTextA(input, "");
    }

    // An offline buddy gets nothing; once online, a private line.
    reg::WriteMailbox("BR_TEMP2", "PAL");
    reg::WriteMailbox("BR_TEMP1", "0");
    SendMessageA(window, 9036, 1, 9);
    HWND buddies = GetDlgItem(window, kBuddyList);
    SendMessageA(buddies, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 8));
    SendMessageA(buddies, WM_LBUTTONUP, 0, MAKELPARAM(12, 8));
    ASSERT_EQ(Label(), "PAL");
    EXPECT_TRUE(Type("hi\r").empty());
    SendMessageA(window, 9039, 1, 9);
    std::vector<FakeMainClient::Command> privately = Type("hi\r");
    ASSERT_EQ(privately.size(), 1u);
    EXPECT_EQ(privately[0].id, 9037u);
    EXPECT_EQ(privately[0].lParam, 9);
    EXPECT_EQ(privately[0].mailbox.at("BR_TEMP1"), "0");

    // A click on a lobby row: the lobby's line again, to a user and the
    // user's table (ANN), to the whole lobby, to a group (U).
    Join(3, "BOB", 14, 2, "U");
    const std::pair<int, std::string> clicks[] = {{2, "2 12 1"}, {0, "0 0 0"}, {4, "0 14 2"}};
    for (const auto& [row, scope] : clicks) {
        ClickRow(row);
        std::vector<FakeMainClient::Command> lobbyLine = Type("yo\r");
        ASSERT_EQ(lobbyLine.size(), 1u);
        EXPECT_EQ(lobbyLine[0].id, 9026u);
        EXPECT_EQ(std::to_string(lobbyLine[0].lParam) + " " + lobbyLine[0].mailbox.at("BR_TEMP1") + " " +
                      lobbyLine[0].mailbox.at("BR_TEMP2"),
                  scope);
    }
}

// By keyboard alone, keys going through the browser's own message loop: Tab
// to the list, arrows to a user at another table, Tab once round to the chat
// input, and the typed line goes to that user's table.
TEST_F(Lobby, TheKeyboardAloneAimsTheChat) {
    Join(2, "ANN", 12, 1, "T");
    Join(kMe, "ME", 14, 2, "U");  // rows: Lobby All User, T (closed), U, ME
    auto focus = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        return info.hwndFocus;
    };
    std::vector<int> order;
    auto tab = [&] {
        HWND was = focus();
        PostMessageA(was, WM_KEYDOWN, VK_TAB, 1);
        EXPECT_TRUE(PumpUntil([&] { return focus() != was; }));
        order.push_back(GetDlgCtrlID(focus()));
    };
    tab();
    const std::pair<WPARAM, const char*> keys[] = {
        {VK_DOWN, "Lobby All User"}, {VK_DOWN, "T"}, {VK_RIGHT, "T"}, {VK_DOWN, "ANN"}};
    for (const auto& [key, row] : keys) {
        PostMessageA(list, WM_KEYDOWN, key, 1);
        EXPECT_TRUE(PumpUntil([&] { return Label() == row; })) << row;
    }
    for (int i = 0; i < 6; i++) tab();
    EXPECT_EQ(order, (std::vector<int>{kLobbyList, kBuddyList, kInvite, 1024, 1025, kChatDisplay, kChatInput}));
    std::vector<FakeMainClient::Command> line = Type("hi\r");
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0].lParam, 2);
    EXPECT_EQ(line[0].mailbox.at("BR_TEMP"), "hi\r\n");
    EXPECT_EQ(line[0].mailbox.at("BR_TEMP1"), "12");
}

TEST_F(Lobby, ReceivedLinesKeepTheDisplayWithinItsLimit) {
    Join(kMe, "ME");
    HWND display = GetDlgItem(window, kChatDisplay);
    Receive(kMe, 0, "own\r\n", "OTHER");   // the own entry's name
    Receive(kMe, -1, "echo\r\n", "ECHO");  // lParam -1: the mailbox's name
    Receive(5, 0, "hi\r\n", "ZED");
    Receive(5, 0, "", "ZED");  // no text: nothing
    // Longer than a 99-byte buffer: whole, its line break kept for the next line.
    const std::string longLine = std::string(120, 'L') + "\r\n";
    Receive(5, 0, longLine, "ZED");
    Receive(5, 0, "hi\r\n", "ZED");
    EXPECT_EQ(Text(display),
              "   ME : own\r\n   ECHO : echo\r\n   ZED : hi\r\n   ZED : " + longLine + "   ZED : hi\r\n");

    // 49,990 characters in lines of 10 and a 20-character line: whole lines go.
    const std::string full = Lines(4999, 10);
    SendMessageA(display, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(full.c_str()));
    Receive(5, 0, "abcdefghijk\r\n", "X");  // "   X : " and 13 more
    const std::string shown = Text(display);
    EXPECT_EQ(shown.size(), 49990u);
    EXPECT_EQ(shown, full.substr(20) + "   X : abcdefghijk\r\n");
    for (int i = 0; i < 30; i++) Receive(5, 0, std::string(90, 'a' + i % 26) + "\r\n", "LONGER");
    EXPECT_LE(Text(display).size(), 49999u);
    EXPECT_EQ(Text(display).substr(0, 10), std::string(8, 'x') + "\r\n");

    // Lines of double-byte characters ("ソ" ends in a "\\" byte) go whole too.
    std::string wide;
    for (int i = 0; i < 4999; i++) wide += "\x83\x5C\x83\x5C\x83\x5C\x83\x5C\r\n";
    SendMessageA(display, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    Receive(5, 0, "abcdefghijk\r\n", "X");
    EXPECT_EQ(Text(display), wide.substr(20) + "   X : abcdefghijk\r\n");
}

// The lobby list's "rows changed" events, as another process hears them,
// and the shortest time between two by the browser's clock.
int reorders = 0;
DWORD lastReorder = 0, shortestGap = MAXDWORD;
HWND watched = nullptr;
void CALLBACK CountReorder(HWINEVENTHOOK, DWORD, HWND from, LONG object, LONG, DWORD, DWORD time) {
    if (from != watched || object != OBJID_CLIENT) return;
    if (reorders++) shortestGap = std::min(shortestGap, time - lastReorder);
    lastReorder = time;
}

// A reader in this process, the lobby in the browser's: every call crosses.
TEST_F(Lobby, AScreenReaderReadsAndDrivesACrowdedLobby) {
    CoInitialize(nullptr);
    reorders = 0;
    watched = list;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_REORDER, nullptr, CountReorder,
                                         browser.Id(), 0, WINEVENT_OUTOFCONTEXT);
    const int kTables = 40, kJoins = 1000;
    for (int i = 0; i < kJoins; i++)
        Join(100 + i, "P" + std::to_string(i), 20 + i % kTables, 1, "Table " + std::to_string(i % kTables));
    PumpFor(500);
    UnhookWinEvent(hook);
    EXPECT_GE(reorders, 1);
    EXPECT_GE(shortestGap, 90u) << "a burst is told at most once per 100 ms";

    Microsoft::WRL::ComPtr<IAccessible> object;
    ASSERT_EQ(AccessibleObjectFromWindow(list, OBJID_CLIENT, win::kIidAccessible,
                                         reinterpret_cast<void**>(object.GetAddressOf())),
              S_OK);
    std::vector<acctree::Entry> tree = acctree::Walk(list);
    ASSERT_GE(tree.size(), 3u);
    auto line = [](acctree::Entry entry) {
        entry.located = false;
        entry.childId = CHILDID_SELF;
        return acctree::Format(entry);
    };
    // Role and state names come in the system's language.
    auto role = [](DWORD id) {
        char text[64] = "";
        GetRoleTextA(id, text, sizeof text);
        return std::string(text);
    };
    auto states = [](std::initializer_list<DWORD> bits) {
        std::string out;
        for (DWORD bit : bits) {
            char text[64] = "";
            GetStateTextA(bit, text, sizeof text);
            out += (out.empty() ? "" : ",") + std::string(text);
        }
        return out;
    };
    const std::string selectable = states({STATE_SYSTEM_FOCUSABLE, STATE_SYSTEM_SELECTABLE});
    EXPECT_EQ(line(tree[0]),
              role(ROLE_SYSTEM_OUTLINE) + " \"Players\" state=" +
                  states({STATE_SYSTEM_FOCUSABLE, STATE_SYSTEM_MULTISELECTABLE, STATE_SYSTEM_EXTSELECTABLE}) +
                  " [MFCReportCtrl 1018]");
    EXPECT_EQ(line(tree[1]), role(ROLE_SYSTEM_OUTLINEITEM) +
                                 " \"Lobby All User\" value=\"0\" action=\"Double Click\" state=" + selectable);
    EXPECT_EQ(line(tree[2]), role(ROLE_SYSTEM_OUTLINEITEM) + " \"Table 0\" value=\"0\" action=\"Expand\" state=" +
                                 states({STATE_SYSTEM_COLLAPSED}) + "," + selectable);
    long count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 1 + 1 + kTables) << "the header and the rows";

    // The reader opens "Table 1" and clicks its second player: the chat's
    // scope and the invitation follow, as after a click of the hand.
    VARIANT table;
    table.vt = VT_I4;
    table.lVal = tree[3].childId;
    ASSERT_EQ(object->accDoDefaultAction(table), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return object->get_accChildCount(&count) == S_OK && count > 2 + kTables; }));
    EXPECT_EQ(count, 1 + 1 + kTables + kJoins / kTables);
    VARIANT player = table;
    player.lVal = acctree::Walk(list)[5].childId;
    BSTR name = nullptr;
    ASSERT_EQ(object->get_accName(player, &name), S_OK);
    EXPECT_STREQ(name, L"P41");
    SysFreeString(name);
    ASSERT_EQ(object->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, player), S_OK);
    EXPECT_EQ(Label(), "P41");
    EXPECT_EQ(Invite(), std::vector<LPARAM>{141});

    // The browser goes while the reader still holds the list: calls fail, no more.
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(browser.WaitExit());
    window = nullptr;
    EXPECT_TRUE(FAILED(object->get_accChildCount(&count)));
    object.Reset();
    CoUninitialize();
}

}  // namespace
