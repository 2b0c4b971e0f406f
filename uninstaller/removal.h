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
    int scheduled = 0;  // files and directories left for deletion at restart
};

// Empties `directory` (the installation directory itself stays) except kept files,
// "HandHistory", "skins" and the targets of links. Fails when `directory` cannot be
// entered or listed. Leaves the current directory inside `directory`.
bool RemoveTree(const char* directory, const char* pattern, const KeepList& keep, RemovalStats* stats = nullptr);

// Deletes the files of the current directory that match `pattern` and are not kept.
// Sets *scheduledHere when a file in use was left for deletion at restart.
void DeleteFilesInDirectory(const char* pattern, const KeepList& keep, RemovalStats* stats = nullptr,
                            bool* scheduledHere = nullptr);

// 0 once the key's deletion was asked for, -1 when it cannot be opened, 1 when a
// subkey could not be removed (the rest is then left in place).
int DeleteRegistryTree(HKEY root, const char* key);

// A string value under HKEY_CURRENT_USER (at most 2047 bytes), or `fallback`.
std::string ReadUserRegistryString(const char* key, const char* value, const char* fallback);

// The path of a special folder by its CSIDL, without creating it; "" when there is none.
using FolderLookup = std::string (*)(int csidl);
std::string ShellFolder(int csidl);

void RemoveShortcuts(const UninstallSettings& settings, FolderLookup lookup = ShellFolder);
void RemoveExtensionAndFavorite(const UninstallSettings& settings, FolderLookup lookup = ShellFolder);
void RemoveUninstallEntry(const UninstallSettings& settings);

// Whether "DIR" may be emptied: an absolute path that is not a root, not a link, not the
// Windows or system directory, a user profile, a special folder or a parent of one.
// On success *resolved is the full path to work in.
bool CheckInstallDirectory(const std::string& dir, std::string* resolved);

}  // namespace uninst
