// Divider tracking and dragging with the real pointer of the test's display:
// capture and cursor clipping act only on real input. The width stays within
// its limits, the cursor is freed however the press ends, and an item
// without limits is tracked unclipped.
#include <gtest/gtest.h>

#include <functional>

#include "tests/controls/flatheader/header_fixture.h"
#include "tests/support/testsupport.h"

using namespace headertest;
using testsupport::PumpUntil;

namespace {

const RECT kParentRect{200, 200, 600, 260};
const int kWaitMs = 5000;
const POINT kParking{1270, 1010};  // away from every window of the tests

void SendMouse(POINT screen, DWORD buttons = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &input, sizeof input);
}

RECT FreeClip() {
    return RECT{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

std::string CurrentClip() {
    RECT clip{};
    GetClipCursor(&clip);
    return Describe(clip);
}

class HeaderInput : public ::testing::Test {
public:
    void SetUp() override {
        ClipCursor(nullptr);
        SendMouse(kParking);
        header = MakeHeader(parent.hwnd, kReportStyle);
        ASSERT_NE(header, nullptr);
        ASSERT_TRUE(header->SetItemWidthLimits(0, 40, 100));
        SetForegroundWindow(parent.hwnd);
        UpdateWindow(parent.hwnd);
        testsupport::PumpFor(50);
    }
    void TearDown() override {
        SendMouse(kParking, MOUSEEVENTF_LEFTUP);
        PumpUntil([] { return GetCapture() == nullptr; }, kWaitMs);
        ClipCursor(nullptr);
    }
    POINT Screen(int x, int y) const { return {kParentRect.left + x, kParentRect.top + y}; }
    // A point on the divider at item's right edge, as the header hit-tests it.
    POINT Divider(int item) const {
        RECT r;
        SendMessageA(*header, HDM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
        HDHITTESTINFO info{};
        info.pt = {r.right - 2, 12};
        SendMessageA(*header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_TRUE(info.flags & HHT_ONDIVIDER);
        EXPECT_EQ(info.iItem, item);
        return Screen(info.pt.x, info.pt.y);
    }
    int Width(int item) const {
        HDITEMA record{};
        record.mask = HDI_WIDTH;
        SendMessageA(*header, HDM_GETITEMA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record));
        return record.cxy;
    }
    bool Press(POINT at) {
        SendMouse(at);
        if (!PumpUntil([&] { return CursorAt(at); }, kWaitMs)) return false;
        SendMouse(at, MOUSEEVENTF_LEFTDOWN);
        return PumpUntil([&] { return GetCapture() == header->GetSafeHwnd(); }, kWaitMs);
    }
    bool Release(POINT at) {
        SendMouse(at, MOUSEEVENTF_LEFTUP);
        return PumpUntil([] { return GetCapture() == nullptr; }, kWaitMs);
    }
    static bool CursorAt(POINT at) {
        POINT now;
        return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
    }
    bool WidthBecomes(int item, int width) {
        return PumpUntil([&] { return Width(item) == width; }, kWaitMs);
    }

    RecordingParent parent{kParentRect, true};
    std::unique_ptr<HeaderRightClickHeader> header;
};

TEST_F(HeaderInput, DividerTracksWithinItsLimitsAndFreesTheCursorOnRelease) {
    const RECT free = FreeClip();
    struct Case {
        int item;
        RECT clip;     // while pressed
        int moves[3];  // client x the pointer goes to, each giving the next width
        int widths[3];
    };
    // Column 1 has no limits. Column 0 (widths 40..100) is pressed 2 pixels
    // left of its edge at 260: the cursor may go from 200 + 40 - 2 to 200 + 100 - 2.
    const Case cases[] = {{1, free, {268, 130, 178}, {210, 72, 120}},
                          {0, {238, free.top, 299, free.bottom}, {380, -150, 60}, {100, 40, 62}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        ASSERT_TRUE(Press(Divider(c.item)));
        EXPECT_EQ(CurrentClip(), Describe(c.clip));
        for (int i = 0; i < 3; i++) {
            SendMouse(Screen(c.moves[i], 12));
            EXPECT_TRUE(WidthBecomes(c.item, c.widths[i])) << Width(c.item) << " for " << c.moves[i];
        }
        ASSERT_TRUE(Release(Screen(c.moves[2], 12)));
        EXPECT_EQ(CurrentClip(), Describe(free));
        EXPECT_EQ(Width(c.item), c.widths[2]);
    }
}

TEST_F(HeaderInput, CursorIsFreedHoweverThePressEnds) {
    struct Case {
        const char* name;
        std::function<void(HeaderInput&)> end;
    };
    const Case cases[] = {
        {"cancel mode", [](HeaderInput& t) { SendMessageA(*t.header, WM_CANCELMODE, 0, 0); }},
        {"capture taken", [](HeaderInput& t) { SetCapture(t.parent.hwnd); }},
        {"window destroyed", [](HeaderInput& t) { DestroyWindow(*t.header); }},
        {"object destroyed", [](HeaderInput& t) { t.header.reset(); }},
    };
    const RECT outer{100, 100, 1000, 900};  // someone else's clip, in force before the press
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        header = MakeHeader(parent.hwnd, kReportStyle);
        ASSERT_TRUE(header->SetItemWidthLimits(0, 40, 100));
        ClipCursor(&outer);
        ASSERT_TRUE(Press(Divider(0)));
        EXPECT_EQ(CurrentClip(), Describe(RECT{238, outer.top, 299, outer.bottom}));
        c.end(*this);
        EXPECT_EQ(CurrentClip(), Describe(outer));
        SendMouse(Screen(100, 12), MOUSEEVENTF_LEFTUP);
        PumpUntil([&] { return CursorAt(Screen(100, 12)); }, kWaitMs);
        ReleaseCapture();
        EXPECT_EQ(CurrentClip(), Describe(outer));
        ClipCursor(nullptr);
    }
}

TEST_F(HeaderInput, DraggedColumnLandsAtTheMarkedDivider) {
    ASSERT_TRUE(Press(Screen(30, 12)));
    for (int x : {40, 100, 175}) {
        SendMouse(Screen(x, 12));
        ASSERT_TRUE(PumpUntil([&] { return CursorAt(Screen(x, 12)); }, kWaitMs)) << x;
    }
    EXPECT_TRUE(PumpUntil([] { return FindPopup(CFlatHeaderDropWnd::kClassName) != nullptr; }, kWaitMs));
    HWND image = FindPopup(CFlatHeaderDragWnd::kClassName);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(IsWindowVisible(image));
    ASSERT_TRUE(Release(Screen(175, 12)));
    EXPECT_EQ(Names(parent.notices), "begin 0 1, end 0 0");
    EXPECT_EQ(Order(*header), (std::vector<int>{1, 2, 0, 3}));
    EXPECT_EQ(FindPopup(CFlatHeaderDragWnd::kClassName), nullptr);
}

}  // namespace
