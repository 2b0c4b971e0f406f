#include "win/dbcs.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace dbcs {

namespace {
// A lead byte with nothing after it is a character of its own.
size_t Width(std::string_view text, size_t at, LeadByteTest isLead) {
    return isLead && at + 1 < text.size() && isLead(static_cast<unsigned char>(text[at])) ? 2 : 1;
}
}  // namespace

LeadByteTest System() {
#ifdef _WIN32
    return [](unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; };
#else
    return nullptr;
#endif
}

size_t HeadLength(std::string_view text, size_t maxBytes, LeadByteTest isLead) {
    if (text.size() <= maxBytes) return text.size();
    size_t end = 0;
    for (size_t width; end < text.size() && end + (width = Width(text, end, isLead)) <= maxBytes;) end += width;
    return end;
}

std::string Cut(std::string_view text, size_t maxBytes, LeadByteTest isLead) {
    return std::string(text.substr(0, HeadLength(text, maxBytes, isLead)));
}

size_t Find(std::string_view text, char c, size_t from, LeadByteTest isLead) {
    for (size_t at = from; at < text.size(); at += Width(text, at, isLead)) {
        if (text[at] == c) return at;
    }
    return std::string_view::npos;
}

size_t FindLast(std::string_view text, char c, LeadByteTest isLead) {
    size_t last = std::string_view::npos;
    for (size_t at = Find(text, c, 0, isLead); at != std::string_view::npos; at = Find(text, c, at + 1, isLead))
        last = at;
    return last;
}

}  // namespace dbcs
