#include "uninstaller/plan_logic.h"

#include <algorithm>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace uninst {

namespace {

constexpr size_t kMaxLinePiece = 498;  // fgets(buf, 499, f)

template <class Char>
bool BeginsWith(const std::basic_string<Char>& text, const Char* prefix) {
    return text.compare(0, std::char_traits<Char>::length(prefix), prefix) == 0;
}

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

wchar_t UpperChar(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// atoi: leading white space, optional sign, digits; anything else ends the number.
int ReadInt(const char* p) {
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    unsigned value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<unsigned>(*p - '0');
    return static_cast<int>(negative ? 0u - value : value);
}

// The end of the server name and of the share name of "\\server\share\..."; npos where absent.
size_t ServerEnd(const std::wstring& n) { return BeginsWith(n, L"\\\\") ? n.find(L'\\', 2) : std::wstring::npos; }

std::wstring Component(const std::wstring& n, size_t separator) {
    size_t end = n.find(L'\\', separator + 1);
    return n.substr(separator + 1, end == std::wstring::npos ? std::wstring::npos : end - separator - 1);
}

// "::1" in any spelling: zero groups, then a last group of 1.
bool IsLoopbackIpv6(const std::wstring& address) {
    return address.find(L':') != std::wstring::npos && address.find_first_not_of(L"0:") == address.size() - 1 &&
           address.back() == L'1';
}

}  // namespace

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
#if defined(_WIN32)
    int size = static_cast<int>(a.size());
    return CompareStringOrdinal(a.data(), size, b.data(), size, TRUE) == CSTR_EQUAL;
#else
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperChar(a[i]) != UpperChar(b[i])) return false;
    return true;
#endif
}

bool KeepList::Contains(const std::wstring& fileName) const {
    for (const std::wstring& name : names)
        if (SameTextIgnoringCase(name, fileName)) return true;
    return false;
}

std::vector<std::wstring> SplitProfileLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring piece;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        // "\r\n" is one line end; a lone "\r" ends a line too, as for the profile reader.
        if (c == L'\r') {
            if (i + 1 < text.size() && text[i + 1] == L'\n') continue;
            c = L'\n';
        }
        piece += c;
        if (c == L'\n' || piece.size() == kMaxLinePiece) {
            // A piece never ends between the two halves of a surrogate pair.
            bool splitsPair = c >= 0xD800 && c <= 0xDBFF;
            lines.push_back(splitsPair ? piece.substr(0, piece.size() - 1) : piece);
            piece = splitsPair ? std::wstring(1, c) : std::wstring();
        }
    }
    if (!piece.empty()) lines.push_back(piece);
    return lines;
}

void ParseKeepList(const std::wstring& text, KeepList& keep) {
    keep.Clear();
    bool inside = false;
    for (const std::wstring& line : SplitProfileLines(text)) {
        if (Contains(line, L"UNDELETE_LIST")) {
            inside = true;
        } else if (!inside) {
            continue;
        } else if (BeginsWith(line, L"[")) {
            inside = false;
            continue;
        }
        if (BeginsWith(line, L"[")) continue;
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        keep.Add(line.substr(0, eq));  // no blanks trimmed
    }
}

std::wstring UpperAscii(std::wstring text) {
    for (wchar_t& c : text) c = UpperChar(c);
    return text;
}

Rgb ParseColour(const std::string& text) {
    int fields[3] = {0, 0, 0};
    size_t start = 0;
    for (int i = 0; i < 3 && start <= text.size(); ++i) {
        size_t comma = text.find(',', start);
        std::string field = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        fields[i] = ReadInt(field.c_str());
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return Rgb{static_cast<unsigned char>(fields[0] & 0xFF), static_cast<unsigned char>(fields[1] & 0xFF),
               static_cast<unsigned char>(fields[2] & 0xFF)};
}

std::wstring Bounded(std::wstring text, size_t capacity) {
    if (text.size() <= capacity) return text;
    bool splitsPair = capacity > 0 && text[capacity - 1] >= 0xD800 && text[capacity - 1] <= 0xDBFF;
    text.resize(splitsPair ? capacity - 1 : capacity);
    return text;
}

std::wstring JoinIfFits(size_t capacity, std::initializer_list<std::wstring> parts) {
    std::wstring whole;
    for (const std::wstring& part : parts) whole += part;
    return whole.size() > capacity ? std::wstring() : whole;
}

std::wstring NormalizeDirText(const std::wstring& dir) {
    std::wstring s = dir;
    std::replace(s.begin(), s.end(), L'/', L'\\');
    // Leading blanks would be part of a relative name; only trailing ones are dropped.
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t' || s.back() == L'\\')) s.pop_back();
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\\' && i >= 2 && s[i - 1] == L'\\') continue;  // "\\" lead-in kept, runs folded
        out += s[i];
    }
    if (out.size() == 2 && out[1] == L':' && s.size() < dir.size() && dir.find_first_of(L"\\/") == 2) out += L'\\';
    return out;
}

