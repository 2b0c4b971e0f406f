// The reference main client: a stand-in for the poker client that starts the
// browser, plays a scenario against it and answers its commands as a card-room
// server would. Every command it receives is printed as one line.
//
//   mainclient.exe [--browser EXE] [--workdir DIR] [--scenario FILE] [--address URL]
//                  [--timer MS] [--pace MS] [--seconds N] [--exit-when-done]
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tools/mainclient/scenario.h"

namespace mainclient {
namespace {

const char kClassName[] = "KORVEL_SEXYMAN";
const char kTitle[] = "Quintara Poker";
const char kMailboxKey[] = "SOFTWARE\\Korvel\\Casino\\quintara\\common";
const char kSiteRoot[] = "SOFTWARE\\Korvel\\Casino\\marrowfine\\";
const char* const kSitePages[] = {"HOME", "NEWS", "EVENT", "CUSTOMER", "FAQ", "HELP"};
const UINT_PTR kTickTimer = 1;

struct Options {
    std::string browser;
    std::string workdir;
    std::string scenarioFile;
    std::string address;
    int timerMs = 2000;
    int paceMs = 300;
    int seconds = 0;  // 0: until the browser ends
    bool exitWhenDone = false;
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
    explicit MainClient(const Options& options) : options(options) {
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
    void Play(const Step& step);
    void WriteLogin();
    void OnCommand(unsigned id, LPARAM lp);

    Options options;
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
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    window = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 300, 200,
                             nullptr, nullptr, wc.hInstance, this);
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
        Print("error cannot start " + exe);
        return false;
    }
    Print("started browser pid=" + std::to_string(browser.dwProcessId));
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

void MainClient::WriteLogin() {
    for (const auto& [field, valueName] : LoginFieldNames()) Mail(valueName.c_str(), login[field]);
}

void MainClient::Play(const Step& step) {
    switch (step.kind) {
    case StepKind::MyId:
        myId = step.id;
        Send(9032, 0, myId);
        break;
    case StepKind::Online:
        online = step.number;
        Send(9028, online, 0);
        break;
    case StepKind::Lobby:
        Send(9033, online, 0);
        break;
    case StepKind::Join:
        Mail("BR_TEMP2", step.nick);
        Mail("BR_TEMP", step.text);
        Mail("BR_TEMP1", std::to_string(step.number));
        Mail("BR_TEMP3", std::to_string(step.number2));
        Send(9027, step.id, 1);
        break;
    case StepKind::Leave:
        Mail("BR_TEMP2", step.nick);
        Mail("BR_TEMP1", std::to_string(step.number));
        Mail("BR_TEMP3", std::to_string(step.number2));
        Send(9027, step.id, 0);
        break;
    case StepKind::Chat:
        Mail("BR_TEMP", step.text + "\r\n");
        Mail("BR_TEMP4", step.nick);
        Send(9025, step.id, -1);
        break;
    case StepKind::User:
        players[step.id] = Player{step.nick, step.number};
        break;
    case StepKind::Buddy: {
        const Player& player = players[step.id];
        Mail("BR_TEMP1", std::to_string(player.online));
        Mail("BR_TEMP2", player.nick);
        Send(9036, 1, step.id);
        break;
    }
    case StepKind::Refuse:
        Send(9036, 0, 0);
        break;
    case StepKind::Status:
        players[step.id].online = step.number;
        Send(9039, step.number, step.id);
        break;
    case StepKind::Login:
        for (const auto& [field, value] : step.fields) login[field] = value;
        break;
    case StepKind::Site:
        WriteValue(kSiteRoot + std::string(kSitePages[step.number]), "MAINCLIENT", step.text);
        break;
    case StepKind::Page:
        WriteLogin();
        Send(8828, step.number, 0);
        break;
    case StepKind::Open:
        Mail("URL", step.text);
        WriteLogin();
        Send(8830, 0, 0);
        break;
    case StepKind::Tick:
        Send(WM_TIMER, kTickTimer, 0);
        break;
    case StepKind::Wait:
        break;
    case StepKind::Mode:
        Send(WM_COMMAND, step.number ? 9301 : 9300, 0);
        break;
    case StepKind::Close:
        PostMessageA(browserWindow, WM_CLOSE, 0, 0);
        break;
    }
}

void MainClient::OnCommand(unsigned id, LPARAM lp) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const std::string& name : ValuesReadFor(id)) values.emplace_back(name, ReadValue(name.c_str()));
    Print(FormatCommand(id, lp, values));
    if (!browserWindow) return;

