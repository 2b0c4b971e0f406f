#include "tools/storm/storm_checks.h"

#include <regex>
#include <set>

namespace storm {

namespace {

constexpr size_t kMaxLogLine = 199;
constexpr size_t kNicknameField = 21;
constexpr size_t kNicknameOffset = 4;
constexpr size_t kFlagOffset = 25;

bool InRange(const std::string& digits, int low, int high) {
    int value = std::stoi(digits);
    return value >= low && value <= high;
}

std::string Quote(std::string_view text) {
    std::string quoted;
    for (char c : text.substr(0, 80)) {
        if (c == '\r')
            quoted += "\\r";
        else if (c == '\n')
            quoted += "\\n";
        else
            quoted += c;
    }
    return "\"" + quoted + (text.size() > 80 ? "...\"" : "\"");
}

}  // namespace

bool IsWellFormedLogLine(std::string_view line, bool faultLines) {
    static const std::regex kLine(
        "(\\d\\d)/(\\d\\d)/\\d\\d (\\d\\d):(\\d\\d):(\\d\\d)-(0|[1-9]\\d{0,2}) TRD=\\d+ "
        "(\\[[^\\]\\r\\n]*\\] )?([^\\r\\n]*) ERR=-?\\d+ \\r\\n");
    static const std::regex kFault("EIP=[0-9A-F]{8,}");
    std::match_results<std::string_view::const_iterator> m;
    if (line.size() > kMaxLogLine || !std::regex_match(line.begin(), line.end(), m, kLine)) return false;
    if (!InRange(m[1], 1, 12) || !InRange(m[2], 1, 31) || !InRange(m[3], 0, 23) || !InRange(m[4], 0, 59) ||
        !InRange(m[5], 0, 59)) {
        return false;
    }
    return !faultLines || std::regex_match(m[8].str(), kFault);
}

Verdict CheckLogFile(std::string_view content, bool faultLines) {
    Verdict verdict;
    while (!content.empty()) {
        size_t end = content.find("\r\n");
        std::string_view line = content.substr(0, end == std::string_view::npos ? content.size() : end + 2);
        if (!IsWellFormedLogLine(line, faultLines)) {
            return {false, "line " + std::to_string(verdict.count + 1) + " is malformed: " + Quote(line),
                    verdict.count};
        }
        verdict.count++;
        content.remove_prefix(line.size());
    }
    return verdict;
}

Verdict CheckBuddyFile(std::string_view bytes) {
    if (bytes.size() % kBuddyRecordSize != 0) {
        return {false, std::to_string(bytes.size()) + " bytes are not whole records of 28", 0};
    }
    Verdict verdict;
    std::set<std::string_view> nicknames;
    for (size_t at = 0; at < bytes.size(); at += kBuddyRecordSize, verdict.count++) {
        std::string_view field = bytes.substr(at + kNicknameOffset, kNicknameField);
        size_t end = field.find('\0');
        std::string record = "record " + std::to_string(verdict.count + 1);
        if (end == std::string_view::npos) return {false, record + ": the nickname has no terminator", verdict.count};
        if (field.find_first_not_of('\0', end) != std::string_view::npos)
            return {false, record + ": bytes behind the nickname's terminator", verdict.count};
        if (bytes[at + kFlagOffset + 1] != '\0' || bytes[at + kFlagOffset + 2] != '\0')
            return {false, record + ": the last two bytes are not zero", verdict.count};
        if (!nicknames.insert(field.substr(0, end)).second)
            return {false, record + ": nickname " + Quote(field.substr(0, end)) + " twice", verdict.count};
    }
    return verdict;
}

}  // namespace storm
