#include "lobby/protocol.h"

#include <limits>

namespace protocol {

int32_t MailboxNumber(const std::string& text) {
    // Blanks around a sign and digits; anything else makes the text no number.
    const char* p = text.c_str();
    auto isBlank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (isBlank(*p)) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const int64_t limit =
        negative ? -int64_t{std::numeric_limits<int32_t>::min()} : std::numeric_limits<int32_t>::max();
    const char* digits = p;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) magnitude = limit;  // out of range: the nearest end, never a wrapped id
    }
    if (p == digits) return 0;
    while (isBlank(*p)) ++p;
    if (*p) return 0;  // "12x" is not 12
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace protocol
