// The message storm: a hostile main client against a real browser.exe. It is
// the main client the browser looks for (answering 9035 and 9038), plays a
// seeded plan of control messages, mailbox values and input to the lobby
// list, answers the boxes the browser shows, and checks that the browser keeps
// answering, keeps its memory and writes whole files.
//
//   storm.exe [--seed N] [--count N] [--warmup N] [--browser EXE] [--trace] [--keep]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "lobby/protocol.h"
#include "lobby/resource.h"
#include "tests/support/testsupport.h"
#include "tools/storm/fault_watch.h"
#include "tools/storm/storm_checks.h"
#include "tools/storm/storm_plan.h"

namespace storm {
namespace {

using namespace testsupport;
using namespace protocol;

static_assert(wm::kCommand == WM_COMMAND && wm::kTimer == WM_TIMER && wm::kChar == WM_CHAR);
static_assert(wm::kKeyDown == WM_KEYDOWN && wm::kKeyUp == WM_KEYUP && wm::kVScroll == WM_VSCROLL);
static_assert(wm::kLButtonDown == WM_LBUTTONDOWN && wm::kLButtonDblClk == WM_LBUTTONDBLCLK);
static_assert(wm::kRButtonUp == WM_RBUTTONUP && wm::kMouseWheel == WM_MOUSEWHEEL);

const char kTitle[] = "Storm Browser";
const int kHeaderBand = 24;       // where a header would be, when the list has none
const int kStepBoundMs = 20000;   // one message, the boxes it shows answered
const int kAnswerBoundMs = 5000;  // the browser still answers
const int kBoxScanAfterMs = 20;   // a send still out after this may be showing a box
const long kCheckEvery = 1000;
const SIZE_T kGrowthLimit = 8u << 20;
const char* const kKnownBoxes[] = {"Internet Connection Required.", "Invalid User Nickname."};

struct Options {
    uint64_t seed = 0;
    bool seedGiven = false;
    long count = 10000;
    long warmup = -1;  // -1: a tenth of the count, at most 10,000
    std::string browser;
    bool trace = false;
    bool keep = false;
};

std::string ExeDirectory() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of("\\/"));
}

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string Megabytes(SIZE_T bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1048576.0);
    return text;
}

void CALLBACK Returned(HWND, UINT, ULONG_PTR data, LRESULT) { *reinterpret_cast<bool*>(data) = true; }

class Storm {
public:
    explicit Storm(const Options& options) : options(options), plan(options.seed) {
        for (const Player& player : plan.Players()) players[player.id] = player;
        mainClient.onCommand = [this](const FakeMainClient::Command& command) { OnCommand(command); };
    }
    ~Storm() { mainClient.onCommand = nullptr; }
    int Run();

private:
    bool Start();
    bool Play(const Step& step);
    bool PlayInput(const Step& step);
    // Sends and waits until the browser has returned, serving its sends to us
    // and answering the boxes it shows meanwhile.
    bool Deliver(HWND target, UINT msg, WPARAM wp, LPARAM lp);
    bool BrowserEnded();
    bool AnswerBoxes();
    bool AnswerInput(HWND dialog);
    void OnCommand(const FakeMainClient::Command& command);
    void WriteRegistry(const RegistryWrite& write);
    HWND FindHeader() const;
    bool StillAnswers();
    SIZE_T PrivateBytes() const;
    bool CheckFaults();
    bool CheckFiles();
    bool Checkpoint();
    bool PlayAll();
    bool Stop();
    bool Fail(const std::string& reason);

    Options options;
    Plan plan;
    std::map<int32_t, Player> players;
    FakeMainClient mainClient;
    FaultWatch watch;  // outlives the browser
    Process browser;
    std::string dir;
    HWND window = nullptr;
    HWND list = nullptr;
    const Step* current = nullptr;
    long index = 0;
    int32_t myId = 0;
    std::set<HWND> answering;  // boxes being answered further up the stack
    long boxesAnswered = 0;
    long inputsAnswered = 0;
    long warmup = 0;  // memory is compared from this message on
    DWORD started = 0;
    SIZE_T baseline = 0, peak = 0, last = 0;
    std::string failure;
};

