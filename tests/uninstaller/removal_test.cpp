// Removal in-process under Wine: RemoveTree on generated trees in scratch folders,
// links, attributes, files in use, the registry tree, shortcuts and the guard on "DIR".
#include <gtest/gtest.h>
#include <shlobj.h>

#include <map>

#include "tests/uninstaller/win_helpers.h"
#include "uninstaller/removal.h"

using namespace uninst;
using namespace uninst_test;

namespace {

KeepList Keep(const std::string& ini) {
    KeepList keep;
    std::wstring text;
    if (DecodeSettingsText(ini, &text)) ParseKeepList(text, keep);
    return keep;
}

// The tests name paths in the system code page; the removal takes them wide.
bool RemoveTree(const std::string& dir, const char* pattern, const KeepList& keep, RemovalStats* stats = nullptr,
                const std::wstring* expectedFinalPath = nullptr) {
    return uninst::RemoveTree(Wide(dir), Wide(pattern).c_str(), keep, stats, expectedFinalPath);
}
bool CheckInstallDirectory(const std::string& dir, std::string* resolved, std::wstring* finalPath = nullptr) {
    std::wstring wide;
    return uninst::CheckInstallDirectory(Wide(dir), &wide, finalPath) && (*resolved = Narrow(wide), true);
}
std::string LocalPathOfShare(const std::string& unc) {  // letter case aside
    std::string local = Narrow(uninst::LocalPathOfShare(Wide(unc)));
    return CharUpperA(&local[0]), local;
}
int DeleteRegistryTree(HKEY root, const std::string& k) { return uninst::DeleteRegistryTree(root, Wide(k).c_str()); }

// RemoveTree leaves the current directory inside the tree; tests put it back.
class RemovalTest : public ::testing::Test {
protected:
    void SetUp() override { GetCurrentDirectoryA(MAX_PATH, previousDir); }
    void TearDown() override { SetCurrentDirectoryA(previousDir); }
    char previousDir[MAX_PATH] = {};
};

}  // namespace

TEST_F(RemovalTest, KeepsListedFilesHandHistoryAndSkinsAtEveryDepth) {
    ScratchDir scratch("tree");
    std::string inst = scratch / "inst";
    for (const char* f :
         {"a.txt", "KEEP.dat", "gone.txt", "sub1\\Settings.CFG", "sub1\\x.bin", "sub1\\deep\\deeper\\keep.DAT",
          "sub1\\deep\\other.txt", "sub2\\y.txt", "sub2\\z\\w.txt", "sub2\\handhistory\\x.txt", "sub4\\Skins\\s.bmp",
          "HandHistory\\h1.txt", "HandHistory\\nested\\h2.txt", "sub3\\skins\\s.bmp", "sub3\\other.txt",
          "sub5\\HandHistory\\deep.txt", ".hidden\\f.txt", ".profile"})
        MakeFile(inst + "\\" + f);
    MakeDirs(inst + "\\empty\\emptier");
    // A tree beyond MAX_PATH, a file at every level, goes whole.
    std::wstring deep = L"\\\\?\\" + Wide(inst);
    for (int level = 0; level < 40; ++level) MakeFile((deep += L"\\level " + std::to_wstring(level)) + L"\\f.txt");
    KeepList keep = Keep("[UNDELETE_LIST]\nKeep.DAT=1\nsettings.cfg=1\n[OTHER]\ngone.txt=1\n");

    RemovalStats stats;
    ASSERT_TRUE(RemoveTree(inst.c_str(), "*.*", keep, &stats));
    EXPECT_EQ(stats.leftovers, 2);  // ".hidden" and ".profile"

    std::set<std::string> expected = {"KEEP.dat", "sub1\\", "sub1\\Settings.CFG", "sub1\\deep\\",
                                      "sub1\\deep\\deeper\\", "sub1\\deep\\deeper\\keep.DAT", "HandHistory\\",
                                      "HandHistory\\h1.txt", "HandHistory\\nested\\", "HandHistory\\nested\\h2.txt",
                                      "sub3\\", "sub3\\skins\\", "sub3\\skins\\s.bmp", "sub5\\", "sub5\\HandHistory\\",
                                      "sub5\\HandHistory\\deep.txt",
                                      // Names beginning with "." are neither deleted nor entered.
                                      ".hidden\\", ".hidden\\f.txt", ".profile"};
    EXPECT_EQ(ListTree(inst), expected);
    EXPECT_TRUE(Exists(inst));
}

TEST_F(RemovalTest, FailsWhenTheDirectoryCannotBeEntered) {
    ScratchDir scratch("missing");
    EXPECT_FALSE(RemoveTree((scratch / "nothing").c_str(), "*.*", KeepList()));
    MakeFile(scratch / "file");
    EXPECT_FALSE(RemoveTree((scratch / "file").c_str(), "*.*", KeepList()));
    EXPECT_TRUE(Exists(scratch / "file"));
}

