// The guard in front of RemoveTree: the settings file's "DIR" decides what is
// deleted recursively, so a wrong word there must not reach the user's own files.
#include "uninstaller/removal.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "uninstaller/final_path.h"

namespace uninst {

namespace {

// Known folders that the platform's register may list without a path (Wine gives none
// for several) though Windows places them, derived the way Windows does. A row's base
// may be one derived above it.
struct DerivedFolder {
    const KNOWNFOLDERID* id;
    const KNOWNFOLDERID* base;
    const wchar_t* tail;
};
const DerivedFolder kDerivedFolders[] = {
    {&FOLDERID_UserProgramFiles, &FOLDERID_LocalAppData, L"Programs"},
    {&FOLDERID_UserProgramFilesCommon, &FOLDERID_UserProgramFiles, L"Common"},
    {&FOLDERID_LocalAppDataLow, &FOLDERID_Profile, L"AppData\\LocalLow"},
    {&FOLDERID_QuickLaunch, &FOLDERID_RoamingAppData, L"Microsoft\\Internet Explorer\\Quick Launch"},
    {&FOLDERID_UserPinned, &FOLDERID_QuickLaunch, L"User Pinned"},
    {&FOLDERID_ImplicitAppShortcuts, &FOLDERID_UserPinned, L"ImplicitAppShortcuts"},
    {&FOLDERID_SkyDrive, &FOLDERID_Profile, L"OneDrive"},
    {&FOLDERID_SkyDriveDocuments, &FOLDERID_SkyDrive, L"Documents"},
    {&FOLDERID_SkyDrivePictures, &FOLDERID_SkyDrive, L"Pictures"},
    {&FOLDERID_SkyDriveCameraRoll, &FOLDERID_SkyDrivePictures, L"Camera Roll"},
    {&FOLDERID_CameraRoll, &FOLDERID_Pictures, L"Camera Roll"},
    {&FOLDERID_SavedPictures, &FOLDERID_Pictures, L"Saved Pictures"},
    {&FOLDERID_Screenshots, &FOLDERID_Pictures, L"Screenshots"},
    {&FOLDERID_Objects3D, &FOLDERID_Profile, L"3D Objects"},
    {&FOLDERID_AccountPictures, &FOLDERID_RoamingAppData, L"Microsoft\\Windows\\AccountPictures"},
    {&FOLDERID_Libraries, &FOLDERID_RoamingAppData, L"Microsoft\\Windows\\Libraries"},
};

const wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

constexpr size_t kPathCapacity = 259;

// Folders of the Unix system that a Wine drive may lead into.
const wchar_t* const kUnixSystemFolders[] = {L"/bin",   L"/boot",  L"/dev",    L"/etc",  L"/lib",
                                             L"/lib32", L"/lib64", L"/libx32", L"/proc", L"/run",
                                             L"/sbin",  L"/srv",   L"/sys",    L"/usr",  L"/var"};

// Full, long-name, normalised form; "" when the path cannot be resolved.
std::wstring Resolve(const std::wstring& path) {
    wchar_t full[MAX_PATH] = {};
    DWORD len = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (len == 0 || len >= MAX_PATH) return std::wstring();
    wchar_t longName[MAX_PATH] = {};
    len = GetLongPathNameW(full, longName, MAX_PATH);
    return NormalizeDirText((len == 0 || len >= MAX_PATH) ? full : longName);
}

// Where the folder really is once links on the way are followed; "" when it cannot be opened.
std::wstring FinalText(const std::wstring& path) {
    std::wstring final = FollowedFinalPath(path);
    return final.empty() ? std::wstring() : NormalizeDirText(DosPath(final));
}

// What "DIR" is compared with, each by its reported path and by its final one.
struct Guard {
    std::vector<std::wstring> folders;       // refused with their parents
    std::vector<std::wstring> systemTrees;   // refused with everything in them
    std::vector<std::wstring> profileRoots;  // the folders that hold the profiles
    std::vector<std::wstring> profileTails;  // special folders within a profile, relative
    std::vector<std::wstring> machineNames;  // this computer's names
    std::wstring unixRootDrives;             // under Wine, the letters of drives that map "/"
};

void AddBothForms(std::vector<std::wstring>& list, const std::wstring& path) {
    std::wstring resolved = path.empty() ? std::wstring() : Resolve(path);
    if (resolved.empty()) return;
    list.push_back(resolved);
    std::wstring final = FinalText(resolved);
    if (!final.empty() && final != resolved) list.push_back(final);
}

std::wstring KnownFolderPath(const KNOWNFOLDERID& id, DWORD flags = 0) {
    PWSTR wide = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY | flags, nullptr, &wide)) && wide) path = wide;
    CoTaskMemFree(wide);
    return path;
}