bool Storm::Fail(const std::string& reason) {
    if (failure.empty()) failure = reason;
    return false;
}

bool Storm::Start() {
    reg::CleanSystemKeys();
    dir = ScratchDir("storm");
    WriteFile(dir + "\\main.ini", "[main]\r\nname=Storm\r\n");
    std::string exe = options.browser.empty() ? ExeDirectory() + "\\..\\..\\app\\browser.exe" : options.browser;
    if (!watch.Start(browser, exe, dir)) return Fail("cannot start " + exe);
    window = WaitForWindow("#32770", kTitle, browser.Id(), 30000);
    if (!window) return Fail("the browser window did not appear");
    if (!mainClient.WaitForCommand(BRC_STARTED_2)) return Fail("the browser did not greet the main client");
    list = GetDlgItem(window, IDC_LOBBY_LIST);
    if (!list) return Fail("the browser has no lobby list (control 1018)");
    return Settle(window) || Fail("the browser did not settle after its start");
}

bool Storm::Deliver(HWND target, UINT msg, WPARAM wp, LPARAM lp) {
    // On the heap: after a timeout the answer may still come, into this flag.
    bool* done = new bool(false);
    if (!SendMessageCallbackA(target, msg, wp, lp, Returned, reinterpret_cast<ULONG_PTR>(done))) {
        delete done;
        // A window that went away may be a browser on its way out.
        return browser.WaitExit(2000) ? BrowserEnded() : Fail("cannot send message " + std::to_string(msg));
    }
    DWORD start = GetTickCount();
    for (;;) {
        MSG queued;
        while (PeekMessageA(&queued, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&queued);
        // A failure in an answer to the browser, sent meanwhile, is this message's.
        if (!failure.empty()) return false;
        if (*done) break;
        DWORD waited = GetTickCount() - start;
        if (!browser.Running()) return BrowserEnded();
        if (waited >= static_cast<DWORD>(kStepBoundMs))
            return Fail("message " + std::to_string(msg) + " did not return within " +
                        std::to_string(kStepBoundMs / 1000) + " s");
        if (waited >= static_cast<DWORD>(kBoxScanAfterMs) && !AnswerBoxes()) return false;
        HANDLE process = browser.Handle();
        MsgWaitForMultipleObjects(1, &process, FALSE, 5, QS_ALLINPUT);
    }
    delete done;
    return true;
}

bool Storm::BrowserEnded() {
    DWORD code = 0;
    GetExitCodeProcess(browser.Handle(), &code);
    return Fail("the browser ended (exit code " + std::to_string(code) + ")");
}

bool Storm::AnswerBoxes() {
    for (HWND box : TopLevelWindows(browser.Id(), "#32770")) {
        if (box == window || !IsWindowVisible(box) || answering.count(box)) continue;
        answering.insert(box);
        char title[64] = "";
        GetWindowTextA(box, title, sizeof title);
        std::string text = MessageBoxText(box);
        bool known = false;
        for (const char* expected : kKnownBoxes) known = known || text == expected;
        bool input = std::string(title) == "Input";
        bool answered = input ? AnswerInput(box) : DismissMessageBox(box, IDOK);
        (input ? inputsAnswered : boxesAnswered)++;
        answering.erase(box);
        if (!known && !input) return Fail("unexpected box \"" + text + "\"");
        if (!answered) return Fail("the box \"" + (text.empty() ? std::string(title) : text) + "\" did not close");
    }
    return true;
}

// The input dialog of "A" and "D": types the step's text, then OK or Cancel.
bool Storm::AnswerInput(HWND dialog) {
    bool fromStep = current && current->kind == Kind::BuddyButton;
    HWND edit = GetDlgItem(dialog, IDC_INPUT_TEXT);
    if (fromStep && edit) {
        for (char key : current->typed) {
            DWORD_PTR result;
            SendMessageTimeoutA(edit, WM_CHAR, static_cast<unsigned char>(key), 1, SMTO_NORMAL, kAnswerBoundMs,
                                &result);
        }
    }
    return DismissMessageBox(dialog, fromStep && current->confirm ? IDOK : IDCANCEL, kStepBoundMs);
}

// The main client's side of the protocol, as a card-room server would
// answer. An answer that fails is the failure of the step the storm is in:
// Deliver records it, and every step and the verdict look at it.
void Storm::OnCommand(const FakeMainClient::Command& command) {
    auto value = [&command](const char* name) {
        auto found = command.mailbox.find(name);
        return found == command.mailbox.end() ? std::string() : found->second;
    };
    auto answer = [this, &command](UINT msg, WPARAM wp, LPARAM lp) {
        if (!Deliver(window, msg, wp, lp)) Fail("no answer to command " + std::to_string(command.id));
    };
    if (!failure.empty()) return;
    if (command.id == BRC_ADD_BUDDY) {
        for (const auto& [id, player] : players) {
            if (player.nickname != value(kTemp)) continue;
            reg::WriteMailbox(kTemp1, std::to_string(player.online));
            reg::WriteMailbox(kTemp2, player.nickname);
            return answer(BRM_ADD_BUDDY, 1, id);
        }
        answer(BRM_ADD_BUDDY, 0, 0);
    } else if (command.id == BRC_QUERY_BUDDY) {
        auto player = players.find(static_cast<int32_t>(command.lParam));
        answer(BRM_BUDDY_STATUS, player == players.end() ? 0 : player->second.online, command.lParam);
    } else if (command.id == BRC_SEND_CHAT || command.id == BRC_SEND_PRIVATE_CHAT) {
        reg::WriteMailbox(kTemp4, value(kTemp3));
        reg::WriteMailbox(kTemp, value(kTemp));
        answer(BRM_CHAT_LINE, myId, 0);
    }
}

void Storm::WriteRegistry(const RegistryWrite& write) {
    const char* key = write.key.empty() ? reg::kMailboxKey : write.key.c_str();
    DWORD type = write.type == ValueType::Text ? REG_SZ : write.type == ValueType::Binary ? REG_BINARY : REG_DWORD;
    reg::WriteBytes(HKEY_LOCAL_MACHINE, key, write.name.c_str(), type, write.bytes);
}

// The list's header is its child window; the report control makes it.
HWND Storm::FindHeader() const {
    HWND header = FindWindowExA(list, nullptr, "SysHeader32", nullptr);
    return header ? header : GetWindow(list, GW_CHILD);
}

bool Storm::PlayInput(const Step& step) {
    HWND target = step.target == Target::ChatInput ? GetDlgItem(window, IDC_CHAT_INPUT) : list;
    HWND header = step.target == Target::Header ? FindHeader() : nullptr;
    if (header) target = header;
    if (!target) return Fail("the input's target window is missing");
    RECT client;
    GetClientRect(target, &client);
    int height = step.target == Target::Header && !header ? std::min<int>(client.bottom, kHeaderBand) : client.bottom;
    for (const InputMessage& input : step.input) {
        POINT pt{static_cast<LONG>(input.x * client.right / 65536), static_cast<LONG>(input.y * height / 65536)};
        LPARAM lp = 0;
        if (input.message == WM_MOUSEWHEEL) {
            ClientToScreen(target, &pt);
            lp = MAKELPARAM(pt.x, pt.y);
        } else if (input.message >= WM_MOUSEFIRST && input.message <= WM_MOUSELAST) {
            lp = MAKELPARAM(pt.x, pt.y);
        } else if (input.message == WM_KEYDOWN || input.message == WM_KEYUP) {
            LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(input.wParam, MAPVK_VK_TO_VSC)) << 16;
            lp = 1 | scan | (input.message == WM_KEYUP ? static_cast<LPARAM>(0xC0000000u) : 0);
        } else if (input.message == WM_CHAR) {
            lp = 1;
        }
        if (!Deliver(target, input.message, input.wParam, lp)) return false;
    }
    return true;
}

