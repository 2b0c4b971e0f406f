// Mailbox numbers against a reference reading of the same text: blanks, a
// sign, digits, blanks; empty or non-numeric text is 0, and a number beyond
// the 32-bit range reads as the nearest end of that range.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lobby/protocol.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

int32_t Reference(const std::string& value) {
    const std::string text = value.substr(0, value.find('\0'));  // the value arrives as a C string
    const char* blanks = " \t\n\v\f\r";
    size_t at = text.find_first_not_of(blanks);
    if (at == std::string::npos) return 0;
    bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') ++at;
    size_t end = std::min(text.find_first_not_of("0123456789", at), text.size());
    std::string digits = text.substr(at, end - at);
    if (digits.empty() || text.find_first_not_of(blanks, end) != std::string::npos) return 0;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    // Ten digits or fewer fit 64 bits; anything longer is out of range anyway.
    if (digits.size() > 10) return negative ? INT32_MIN : INT32_MAX;
    long long magnitude = digits.empty() ? 0 : std::stoll(digits);
    long long v = negative ? -magnitude : magnitude;
    return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int32_t value = protocol::MailboxNumber(text);
    Check(value == Reference(text));
    // What the browser writes as decimal reads back as itself.
    Check(protocol::MailboxNumber(std::to_string(value)) == value);
    Check(protocol::MailboxNumber(" +" + std::to_string(value) + "\t") == value || value < 0);
    Check(protocol::MailboxNumber(std::to_string(value) + "x") == 0);
    return 0;
}
