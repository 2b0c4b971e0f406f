// The guard in front of RemoveTree: the settings file's "DIR" decides what is
// deleted recursively, so a wrong word there must not reach the user's own files.
#include "uninstaller/removal.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <vector>

namespace uninst {

namespace {

// Folders that hold the system or the user's own files (CSIDL numbers).
const int kProtectedFolders[] = {
    CSIDL_DESKTOP,
    CSIDL_PROGRAMS,
    CSIDL_PERSONAL,
    CSIDL_FAVORITES,
    CSIDL_STARTUP,
    CSIDL_RECENT,
    CSIDL_SENDTO,
    CSIDL_STARTMENU,
    CSIDL_MYMUSIC,
    CSIDL_MYVIDEO,
    CSIDL_DESKTOPDIRECTORY,
    CSIDL_NETHOOD,
    CSIDL_FONTS,
    CSIDL_TEMPLATES,
    CSIDL_COMMON_STARTMENU,
    CSIDL_COMMON_PROGRAMS,
    CSIDL_COMMON_STARTUP,
    CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_APPDATA,
    CSIDL_PRINTHOOD,
    CSIDL_LOCAL_APPDATA,
    CSIDL_COMMON_FAVORITES,
    CSIDL_INTERNET_CACHE,
    CSIDL_COOKIES,
    CSIDL_HISTORY,
    CSIDL_COMMON_APPDATA,
    CSIDL_WINDOWS,
    CSIDL_SYSTEM,
    CSIDL_PROGRAM_FILES,
    CSIDL_MYPICTURES,
    CSIDL_PROFILE,
    CSIDL_SYSTEMX86,
    CSIDL_PROGRAM_FILESX86,
    CSIDL_PROGRAM_FILES_COMMON,
    CSIDL_PROGRAM_FILES_COMMONX86,
    CSIDL_COMMON_TEMPLATES,
    CSIDL_COMMON_DOCUMENTS,
    CSIDL_COMMON_ADMINTOOLS,
    CSIDL_ADMINTOOLS,
    CSIDL_COMMON_MUSIC,
    CSIDL_COMMON_PICTURES,
    CSIDL_COMMON_VIDEO,
    CSIDL_RESOURCES,
    CSIDL_CDBURN_AREA,
};

const KNOWNFOLDERID* const kProtectedKnownFolders[] = {
    &FOLDERID_Downloads, &FOLDERID_SavedGames,      &FOLDERID_Links,        &FOLDERID_Contacts,
    &FOLDERID_Public,    &FOLDERID_PublicDownloads, &FOLDERID_UserProfiles,
};

// Letter case folded by the system's rules, not only for ASCII letters.
std::string UpperPath(std::string path) {
    if (!path.empty()) CharUpperBuffA(&path[0], static_cast<DWORD>(path.size()));
    return path;
}

// Full, long-name, normalised form; "" when the path cannot be resolved.
std::string Resolve(const std::string& path) {
    char full[MAX_PATH] = {};
    DWORD len = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (len == 0 || len >= MAX_PATH) return std::string();
    char longName[MAX_PATH] = {};
    len = GetLongPathNameA(full, longName, MAX_PATH);
    return NormalizeDirText((len == 0 || len >= MAX_PATH) ? full : longName);
}

void AddResolved(std::vector<std::string>& list, const std::string& path) {
    std::string resolved = path.empty() ? std::string() : Resolve(path);
    if (!resolved.empty()) list.push_back(UpperPath(resolved));
}

std::vector<std::string> ProtectedFolders() {
    std::vector<std::string> list;
    for (int csidl : kProtectedFolders) AddResolved(list, ShellFolder(csidl));
    for (const KNOWNFOLDERID* id : kProtectedKnownFolders) {
        PWSTR wide = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &wide)) && wide) {
            char path[MAX_PATH] = {};
            if (WideCharToMultiByte(CP_ACP, 0, wide, -1, path, MAX_PATH, nullptr, nullptr) > 0) AddResolved(list, path);
        }
        CoTaskMemFree(wide);
    }
    char path[MAX_PATH] = {};
    if (GetWindowsDirectoryA(path, MAX_PATH)) AddResolved(list, path);
    if (GetSystemDirectoryA(path, MAX_PATH)) AddResolved(list, path);
    if (GetTempPathA(MAX_PATH, path)) AddResolved(list, path);
    return list;
}

bool IsProtected(const std::string& path, const std::vector<std::string>& protectedFolders) {
    std::string dir = UpperPath(path);
    for (const std::string& folder : protectedFolders)
        if (IsSameOrParentPath(dir, folder)) return true;
    // Any user's profile, not only ours: a direct child of the folder holding the profiles.
    std::string profiles = UpperPath(ParentPath(Resolve(ShellFolder(CSIDL_PROFILE))));
    return ClassifyDir(profiles) == DirSyntax::Absolute && ParentPath(dir) == profiles;
}

// Where the directory really is once links on the way are followed.
std::string FinalPath(const std::string& dir) {
    HANDLE h = CreateFileA(dir.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    char path[MAX_PATH + 8] = {};
    DWORD len = GetFinalPathNameByHandleA(h, path, MAX_PATH + 4, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (len == 0 || len >= MAX_PATH + 4) return std::string();
    std::string final(path, len);
    if (final.compare(0, 8, "\\\\?\\UNC\\") == 0)
        final = "\\\\" + final.substr(8);
    else if (final.compare(0, 4, "\\\\?\\") == 0)
        final = final.substr(4);
    return NormalizeDirText(final);
}

bool IsAllowed(const std::string& resolved, const std::vector<std::string>& protectedFolders) {
    return ClassifyDir(resolved) == DirSyntax::Absolute && !IsProtected(resolved, protectedFolders);
}

}  // namespace

bool CheckInstallDirectory(const std::string& dir, std::string* resolved) {
    std::string normalized = NormalizeDirText(dir);
    if (ClassifyDir(normalized) != DirSyntax::Absolute) return false;
    std::string full = Resolve(normalized);  // folds "." and ".." and short names
    std::vector<std::string> protectedFolders = ProtectedFolders();
    if (!IsAllowed(full, protectedFolders)) return false;
    DWORD attributes = GetFileAttributesA(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
        std::string final = FinalPath(full);
        if (!final.empty() && !IsAllowed(final, protectedFolders)) return false;
    }
    if (resolved) *resolved = full;
    return true;
}

}  // namespace uninst
