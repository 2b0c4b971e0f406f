// The keep list read from any settings text equals a plain model of its line
// rules: lines as the profile reader ends them, then the list's open, close and
// name rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "uninstaller/plan_logic.h"

namespace {

constexpr size_t kPiece = 498;

std::string Upper(std::string s) {
    for (char& c : s)
        if ('a' <= c && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if ('A' <= c && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

// "\r\n" and a lone "\r" become "\n" first; then every line, its "\n" included, in pieces of 498.
std::vector<std::string> Pieces(const std::string& text) {
    std::string flat;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r')
            flat += text[i];
        else if (i + 1 == text.size() || text[i + 1] != '\n')
            flat += '\n';
    std::vector<std::string> pieces;
    for (size_t start = 0; start < flat.size();) {
        size_t end = flat.find('\n', start);
        end = end == std::string::npos ? flat.size() : end + 1;
        for (size_t at = start; at < end; at += kPiece) pieces.push_back(flat.substr(at, std::min(kPiece, end - at)));
        start = end;
    }
    return pieces;
}

std::vector<std::string> ModelNames(const std::string& text) {
    std::vector<std::string> names;
    bool inside = false;
    for (const std::string& line : Pieces(text)) {
        bool opens = line.find("UNDELETE_LIST") != std::string::npos;
        bool header = !line.empty() && line[0] == '[';
        if (opens) inside = true;
        if (header && !opens) inside = false;
        if (!inside || header) continue;
        size_t eq = line.find('=');
        if (eq != std::string::npos) names.push_back(Upper(line.substr(0, eq)));
    }
    return names;
}

bool ModelHas(const std::set<std::string>& names, const std::string& name) { return names.count(Upper(name)) > 0; }

void Check(bool ok) {
    if (!ok) std::abort();
}

std::wstring Wide(const std::string& s) {
    std::wstring wide;
    for (char c : s) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Each byte one character: the decoded text of a settings file in a single-byte code page.
    const std::string text(reinterpret_cast<const char*>(data), size);
    uninst::KeepList keep;
    keep.Add(L"stale.dat");  // reading empties the list first
    uninst::ParseKeepList(Wide(text), keep);
    const std::vector<std::string> names = ModelNames(text);
    const std::set<std::string> named(names.begin(), names.end());

    Check(keep.Size() == names.size());
    Check(keep.Contains(L"stale.dat") == ModelHas(named, "STALE.DAT"));
    // Every search walks the whole list: a long one is sampled, its last name always.
    const size_t stride = names.size() / 64 + 1;
    for (size_t i = (names.size() - 1) % stride; i < names.size(); i += stride) {
        const std::string& name = names[i];
        Check(keep.Contains(Wide(name)) && keep.Contains(Wide(Lower(name))));
        // A neighbouring name is kept only if the file names it too.
        for (const std::string& other : {name + "x", name.substr(0, name.size() / 2), " " + name})
            Check(keep.Contains(Wide(other)) == ModelHas(named, other));
    }
    return 0;
}
