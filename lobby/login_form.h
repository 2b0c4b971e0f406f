// The login form posted with a web page: eight fields that the main client
// leaves in the mailbox, formatted into one urlencoded-looking body.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "win/dbcs.h"

namespace loginform {

struct Field {
    const char* name;       // form field
    const char* valueName;  // mailbox value
    size_t capacity;        // characters kept of the value
    const char* logText;    // logged when the value is empty; null: never
};

constexpr size_t kFieldCount = 8;
constexpr std::array<Field, kFieldCount> kFields = {{
    {"uno", "URL_UNO", 51, "szUNO"},
    {"part", "URL_PART", 51, nullptr},
    {"uid", "URL_UID", 51, "szUID"},
    {"pwd", "URL_PWD", 51, "szPWD"},
    {"hwinfo", "URL_HWINFO", 51, "szHWINFO"},
    {"sitekey", "URL_SITEKEY", 11, "szSiteKey"},
    {"freesite", "URL_FREESITE", 11, "szFreeSite"},
    {"deviceid", "URL_DEVICEID", 51, "szDeviceID"},
}};

constexpr char kBodyFormat[] = "uno=%s&part=%s&uid=%s&pwd=%s&hwinfo=%s&sitekey=%s&freesite=%s&deviceid=%s";
constexpr size_t kBodyBufferSize = 500;
constexpr wchar_t kHeaders[] = L"Content-Type: application/x-www-form-urlencoded\r\n";

using Values = std::array<std::string, kFieldCount>;

// Each value cut to its field's capacity, never inside a double-byte character.
Values CutToCapacity(Values values, dbcs::LeadByteTest isLead);
// The values inserted byte for byte, without any escaping.
std::string FormatBody(const Values& values);
// Log texts of the empty fields, in field order.
std::vector<const char*> EmptyFieldLogTexts(const Values& values);

}  // namespace loginform
