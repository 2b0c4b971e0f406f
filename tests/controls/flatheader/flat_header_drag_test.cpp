// The flat header's mouse handling as message sequences: presses, column
// drags with their notifications, vetoes and cancellation, the drop marker,
// the limits kept with the items, the font, and right clicks for the owner.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/controls/flatheader/header_fixture.h"

using namespace headertest;

namespace {

const RECT kParentRect{100, 100, 500, 200};

// A press as a script of steps "dX[,Y]" down, "mX[,Y]" move with the button,
// "hX[,Y]" hover, "uX[,Y]" up (Y defaults to 10), "c" cancel mode and "x"
// destroying the header. Returns the last point moved to.
POINT Play(HWND header, const std::string& steps) {
    std::istringstream in(steps);
    std::string step;
    POINT last{};
    while (in >> step) {
        POINT pt{std::atoi(step.c_str() + 1), 10};
        if (size_t comma = step.find(','); comma != std::string::npos) pt.y = std::atoi(step.c_str() + comma + 1);
        switch (step[0]) {
        case 'd':
            Mouse(header, WM_LBUTTONDOWN, pt, MK_LBUTTON);
            break;
        case 'm':
            Mouse(header, WM_MOUSEMOVE, last = pt, MK_LBUTTON);
            break;
        case 'h':
            Mouse(header, WM_MOUSEMOVE, pt, 0);
            break;
        case 'u':
            Mouse(header, WM_LBUTTONUP, pt, 0);
            break;
        case 'c':
            SendMessageA(header, WM_CANCELMODE, 0, 0);
            break;
        case 'x':
            DestroyWindow(header);
            break;
        }
    }
    return last;
}

HWND Shown(const char* popupClass) {
    HWND popup = FindPopup(popupClass);
    return popup && IsWindowVisible(popup) ? popup : nullptr;
}

std::string Joined(const std::vector<int>& order) {
    std::string joined;
    for (int i : order) joined += std::to_string(i);
    return joined;
}

struct DragCase {
    const char* name;
    DWORD style;
    LRESULT beginReply, endReply;
    const char* press;  // up to the checks midway
    bool image, marker, capture;
    const char* end;  // the rest of the press
    const char* notices;
    const char* order;
    int dropState;
};

// Four columns 0..60, 60..120, 120..180, 180..240; the drag distance is a
// few pixels. A drag notifies with button 1 at its begin and 0 at its end.
const DragCase kDragCases[] = {
    {"click inside the drag rectangle", kReportStyle, 0, 0, "d30 m32,11", false, false, true, "u32,11", "click 0 0",
     "0123", 0},
    {"onto another divider", kReportStyle, 0, 0, "d30 m40 m175,17", true, true, true, "u175", "begin 0 1, end 0 0",
     "1203", 0},
    {"past the last column", kReportStyle, 0, 0, "d30 m40 m230", true, true, true, "u230", "begin 0 1, end 0 0", "1230",
     0},
    {"leftwards", kReportStyle, 0, 0, "d210 m200 m70", true, true, true, "u70", "begin 3 1, end 3 0", "0312", 0},
    {"over its own dividers", kReportStyle, 0, 0, "d90 m100 m115 m65", true, false, true, "u65", "begin 1 1, end 1 0",
     "0123", 0},
    {"released outside every item", kReportStyle, 0, 0, "d30 m40 m175 m175,80", true, false, true, "u175,80",
     "begin 0 1, end 0 0", "0123", -1},
    {"begin vetoed", kReportStyle, 1, 0, "d30 m40 m175", false, false, true, "u175", "begin 0 1, end 0 0", "0123", 0},
    {"drop refused", kReportStyle, 0, 1, "d30 m40 m175", true, true, true, "u175", "begin 0 1, end 0 0", "0123", 0},
    {"cancel mode mid-drag", kReportStyle, 0, 0, "d30 m40 m175 c", false, false, false, "m230 u230", "begin 0 1",
     "0123", 0},
    {"destroyed mid-drag", kReportStyle, 0, 0, "d30 m40 m175", true, true, true, "x", "begin 0 1", "", 0},
    {"without HDS_DRAGDROP", kReportStyle & ~HDS_DRAGDROP, 0, 0, "d30 m40 m175", false, false, true, "u175",
     "click 0 0", "0123", 0},
    // Without HDS_BUTTONS nothing holds the mouse: a release elsewhere is
    // not seen, and the hover after it must not start a drag.
    {"release not seen", HDS_DRAGDROP | HDS_FULLDRAG, 0, 0, "d30 h175", false, false, false, "h176", "", "0123", 0},
};

TEST(HeaderDrag, NotificationsOrderAndPopupsFollowThePress) {
    for (const DragCase& c : kDragCases) {
        SCOPED_TRACE(c.name);
        RecordingParent parent(kParentRect, false);
        parent.beginDragReply = c.beginReply;
        parent.endDragReply = c.endReply;
        auto header = MakeHeader(parent.hwnd, c.style);
        ASSERT_NE(header, nullptr);
        POINT cursor = Play(*header, c.press);
        HWND image = Shown(CFlatHeaderDragWnd::kClassName);
        EXPECT_EQ(image != nullptr, c.image);
        EXPECT_EQ(Shown(CFlatHeaderDropWnd::kClassName) != nullptr, c.marker);
        EXPECT_EQ(GetCapture() == header->GetSafeHwnd(), c.capture);
        RECT r;
        if (image && GetWindowRect(image, &r)) {  // the pressed item, centred on the cursor
            EXPECT_EQ(r.right - r.left, kColumnWidth);
            EXPECT_EQ(r.bottom - r.top, kHeaderHeight);
            EXPECT_EQ(r.left, kParentRect.left + cursor.x - kColumnWidth / 2);
            EXPECT_EQ(r.top, kParentRect.top + cursor.y - kHeaderHeight / 2);
        }
        Play(*header, c.end);
        EXPECT_EQ(Names(parent.notices), c.notices);
        EXPECT_EQ(Joined(Order(*header)), c.order);
        EXPECT_EQ(header->GetDropState(), c.dropState);
        // Whatever happened, nothing is left behind.
        EXPECT_EQ(FindPopup(CFlatHeaderDragWnd::kClassName), nullptr);
        EXPECT_EQ(FindPopup(CFlatHeaderDropWnd::kClassName), nullptr);
        EXPECT_EQ(GetCapture(), nullptr);
    }
}

TEST(HeaderDropMarker, TwoRedArrowsAtTheDividerOfEachPosition) {
    RecordingParent parent(kParentRect, false);
    auto header = MakeHeader(parent.hwnd, kReportStyle);
    const int count = 4, height = kHeaderHeight + 20;
    struct Case {
        int position;
        int dividerX;  // client x of the arrows' tips
    };
    // Left edges less one; count and count + 1 both at the last right edge.
    const Case cases[] = {{0, -1}, {1, 59}, {3, 179}, {count, 240}, {count + 1, 240}, {-1, 0}, {count + 2, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(SendMessageA(*header, HDM_SETHOTDIVIDER, FALSE, c.position), c.position);
        HWND marker = Shown(CFlatHeaderDropWnd::kClassName);
        ASSERT_EQ(marker != nullptr, c.position >= 0 && c.position <= count + 1) << c.position;
        RECT r;
        if (!marker || !GetWindowRect(marker, &r)) continue;
        // 12 wide, centred on the divider, reaching 10 above and below the header.
        EXPECT_EQ(r.left, kParentRect.left + c.dividerX - 6) << c.position;
        EXPECT_EQ(r.top, kParentRect.top - 10) << c.position;
        EXPECT_EQ(r.right - r.left, 12) << c.position;
        EXPECT_EQ(r.bottom - r.top, height) << c.position;
    }
    // By a screen point: over the right half of column 1, the divider after it.
    EXPECT_EQ(SendMessageA(*header, HDM_SETHOTDIVIDER, TRUE, MAKELPARAM(kParentRect.left + 100, kParentRect.top)), 2);
    HWND marker = Shown(CFlatHeaderDropWnd::kClassName);
    ASSERT_NE(marker, nullptr);
    // Only the two arrows belong to the window, painted in the marker colour.
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(marker, shape), ERROR);
    const POINT inside[] = {{6, 1}, {6, 7}, {2, 5}, {9, 5}, {6, height - 8}, {6, height - 2}, {1, height - 5}};
    const POINT outside[] = {{6, 12}, {6, height / 2}, {0, 0}, {11, height - 1}};
    for (POINT p : inside) EXPECT_TRUE(PtInRegion(shape, p.x, p.y)) << p.x << "," << p.y;
    for (POINT p : outside) EXPECT_FALSE(PtInRegion(shape, p.x, p.y)) << p.x << "," << p.y;
    DeleteObject(shape);
    Pixels painted =
        Draw(12, height, 0, [&](HDC dc) { SendMessageA(marker, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0); });
    EXPECT_TRUE(painted.All(RECT{0, 0, 12, height}, 0xFF0000));
}

TEST(HeaderItems, LimitsFollowTheItemsExactly) {
    RecordingParent parent(kParentRect, false);
    auto header = MakeHeader(parent.hwnd, kReportStyle, 2);
    ASSERT_TRUE(header->SetItemWidthLimits(0, 10, 100));
    ASSERT_TRUE(header->SetItemWidthLimits(1, 20, 200));
    EXPECT_FALSE(header->SetItemWidthLimits(2, 1, 1));
    // Inserted before item 1 (wide and narrow entry points), past the end, and refused.
    EXPECT_EQ(InsertColumn(*header, 1, 50, HDF_STRING, "A"), 1);
    HDITEMW wide{};
    wide.mask = HDI_WIDTH;
    wide.cxy = 40;
    EXPECT_EQ(SendMessageA(*header, HDM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&wide)), 0);
    EXPECT_EQ(InsertColumn(*header, 99, 50, HDF_STRING, "B"), 4);
    EXPECT_EQ(InsertColumn(*header, -1, 50, HDF_STRING, "C"), -1);  // refused by the platform
    ASSERT_EQ(header->GetItemCount(), 5);
    // Every record from -1 to count; outside the records the output is left alone.
    auto all = [&] {
        std::string result;
        for (int i = -1; i <= header->GetItemCount(); i++) {
            HeaderItemLimits l{-7, -7};
            header->GetItemWidthLimits(i, l);
            result += std::to_string(l.minWidth) + "/" + std::to_string(l.maxWidth) + " ";
        }
        return result;
    };
    EXPECT_EQ(all(), "-7/-7 0/0 10/100 0/0 20/200 0/0 -7/-7 ");
    EXPECT_TRUE(SendMessageA(*header, HDM_DELETEITEM, 1, 0));
    EXPECT_FALSE(SendMessageA(*header, HDM_DELETEITEM, 9, 0));
    EXPECT_EQ(all(), "-7/-7 0/0 0/0 20/200 0/0 -7/-7 ");
}