// Every folder of the platform's register of known folders, at its place and at its
// default place (where another profile has it when ours is moved), and the derived
// ones; false when the register cannot be read.
bool KnownFolders(std::vector<std::wstring>* paths) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IKnownFolderManager* manager = nullptr;
    KNOWNFOLDERID* ids = nullptr;
    UINT count = 0;
    bool read = SUCCEEDED(CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IKnownFolderManager, reinterpret_cast<void**>(&manager))) &&
                SUCCEEDED(manager->GetFolderIds(&ids, &count));
    for (UINT i = 0; read && i < count; ++i) {
        paths->push_back(KnownFolderPath(ids[i]));
        paths->push_back(KnownFolderPath(ids[i], KF_FLAG_DEFAULT_PATH));
    }
    CoTaskMemFree(ids);
    if (manager) manager->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    std::vector<std::pair<const KNOWNFOLDERID*, std::wstring>> derived;
    auto pathOf = [&](const KNOWNFOLDERID* id) {
        for (const auto& d : derived)
            if (IsEqualGUID(*d.first, *id)) return d.second;
        return KnownFolderPath(*id);
    };
    for (const DerivedFolder& row : kDerivedFolders) {
        std::wstring base = pathOf(row.base);
        if (KnownFolderPath(*row.id).empty() && !base.empty()) derived.push_back({row.id, base + L"\\" + row.tail});
    }
    for (const auto& d : derived) paths->push_back(d.second);
    return read;
}

// A 32-bit process on 64-bit Windows is told of "Program Files (x86)" only; the 64-bit
// folders are named by the environment and by the registry's 64-bit view.
void AddProgramFiles64(std::vector<std::wstring>* paths) {
    wchar_t value[MAX_PATH] = {};
    for (const wchar_t* name : {L"ProgramW6432", L"CommonProgramW6432"}) {
        DWORD len = GetEnvironmentVariableW(name, value, MAX_PATH);
        if (len > 0 && len < MAX_PATH) paths->push_back(value);
    }
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return;
    for (const wchar_t* name : {L"ProgramFilesDir", L"CommonFilesDir", L"ProgramW6432Dir", L"CommonW6432Dir"}) {
        DWORD size = sizeof(value) - sizeof(wchar_t), type = 0;
        std::fill(value, value + MAX_PATH, L'\0');
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        wchar_t expanded[MAX_PATH] = {};
        DWORD len = ExpandEnvironmentStringsW(value, expanded, MAX_PATH);
        if (len > 0 && len <= MAX_PATH) paths->push_back(expanded);
    }
    RegCloseKey(key);
}

std::wstring HostName(std::wstring host) {
    if (!host.empty() && host.back() == L'.') host.pop_back();  // "name." is "name"
    return host;
}

