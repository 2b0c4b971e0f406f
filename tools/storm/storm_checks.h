// What the storm checks in the browser's working folder once it is over: the
// log files and the buddy file. Window-free, so that the checks themselves
// can be tested on made-up files.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace storm {

constexpr size_t kBuddyRecordSize = 28;

// One log line as the diagnostics write it, its CR LF included:
// "mm/dd/yy hh:mm:ss-ms TRD=id [name] text ERR=code \r\n", the name optional,
// at most 199 characters. With faultLines the text must be "EIP=" and eight
// or more upper-case hexadecimal digits.
bool IsWellFormedLogLine(std::string_view line, bool faultLines = false);

struct Verdict {
    bool ok = true;
    std::string reason;  // empty when ok
    size_t count = 0;    // lines or records seen
};

// Every line of a log file is well formed, the last one ended too.
Verdict CheckLogFile(std::string_view content, bool faultLines = false);

// buddylist.dat: whole 28-byte records, each a nickname terminated within its
// 21 bytes and zero-filled behind, two zero bytes at the end, nicknames unique.
Verdict CheckBuddyFile(std::string_view bytes);

}  // namespace storm