TEST_F(RemovalTest, LinkInsideTheTreeLeavesItsTargetWhole) {
    ScratchDir scratch("link");
    std::string outside = scratch / "outside";
    const char* sentinels[] = {"s1.txt", "deep\\s2.txt", "deep\\deeper\\s3.txt", "HandHistory\\s4.txt"};
    for (const char* s : sentinels) MakeFile(outside + "\\" + s);
    std::string inst = scratch / "inst";
    MakeFile(inst + "\\a.txt");
    MakeFile(inst + "\\sub\\b.txt");
    ASSERT_TRUE(MakeUnixSymlink(outside, inst + "\\sub\\link"));
    ASSERT_TRUE(MakeUnixSymlink(outside, inst + "\\toplink"));

    ASSERT_TRUE(RemoveTree(inst.c_str(), "*.*", KeepList()));

    for (const char* s : sentinels) EXPECT_TRUE(Exists(outside + "\\" + s)) << s;
    EXPECT_FALSE(Exists(inst + "\\a.txt"));
    EXPECT_FALSE(Exists(inst + "\\sub\\b.txt"));
}

TEST_F(RemovalTest, ReadOnlyHiddenAndSystemFilesAreRemoved) {
    ScratchDir scratch("attrs");
    std::string inst = scratch / "inst";
    MakeFile(inst + "\\ro.txt");
    MakeFile(inst + "\\sub\\hs.txt");
    MakeFile(inst + "\\sub\\kept.txt");
    SetFileAttributesA((inst + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((inst + "\\sub\\hs.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((inst + "\\sub\\kept.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    ASSERT_TRUE(RemoveTree(inst.c_str(), "*.*", Keep("[UNDELETE_LIST]\nkept.txt=\n")));

    EXPECT_FALSE(Exists(inst + "\\ro.txt"));
    EXPECT_FALSE(Exists(inst + "\\sub\\hs.txt"));
    // A kept file keeps its attributes too.
    EXPECT_EQ(Attributes(inst + "\\sub\\kept.txt") & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
    SetFileAttributesA((inst + "\\sub\\kept.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A file that cannot be deleted now is passed over with its folder: deletion queued
// for the next restart would follow whatever the path names by then.
TEST_F(RemovalTest, FileInUseIsLeftWithItsDirectoryAndNothingQueued) {
    ScratchDir scratch("inuse");
    std::string inst = scratch / "inst";
    MakeFile(inst + "\\a.txt");
    MakeFile(inst + "\\sub\\held.txt");
    MakeFile(inst + "\\sub\\b.txt");
    MakeFile(inst + "\\other\\c.txt");
    HANDLE held = CreateFileA((inst + "\\sub\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    RemovalStats stats;
    ASSERT_TRUE(RemoveTree(inst.c_str(), "*.*", KeepList(), &stats));
    CloseHandle(held);
    EXPECT_EQ(stats.leftovers, 1);

    EXPECT_EQ(ListTree(inst), (std::set<std::string>{"sub\\", "sub\\held.txt"}));
    for (const std::string& pending : PendingRenames())
        EXPECT_EQ(pending.find("inuse_" + std::to_string(GetCurrentProcessId())), std::string::npos) << pending;
}

// Links made from the Linux side: Wine lists one to a file as a plain file and deletes
// its target through it, and removes an empty folder that a folder link leads to.
TEST_F(RemovalTest, LinksLeadingOutOfTheTreeCostNothingThere) {
    ScratchDir scratch("links");
    std::string outside = scratch / "outside", inst = scratch / "inst";
    const char* sentinels[] = {"victim.txt", "readonly.txt", "full\\s.txt", "full\\deep\\s.txt"};
    for (const char* f : sentinels) MakeFile(outside + "\\" + f);
    MakeDirs(outside + "\\empty");
    SetFileAttributesA((outside + "\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFile(inst + "\\HandHistory\\h.txt");
    MakeFile(inst + "\\kept.dat");
    const struct {
        std::string target, link;
    } links[] = {
        {outside + "\\victim.txt", "file.txt"},
        {outside + "\\readonly.txt", "sub\\readonly.txt"},
        {outside + "\\full", "sub\\deep\\full"},
        {outside + "\\empty", "empty"},
        {outside + "\\empty", "sub\\empty"},
        // Links inside the tree to what it keeps are not ways to delete it either.
        {inst + "\\HandHistory\\h.txt", "history.txt"},
        {inst + "\\kept.dat", "sub\\other.dat"},
        {inst + "\\HandHistory", "sub\\history"},
    };
    MakeDirs(inst + "\\sub\\deep");
    for (const auto& l : links) ASSERT_TRUE(MakeUnixSymlink(l.target, inst + "\\" + l.link)) << l.link;
    MakeFile(inst + "\\sub\\deep\\plain.txt");
    // Hard links: the other name keeps the data, and the read-only mark they share.
    for (const char* f : {"hard.txt", "hardro.txt"}) MakeFile(outside + "\\" + f);
    SetFileAttributesA((outside + "\\hardro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(CreateHardLinkA((inst + "\\hard.txt").c_str(), (outside + "\\hard.txt").c_str(), nullptr));
    ASSERT_TRUE(CreateHardLinkA((inst + "\\sub\\hardro.txt").c_str(), (outside + "\\hardro.txt").c_str(), nullptr));

    ASSERT_TRUE(RemoveTree(inst.c_str(), "*.*", Keep("[UNDELETE_LIST]\nkept.dat=\n")));

    for (const char* f : sentinels) EXPECT_TRUE(Exists(outside + "\\" + f)) << f;
    EXPECT_TRUE(Exists(outside + "\\empty"));
    EXPECT_EQ(Attributes(outside + "\\readonly.txt") & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(Exists(inst + "\\HandHistory\\h.txt"));
    EXPECT_TRUE(Exists(inst + "\\kept.dat"));
    EXPECT_FALSE(Exists(inst + "\\sub\\deep\\plain.txt"));
    EXPECT_FALSE(Exists(inst + "\\hard.txt"));
    EXPECT_TRUE(Exists(outside + "\\hard.txt"));
    EXPECT_EQ(Attributes(outside + "\\hardro.txt") & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
    for (const char* f : {"readonly.txt", "hardro.txt", "..\\inst\\sub\\hardro.txt"})
        SetFileAttributesA((outside + "\\" + f).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Names with look-alikes of "\" (U+FF3C) and ":" (U+FF1A) read as paths in the ANSI
// listing; each must stay one name of the directory it is in.
TEST_F(RemovalTest, LookAlikeNamesStayNamesAtEveryDepth) {
    ScratchDir scratch("lookalike");
    std::string inst = scratch / "inst";
    auto alike = [](std::string path) {
        std::wstring wide = Wide(path);
        for (wchar_t& c : wide) c = c == L'\\' ? L'\xFF3C' : c == L':' ? L'\xFF1A' : c;
        return wide;
    };
    const struct {
        const char* where;  // below the installation
        std::wstring name;  // what it is called there
        bool directory;
    } entries[] = {
        {"", alike("x\\..\\..\\victim.txt"), false},
        {"", alike("y\\..\\keep.ini"), false},
        {"a\\b", alike("x\\..\\..\\..\\..\\victim.txt"), false},
        {"", alike("d\\..\\..\\victimdir"), true},
        {"a", alike("d\\..\\..\\..\\victimdir"), true},
        {"", alike(scratch / "absolute.txt"), false},
        {"a\\b", alike(scratch / "absolutedir"), true},
    };
    const char* sentinels[] = {"victim.txt", "victimdir\\s.txt", "absolute.txt", "absolutedir\\s.txt",
                               "inst\\keep.ini"};
    for (const char* f : sentinels) MakeFile(scratch / f);
    for (const auto& e : entries) {
        std::wstring path = Wide(inst) + L"\\" + (e.where[0] ? Wide(e.where) + L"\\" : L"") + e.name;
        MakeFile(e.directory ? path + L"\\inner.txt" : path);
        ASSERT_TRUE(Exists(path));
    }

    ASSERT_TRUE(RemoveTree(inst.c_str(), "*.*", Keep("[UNDELETE_LIST]\nkeep.ini=\n")));

    for (const char* f : sentinels) EXPECT_TRUE(Exists(scratch / f)) << f;
    EXPECT_EQ(ListTree(inst), std::set<std::string>{"keep.ini"});
}

// The user, while the question is open, replaces the checked folder (or a folder above
// it) by a link: the removal must find out and touch nothing.
TEST_F(RemovalTest, DirectorySwappedAfterTheCheckIsNotEntered) {
    for (bool parent : {false, true}) {
        ScratchDir scratch("swap");
        std::string outside = scratch / "outside", top = scratch / "top", inst = top + "\\inst";
        for (const char* f : {"s.txt", "inst\\s.txt", "inst\\deep\\s.txt"}) MakeFile(outside + "\\" + f);
        MakeFile(inst + "\\a.txt");
        std::string resolved;
        std::wstring finalPath;
        ASSERT_TRUE(CheckInstallDirectory(inst, &resolved, &finalPath));
        EXPECT_FALSE(finalPath.empty());

        std::string swapped = parent ? top : inst;
        ASSERT_TRUE(MoveFileA(swapped.c_str(), (swapped + ".old").c_str()));
        ASSERT_TRUE(MakeUnixSymlink(parent ? outside : outside + "\\inst", swapped));

        EXPECT_FALSE(RemoveTree(resolved.c_str(), "*.*", KeepList(), nullptr, &finalPath)) << parent;
        for (const char* f : {"s.txt", "inst\\s.txt", "inst\\deep\\s.txt"})
            EXPECT_TRUE(Exists(outside + "\\" + f)) << f << " " << parent;
        SetCurrentDirectoryA(previousDir);
    }
}

TEST(RegistryTree, DeletesNestedSubkeysDepthFirst) {
    std::string base = "SOFTWARE\\UninstTest" + std::to_string(GetCurrentProcessId());
    std::string key = base + "\\{SITE}";
    SetRegString(HKEY_LOCAL_MACHINE, key + "\\one", "v", "1");
    SetRegString(HKEY_LOCAL_MACHINE, key + "\\two\\inner", "v", "2");
    SetRegString(HKEY_LOCAL_MACHINE, key + "\\three", nullptr, "");
    SetRegString(HKEY_LOCAL_MACHINE, key, "Value", "x");
    SetRegString(HKEY_LOCAL_MACHINE, base + "\\sibling", "v", "s");

    EXPECT_EQ(DeleteRegistryTree(HKEY_LOCAL_MACHINE, key.c_str()), 0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, base + "\\sibling"));
    EXPECT_EQ(DeleteRegistryTree(HKEY_LOCAL_MACHINE, key.c_str()), -1);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, base);
}

// Links made with REG_OPTION_CREATE_LINK in the place of the key, below it and back up
// the tree: each goes itself, and what it points at keeps every subkey and value.
TEST(RegistryTree, LinksAreRemovedNeverFollowed) {
    const std::string base = "SOFTWARE\\UninstTest" + std::to_string(GetCurrentProcessId());
    const struct {
        const char* link;    // below base
        const char* target;  // below base ("" is base itself)
    } cases[] = {
        {"site", "victimA"},              // the key itself
        {"site\\real\\toB", "victimB"},   // a subkey
        {"site\\loop", "site\\loop"},     // a link to itself
        {"site\\real\\up", "site"},       // back to the key
        {"site\\real\\root", ""},         // to a parent of the key
    };
    for (const auto& c : cases) {
        for (const char* victim : {"victimA\\sub\\inner", "victimB\\sub", "sibling"})
            SetRegString(HKEY_LOCAL_MACHINE, base + "\\" + victim, "v", "keep");
        if (std::string(c.link) != "site") SetRegString(HKEY_LOCAL_MACHINE, base + "\\site\\real\\x", "v", "1");
        std::string target = c.target[0] ? base + "\\" + c.target : base;
        ASSERT_TRUE(MakeRegistryLink(base + "\\" + c.link, target)) << c.link;

        EXPECT_EQ(DeleteRegistryTree(HKEY_LOCAL_MACHINE, (base + "\\site").c_str()), 0) << c.link;

        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, base + "\\site")) << c.link;
        for (const char* victim : {"victimA\\sub\\inner", "victimB\\sub", "sibling"})
            EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, base + "\\" + victim, "v")) << c.link << " " << victim;
        DeleteKeyTree(HKEY_LOCAL_MACHINE, base);
    }
}

namespace {

std::map<int, std::string> gFolders;
std::wstring FakeFolder(int csidl) {
    auto it = gFolders.find(csidl);
    return it == gFolders.end() ? std::wstring() : Wide(it->second);
}

UninstallSettings TestSettings() {
    UninstallSettings s;
    s.verName = L"Quintara Test";
    s.uninstallName = L"Uninstall Quintara";
    s.mainUrlTitle = L"Quintara.url";
    return s;
}

}  // namespace

TEST(Shortcuts, AllUsersFirstThenTheUsersFolders) {
    ScratchDir scratch("lnk");
    gFolders = {{CSIDL_COMMON_DESKTOPDIRECTORY, scratch / "pubdesk"},
                {CSIDL_DESKTOPDIRECTORY, scratch / "desk"},
                {CSIDL_STARTMENU, scratch / "start"},
                {CSIDL_COMMON_PROGRAMS, scratch / "progs"},
                {CSIDL_PROGRAMS, scratch / "userprogs"}};
    // Names on disk in another letter case are the same names.
    for (const char* f : {"pubdesk\\Quintara Test.lnk", "desk\\Quintara Test.lnk", "start\\QUINTARA TEST.lnk",
                          "progs\\Quintara Test\\Quintara Test.lnk", "progs\\Quintara Test\\uninstall quintara.LNK",
                          "userprogs\\Quintara Test\\Quintara Test.lnk", "pubdesk\\Other.lnk"})
        MakeFile(scratch / f);

    RemoveShortcuts(TestSettings(), &FakeFolder);

    EXPECT_EQ(ListTree(scratch.Path()),
              (std::set<std::string>{"pubdesk\\", "pubdesk\\Other.lnk", "desk\\", "desk\\Quintara Test.lnk", "start\\",
                                     "progs\\", "userprogs\\", "userprogs\\Quintara Test\\",
                                     "userprogs\\Quintara Test\\Quintara Test.lnk"}));
}

TEST(Shortcuts, NamesThatLeaveTheirFolderDeleteNothing) {
    ScratchDir scratch("lnkbad");
    gFolders = {{CSIDL_DESKTOPDIRECTORY, scratch / "desk"}, {CSIDL_FAVORITES, scratch / "fav"}};
    MakeFile(scratch / "victim.lnk");
    MakeFile(scratch / "victim.doc");
    UninstallSettings s = TestSettings();
    s.verName = L"..\\victim";
    s.mainUrlTitle = L"..\\victim.doc";
    RemoveShortcuts(s, &FakeFolder);
    RemoveExtensionAndFavorite(s, &FakeFolder);
    EXPECT_TRUE(Exists(scratch / "victim.lnk"));
    EXPECT_TRUE(Exists(scratch / "victim.doc"));
    // "..." and "Programs\Q." would name the (empty) Programs folder or "Q" itself.
    gFolders[CSIDL_PROGRAMS] = scratch / "progs";
    MakeDirs(scratch / "progs\\Q");
    for (const char* name : {"...", "Q.", "Q "}) {
        s.verName = Wide(name);
        RemoveShortcuts(s, &FakeFolder);
        EXPECT_TRUE(Exists(scratch / "progs\\Q")) << name;
    }
    MakeDirs(scratch / "empty progs");
    gFolders[CSIDL_PROGRAMS] = scratch / "empty progs";
    s.verName = L"...";
    RemoveShortcuts(s, &FakeFolder);
    EXPECT_TRUE(Exists(scratch / "empty progs"));
}

TEST(Favorite, FavouriteLinksFolderAndExtensionKey) {
    ScratchDir scratch("fav");
    gFolders = {{CSIDL_FAVORITES, scratch / "fav"}};
    for (const char* f : {"fav\\QUINTARA.URL", "fav\\Links\\Quintara.url", "fav\\L\\Quintara.url", "fav\\Other.url"})
        MakeFile(scratch / f);
    const std::string toolbar = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
    const std::string ext = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
    UninstallSettings s = TestSettings();
    s.siteGuid = Wide("{UNINST-" + std::to_string(GetCurrentProcessId()) + "}");
    const std::string guid = Narrow(s.siteGuid);
    SetRegString(HKEY_LOCAL_MACHINE, ext + guid + "\\a\\b", "v", "1");
    SetRegString(HKEY_LOCAL_MACHINE, ext + guid + "-other", "v", "1");

    // A one-character folder name is not used.
    SetRegString(HKEY_CURRENT_USER, toolbar, "LinksFolderName", "L");
    RemoveExtensionAndFavorite(s, &FakeFolder);
    EXPECT_FALSE(Exists(scratch / "fav\\Quintara.url"));
    EXPECT_TRUE(Exists(scratch / "fav\\L\\Quintara.url"));
    EXPECT_TRUE(Exists(scratch / "fav\\Links\\Quintara.url"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ext + guid));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ext + guid + "-other"));

    SetRegString(HKEY_CURRENT_USER, toolbar, "LinksFolderName", "Links");
    RemoveExtensionAndFavorite(s, &FakeFolder);
    EXPECT_FALSE(Exists(scratch / "fav\\Links\\Quintara.url"));
    EXPECT_TRUE(Exists(scratch / "fav\\Other.url"));

    DeleteKeyTree(HKEY_LOCAL_MACHINE, ext + guid + "-other");
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, toolbar.c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
        RegDeleteValueA(h, "LinksFolderName");
        RegCloseKey(h);
    }
}

// Paths and keys cut to their 259 characters name their neighbours: a long value must
// skip its deletion, never reach the file or key that its cut form names.
TEST(LongNames, PathsThatDoNotFitAreSkippedNotCut) {
    ScratchDir scratch("long");
    gFolders = {{CSIDL_DESKTOPDIRECTORY, scratch / "desk"},
                {CSIDL_PROGRAMS, scratch / "progs"},
                {CSIDL_FAVORITES, scratch / "fav"}};
    const std::string ext = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    UninstallSettings s = TestSettings();
    std::string id = std::to_string(GetCurrentProcessId()), verName = "Q" + id + std::string(240, 'q');
    std::string guid = "{G" + id + std::string(240, 'g'), title = "T" + id + std::string(240, 't');
    s.verName = Wide(verName);
    s.siteGuid = Wide(guid);
    s.mainUrlTitle = Wide(title);
    SetRegString(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar", "LinksFolderName", "Links");
    auto cut = [](const std::string& path) { return path.substr(0, 259); };
    // What the cut paths name: other files, an empty folder, other keys.
    std::vector<std::string> files = {cut(scratch / "desk\\" + verName + ".lnk"), cut(scratch / "fav\\" + title),
                                      cut(scratch / "fav\\Links\\" + title)};
    for (const std::string& f : files) MakeFile(f);
    std::string group = cut(scratch / "progs\\" + verName);
    MakeDirs(group);
    std::string extKey = cut(ext + guid), entryKey = cut(uninstall + verName);
    HKEY neighbour;  // its subkey's path is longer than the ANSI functions take whole
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, extKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &neighbour,
                              nullptr),
              ERROR_SUCCESS);
    SetRegString(neighbour, "sub", "v", "1");
    for (const char* value : {"DisplayName", "UninstallString", "DisplayIcon"})
        SetRegString(HKEY_LOCAL_MACHINE, entryKey, value, "other product");
    ASSERT_TRUE(KeyExists(neighbour, "sub"));
    ASSERT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, entryKey, "DisplayName"));

    RemoveShortcuts(s, &FakeFolder);
    RemoveExtensionAndFavorite(s, &FakeFolder);
    RemoveUninstallEntry(s);

    for (const std::string& f : files) EXPECT_TRUE(Exists(f)) << f;
    EXPECT_TRUE(Exists(group));
    EXPECT_TRUE(KeyExists(neighbour, "sub"));
    RegDeleteKeyA(neighbour, "sub");
    RegCloseKey(neighbour);
    for (const char* value : {"DisplayName", "UninstallString", "DisplayIcon"})
        EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, entryKey, value)) << value;
    DeleteKeyTree(HKEY_LOCAL_MACHINE, extKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, entryKey);
}

// A shortcut or favourite name that is a link must not cost what it leads to.
TEST(Shortcuts, LinkInPlaceOfAShortcutLeavesItsTarget) {
    ScratchDir scratch("lnklink");
    gFolders = {{CSIDL_DESKTOPDIRECTORY, scratch / "desk"},
                {CSIDL_PROGRAMS, scratch / "progs"},
                {CSIDL_FAVORITES, scratch / "fav"}};
    UninstallSettings s = TestSettings();
    MakeDirs(scratch / "desk");
    MakeFile(scratch / "outside\\victim.lnk");
    MakeFile(scratch / "outside\\victim.url");
    MakeDirs(scratch / "outside\\emptygroup");
    MakeDirs(scratch / "progs");
    MakeDirs(scratch / "fav");
    ASSERT_TRUE(MakeUnixSymlink(scratch / "outside\\victim.lnk", scratch / "desk\\Quintara Test.lnk"));
    ASSERT_TRUE(MakeUnixSymlink(scratch / "outside\\emptygroup", scratch / "progs\\Quintara Test"));
    ASSERT_TRUE(MakeUnixSymlink(scratch / "outside\\victim.url", scratch / "fav\\Quintara.url"));

    RemoveShortcuts(s, &FakeFolder);
    RemoveExtensionAndFavorite(s, &FakeFolder);

    for (const char* f : {"outside\\victim.lnk", "outside\\victim.url", "outside\\emptygroup"})
        EXPECT_TRUE(Exists(scratch / f)) << f;
}

TEST(InstallDirectory, RefusesRootsRelativePathsSystemAndUserFolders) {
    ScratchDir scratch("guard");
    MakeDirs(scratch / "inst");
    // Documents, Desktop and Pictures moved into OneDrive: their default places stay
    // refused, ours and other users' alike.
    std::string profile = SpecialFolder(CSIDL_PROFILE), moved = profile + "\\OneDrive\\";
    ShellFolderRedirect documents("Personal", moved + "Documents"), desktop("Desktop", moved + "Desktop"),
        pictures("My Pictures", moved + "Pictures");
    // Wine's drive of the Unix root, the Unix home, the prefix and a folder that holds it,
    // and a Unix system folder, also through drives of our own that lead to them.
    char unixPrefix[MAX_PATH] = {}, home[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEPREFIX", unixPrefix, MAX_PATH);
    GetEnvironmentVariableA("WINEHOMEDIR", home, MAX_PATH);  // "\\??\\Z:\\..."
    std::string prefix = TargetPath(unixPrefix), holder = prefix.substr(0, prefix.find_last_of('\\'));
    std::string above = holder.substr(0, holder.find_last_of('\\')), viaW = "W:" + holder.substr(above.size());
    MappedDrive w('W', above), v('V', "Z:\\usr");
    std::vector<std::string> refused = {
        "",
        "   ",
        ".",
        "sub",
        "..\\x",
        "C:",
        "C:inst",
        "\\inst",
        "C:\\",
        "C:\\ ",
        "C:/",
        "Z:\\",
        "\\\\server\\share",
        "\\\\?\\C:\\inst",
        "C:\\windows",
        "C:\\WINDOWS\\",
        "C:\\windows\\system32 \\",
        "C:\\users",
        "C:\\Program Files",
        "C:\\ProgramData",
        "C:\\windows\\..\\windows",
        scratch / "inst\\..\\..\\..",
    };
    for (int csidl : {CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL,
                      CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_PROGRAMS, CSIDL_FAVORITES})
        refused.push_back(SpecialFolder(csidl) + "\\");
    refused.push_back(SpecialFolder(CSIDL_PROFILE) + "\\..\\Public");  // another user's profile
    // Inside the Windows directory, another user's special folders, hidden shares, a
    // value too long for its buffer (cut inside the dots, it would name "inst").
    std::string windows = SpecialFolder(CSIDL_WINDOWS), others = SpecialFolder(CSIDL_PROFILE) + "\\..\\other";
    for (const std::string& dir :
         {windows + "\\system32\\drivers", windows + "\\inf", windows + "\\Temp\\Quintara", others + "\\Documents",
          others + "\\Desktop\\", others + "\\Pictures", profile + "\\Documents", others + "\\AppData",
          others + "\\AppData\\Roaming", std::string("\\\\host\\C$\\Games"), std::string("\\\\host\\ADMIN$\\x"),
          std::string("\\\\host\\d$\\")})
        refused.push_back(dir);
    for (const std::string& dir : {std::string("Z:\\etc"), std::string("Z:\\usr\\share"), std::string(home + 4), prefix,
                                   holder, viaW, viaW + prefix.substr(holder.size()), std::string("V:\\share")})
        refused.push_back(dir);
    std::string dots;
    for (int i = 0; i < 130; ++i) dots += "\\.";
    refused.push_back(scratch / "inst" + dots + "\\Quintara");
    std::string upper = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    CharUpperA(&upper[0]);
    refused.push_back(upper);
    for (const std::string& dir : refused) {
        std::string resolved = "untouched";
        EXPECT_FALSE(CheckInstallDirectory(dir, &resolved)) << dir;
        EXPECT_EQ(resolved, "untouched") << dir;
    }

    std::string resolved;
    EXPECT_TRUE(CheckInstallDirectory(scratch / "inst\\  ", &resolved));
    EXPECT_EQ(resolved, scratch / "inst");
    EXPECT_TRUE(CheckInstallDirectory(scratch / "inst\\..\\inst\\", &resolved));
    EXPECT_EQ(resolved, scratch / "inst");
    EXPECT_TRUE(CheckInstallDirectory(SpecialFolder(CSIDL_PROGRAM_FILES) + "\\Quintara", &resolved));
    EXPECT_TRUE(
        CheckInstallDirectory(SpecialFolder(CSIDL_PROFILE) + "\\..\\other\\AppData\\Local\\Quintara", &resolved));
    EXPECT_TRUE(CheckInstallDirectory("\\\\host\\games\\Quintara", &resolved));
    EXPECT_TRUE(CheckInstallDirectory(viaW + "\\Quintara", &resolved));

    // A "DIR" that is itself a link is refused.
    MakeFile(scratch / "target\\s.txt");
    ASSERT_TRUE(MakeUnixSymlink(scratch / "target", scratch / "linkdir"));
    EXPECT_FALSE(CheckInstallDirectory(scratch / "linkdir", &resolved));
    EXPECT_FALSE(CheckInstallDirectory(scratch / "linkdir\\", &resolved));
}

// A shell folder that is a link (a redirected profile folder, a Wine prefix's Desktop)
// protects what it leads to as well, whichever path names that.
TEST(InstallDirectory, RefusesWhatAShellFolderLinkLeadsTo) {
    ScratchDir scratch("shelllink");
    std::string real = scratch / "real music";
    MakeFile(real + "\\song.txt");
    ASSERT_TRUE(MakeUnixSymlink(real, scratch / "music"));
    ShellFolderRedirect redirect("My Music", scratch / "music");
    ASSERT_EQ(SpecialFolder(CSIDL_MYMUSIC), scratch / "music");
    std::string resolved;
    for (const std::string& dir : {real, real + "\\", scratch.Path(), ThroughDriveZ(real)})
        EXPECT_FALSE(CheckInstallDirectory(dir, &resolved)) << dir;
    MakeDirs(real + "\\Quintara");
    EXPECT_TRUE(CheckInstallDirectory(real + "\\Quintara", &resolved));
}

// A "DIR" longer than its 259 characters is read whole and refused, not cut and used.
TEST(InstallDirectory, OverLongValueIsReadWholeAndRefused) {
    ScratchDir scratch("overlong");
    std::string dots;
    for (int i = 0; i < 130; ++i) dots += "\\.";
    std::string dir = scratch / "data" + dots + "\\Quintara";
    MakeFile(scratch / "data\\s.txt");
    MakeFile(scratch / "uninstaller.ini", "[INFO]\r\nVER_NAME=Q\r\nDIR=" + dir + "\r\n");
    UninstallSettings s = ReadSettings(Wide(scratch / "uninstaller.ini"));
    EXPECT_EQ(s.dir, Wide(dir));
    std::string resolved;
    EXPECT_FALSE(CheckInstallDirectory(dir, &resolved));
    EXPECT_TRUE(CheckInstallDirectory(dir.substr(0, 259), &resolved));  // what the cut form would empty
    EXPECT_EQ(resolved, scratch / "data");
}

namespace {

std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string Encode(const std::wstring& text, UINT codePage) {
    char out[1024] = {};
    int n = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), out, sizeof(out), nullptr,
                                nullptr);
    return std::string(out, n);
}

}  // namespace

// The keep list comes from the same decoded text as "DIR", whichever encoding the file
// has and however its lines end, and keeps its names in any letter case, not only ASCII.
TEST_F(RemovalTest, KeepListsOfEveryEncodingKeepTheirFiles) {
    ScratchDir scratch("encodings");
    // Letters with a case that the system code page has: accented Latin ones, or Greek.
    const bool farEast = GetACP() >= 932 && GetACP() <= 950;
    const std::wstring u = farEast ? L"\u03B1" : L"\u00FC", U = farEast ? L"\u0391" : L"\u00DC";
    const std::wstring a = farEast ? L"\u03B2" : L"\u00E4", A = farEast ? L"\u0392" : L"\u00C4";
    const std::wstring text =
        L"[INFO]\r\nDIR=C:\\Q\r\n[UNDELETE_LIST]\r\n" + u + L"ber.dat=1\r" + a + L"rger.CFG=1\r\n[X]\r\ngone.txt=1\r\n";
    const std::pair<const char*, std::string> files[] = {
        {"utf-16", Utf16(text, false)},
        {"utf-16 big-endian", Utf16(text, true)},
        {"utf-8", "\xEF\xBB\xBF" + Encode(text, CP_UTF8)},
        {"code page", Encode(text, CP_ACP)},
    };
    for (const auto& f : files) {
        std::string ini = scratch / "uninstaller.ini";
        MakeFile(ini, f.second);
        char dir[MAX_PATH] = {};
        GetPrivateProfileStringA("INFO", "DIR", "", dir, MAX_PATH, ini.c_str());
        EXPECT_STREQ(dir, "C:\\Q") << f.first;
        KeepList keep;
        EXPECT_EQ(ReadKeepListFile(Wide(ini), keep), KeepListRead::Complete) << f.first;
        EXPECT_EQ(keep.Size(), 2u) << f.first;

        std::wstring inst = Wide(scratch / "inst");
        for (const std::wstring& name : {L"\\" + U + L"BER.DAT", L"\\sub\\" + A + L"rger.cfg",
                                         std::wstring(L"\\sub\\gone.txt"), std::wstring(L"\\other.dat")})
            MakeFile(inst + name);
        ASSERT_TRUE(RemoveTree((scratch / "inst").c_str(), "*.*", keep));
        EXPECT_TRUE(Exists(inst + L"\\" + U + L"BER.DAT")) << f.first;
        EXPECT_TRUE(Exists(inst + L"\\sub\\" + A + L"rger.cfg")) << f.first;
        EXPECT_FALSE(Exists(inst + L"\\sub\\gone.txt")) << f.first;
        EXPECT_FALSE(Exists(inst + L"\\other.dat")) << f.first;
    }
    // Text that is not what its mark announces cannot give the whole list.
    for (const std::string& broken : {Utf16(text, false) + "x", std::string("\xEF\xBB\xBF[UNDELETE_LIST]\r\n\xC3(=1")}) {
        MakeFile(scratch / "uninstaller.ini", broken);
        KeepList keep;
        EXPECT_EQ(ReadKeepListFile(Wide(scratch / "uninstaller.ini"), keep), KeepListRead::Unreadable);
    }
}

// Folders the platform's register lists without a path under Wine, placed as Windows
// places them, and a volume's recycle bin: refused for every user, their contents not.
TEST(InstallDirectory, RefusesKnownFoldersTheRegisterGivesNoPathFor) {
    std::string profile = SpecialFolder(CSIDL_PROFILE), local = SpecialFolder(CSIDL_LOCAL_APPDATA);
    std::string roaming = SpecialFolder(CSIDL_APPDATA), other = profile + "\\..\\other";
    std::string quickLaunch = roaming + "\\Microsoft\\Internet Explorer\\Quick Launch";
    std::string resolved;
    for (const std::string& dir :
         {local + "\\Programs", local + "\\Programs\\Common", profile + "\\AppData\\LocalLow", profile + "\\OneDrive",
          profile + "\\OneDrive\\Documents", quickLaunch, quickLaunch + "\\User Pinned", profile + "\\3D Objects",
          other + "\\AppData\\LocalLow", other + "\\AppData\\Local\\Programs", other + "\\OneDrive",
          std::string("C:\\$Recycle.Bin"), std::string("C:\\$Recycle.Bin\\S-1-5-21-1-1001")})
        EXPECT_FALSE(CheckInstallDirectory(dir, &resolved)) << dir;
    for (const std::string& dir : {local + "\\Programs\\Quintara", other + "\\AppData\\LocalLow\\Quintara"})
        EXPECT_TRUE(CheckInstallDirectory(dir, &resolved)) << dir;
}

// On 64-bit Windows a 32-bit process hears of "Program Files (x86)" only; the 64-bit
// folders, named by the environment and by the registry's 64-bit view, are refused too.
TEST(InstallDirectory, RefusesBothProgramFilesViews) {
    ScratchDir scratch("pf64");
    const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    const struct {
        bool environment;
        const char* name;
    } views[] = {{true, "ProgramW6432"}, {true, "CommonProgramW6432"}, {false, "ProgramW6432Dir"},
                 {false, "CommonW6432Dir"}};
    for (const auto& view : views) {
        std::string folder = scratch / view.name;
        MakeFile(folder + "\\Vendor\\app.exe");
        HKEY key = nullptr;
        if (view.environment) {
            SetEnvironmentVariableA(view.name, folder.c_str());
        } else {
            ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key),
                      ERROR_SUCCESS);
            ASSERT_FALSE(RegQueryValueExA(key, view.name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS);
            RegSetValueExA(key, view.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                           static_cast<DWORD>(folder.size() + 1));
        }
        EXPECT_NE(SpecialFolder(CSIDL_PROGRAM_FILES), folder);  // the views differ
        std::string resolved;
        EXPECT_FALSE(CheckInstallDirectory(folder, &resolved)) << view.name;
        EXPECT_FALSE(CheckInstallDirectory(scratch.Path(), &resolved)) << view.name;
        EXPECT_TRUE(CheckInstallDirectory(folder + "\\Quintara", &resolved)) << view.name;
        if (view.environment) {
            SetEnvironmentVariableA(view.name, nullptr);
        } else {
            RegDeleteValueA(key, view.name);
            RegCloseKey(key);
        }
    }
}

// A share that leads back to this machine: refused by the names the machine answers
// to, and compared by volume serial number and file id whatever its name.
TEST(InstallDirectory, SharesOfThisMachineAreComparedAsWhatTheyLeadTo) {
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(computer);
    ASSERT_TRUE(GetComputerNameA(computer, &size));
    std::string resolved;
    for (const std::string& host : {std::string("localhost"), std::string("127.0.0.1"), std::string(computer) + "."})
        EXPECT_FALSE(CheckInstallDirectory("\\\\" + host + "\\games\\Quintara", &resolved)) << host;

    // Wine serves "\\host\share" from the prefix's dosdevices\unc\host\share.
    char prefix[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH), 0u);
    std::string host = "uninsthost" + std::to_string(GetCurrentProcessId());
    std::string hostDir = TargetPath(prefix) + "\\dosdevices\\unc\\" + host;
    std::string profile = SpecialFolder(CSIDL_PROFILE), profiles = profile.substr(0, profile.find_last_of('\\'));
    std::string user = profile.substr(profiles.size() + 1);
    MakeDirs(hostDir);
    ASSERT_TRUE(MakeUnixSymlink(profiles, hostDir + "\\Users"));
    std::string share = "\\\\" + host + "\\Users\\";
    ASSERT_TRUE(Exists(share + user));

    auto upper = [](std::string s) { return CharUpperA(&s[0]), s; };
    EXPECT_EQ(LocalPathOfShare(share + user + "\\Documents"), upper(profile + "\\Documents"));
    EXPECT_EQ(LocalPathOfShare(share + user + "\\Games\\Q"), upper(profile + "\\Games\\Q"));
    EXPECT_EQ(LocalPathOfShare(share), upper(profiles));
    for (const std::string& dir : {share + user, share + user + "\\Documents", share + "other\\AppData"})
        EXPECT_FALSE(CheckInstallDirectory(dir, &resolved)) << dir;
    RemoveUnixLink(Wide(hostDir + "\\Users"));
    RemoveDirectoryA(hostDir.c_str());
    RemoveDirectoryA(hostDir.substr(0, hostDir.find_last_of('\\')).c_str());  // "unc", when empty
    EXPECT_TRUE(Exists(profile));
}
