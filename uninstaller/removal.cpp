#include "uninstaller/removal.h"

#include <shlobj.h>

#include <cstring>
#include <vector>

namespace uninst {

namespace {

constexpr size_t kPathCapacity = 259;
constexpr DWORD kClearedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
const char kExtensionsKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kToolbarKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";

enum class TreeWalk { NotEntered, NotListed, Done };

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : handle(h) {}
    ~FindHandle() {
        if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool Valid() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle; }

private:
    HANDLE handle;
};

void Count(int RemovalStats::*field, RemovalStats* stats) {
    if (stats) ++(stats->*field);
}

std::string FullPath(const char* name) {
    char full[MAX_PATH] = {};
    DWORD len = GetFullPathNameA(name, MAX_PATH, full, nullptr);
    return (len == 0 || len >= MAX_PATH) ? std::string() : std::string(full, len);
}

// The platform deletes it at the next restart; on a platform that cannot, it stays.
bool ScheduleAtRestart(const char* name, RemovalStats* stats) {
    std::string full = FullPath(name);
    if (full.empty() || !MoveFileExA(full.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
    Count(&RemovalStats::scheduled, stats);
    return true;
}

bool IsInUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

void DeleteOneFile(const WIN32_FIND_DATAA& entry, RemovalStats* stats, bool* scheduled) {
    const char* name = entry.cFileName;
    // A link's attributes belong to its target, which is not ours to touch.
    bool link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!link && (entry.dwFileAttributes & kClearedAttributes))
        SetFileAttributesA(name, (entry.dwFileAttributes & ~kClearedAttributes) | FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(name)) {
        Count(&RemovalStats::filesDeleted, stats);
        return;
    }
    if (IsInUse(GetLastError()) && ScheduleAtRestart(name, stats) && scheduled) *scheduled = true;
}

bool IsNeverEntered(const char* name) {
    return name[0] == '.' || std::strcmp(name, "HandHistory") == 0 || std::strcmp(name, "skins") == 0;
}

bool IsLink(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

TreeWalk WalkTree(const char* directory, const char* pattern, const KeepList& keep, RemovalStats* stats,
                  bool* scheduled);

void RemoveSubdirectory(const WIN32_FIND_DATAA& entry, const std::string& here, const char* pattern,
                        const KeepList& keep, RemovalStats* stats, bool* scheduled) {
    const char* name = entry.cFileName;
    // Junctions, symbolic links and mount points: remove the link, never what it points at.
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || IsLink(GetFileAttributesA(name))) {
        if (RemoveDirectoryA(name)) Count(&RemovalStats::dirsRemoved, stats);
        return;
    }
    bool scheduledBelow = false;
    if (WalkTree(name, pattern, keep, stats, &scheduledBelow) == TreeWalk::NotEntered) return;
    // Back by the path we came from rather than "..", which a link could redirect.
    SetCurrentDirectoryA(here.c_str());
    if (RemoveDirectoryA(name)) {
        Count(&RemovalStats::dirsRemoved, stats);
    } else if (scheduledBelow && ScheduleAtRestart(name, stats)) {
        *scheduled = true;  // after the files in it, which were scheduled first
    }
}

TreeWalk WalkTree(const char* directory, const char* pattern, const KeepList& keep, RemovalStats* stats,
                  bool* scheduled) {
    if (!SetCurrentDirectoryA(directory)) return TreeWalk::NotEntered;
    DeleteFilesInDirectory(pattern, keep, stats, scheduled);
    std::string here = FullPath(".");
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA("*.*", &entry));
    if (!find.Valid() || here.empty()) return TreeWalk::NotListed;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsNeverEntered(entry.cFileName))
            RemoveSubdirectory(entry, here, pattern, keep, stats, scheduled);
    } while (FindNextFileA(find.Get(), &entry));
    return TreeWalk::Done;
}

}  // namespace

void DeleteFilesInDirectory(const char* pattern, const KeepList& keep, RemovalStats* stats, bool* scheduledHere) {
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA(pattern, &entry));
    if (!find.Valid()) return;
    bool scheduled = false;
    do {
        if (entry.cFileName[0] == '.' || keep.Contains(entry.cFileName)) continue;
        // Deleting a directory as a file fails; spare the call.
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        DeleteOneFile(entry, stats, &scheduled);
    } while (FindNextFileA(find.Get(), &entry));
    if (scheduled && scheduledHere) *scheduledHere = true;
}