bool Storm::Play(const Step& step) {
    current = &step;
    for (const RegistryWrite& write : step.writes) WriteRegistry(write);
    bool ok = true;
    if (step.target != Target::Dialog) {
        ok = PlayInput(step);
    } else if (step.posted) {
        ok = PostMessageA(window, step.message, step.wParam, step.lParam) || Fail("cannot post");
    } else {
        LPARAM lp = static_cast<LPARAM>(static_cast<int32_t>(step.lParam));
        // A button's command names the button, as a click would.
        if (step.message == WM_COMMAND && step.wParam < 9000)
            lp = reinterpret_cast<LPARAM>(GetDlgItem(window, step.wParam));
        if (step.message == BRM_SET_MY_ID) myId = static_cast<int32_t>(step.lParam);
        // A box answering the main client's message releases it first: the
        // box may still be open when the send has returned. Once the browser
        // answers again, it shows it.
        ok = Deliver(window, step.message, step.wParam, lp) && StillAnswers() && AnswerBoxes();
    }
    mainClient.Clear();
    current = nullptr;
    return ok && failure.empty();
}

bool Storm::StillAnswers() {
    DWORD_PTR result;
    if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerBoundMs, &result)) return true;
    if (browser.WaitExit(2000)) return BrowserEnded();  // gone, not hung
    return Fail("the browser did not answer within " + std::to_string(kAnswerBoundMs / 1000) + " s");
}

