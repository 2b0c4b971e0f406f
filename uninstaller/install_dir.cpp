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
    const char* tail;
};
const DerivedFolder kDerivedFolders[] = {
    {&FOLDERID_UserProgramFiles, &FOLDERID_LocalAppData, "Programs"},
    {&FOLDERID_UserProgramFilesCommon, &FOLDERID_UserProgramFiles, "Common"},
    {&FOLDERID_LocalAppDataLow, &FOLDERID_Profile, "AppData\\LocalLow"},
    {&FOLDERID_QuickLaunch, &FOLDERID_RoamingAppData, "Microsoft\\Internet Explorer\\Quick Launch"},
    {&FOLDERID_UserPinned, &FOLDERID_QuickLaunch, "User Pinned"},
    {&FOLDERID_ImplicitAppShortcuts, &FOLDERID_UserPinned, "ImplicitAppShortcuts"},
    {&FOLDERID_SkyDrive, &FOLDERID_Profile, "OneDrive"},
    {&FOLDERID_SkyDriveDocuments, &FOLDERID_SkyDrive, "Documents"},
    {&FOLDERID_SkyDrivePictures, &FOLDERID_SkyDrive, "Pictures"},
    {&FOLDERID_SkyDriveCameraRoll, &FOLDERID_SkyDrivePictures, "Camera Roll"},
    {&FOLDERID_CameraRoll, &FOLDERID_Pictures, "Camera Roll"},
    {&FOLDERID_SavedPictures, &FOLDERID_Pictures, "Saved Pictures"},
    {&FOLDERID_Screenshots, &FOLDERID_Pictures, "Screenshots"},
    {&FOLDERID_Objects3D, &FOLDERID_Profile, "3D Objects"},
    {&FOLDERID_AccountPictures, &FOLDERID_RoamingAppData, "Microsoft\\Windows\\AccountPictures"},
    {&FOLDERID_Libraries, &FOLDERID_RoamingAppData, "Microsoft\\Windows\\Libraries"},
};

const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

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
    std::vector<std::string> machineNames;  // this computer's names, upper case
};

void AddBothForms(std::vector<std::string>& list, const std::string& path) {
    std::string resolved = path.empty() ? std::string() : Resolve(path);
    if (resolved.empty()) return;
    list.push_back(UpperPath(resolved));
    std::string final = FinalText(resolved);
    if (!final.empty() && UpperPath(final) != list.back()) list.push_back(UpperPath(final));
}

std::string KnownFolderPath(const KNOWNFOLDERID& id) {
    PWSTR wide = nullptr;
    std::string path;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &wide)) && wide) path = Narrow(wide);
    CoTaskMemFree(wide);
    return path;
}

// Every folder of the platform's register of known folders that has a path, and the
// derived ones; false when the register cannot be read.
bool KnownFolders(std::vector<std::string>* paths) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IKnownFolderManager* manager = nullptr;
    KNOWNFOLDERID* ids = nullptr;
    UINT count = 0;
    bool read = SUCCEEDED(CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IKnownFolderManager, reinterpret_cast<void**>(&manager))) &&
                SUCCEEDED(manager->GetFolderIds(&ids, &count));
    for (UINT i = 0; read && i < count; ++i) paths->push_back(KnownFolderPath(ids[i]));
    CoTaskMemFree(ids);
    if (manager) manager->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    std::vector<std::pair<const KNOWNFOLDERID*, std::string>> derived;
    auto pathOf = [&](const KNOWNFOLDERID* id) {
        for (const auto& d : derived)
            if (IsEqualGUID(*d.first, *id)) return d.second;
        return KnownFolderPath(*id);
    };
    for (const DerivedFolder& row : kDerivedFolders) {
        std::string base = pathOf(row.base);
        if (KnownFolderPath(*row.id).empty() && !base.empty()) derived.push_back({row.id, base + "\\" + row.tail});
    }
    for (const auto& d : derived) paths->push_back(d.second);
    return read;
}

