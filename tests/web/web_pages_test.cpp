// Web pages of a real browser.exe against the loopback recorder: which
// requests reach the site for each road to a page, with which form, and what
// is left in the mailbox and the login log.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/testsupport.h"
#include "tests/web/http_recorder.h"

using namespace testsupport;
using testweb::HttpRecorder;
using testweb::HttpRequest;

namespace {

const char kTitle[] = "WebPages Browser";
const char* const kLoginNames[] = {"URL_UNO",    "URL_PART",    "URL_UID",      "URL_PWD",
                                   "URL_HWINFO", "URL_SITEKEY", "URL_FREESITE", "URL_DEVICEID"};
const char* const kFieldNames[] = {"uno", "part", "uid", "pwd", "hwinfo", "sitekey", "freesite", "deviceid"};
const char* const kSitePages[] = {"HOME", "NEWS", "EVENT", "CUSTOMER", "FAQ", "HELP"};
const char kBareForm[] = "uno=&part=&uid=&pwd=&hwinfo=&sitekey=&freesite=&deviceid=";
static_assert(sizeof kBareForm - 1 == 57, "every placeholder empty");
// The site's own home page, opened when main.ini gives none that fits.
const char kSiteHome[] = "http://www.quintarapoker.com/";
const char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The address a request asked for: a proxy is sent the whole address, which
// may name the default port.
std::string Asked(const HttpRequest& request) {
    std::string address = request.path;
    size_t port = address.find(":80/");
    if (address.rfind("http://", 0) == 0 && port != std::string::npos) address.erase(port, 3);
    return address;
}

// Sends the browsers started meanwhile through a proxy, all but those for
// 127.0.0.1: a request for any other host reaches the recorder with the whole
// address as its path. What the settings held before is put back.
class Proxy {
public:
    explicit Proxy(const std::string& server) {
        const DWORD on = 1;
        Set("ProxyEnable", REG_DWORD, std::string(reinterpret_cast<const char*>(&on), sizeof on));
        Set("ProxyServer", REG_SZ, server);
        Set("ProxyOverride", REG_SZ, "127.0.0.1");
    }
    ~Proxy() {
        for (const Saved& old : saved) {
            if (old.bytes)
                reg::WriteBytes(HKEY_CURRENT_USER, kInternetSettings, old.name, old.type, *old.bytes);
            else
                RegDeleteKeyValueA(HKEY_CURRENT_USER, kInternetSettings, old.name);
        }
    }

private:
    struct Saved {
        const char* name;
        DWORD type;
        std::optional<std::string> bytes;  // none: there was no such value
    };
    void Set(const char* name, DWORD type, const std::string& bytes) {
        Saved old{name, REG_NONE, {}};
        old.bytes = reg::ReadRaw(HKEY_CURRENT_USER, kInternetSettings, name, &old.type);
        saved.push_back(old);
        reg::WriteBytes(HKEY_CURRENT_USER, kInternetSettings, name, type, bytes);
    }
    std::vector<Saved> saved;
};

class WebPages : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CleanSystemKeys();
        ASSERT_TRUE(recorder.Start());
        dir = ScratchDir("webpages");
        WriteFile(dir + "\\main.ini", "[main]\r\nname=WebPages\r\n[URL]\r\nHOMEPAGE=" + recorder.Url("/home") + "\r\n");
    }
    void TearDown() override {
        for (HWND standIn : standIns) DestroyWindow(standIn);
        EXPECT_EQ(CloseBrowser(browser, window), "");
        recorder.Stop();
        reg::CleanSystemKeys();
    }

    void Open(const std::string& arguments = "") {
        window = StartBrowser(browser, dir, kTitle, arguments);
        ASSERT_NE(window, nullptr);
    }
    // A login navigation queued behind everything asked before it: once its
    // request has arrived, any of theirs would have too.
    void Marker(const std::string& path) {
        reg::WriteMailbox("URL", recorder.Url(path));
        PostMessageA(window, 8830, 0, 0);
        ASSERT_TRUE(recorder.WaitFor("POST", path)) << path;
    }
    // Open, and let the start-up page arrive before anything else is asked.
    void OpenAtHome() {
        ASSERT_NO_FATAL_FAILURE(Open());
        ASSERT_TRUE(recorder.WaitFor("GET", "/home"));
    }

    // Each value is its field's name after `prefix`, short enough to fit.
    void SetLoginValues(const std::string& prefix) {
        for (size_t i = 0; i < 8; i++) reg::WriteMailbox(kLoginNames[i], prefix + kFieldNames[i]);
    }
    static std::string FormOf(const std::string& prefix) {
        std::string form;
        for (const char* name : kFieldNames) form += std::string(form.empty() ? "" : "&") + name + "=" + prefix + name;
        return form;
    }
    void ExpectLoginValuesConsumed() {
        EXPECT_EQ(reg::ReadMailbox("URL"), std::optional<std::string>("")) << "URL";
        for (const char* name : kLoginNames) EXPECT_EQ(reg::ReadMailbox(name), std::optional<std::string>("")) << name;
    }
    void SetSitePage(int index, const std::string& path) {
        std::string key = std::string(reg::kSiteKeyRoot) + "\\" + kSitePages[index];
        reg::WriteString(HKEY_LOCAL_MACHINE, key.c_str(), "MAINCLIENT", recorder.Url(path));
    }

    void Command(UINT id) { SendMessageA(window, WM_COMMAND, id, 0); }
    size_t CountPostsAnywhere() {
        size_t count = 0;
        for (const HttpRequest& request : recorder.Requests()) count += request.method == "POST";
        return count;
    }
    bool Alive() { return Answers(browser, window); }

    // The login log's message texts, each line checked against the log format.
    std::vector<std::string> LoginLogTexts() {
        std::vector<std::string> texts;
        std::string log = ReadFile(dir + "\\MB_ERR.LOG").value_or("");
        static const std::regex line(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d-\d+ TRD=\d+ (\S+) ERR=-?\d+ )");
        size_t start = 0;
        for (size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
            std::smatch match;
            std::string text = log.substr(start, end - start);
            EXPECT_TRUE(std::regex_match(text, match, line)) << text;
            texts.push_back(match.size() > 1 ? match[1].str() : text);
        }
        EXPECT_EQ(start, log.size()) << "unterminated line";
        return texts;
    }

    // The window's button `id`, or a stand-in child of the same id when the
    // toolbar has none: the browser enables whatever carries the id.
    HWND NavigationButton(int id) {
        if (HWND button = GetDlgItem(window, id)) return button;
        HWND standIn = CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_PUSHBUTTON, 0, 0, 8, 8, window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        if (standIn) standIns.push_back(standIn);
        return standIn;
    }

    HttpRecorder recorder;
    Process browser;
    std::string dir;
    HWND window = nullptr;
    std::vector<HWND> standIns;
};

