// The uninstaller program end to end under Wine: a generated
// installation in a scratch folder, its shortcuts, favourite and registry entries,
// driven through the program's message boxes; the window's place and colours.
#include <gtest/gtest.h>

#include "tests/uninstaller/win_helpers.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace uninst_test;

namespace {

const char kNotComplete[] = "Uninstall not complete. Delete directory manually.";
const char kExtensions[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kToolbar[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";

std::string Unique() {
    static int counter = 0;
    return std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

// A folder's and its parent's names that end in the byte of "\" (0x5C) in the system
// code page; plain names where it has no such characters.
std::string TrailBackslashName(bool folder) {
    if (GetACP() == 932) return Narrow(folder ? L"\u30BD" : L"\u8868");
    if (GetACP() == 936) return Narrow(folder ? L"\u4FD3" : L"\u4E57");
    if (GetACP() == 950) return Narrow(folder ? L"\u8A31" : L"\u529F");
    return folder ? "Quintara Inst" : "Games";
}

// One installed copy: files under DIR, shortcuts, favourite and registry entries, plus
// sentinels beside each that must survive whatever happens.
class Installation {
public:
    explicit Installation(const char* exe = UNINSTALLER_EXE)
        : scratch("prog"),
          parent(scratch / TrailBackslashName(false)),
          dir(parent + "\\" + TrailBackslashName(true)),
          id(Unique()),
          verName("QuintaraTest " + id),
          siteGuid("{UNINST-TEST-" + id + "}"),
          title("Quintara" + id + ".url") {
        MakeDirs(dir);
        CopyFileA(TargetPath(exe).c_str(), (dir + "\\uninstaller.exe").c_str(), FALSE);
        desktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
        startMenu = SpecialFolder(CSIDL_COMMON_STARTMENU);
        programs = SpecialFolder(CSIDL_COMMON_PROGRAMS);
        favorites = SpecialFolder(CSIDL_FAVORITES);
    }
    ~Installation() {
        for (const std::string& f : OutsideFiles()) RemoveAll(f);
        RemoveAll(programs + "\\" + verName);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kExtensions + siteGuid);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kExtensions + siteGuid + "-other");
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstall + verName);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstall + verName + "-other");
    }

    std::string Exe() const { return dir + "\\uninstaller.exe"; }
    std::string Question() const { return "Do you wish to uninstall " + verName + "? \n\nDirectory " + dirValue; }

    // In the system code page, or as UTF-16 with its byte-order mark.
    void WriteIni(const std::string& dirText, bool utf16 = false) {
        // The profile reader drops trailing blanks; the question shows what it returns.
        dirValue = dirText.substr(0, dirText.find_last_not_of(' ') + 1);
        std::wstring text = Wide("[INFO]\r\nVER_NAME=" + verName + "\r\nVER_INFO=Version 1.2.3 test build\r\nDIR=" +
                                 dirText + "\r\nSITEGUID=" + siteGuid + "\r\nUNINSTALL_NAME=Uninstall " + verName +
                                 "\r\n[FAVORITES]\r\nMAIN_URL_TILTE=" + title +
                                 "\r\n[UNDELETE_LIST]\r\nKeep.DAT=1\r\nsettings.cfg=1\r\n") +
                            L"\u00FCber.dat=1\r\n\u00E4rger.CFG=1\r\n[OTHER]\r\ngone.txt=1\r\n";
        std::string bytes = utf16 ? std::string("\xFF\xFE") : std::string();
        if (utf16)
            bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        else
            bytes += Narrow(text);
        MakeFile(dir + "\\uninstaller.ini", bytes);
    }

    void SeedFiles() {
        for (const char* f :
             {"a.txt", "KEEP.dat", "gone.txt", "sub1\\Settings.CFG", "sub1\\x.bin", "sub1\\deep\\deeper\\keep.DAT",
              "sub2\\y.txt", "sub2\\z\\w.txt", "sub2\\handhistory\\x.txt", "HandHistory\\h1.txt",
              "HandHistory\\nested\\h2.txt", "sub3\\skins\\s.bmp", "sub3\\other.txt", "sub4\\Skins\\s.bmp",
              "sub5\\HandHistory\\deep.txt"})
            MakeFile(dir + "\\" + f);
    }