// A 32-bit process on 64-bit Windows is told of "Program Files (x86)" only; the 64-bit
// folders are named by the environment and by the registry's 64-bit view.
void AddProgramFiles64(std::vector<std::string>* paths) {
    char value[MAX_PATH] = {};
    for (const char* name : {"ProgramW6432", "CommonProgramW6432"}) {
        DWORD len = GetEnvironmentVariableA(name, value, MAX_PATH);
        if (len > 0 && len < MAX_PATH) paths->push_back(value);
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return;
    for (const char* name : {"ProgramFilesDir", "CommonFilesDir", "ProgramW6432Dir", "CommonW6432Dir"}) {
        DWORD size = sizeof(value) - 1, type = 0;
        std::fill(value, value + MAX_PATH, '\0');
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        char expanded[MAX_PATH] = {};
        DWORD len = ExpandEnvironmentStringsA(value, expanded, MAX_PATH);
        if (len > 0 && len <= MAX_PATH) paths->push_back(expanded);
    }
    RegCloseKey(key);
}

void AddMachineNames(std::vector<std::string>* names) {
    for (COMPUTER_NAME_FORMAT format :
         {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified, ComputerNamePhysicalNetBIOS,
          ComputerNamePhysicalDnsHostname, ComputerNamePhysicalDnsFullyQualified}) {
        char name[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (GetComputerNameExA(format, name, &size) && name[0]) names->push_back(UpperAscii(name));
    }
}

// False when the register of known folders cannot be read: then nothing is safe.
bool LoadGuard(Guard* guard) {
    std::vector<std::string> reported;
    if (!KnownFolders(&reported)) return false;
    AddProgramFiles64(&reported);
    char path[MAX_PATH] = {};
    if (GetTempPathA(MAX_PATH, path)) reported.push_back(path);
    for (const std::string& folder : reported) AddBothForms(guard->folders, folder);
    if (GetWindowsDirectoryA(path, MAX_PATH)) AddBothForms(guard->systemTrees, path);
    if (GetSystemDirectoryA(path, MAX_PATH)) AddBothForms(guard->systemTrees, path);
    for (const KNOWNFOLDERID* id : {&FOLDERID_Windows, &FOLDERID_System, &FOLDERID_SystemX86})
        AddBothForms(guard->systemTrees, KnownFolderPath(*id));
    guard->folders.insert(guard->folders.end(), guard->systemTrees.begin(), guard->systemTrees.end());
    std::vector<std::string> profiles;
    AddBothForms(profiles, KnownFolderPath(FOLDERID_Profile));
    for (const std::string& profile : profiles) {
        std::string root = ParentPath(profile);
        if (ClassifyDir(root) == DirSyntax::Absolute) guard->profileRoots.push_back(root);
        for (const std::string& folder : guard->folders)
            if (folder.size() > profile.size() + 1 && IsSameOrParentPath(profile, folder))
                guard->profileTails.push_back(folder.substr(profile.size() + 1));
    }
    AddMachineNames(&guard->machineNames);
    return true;
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
    return IsInOtherProfile(dir, guard) || IsInVolumeSystemFolder(dir);
}

// A share of this machine by a name it answers to: what it leads to is not known here.
bool IsShareOfThisMachine(const std::string& path, const Guard& guard) {
    std::string host = UpperAscii(UncHost(path));
    if (host.empty()) return false;
    return IsLoopbackHost(host) ||
           std::find(guard.machineNames.begin(), guard.machineNames.end(), host) != guard.machineNames.end();
}

bool IsAllowed(const std::string& path, const Guard& guard) {
    return ClassifyDir(path) == DirSyntax::Absolute && !IsAdministrativeShare(path) &&
           !IsShareOfThisMachine(path, guard) && !IsProtected(path, guard);
}

// Volume serial number and file id: the same folder, whichever path names it.
struct FileIdentity {
    DWORD volume, high, low;
    bool operator<(const FileIdentity& o) const {
        return std::tie(volume, high, low) < std::tie(o.volume, o.high, o.low);
    }
};

bool IdentityOf(const std::string& path, FileIdentity* id) {
    win::FileHandle h = OpenEntry(Widen(path), FILE_READ_ATTRIBUTES, true);
    BY_HANDLE_FILE_INFORMATION info;
    if (!h || !GetFileInformationByHandle(h.Get(), &info)) return false;
    // A file system without file ids reports 0, which would match every such folder.
    if (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0) return false;
    *id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool IsFolderPath(const std::string& path) {
    DirSyntax kind = ClassifyDir(path);
    return kind == DirSyntax::Absolute || kind == DirSyntax::Root;
}

std::string LocalPathByIdentity(const std::string& unc, const Guard& guard) {
    std::map<FileIdentity, std::string> known;  // the protected folders and all their parents
    std::set<std::string> seen;
    for (const auto* list : {&guard.folders, &guard.systemTrees, &guard.profileRoots})
        for (const std::string& folder : *list)
            for (std::string at = folder; IsFolderPath(at) && seen.insert(at).second; at = ParentPath(at)) {
                FileIdentity id;
                if (IdentityOf(at, &id)) known.emplace(id, at);
            }
    // The deepest folder on the path that is one of them, with the rest of the path.
    std::string at = unc, rest;
    for (; IsFolderPath(at); at = ParentPath(at)) {
        FileIdentity id;
        auto found = IdentityOf(at, &id) ? known.find(id) : known.end();
        if (found != known.end()) return found->second + rest;
        if (ClassifyDir(at) == DirSyntax::Root) break;
        rest = at.substr(at.find_last_of('\\')) + rest;
    }
    return std::string();
}

// The checks of a path as given and as the system resolves it; a path to a share is
// checked again as the local path it leads to, where it leads back to this machine.
bool IsAllowedEverywhere(const std::string& path, const Guard& guard) {
    if (!IsAllowed(path, guard)) return false;
    if (UncHost(path).empty()) return true;
    std::string local = LocalPathByIdentity(path, guard);
    return local.empty() || IsAllowed(local, guard);
}

}  // namespace

bool CheckInstallDirectory(const std::string& dir, std::string* resolved, std::wstring* finalPath) {
    // A value cut to fit its buffer names another folder, often a parent of the right one.
    if (dir.size() > kPathCapacity) return false;
    std::string normalized = NormalizeDirText(dir);
    if (ClassifyDir(normalized) != DirSyntax::Absolute) return false;
    std::string full = Resolve(normalized);  // folds "." and ".." and short names
    Guard guard;
    if (!LoadGuard(&guard) || !IsAllowedEverywhere(full, guard)) return false;
    std::wstring final;
    DWORD attributes = GetFileAttributesW(Widen(full).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
        final = FollowedFinalPath(Widen(full));
        if (!final.empty() && !IsAllowedEverywhere(NormalizeDirText(Narrow(DosPath(final))), guard)) return false;
    }
    if (resolved) *resolved = full;
    if (finalPath) *finalPath = final;
    return true;
}

std::string LocalPathOfShare(const std::string& uncPath) {
    Guard guard;
    std::string path = NormalizeDirText(uncPath);
    return LoadGuard(&guard) && !UncHost(path).empty() ? LocalPathByIdentity(path, guard) : std::string();
}

}  // namespace uninst