DirSyntax ClassifyDir(const std::wstring& n) {
    if (n.empty()) return DirSyntax::Empty;
    if (BeginsWith(n, L"\\\\?\\") || BeginsWith(n, L"\\\\.\\") || n == L"\\\\?" || n == L"\\\\.")
        return DirSyntax::Device;
    if (BeginsWith(n, L"\\\\")) {
        size_t serverEnd = ServerEnd(n);
        if (serverEnd == std::wstring::npos || serverEnd == 2) return DirSyntax::Relative;  // "\\server" alone
        return n.find(L'\\', serverEnd + 1) == std::wstring::npos ? DirSyntax::Root : DirSyntax::Absolute;
    }
    bool drive = n.size() >= 2 && n[1] == L':' && ((n[0] >= L'A' && n[0] <= L'Z') || (n[0] >= L'a' && n[0] <= L'z'));
    if (!drive || n.size() < 3 || n[2] != L'\\') return DirSyntax::Relative;
    return n.size() == 3 ? DirSyntax::Root : DirSyntax::Absolute;
}

bool IsSameOrParentPath(const std::wstring& dir, const std::wstring& other) {
    if (dir.empty() || other.size() < dir.size()) return false;
    if (!SameTextIgnoringCase(other.substr(0, dir.size()), dir)) return false;
    return other.size() == dir.size() || dir.back() == L'\\' || other[dir.size()] == L'\\';
}

bool IsAdministrativeShare(const std::wstring& n) {
    size_t serverEnd = ServerEnd(n);
    if (serverEnd == std::wstring::npos) return false;
    std::wstring share = Component(n, serverEnd);
    return !share.empty() && share.back() == L'$';
}

std::wstring UncHost(const std::wstring& n) {
    if (!BeginsWith(n, L"\\\\")) return std::wstring();
    size_t serverEnd = ServerEnd(n);
    return n.substr(2, serverEnd == std::wstring::npos ? std::wstring::npos : serverEnd - 2);
}

bool IsLoopbackHost(const std::wstring& host) {
    std::wstring h = UpperAscii(host);
    if (!h.empty() && h.back() == L'.') h.pop_back();  // "localhost." is "localhost"
    if (h == L"LOCALHOST" || h == L"LOCALHOST.LOCALDOMAIN") return true;
    if (h.size() > 2 && h.front() == L'[' && h.back() == L']') return IsLoopbackIpv6(h.substr(1, h.size() - 2));
    // IPv6 in a share path: "::1" written as "0--1.ipv6-literal.net", zeros optional.
    const std::wstring literal = L".IPV6-LITERAL.NET";
    if (h.size() > literal.size() && h.compare(h.size() - literal.size(), literal.size(), literal) == 0) {
        std::wstring address = h.substr(0, h.size() - literal.size());
        std::replace(address.begin(), address.end(), L'-', L':');
        return IsLoopbackIpv6(address);
    }
    // 127.0.0.0/8, in dotted form.
    return h.compare(0, 4, L"127.") == 0 && h.find_first_not_of(L"0123456789.") == std::wstring::npos;
}

bool IsInVolumeSystemFolder(const std::wstring& n) {
    size_t start;
    if (BeginsWith(n, L"\\\\")) {
        size_t serverEnd = ServerEnd(n);
        start = serverEnd == std::wstring::npos ? std::wstring::npos : n.find(L'\\', serverEnd + 1);
    } else {
        start = (n.size() >= 3 && n[1] == L':' && n[2] == L'\\') ? 2 : std::wstring::npos;
    }
    if (start == std::wstring::npos) return false;
    std::wstring first = UpperAscii(Component(n, start));
    for (const wchar_t* name : {L"$RECYCLE.BIN", L"RECYCLER", L"RECYCLED", L"SYSTEM VOLUME INFORMATION"})
        if (first == name) return true;
    return false;
}

std::wstring ParentPath(const std::wstring& n) {
    size_t slash = n.find_last_of(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    if (slash == 2 && n[1] == L':') return n.substr(0, 3);
    return n.substr(0, slash);
}

bool IsPlainName(const std::wstring& name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) return false;
    return true;  // a name of dots only ends in a dot
}

}  // namespace uninst
