// Window-free rules of the uninstaller: the keep list, colour
// texts, bounded texts and the text-level checks of the installation directory.
// Built in both builds so that the native one runs them under the sanitizers.
// Paths and names are wide from the moment they are read: a byte of a double-byte
// character in the system code page can be 0x5C, which would pass for a "\".
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

namespace uninst {

// Whole texts equal without regard to letter case: on Windows by the platform's
// ordinal case-insensitive rule, which covers every letter; elsewhere (the window-free
// tests) for ASCII letters.
bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b);

// Names of files that removal leaves in place, compared whole, without regard to case.
class KeepList {
public:
    void Clear() { names.clear(); }
    void Add(const std::wstring& name) { names.push_back(name); }
    bool Contains(const std::wstring& fileName) const;
    size_t Size() const { return names.size(); }

private:
    std::vector<std::wstring> names;
};

// The settings file's decoded text in pieces of at most 498 characters, each ending
// at its line end: "\r\n", "\n" or a lone "\r", all handed over as "\n".
std::vector<std::wstring> SplitProfileLines(const std::wstring& text);

// Applies the keep list's line rules to the whole decoded text; `keep` is emptied first.
// Throws std::bad_alloc like any allocation.
void ParseKeepList(const std::wstring& text, KeepList& keep);

// Upper case for the ASCII letters only.
std::wstring UpperAscii(std::wstring text);

struct Rgb {
    unsigned char r, g, b;
};
// "r,g,b": each field read as an integer (atoi rules), low 8 bits kept; missing fields are 0.
Rgb ParseColour(const std::string& text);

// Truncates `text` to at most `capacity` characters, never between the two halves
// of a surrogate pair (the fixed buffers of the painted texts).
std::wstring Bounded(std::wstring text, size_t capacity);

// The parts of a path or key joined: "" when the whole does not fit in `capacity`
// characters, since a cut path names something else.
std::wstring JoinIfFits(size_t capacity, std::initializer_list<std::wstring> parts);

// Text-level classification of an installation directory ("DIR").
enum class DirSyntax {
    Empty,     // nothing but blanks
    Relative,  // ".", "sub", "..\x", "C:", "C:sub", "\x"
    Device,    // "\\?\...", "\\.\..."
    Root,      // "C:\" or "\\server\share"
    Absolute,  // "C:\x..." or "\\server\share\x..."
};

// Trailing blanks and backslashes dropped, "/" read as "\", runs of "\" folded
// (except the UNC lead-in). "C:\" keeps its backslash.
std::wstring NormalizeDirText(const std::wstring& dir);
DirSyntax ClassifyDir(const std::wstring& normalized);

// True when `dir` is `other` or one of its parents (both normalised, compared
// without regard to letter case, whole components only).
bool IsSameOrParentPath(const std::wstring& dir, const std::wstring& other);

// The parent of a normalised absolute path ("C:\a\b" -> "C:\a", "C:\a" -> "C:\").
std::wstring ParentPath(const std::wstring& normalized);

// "\\host\C$\...", "\\host\ADMIN$": hidden shares that expose a whole drive or the system.
bool IsAdministrativeShare(const std::wstring& normalized);

// The server of a path to a share ("\\host\share\x" -> "host"); "" for other paths.
std::wstring UncHost(const std::wstring& normalized);

// "localhost" and the loopback addresses as a path to a share may spell them, a final
// dot (the root of the name system) included.
bool IsLoopbackHost(const std::wstring& host);

// Inside a volume's own folders (recycle bin, "System Volume Information"), which no
// known folder names: "C:\$Recycle.Bin\S-1-5-21...", "\\host\share\RECYCLER".
bool IsInVolumeSystemFolder(const std::wstring& normalized);

// A name that may be put into a path below a folder or key without leaving it or
// naming another entry: not empty, none of \ / : * ? " < > | or control characters,
// not made of dots only, and not ending in a dot or a blank (the platform drops those).
bool IsPlainName(const std::wstring& name);

}  // namespace uninst
