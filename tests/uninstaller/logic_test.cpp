// Window-free rules of the uninstaller, run in both builds.
#include <gtest/gtest.h>

#include "uninstaller/plan_logic.h"

using namespace uninst;

namespace {

// The path cases are written in ASCII; the rules take wide text.
std::wstring W(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string A(const std::wstring& text) { return std::string(text.begin(), text.end()); }
std::string NormalizeDirText(const char* dir) { return A(uninst::NormalizeDirText(W(dir))); }
DirSyntax ClassifyDir(const std::string& dir) { return uninst::ClassifyDir(W(dir)); }
bool IsSameOrParentPath(const char* dir, const char* other) { return uninst::IsSameOrParentPath(W(dir), W(other)); }
std::string ParentPath(const char* path) { return A(uninst::ParentPath(W(path))); }
bool IsPlainName(const char* name) { return uninst::IsPlainName(W(name)); }
bool IsAdministrativeShare(const char* dir) { return uninst::IsAdministrativeShare(W(dir)); }
std::string UncHost(const char* dir) { return A(uninst::UncHost(W(dir))); }
bool IsLoopbackHost(const char* host) { return uninst::IsLoopbackHost(W(host)); }
bool IsInVolumeSystemFolder(const char* dir) { return uninst::IsInVolumeSystemFolder(W(dir)); }

KeepList Parse(const std::wstring& text) {
    KeepList keep;
    ParseKeepList(text, keep);
    return keep;
}

}  // namespace

TEST(KeepList, NamesOfTheSectionInAnyCase) {
    KeepList keep = Parse(L"[INFO]\r\nVER_NAME=Q\r\n[UNDELETE_LIST]\r\nKeep.DAT=1\r\nsettings.cfg=\r\n");
    EXPECT_EQ(keep.Size(), 2u);
    EXPECT_TRUE(keep.Contains(L"keep.dat"));
    EXPECT_TRUE(keep.Contains(L"KEEP.DAT"));
    EXPECT_TRUE(keep.Contains(L"Settings.Cfg"));
    EXPECT_FALSE(keep.Contains(L"VER_NAME"));
    EXPECT_FALSE(keep.Contains(L"keep.da"));
}

TEST(KeepList, LineRules) {
    struct Case {
        const wchar_t* text;
        std::vector<const wchar_t*> kept;
        std::vector<const wchar_t*> notKept;
    };
    const Case cases[] = {
        // A blank before the name stays part of it.
        {L"[UNDELETE_LIST]\n a.txt=1\n", {L" A.TXT"}, {L"a.txt"}},
        // A later header ends the list, a later UNDELETE_LIST line starts it again.
        {L"[UNDELETE_LIST]\na=1\n[OTHER]\nb=1\n[UNDELETE_LIST]\nc=1\n", {L"a", L"c"}, {L"b", L"[OTHER]"}},
        // Only the text before the first "="; lines without "=" give nothing.
        {L"[UNDELETE_LIST]\nx=y=z\nnoequals\n=empty\n", {L"x", L""}, {L"noequals", L"x=y"}},
        // Lines before the list and the header itself give nothing.
        {L"a=1\n[UNDELETE_LIST]\n", {}, {L"a", L"[UNDELETE_LIST]"}},
        // "UNDELETE_LIST" anywhere in a line opens the list; the line itself may name a file.
        {L"; UNDELETE_LIST follows\nmy_UNDELETE_LIST.txt=1\nb=2\n", {L"MY_UNDELETE_LIST.TXT", L"b"}, {}},
        // No final newline; "\r\n" is a plain line end.
        {L"[UNDELETE_LIST]\r\nlast=1", {L"last"}, {L"last\r"}},
        // A lone "\r" ends a line too: the header and each name stand apart.
        {L"[INFO]\rDIR=C:\\Q\r[UNDELETE_LIST]\ra.dat=1\rb.dat=1\r[X]\rc.dat=1", {L"a.dat", L"b.dat"}, {L"c.dat", L"DIR"}},
    };
    for (const Case& c : cases) {
        KeepList keep = Parse(c.text);
        for (const wchar_t* name : c.kept) EXPECT_TRUE(keep.Contains(name)) << c.text << " / " << name;
        for (const wchar_t* name : c.notKept) EXPECT_FALSE(keep.Contains(name)) << c.text << " / " << name;
    }
}

TEST(KeepList, ParsingEmptiesTheListFirst) {
    KeepList keep = Parse(L"[UNDELETE_LIST]\na=1\n");
    ParseKeepList(L"[UNDELETE_LIST]\nb=1\n", keep);
    EXPECT_FALSE(keep.Contains(L"a"));
    EXPECT_TRUE(keep.Contains(L"b"));
}

TEST(KeepList, LongLinesArriveInPiecesOf498) {
    std::wstring longLine(600, L'a');
    auto lines = SplitProfileLines(longLine + L"\nb\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 498u);
    EXPECT_EQ(lines[1], std::wstring(102, L'a') + L"\n");
    EXPECT_EQ(SplitProfileLines(std::wstring(497, L'a') + L"\xD83C\xDCA1")[1], L"\xD83C\xDCA1");  // a pair stays whole
    // The tail of a long line is a line of its own: a "=" there names a file.
    KeepList keep = Parse(L"[UNDELETE_LIST]\n" + std::wstring(498, L'p') + L"tail=1\n");
    EXPECT_TRUE(keep.Contains(L"tail"));
}

TEST(Colour, ThreeFieldsLowEightBits) {
    struct Case {
        const char* text;
        int r, g, b;
    };
    const Case cases[] = {
        {"255,255,255", 255, 255, 255}, {"18,34,85", 18, 34, 85}, {"", 0, 0, 0},        {"256,-1,300", 0, 255, 44},
        {" 7, 8 ,9x", 7, 8, 9},         {"1,2", 1, 2, 0},         {"abc,5,6", 0, 5, 6},
    };
    for (const Case& c : cases) {
        Rgb rgb = ParseColour(c.text);
        EXPECT_EQ(rgb.r, c.r) << c.text;
        EXPECT_EQ(rgb.g, c.g) << c.text;
        EXPECT_EQ(rgb.b, c.b) << c.text;
    }
}

TEST(Texts, BoundedToTheirBuffers) {
    EXPECT_EQ(Bounded(std::wstring(300, L'n'), 259).size(), 259u);
    EXPECT_EQ(Bounded(L"abcdef", 3), L"abc");
    EXPECT_EQ(Bounded(L"ab", 3), L"ab");
    EXPECT_EQ(Bounded(L"ab\xD83C\xDCA1", 3), L"ab");  // never half of a surrogate pair
}

TEST(InstallDir, NormalisedText) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Games\\Q\\", "C:\\Games\\Q"},
        {"C:\\Games\\Q  \t", "C:\\Games\\Q"},
        {"C:/Games//Q/", "C:\\Games\\Q"},
        {"C:\\", "C:\\"},
        {"C:\\\\ ", "C:\\"},
        {"C:", "C:"},
        {"C: ", "C:"},
        {"\\\\srv\\share\\x\\", "\\\\srv\\share\\x"},
        {"  ", ""},
        {" C:\\x", " C:\\x"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeDirText(c.first), c.second) << c.first;
}

TEST(InstallDir, Syntax) {
    const std::pair<const char*, DirSyntax> cases[] = {
        {"", DirSyntax::Empty},
        {"   ", DirSyntax::Empty},
        {".", DirSyntax::Relative},
        {"sub", DirSyntax::Relative},
        {"..\\x", DirSyntax::Relative},
        {"C:", DirSyntax::Relative},
        {"C:sub", DirSyntax::Relative},
        {"\\Games", DirSyntax::Relative},
        {" C:\\Games", DirSyntax::Relative},
        {"\\\\server", DirSyntax::Relative},
        {"\\\\?\\C:\\Games", DirSyntax::Device},
        {"\\\\.\\PhysicalDrive0", DirSyntax::Device},
        {"C:\\", DirSyntax::Root},
        {"d:/", DirSyntax::Root},
        {"C:\\\\", DirSyntax::Root},
        {"\\\\server\\share\\", DirSyntax::Root},
        {"C:\\Games", DirSyntax::Absolute},
        {"C:\\Games\\Q\\ ", DirSyntax::Absolute},
        {"\\\\server\\share\\Q", DirSyntax::Absolute},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyDir(NormalizeDirText(c.first)), c.second) << c.first;
}

TEST(InstallDir, SameOrParent) {
    EXPECT_TRUE(IsSameOrParentPath("C:\\Users", "C:\\users\\root\\Desktop"));
    EXPECT_TRUE(IsSameOrParentPath("C:\\users\\root\\Desktop", "c:\\USERS\\ROOT\\desktop"));
    EXPECT_TRUE(IsSameOrParentPath("C:\\", "C:\\Windows"));
    EXPECT_FALSE(IsSameOrParentPath("C:\\user", "C:\\users\\root"));
    EXPECT_FALSE(IsSameOrParentPath("C:\\users\\root\\Desktop\\Q", "C:\\users\\root\\Desktop"));
    EXPECT_FALSE(IsSameOrParentPath("", "C:\\Windows"));
    EXPECT_EQ(ParentPath("C:\\a\\b"), "C:\\a");
    EXPECT_EQ(ParentPath("C:\\a"), "C:\\");
    EXPECT_EQ(ParentPath(""), "");
}

TEST(Names, PlainNamesStayInTheirFolder) {
    for (const char* good : {"Quintara Poker", "Quintara.url", "{8E2F-11}", "a..b"})
        EXPECT_TRUE(IsPlainName(good)) << good;
    for (const char* bad : {"", ".", "..", "..\\Documents\\x.doc", "a/b", "C:x", "\\"})
        EXPECT_FALSE(IsPlainName(bad)) << bad;
    // The platform drops trailing dots and blanks: "..." is the folder itself, "Q." is "Q".
    for (const char* bad : {"...", "Q.", "Q ", "Q. .", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a\tb"})
        EXPECT_FALSE(IsPlainName(bad)) << bad;
    for (const char* good : {".hidden", "..x", " leading"}) EXPECT_TRUE(IsPlainName(good)) << good;
}

TEST(Names, PathsThatDoNotFitAreNotCut) {
    std::wstring name(250, L'n');
    EXPECT_EQ(JoinIfFits(259, {L"C:\\", name}), L"C:\\" + name);
    EXPECT_EQ(JoinIfFits(259, {L"C:\\", std::wstring(255, L'n'), L".lnk"}), L"");  // 262 characters
    EXPECT_EQ(JoinIfFits(259, {std::wstring(259, L'n')}).size(), 259u);
    EXPECT_EQ(JoinIfFits(259, {std::wstring(260, L'n')}), L"");
}

TEST(InstallDir, AdministrativeShares) {
    for (const char* share : {"\\\\host\\C$", "\\\\host\\C$\\Games", "\\\\10.0.0.1\\ADMIN$\\x", "\\\\h\\d$"})
        EXPECT_TRUE(IsAdministrativeShare(share)) << share;
    for (const char* other : {"\\\\host\\games\\C$", "\\\\host\\share", "C:\\C$", "\\\\host", "\\\\host\\$x\\y"})
        EXPECT_FALSE(IsAdministrativeShare(other)) << other;
}

TEST(InstallDir, LoopbackHostsAndVolumeFolders) {
    EXPECT_EQ(UncHost("\\\\Host\\share\\x"), "Host");
    EXPECT_EQ(UncHost("C:\\x"), "");
    for (const char* host :
         {"localhost", "LocalHost", "localhost.", "127.0.0.1", "127.1.2.3", "127.0.0.1.", "0--1.ipv6-literal.net",
          "--1.IPV6-LITERAL.NET", "0-0-0-0-0-0-0-1.ipv6-literal.net", "[::1]", "[0:0:0:0:0:0:0:1]"})
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
    for (const char* host :
         {"host", "localhost2", "128.0.0.1", "127.example.com", "2--1.ipv6-literal.net", "", "[::2]", "[1::1]"})
        EXPECT_FALSE(IsLoopbackHost(host)) << host;
    for (const char* dir : {"C:\\$Recycle.Bin", "D:\\$RECYCLE.BIN\\S-1-5-21", "C:\\RECYCLER\\x",
                            "C:\\System Volume Information", "\\\\host\\share\\$Recycle.Bin\\x"})
        EXPECT_TRUE(IsInVolumeSystemFolder(dir)) << dir;
    for (const char* dir : {"C:\\Games\\$Recycle.Bin", "C:\\", "C:\\Recycle", "\\\\host\\$Recycle.Bin", "rel\\RECYCLER"})
        EXPECT_FALSE(IsInVolumeSystemFolder(dir)) << dir;
}