    switch (id) {
    case 9026:
    case 9037: {
        // The server echoes a line to everyone it reaches, the sender included.
        std::string text = ReadValue("BR_TEMP");
        Mail("BR_TEMP4", ReadValue("BR_TEMP3"));
        Mail("BR_TEMP", text);
        Send(9025, myId, 0);
        break;
    }
    case 9035: {
        std::string nick = ReadValue("BR_TEMP");
        for (const auto& [userId, player] : players) {
            if (player.nick != nick) continue;
            Mail("BR_TEMP1", std::to_string(player.online));
            Mail("BR_TEMP2", player.nick);
            Send(9036, 1, userId);
            return;
        }
        Send(9036, 0, 0);
        break;
    }
    case 9038: {
        auto player = players.find(static_cast<int32_t>(lp));
        Send(9039, player == players.end() ? 0 : player->second.online, lp);
        break;
    }
    default:
        break;
    }
}

int MainClient::Run(const std::vector<Step>& steps) {
    if (!CreateMainWindow() || !StartBrowser()) return 1;
    DWORD start = GetTickCount();
    while (!(browserWindow = FindBrowserWindow())) {
        if (!Pump(50) || GetTickCount() - start > 30000) {
            Print("error the browser window did not appear");
            return 1;
        }
    }
    Print("browser window ready");
    SetTimer(window, kTickTimer, static_cast<UINT>(options.timerMs), nullptr);

    for (const Step& step : steps) {
        Play(step);
        if (!Pump(step.kind == StepKind::Wait ? step.number : options.paceMs)) break;
    }
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
    Print("browser ended code=" + std::to_string(code));
    return 0;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        auto next = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        std::string number;
        if (arg == "--browser" && next(options.browser)) continue;
        if (arg == "--workdir" && next(options.workdir)) continue;
        if (arg == "--scenario" && next(options.scenarioFile)) continue;
        if (arg == "--address" && next(options.address)) continue;
        if (arg == "--exit-when-done") {
            options.exitWhenDone = true;
            continue;
        }
        if ((arg == "--timer" || arg == "--pace" || arg == "--seconds") && next(number)) {
            int value = atoi(number.c_str());
            (arg == "--timer" ? options.timerMs : arg == "--pace" ? options.paceMs : options.seconds) = value;
            continue;
        }
        return false;
    }
    return options.timerMs > 0 && options.paceMs >= 0 && options.seconds >= 0;
}

}  // namespace
}  // namespace mainclient

int main(int argc, char** argv) {
    using namespace mainclient;
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Print(
            "usage: mainclient [--browser EXE] [--workdir DIR] [--scenario FILE] [--address URL] "
            "[--timer MS] [--pace MS] [--seconds N] [--exit-when-done]");
        return 2;
    }
    std::string text = DemoScenario();
    if (!options.scenarioFile.empty()) {
        std::ifstream in(options.scenarioFile, std::ios::binary);
        if (!in) {
            Print("error cannot read scenario " + options.scenarioFile);
            return 2;
        }
        std::ostringstream content;
        content << in.rdbuf();
        text = content.str();
    }
    ParseResult scenario = ParseScenario(text);
    for (const std::string& error : scenario.errors) Print("error scenario " + error);
    if (!scenario.errors.empty()) return 2;
    return MainClient(options).Run(scenario.steps);
}
