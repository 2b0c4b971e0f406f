// The reference main client: a stand-in for the poker client that starts the
// browser, plays a scenario against it and answers its commands as a card-room
// server would. It tells what happens as it goes (transcript.h).
//
//   mainclient.exe [--browser EXE] [--workdir DIR] [--scenario FILE] [--address URL]
//                  [--timer MS] [--pace MS] [--seconds N] [--exit-when-done] [--raw] [--check]
// --raw prints one line per command and nothing of the steps; --check reads
// the options and the scenario and stops. Bad input gives one line per fault
// and exit code 2 before anything starts; otherwise the exit code is 0 when
// the browser ended with 0.
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "lobby/protocol.h"
#include "lobby/resource.h"
#include "tools/mainclient/scenario.h"
#include "tools/mainclient/transcript.h"

namespace mainclient {
namespace {

using namespace protocol;

const UINT_PTR kTickTimer = 1;
const char kUsage[] =
    "usage: mainclient [--browser EXE] [--workdir DIR] [--scenario FILE] [--address URL] [--timer MS] "
    "[--pace MS] [--seconds N] [--exit-when-done] [--raw] [--check]";

struct Options {
    std::string browser;
    std::string workdir;
    std::string scenarioFile;
    std::string address;
    int timerMs = 2000;
    int paceMs = 300;
    int seconds = 0;  // 0: until the browser ends
    bool exitWhenDone = false;
    bool raw = false;
    bool check = false;
};

struct Player {
    std::string nick;
    int online = 0;
};

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

bool WriteValue(const std::string& path, const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) return false;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size()));
    RegCloseKey(key);
    return true;
}

std::string ReadValue(const char* name) {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kMailboxKey, &key) != ERROR_SUCCESS) return {};
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(buffer, strnlen(buffer, size)) : std::string();
}

void Mail(const char* name, const std::string& value) { WriteValue(kMailboxKey, name, value); }

std::string ExeDirectory() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of("\\/"));
}

class MainClient {
public:
    explicit MainClient(const Options& options) : options(options), transcript(Print, options.raw) {
        login = {{"uno", "1001"},   {"part", "7"},      {"uid", "demo"},   {"pwd", "secret"},
                 {"hwinfo", "HW1"}, {"sitekey", "SK1"}, {"freesite", "0"}, {"deviceid", "DEV1"}};
    }
    ~MainClient() {
        if (browser.hProcess) {
            if (WaitForSingleObject(browser.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(browser.hProcess, 1);
            CloseHandle(browser.hProcess);
            CloseHandle(browser.hThread);
        }
        if (window) DestroyWindow(window);
    }

    int Run(const std::vector<Step>& steps);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool CreateMainWindow();
    bool StartBrowser();
    bool BrowserRunning() const { return WaitForSingleObject(browser.hProcess, 0) == WAIT_TIMEOUT; }
    HWND FindBrowserWindow() const;
    // Pumps messages for `ms`; false once the browser has ended.
    bool Pump(int ms);
    LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) { return SendMessageA(browserWindow, msg, wp, lp); }
    // Writes the message's mailbox values, then sends it.
    void Deliver(const Message& message);
    // Takes in what the step tells the main client; returns what it sends.
    Message Prepare(const Step& step);
    void Play(const Step& step);
    Values LoginMail();
    // The card-room server's answer to a command.
    Message Answer(unsigned id, LPARAM lp, const Values& valuesRead);
    void OnCommand(unsigned id, LPARAM lp);

    Options options;
    Transcript transcript;
    HWND window = nullptr;
    HWND browserWindow = nullptr;
    PROCESS_INFORMATION browser{};
    std::map<int32_t, Player> players;
    std::map<std::string, std::string> login;
    int32_t myId = 0;
    int online = 0;
};

bool MainClient::CreateMainWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kMainClientClass;
    RegisterClassA(&wc);
    window = CreateWindowExA(0, kMainClientClass, kMainClientTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             300, 200, nullptr, nullptr, wc.hInstance, this);
    return window != nullptr;
}

LRESULT CALLBACK MainClient::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    }
    auto* self = reinterpret_cast<MainClient*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == WM_COMMAND) {
        self->OnCommand(LOWORD(wp), lp);
        return 0;
    }
    if (self && msg == WM_TIMER && wp == kTickTimer) {
        if (self->browserWindow) self->Send(WM_TIMER, kTickTimer, 0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

bool MainClient::StartBrowser() {
    std::string exe = options.browser.empty() ? ExeDirectory() + "\\..\\..\\app\\browser.exe" : options.browser;
    std::string workdir = options.workdir.empty() ? ExeDirectory() : options.workdir;
    CreateDirectoryA(workdir.c_str(), nullptr);
    std::string ini = workdir + "\\main.ini";
    if (GetFileAttributesA(ini.c_str()) == INVALID_FILE_ATTRIBUTES)
        std::ofstream(ini, std::ios::binary) << "[main]\r\nname=Quintara Poker\r\n";

    std::string line = "\"" + exe + "\"" + (options.address.empty() ? "" : " " + options.address);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, workdir.c_str(), &startup,
                        &browser)) {
        transcript.Note("error cannot start " + exe);
        return false;
    }
    transcript.Note("started browser pid=" + std::to_string(browser.dwProcessId));
    return true;
}

