// Registry deletions. Every key is opened as itself (REG_OPTION_OPEN_LINK) and deleted
// through that handle: a link put in the place of our key, or below it, goes alone,
// and the key it points at (another product's, or the link itself in a loop) stays.
#include "uninstaller/removal.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "uninstaller/final_path.h"

// Deletes the key a handle is open on, a link itself when it was opened as one; a key
// with subkeys stays. In ntdll on every version of the platform.
extern "C" LONG NTAPI NtDeleteKey(HANDLE key);

namespace uninst {

namespace {

constexpr size_t kPathCapacity = 259;
constexpr DWORD kKeyNameCapacity = 256;  // the registry's own limit, 255, and the terminator
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

LONG OpenKeyItself(HKEY parent, const wchar_t* name, HKEY* key) {
    return RegOpenKeyExW(parent, name, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, key);
}

}  // namespace

int DeleteRegistryTree(HKEY root, const wchar_t* key) {
    // Depth first without recursion: the path of open keys from `key` down.
    struct OpenKey {
        HKEY handle;
        std::wstring lastChild;
    };
    std::vector<OpenKey> path(1);
    if (OpenKeyItself(root, key, &path[0].handle) != ERROR_SUCCESS) return -1;
    int result = 0;
    while (!path.empty()) {
        wchar_t child[kKeyNameCapacity];
        DWORD len = kKeyNameCapacity;
        if (RegEnumKeyExW(path.back().handle, 0, child, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            NtDeleteKey(path.back().handle);
            RegCloseKey(path.back().handle);
            path.pop_back();
            continue;
        }
        // A subkey that survived its own deletion would come back at index 0 for ever.
        HKEY handle;
        if (path.back().lastChild == child || OpenKeyItself(path.back().handle, child, &handle) != ERROR_SUCCESS) {
            result = 1;
            break;
        }
        path.back().lastChild = child;
        path.push_back({handle, std::wstring()});
    }
    for (const OpenKey& open : path) RegCloseKey(open.handle);
    return result;
}

std::wstring ReadUserRegistryString(const wchar_t* key, const wchar_t* value, const wchar_t* fallback) {
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return fallback;
    wchar_t data[2048] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    LONG rc = RegQueryValueExW(handle, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return fallback;
    return std::wstring(data, wcsnlen(data, size / sizeof(wchar_t)));
}

void RemoveUninstallEntry(const UninstallSettings& s) {
    std::wstring key = JoinIfFits(kPathCapacity, {kUninstallKey, L"\\", s.verName});
    HKEY entry;
    if (!IsPlainName(s.verName) || key.empty() ||
        OpenKeyItself(HKEY_LOCAL_MACHINE, key.c_str(), &entry) != ERROR_SUCCESS)
        return;
    // A link has none of these values; another product's entry behind it keeps its own.
    for (const wchar_t* value : {L"DisplayName", L"UninstallString", L"DisplayIcon"}) RegDeleteValueW(entry, value);
    NtDeleteKey(entry);  // only when it has no subkeys
    RegCloseKey(entry);
}

}  // namespace uninst
