#include "uninstaller/removal.h"

#include <shlobj.h>

#include <cwchar>
#include <vector>

#include "uninstaller/final_path.h"

namespace uninst {

namespace {

constexpr size_t kPathCapacity = 259;
const wchar_t kExtensionsKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
const wchar_t kToolbarKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";

struct FindTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};
using FindHandle = win::UniqueHandle<FindTraits>;

struct Entry {
    std::wstring name;
    DWORD attributes;
};

// A directory being emptied: every entry's final path must be its final path plus the
// entry's name. Paths are in the "\\?\" form, which reaches beyond MAX_PATH.
struct Frame {
    std::wstring final;
    win::FileHandle held;  // while its entries are worked on: on Windows it cannot be moved
    DWORD attributes = 0;
    std::vector<Entry> subdirs;
    size_t next = 0;
    int leftoversBefore = 0;
    bool holdsAllowed = false;  // a kept file, "HandHistory", "skins" or the running program
};

struct Walk {
    std::wstring pattern;
    const KeepList& keep;
    RemovalStats& stats;
    std::wstring self;  // the running program's final path
};

bool IsDotOrDotDot(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

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
    return std::wcscmp(name, L"HandHistory") == 0 || std::wcscmp(name, L"skins") == 0;
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

// Deletes `path` through a handle whose final path is the entry `name` of `folder`: what
// a link leads to, where the platform follows it, has another final path and is left
// alone. What cannot be deleted now (a file in use, say) is passed over: deletion queued
// for the next restart would follow whatever the path names by then.
bool DeleteEntry(const std::wstring& path, const std::wstring& folder, const std::wstring& name, bool nameIgnoringCase,
                 DWORD listedAttributes) {
    bool readOnly = (listedAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    win::FileHandle h = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | (readOnly ? FILE_WRITE_ATTRIBUTES : 0), false);
    if (!h || !IsEntryOf(FinalPathOf(h.Get()), folder, name, nameIgnoringCase)) return false;
    DWORD original = 0;
    if (readOnly && !ClearReadOnly(h.Get(), &original)) return false;
    FILE_DISPOSITION_INFO dispose = {TRUE};
    if (SetFileInformationByHandle(h.Get(), FileDispositionInfo, &dispose, sizeof(dispose))) return true;
    if (readOnly) SetAttributes(h.Get(), original);
    return false;
}

template <class Visit>
bool ForEachEntry(const std::wstring& pattern, Visit visit) {
    WIN32_FIND_DATAW entry;
    FindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return false;
    do {
        if (!IsDotOrDotDot(entry.cFileName)) visit(entry);
    } while (FindNextFileW(find.Get(), &entry));
    return true;
}

void DeleteListedFile(Frame& here, const WIN32_FIND_DATAW& entry, Walk& walk) {
    if (walk.keep.Contains(entry.cFileName)) {
        here.holdsAllowed = true;
        return;
    }
    std::wstring path = here.final + L"\\" + entry.cFileName;
    if (DeleteEntry(path, here.final, entry.cFileName, false, entry.dwFileAttributes))
        ++walk.stats.filesDeleted;
    else if (path == walk.self)
        here.holdsAllowed = true;
    else
        ++walk.stats.leftovers;
}

// Deletes the files of `here` that match `pattern` and are not kept; with `collect` also
// notes its subdirectories and the entries that stay unasked (names beginning with ".",
// which are neither deleted nor entered). False when the listing fails.
bool ListEntries(Frame& here, const std::wstring& pattern, Walk& walk, bool deleteFiles, bool collect) {
    return ForEachEntry(here.final + L"\\" + pattern, [&](const WIN32_FIND_DATAW& entry) {
        if (entry.cFileName[0] == L'.' || !IsOneComponent(entry.cFileName)) {
            if (collect) ++walk.stats.leftovers;
        } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!collect) return;
            if (IsNeverEntered(entry.cFileName))
                here.holdsAllowed = true;
            else
                here.subdirs.push_back({entry.cFileName, entry.dwFileAttributes});
        } else if (deleteFiles) {
            DeleteListedFile(here, entry, walk);
        }
    });
}

bool EmptyFiles(Frame& here, Walk& walk) {
    // One listing serves both passes when the pattern lists everything anyway.
    if (walk.pattern == L"*.*" || walk.pattern == L"*") return ListEntries(here, walk.pattern, walk, true, true);
    ListEntries(here, walk.pattern, walk, true, false);
    return ListEntries(here, L"*.*", walk, false, true);
}

// Opens the subdirectory `sub` of `parent` and empties it of files; false when it cannot
// be entered or listed, or when it leads elsewhere (a link the platform follows, a drive).
bool Enter(const Frame& parent, const Entry& sub, Walk& walk, Frame* child) {
    child->final = parent.final + L"\\" + sub.name;
    child->held =
        OpenEntry(child->final, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, true, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!child->held || FinalPathOf(child->held.Get()) != child->final) return false;
    child->attributes = sub.attributes;
    child->leftoversBefore = walk.stats.leftovers;
    return EmptyFiles(*child, walk);
}

