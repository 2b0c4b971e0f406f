#include "tests/uninstaller/win_helpers.h"

#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstring>

extern "C" LONG NTAPI NtDeleteKey(HANDLE key);

namespace uninst_test {

namespace {

std::string TempRoot() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string root = temp;
    if (!root.empty() && root.back() == '\\') root.pop_back();
    return root + "\\uninst_test";
}

// Names of a folder, wide: an ANSI name can spell a path that leads elsewhere.
std::vector<WIN32_FIND_DATAW> Children(const std::wstring& dir) {
    std::vector<WIN32_FIND_DATAW> children;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return children;
    do {
        if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) children.push_back(fd);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return children;
}

void ListInto(const std::wstring& dir, const std::string& relative, std::set<std::string>& out) {
    for (const WIN32_FIND_DATAW& fd : Children(dir)) {
        std::string rel = (relative.empty() ? "" : relative + "\\") + Narrow(fd.cFileName);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(rel + "\\");
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ListInto(dir + L"\\" + fd.cFileName, rel, out);
        } else {
            out.insert(rel);
        }
    }
}

BOOL CALLBACK CollectWindows(HWND hwnd, LPARAM lParam) {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(lParam);
    windows->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid, const char* className) {
    std::vector<HWND> all, mine;
    EnumWindows(&CollectWindows, reinterpret_cast<LPARAM>(&all));
    for (HWND hwnd : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        char cls[64] = {};
        GetClassNameA(hwnd, cls, sizeof(cls));
        if (owner == pid && std::strcmp(cls, className) == 0) mine.push_back(hwnd);
    }
    return mine;
}

std::string StaticTextOf(HWND box) {
    std::vector<HWND> children;
    EnumChildWindows(box, &CollectWindows, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof(cls));
        if (_stricmp(cls, "Static") != 0) continue;
        char text[1024] = {};
        GetWindowTextA(child, text, sizeof(text));
        if (text[0]) return text;
    }
    return std::string();
}

std::string UnixPath(const std::wstring& wide) {
    typedef char*(CDECL * UnixName)(LPCWSTR);
    auto toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!toUnix) return std::string();
    char* p = toUnix(wide.c_str());
    std::string s = p ? p : "";
    if (p) HeapFree(GetProcessHeap(), 0, p);
    return s;
}