    std::set<std::string> FilesAfterUninstall() const {
        return {"uninstaller.exe",  // running: passed over
                "KEEP.dat",
                "sub1\\",
                "sub1\\Settings.CFG",
                "sub1\\deep\\",
                "sub1\\deep\\deeper\\",
                "sub1\\deep\\deeper\\keep.DAT",
                "HandHistory\\",
                "HandHistory\\h1.txt",
                "HandHistory\\nested\\",
                "HandHistory\\nested\\h2.txt",
                "sub3\\",
                "sub3\\skins\\",
                "sub3\\skins\\s.bmp",
                "sub5\\",
                "sub5\\HandHistory\\",
                "sub5\\HandHistory\\deep.txt"};
    }

    void SeedOutside() {
        for (const std::string& f : OutsideFiles()) MakeFile(f);
        SetRegString(HKEY_CURRENT_USER, kToolbar, "LinksFolderName", "Links");
        std::string ext = kExtensions + siteGuid;
        SetRegString(HKEY_LOCAL_MACHINE, ext + "\\one", "v", "1");
        SetRegString(HKEY_LOCAL_MACHINE, ext + "\\two", "v", "2");
        SetRegString(HKEY_LOCAL_MACHINE, ext + "\\three\\inner", "v", "3");
        SetRegString(HKEY_LOCAL_MACHINE, ext + "-other", "v", "keep");
        std::string entry = kUninstall + verName;
        for (const char* value : {"DisplayName", "UninstallString", "DisplayIcon", "Publisher"})
            SetRegString(HKEY_LOCAL_MACHINE, entry, value, "x");
        SetRegString(HKEY_LOCAL_MACHINE, entry + "-other", "DisplayName", "keep");
    }

    // The entries the uninstaller removes, then the sentinels.
    std::vector<std::string> Removable() const {
        return {desktop + "\\" + verName + ".lnk",
                startMenu + "\\" + verName + ".lnk",
                programs + "\\" + verName + "\\Uninstall " + verName + ".lnk",
                programs + "\\" + verName + "\\" + verName + ".lnk",
                favorites + "\\" + title,
                favorites + "\\Links\\" + title};
    }
    std::vector<std::string> Sentinels() const {
        return {desktop + "\\Other " + verName + ".lnk", favorites + "\\Other" + title,
                favorites + "\\Links\\Other" + title, parent + "\\sibling.txt"};
    }
    std::vector<std::string> OutsideFiles() const {
        std::vector<std::string> all = Removable();
        for (const std::string& s : Sentinels()) all.push_back(s);
        return all;
    }

    void ExpectOutsideUntouched() const {
        for (const std::string& f : OutsideFiles()) EXPECT_TRUE(Exists(f)) << f;
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kExtensions + siteGuid + "\\three\\inner"));
        EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kUninstall + verName, "DisplayName"));
    }

    void ExpectOutsideRemoved() const {
        for (const std::string& f : Removable()) EXPECT_FALSE(Exists(f)) << f;
        EXPECT_FALSE(Exists(programs + "\\" + verName));
        for (const std::string& f : Sentinels()) EXPECT_TRUE(Exists(f)) << f;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtensions + siteGuid));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kExtensions + siteGuid + "-other"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall + verName));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall + verName + "-other"));
    }

    ScratchDir scratch;
    std::string parent, dir, id, verName, siteGuid, title, dirValue;
    std::string desktop, startMenu, programs, favorites;
};

// Starts the uninstaller, answers Yes to `question` and OK to the last box, `end`.
void UninstallWithYes(const Installation& inst, const std::string& question, const std::string& workDir,
                      const char* end = "Uninstall complete.") {
    Process p(inst.Exe(), workDir);
    HWND box = p.WaitMessageBox(question);
    ASSERT_TRUE(box) << "box: " << p.CurrentMessageBoxText();
    ASSERT_TRUE(Answer(box, IDYES));
    HWND done = p.WaitMessageBox(end);
    ASSERT_TRUE(done) << "box: " << p.CurrentMessageBoxText();
    ASSERT_TRUE(Answer(done, IDOK));
    EXPECT_EQ(p.WaitExit(10000), 0u);
}

