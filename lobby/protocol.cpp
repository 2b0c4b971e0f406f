#include "lobby/protocol.h"

#include <cstdlib>

namespace protocol {

int32_t MailboxNumber(const std::string& text) {
    // atoi's reading (leading blanks, sign, digits), without its overflow fault.
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(value)));
}

}  // namespace protocol
