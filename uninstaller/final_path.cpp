#include "uninstaller/final_path.h"

#include <winternl.h>

#include <vector>

#include "uninstaller/plan_logic.h"

namespace uninst {

namespace {

// The object's own name. Wine gives it as "\??\C:\..." beyond the MAX_PATH that its
// GetFinalPathNameByHandleW stops at; Windows, which has no such limit, gives a device path.
std::wstring ObjectName(HANDLE file) {
    std::vector<unsigned char> buffer(sizeof(OBJECT_NAME_INFORMATION) + 65536);
    ULONG size = 0;
    if (NtQueryObject(file, ObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &size) != 0)
        return std::wstring();
    const UNICODE_STRING& name = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data())->Name;
    std::wstring text(name.Buffer, name.Length / sizeof(wchar_t));
    return text.compare(0, 4, L"\\??\\") == 0 ? L"\\\\?\\" + text.substr(4) : std::wstring();
}

}  // namespace

std::wstring FinalPathOf(HANDLE file) {
    wchar_t small[MAX_PATH + 16];
    DWORD len = GetFinalPathNameByHandleW(file, small, MAX_PATH + 16, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (len == 0) return GetLastError() == ERROR_MORE_DATA ? ObjectName(file) : std::wstring();
    if (len < MAX_PATH + 16) return std::wstring(small, len);
    std::vector<wchar_t> large(len + 1);
    DWORD again = GetFinalPathNameByHandleW(file, large.data(), len + 1, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return (again == 0 || again > len) ? std::wstring() : std::wstring(large.data(), again);
}

win::FileHandle OpenEntry(const std::wstring& path, DWORD access, bool follow, DWORD share) {
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return win::FileHandle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
}

std::wstring FollowedFinalPath(const std::wstring& path) {
    win::FileHandle h = OpenEntry(path, FILE_READ_ATTRIBUTES, true);
    return h ? FinalPathOf(h.Get()) : std::wstring();
}

std::wstring DosPath(const std::wstring& finalPath) {
    if (finalPath.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + finalPath.substr(8);
    if (finalPath.compare(0, 4, L"\\\\?\\") == 0) return finalPath.substr(4);
    return finalPath;
}

bool IsEntryOf(const std::wstring& final, const std::wstring& dir, const std::wstring& name, bool nameIgnoringCase) {
    if (dir.empty() || name.empty()) return false;
    size_t sep = dir.back() == L'\\' ? 0 : 1;
    if (final.size() != dir.size() + sep + name.size() || final.compare(0, dir.size(), dir) != 0 ||
        (sep == 1 && final[dir.size()] != L'\\'))
        return false;
    return nameIgnoringCase ? SameTextIgnoringCase(final.substr(dir.size() + sep), name)
                            : final.compare(dir.size() + sep, name.size(), name) == 0;
}

}  // namespace uninst