// After a removal that could not start the window stays: once it answers, the plan is over.
HWND AnsweringWindow(const Process& p) {
    HWND window = p.FindWindowOfClass("VozareZodidazod");
    DWORD_PTR result;
    return window && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result) ? window : nullptr;
}

// Closes that window, "Quit ?" answered Yes; the exit code.
DWORD Quit(Process& p, HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND quit = p.WaitMessageBox("Quit ?");
    return quit && Answer(quit, IDYES) ? p.WaitExit(10000) : DWORD(STILL_ACTIVE);
}

// A client pixel of `window` as the screen shows it; false when `cover` hides it.
bool ClientPixel(const ScreenShot& shot, HWND window, HWND cover, int x, int y, COLORREF* colour) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    RECT r;
    if (cover && GetWindowRect(cover, &r) && PtInRect(&r, p)) return false;
    return shot.Pixel(p.x, p.y, colour);
}

int Distance(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

struct Look {
    COLORREF background, bannerLeft, bannerRight, directoryText;
};

// What differs from `look` on the screen now, one entry per fault.
std::vector<std::string> LookFaults(HWND window, HWND cover, const Look& look) {
    RECT area;
    GetWindowRect(window, &area);
    ScreenShot shot(area);
    const struct {
        int x, y;
        COLORREF expected;
    } points[] = {
        {10, 10, look.bannerLeft},   {580, 10, look.bannerRight}, {10, 60, look.bannerLeft},
        {10, 100, look.background},  {10, 250, look.background},  {300, 270, look.background},
        {580, 260, look.background}, {580, 120, look.background},
    };
    std::vector<std::string> faults;
    int checked = 0;
    for (const auto& pt : points) {
        COLORREF c;
        if (!ClientPixel(shot, window, cover, pt.x, pt.y, &c)) continue;
        ++checked;
        if (c != pt.expected) faults.push_back("pixel " + std::to_string(pt.x) + "," + std::to_string(pt.y));
    }
    if (checked < 6) faults.push_back("only " + std::to_string(checked) + " pixels uncovered");
    // The "Directory" line: its strokes carry the text colour, where a wide box leaves it seen.
    int best = 1000, seen = 0;
    for (int y = 137; y < 170; ++y)
        for (int x = 25; x < 300; ++x) {
            COLORREF c;
            if (ClientPixel(shot, window, cover, x, y, &c) && ++seen)
                best = std::min(best, Distance(c, look.directoryText));
        }
    if (seen > 0 && best > 30) faults.push_back("no Directory text in its colour");
    return faults;
}

// The display may lag behind the window's drawing: look again for a while.
void ExpectLook(HWND window, HWND cover, const Look& look) {
    std::vector<std::string> faults;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(100)) {
        faults = LookFaults(window, cover, look);
        if (faults.empty()) break;
    }
    EXPECT_EQ(faults, std::vector<std::string>{});
}

const Look kDefaultLook = {RGB(18, 34, 85), RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255)};
const Look kSkinnedLook = {RGB(40, 120, 60), RGB(200, 30, 30), RGB(230, 230, 40), RGB(255, 200, 0)};

std::string ParentOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

bool PendingDeletionOf(const std::string& path) {
    std::vector<std::string> pending = PendingRenames();
    for (size_t i = 0; i + 1 < pending.size(); i += 2) {
        const std::string& source = pending[i];
        if (source.size() >= path.size() && _stricmp(source.c_str() + source.size() - path.size(), path.c_str()) == 0 &&
            pending[i + 1].empty())
            return true;
    }
    return false;
}

}  // namespace

