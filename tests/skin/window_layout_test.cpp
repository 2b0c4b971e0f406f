// The browser window as the user and the main client see it: geometry, the
// toolbar, the two modes, the window commands and the tips, against a real
// browser.exe; and the toolbar as a screen reader in another process reads it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <algorithm>
#include <vector>

#include "skin/skin_ids.h"
#include "tests/support/testsupport.h"
#include "tools/acctree/acc_tree.h"
#include "win/accessible.h"

using namespace testsupport;

namespace {

const char kTitle[] = "Skin Browser";
const int kWebView = 1002;
const int kLobbyControls[] = {1014, 1015, 1018, 1019, 1020, 1023, 1024, 1025, 1028};

struct Box {
    int x, y, width, height;
    bool operator==(const Box& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
};

std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "(" << b.x << "," << b.y << " " << b.width << "x" << b.height << ")";
}

// A control's rectangle in the dialog's client coordinates.
Box ChildBox(HWND dialog, int id) {
    HWND child = GetDlgItem(dialog, id);
    if (!child) return {-1, -1, -1, -1};
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Pixels of a bitmap selected into `dc`, as COLORREFs, row by row.
std::vector<COLORREF> Pixels(HDC dc, int left, int top, int width, int height) {
    std::vector<COLORREF> pixels;
    for (int y = top; y < top + height; y++) {
        for (int x = left; x < left + width; x++) pixels.push_back(GetPixel(dc, x, y));
    }
    return pixels;
}

// Pixels of the screen, copied in one go into a memory DC.
std::vector<COLORREF> ScreenPixels(POINT at, int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, width, height, screen, at.x, at.y, SRCCOPY);
    std::vector<COLORREF> pixels = Pixels(memory, 0, 0, width, height);
    SelectObject(memory, old);
    DeleteObject(copy);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<COLORREF> BitmapPixels(UINT id, int top, int width, int height) {
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    std::vector<COLORREF> pixels = Pixels(memory, 0, top, width, height);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return pixels;
}

POINT ScreenPointOf(HWND dialog, int id, int dx, int dy) {
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    return {r.left + dx, r.top + dy};
}

// Moves the real pointer, as a user's hand would.
void MovePointer(POINT to) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(to.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(to.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

// Asks the tooltip of another process for the text of a tool (the current
// one when `button` is null), through a record in that process's memory.
std::string ToolText(HANDLE process, HWND tip, HWND button = nullptr) {
    const size_t kTextOffset = 512;
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = button ? GetParent(button) : nullptr;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    char text[256] = "<no tool>";
    WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
    if (SendMessageA(tip, button ? TTM_GETTOOLINFOA : TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(remote))) {
        text[0] = 0;
        ReadProcessMemory(process, remote, &tool, sizeof tool, nullptr);
        tool.lpszText = remote + kTextOffset;
        WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
        WriteProcessMemory(process, remote + kTextOffset, text, sizeof text, nullptr);
        SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote + kTextOffset, text, sizeof text - 1, nullptr);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

// The text of the browser's tooltip while it shows one.
std::string ShownTip(const Process& process) {
    for (HWND tip : TopLevelWindows(process.Id(), "tooltips_class32")) {
        if (IsWindowVisible(tip)) return ToolText(process.Handle(), tip);
    }
    return {};
}

// Presses or releases the real left button where the pointer is.
void PressLeft(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
}

class WindowLayout : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CleanSystemKeys();
        std::string dir = ScratchDir("window_layout");
        WriteFile(dir + "\\main.ini", "[main]\r\nname=Skin\r\n");
        window = StartBrowser(browser, dir, kTitle);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(mainClient.WaitForCommand(9031));
    }
    void TearDown() override {
        EXPECT_EQ(CloseBrowser(browser, window), "");
        reg::CleanSystemKeys();
    }

    bool Alive() { return Answers(browser, window); }
    void Command(UINT id) { ASSERT_EQ(SendMessageA(window, WM_COMMAND, id, 0), 0); }
    void ExpectWebMode() {
        EXPECT_EQ(ChildBox(window, kWebView), (Box{6, 25, 676, 501}));
        for (int id : kLobbyControls) EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, id))) << id;
    }
    void ExpectLobbyMode() {
        EXPECT_EQ(ChildBox(window, kWebView), (Box{1000, 1000, 0, 0}));
        for (int id : kLobbyControls) EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, id))) << id;
    }
    // Presses a key as the user would: a queued key message for the dialog.
    void PressKey(WPARAM key) {
        PostMessageA(window, WM_KEYDOWN, key, 1);
        PostMessageA(window, WM_KEYUP, key, 0xC0000001);
    }

    FakeMainClient mainClient;
    Process browser;
    HWND window = nullptr;
};

