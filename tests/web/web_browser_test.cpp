// The WebBrowser control hosted in-process by CWebBrowser2, against the
// loopback recorder: what the control sends, and the events it reports.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <exdisp.h>
#include <utility>
#include <vector>

#include "lobby/web_browser2.h"
#include "tests/support/testsupport.h"
#include "tests/web/http_recorder.h"

using testsupport::PumpUntil;
using testweb::HttpRecorder;

namespace {

constexpr UINT kViewId = 1002;

class WebBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_TRUE(recorder.Start());
        frame = CreateWindowExA(0, "STATIC", "web view test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_NE(frame, nullptr);
        ASSERT_NE(CreateWindowExA(0, CWebBrowser2::kHostClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 620, 440, frame,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kViewId)), nullptr, nullptr),
                  nullptr);
        browser.onCommandStateChange = [this](long command, bool enable) { states.emplace_back(command, enable); };
        ASSERT_TRUE(browser.Create(frame, kViewId));
    }
    void TearDown() override {
        if (frame) DestroyWindow(frame);
        recorder.Stop();
        OleUninitialize();
    }

    HRESULT Get(const std::string& path) {
        win::Variant url, empty;
        url.SetText(recorder.Url(path));
        return browser.Navigate2(url.Get(), empty.Get(), empty.Get(), empty.Get(), empty.Get());
    }

    HttpRecorder recorder;
    CWebBrowser2 browser;
    HWND frame = nullptr;
    std::vector<std::pair<long, bool>> states;
};

TEST_F(WebBrowser, Navigate2PostsBodyAndHeaderAsGiven) {
    const std::string body = "a=1&b=two words&c=";
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(body.size()));
    void* data;
    SafeArrayAccessData(array, &data);
    memcpy(data, body.data(), body.size());
    SafeArrayUnaccessData(array);
    VARIANT post;
    V_VT(&post) = VT_ARRAY | VT_UI1;
    V_ARRAY(&post) = array;
    win::Variant url, flags, headers;
    url.SetText(recorder.Url("/form"));
    V_VT(headers.Get()) = VT_BSTR;
    V_BSTR(headers.Get()) = SysAllocString(L"Content-Type: application/x-www-form-urlencoded\r\n");

    EXPECT_EQ(browser.Navigate2(url.Get(), flags.Get(), nullptr, &post, headers.Get()), S_OK);
    SafeArrayDestroy(array);
    ASSERT_TRUE(recorder.WaitFor("POST", "/form"));
    testweb::HttpRequest request = recorder.RequestsTo("POST", "/form")[0];
    EXPECT_EQ(request.body, body);
    EXPECT_EQ(request.Header("content-type"), "application/x-www-form-urlencoded");
}

// Wine's control keeps no history without its HTML engine, so the real
// events seen here only ever disable; enabling is checked through the sink.
TEST_F(WebBrowser, ReportsBothNavigationCommandsAfterANavigation) {
    ASSERT_EQ(Get("/one"), S_OK);
    ASSERT_TRUE(recorder.WaitFor("GET", "/one"));
    auto seen = [this](long command) {
        return std::any_of(states.begin(), states.end(), [command](auto& s) { return s.first == command; });
    };
    EXPECT_TRUE(PumpUntil([&] { return seen(CWebBrowser2::kNavigateBack) && seen(CWebBrowser2::kNavigateForward); }));
}

VARIANTARG Long(long value) {
    VARIANTARG arg;
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = value;
    return arg;
}

VARIANTARG Bool(bool value) {
    VARIANTARG arg;
    V_VT(&arg) = VT_BOOL;
    V_BOOL(&arg) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return arg;
}

