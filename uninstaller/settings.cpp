#include "uninstaller/settings.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "win/file.h"

namespace uninst {

namespace {
constexpr size_t kVerInfoCapacity = 899;
}  // namespace

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD len = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (len == 0) return std::wstring();
        if (len < path.size()) return path.substr(0, len);
        path.resize(path.size() * 2);  // cut to fit: ask again
    }
}

std::wstring ProgramDirectory() {
    std::wstring path = ProgramPath();
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

const wchar_t* ReadUninstallSetting(const wchar_t* section, const wchar_t* key, const wchar_t* file) {
    static wchar_t value[900];
    GetPrivateProfileStringW(section, key, L"", value, 900, file);
    return value;
}

UninstallSettings ReadSettings(const std::wstring& iniPath) {
    const wchar_t* ini = iniPath.c_str();
    UninstallSettings s;
    // Names and DIR are kept whole: cut, they would name other files and keys. What
    // uses them refuses, or skips, what does not fit; the texts bound themselves.
    s.verName = ReadUninstallSetting(L"INFO", L"VER_NAME", ini);
    s.verInfo = Bounded(ReadUninstallSetting(L"INFO", L"VER_INFO", ini), kVerInfoCapacity);
    s.dir = ReadUninstallSetting(L"INFO", L"DIR", ini);
    s.siteGuid = ReadUninstallSetting(L"INFO", L"SITEGUID", ini);
    s.uninstallName = ReadUninstallSetting(L"INFO", L"UNINSTALL_NAME", ini);
    s.mainUrlTitle = ReadUninstallSetting(L"FAVORITES", L"MAIN_URL_TILTE", ini);
    return s;
}

bool DecodeSettingsText(const std::string& bytes, std::wstring* text) {
    auto startsWith = [&](const char* mark) { return bytes.compare(0, std::strlen(mark), mark) == 0; };
    if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        if (bytes.size() % 2 != 0) return false;
        bool bigEndian = bytes[0] == '\xFE';
        text->resize(bytes.size() / 2 - 1);
        for (size_t i = 0; i < text->size(); ++i) {
            unsigned char first = bytes[2 * i + 2], second = bytes[2 * i + 3];
            (*text)[i] = static_cast<wchar_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
        }
        return true;
    }
    bool utf8 = startsWith("\xEF\xBB\xBF");
    const char* start = bytes.data() + (utf8 ? 3 : 0);
    int size = static_cast<int>(bytes.size() - (utf8 ? 3 : 0));
    UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    DWORD flags = utf8 ? MB_ERR_INVALID_CHARS : 0;
    text->clear();
    if (size == 0) return true;
    int n = MultiByteToWideChar(codePage, flags, start, size, nullptr, 0);
    if (n <= 0) return false;
    text->resize(n);
    return MultiByteToWideChar(codePage, flags, start, size, &(*text)[0], n) == n;
}

KeepListRead ReadKeepListFile(const std::wstring& iniPath, KeepList& keep) {
    try {
        keep.Clear();
        win::FileHandle file(CreateFileW(iniPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            DWORD error = GetLastError();
            bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
            return missing ? KeepListRead::Complete : KeepListRead::Unreadable;
        }
        std::string bytes;
        char chunk[4096];
        DWORD n = 0;
        for (;;) {
            if (!ReadFile(file.Get(), chunk, sizeof(chunk), &n, nullptr)) return KeepListRead::Unreadable;
            if (n == 0) break;
            bytes.append(chunk, n);
        }
        std::wstring text;
        if (!DecodeSettingsText(bytes, &text)) return KeepListRead::Unreadable;
        ParseKeepList(text, keep);
        return KeepListRead::Complete;
    } catch (const std::bad_alloc&) {
        return KeepListRead::OutOfMemory;
    }
}

}  // namespace uninst