TEST_F(WebPages, MailboxUrlPostsTheLoginFormOnce) {
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    SetLoginValues("v");
    reg::WriteMailbox("URL", recorder.Url("/login"));
    EXPECT_EQ(SendMessageA(window, 8830, 0, 0), 0);

    ASSERT_TRUE(recorder.WaitFor("POST", "/login"));
    std::vector<HttpRequest> posts = recorder.RequestsTo("POST", "/login");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].body, FormOf("v"));
    EXPECT_EQ(posts[0].Header("content-type"), "application/x-www-form-urlencoded");
    ExpectLoginValuesConsumed();
    EXPECT_TRUE(LoginLogTexts().empty());

    // The values were consumed: a repeated message finds no address.
    EXPECT_EQ(SendMessageA(window, 8830, 0, 0), 0);
    ASSERT_NO_FATAL_FAILURE(Marker("/after"));
    EXPECT_EQ(CountPostsAnywhere(), 2u);
}

// A second start holds the lock of "URL" from its write until its 8830 (with
// the address's length) is handled: a site page asked for meanwhile waits.
TEST_F(WebPages, AHandedOverAddressOutlastsASitePageAskedForMeanwhile) {
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    HANDLE lock = CreateMutexA(nullptr, TRUE, "Local\\QuintaraBrowserUrl");
    reg::WriteMailbox("URL", recorder.Url("/handed"));
    SendNotifyMessageA(window, 8828, 0, 0);  // handled before the 8830 sent after it
    SendMessageA(window, 8830, 0, static_cast<LPARAM>(recorder.Url("/handed").size()));
    ReleaseMutex(lock);
    CloseHandle(lock);
    EXPECT_TRUE(recorder.WaitFor("POST", "/handed"));
}

TEST_F(WebPages, EmptyMailboxPostsTheBareFormAndLogsSevenLines) {
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    reg::WriteMailbox("URL", recorder.Url("/bare"));
    SendMessageA(window, 8830, 0, 0);

    ASSERT_TRUE(recorder.WaitFor("POST", "/bare"));
    EXPECT_EQ(recorder.RequestsTo("POST", "/bare")[0].body, kBareForm);
    EXPECT_EQ(LoginLogTexts(), (std::vector<std::string>{"szUNO", "szUID", "szPWD", "szHWINFO", "szSiteKey",
                                                         "szFreeSite", "szDeviceID"}));
    ExpectLoginValuesConsumed();
}

