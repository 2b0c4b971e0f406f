#include "uninstaller/settings.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "win/file.h"

namespace uninst {

namespace {
constexpr size_t kVerInfoCapacity = 899;
}  // namespace

std::string ProgramDirectory() {
    char path[MAX_PATH + 1] = {};
    DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, len);
    size_t slash = dir.find_last_of('\\');
    return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

const char* ReadUninstallSetting(const char* section, const char* key, const char* file) {
    static char value[900];
    GetPrivateProfileStringA(section, key, "", value, sizeof(value), file);
    return value;
}

UninstallSettings ReadSettings(const std::string& iniPath) {
    const char* ini = iniPath.c_str();
    UninstallSettings s;
    // Names and DIR are kept whole: cut, they would name other files and keys. What
    // uses them refuses, or skips, what does not fit; the texts bound themselves.
    s.verName = ReadUninstallSetting("INFO", "VER_NAME", ini);
    s.verInfo = Bounded(ReadUninstallSetting("INFO", "VER_INFO", ini), kVerInfoCapacity);
    s.dir = ReadUninstallSetting("INFO", "DIR", ini);
    s.siteGuid = ReadUninstallSetting("INFO", "SITEGUID", ini);
    s.uninstallName = ReadUninstallSetting("INFO", "UNINSTALL_NAME", ini);
    s.mainUrlTitle = ReadUninstallSetting("FAVORITES", "MAIN_URL_TILTE", ini);
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

KeepListRead ReadKeepListFile(const std::string& iniPath, KeepList& keep) {
    try {
        keep.Clear();
        win::FileHandle file(CreateFileA(iniPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
