// What the uninstaller makes of the values its settings give it: colours
// against a reference reading, and the installation directory's text rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "uninstaller/plan_logic.h"

using namespace uninst;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// An integer field as written, kept modulo 256: its low eight bits.
unsigned char ReferenceField(const std::string& field) {
    size_t at = 0;
    while (at < field.size() && std::string(" \t\n\v\f\r").find(field[at]) != std::string::npos) ++at;
    bool negative = at < field.size() && field[at] == '-';
    if (at < field.size() && (field[at] == '-' || field[at] == '+')) ++at;
    unsigned value = 0;
    for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at)
        value = (value * 10 + (field[at] - '0')) % 256;
    return static_cast<unsigned char>(negative ? (256 - value) % 256 : value);
}

void CheckColour(const std::string& text) {
    unsigned char fields[3] = {0, 0, 0};
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t comma = text.find(',', start);
        fields[i] = ReferenceField(text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    Rgb rgb = ParseColour(text);
    Check(rgb.r == fields[0] && rgb.g == fields[1] && rgb.b == fields[2]);
}

// The settings reach the rules as wide text: a byte from 0x80 up takes the
// next one with it into one UTF-16 unit, so any unit can come.
std::wstring Wide(const std::string& bytes) {
    std::wstring text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 || i + 1 == bytes.size())
            text += static_cast<wchar_t>(b);
        else
            text += static_cast<wchar_t>(b << 8 | static_cast<unsigned char>(bytes[++i]));
    }
    return text;
}

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s)
        if (L'A' <= c && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    return s;
}

void CheckDirectory(const std::wstring& dir, const std::wstring& name) {
    const std::wstring n = NormalizeDirText(dir);
    Check(NormalizeDirText(n) == n);
    Check(n.find(L'/') == std::wstring::npos);
    const DirSyntax syntax = ClassifyDir(n);
    Check((syntax == DirSyntax::Empty) == n.empty());
    if (syntax != DirSyntax::Absolute) return;
    // Only an absolute directory is ever removed: it has a parent that contains it.
    const std::wstring parent = ParentPath(n);
    const DirSyntax parentSyntax = ClassifyDir(parent);
    Check(parentSyntax == DirSyntax::Root || parentSyntax == DirSyntax::Absolute);
    Check(parent.size() < n.size() && IsSameOrParentPath(parent, n) && !IsSameOrParentPath(n, parent));
    Check(IsSameOrParentPath(Lower(parent), n) && IsSameOrParentPath(n, Lower(n)));
    if (!IsPlainName(name)) return;
    // A plain name stays below the directory it is put in.
    const std::wstring child = n + L"\\" + name;
    Check(ParentPath(child) == n && IsSameOrParentPath(n, child) && !IsSameOrParentPath(child, n));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckColour(text);
    // The first line is a directory, the rest a name to put below it.
    size_t newline = text.find('\n');
    CheckDirectory(Wide(text.substr(0, newline)), Wide(newline == std::string::npos ? std::string() : text.substr(newline + 1)));
    return 0;
}
