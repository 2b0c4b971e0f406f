#include "uninstaller/removal.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "uninstaller/final_path.h"

namespace uninst {

namespace {

constexpr size_t kPathCapacity = 259;
const char kExtensionsKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
const char kToolbarKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";

enum class TreeWalk { NotEntered, Elsewhere, NotListed, Done };

struct FindTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};
using FindHandle = win::UniqueHandle<FindTraits>;

// The directory being emptied: every entry's final path must be this plus its name.
struct Place {
    std::wstring final;  // "\\?\" form
    std::wstring dos;    // for coming back to it
};

struct Entry {
    std::wstring name;
    DWORD attributes;
};

struct Walk {
    std::wstring pattern;
    const KeepList& keep;
    RemovalStats* stats;
};

void Count(int RemovalStats::*field, RemovalStats* stats) {
    if (stats) ++(stats->*field);
}

bool CurrentPlace(Place* place) {
    place->final = FollowedFinalPath(L".");
    place->dos = DosPath(place->final);
    return !place->final.empty();
}

// A listed name that could be read as a path, or as "." or "..", is never acted on.
bool IsOneComponent(const wchar_t* name) {
    bool dotsOnly = true;
    for (const wchar_t* p = name; *p; ++p) {
        if (*p < 0x20 || std::wcschr(L"\\/:*?\"<>|", *p)) return false;
        if (*p != L'.') dotsOnly = false;
    }
    return name[0] && !dotsOnly;
}

bool IsNeverEntered(const wchar_t* name) {
    return name[0] == L'.' || std::wcscmp(name, L"HandHistory") == 0 || std::wcscmp(name, L"skins") == 0;
}

bool SetAttributes(HANDLE h, DWORD attributes) {
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO basic = {};  // zero times are left as they are
    basic.FileAttributes = (attributes & kSettable) ? (attributes & kSettable) : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

// Another name of the same file would lose its read-only mark with ours.
bool ClearReadOnly(HANDLE h, DWORD* original) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info) || info.nNumberOfLinks > 1) return false;
    *original = info.dwFileAttributes;
    return SetAttributes(h, info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
}

// Deletes `path` through a handle whose final path is `expected`: what a link leads
// to, where the platform follows it, has another final path and is left alone. What
// cannot be deleted now (a file in use, say) is passed over: deletion queued for the
// next restart would follow whatever the path names by then.
bool DeleteEntry(const std::wstring& path, const std::wstring& expected, DWORD listedAttributes) {
    bool readOnly = (listedAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    win::FileHandle h = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | (readOnly ? FILE_WRITE_ATTRIBUTES : 0), false);
    if (!h || FinalPathOf(h.Get()) != expected) return false;
    DWORD original = 0;
    if (readOnly && !ClearReadOnly(h.Get(), &original)) return false;
    FILE_DISPOSITION_INFO dispose = {TRUE};
    if (SetFileInformationByHandle(h.Get(), FileDispositionInfo, &dispose, sizeof(dispose))) return true;
    if (readOnly) SetAttributes(h.Get(), original);
    return false;
}

std::wstring EntryPath(const Place& here, const std::wstring& name) { return here.final + L"\\" + name; }

template <class Visit>
bool ForEachEntry(const std::wstring& pattern, Visit visit) {
    WIN32_FIND_DATAW entry;
    FindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return false;
    do {
        if (IsOneComponent(entry.cFileName)) visit(entry);
    } while (FindNextFileW(find.Get(), &entry));
    return true;
}

void CollectSubdirectory(const WIN32_FIND_DATAW& entry, std::vector<Entry>* subdirs) {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsNeverEntered(entry.cFileName))
        subdirs->push_back({entry.cFileName, entry.dwFileAttributes});
}

// Deletes the files of `here` that match the pattern; collects the subdirectories
// on the way when `subdirs` is given. False when the listing fails.
bool DeleteFilesHere(const Place& here, const Walk& walk, std::vector<Entry>* subdirs) {
    return ForEachEntry(walk.pattern, [&](const WIN32_FIND_DATAW& entry) {
        if (entry.cFileName[0] == L'.') return;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (subdirs) CollectSubdirectory(entry, subdirs);
            return;
        }
        if (walk.keep.Contains(entry.cFileName)) return;
        if (DeleteEntry(entry.cFileName, EntryPath(here, entry.cFileName), entry.dwFileAttributes))
            Count(&RemovalStats::filesDeleted, walk.stats);
    });
}

TreeWalk WalkTree(const std::wstring& directory, const std::wstring* expected, const Walk& walk);

