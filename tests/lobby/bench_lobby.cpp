// Benchmark, not a test: the lobby under load, played as the main client plays
// it, against a real browser.exe and, in the same run, against anchors.
// - join storm: joins by 9027, the four mailbox values written before each
//   send, into 100 and into 1,000 groups; the anchor is a stand-in receiver in
//   another process (this program, started with --stand-in) that reads the
//   same four values and returns. Both take turns by a thousand joins.
// - chat: 300 lines through 9025 into a full display; the anchor appends the
//   same lines in place into a bare edit of the display's size and limit.
//   Both take turns by 30 lines.
// Run: tools/wine-test.sh build/win32 $PWD/build/win32/tests/lobby/lobby_bench.exe
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "lobby/mailbox.h"
#include "tests/support/bench_row.h"
#include "tests/support/testsupport.h"

using namespace testsupport;

namespace {

constexpr char kStandInClass[] = "LobbyBenchStandIn";
constexpr int kTurn = 1000;
constexpr int kChatLines = 300;
constexpr int kChatTurn = 30;
constexpr int kDisplayLimit = 49999;
constexpr SIZE kDisplaySize{280, 450};  // edit 1014: 140 x 225 dialog units

using bench::Now;

LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == 9027) {
        // What the browser reads for a join, and no more.
        for (const char* name : {"BR_TEMP2", "BR_TEMP", "BR_TEMP1", "BR_TEMP3"}) ReadMailboxText(name);
        return 0;
    }
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int RunStandIn() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kStandInClass;
    RegisterClassA(&wc);
    CreateWindowA(kStandInClass, "stand-in", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

void SendJoin(HWND target, int user, int groups) {
    const int group = user % groups + 1;
    reg::WriteMailbox("BR_TEMP2", "P" + std::to_string(user));
    reg::WriteMailbox("BR_TEMP", "Table " + std::to_string(group));
    reg::WriteMailbox("BR_TEMP1", std::to_string(group));
    reg::WriteMailbox("BR_TEMP3", "1");
    SendMessageA(target, 9027, static_cast<WPARAM>(user + 1000), 1);
}

HWND StartLobby(Process& browser, const std::string& dir) {
    HWND window = StartBrowser(browser, dir, "Bench Browser");
    if (window) SendMessageA(window, 9033, 1, 0);
    return window;
}

bool JoinStorm(const std::string& dir, HWND standIn, int joins, int groups) {
    Process browser;
    HWND window = StartLobby(browser, dir);
    if (!window) return false;
    double ours = 0, anchor = 0;
    for (int first = 0; first < joins; first += kTurn) {
        double start = Now();
        for (int user = first; user < first + kTurn; user++) SendJoin(window, user, groups);
        ours += Now() - start;
        start = Now();
        for (int user = first; user < first + kTurn; user++) SendJoin(standIn, user, groups);
        anchor += Now() - start;
    }
    const std::string what = "join storm " + std::to_string(joins) + " in " + std::to_string(groups) + " groups";
    bench::Row(what.c_str(), ours, "stand-in", anchor, "s", "<= 1.3");
    std::fflush(stdout);
    PostMessageA(window, WM_CLOSE, 0, 0);
    browser.WaitExit(60000);
    return true;
}

std::string FullDisplay() {
    std::string text;
    while (text.size() + 100 <= kDisplayLimit - 9) text += std::string(98, 'x') + "\r\n";
    return text;
}

std::string ChatLine(int i) { return "line " + std::to_string(i) + " of the chat, as long as most are\r\n"; }

using bench::Pump;

// The anchor: a visible bare edit of the display's size and limit, with the
// same text, taking each line in place as the display does.
struct BareDisplay {
    HWND frame = CreateWindowA("STATIC", "anchor", WS_POPUP | WS_VISIBLE, 0, 0, kDisplaySize.cx, kDisplaySize.cy,
                               nullptr, nullptr, nullptr, nullptr);
    HWND edit =
        CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 0,
                      0, kDisplaySize.cx, kDisplaySize.cy, frame, nullptr, nullptr, nullptr);
    explicit BareDisplay(const std::string& full) {
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        SendMessageA(edit, EM_SETLIMITTEXT, kDisplayLimit, 0);
        SetWindowTextA(edit, full.c_str());
        Pump();
    }
    ~BareDisplay() { DestroyWindow(frame); }
    void Append(const std::string& line) {
        LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
        if (length + static_cast<LRESULT>(line.size()) > kDisplayLimit) {
            SendMessageA(edit, EM_SETSEL, 0, 100);  // one leading line
            SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
            length -= 100;
        }
        SendMessageA(edit, EM_SETSEL, length, length);
        SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
        SendMessageA(edit, EM_LINESCROLL, 0, SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
        Pump();
    }
};

// The browser and the anchor take turns by kChatTurn lines, so that drift
// (and the browser's own start-up, still at work in the background) falls on
// both alike.
bool Chat(const std::string& dir) {
    Process browser;
    HWND window = StartLobby(browser, dir);
    if (!window) return false;
    const std::string full = FullDisplay();
    SendDlgItemMessageA(window, 1014, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(full.c_str()));
    BareDisplay bare(full);
    double ours = 0, anchor = 0;
    for (int first = 0; first < kChatLines; first += kChatTurn) {
        double start = Now();
        for (int i = first; i < first + kChatTurn; i++) {
            reg::WriteMailbox("BR_TEMP", ChatLine(i));
            reg::WriteMailbox("BR_TEMP4", "TALKER");
            SendMessageA(window, 9025, 5, 0);
        }
        Settle(window);
        ours += Now() - start;
        start = Now();
        for (int i = first; i < first + kChatTurn; i++) {
            reg::WriteMailbox("BR_TEMP", ChatLine(i));
            reg::WriteMailbox("BR_TEMP4", "TALKER");
            bare.Append("   TALKER : " + ChatLine(i));
        }
        anchor += Now() - start;
    }
    bench::Row("chat 300 lines into a full display", ours, "bare edit", anchor, "s", "<= 1.2");
    PostMessageA(window, WM_CLOSE, 0, 0);
    browser.WaitExit(60000);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--stand-in") == 0) return RunStandIn();
    reg::CleanSystemKeys();
    const std::string dir = ScratchDir("lobbybench");
    WriteFile(dir + "\\main.ini", "[main]\r\nname=Bench\r\n");

    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    Process standInProcess;
    if (!standInProcess.Start(self, "--stand-in", dir)) return 1;
    // The stand-in's window is never shown: it is found by its class.
    HWND standIn = nullptr;
    for (int i = 0; !standIn && i < 300; i++, Sleep(50)) standIn = FindWindowA(kStandInClass, nullptr);
    if (!standIn) return 1;

    bool ok = Chat(dir) && JoinStorm(dir, standIn, 10000, 100) && JoinStorm(dir, standIn, 100000, 1000);
    reg::CleanSystemKeys();
    return ok ? 0 : 1;
}
