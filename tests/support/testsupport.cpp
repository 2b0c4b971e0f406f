#include "tests/support/testsupport.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace testsupport {

std::string TestExeDirectory() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of("\\/"));
}

std::string ProgramPath(const std::string& area, const std::string& exe) {
    // Tests live in <build>\tests\<area>; programs in <build>\<area>.
    std::string dir = TestExeDirectory();
    std::string build = dir.substr(0, dir.rfind("\\tests\\"));
    return build + "\\" + area + "\\" + exe;
}

std::string ScratchDir(const std::string& name) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp) + "qtests";
    CreateDirectoryA(root.c_str(), nullptr);
    std::string dir = root + "\\" + name;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            bool isLink = found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink) {
                RemoveTree(child);
            } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryA(child.c_str());
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

bool Settle(HWND window, int timeoutMs) {
    for (int round = 0; round < 100; round++) {
        DWORD_PTR result;
        if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result)) return false;
        if (!HIWORD(GetQueueStatus(QS_SENDMESSAGE))) return true;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // serves the sends
    }
    return false;
}

Process::Process(Process&& other) noexcept : info(other.info) { other.info = {}; }

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        info = other.info;
        other.info = {};
    }
    return *this;
}

Process::~Process() { Kill(); }

bool Process::Start(const std::string& exe, const std::string& arguments, const std::string& workingDir,
                    DWORD creationFlags) {
    Kill();
    std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info) != FALSE;
}

bool Process::Running() const { return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }

bool Process::WaitExit(int timeoutMs, DWORD* exitCode) {
    if (!info.hProcess) return false;
    if (!PumpUntil([this] { return !Running(); }, timeoutMs)) return false;
    if (exitCode) GetExitCodeProcess(info.hProcess, exitCode);
    return true;
}

void Process::Kill() {
    if (!info.hProcess) return;
    if (Running()) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    info = {};
}