void RemoveSubdirectory(const Place& here, const Entry& sub, const Walk& walk) {
    std::wstring path = EntryPath(here, sub.name);
    // Junctions, symbolic links and mount points: remove the link, never what it points at.
    if (sub.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (DeleteEntry(sub.name, path, 0)) Count(&RemovalStats::dirsRemoved, walk.stats);
        return;
    }
    TreeWalk result = WalkTree(sub.name, &path, walk);
    if (result == TreeWalk::NotEntered) return;
    // Back by the path we came from rather than "..", which a link could redirect.
    SetCurrentDirectoryW(here.dos.c_str());
    if (result != TreeWalk::Elsewhere && DeleteEntry(sub.name, path, sub.attributes))
        Count(&RemovalStats::dirsRemoved, walk.stats);
}

// `expected`: the final path the directory must have once entered.
TreeWalk WalkTree(const std::wstring& directory, const std::wstring* expected, const Walk& walk) {
    if (!SetCurrentDirectoryW(directory.c_str())) return TreeWalk::NotEntered;
    Place here;
    if (!CurrentPlace(&here)) return TreeWalk::NotListed;
    if (expected && here.final != *expected) return TreeWalk::Elsewhere;
    // One listing serves both passes when the pattern lists everything anyway.
    bool everything = walk.pattern == L"*.*" || walk.pattern == L"*";
    std::vector<Entry> subdirs;
    bool listed = DeleteFilesHere(here, walk, everything ? &subdirs : nullptr);
    if (!everything)
        listed = ForEachEntry(L"*.*", [&](const WIN32_FIND_DATAW& entry) { CollectSubdirectory(entry, &subdirs); });
    if (!listed) return TreeWalk::NotListed;
    for (const Entry& sub : subdirs) RemoveSubdirectory(here, sub, walk);
    return TreeWalk::Done;
}

}  // namespace

void DeleteFilesInDirectory(const char* pattern, const KeepList& keep, RemovalStats* stats) {
    Place here;
    if (CurrentPlace(&here)) DeleteFilesHere(here, Walk{Widen(pattern), keep, stats}, nullptr);
}

bool RemoveTree(const char* directory, const char* pattern, const KeepList& keep, RemovalStats* stats,
                const std::wstring* expectedFinalPath) {
    return WalkTree(Widen(directory), expectedFinalPath, Walk{Widen(pattern), keep, stats}) == TreeWalk::Done;
}

bool DeleteNamedEntry(const std::string& path) {
    std::wstring wide = Widen(path);
    size_t slash = wide.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == wide.size()) return false;
    // The folder may be reached through links; the entry itself must not be one that leads away.
    std::wstring folder = FollowedFinalPath(wide.substr(0, slash));
    if (folder.empty()) return false;
    return DeleteEntry(wide, folder + wide.substr(slash), 0);
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
    std::string path = FormatIfFits(kPathCapacity, "%s\\%s.lnk", folder.c_str(), name.c_str());
    if (!path.empty()) DeleteNamedEntry(path);
}

}  // namespace

void RemoveShortcuts(const UninstallSettings& s, FolderLookup lookup) {
    DeleteShortcut(AllUsersOrUser(lookup, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY), s.verName);
    DeleteShortcut(AllUsersOrUser(lookup, CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU), s.verName);
    std::string programs = AllUsersOrUser(lookup, CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS);
    if (programs.empty() || !IsPlainName(s.verName)) return;
    std::string group = FormatIfFits(kPathCapacity, "%s\\%s", programs.c_str(), s.verName.c_str());
    if (group.empty()) return;
    DeleteShortcut(group, s.uninstallName);
    DeleteShortcut(group, s.verName);
    DeleteNamedEntry(group);  // only when empty
}

void RemoveExtensionAndFavorite(const UninstallSettings& s, FolderLookup lookup) {
    std::string key = FormatIfFits(kPathCapacity, "%s\\%s", kExtensionsKey, s.siteGuid.c_str());
    if (IsPlainName(s.siteGuid) && !key.empty()) DeleteRegistryTree(HKEY_LOCAL_MACHINE, key.c_str());
    std::string favorites = lookup(CSIDL_FAVORITES);
    if (favorites.size() < 2 || !IsPlainName(s.mainUrlTitle)) return;
    std::string favorite = FormatIfFits(kPathCapacity, "%s\\%s", favorites.c_str(), s.mainUrlTitle.c_str());
    if (!favorite.empty()) DeleteNamedEntry(favorite);
    std::string links = ReadUserRegistryString(kToolbarKey, "LinksFolderName", "");
    if (links.size() < 2 || !IsPlainName(links)) return;
    std::string inLinks =
        FormatIfFits(kPathCapacity, "%s\\%s\\%s", favorites.c_str(), links.c_str(), s.mainUrlTitle.c_str());
    if (!inLinks.empty()) DeleteNamedEntry(inLinks);
}

}  // namespace uninst
