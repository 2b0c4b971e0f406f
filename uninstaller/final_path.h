// Where a name really leads. The guard and the removal compare final paths, as the
// system reports them for open handles, so that links on the way cannot mislead them.
#pragma once

#include <windows.h>

#include <string>

#include "win/file.h"

namespace uninst {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The final path of an open file or directory ("\\?\C:\..." form); "" when unknown.
std::wstring FinalPathOf(HANDLE file);

// Opens `path` for `access`; with `follow` false a link itself is opened where the
// platform can do so (Wine opens what the link points at).
win::FileHandle OpenEntry(const std::wstring& path, DWORD access, bool follow, DWORD share = kShareAll);

// The final path of what `path` leads to, links followed; "" when it cannot be opened.
std::wstring FollowedFinalPath(const std::wstring& path);

// "\\?\C:\x" -> "C:\x", "\\?\UNC\host\share" -> "\\host\share".
std::wstring DosPath(const std::wstring& finalPath);

// Whether `final` is the entry `name` of the directory whose final path is `dir`: the
// directory part exactly, the name exactly or, with `nameIgnoringCase`, in any letter case.
bool IsEntryOf(const std::wstring& final, const std::wstring& dir, const std::wstring& name,
               bool nameIgnoringCase = false);

}  // namespace uninst