TEST_F(WebPages, ValuesAreCutToCapacityAndOtherwisePostedAsTheyAre) {
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    SetLoginValues("");
    reg::WriteMailbox("URL_UNO", std::string(60, 'u'));
    reg::WriteMailbox("URL_SITEKEY", "12345678901234");
    reg::WriteMailbox("URL_PWD", "p w&admin=1%41");
    reg::WriteMailbox("URL_PART", "");
    reg::WriteMailbox("URL", recorder.Url("/odd"));
    SendMessageA(window, 8830, 0, 0);

    ASSERT_TRUE(recorder.WaitFor("POST", "/odd"));
    EXPECT_EQ(recorder.RequestsTo("POST", "/odd")[0].body,
              "uno=" + std::string(51, 'u') +
                  "&part=&uid=uid&pwd=p w&admin=1%41&hwinfo=hwinfo"
                  "&sitekey=12345678901&freesite=freesite&deviceid=deviceid");
    EXPECT_TRUE(LoginLogTexts().empty());  // an empty part is never logged
}

TEST_F(WebPages, SitePagesPostToTheAddressOfTheirKey) {
    for (int i = 0; i < 6; i++) SetSitePage(i, "/page" + std::to_string(i));
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    for (int i = 0; i < 6; i++) {
        std::string prefix = "p" + std::to_string(i);
        SetLoginValues(prefix);
        EXPECT_EQ(SendMessageA(window, 8828, i, 0), 0);
        std::string path = "/page" + std::to_string(i);
        ASSERT_TRUE(recorder.WaitFor("POST", path)) << path;
        EXPECT_EQ(recorder.RequestsTo("POST", path)[0].body, FormOf(prefix));
        ExpectLoginValuesConsumed();
    }
    // The commands open the last three pages, always with the form.
    for (UINT id : {9302u, 9303u, 9304u}) {
        Command(id);
        std::string path = "/page" + std::to_string(id - 9302 + 3);
        ASSERT_TRUE(recorder.WaitFor("POST", path, 2)) << id;
        EXPECT_EQ(recorder.RequestsTo("POST", path)[1].body, kBareForm);
    }
    EXPECT_EQ(CountPostsAnywhere(), 9u);
}

TEST_F(WebPages, UnopenableSitePagesStillConsumeTheLoginValues) {
    SetSitePage(0, "/page0");
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    struct Case {
        WPARAM page;
        LPARAM value;
    };
    for (Case c : {Case{6, 0}, Case{0, 1}, Case{2, 0}, Case{WPARAM(-1), 0}}) {
        SetLoginValues("x");
        reg::WriteMailbox("URL", "kept?");
        EXPECT_EQ(SendMessageA(window, 8828, c.page, c.value), 0);
        ExpectLoginValuesConsumed();
    }
    // Commands with a missing key do nothing at all.
    SetLoginValues("y");
    for (UINT id : {9302u, 9303u, 9304u}) Command(id);
    for (size_t i = 0; i < 8; i++) EXPECT_EQ(reg::ReadMailbox(kLoginNames[i]), "y" + std::string(kFieldNames[i]));
    ASSERT_NO_FATAL_FAILURE(Marker("/after"));
    EXPECT_TRUE(recorder.RequestsTo("", "/page0").empty());
}

TEST_F(WebPages, HomeCommandGetsTheHomePageWithoutForm) {
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    SetLoginValues("h");
    Command(9104);
    ASSERT_TRUE(recorder.WaitFor("GET", "/home", 2));
    EXPECT_EQ(recorder.RequestsTo("GET", "/home")[1].body, "");
    EXPECT_EQ(CountPostsAnywhere(), 0u);
    EXPECT_EQ(reg::ReadMailbox("URL_UNO"), std::optional<std::string>("huno"));  // not consumed
}

TEST_F(WebPages, CommandLineAddressIsPostedAtStart) {
    SetLoginValues("c");
    // However long, the address is posted to whole, never to a cut one.
    const std::string path = "/start/" + std::string(400, 's');
    ASSERT_NO_FATAL_FAILURE(Open(recorder.Url(path) + " ignored words"));
    ASSERT_TRUE(recorder.WaitFor("POST", path));
    EXPECT_EQ(recorder.RequestsTo("POST", path)[0].body, FormOf("c"));
    ExpectLoginValuesConsumed();
}

TEST_F(WebPages, OpenAddressFromAnotherProcessPostsNothing) {
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    SetLoginValues("f");
    static const char address[] = "http://127.0.0.1:1/foreign";
    EXPECT_EQ(SendMessageA(window, 8829, 0, reinterpret_cast<LPARAM>(address)), 0);
    PostMessageA(window, 8829, 0, reinterpret_cast<LPARAM>(address));
    // The marker finds the login values that neither of them took.
    ASSERT_NO_FATAL_FAILURE(Marker("/after"));
    EXPECT_EQ(CountPostsAnywhere(), 1u);
    EXPECT_EQ(recorder.RequestsTo("POST", "/after")[0].body, FormOf("f"));
}