// A subdirectory whose entries are all dealt with goes, unless something stays in it.
void Finish(Frame& done, Frame& parent, Walk& walk) {
    done.held.Reset();
    std::wstring name = done.final.substr(parent.final.size() + 1);
    if (DeleteEntry(done.final, parent.final, name, false, done.attributes))
        ++walk.stats.dirsRemoved;
    else if (walk.stats.leftovers == done.leftoversBefore && !done.holdsAllowed)
        ++walk.stats.leftovers;  // empty, yet refused
    parent.holdsAllowed = parent.holdsAllowed || done.holdsAllowed;
}

// Depth first without recursion, so that no depth of tree can exhaust the stack.
void EmptySubdirectories(Frame top, Walk& walk) {
    std::vector<Frame> path;
    path.push_back(std::move(top));
    while (!path.empty()) {
        Frame& here = path.back();
        if (here.next < here.subdirs.size()) {
            const Entry& sub = here.subdirs[here.next++];
            // Junctions, symbolic links and mount points: remove the link, never what it points at.
            if (sub.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                if (DeleteEntry(here.final + L"\\" + sub.name, here.final, sub.name, false, 0))
                    ++walk.stats.dirsRemoved;
                else
                    ++walk.stats.leftovers;
                continue;
            }
            Frame child;
            if (Enter(here, sub, walk, &child))
                path.push_back(std::move(child));
            else
                ++walk.stats.leftovers;
            continue;
        }
        if (path.size() == 1) break;  // the installation directory itself stays
        Frame done = std::move(path.back());
        path.pop_back();
        Finish(done, path.back(), walk);
    }
}

}  // namespace

void DeleteFilesInDirectory(const wchar_t* pattern, const KeepList& keep, RemovalStats* stats) {
    RemovalStats local;
    Walk walk{pattern, keep, stats ? *stats : local, FollowedFinalPath(ProgramPath())};
    Frame here;
    here.final = FollowedFinalPath(L".");
    if (!here.final.empty()) ListEntries(here, walk.pattern, walk, true, false);
}

bool RemoveTree(const std::wstring& directory, const wchar_t* pattern, const KeepList& keep, RemovalStats* stats,
                const std::wstring* expectedFinalPath) {
    if (!SetCurrentDirectoryW(directory.c_str())) return false;
    Frame top;
    top.final = FollowedFinalPath(L".");
    if (top.final.empty() || (expectedFinalPath && top.final != *expectedFinalPath)) return false;
    RemovalStats local;
    Walk walk{pattern, keep, stats ? *stats : local, FollowedFinalPath(ProgramPath())};
    if (!EmptyFiles(top, walk)) return false;
    EmptySubdirectories(std::move(top), walk);
    return true;
}

bool DeleteNamedEntry(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == path.size()) return false;
    // The folder may be reached through links; the entry itself must not be one that leads away.
    std::wstring folder = FollowedFinalPath(path.substr(0, slash));
    if (folder.empty()) return false;
    return DeleteEntry(path, folder, path.substr(slash + 1), true, 0);
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return std::wstring();
    return path;
}

namespace {

std::wstring AllUsersOrUser(FolderLookup lookup, int allUsers, int user) {
    std::wstring path = lookup(allUsers);
    return path.empty() ? lookup(user) : path;
}

// Names from the settings file stay inside the folder they are put in.
void DeleteShortcut(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || !IsPlainName(name)) return;
    std::wstring path = JoinIfFits(kPathCapacity, {folder, L"\\", name, L".lnk"});
    if (!path.empty()) DeleteNamedEntry(path);
}

}  // namespace

void RemoveShortcuts(const UninstallSettings& s, FolderLookup lookup) {
    DeleteShortcut(AllUsersOrUser(lookup, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY), s.verName);
    DeleteShortcut(AllUsersOrUser(lookup, CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU), s.verName);
    std::wstring programs = AllUsersOrUser(lookup, CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS);
    if (programs.empty() || !IsPlainName(s.verName)) return;
    std::wstring group = JoinIfFits(kPathCapacity, {programs, L"\\", s.verName});
    if (group.empty()) return;
    DeleteShortcut(group, s.uninstallName);
    DeleteShortcut(group, s.verName);
    DeleteNamedEntry(group);  // only when empty
}

void RemoveExtensionAndFavorite(const UninstallSettings& s, FolderLookup lookup) {
    std::wstring key = JoinIfFits(kPathCapacity, {kExtensionsKey, L"\\", s.siteGuid});
    if (IsPlainName(s.siteGuid) && !key.empty()) DeleteRegistryTree(HKEY_LOCAL_MACHINE, key.c_str());
    std::wstring favorites = lookup(CSIDL_FAVORITES);
    if (favorites.size() < 2 || !IsPlainName(s.mainUrlTitle)) return;
    std::wstring favorite = JoinIfFits(kPathCapacity, {favorites, L"\\", s.mainUrlTitle});
    if (!favorite.empty()) DeleteNamedEntry(favorite);
    std::wstring links = ReadUserRegistryString(kToolbarKey, L"LinksFolderName", L"");
    if (links.size() < 2 || !IsPlainName(links)) return;
    std::wstring inLinks = JoinIfFits(kPathCapacity, {favorites, L"\\", links, L"\\", s.mainUrlTitle});
    if (!inLinks.empty()) DeleteNamedEntry(inLinks);
}

}  // namespace uninst
