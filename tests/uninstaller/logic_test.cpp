// Window-free rules of the uninstaller, run in both builds.
#include <gtest/gtest.h>

#include "uninstaller/plan_logic.h"

using namespace uninst;

namespace {

KeepList Parse(const std::string& text) {
    KeepList keep;
    ParseKeepList(text, keep);
    return keep;
}

}  // namespace

TEST(KeepList, NamesOfTheSectionInAnyCase) {
    KeepList keep = Parse("[INFO]\r\nVER_NAME=Q\r\n[UNDELETE_LIST]\r\nKeep.DAT=1\r\nsettings.cfg=\r\n");
    EXPECT_EQ(keep.Size(), 2u);
    EXPECT_TRUE(keep.Contains("keep.dat"));
    EXPECT_TRUE(keep.Contains("KEEP.DAT"));
    EXPECT_TRUE(keep.Contains("Settings.Cfg"));
    EXPECT_FALSE(keep.Contains("VER_NAME"));
    EXPECT_FALSE(keep.Contains("keep.da"));
}

TEST(KeepList, LineRules) {
    struct Case {
        const char* text;
        std::vector<const char*> kept;
        std::vector<const char*> notKept;
    };
    const Case cases[] = {
        // A blank before the name stays part of it.
        {"[UNDELETE_LIST]\n a.txt=1\n", {" A.TXT"}, {"a.txt"}},
        // A later header ends the list, a later UNDELETE_LIST line starts it again.
        {"[UNDELETE_LIST]\na=1\n[OTHER]\nb=1\n[UNDELETE_LIST]\nc=1\n", {"a", "c"}, {"b", "[OTHER]"}},
        // Only the text before the first "="; lines without "=" give nothing.
        {"[UNDELETE_LIST]\nx=y=z\nnoequals\n=empty\n", {"x", ""}, {"noequals", "x=y"}},
        // Lines before the list and the header itself give nothing.
        {"a=1\n[UNDELETE_LIST]\n", {}, {"a", "[UNDELETE_LIST]"}},
        // "UNDELETE_LIST" anywhere in a line opens the list; the line itself may name a file.
        {"; UNDELETE_LIST follows\nmy_UNDELETE_LIST.txt=1\nb=2\n", {"MY_UNDELETE_LIST.TXT", "b"}, {}},
        // No final newline; "\r\n" is a plain line end.
        {"[UNDELETE_LIST]\r\nlast=1", {"last"}, {"last\r"}},
    };
    for (const Case& c : cases) {
        KeepList keep = Parse(c.text);
        for (const char* name : c.kept) EXPECT_TRUE(keep.Contains(name)) << c.text << " / " << name;
        for (const char* name : c.notKept) EXPECT_FALSE(keep.Contains(name)) << c.text << " / " << name;
    }
}

TEST(KeepList, ParsingEmptiesTheListFirst) {
    KeepList keep = Parse("[UNDELETE_LIST]\na=1\n");
    ParseKeepList("[UNDELETE_LIST]\nb=1\n", keep);
    EXPECT_FALSE(keep.Contains("a"));
    EXPECT_TRUE(keep.Contains("b"));
}

TEST(KeepList, LongLinesArriveInPiecesOf498) {
    std::string longLine(600, 'a');
    auto lines = SplitProfileLines(longLine + "\nb\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 498u);
    EXPECT_EQ(lines[1], std::string(102, 'a') + "\n");
    // The tail of a long line is a line of its own: a "=" there names a file.
    KeepList keep = Parse("[UNDELETE_LIST]\n" + std::string(498, 'p') + "tail=1\n");
    EXPECT_TRUE(keep.Contains("tail"));
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
    std::string name(300, 'n');
    std::string line = FormatBounded(259, "This will remove all %s files from your system.", name.c_str());
    EXPECT_EQ(line.size(), 259u);
    EXPECT_EQ(FormatBounded(259, "Do you wish to uninstall %s? \n\nDirectory %s", "Q", "C:\\Q"),
              "Do you wish to uninstall Q? \n\nDirectory C:\\Q");
    EXPECT_EQ(Bounded("abcdef", 3), "abc");
    EXPECT_EQ(Bounded("ab", 3), "ab");
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
    std::string name(250, 'n');
    EXPECT_EQ(FormatIfFits(259, "C:\\%s", name.c_str()), "C:\\" + name);
    EXPECT_EQ(FormatIfFits(259, "C:\\%s.lnk", std::string(255, 'n').c_str()), "");  // 262 characters
    EXPECT_EQ(FormatIfFits(259, "%s", std::string(259, 'n').c_str()).size(), 259u);
    EXPECT_EQ(FormatIfFits(259, "%s", std::string(260, 'n').c_str()), "");
}

TEST(InstallDir, AdministrativeShares) {
    for (const char* share : {"\\\\host\\C$", "\\\\host\\C$\\Games", "\\\\10.0.0.1\\ADMIN$\\x", "\\\\h\\d$"})
        EXPECT_TRUE(IsAdministrativeShare(share)) << share;
    for (const char* other : {"\\\\host\\games\\C$", "\\\\host\\share", "C:\\C$", "\\\\host", "\\\\host\\$x\\y"})
        EXPECT_FALSE(IsAdministrativeShare(other)) << other;
}
