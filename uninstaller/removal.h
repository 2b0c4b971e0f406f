// Removal of files, shortcuts and registry entries.
#pragma once

#include <windows.h>

#include <string>

#include "uninstaller/plan_logic.h"
#include "uninstaller/settings.h"

namespace uninst {

struct RemovalStats {
    int filesDeleted = 0;
    int dirsRemoved = 0;
    // Entries that stay though they are neither kept, "HandHistory", "skins" nor the
    // running program: in use, refused, names beginning with ".", links the platform
    // cannot remove, folders that lead elsewhere. Each one is counted once.
    int leftovers = 0;
};

// Empties `directory` (the installation directory itself stays) except kept files,
// "HandHistory", "skins" and the targets of links, at any depth (paths beyond MAX_PATH
// too). What cannot be deleted now, a file in use say, is passed over and counted; nothing
// is left for deletion at the next restart. Fails when `directory` cannot be entered or
// listed, or when the directory entered does not have `expectedFinalPath` (as
// CheckInstallDirectory gave it). Leaves the current directory inside `directory`.
bool RemoveTree(const std::wstring& directory, const wchar_t* pattern, const KeepList& keep,
                RemovalStats* stats = nullptr, const std::wstring* expectedFinalPath = nullptr);

// Deletes the files of the current directory that match `pattern` and are not kept.
void DeleteFilesInDirectory(const wchar_t* pattern, const KeepList& keep, RemovalStats* stats = nullptr);

// Deletes the file or empty folder at `path`, not what a link of that name leads to.
// Its last name may differ from the one on disk in letter case; the folder may not.
bool DeleteNamedEntry(const std::wstring& path);

// 0 once the key's deletion was asked for, -1 when it cannot be opened, 1 when a
// subkey could not be removed (the rest is then left in place). A registry link, the
// key itself or any below it, is removed itself; what it points at is never touched.
int DeleteRegistryTree(HKEY root, const wchar_t* key);

// A string value under HKEY_CURRENT_USER (at most 2047 characters), or `fallback`.
std::wstring ReadUserRegistryString(const wchar_t* key, const wchar_t* value, const wchar_t* fallback);

// The path of a special folder by its CSIDL, without creating it; "" when there is none.
using FolderLookup = std::wstring (*)(int csidl);
std::wstring ShellFolder(int csidl);

void RemoveShortcuts(const UninstallSettings& settings, FolderLookup lookup = ShellFolder);
void RemoveExtensionAndFavorite(const UninstallSettings& settings, FolderLookup lookup = ShellFolder);
void RemoveUninstallEntry(const UninstallSettings& settings);

// Whether "DIR" may be emptied: an absolute path of at most 259 characters that is not
// a root, an administrative share, a share of this machine by one of its names, a link,
// inside the Windows directory or a volume's recycle bin, a user profile, a known folder
// (of any user, at its present or its default place, 64-bit program files included) or a
// parent of one, by its own path or its final one. Under Wine also not on a drive that
// maps the Unix root, not a Wine prefix, the Unix home or a parent of one, and not in a
// Unix system folder. On success *resolved is the full path to work in and *finalPath,
// when asked for, the final path it has now ("" when it does not exist).
bool CheckInstallDirectory(const std::wstring& dir, std::wstring* resolved, std::wstring* finalPath = nullptr);

// The local path of the folder that a path to a share names, where the share leads
// back to this machine: found by volume serial number and file id among the protected
// folders and their parents, the rest of the path added. "" when none matches.
std::wstring LocalPathOfShare(const std::wstring& uncPath);

}  // namespace uninst
