#include "uninstaller/final_path.h"

#include <vector>

namespace uninst {

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), size, &narrow[0], n, nullptr, nullptr);
    return narrow;
}

std::wstring FinalPathOf(HANDLE file) {
    wchar_t small[MAX_PATH + 16];
    DWORD len = GetFinalPathNameByHandleW(file, small, MAX_PATH + 16, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (len == 0) return std::wstring();
    if (len < MAX_PATH + 16) return std::wstring(small, len);
    std::vector<wchar_t> large(len + 1);
    DWORD again = GetFinalPathNameByHandleW(file, large.data(), len + 1, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return (again == 0 || again > len) ? std::wstring() : std::wstring(large.data(), again);
}

win::FileHandle OpenEntry(const std::wstring& path, DWORD access, bool follow) {
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return win::FileHandle(CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
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

bool IsEntryOf(const std::wstring& final, const std::wstring& dir, const std::wstring& name) {
    if (dir.empty() || name.empty()) return false;
    size_t sep = dir.back() == L'\\' ? 0 : 1;
    return final.size() == dir.size() + sep + name.size() && final.compare(0, dir.size(), dir) == 0 &&
           (sep == 0 || final[dir.size()] == L'\\') && final.compare(dir.size() + sep, name.size(), name) == 0;
}

}  // namespace uninst