SIZE_T Storm::PrivateBytes() const {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(browser.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    // The same commit charge; Wine fills only the older field.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

bool Storm::CheckFaults() {
    std::vector<std::string> faults = watch.TakeFaults();
    if (faults.empty()) return true;
    std::string more = faults.size() > 1 ? " (and " + std::to_string(faults.size() - 1) + " more)" : "";
    return Fail("the browser faulted: " + faults.front() + more);
}

bool Storm::CheckFiles() {
    Verdict buddies = CheckBuddyFile(ReadFile(dir + "\\buddylist.dat").value_or(""));
    if (!buddies.ok) return Fail("buddylist.dat: " + buddies.reason);
    std::string summary = "buddylist.dat " + std::to_string(buddies.count) + " records";
    const std::pair<const char*, bool> logs[] = {
        {"SDListErr.log", false}, {"SDListDbg_Exception.log", true}, {"MB_ERR.LOG", false}};
    for (const auto& [name, faultLines] : logs) {
        Verdict verdict = CheckLogFile(ReadFile(dir + "\\" + name).value_or(""), faultLines);
        if (!verdict.ok) return Fail(std::string(name) + ": " + verdict.reason);
        summary += ", " + std::string(name) + " " + std::to_string(verdict.count) + " lines";
    }
    Print("storm: files well formed: " + summary);
    return true;
}

// Closes the browser as a user would, so that its way out is stormed too.
bool Storm::Stop() {
    bool closed = true;
    if (browser.Running() && window) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        closed = browser.WaitExit(10000);
    }
    browser.Kill();
    bool ok = CheckFaults() && (closed || Fail("the browser did not close; ended by its id"));
    reg::CleanSystemKeys();
    if (failure.empty() && !options.keep)
        RemoveTree(dir);
    else
        Print("storm: the working folder is kept: " + dir);
    return ok;
}

// Every kCheckEvery messages: the browser answers, and its memory is taken.
bool Storm::Checkpoint() {
    if (!StillAnswers() || !Settle(window, kAnswerBoundMs)) return false;
    last = PrivateBytes();
    if (index == warmup) baseline = last;
    if (index >= warmup) peak = std::max(peak, last);
    if (index % (options.count >= 100000 ? 10000 : kCheckEvery) == 0) {
        Print("storm: " + std::to_string(index) + " messages, " + std::to_string((GetTickCount() - started) / 1000) +
              " s, private " + Megabytes(last));
    }
    return true;
}

bool Storm::PlayAll() {
    if (!Start()) return false;
    if (warmup == 0) baseline = PrivateBytes();
    for (index = 1; index <= options.count; index++) {
        Step step = plan.Next();
        DWORD stepStart = GetTickCount();
        bool played = Play(step) && CheckFaults();
        if (options.trace || !played) {
            Print(std::to_string(index) + " " + step.Describe() + " (" + std::to_string(GetTickCount() - stepStart) +
                  " ms)");
        }
        if (!played) return false;
        if ((index % kCheckEvery == 0 || index == options.count || index == warmup) && !Checkpoint()) return false;
    }
    index = options.count;
    if (baseline == 0) return Fail("the browser's private memory could not be read");
    if (last > baseline && last - baseline >= kGrowthLimit)
        return Fail("private memory grew by " + Megabytes(last - baseline) + " after message " +
                    std::to_string(warmup));
    return CheckFiles();
}

int Storm::Run() {
    warmup = options.warmup >= 0 ? options.warmup : std::min(options.count / 10, 10000L);
    Print("storm: seed " + std::to_string(options.seed) + ", " + std::to_string(options.count) +
          " messages, memory from message " + std::to_string(warmup));
    started = GetTickCount();
    bool ok = PlayAll();
    // The verdict is the failure's: one met while answering the browser on
    // its way out comes after every step has returned.
    ok = Stop() && ok && failure.empty();
    if (!ok) {
        Print("storm: FAILED (seed " + std::to_string(options.seed) + ", at message " + std::to_string(index) +
              "): " + failure);
        return 1;
    }
    long growth = static_cast<long>(last) - static_cast<long>(baseline);
    Print("storm: passed: seed " + std::to_string(options.seed) + ", " + std::to_string(options.count) +
          " messages in " + std::to_string((GetTickCount() - started + 500) / 1000) + " s; private memory " +
          Megabytes(baseline) + " at message " + std::to_string(warmup) + ", " + Megabytes(last) +
          " at the end (growth " + std::to_string(growth / 1024) + " KB, peak " + Megabytes(peak) + ", limit 8 MB); " +
          std::to_string(boxesAnswered) + " message boxes and " + std::to_string(inputsAnswered) +
          " input dialogs answered");
    return 0;
}

bool ParseNumber(const char* text, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text, &end, 0);
    return end != text && *end == '\0' && value >= 0;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        long long number = 0;
        bool hasValue = i + 1 < argc;
        if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--keep") {
            options.keep = true;
        } else if (arg == "--browser" && hasValue) {
            options.browser = argv[++i];
        } else if (arg == "--seed" && hasValue) {
            char* end = nullptr;
            const char* text = argv[++i];
            options.seed = std::strtoull(text, &end, 0);
            options.seedGiven = end != text && *end == '\0';
            if (!options.seedGiven) return false;
        } else if ((arg == "--count" || arg == "--warmup") && hasValue && ParseNumber(argv[++i], number)) {
            (arg == "--count" ? options.count : options.warmup) = static_cast<long>(number);
        } else {
            return false;
        }
    }
    return options.count > 0 && options.warmup <= options.count;
}

}  // namespace
}  // namespace storm

int main(int argc, char** argv) {
    using namespace storm;
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Print("usage: storm [--seed N] [--count N] [--warmup N] [--browser EXE] [--trace] [--keep]");
        return 2;
    }
    if (!options.seedGiven) options.seed = (uint64_t{GetTickCount()} << 20) ^ GetCurrentProcessId();
    return Storm(options).Run();
}