TEST(Program, UninstallsAGeneratedInstallation) {
    Installation inst;
    inst.WriteIni(inst.dir + "\\ ");  // a trailing backslash and blank name the same folder
    inst.SeedFiles();
    inst.SeedOutside();
    Process p(inst.Exe(), inst.scratch.Path());
    ASSERT_TRUE(p.Started());

    HWND question = p.WaitMessageBox(inst.Question());
    ASSERT_TRUE(question) << "box: " << p.CurrentMessageBoxText();
    HWND window = p.FindWindowOfClass("VozareZodidazod");
    ASSERT_TRUE(window);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof(title));
    EXPECT_STREQ(title, "VozareZodidazod");
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 600) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 300) / 2);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 300);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION, WS_DLGFRAME);  // no caption bar
    ExpectLook(window, question, kDefaultLook);

    ASSERT_TRUE(Answer(question, IDYES));
    HWND done = p.WaitMessageBox("Uninstall complete.");
    ASSERT_TRUE(done) << "box: " << p.CurrentMessageBoxText();
    HWND progress = FindWindowExA(window, nullptr, "msctls_progress32", nullptr);
    ASSERT_TRUE(progress);
    EXPECT_TRUE(IsWindowVisible(progress));
    EXPECT_EQ(SendMessageA(progress, PBM_GETPOS, 0, 0), 100);
    ASSERT_TRUE(Answer(done, IDOK));
    EXPECT_EQ(p.WaitExit(10000), 0u);

    EXPECT_EQ(ListTree(inst.dir), inst.FilesAfterUninstall());
    inst.ExpectOutsideRemoved();
    EXPECT_FALSE(PendingDeletionOf(inst.dir + "\\uninstaller.exe"));  // nothing is left for a restart
}