TEST_F(WindowLayout, StartsInWebModeWithTheSkinInPlace) {
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ((Box{r.left, r.top, r.right - r.left, r.bottom - r.top}), (Box{0, 0, 688, 532}));
    ExpectWebMode();
    EXPECT_EQ(ChildBox(window, 1010), (Box{0, 0, 688, 25}));
    EXPECT_EQ(ChildBox(window, 1011), (Box{0, 25, 6, 501}));
    EXPECT_EQ(ChildBox(window, 1012), (Box{682, 25, 6, 501}));
    EXPECT_EQ(ChildBox(window, 1013), (Box{0, 526, 688, 6}));
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window, shape), ERROR);
    GetRgnBox(shape, &r);
    EXPECT_EQ((Box{r.left, r.top, r.right, r.bottom}), (Box{0, 0, 688, 532}));
    DeleteObject(shape);
}

TEST_F(WindowLayout, ToolbarHasExactlySixShapedButtons) {
    struct Expected {
        int id;
        Box box;
    };
    const Expected expected[] = {{9100, {6, 7, 16, 14}},  {9101, {22, 7, 16, 14}},  {9102, {38, 7, 16, 14}},
                                 {9103, {54, 7, 16, 14}}, {9200, {650, 7, 16, 14}}, {9201, {666, 7, 16, 14}}};
    std::vector<int> buttonIds;
    for (HWND child : Children(window)) {
        int id = GetDlgCtrlID(child);
        if (id >= 9000 && id < 10000) buttonIds.push_back(id);
    }
    std::sort(buttonIds.begin(), buttonIds.end());
    EXPECT_EQ(buttonIds, (std::vector<int>{9100, 9101, 9102, 9103, 9200, 9201}));

    for (const Expected& e : expected) {
        HWND button = GetDlgItem(window, e.id);
        ASSERT_NE(button, nullptr) << e.id;
        EXPECT_EQ(ChildBox(window, e.id), e.box) << e.id;
        EXPECT_EQ(ClassOf(button), "Button");
        EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << e.id;
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        RECT box{};
        EXPECT_EQ(GetWindowRgn(button, shape), SIMPLEREGION) << e.id;
        GetRgnBox(shape, &box);
        EXPECT_EQ((Box{box.left, box.top, box.right, box.bottom}), (Box{0, 0, 16, 14})) << e.id;
        DeleteObject(shape);
    }
}

TEST_F(WindowLayout, LobbyModeWhileOnlineAndBack) {
    EXPECT_EQ(SendMessageA(window, 9028, 1, 0), 0);
    Command(9301);
    ExpectLobbyMode();
    // The template's places, at two pixels per dialog unit.
    EXPECT_EQ(ChildBox(window, 1014), (Box{8, 54, 280, 450}));
    EXPECT_EQ(ChildBox(window, 1015), (Box{8, 504, 452, 28}));
    EXPECT_EQ(ChildBox(window, 1018), (Box{290, 56, 168, 220}));
    EXPECT_EQ(ChildBox(window, 1028), (Box{290, 278, 168, 18}));
    EXPECT_EQ(ChildBox(window, 1023), (Box{290, 298, 168, 160}));
    EXPECT_EQ(ChildBox(window, 1019), (Box{292, 460, 166, 18}));
    EXPECT_EQ(ChildBox(window, 1020), (Box{290, 482, 122, 22}));
    EXPECT_EQ(ChildBox(window, 1024), (Box{416, 482, 18, 22}));
    EXPECT_EQ(ChildBox(window, 1025), (Box{438, 482, 22, 22}));

    Command(9300);
    ExpectWebMode();
    // The main client's own way there.
    EXPECT_EQ(SendMessageA(window, 9033, 1, 0), 0);
    ExpectLobbyMode();
}

