// The guard in front of RemoveTree: the settings file's "DIR" decides what is
// deleted recursively, so a wrong word there must not reach the user's own files.
#include "uninstaller/removal.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <vector>

#include "uninstaller/final_path.h"

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

constexpr size_t kPathCapacity = 259;

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

// Where the folder really is once links on the way are followed; "" when it cannot be opened.
std::string FinalText(const std::string& path) {
    std::wstring final = FollowedFinalPath(Widen(path));
    return final.empty() ? std::string() : NormalizeDirText(Narrow(DosPath(final)));
}

// What "DIR" is compared with, each by its reported path and by its final one.
struct Guard {
    std::vector<std::string> folders;       // refused with their parents
    std::vector<std::string> systemTrees;   // refused with everything in them
    std::vector<std::string> profileRoots;  // the folders that hold the profiles
    std::vector<std::string> profileTails;  // special folders within a profile, relative
};

void AddBothForms(std::vector<std::string>& list, const std::string& path) {
    std::string resolved = path.empty() ? std::string() : Resolve(path);
    if (resolved.empty()) return;
    list.push_back(UpperPath(resolved));
    std::string final = FinalText(resolved);
    if (!final.empty() && UpperPath(final) != list.back()) list.push_back(UpperPath(final));
}

std::vector<std::string> ReportedFolders() {
    std::vector<std::string> paths;
    for (int csidl : kProtectedFolders) paths.push_back(ShellFolder(csidl));
    for (const KNOWNFOLDERID* id : kProtectedKnownFolders) {
        PWSTR wide = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &wide)) && wide) {
            char path[MAX_PATH] = {};
            if (WideCharToMultiByte(CP_ACP, 0, wide, -1, path, MAX_PATH, nullptr, nullptr) > 0) paths.push_back(path);
        }
        CoTaskMemFree(wide);
    }
    char path[MAX_PATH] = {};
    if (GetTempPathA(MAX_PATH, path)) paths.push_back(path);
    return paths;
}

Guard LoadGuard() {
    Guard guard;
    for (const std::string& path : ReportedFolders()) AddBothForms(guard.folders, path);
    char path[MAX_PATH] = {};
    if (GetWindowsDirectoryA(path, MAX_PATH)) AddBothForms(guard.systemTrees, path);
    if (GetSystemDirectoryA(path, MAX_PATH)) AddBothForms(guard.systemTrees, path);
    for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86})
        AddBothForms(guard.systemTrees, ShellFolder(csidl));
    guard.folders.insert(guard.folders.end(), guard.systemTrees.begin(), guard.systemTrees.end());
    std::vector<std::string> profiles;
    AddBothForms(profiles, ShellFolder(CSIDL_PROFILE));
    for (const std::string& profile : profiles) {
        std::string root = ParentPath(profile);
        if (ClassifyDir(root) == DirSyntax::Absolute) guard.profileRoots.push_back(root);
        for (const std::string& folder : guard.folders)
            if (folder.size() > profile.size() + 1 && IsSameOrParentPath(profile, folder))
                guard.profileTails.push_back(folder.substr(profile.size() + 1));
    }
    return guard;
}

// Any user's profile, or a special folder within it: what ours has, theirs has too.
bool IsInOtherProfile(const std::string& dir, const Guard& guard) {
    for (const std::string& root : guard.profileRoots) {
        if (dir.size() <= root.size() + 1 || !IsSameOrParentPath(root, dir)) continue;
        std::string rest = dir.substr(root.size() + 1);
        size_t slash = rest.find('\\');
        if (slash == std::string::npos) return true;  // a profile itself
        for (const std::string& tail : guard.profileTails)
            if (IsSameOrParentPath(rest.substr(slash + 1), tail)) return true;
    }
    return false;
}

bool IsProtected(const std::string& path, const Guard& guard) {
    std::string dir = UpperPath(path);
    for (const std::string& folder : guard.folders)
        if (IsSameOrParentPath(dir, folder)) return true;
    for (const std::string& tree : guard.systemTrees)
        if (IsSameOrParentPath(tree, dir)) return true;
    return IsInOtherProfile(dir, guard);
}

bool IsAllowed(const std::string& path, const Guard& guard) {
    return ClassifyDir(path) == DirSyntax::Absolute && !IsAdministrativeShare(path) && !IsProtected(path, guard);
}

}  // namespace

bool CheckInstallDirectory(const std::string& dir, std::string* resolved, std::wstring* finalPath) {
    // A value cut to fit its buffer names another folder, often a parent of the right one.
    if (dir.size() > kPathCapacity) return false;
    std::string normalized = NormalizeDirText(dir);
    if (ClassifyDir(normalized) != DirSyntax::Absolute) return false;
    std::string full = Resolve(normalized);  // folds "." and ".." and short names
    Guard guard = LoadGuard();
    if (!IsAllowed(full, guard)) return false;
    std::wstring final;
    DWORD attributes = GetFileAttributesW(Widen(full).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
        final = FollowedFinalPath(Widen(full));
        if (!final.empty() && !IsAllowed(NormalizeDirText(Narrow(DosPath(final))), guard)) return false;
    }
    if (resolved) *resolved = full;
    if (finalPath) *finalPath = final;
    return true;
}

}  // namespace uninst