namespace {
struct WindowQuery {
    DWORD processId;
    const char* className;
    const char* title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (query->processId && pid != query->processId) return TRUE;
    char text[512] = "";
    if (query->className) {
        GetClassNameA(window, text, sizeof text);
        if (strcmp(text, query->className) != 0) return TRUE;
    }
    if (query->title) {
        GetWindowTextA(window, text, sizeof text);
        if (strcmp(text, query->title) != 0) return TRUE;
    }
    query->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK FindChildText(HWND child, LPARAM param) {
    auto* wanted = reinterpret_cast<std::pair<const std::string*, bool>*>(param);
    char text[1024] = "";
    GetWindowTextA(child, text, sizeof text);
    if (*wanted->first == text) {
        wanted->second = true;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, const char* className) {
    WindowQuery query{processId, className, nullptr, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND StartBrowser(Process& browser, const std::string& dir, const char* title, const std::string& arguments) {
    if (!browser.Start(ProgramPath("app", "browser.exe"), arguments, dir)) return nullptr;
    return WaitForWindow("#32770", title, browser.Id());
}

bool Answers(const Process& browser, HWND window) {
    DWORD_PTR result;
    return browser.Running() && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

std::string CloseBrowser(Process& browser, HWND window, int timeoutMs) {
    if (!browser.Handle()) return "";
    if (browser.Running() && !window) {
        browser.Kill();
        return "the browser had no window to close; stopped by its id";
    }
    if (browser.Running()) PostMessageA(window, WM_CLOSE, 0, 0);
    // A crash hands the process to a debugger (Wine's waits on a dialog).
    BOOL debugged = FALSE;
    PumpUntil(
        [&] { return !browser.Running() || (CheckRemoteDebuggerPresent(browser.Handle(), &debugged) && debugged); },
        timeoutMs);
    DWORD code = 0;
    bool ended = !browser.Running() && GetExitCodeProcess(browser.Handle(), &code);
    browser.Kill();
    if (debugged) return "the browser crashed and a debugger took it; stopped by its id";
    if (!ended) return "the browser did not end when closed; stopped by its id";
    if (code == 0) return "";
    char text[64];
    snprintf(text, sizeof text, "the browser ended with exit code 0x%08lX", static_cast<unsigned long>(code));
    return text;
}

HWND WaitForWindow(const char* className, const char* title, DWORD processId, int timeoutMs) {
    HWND result = nullptr;
    PumpUntil(
        [&] {
            WindowQuery query{processId, className, title, {}};
            EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
            result = nullptr;
            for (HWND window : query.found)
                if (IsWindowVisible(window)) result = window;
            return result != nullptr;
        },
        timeoutMs);
    return result;
}

HWND WaitForMessageBox(DWORD processId, const std::string& text, int timeoutMs) {
    HWND result = nullptr;
    PumpUntil(
        [&] {
            for (HWND box : TopLevelWindows(processId, "#32770")) {
                std::pair<const std::string*, bool> wanted{&text, false};
                EnumChildWindows(box, FindChildText, reinterpret_cast<LPARAM>(&wanted));
                if (wanted.second && IsWindowVisible(box)) {
                    result = box;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return result;
}

std::string MessageBoxText(HWND box) {
    // The message is the static control with id 0xFFFF of the box.
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

bool DismissMessageBox(HWND box, int buttonId, int timeoutMs) {
    HWND button = GetDlgItem(box, buttonId);
    if (button)
        PostMessageA(button, BM_CLICK, 0, 0);
    else
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    return PumpUntil([box] { return !IsWindow(box); }, timeoutMs);
}

AsyncSend::AsyncSend(HWND target, UINT msg, WPARAM wp, LPARAM lp)
    : target(target), msg(msg), wp(wp), lp(lp), thread(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}

AsyncSend::~AsyncSend() {
    if (!thread) return;
    if (!Join(kDefaultTimeoutMs)) TerminateThread(thread, 1);
    CloseHandle(thread);
}

DWORD WINAPI AsyncSend::Run(void* param) {
    auto* self = static_cast<AsyncSend*>(param);
    self->result = SendMessageA(self->target, self->msg, self->wp, self->lp);
    return 0;
}

bool AsyncSend::Done() const { return thread && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }

std::optional<LRESULT> AsyncSend::Join(int timeoutMs) {
    if (!PumpUntil([this] { return Done(); }, timeoutMs)) return std::nullopt;
    return result;
}

namespace reg {
bool WriteBytes(HKEY root, const char* path, const char* name, DWORD type, const std::string& bytes) {
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool WriteString(HKEY root, const char* path, const char* name, const std::string& value) {
    return WriteBytes(root, path, name, REG_SZ, value);
}

std::optional<std::string> ReadRaw(HKEY root, const char* path, const char* name, DWORD* type) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD size = 0;
    DWORD valueType = 0;
    std::optional<std::string> result;
    if (RegQueryValueExA(key, name, nullptr, &valueType, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        if (RegQueryValueExA(key, name, nullptr, &valueType, reinterpret_cast<BYTE*>(bytes.data()), &size) ==
            ERROR_SUCCESS) {
            bytes.resize(size);
            result = bytes;
            if (type) *type = valueType;
        }
    }
    RegCloseKey(key);
    return result;
}

std::optional<size_t> StoredStringLength(HKEY root, const char* path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    std::wstring wideName(name, name + strlen(name));
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, wideName.c_str(), nullptr, nullptr, nullptr, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return size / sizeof(wchar_t);
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void DeleteTree(HKEY root, const char* path) {
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
}

bool WriteMailbox(const char* name, const std::string& value) {
    return WriteString(HKEY_LOCAL_MACHINE, kMailboxKey, name, value);
}

std::optional<std::string> ReadMailbox(const char* name) {
    std::optional<std::string> raw = ReadRaw(HKEY_LOCAL_MACHINE, kMailboxKey, name);
    if (raw) raw->resize(strnlen(raw->c_str(), raw->size()));
    return raw;
}

void CleanSystemKeys() { DeleteTree(HKEY_LOCAL_MACHINE, kVendorKey); }
}  // namespace reg

const std::vector<std::string>& MailboxValueNames() {
    static const std::vector<std::string> names = {
        "URL",      "BR_TEMP", "BR_TEMP1", "BR_TEMP2",   "BR_TEMP3",    "BR_TEMP4",     "URL_UNO",
        "URL_PART", "URL_UID", "URL_PWD",  "URL_HWINFO", "URL_SITEKEY", "URL_FREESITE", "URL_DEVICEID"};
    return names;
}

namespace {
const char kMainClientClass[] = "KORVEL_SEXYMAN";
}

FakeMainClient::FakeMainClient() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kMainClientClass;
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, kMainClientClass, "Quintara Poker", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           wc.hInstance, this);
}

FakeMainClient::~FakeMainClient() {
    if (hwnd) DestroyWindow(hwnd);
}

LRESULT CALLBACK FakeMainClient::WndProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    }
    auto* self = reinterpret_cast<FakeMainClient*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && msg == WM_COMMAND) {
        Command command{static_cast<unsigned>(LOWORD(wp)), lp, {}};
        for (const std::string& name : MailboxValueNames()) {
            if (auto value = reg::ReadMailbox(name.c_str())) command.mailbox[name] = *value;
        }
        self->commands.push_back(command);
        // A copy: the handler may send messages that record more commands.
        if (self->onCommand) self->onCommand(Command(command));
        return 0;
    }
    if (self && msg == WM_NCDESTROY) self->hwnd = nullptr;
    return DefWindowProcA(window, msg, wp, lp);
}

std::vector<unsigned> FakeMainClient::CommandIds() const {
    std::vector<unsigned> ids;
    for (const Command& command : commands) ids.push_back(command.id);
    return ids;
}

bool FakeMainClient::WaitForCommand(unsigned id, int timeoutMs, size_t from) {
    return PumpUntil(
        [&] {
            for (size_t i = from; i < commands.size(); i++)
                if (commands[i].id == id) return true;
            return false;
        },
        timeoutMs);
}

}  // namespace testsupport