bool RemoveTree(const char* directory, const char* pattern, const KeepList& keep, RemovalStats* stats) {
    bool scheduled = false;
    if (WalkTree(directory, pattern, keep, stats, &scheduled) != TreeWalk::Done) return false;
    // The directory itself stays now; at restart it goes too if nothing is left in it.
    if (scheduled) ScheduleAtRestart(directory, stats);
    return true;
}

int DeleteRegistryTree(HKEY root, const char* key) {
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS) return -1;
    std::string previous;
    for (;;) {
        char sub[kPathCapacity + 1];
        DWORD len = sizeof(sub);
        if (RegEnumKeyExA(handle, 0, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        // A subkey that survives its own deletion would come back at index 0 for ever.
        if (previous == sub || DeleteRegistryTree(handle, sub) != 0) {
            RegCloseKey(handle);
            return 1;
        }
        previous = sub;
    }
    RegCloseKey(handle);
    RegDeleteKeyA(root, key);
    return 0;
}

std::string ReadUserRegistryString(const char* key, const char* value, const char* fallback) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return fallback;
    char data[2048] = {};
    DWORD size = sizeof(data) - 1;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(handle, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return fallback;
    return std::string(data, strnlen(data, size));
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::string();
    return path;
}

namespace {

std::string AllUsersOrUser(FolderLookup lookup, int allUsers, int user) {
    std::string path = lookup(allUsers);
    return path.empty() ? lookup(user) : path;
}

// Names from the settings file stay inside the folder they are put in.
void DeleteShortcut(const std::string& folder, const std::string& name) {
    if (folder.empty() || !IsPlainName(name)) return;
    DeleteFileA(FormatBounded(kPathCapacity, "%s\\%s.lnk", folder.c_str(), name.c_str()).c_str());
}

}  // namespace

void RemoveShortcuts(const UninstallSettings& s, FolderLookup lookup) {
    DeleteShortcut(AllUsersOrUser(lookup, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY), s.verName);
    DeleteShortcut(AllUsersOrUser(lookup, CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU), s.verName);
    std::string programs = AllUsersOrUser(lookup, CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS);
    if (programs.empty() || !IsPlainName(s.verName)) return;
    std::string group = FormatBounded(kPathCapacity, "%s\\%s", programs.c_str(), s.verName.c_str());
    DeleteShortcut(group, s.uninstallName);
    DeleteShortcut(group, s.verName);
    RemoveDirectoryA(group.c_str());
}

void RemoveExtensionAndFavorite(const UninstallSettings& s, FolderLookup lookup) {
    if (IsPlainName(s.siteGuid)) {
        std::string key = FormatBounded(kPathCapacity, "%s\\%s", kExtensionsKey, s.siteGuid.c_str());
        HKEY handle;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &handle) == ERROR_SUCCESS) {
            RegCloseKey(handle);
            DeleteRegistryTree(HKEY_LOCAL_MACHINE, key.c_str());
        }
    }
    std::string favorites = lookup(CSIDL_FAVORITES);
    if (favorites.size() < 2 || !IsPlainName(s.mainUrlTitle)) return;
    DeleteFileA(FormatBounded(kPathCapacity, "%s\\%s", favorites.c_str(), s.mainUrlTitle.c_str()).c_str());
    std::string links = ReadUserRegistryString(kToolbarKey, "LinksFolderName", "");
    if (links.size() > 1 && IsPlainName(links))
        DeleteFileA(FormatBounded(kPathCapacity, "%s\\%s\\%s", favorites.c_str(), links.c_str(), s.mainUrlTitle.c_str())
                        .c_str());
}

void RemoveUninstallEntry(const UninstallSettings& s) {
    if (!IsPlainName(s.verName)) return;
    std::string key = FormatBounded(kPathCapacity, "%s\\%s", kUninstallKey, s.verName.c_str());
    for (const char* value : {"DisplayName", "UninstallString", "DisplayIcon"}) {
        HKEY handle;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS) continue;
        RegDeleteValueA(handle, value);
        RegCloseKey(handle);
    }
    HKEY parent;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) return;
    RegDeleteKeyA(parent, s.verName.c_str());
    RegCloseKey(parent);
}

}  // namespace uninst