TEST(HeaderItems, AttachedHeaderStartsWithRecordsForItsItems) {
    RecordingParent parent(kParentRect, false);
    HWND platform = CreateWindowExA(0, WC_HEADERA, "", WS_CHILD | kReportStyle, 0, 0, 300, 24, parent.hwnd, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(platform, nullptr);
    InsertColumn(platform, 0, 60, HDF_STRING, "One");
    InsertColumn(platform, 1, 60, HDF_STRING, "Two");
    {
        CFlatHeaderCtrl header;
        ASSERT_TRUE(header.SubclassWindow(platform));
        EXPECT_TRUE(header.SetItemWidthLimits(1, 5, 6));
        EXPECT_FALSE(header.SetItemWidthLimits(2, 5, 6));
    }
    EXPECT_TRUE(IsWindow(platform));  // not ours to destroy
    DestroyWindow(platform);
}

TEST(HeaderItems, KeepsACopyOfItsFont) {
    RecordingParent parent(kParentRect, false);
    auto header = MakeHeader(parent.hwnd, kReportStyle, 1);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(*header, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA description{};
    description.lfHeight = -17;
    lstrcpyA(description.lfFaceName, "Arial");
    HFONT given = CreateFontIndirectA(&description);
    SendMessageA(*header, WM_SETFONT, reinterpret_cast<WPARAM>(given), FALSE);
    HFONT own = reinterpret_cast<HFONT>(SendMessageA(*header, WM_GETFONT, 0, 0));
    EXPECT_NE(own, given);  // a copy of its own, unharmed when the caller deletes the original
    DeleteObject(given);
    LOGFONTA copy{};
    ASSERT_EQ(GetObjectA(own, sizeof copy, &copy), static_cast<int>(sizeof copy));
    EXPECT_EQ(copy.lfHeight, -17);
    EXPECT_STREQ(copy.lfFaceName, "Arial");
    SendMessageA(*header, WM_SETFONT, 0, FALSE);  // a null font keeps the own one
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(*header, WM_GETFONT, 0, 0)), own);
}

TEST(HeaderRightClick, ReportsItemsUnderThePressToTheOwner) {
    RecordingParent parent(kParentRect, false);
    auto header = MakeHeader(parent.hwnd, kReportStyle);
    std::vector<std::string> reports;
    bool consume = true;
    header->SetRightClickHandler([&](int item, POINT pt) {
        reports.push_back(std::to_string(item) + "@" + std::to_string(pt.x));
        return consume;
    });
    SendMessageA(*header, HDM_SETORDERARRAY, 4, reinterpret_cast<LPARAM>(std::vector<int>{2, 0, 1, 3}.data()));
    SendMessageA(*header, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 10));   // item 2 is shown first
    SendMessageA(*header, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(270, 10));  // right of every item
    consume = false;
    EXPECT_EQ(SendMessageA(*header, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(200, 10)), 0);
    EXPECT_EQ(reports, (std::vector<std::string>{"2@30", "3@200"}));
    EXPECT_TRUE(parent.notices.empty());
}

}  // namespace