struct WindowQuery {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchBrowserWindow(HWND hwnd, LPARAM lp) {
    auto* query = reinterpret_cast<WindowQuery*>(lp);
    DWORD pid = 0;
    char cls[16] = "";
    GetWindowThreadProcessId(hwnd, &pid);
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid != query->pid || strcmp(cls, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    query->found = hwnd;
    return FALSE;
}

HWND MainClient::FindBrowserWindow() const {
    WindowQuery query{browser.dwProcessId, nullptr};
    EnumWindows(MatchBrowserWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

bool MainClient::Pump(int ms) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!BrowserRunning()) return false;
        MsgWaitForMultipleObjects(1, &browser.hProcess, FALSE, 20, QS_ALLINPUT);
    } while (GetTickCount() - start < static_cast<DWORD>(ms));
    return BrowserRunning();
}

Values MainClient::LoginMail() {
    Values mail;
    for (const auto& [field, valueName] : LoginFieldNames()) mail.emplace_back(valueName, login[field]);
    return mail;
}

Message MainClient::Prepare(const Step& step) {
    auto number = [](int32_t n) { return std::to_string(n); };
    switch (step.kind) {
    case StepKind::MyId:
        myId = step.id;
        return {BRM_SET_MY_ID, 0, myId, {}};
    case StepKind::Online:
        online = step.number;
        return {BRM_SET_ONLINE, online, 0, {}};
    case StepKind::Lobby:
        return {BRM_SHOW_LOBBY, online, 0, {}};
    case StepKind::Join:
        return {
            BRM_LOBBY_USER,
            step.id,
            1,
            {{kTemp2, step.nick}, {kTemp, step.text}, {kTemp1, number(step.number)}, {kTemp3, number(step.number2)}}};
    case StepKind::Leave:
        return {BRM_LOBBY_USER,
                step.id,
                0,
                {{kTemp2, step.nick}, {kTemp1, number(step.number)}, {kTemp3, number(step.number2)}}};
    case StepKind::Chat:
        return {BRM_CHAT_LINE, step.id, -1, {{kTemp, step.text + "\r\n"}, {kTemp4, step.nick}}};
    case StepKind::User:
        players[step.id] = Player{step.nick, step.number};
        return {};
    case StepKind::Buddy: {
        const Player& player = players[step.id];
        return {BRM_ADD_BUDDY, 1, step.id, {{kTemp1, number(player.online)}, {kTemp2, player.nick}}};
    }
    case StepKind::Refuse:
        return {BRM_ADD_BUDDY, 0, 0, {}};
    case StepKind::Status:
        players[step.id].online = step.number;
        return {BRM_BUDDY_STATUS, step.number, step.id, {}};
    case StepKind::Login:
        for (const auto& [field, value] : step.fields) login[field] = value;
        return {};
    case StepKind::Site:
        WriteValue(kSitePageKeys[step.number], kSitePageValue, step.text);
        return {};
    case StepKind::Page:
        return {BRM_OPEN_SITE_PAGE, step.number, 0, LoginMail()};
    case StepKind::Open: {
        Message open{BRM_OPEN_MAILBOX_URL, 0, 0, {{kUrl, step.text}}};
        for (auto& value : LoginMail()) open.mail.push_back(value);
        return open;
    }
    case StepKind::Tick:
        return {WM_TIMER, kTickTimer, 0, {}};
    case StepKind::Mode:
        return {WM_COMMAND, step.number ? ID_MODE_LOBBY : ID_MODE_WEB, 0, {}};
    case StepKind::Close:
        return {WM_CLOSE, 0, 0, {}};
    case StepKind::Wait:
        break;
    }
    return {};
}

void MainClient::Deliver(const Message& message) {
    for (const auto& [name, value] : message.mail) Mail(name.c_str(), value);
    Send(message.number, message.wParam, message.lParam);
}

void MainClient::Play(const Step& step) {
    Message message = Prepare(step);
    transcript.Sent(step, message);
    if (step.kind == StepKind::Close)
        PostMessageA(browserWindow, WM_CLOSE, 0, 0);
    else if (message.number)
        Deliver(message);
}

Message MainClient::Answer(unsigned id, LPARAM lp, const Values& valuesRead) {
    auto value = [&valuesRead](const char* name) {
        for (const auto& [valueName, text] : valuesRead)
            if (valueName == name) return text;
        return std::string();
    };
    switch (id) {
    case BRC_SEND_CHAT:
    case BRC_SEND_PRIVATE_CHAT:
        // The server echoes a line to everyone it reaches, the sender included.
        return {BRM_CHAT_LINE, myId, 0, {{kTemp4, value(kTemp3)}, {kTemp, value(kTemp)}}};
    case BRC_ADD_BUDDY:
        for (const auto& [userId, player] : players) {
            if (player.nick == value(kTemp))
                return {BRM_ADD_BUDDY, 1, userId, {{kTemp1, std::to_string(player.online)}, {kTemp2, player.nick}}};
        }
        return {BRM_ADD_BUDDY, 0, 0, {}};
    case BRC_QUERY_BUDDY: {
        auto player = players.find(static_cast<int32_t>(lp));
        return {BRM_BUDDY_STATUS, player == players.end() ? 0 : player->second.online, lp, {}};
    }
    default:
        return {};
    }
}

void MainClient::OnCommand(unsigned id, LPARAM lp) {
    Values values;
    for (const std::string& name : ValuesReadFor(id)) values.emplace_back(name, ReadValue(name.c_str()));
    Message answer = browserWindow ? Answer(id, lp, values) : Message();
    transcript.Received(id, lp, values, answer);
    if (answer.number) Deliver(answer);
}

int MainClient::Run(const std::vector<Step>& steps) {
    if (!CreateMainWindow() || !StartBrowser()) return 1;
    DWORD start = GetTickCount();
    while (!(browserWindow = FindBrowserWindow())) {
        if (!Pump(50) || GetTickCount() - start > 30000) {
            transcript.Note("error the browser window did not appear");
            return 1;
        }
    }
    transcript.Note("browser window ready");
    SetTimer(window, kTickTimer, static_cast<UINT>(options.timerMs), nullptr);

    bool running = true;
    for (const Step& step : steps) {
        Play(step);
        if (!(running = Pump(step.kind == StepKind::Wait ? step.number : options.paceMs))) break;
    }
    if (running) transcript.ScenarioPlayed();
    if (options.exitWhenDone && BrowserRunning()) PostMessageA(browserWindow, WM_CLOSE, 0, 0);

    DWORD ran = GetTickCount();
    while (Pump(100)) {
        bool outOfTime = options.seconds > 0 && GetTickCount() - ran > static_cast<DWORD>(options.seconds) * 1000;
        if (outOfTime || (options.exitWhenDone && GetTickCount() - ran > 15000)) {
            PostMessageA(browserWindow, WM_CLOSE, 0, 0);
            if (!Pump(5000)) break;
            TerminateProcess(browser.hProcess, 1);
            break;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(browser.hProcess, &code);
    transcript.Ended(code);
    return code == 0 ? 0 : 1;
}

// Empty when the options are good, else what is wrong with them.
std::string ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        bool* flag = arg == "--exit-when-done" ? &options.exitWhenDone
                     : arg == "--raw"          ? &options.raw
                     : arg == "--check"        ? &options.check
                                               : nullptr;
        std::string* text = arg == "--browser"    ? &options.browser
                            : arg == "--workdir"  ? &options.workdir
                            : arg == "--scenario" ? &options.scenarioFile
                            : arg == "--address"  ? &options.address
                                                  : nullptr;
        int* number = arg == "--timer"     ? &options.timerMs
                      : arg == "--pace"    ? &options.paceMs
                      : arg == "--seconds" ? &options.seconds
                                           : nullptr;
        if (flag) {
            *flag = true;
            continue;
        }
        if (!text && !number) return "unknown option \"" + arg + "\"";
        if (i + 1 >= argc) return arg + " needs a value";
        std::string value = argv[++i];
        if (text) {
            *text = value;
            continue;
        }
        char* end = nullptr;
        errno = 0;
        long parsed = std::strtol(value.c_str(), &end, 10);
        // Seconds become milliseconds; a timer of 0 would never tick.
        if (value.empty() || *end || errno || parsed < (arg == "--timer" ? 1 : 0) || parsed > INT_MAX / 1000)
            return arg + " takes a whole number, not \"" + value + "\"";
        *number = static_cast<int>(parsed);
    }
    return {};
}

}  // namespace
}  // namespace mainclient

int main(int argc, char** argv) {
    using namespace mainclient;
    Options options;
    std::string error = ParseOptions(argc, argv, options);
    if (!error.empty()) {
        Print("error: " + error + "; " + kUsage);
        return 2;
    }
    std::string name = "the built-in demo";
    std::string text = DemoScenario();
    if (!options.scenarioFile.empty()) {
        name = options.scenarioFile;
        std::ifstream in(name, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        if (!in || in.bad()) {
            Print(name + ": cannot read the scenario");
            return 2;
        }
        text = content.str();
    }
    ParseResult scenario = ParseScenario(text);
    for (const std::string& fault : scenario.errors) Print(name + ": " + fault);
    if (!scenario.errors.empty()) return 2;
    return options.check ? 0 : MainClient(options).Run(scenario.steps);
}