void AddMachineNames(std::vector<std::wstring>* names) {
    for (COMPUTER_NAME_FORMAT format :
         {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified, ComputerNamePhysicalNetBIOS,
          ComputerNamePhysicalDnsHostname, ComputerNamePhysicalDnsFullyQualified}) {
        wchar_t name[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (GetComputerNameExW(format, name, &size) && name[0]) names->push_back(HostName(name));
    }
}

// Under Wine (which alone has this export), a Windows path's Unix path.
using UnixNameOf = char*(CDECL*)(LPCWSTR);

UnixNameOf WineUnixName() {
    return reinterpret_cast<UnixNameOf>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
}

std::wstring UnixPathOf(UnixNameOf unixName, const std::wstring& path) {
    char* name = unixName(path.c_str());
    std::wstring unixPath;
    if (name) {
        int size = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
        if (size > 1) {
            unixPath.resize(size - 1);
            MultiByteToWideChar(CP_UTF8, 0, name, -1, &unixPath[0], size);
        }
        HeapFree(GetProcessHeap(), 0, name);
    }
    return unixPath;
}

// A Unix path as Wine's Windows side opens it; "\??\" paths of the environment likewise.
std::wstring WindowsPathOfUnix(std::wstring unixPath) {
    std::replace(unixPath.begin(), unixPath.end(), L'/', L'\\');
    return L"\\\\?\\unix" + unixPath;
}

std::wstring EnvironmentNtPath(const wchar_t* name) {
    wchar_t value[4 * MAX_PATH] = {};
    DWORD len = GetEnvironmentVariableW(name, value, 4 * MAX_PATH);
    std::wstring path = (len > 0 && len < 4 * MAX_PATH) ? value : L"";
    if (path.compare(0, 4, L"\\??\\") == 0) path.replace(0, 4, L"\\\\?\\");
    return path;
}

void AddFinalForm(std::vector<std::wstring>& list, const std::wstring& path) {
    std::wstring final = path.empty() ? std::wstring() : FinalText(path);
    if (!final.empty()) list.push_back(final);
}

// Under Wine a drive can lead anywhere in the Unix file system. Refused: the drives that
// map the Unix root, the prefix and the Unix home with their parents, and the Unix
// system folders with everything in them, each where it really is (its final path).
void AddWinePlaces(Guard* guard) {
    UnixNameOf unixName = WineUnixName();
    if (!unixName) return;
    DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', 0};
        if ((drives & (1u << (letter - L'A'))) && UnixPathOf(unixName, root) == L"/") guard->unixRootDrives += letter;
    }
    std::wstring prefix = EnvironmentNtPath(L"WINECONFIGDIR");
    if (prefix.empty()) {  // "<prefix>/dosdevices/c:/"
        std::wstring drive = UnixPathOf(unixName, L"C:\\");
        size_t at = drive.find(L"/dosdevices/");
        if (at != std::wstring::npos) prefix = WindowsPathOfUnix(drive.substr(0, at));
    }
    AddFinalForm(guard->folders, prefix);
    AddFinalForm(guard->folders, EnvironmentNtPath(L"WINEHOMEDIR"));
    for (const wchar_t* folder : kUnixSystemFolders) AddFinalForm(guard->systemTrees, WindowsPathOfUnix(folder));
}

// False when the register of known folders cannot be read: then nothing is safe.
bool LoadGuard(Guard* guard) {
    std::vector<std::wstring> reported;
    if (!KnownFolders(&reported)) return false;
    AddProgramFiles64(&reported);
    wchar_t path[MAX_PATH] = {};
    if (GetTempPathW(MAX_PATH, path)) reported.push_back(path);
    for (const std::wstring& folder : reported) AddBothForms(guard->folders, folder);
    if (GetWindowsDirectoryW(path, MAX_PATH)) AddBothForms(guard->systemTrees, path);
    if (GetSystemDirectoryW(path, MAX_PATH)) AddBothForms(guard->systemTrees, path);
    for (const KNOWNFOLDERID* id : {&FOLDERID_Windows, &FOLDERID_System, &FOLDERID_SystemX86})
        AddBothForms(guard->systemTrees, KnownFolderPath(*id));
    AddWinePlaces(guard);
    guard->folders.insert(guard->folders.end(), guard->systemTrees.begin(), guard->systemTrees.end());
    std::vector<std::wstring> profiles;
    AddBothForms(profiles, KnownFolderPath(FOLDERID_Profile));
    AddBothForms(guard->profileRoots, KnownFolderPath(FOLDERID_UserProfiles));
    for (const std::wstring& profile : profiles) {
        std::wstring root = ParentPath(profile);
        if (ClassifyDir(root) == DirSyntax::Absolute) guard->profileRoots.push_back(root);
        for (const std::wstring& folder : guard->folders)
            if (folder.size() > profile.size() + 1 && IsSameOrParentPath(profile, folder))
                guard->profileTails.push_back(folder.substr(profile.size() + 1));
    }
    AddMachineNames(&guard->machineNames);
    return true;
}

// Any user's profile, or a special folder within it: what ours has, theirs has too.
bool IsInOtherProfile(const std::wstring& dir, const Guard& guard) {
    for (const std::wstring& root : guard.profileRoots) {
        if (dir.size() <= root.size() + 1 || !IsSameOrParentPath(root, dir)) continue;
        std::wstring rest = dir.substr(root.size() + 1);
        size_t slash = rest.find(L'\\');
        if (slash == std::wstring::npos) return true;  // a profile itself
        for (const std::wstring& tail : guard.profileTails)
            if (IsSameOrParentPath(rest.substr(slash + 1), tail)) return true;
    }
    return false;
}

bool IsProtected(const std::wstring& dir, const Guard& guard) {
    for (const std::wstring& folder : guard.folders)
        if (IsSameOrParentPath(dir, folder)) return true;
    for (const std::wstring& tree : guard.systemTrees)
        if (IsSameOrParentPath(tree, dir)) return true;
    return IsInOtherProfile(dir, guard) || IsInVolumeSystemFolder(dir);
}