// A posted 8829 is dispatched by whatever loop runs: a message box's, the
// input dialog's. Neither a wild pointer nor a readable address of the
// browser's own memory may be acted on there.
TEST_F(WebPages, PostedOpenAddressIsIgnoredInEveryMessageLoop) {
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    std::string address = recorder.Url("/posted");
    void* remote = VirtualAllocEx(browser.Handle(), nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    ASSERT_TRUE(WriteProcessMemory(browser.Handle(), remote, address.c_str(), address.size() + 1, nullptr));
    const int kAddBuddy = 1024;
    struct Loop {
        const char* what;
        std::function<HWND()> open;
        int closeButton;
    };
    const Loop loops[] = {
        {"message box",
         [&] {
             PostMessageA(window, 9033, 0, 0);
             return WaitForMessageBox(browser.Id(), "Internet Connection Required.");
         },
         IDOK},
        {"input dialog",
         [&] {
             PostMessageA(window, WM_COMMAND, MAKEWPARAM(kAddBuddy, BN_CLICKED),
                          reinterpret_cast<LPARAM>(GetDlgItem(window, kAddBuddy)));
             return WaitForWindow("#32770", "Input", browser.Id());
         },
         IDCANCEL},
    };
    for (const Loop& loop : loops) {
        HWND modal = loop.open();
        ASSERT_NE(modal, nullptr) << loop.what;
        PostMessageA(window, 8829, 0, 0x10);
        PostMessageA(window, 8829, 0, reinterpret_cast<LPARAM>(remote));
        // Queued after them, so once its page is asked for, both were dispatched.
        std::string marker = std::string("/marker-") + (loop.what[0] == 'm' ? "box" : "input");
        reg::WriteMailbox("URL", recorder.Url(marker));
        PostMessageA(window, 8830, 0, 0);
        EXPECT_TRUE(recorder.WaitFor("", marker)) << loop.what;
        EXPECT_TRUE(Alive()) << loop.what;
        EXPECT_TRUE(DismissMessageBox(modal, loop.closeButton)) << loop.what;
    }
    EXPECT_TRUE(recorder.RequestsTo("", "/posted").empty());
}

TEST_F(WebPages, BackAndForwardFollowTheControl) {
    ASSERT_NO_FATAL_FAILURE(OpenAtHome());
    HWND back = NavigationButton(9100);
    HWND forward = NavigationButton(9101);
    ASSERT_NE(back, nullptr);
    ASSERT_NE(forward, nullptr);
    EnableWindow(back, TRUE);
    EnableWindow(forward, TRUE);
    // A fresh navigation: the control reports that it has no page to go
    // back or forward to.
    Command(9104);
    ASSERT_TRUE(recorder.WaitFor("GET", "/home", 2));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(back) && !IsWindowEnabled(forward); }));
    // Going back and forth without history leaves them so, and opens nothing.
    Command(9100);
    Command(9101);
    ASSERT_NO_FATAL_FAILURE(Marker("/after"));
    EXPECT_FALSE(IsWindowEnabled(back));
    EXPECT_FALSE(IsWindowEnabled(forward));
    EXPECT_EQ(recorder.Requests().size(), 3u);
}

// With no home page in main.ini, or one too long for the home address, the
// browser opens the site's own, never a cut address. Through the proxy the
// recorder sees which one it asked for.
TEST_F(WebPages, HomePageFallsBackToTheSitesOwnWhenMissingOrTooLong) {
    Proxy proxy(recorder.Url("").substr(7));
    const std::string prefix = recorder.Url("/");
    const std::string fits = prefix + std::string(499 - prefix.size(), 'h');
    struct Case {
        std::string homePage;  // none when empty
        std::string opened;
    };
    const Case cases[] = {{"", kSiteHome},
                          {fits, fits.substr(prefix.size() - 1)},
                          {fits + "h", kSiteHome},
                          {fits + std::string(500, 'h'), kSiteHome}};
    for (const Case& c : cases) {
        recorder.Clear();
        WriteFile(dir + "\\main.ini", "[main]\r\nname=WebPages\r\n" +
                                          (c.homePage.empty() ? "" : "[URL]\r\nHOMEPAGE=" + c.homePage + "\r\n"));
        ASSERT_NO_FATAL_FAILURE(Open());
        EXPECT_TRUE(PumpUntil([&] { return !recorder.Requests().empty(); }));
        ASSERT_NO_FATAL_FAILURE(Marker("/after"));
        std::vector<HttpRequest> requests = recorder.Requests();
        ASSERT_EQ(requests.size(), 2u) << c.homePage.size();
        EXPECT_EQ(Asked(requests[0]), c.opened) << c.homePage.size();
        EXPECT_EQ(CloseBrowser(browser, window), "");
    }
}

}  // namespace