void Fire(IDispatch* sink, DISPID id, std::vector<VARIANTARG> lastFirst) {
    DISPPARAMS params{lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
    EXPECT_EQ(sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              S_OK);
}

TEST_F(WebBrowser, SinkDecodesCommandStateChangeAsTheControlSendsIt) {
    IDispatch* sink = browser.EventSink();
    ASSERT_NE(sink, nullptr);
    states.clear();
    Fire(sink, CWebBrowser2::kCommandStateChange, {Bool(true), Long(CWebBrowser2::kNavigateBack)});
    Fire(sink, CWebBrowser2::kCommandStateChange, {Bool(false), Long(CWebBrowser2::kNavigateForward)});
    // By-reference arguments, and codes the dialog will ignore, arrive as well.
    VARIANT command = Long(CWebBrowser2::kNavigateForward), enable = Bool(true);
    VARIANTARG byRef[2];
    V_VT(&byRef[0]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&byRef[0]) = &enable;
    V_VT(&byRef[1]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&byRef[1]) = &command;
    Fire(sink, CWebBrowser2::kCommandStateChange, {byRef[0], byRef[1]});
    Fire(sink, CWebBrowser2::kCommandStateChange, {Bool(true), Long(-1)});
    std::vector<std::pair<long, bool>> expected = {{2, true}, {1, false}, {1, true}, {-1, true}};
    EXPECT_EQ(states, expected);

    // Other events and malformed ones are dropped.
    states.clear();
    Fire(sink, 250 /* BeforeNavigate2 */, {Bool(true), Long(2)});
    Fire(sink, CWebBrowser2::kCommandStateChange, {Long(2)});
    Fire(sink, CWebBrowser2::kCommandStateChange, {Bool(true), Long(2), Long(3)});
    VARIANTARG text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(L"back");
    Fire(sink, CWebBrowser2::kCommandStateChange, {Bool(true), text});
    VariantClear(&text);
    EXPECT_TRUE(states.empty());
}

TEST_F(WebBrowser, EventsAfterTheWindowIsGoneReachNoOne) {
    IDispatch* sink = browser.EventSink();
    ASSERT_NE(sink, nullptr);
    sink->AddRef();  // as a control that outlives its container would
    DestroyWindow(frame);
    frame = nullptr;
    EXPECT_FALSE(browser.HasControl());
    EXPECT_EQ(browser.EventSink(), nullptr);
    states.clear();
    Fire(sink, CWebBrowser2::kCommandStateChange, {Bool(true), Long(2)});
    EXPECT_TRUE(states.empty());
    sink->Release();
}

TEST_F(WebBrowser, ControlFillsItsHostWindow) {
    HWND host = GetDlgItem(frame, kViewId);
    for (SIZE size : {SIZE{300, 200}, SIZE{676, 501}, SIZE{0, 0}}) {
        MoveWindow(host, 0, 0, size.cx, size.cy, TRUE);
        HWND control = GetWindow(host, GW_CHILD);
        ASSERT_NE(control, nullptr);
        RECT rect;
        GetWindowRect(control, &rect);
        EXPECT_EQ(rect.right - rect.left, size.cx);
        EXPECT_EQ(rect.bottom - rect.top, size.cy);
    }
}

// Back and forward fail without history, and nothing may come of the
// failures: no other page, no enabled navigation command, no box. The control
// still opens the page asked for next, after anything they would have asked.
TEST_F(WebBrowser, MethodsWithoutHistoryFailQuietly) {
    ASSERT_EQ(Get("/one"), S_OK);
    ASSERT_TRUE(recorder.WaitFor("GET", "/one"));
    browser.GoBack();
    browser.GoForward();
    browser.Stop();
    browser.Refresh();
    const size_t before = states.size();
    ASSERT_EQ(Get("/after"), S_OK);
    ASSERT_TRUE(recorder.WaitFor("GET", "/after"));
    EXPECT_TRUE(PumpUntil([&] { return states.size() >= before + 2; })) << "back and forward told of, disabled";
    std::vector<std::string> paths;
    for (const testweb::HttpRequest& request : recorder.Requests())
        if (paths.empty() || request.path != "/one") paths.push_back(request.path);  // a reload may ask again
    EXPECT_EQ(paths, (std::vector<std::string>{"/one", "/after"}));
    for (auto [command, enable] : states) EXPECT_FALSE(enable) << command;
    for (HWND shown : testsupport::TopLevelWindows(GetCurrentProcessId(), "#32770"))
        EXPECT_FALSE(IsWindowVisible(shown));
}

}  // namespace
