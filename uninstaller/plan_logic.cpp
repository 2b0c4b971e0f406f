#include "uninstaller/plan_logic.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
#if defined(_WIN32)
    int size = static_cast<int>(a.size());
    return CompareStringOrdinal(a.data(), size, b.data(), size, TRUE) == CSTR_EQUAL;
#else
    auto upper = [](wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
#endif
}

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// atoi: leading white space, optional sign, digits; anything else ends the number.
int ReadInt(const char* p) {
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    unsigned value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<unsigned>(*p - '0');
    return static_cast<int>(negative ? 0u - value : value);
}

}  // namespace

bool KeepList::Contains(const std::wstring& fileName) const {
    for (const std::wstring& name : names)
        if (SameNameIgnoringCase(name, fileName)) return true;
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
            lines.push_back(piece);
            piece.clear();
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

std::string UpperAscii(std::string text) {
    for (char& c : text) c = UpperChar(c);
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

std::string FormatBounded(size_t capacity, const char* format, ...) {
    std::vector<char> buffer(capacity + 1);
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return std::string(buffer.data());
}

std::string FormatIfFits(size_t capacity, const char* format, ...) {
    std::vector<char> buffer(capacity + 1);
    va_list args;
    va_start(args, format);
    int len = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return (len < 0 || static_cast<size_t>(len) > capacity) ? std::string() : std::string(buffer.data(), len);
}

std::string Bounded(std::string text, size_t capacity) {
    if (text.size() > capacity) text.resize(capacity);
    return text;
}

std::string NormalizeDirText(const std::string& dir) {
    std::string s = dir;
    std::replace(s.begin(), s.end(), '/', '\\');
    // Leading blanks would be part of a relative name; only trailing ones are dropped.
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\\')) s.pop_back();
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i >= 2 && s[i - 1] == '\\') continue;  // "\\" lead-in kept, runs folded
        out += s[i];
    }
    if (out.size() == 2 && out[1] == ':' && s.size() < dir.size() && dir.find_first_of("\\/") == 2) out += '\\';
    return out;
}

DirSyntax ClassifyDir(const std::string& n) {
    if (n.empty()) return DirSyntax::Empty;
    if (BeginsWith(n, "\\\\?\\") || BeginsWith(n, "\\\\.\\") || n == "\\\\?" || n == "\\\\.") return DirSyntax::Device;
    if (BeginsWith(n, "\\\\")) {
        size_t serverEnd = n.find('\\', 2);
        if (serverEnd == std::string::npos || serverEnd == 2) return DirSyntax::Relative;  // "\\server" alone
        size_t shareEnd = n.find('\\', serverEnd + 1);
        return shareEnd == std::string::npos ? DirSyntax::Root : DirSyntax::Absolute;
    }
    bool drive = n.size() >= 2 && n[1] == ':' && ((n[0] >= 'A' && n[0] <= 'Z') || (n[0] >= 'a' && n[0] <= 'z'));
    if (!drive || n.size() < 3 || n[2] != '\\') return DirSyntax::Relative;
    return n.size() == 3 ? DirSyntax::Root : DirSyntax::Absolute;
}

bool IsSameOrParentPath(const std::string& dir, const std::string& other) {
    if (dir.empty() || other.size() < dir.size()) return false;
    if (UpperAscii(other.substr(0, dir.size())) != UpperAscii(dir)) return false;
    return other.size() == dir.size() || dir.back() == '\\' || other[dir.size()] == '\\';
}

bool IsAdministrativeShare(const std::string& n) {
    if (!BeginsWith(n, "\\\\")) return false;
    size_t serverEnd = n.find('\\', 2);
    if (serverEnd == std::string::npos) return false;
    size_t shareEnd = n.find('\\', serverEnd + 1);
    std::string share =
        n.substr(serverEnd + 1, shareEnd == std::string::npos ? std::string::npos : shareEnd - serverEnd - 1);
    return !share.empty() && share.back() == '$';
}

std::string UncHost(const std::string& n) {
    if (!BeginsWith(n, "\\\\")) return std::string();
    size_t serverEnd = n.find('\\', 2);
    return n.substr(2, serverEnd == std::string::npos ? std::string::npos : serverEnd - 2);
}

bool IsLoopbackHost(const std::string& host) {
    std::string h = UpperAscii(host);
    if (h == "LOCALHOST" || h == "LOCALHOST.LOCALDOMAIN") return true;
    // IPv6 in a share path: "::1" written as "0--1.ipv6-literal.net", zeros optional.
    const std::string literal = ".IPV6-LITERAL.NET";
    if (h.size() > literal.size() && h.compare(h.size() - literal.size(), literal.size(), literal) == 0) {
        std::string address = h.substr(0, h.size() - literal.size());
        return address.find_first_not_of("0-") == address.size() - 1 && address.back() == '1';
    }
    // 127.0.0.0/8, in dotted form.
    return h.compare(0, 4, "127.") == 0 && h.find_first_not_of("0123456789.") == std::string::npos;
}

bool IsInVolumeSystemFolder(const std::string& n) {
    size_t start;
    if (BeginsWith(n, "\\\\")) {
        size_t serverEnd = n.find('\\', 2);
        start = serverEnd == std::string::npos ? std::string::npos : n.find('\\', serverEnd + 1);
    } else {
        start = (n.size() >= 3 && n[1] == ':' && n[2] == '\\') ? 2 : std::string::npos;
    }
    if (start == std::string::npos) return false;
    size_t end = n.find('\\', start + 1);
    std::string first = UpperAscii(n.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1));
    for (const char* name : {"$RECYCLE.BIN", "RECYCLER", "RECYCLED", "SYSTEM VOLUME INFORMATION"})
        if (first == name) return true;
    return false;
}

std::string ParentPath(const std::string& n) {
    size_t slash = n.find_last_of('\\');
    if (slash == std::string::npos) return std::string();
    if (slash == 2 && n[1] == ':') return n.substr(0, 3);
    return n.substr(0, slash);
}

}  // namespace uninst

namespace uninst {

bool IsPlainName(const std::string& name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c)) return false;
    return true;  // a name of dots only ends in a dot
}

}  // namespace uninst