// A share of this machine by a name it answers to: what it leads to is not known here.
bool IsShareOfThisMachine(const std::wstring& path, const Guard& guard) {
    std::wstring host = HostName(UncHost(path));
    if (host.empty()) return false;
    if (IsLoopbackHost(host)) return true;
    for (const std::wstring& name : guard.machineNames)
        if (SameTextIgnoringCase(name, host)) return true;
    return false;
}

bool IsOnUnixRootDrive(const std::wstring& path, const Guard& guard) {
    if (path.size() < 2 || path[1] != L':') return false;
    return guard.unixRootDrives.find(UpperAscii(path.substr(0, 1))[0]) != std::wstring::npos;
}

bool IsAllowed(const std::wstring& path, const Guard& guard) {
    return ClassifyDir(path) == DirSyntax::Absolute && !IsAdministrativeShare(path) &&
           !IsShareOfThisMachine(path, guard) && !IsOnUnixRootDrive(path, guard) && !IsProtected(path, guard);
}

// Volume serial number and file id: the same folder, whichever path names it.
struct FileIdentity {
    DWORD volume, high, low;
    bool operator<(const FileIdentity& o) const {
        return std::tie(volume, high, low) < std::tie(o.volume, o.high, o.low);
    }
};

bool IdentityOf(const std::wstring& path, FileIdentity* id) {
    win::FileHandle h = OpenEntry(path, FILE_READ_ATTRIBUTES, true);
    BY_HANDLE_FILE_INFORMATION info;
    if (!h || !GetFileInformationByHandle(h.Get(), &info)) return false;
    // A file system without file ids reports 0, which would match every such folder.
    if (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0) return false;
    *id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool IsFolderPath(const std::wstring& path) {
    DirSyntax kind = ClassifyDir(path);
    return kind == DirSyntax::Absolute || kind == DirSyntax::Root;
}

std::wstring LocalPathByIdentity(const std::wstring& unc, const Guard& guard) {
    std::map<FileIdentity, std::wstring> known;  // the protected folders and all their parents
    std::set<std::wstring> seen;
    for (const auto* list : {&guard.folders, &guard.systemTrees, &guard.profileRoots})
        for (const std::wstring& folder : *list)
            for (std::wstring at = folder; IsFolderPath(at) && seen.insert(at).second; at = ParentPath(at)) {
                FileIdentity id;
                if (IdentityOf(at, &id)) known.emplace(id, at);
            }
    // The deepest folder on the path that is one of them, with the rest of the path.
    std::wstring at = unc, rest;
    for (; IsFolderPath(at); at = ParentPath(at)) {
        FileIdentity id;
        auto found = IdentityOf(at, &id) ? known.find(id) : known.end();
        if (found != known.end()) return found->second + rest;
        if (ClassifyDir(at) == DirSyntax::Root) break;
        rest = at.substr(at.find_last_of(L'\\')) + rest;
    }
    return std::wstring();
}

// The checks of a path as given and as the system resolves it; a path to a share, by
// whatever name, is checked again as the local path it leads to, where it leads back
// to this machine.
bool IsAllowedEverywhere(const std::wstring& path, const Guard& guard) {
    if (!IsAllowed(path, guard)) return false;
    if (UncHost(path).empty()) return true;
    std::wstring local = LocalPathByIdentity(path, guard);
    return local.empty() || IsAllowed(local, guard);
}

}  // namespace

bool CheckInstallDirectory(const std::wstring& dir, std::wstring* resolved, std::wstring* finalPath) {
    // A value cut to fit its buffer names another folder, often a parent of the right one.
    if (dir.size() > kPathCapacity) return false;
    std::wstring normalized = NormalizeDirText(dir);
    if (ClassifyDir(normalized) != DirSyntax::Absolute) return false;
    std::wstring full = Resolve(normalized);  // folds "." and ".." and short names
    Guard guard;
    if (!LoadGuard(&guard) || !IsAllowedEverywhere(full, guard)) return false;
    std::wstring final;
    DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
        final = FollowedFinalPath(full);
        if (!final.empty() && !IsAllowedEverywhere(NormalizeDirText(DosPath(final)), guard)) return false;
    }
    if (resolved) *resolved = full;
    if (finalPath) *finalPath = final;
    return true;
}

std::wstring LocalPathOfShare(const std::wstring& uncPath) {
    Guard guard;
    std::wstring path = NormalizeDirText(uncPath);
    return LoadGuard(&guard) && !UncHost(path).empty() ? LocalPathByIdentity(path, guard) : std::wstring();
}

}  // namespace uninst