// Wine starts a Unix program given by its Unix path; `command` is UTF-8, as Unix paths are.
bool RunUnix(const char* program, const std::string& command) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    std::wstring line(command.size() + 1, L'\0');
    line.resize(MultiByteToWideChar(CP_UTF8, 0, command.c_str(), -1, &line[0], static_cast<int>(line.size())));
    if (!CreateProcessW(Wide(program).c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

std::wstring FinalOf(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::wstring();
    wchar_t final[1024] = {};
    DWORD len = GetFinalPathNameByHandleW(h, final, 1024, 0);
    CloseHandle(h);
    return len && len < 1024 ? final : std::wstring();
}

// A Unix link (Wine follows it, so its final path is elsewhere) or a broken one.
bool IsUnixLink(const std::wstring& path, DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    size_t slash = path.find_last_of(L'\\');
    std::wstring parent = FinalOf(path.substr(0, slash)), self = FinalOf(path);
    return !parent.empty() && self != parent + path.substr(slash);
}

}  // namespace

void RemoveUnixLink(const std::wstring& path) {
    std::string unixPath = UnixPath(path);
    if (unixPath.empty()) return;
    RunUnix("/bin/rm", "/bin/rm -f \"" + unixPath + "\"");
    // The handle of a Unix process may be signalled before the program is done.
    for (int i = 0; i < 500 && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
}

namespace {

// Removes a listed entry without ever following a link: a link's target is not ours.
void RemoveEntry(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (IsUnixLink(path, attributes)) return RemoveUnixLink(path);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveDirectoryW(path.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        return;
    }
    // Links first, while what they lead to is still there to tell them apart.
    std::vector<std::wstring> rest;
    for (const WIN32_FIND_DATAW& fd : Children(path)) {
        std::wstring child = path + L"\\" + fd.cFileName;
        if (IsUnixLink(child, GetFileAttributesW(child.c_str())))
            RemoveUnixLink(child);
        else
            rest.push_back(child);
    }
    for (const std::wstring& child : rest) RemoveEntry(child);
    RemoveDirectoryW(path.c_str());
}

}  // namespace

ScratchDir::ScratchDir(const std::string& name) {
    static int counter = 0;
    MakeDirs(TempRoot());
    path = TempRoot() + "\\" + name + "_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    RemoveScratch(path);  // Wine gives every run the same process id
    MakeDirs(path);
}

ScratchDir::~ScratchDir() {
    // A folder that is some process's current directory cannot be removed.
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    if (_strnicmp(current, path.c_str(), path.size()) == 0) SetCurrentDirectoryA(TempRoot().c_str());
    RemoveScratch(path);
}

// What the walk could not remove (a broken Unix link, say) goes from the Linux side,
// whose rm never follows links; only ever below the scratch root.
void RemoveScratch(const std::string& path) {
    RemoveAll(path);
    std::string root = TempRoot() + "\\";
    if (!Exists(path) || path.compare(0, root.size(), root) != 0 || path.size() <= root.size()) return;
    std::string unixPath = UnixPath(Wide(path));
    if (unixPath.find("/uninst_test/") == std::string::npos) return;
    RunUnix("/bin/rm", "/bin/rm -rf \"" + unixPath + "\"");
    for (int i = 0; i < 500 && Exists(path); ++i) Sleep(20);
}

void RemoveAll(const std::string& path) {
    std::wstring wide = Wide(path);
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) RemoveEntry(wide);
}

// Split wide: a byte of a double-byte character can be "\\".
void MakeDirs(const std::string& path) {
    std::wstring wide = Wide(path);
    for (size_t i = 3; i <= wide.size(); ++i)
        if (i == wide.size() || wide[i] == L'\\') CreateDirectoryW(wide.substr(0, i).c_str(), nullptr);
}

void MakeFile(const std::string& path, const std::string& content) {
    std::wstring wide = Wide(path);
    MakeDirs(Narrow(wide.substr(0, wide.find_last_of(L'\\'))));
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Wide(const std::string& text) {
    wchar_t out[1024] = {};
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out, 1023);
    return out;
}

std::string Narrow(const std::wstring& text) {
    char out[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out, sizeof(out) - 1, nullptr, nullptr);
    return out;
}

void MakeFile(const std::wstring& path) {
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(h, "x", 1, &written, nullptr);
    CloseHandle(h);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

std::set<std::string> ListTree(const std::string& root) {
    std::set<std::string> out;
    ListInto(Wide(root), "", out);
    return out;
}

bool MakeUnixSymlink(const std::string& target, const std::string& link) {
    // The link does not exist yet: convert its folder, which does.
    size_t slash = link.find_last_of('\\');
    std::string from = UnixPath(Wide(target)), to = UnixPath(Wide(link.substr(0, slash)));
    if (!to.empty()) to += "/" + link.substr(slash + 1);
    if (from.empty() || to.empty() || !RunUnix("/bin/ln", "/bin/ln -s \"" + from + "\" \"" + to + "\"")) return false;
    for (int i = 0; i < 500; ++i, Sleep(20))
        if (Attributes(link) != INVALID_FILE_ATTRIBUTES) return true;
    return false;
}

MappedDrive::MappedDrive(char letter, const std::string& target) {
    char prefix[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    link = std::string(prefix) + "/dosdevices/" + char(tolower(letter)) + ":";
    RunUnix("/bin/ln", "/bin/ln -sfn \"" + UnixPath(Wide(target)) + "\" \"" + link + "\"");
    for (int i = 0; i < 500 && !Exists(std::string(1, letter) + ":\\"); ++i) Sleep(20);
    Sleep(1100);  // Wine reads the drives' places again once a second
}

MappedDrive::~MappedDrive() { RunUnix("/bin/rm", "/bin/rm -f \"" + link + "\""); }

static const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

ShellFolderRedirect::ShellFolderRedirect(const char* valueName, const std::string& path) : name(valueName) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
    DWORD size = 0;
    hadValue = RegQueryValueExA(h, valueName, nullptr, &oldType, nullptr, &size) == ERROR_SUCCESS;
    old.resize(size + 1);
    if (hadValue) RegQueryValueExA(h, valueName, nullptr, &oldType, reinterpret_cast<BYTE*>(old.data()), &size);
    RegSetValueExA(h, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
    RegCloseKey(h);
}

ShellFolderRedirect::~ShellFolderRedirect() {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
    if (hadValue)
        RegSetValueExA(h, name.c_str(), 0, oldType, reinterpret_cast<const BYTE*>(old.data()),
                       static_cast<DWORD>(old.size() - 1));
    else
        RegDeleteValueA(h, name.c_str());
    RegCloseKey(h);
}

void SetRegString(HKEY root, const std::string& key, const char* value, const std::string& data) {
    HKEY h;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return;
    if (value)
        RegSetValueExA(h, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    RegCloseKey(h);
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY h;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

bool ValueExists(HKEY root, const std::string& key, const char* value) {
    HKEY h;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    bool found = RegQueryValueExA(h, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(h);
    return found;
}

void DeleteKeyTree(HKEY root, const std::string& key) {
    HKEY h;
    if (RegOpenKeyExA(root, key.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
    char sub[260];
    std::string previous;
    for (DWORD len = sizeof(sub); RegEnumKeyExA(h, 0, sub, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         len = sizeof(sub)) {
        if (previous == sub) break;  // it could not be deleted
        DeleteKeyTree(h, sub);
        previous = sub;
    }
    NtDeleteKey(h);
    RegCloseKey(h);
}

bool MakeRegistryLink(const std::string& key, const std::string& target) {
    HKEY h;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return false;
    std::wstring path = L"\\Registry\\Machine\\" + Wide(target);  // no terminator in a link
    LONG rc = RegSetValueExW(h, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(path.c_str()),
                             static_cast<DWORD>(path.size() * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

static const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

static std::vector<std::string> ReadMultiSz(DWORD* type) {
    std::vector<std::string> entries;
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &h) != ERROR_SUCCESS) return entries;
    DWORD size = 0;
    if (RegQueryValueExA(h, "PendingFileRenameOperations", nullptr, type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> data(size + 2, 0);
        RegQueryValueExA(h, "PendingFileRenameOperations", nullptr, type, reinterpret_cast<BYTE*>(data.data()), &size);
        // Pairs of source and target; an empty target means "delete".
        for (size_t i = 0; i < size;) {
            std::string s(&data[i]);
            entries.push_back(s);
            i += s.size() + 1;
        }
    }
    RegCloseKey(h);
    return entries;
}

std::vector<std::string> PendingRenames() {
    DWORD type = 0;
    return ReadMultiSz(&type);
}

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::string();
    return path;
}

std::string TargetPath(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ThroughDriveZ(const std::string& path) { return TargetPath(UnixPath(Wide(path)).c_str()); }

Process::Process(const std::string& exe, const std::string& workDir) {
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    std::string command = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &info))
        info = {};
    else
        WaitForInputIdle(info.hProcess, 10000);
}

Process::~Process() {
    if (!info.hProcess) return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 10000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

DWORD Process::WaitExit(DWORD timeoutMs) {
    if (!info.hProcess || WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

HWND Process::WaitMessageBox(const std::string& text, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        for (HWND box : TopLevelWindowsOf(info.dwProcessId, "#32770")) {
            std::string shown = IsWindowVisible(box) ? StaticTextOf(box) : std::string();
            if (shown == text) return box;
            if (!shown.empty()) return nullptr;
        }
        if (WaitForSingleObject(info.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND Process::FindWindowOfClass(const char* className) const {
    std::vector<HWND> windows = TopLevelWindowsOf(info.dwProcessId, className);
    return windows.empty() ? nullptr : windows.front();
}

std::string Process::CurrentMessageBoxText() const {
    for (HWND box : TopLevelWindowsOf(info.dwProcessId, "#32770"))
        if (IsWindowVisible(box)) return StaticTextOf(box);
    return std::string();
}

bool Answer(HWND box, int buttonId, DWORD timeoutMs) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button) return false;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    DWORD start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < timeoutMs) Sleep(20);
    return !IsWindow(box);
}

ScreenShot::ScreenShot(const RECT& r) : area(r) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = r.right - r.left;
    info.bmiHeader.biHeight = -(r.bottom - r.top);  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!bitmap) return;
    bits = static_cast<const DWORD*>(pixels);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

ScreenShot::~ScreenShot() {
    if (bitmap) DeleteObject(bitmap);
}

bool ScreenShot::Pixel(int x, int y, COLORREF* colour) const {
    if (!bits || x < area.left || y < area.top || x >= area.right || y >= area.bottom) return false;
    DWORD p = bits[(y - area.top) * (area.right - area.left) + (x - area.left)];
    *colour = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    return true;
}

}  // namespace uninst_test
