// The settings file uninstaller.ini next to the program.
#pragma once

#include <string>

#include "uninstaller/plan_logic.h"

namespace uninst {

// The program's own executable, and its directory with its trailing backslash.
std::wstring ProgramPath();
std::wstring ProgramDirectory();

// The platform's profile-string reader, default "", at most 899 characters, decoded
// as it reads: a file in the system code page gives its characters, never bytes.
// The text lives in one static buffer that the next call overwrites.
const wchar_t* ReadUninstallSetting(const wchar_t* section, const wchar_t* key, const wchar_t* file);

// Values of up to 259 characters, except VER_INFO (899); longer ones are kept whole.
struct UninstallSettings {
    std::wstring verName;   // INFO VER_NAME
    std::wstring verInfo;   // INFO VER_INFO, cut to 899
    std::wstring dir;       // INFO DIR
    std::wstring siteGuid;  // INFO SITEGUID
    // Read at start with the others: the settings file normally lies in DIR,
    // so after the file removal they could no longer be read.
    std::wstring uninstallName;  // INFO UNINSTALL_NAME
    std::wstring mainUrlTitle;   // FAVORITES MAIN_URL_TILTE
};

UninstallSettings ReadSettings(const std::wstring& iniPath);

// The settings file's text as the profile reader decodes it: UTF-16 (either byte
// order) or UTF-8 after their byte-order marks, the system code page otherwise.
// False when the bytes are not text of the encoding they announce.
bool DecodeSettingsText(const std::string& bytes, std::wstring* text);

enum class KeepListRead {
    Complete,     // read, or no settings file at all (the list stays empty)
    Unreadable,   // the file is there but cannot be read or decoded
    OutOfMemory,  // a name could not be stored
};

// Reads the keep list from the file. Anything but Complete may have lost names.
KeepListRead ReadKeepListFile(const std::wstring& iniPath, KeepList& keep);

}  // namespace uninst
