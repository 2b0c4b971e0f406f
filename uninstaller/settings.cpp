#include "uninstaller/settings.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <new>

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

bool ReadKeepListFile(const std::string& iniPath, KeepList& keep) {
    try {
        keep.Clear();
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(iniPath.c_str(), "rb"), &std::fclose);
        if (!file) return true;
        std::string text;
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof(chunk), file.get())) > 0) text.append(chunk, n);
        ParseKeepList(text, keep);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace uninst
