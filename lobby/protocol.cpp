#include "lobby/protocol.h"

#include <limits>

namespace protocol {

int32_t MailboxNumber(const std::string& text) {
    // atoi's reading: blanks, a sign, digits; the rest of the text is ignored.
    const char* p = text.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const int64_t limit =
        negative ? -int64_t{std::numeric_limits<int32_t>::min()} : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) magnitude = limit;  // out of range: the nearest end, never a wrapped id
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace protocol