TEST(Program, LinkReadOnlyAndHiddenFilesInTheInstallation) {
    Installation inst;
    inst.WriteIni(inst.dir);
    std::string outside = inst.scratch / "outside";
    const char* sentinels[] = {"s1.txt", "deep\\s2.txt", "HandHistory\\s3.txt"};
    for (const char* s : sentinels) MakeFile(outside + "\\" + s);
    MakeFile(inst.dir + "\\sub\\ro.txt");
    MakeFile(inst.dir + "\\hs.txt");
    SetFileAttributesA((inst.dir + "\\sub\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((inst.dir + "\\hs.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(MakeUnixSymlink(outside, inst.dir + "\\sub\\link"));
    // Wine lists a link to a file as a plain file; its read-only target keeps its mark.
    SetFileAttributesA((outside + "\\s1.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(MakeUnixSymlink(outside + "\\s1.txt", inst.dir + "\\filelink.txt"));
    // Held open by another program: the rest goes, every later step runs, the end says so.
    MakeFile(inst.dir + "\\held.txt");
    HANDLE held = CreateFileA((inst.dir + "\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    inst.SeedOutside();

    ASSERT_NO_FATAL_FAILURE(UninstallWithYes(inst, inst.Question(), inst.dir, kNotComplete));
    CloseHandle(held);
    inst.ExpectOutsideRemoved();

    for (const char* s : sentinels) EXPECT_TRUE(Exists(outside + "\\" + s)) << s;
    EXPECT_EQ(Attributes(outside + "\\s1.txt") & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
    SetFileAttributesA((outside + "\\s1.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    // Windows removes the links themselves; Wine cannot remove a Unix link, so both stay.
    std::set<std::string> expected = {"uninstaller.exe", "held.txt"};
    if (GetProcAddress(GetModuleHandleA("ntdll"), "wine_get_version"))
        expected.insert({"sub\\", "sub\\link\\", "filelink.txt"});
    EXPECT_EQ(ListTree(inst.dir), expected);
}

TEST(Program, NoRemovesNothing) {
    Installation inst;
    inst.WriteIni(inst.dir);
    inst.SeedFiles();
    inst.SeedOutside();
    std::set<std::string> before = ListTree(inst.dir);
    Process p(inst.Exe(), inst.dir);
    HWND question = p.WaitMessageBox(inst.Question());
    ASSERT_TRUE(question) << "box: " << p.CurrentMessageBoxText();
    ASSERT_TRUE(Answer(question, IDNO));
    EXPECT_EQ(p.WaitExit(10000), 0u);
    EXPECT_EQ(ListTree(inst.dir), before);
    inst.ExpectOutsideUntouched();
}

TEST(Program, MissingSettingsFileRemovesNothing) {
    Installation inst;
    inst.SeedFiles();
    std::set<std::string> before = ListTree(inst.dir);
    Process p(inst.Exe(), inst.dir);
    HWND box = p.WaitMessageBox(kNotComplete);
    ASSERT_TRUE(box) << "box: " << p.CurrentMessageBoxText();
    ASSERT_TRUE(Answer(box, IDOK));
    EXPECT_EQ(p.WaitExit(10000), 0u);
    EXPECT_EQ(ListTree(inst.dir), before);
}

TEST(Program, DirectoryThatCannotBeEnteredStopsBeforeShortcutsAndKeys) {
    Installation inst;
    inst.WriteIni(inst.dir + "\\missing");
    inst.SeedFiles();
    inst.SeedOutside();
    std::set<std::string> before = ListTree(inst.dir);
    Process p(inst.Exe(), inst.dir);
    HWND question = p.WaitMessageBox(inst.Question());
    ASSERT_TRUE(question) << "box: " << p.CurrentMessageBoxText();
    ASSERT_TRUE(Answer(question, IDYES));
    HWND box = p.WaitMessageBox(kNotComplete);
    ASSERT_TRUE(box) << "box: " << p.CurrentMessageBoxText();
    ASSERT_TRUE(Answer(box, IDOK));
    HWND window = AnsweringWindow(p);
    ASSERT_TRUE(window);
    EXPECT_EQ(ListTree(inst.dir), before);
    inst.ExpectOutsideUntouched();

    // The window stays until closed; "Quit ?" answered No keeps it.
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND quit = p.WaitMessageBox("Quit ?");
    ASSERT_TRUE(quit);
    ASSERT_TRUE(Answer(quit, IDNO));
    // The window answers once its close handler has returned: it is still there.
    DWORD_PTR result;
    EXPECT_TRUE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(p.WaitExit(0), DWORD(STILL_ACTIVE));
    EXPECT_EQ(Quit(p, window), 0u);
}

// Each refused "DIR" gets the same message as an empty one and removes nothing.
class RefusedDir : public ::testing::TestWithParam<const char*> {};

TEST_P(RefusedDir, RemovesNothing) {
    Installation inst;
    std::string kind = GetParam();
    std::string sentinelDir, dirText, workDir = inst.scratch / "cwd";
    std::unique_ptr<ShellFolderRedirect> redirect;
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    if (kind == "root") {
        sentinelDir = "C:\\uninst_sentinel_" + inst.id;
        dirText = "C:\\";
    } else if (kind == "windows") {
        sentinelDir = std::string(windows) + "\\uninst_sentinel_" + inst.id;
        dirText = std::string(windows) + "\\";
    } else if (kind == "relative") {
        sentinelDir = workDir;
        dirText = ".";
    } else if (kind == "in-windows") {
        sentinelDir = std::string(windows) + "\\uninst_sentinel_" + inst.id;
        dirText = sentinelDir;
    } else if (kind == "other-profile") {  // ours moved as a folder backup moves it
        redirect.reset(new ShellFolderRedirect("Personal", SpecialFolder(CSIDL_PROFILE) + "\\OneDrive\\Documents"));
        sentinelDir = ParentOf(SpecialFolder(CSIDL_PROFILE)) + "\\other_" + inst.id + "\\Documents";
        dirText = sentinelDir;
    } else if (kind == "overlong") {
        // Cut to 259 characters inside the dots, it names the folder two levels up.
        sentinelDir = inst.scratch / "data";
        dirText = sentinelDir;
        for (int i = 0; i < 130; ++i) dirText += "\\.";
        dirText += "\\Quintara";
    } else if (kind == "local-low") {
        // Another vendor's saved game under a known folder that a hand-made list missed.
        sentinelDir = SpecialFolder(CSIDL_PROFILE) + "\\AppData\\LocalLow\\OtherVendor" + inst.id + "\\Game";
        dirText = SpecialFolder(CSIDL_PROFILE) + "\\AppData\\LocalLow";
    } else if (kind == "shell-folder-link-target") {
        sentinelDir = inst.scratch / "real music";
        MakeDirs(sentinelDir);
        ASSERT_TRUE(MakeUnixSymlink(sentinelDir, inst.scratch / "music"));
        redirect.reset(new ShellFolderRedirect("My Music", inst.scratch / "music"));
        dirText = ThroughDriveZ(sentinelDir);
    } else {
        sentinelDir = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\uninst_sentinel_" + inst.id;
        dirText = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    }
    const std::string sentinelFile = (kind == "root" || kind == "windows" || kind == "desktop")
                                         ? ParentOf(sentinelDir) + "\\uninst_sentinel_" + inst.id + ".txt"
                                         : sentinelDir + "\\top.txt";
    MakeFile(sentinelDir + "\\s1.txt");
    MakeFile(sentinelDir + "\\deep\\s2.txt");
    MakeFile(sentinelFile);
    MakeDirs(workDir);
    inst.WriteIni(dirText);
    inst.SeedFiles();
    inst.SeedOutside();
    std::set<std::string> before = ListTree(inst.dir);

    Process p(inst.Exe(), workDir);
    HWND box = p.WaitMessageBox(kNotComplete);
    ASSERT_TRUE(box) << "box: " << p.CurrentMessageBoxText();
    ASSERT_TRUE(Answer(box, IDOK));
    EXPECT_EQ(p.WaitExit(10000), 0u);

    EXPECT_TRUE(Exists(sentinelDir + "\\s1.txt"));
    EXPECT_TRUE(Exists(sentinelDir + "\\deep\\s2.txt"));
    EXPECT_TRUE(Exists(sentinelFile));
    EXPECT_EQ(ListTree(inst.dir), before);
    inst.ExpectOutsideUntouched();
    RemoveAll(sentinelFile);
    if (kind != "relative")
        RemoveAll(kind == "other-profile" || kind == "local-low" ? ParentOf(sentinelDir) : sentinelDir);
}

INSTANTIATE_TEST_SUITE_P(Program, RefusedDir,
                         ::testing::Values("root", "windows", "relative", "desktop", "in-windows", "other-profile",
                                           "overlong", "shell-folder-link-target", "local-low"));

// The user swaps the folder for a link while the question is open: the folder is
// checked again before anything is removed.
TEST(Program, DirectorySwappedWhileTheQuestionIsOpenRemovesNothing) {
    Installation inst;
    std::string data = inst.scratch / "data", outside = inst.scratch / "outside";
    inst.WriteIni(data);
    MakeFile(data + "\\a.txt");
    const char* sentinels[] = {"s1.txt", "deep\\s2.txt"};
    for (const char* f : sentinels) MakeFile(outside + "\\" + f);
    inst.SeedOutside();
    Process p(inst.Exe(), inst.scratch.Path());
    HWND question = p.WaitMessageBox(inst.Question());
    ASSERT_TRUE(question) << "box: " << p.CurrentMessageBoxText();
    ASSERT_TRUE(MoveFileA(data.c_str(), (data + ".old").c_str()));
    ASSERT_TRUE(MakeUnixSymlink(outside, data));
    ASSERT_TRUE(Answer(question, IDYES));
    HWND box = p.WaitMessageBox(kNotComplete);
    ASSERT_TRUE(box) << "box: " << p.CurrentMessageBoxText();
    ASSERT_TRUE(Answer(box, IDOK));
    HWND window = AnsweringWindow(p);
    ASSERT_TRUE(window);

    for (const char* f : sentinels) EXPECT_TRUE(Exists(outside + "\\" + f)) << f;
    EXPECT_TRUE(Exists(data + ".old\\a.txt"));
    inst.ExpectOutsideUntouched();
    EXPECT_EQ(Quit(p, window), 0u);
}

// The skin file is written where nothing planted beforehand is followed: a link in
// the temporary folder under the file's name keeps its target as it was.
TEST(Program, SkinModuleGivesBannerAndColours) {
    Installation inst(UNINSTALLER_SKINNED_EXE);
    inst.WriteIni(inst.dir);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string planted = std::string(temp) + "temp3.ini", victim = inst.scratch / "victim.txt";
    MakeFile(victim, "victim");
    RemoveAll(planted);
    ASSERT_TRUE(MakeUnixSymlink(victim, planted));
    Process p(inst.Exe(), inst.dir);
    HWND question = p.WaitMessageBox(inst.Question());
    ASSERT_TRUE(question) << "box: " << p.CurrentMessageBoxText();
    HWND window = p.FindWindowOfClass("VozareZodidazod");
    ASSERT_TRUE(window);
    ExpectLook(window, question, kSkinnedLook);
    ASSERT_TRUE(Answer(question, IDNO));
    EXPECT_EQ(p.WaitExit(10000), 0u);

    WIN32_FILE_ATTRIBUTE_DATA data = {};
    EXPECT_TRUE(GetFileAttributesExA(victim.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 6u);  // "victim"
    RemoveAll(planted);
    WIN32_FIND_DATAA left;
    HANDLE find = FindFirstFileA((std::string(temp) + "temp3-*").c_str(), &left);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << left.cFileName;  // the private copy is gone too
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

// Links made with REG_OPTION_CREATE_LINK: the extension key holds one to another key and
// one back to itself, and the uninstall entry is one to another product's entry. The
// run ends as usual; the links go, and what they point at stays whole.
TEST(Program, RegistryLinksInOurKeysLeaveTheirTargets) {
    Installation inst;
    inst.WriteIni(inst.dir);
    inst.SeedOutside();
    std::string victim = "SOFTWARE\\UninstVictim" + inst.id, ext = kExtensions + inst.siteGuid;
    std::string entry = kUninstall + inst.verName, other = entry + "-other";
    SetRegString(HKEY_LOCAL_MACHINE, victim + "\\sub", "v", "keep");
    ASSERT_TRUE(MakeRegistryLink(ext + "\\toVictim", victim));
    ASSERT_TRUE(MakeRegistryLink(ext + "\\loop", ext));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, entry);
    ASSERT_TRUE(MakeRegistryLink(entry, other));

    ASSERT_NO_FATAL_FAILURE(UninstallWithYes(inst, inst.Question(), inst.dir));

    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ext));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, victim + "\\sub", "v"));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, other, "DisplayName"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, victim);
}

// Saved as UTF-16, the settings give "DIR" to the profile reader and the keep list to
// ours alike; accented names are kept in any letter case.
TEST(Program, Utf16SettingsKeepTheirAccentedFiles) {
    Installation inst;
    inst.WriteIni(inst.dir, true);
    inst.SeedFiles();
    for (const wchar_t* name : {L"\\\u00DCBER.DAT", L"\\sub2\\\u00C4rger.cfg"}) MakeFile(Wide(inst.dir) + name);
    ASSERT_NO_FATAL_FAILURE(UninstallWithYes(inst, inst.Question(), inst.dir));
    std::set<std::string> expected = inst.FilesAfterUninstall();
    expected.insert({Narrow(L"\u00DCBER.DAT"), "sub2\\", Narrow(L"sub2\\\u00C4rger.cfg")});
    EXPECT_EQ(ListTree(inst.dir), expected);
}

// The question names "DIR" whole, however long, and the folder it leads to where that
// reads otherwise; that folder is the one emptied.
TEST(Program, LongQuestionNamesTheFolderThatIsEmptied) {
    Installation inst;
    inst.verName = "Q" + inst.id + std::string(206 - inst.id.size(), 'q');  // 207 characters
    std::string named = inst.scratch / "data", emptied = inst.scratch / "target";
    for (const std::string& root : {named, emptied})
        for (const char* f : {"s1.txt", "deep\\s2.txt"}) MakeFile(root + "\\" + f);
    inst.WriteIni(named + "\\..\\target");
    ASSERT_NO_FATAL_FAILURE(UninstallWithYes(inst, inst.Question() + "\nwhich is " + emptied, inst.scratch.Path()));
    EXPECT_EQ(ListTree(emptied), std::set<std::string>{});
    EXPECT_EQ(ListTree(named), (std::set<std::string>{"s1.txt", "deep\\", "deep\\s2.txt"}));
}