TEST_F(WindowLayout, LobbyModeOfflineAsksForAConnection) {
    AsyncSend send(window, WM_COMMAND, 9301, 0);
    HWND box = WaitForMessageBox(browser.Id(), "Internet Connection Required.");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(DismissMessageBox(box, IDOK));
    EXPECT_TRUE(send.Join().has_value());
    ExpectWebMode();
}

TEST_F(WindowLayout, ExitTellsTheMainClientAndCloses) {
    mainClient.Clear();
    PostMessageA(window, WM_COMMAND, 9201, 0);
    DWORD code = 99;
    ASSERT_TRUE(browser.WaitExit(kDefaultTimeoutMs, &code));
    ASSERT_EQ(mainClient.CommandIds(), std::vector<unsigned>{9029});
    EXPECT_EQ(mainClient.Commands()[0].lParam, 0);
    EXPECT_EQ(code, 0u);
}

TEST_F(WindowLayout, EnterKeepsTheWindowAndEscapeClosesQuietly) {
    mainClient.Clear();
    PressKey(VK_RETURN);
    // Queued after the keys: once it has shown the lobby, Enter was handled.
    PostMessageA(window, 9033, 1, 0);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(GetDlgItem(window, 1014)) || !browser.Running(); }));
    EXPECT_TRUE(Alive());

    PressKey(VK_ESCAPE);
    ASSERT_TRUE(browser.WaitExit());
    EXPECT_TRUE(mainClient.CommandIds().empty());
}

TEST_F(WindowLayout, WindowCloseEndsWithoutTellingTheMainClient) {
    mainClient.Clear();
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(browser.WaitExit());
    EXPECT_TRUE(mainClient.CommandIds().empty());
}

TEST_F(WindowLayout, MinimizeButtonCommandMinimizes) {
    Command(9200);
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(window) != FALSE; }, 5000));
}

TEST_F(WindowLayout, BackShowsItsTipAndExitNone) {
    SetForegroundWindow(window);
    // Back is disabled until there is history, and disabled windows get no
    // mouse input; enable it as a first page would.
    EnableWindow(GetDlgItem(window, 9100), TRUE);
    MovePointer(ScreenPointOf(window, 9100, 8, 7));
    std::string tip;
    EXPECT_TRUE(PumpUntil([&] { return !(tip = ShownTip(browser)).empty(); }, 5000));
    EXPECT_EQ(tip, "Back to : Go to the previous page.");
    MovePointer({400, 700});

    // Exit has a tool whose text is empty, and an empty tip is never shown.
    std::vector<HWND> tips = TopLevelWindows(browser.Id(), "tooltips_class32");
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(ToolText(browser.Handle(), tips[0], GetDlgItem(window, 9201)), "");
    EXPECT_EQ(ToolText(browser.Handle(), tips[0], GetDlgItem(window, 9200)), "Minimize the browser window.");
}

// A press on the window's own surface (the top strip between the buttons)
// drags the captionless window with the pointer.
TEST_F(WindowLayout, PressOnTheSurfaceDragsTheWindow) {
    SetForegroundWindow(window);
    MovePointer({300, 12});  // the window stands at (0,0)
    PressLeft(true);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    bool moving = PumpUntil([&] { return GetGUIThreadInfo(thread, &gui) && (gui.flags & GUI_INMOVESIZE); }, 5000);
    MovePointer({340, 42});
    PressLeft(false);
    EXPECT_TRUE(moving);
    RECT r{};
    EXPECT_TRUE(PumpUntil([&] { return GetWindowRect(window, &r) && r.left == 40 && r.top == 30; }, 5000));
    EXPECT_EQ((Box{r.left, r.top, r.right - r.left, r.bottom - r.top}), (Box{40, 30, 688, 532}));
    MovePointer({400, 700});
}

