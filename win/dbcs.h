// Text in the system code page, whose characters take one byte or two: the
// second byte of a double-byte character (code pages 932, 936, 949, 950) can
// be '\\' or '|', so every cut and every search for a separator walks whole
// characters. Window-free; the lead-byte rule is passed in, so that the same
// code runs against any code page's rule.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace dbcs {

// True for the first byte of a double-byte character; null stands for a
// single-byte code page.
using LeadByteTest = bool (*)(unsigned char byte);

// The rule of the code page in use (IsDBCSLeadByte); null where there is no
// such rule to ask.
LeadByteTest System();

// The byte length of the longest head of `text` that fits in `maxBytes` and
// ends on a character boundary.
size_t HeadLength(std::string_view text, size_t maxBytes, LeadByteTest isLead);
std::string Cut(std::string_view text, size_t maxBytes, LeadByteTest isLead);

// The first `c` at or after `from` (a boundary) that stands as a character of
// its own, never the second byte of another; npos when there is none.
size_t Find(std::string_view text, char c, size_t from, LeadByteTest isLead);
// The last such `c`, or npos.
size_t FindLast(std::string_view text, char c, LeadByteTest isLead);

}  // namespace dbcs
