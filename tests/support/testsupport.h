// What the Windows tests share: programs under test in their own working
// folders, windows and message boxes found with bounded waits, the registry
// keys of the system, and a stand-in main client that records what it is told.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

constexpr int kDefaultTimeoutMs = 15000;

// Folder of the running test executable (where the programs under test are
// built too, one level up: the build directory).
std::string TestExeDirectory();
// Path of a program of the build, e.g. ProgramPath("app", "browser.exe").
std::string ProgramPath(const std::string& area, const std::string& exe);

// A fresh, empty scratch folder of this run inside the prefix's temp folder.
std::string ScratchDir(const std::string& name);
void WriteFile(const std::string& path, const std::string& content);
std::optional<std::string> ReadFile(const std::string& path);
void RemoveTree(const std::string& path);  // only ever called on scratch folders

// Pumps this thread's messages until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = kDefaultTimeoutMs);
void PumpFor(int ms);

// Returns once the thread of `window` (another process's) has handled what it
// was busy with, serving what it sends to us meanwhile: a window busy in a
// handler answers our probe from inside its own send to us, before we have
// served that send, so probing once is not enough.
bool Settle(HWND window, int timeoutMs = kDefaultTimeoutMs);

// A program under test; it is terminated (by its id) when the object goes.
class Process {
public:
    Process() = default;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // creationFlags as CreateProcess takes them (DEBUG_ONLY_THIS_PROCESS, ...).
    bool Start(const std::string& exe, const std::string& arguments, const std::string& workingDir,
               DWORD creationFlags = 0);
    DWORD Id() const { return info.dwProcessId; }
    // Lets a program started with CREATE_SUSPENDED run.
    bool Resume() const { return ResumeThread(info.hThread) != static_cast<DWORD>(-1); }
    HANDLE Handle() const { return info.hProcess; }
    bool Running() const;
    // Waits (pumping messages, so sends to us are served) for the end.
    bool WaitExit(int timeoutMs = kDefaultTimeoutMs, DWORD* exitCode = nullptr);
    void Kill();

private:
    PROCESS_INFORMATION info{};
};

// A visible top-level window of `processId` (0: any) with this class and
// title (nullptr: any), waiting up to timeoutMs while pumping our own
// messages. A dialog becomes visible once its initialisation is done.
HWND WaitForWindow(const char* className, const char* title, DWORD processId = 0, int timeoutMs = kDefaultTimeoutMs);
std::vector<HWND> TopLevelWindows(DWORD processId, const char* className = nullptr);

// The build's browser.exe started in `dir`: its dialog, titled `title` (from
// the dir's main.ini), once shown; nullptr if it did not start or show.
HWND StartBrowser(Process& browser, const std::string& dir, const char* title, const std::string& arguments = "");
// The browser runs and its window still answers.
bool Answers(const Process& browser, HWND window);
// Closes the browser as the user would and says what was wrong with its end,
// "" when it ended by itself with exit code 0. One that does not end is
// stopped by its id. Every fixture that starts a browser checks this in its
// TearDown: a fault after the test's last look shows only here.
std::string CloseBrowser(Process& browser, HWND window, int timeoutMs = kDefaultTimeoutMs);

// Message boxes: a "#32770" window of the process holding a static with `text`.
HWND WaitForMessageBox(DWORD processId, const std::string& text, int timeoutMs = kDefaultTimeoutMs);
std::string MessageBoxText(HWND box);
// Presses the button (IDOK, IDYES, IDNO, ...) and waits for the box to go.
bool DismissMessageBox(HWND box, int buttonId = IDOK, int timeoutMs = kDefaultTimeoutMs);

// Sends a message from a worker thread, so that the test can answer a message
// box the receiver shows meanwhile. Join() waits for the result.
class AsyncSend {
public:
    AsyncSend(HWND target, UINT msg, WPARAM wp, LPARAM lp);
    AsyncSend(const AsyncSend&) = delete;
    AsyncSend& operator=(const AsyncSend&) = delete;
    ~AsyncSend();
    bool Done() const;
    std::optional<LRESULT> Join(int timeoutMs = kDefaultTimeoutMs);

private:
    static DWORD WINAPI Run(void* self);
    HWND target;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    LRESULT result = 0;
    HANDLE thread = nullptr;
};

// Registry of the system under HKEY_LOCAL_MACHINE.
namespace reg {
constexpr char kMailboxKey[] = "SOFTWARE\\Korvel\\Casino\\quintara\\common";
constexpr char kSiteKeyRoot[] = "SOFTWARE\\Korvel\\Casino\\marrowfine";
constexpr char kVendorKey[] = "SOFTWARE\\Korvel";
bool WriteString(HKEY root, const char* path, const char* name, const std::string& value);
bool WriteBytes(HKEY root, const char* path, const char* name, DWORD type, const std::string& bytes);
// The raw stored bytes and type of a value; no result when missing.
std::optional<std::string> ReadRaw(HKEY root, const char* path, const char* name, DWORD* type = nullptr);
// Characters a string value holds as stored (the ANSI query adds a terminator).
std::optional<size_t> StoredStringLength(HKEY root, const char* path, const char* name);
bool KeyExists(HKEY root, const char* path);
void DeleteTree(HKEY root, const char* path);

bool WriteMailbox(const char* name, const std::string& value);
std::optional<std::string> ReadMailbox(const char* name);
// Removes everything the system keeps under our vendor's key.
void CleanSystemKeys();
}  // namespace reg

// The main client as the browser sees it: a top-level window of class
// "KORVEL_SEXYMAN" titled "Quintara Poker" that records every WM_COMMAND with
// the mailbox values at that moment, and can answer from its handler.
class FakeMainClient {
public:
    struct Command {
        unsigned id;
        LPARAM lParam;
        std::map<std::string, std::string> mailbox;  // missing values are absent
    };

    FakeMainClient();
    ~FakeMainClient();
    FakeMainClient(const FakeMainClient&) = delete;
    FakeMainClient& operator=(const FakeMainClient&) = delete;

    HWND Hwnd() const { return hwnd; }
    const std::vector<Command>& Commands() const { return commands; }
    std::vector<unsigned> CommandIds() const;
    void Clear() { commands.clear(); }
    // Waits until a command with this id has arrived (counting from `from`).
    bool WaitForCommand(unsigned id, int timeoutMs = kDefaultTimeoutMs, size_t from = 0);
    // Called on every command, after it was recorded, inside its handling.
    std::function<void(const Command&)> onCommand;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd = nullptr;
    std::vector<Command> commands;
};

// Every value name of the mailbox.
const std::vector<std::string>& MailboxValueNames();

}  // namespace testsupport