// The display may lag behind the window's drawing: each check looks again
// for a while.
TEST_F(WindowLayout, LobbyButtonsAndLabelAreDrawnFromTheSkin) {
    EXPECT_EQ(SendMessageA(window, 9033, 1, 0), 0);
    // Each button shows the top row of its image, and the row below it
    // while pressed; at most the image's width is compared.
    struct Button {
        int id;
        UINT image;
        int width;
    };
    for (Button b :
         {Button{1020, IDB_INVITE, 121}, Button{1024, IDB_ADD_BUDDY, 18}, Button{1025, IDB_DELETE_BUDDY, 20}}) {
        for (int row : {21, 0}) {
            SendMessageA(GetDlgItem(window, b.id), BM_SETSTATE, row != 0, 0);
            std::vector<COLORREF> expected = BitmapPixels(b.image, row, b.width, 21);
            EXPECT_TRUE(PumpUntil(
                [&] { return ScreenPixels(ScreenPointOf(window, b.id, 0, 0), b.width, 21) == expected; }, 5000))
                << b.id << " row " << row;
        }
    }
    // The selection label: green text on grey inside its sunken edge.
    SetDlgItemTextA(window, 1019, "MMMM");
    auto colours = [&](COLORREF colour) {
        std::vector<COLORREF> pixels = ScreenPixels(ScreenPointOf(window, 1019, 2, 2), 162, 14);
        return std::count(pixels.begin(), pixels.end(), colour);
    };
    EXPECT_TRUE(PumpUntil([&] { return colours(RGB(0, 128, 0)) > 20; }, 5000));
    EXPECT_GT(colours(RGB(200, 200, 200)), 162 * 14 / 2);
    EXPECT_EQ(colours(RGB(0, 0, 0)), 0);
}

TEST_F(WindowLayout, AScreenReaderReadsTheToolbarByNameAndPressesIt) {
    CoInitialize(nullptr);
    struct Expected {
        int id;
        const char* caption;  // the window text, which the main client may see, stays
        const char* name;
        const char* description;
    };
    const Expected expected[] = {
        {9100, "WebButton0", "Back", "Back to : Go to the previous page."},
        {9101, "WebButton1", "Forward", "Forward to : Go to the next page."},
        {9102, "WebButton2", "Stop", "Stop loading current page."},
        {9103, "WebButton3", "Reload", "Reload current page."},
        {9200, "SysButton0", "Minimize", "Minimize the browser window."},
        {9201, "SysButton1", "Exit", "Exit the mini-browser."},
    };
    auto object = [&](int id) {
        Microsoft::WRL::ComPtr<IAccessible> found;
        EXPECT_EQ(AccessibleObjectFromWindow(GetDlgItem(window, id), OBJID_CLIENT, win::kIidAccessible,
                                             reinterpret_cast<void**>(found.GetAddressOf())),
                  S_OK);
        return found;
    };
    for (const Expected& e : expected) {
        char caption[32] = "";
        GetWindowTextA(GetDlgItem(window, e.id), caption, sizeof caption);
        EXPECT_STREQ(caption, e.caption);
        const acctree::Entry entry = acctree::Describe(object(e.id).Get(), CHILDID_SELF);
        EXPECT_EQ(entry.name, e.name);
        EXPECT_EQ(entry.description, e.description) << e.name;
        EXPECT_EQ(entry.role, ROLE_SYSTEM_PUSHBUTTON) << e.name;
        EXPECT_TRUE(entry.located) << e.name;
    }

    // Pressed by the reader: a disabled Back refuses, and so does Exit while
    // the "A" dialog has the browser disabled; Minimize minimizes, and Exit
    // tells the main client and ends the browser, as clicks do.
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    EXPECT_EQ(object(9100)->accDoDefaultAction(self), E_FAIL);
    mainClient.Clear();
    auto exit = object(9201);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(1024, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, 1024)));
    HWND input = WaitForWindow("#32770", "Input", browser.Id());
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(exit->accDoDefaultAction(self), E_FAIL);
    PostMessageA(GetDlgItem(input, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([input] { return !IsWindow(input); }));
    ASSERT_EQ(object(9200)->accDoDefaultAction(self), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(window) != FALSE; }, 5000));
    ASSERT_EQ(exit->accDoDefaultAction(self), S_OK);
    ASSERT_TRUE(browser.WaitExit());
    EXPECT_EQ(mainClient.CommandIds(), std::vector<unsigned>{9029});
    BSTR name = nullptr;
    EXPECT_TRUE(FAILED(exit->get_accName(self, &name))) << "the button is gone";
    exit.Reset();
    CoUninitialize();
}

}  // namespace
