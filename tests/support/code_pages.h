// The lead-byte rules of the double-byte system code pages as the platform
// defines them, for the window-free tests of text handling: in both, many
// second bytes are '\\' (0x5C) or '|' (0x7C).
#pragma once

namespace codepage {
// Japanese, code page 932: 81-9F and E0-FC.
inline bool Lead932(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// Simplified Chinese, code page 936: 81-FE.
inline bool Lead936(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
}  // namespace codepage
