// The flat header's mouse handling as message sequences: presses, column
// drags with their notifications, vetoes and cancellation, the drop marker,
// the limits kept with the items, the font, and right clicks for the owner.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/controls/flatheader/header_fixture.h"

using namespace headertest;

namespace {

const RECT kParentRect{100, 100, 500, 200};

struct Step {
    enum Kind { Down, Move, Hover, Up, Cancel } kind;
    int x, y;
};

void Play(HWND header, const Step& step) {
    const POINT pt{step.x, step.y};
    switch (step.kind) {
    case Step::Down:
        Mouse(header, WM_LBUTTONDOWN, pt, MK_LBUTTON);
        break;
    case Step::Move:
        Mouse(header, WM_MOUSEMOVE, pt, MK_LBUTTON);
        break;
    case Step::Hover:
        Mouse(header, WM_MOUSEMOVE, pt, 0);
        break;
    case Step::Up:
        Mouse(header, WM_LBUTTONUP, pt, 0);
        break;
    case Step::Cancel:
        SendMessageA(header, WM_CANCELMODE, 0, 0);
        break;
    }
}

bool Shown(const char* popupClass) {
    HWND popup = FindPopup(popupClass);
    return popup && IsWindowVisible(popup);
}

const Notice kBegin0{HDN_BEGINDRAG, 0, 1};
const Notice kEnd0{HDN_ENDDRAG, 0, 0};

struct DragCase {
    const char* name;
    DWORD style;
    LRESULT beginReply;
    std::vector<Step> steps;
    // Checked before the last step.
    bool image, marker, capture;
    // Checked after it.
    std::vector<Notice> notices;
    std::vector<int> order;
    int dropState;
};

// Four columns 0..60, 60..120, 120..180, 180..240; the drag distance is a
// few pixels.
const DragCase kDragCases[] = {
    {"click inside the drag rectangle",
     kReportStyle,
     0,
     {{Step::Down, 30, 10}, {Step::Move, 32, 11}, {Step::Up, 32, 11}},
     false,
     false,
     true,
     {{HDN_ITEMCLICKA, 0, 0}},
     {0, 1, 2, 3},
     0},
    {"onto another divider",
     kReportStyle,
     0,
     {{Step::Down, 30, 10}, {Step::Move, 40, 10}, {Step::Move, 175, 10}, {Step::Up, 175, 10}},
     true,
     true,
     true,
     {kBegin0, kEnd0},
     {1, 2, 0, 3},
     0},
    {"past the last column",
     kReportStyle,
     0,
     {{Step::Down, 30, 10}, {Step::Move, 40, 10}, {Step::Move, 230, 10}, {Step::Up, 230, 10}},
     true,
     true,
     true,
     {kBegin0, kEnd0},
     {1, 2, 3, 0},
     0},
    {"leftwards",
     kReportStyle,
     0,
     {{Step::Down, 210, 10}, {Step::Move, 200, 10}, {Step::Move, 70, 10}, {Step::Up, 70, 10}},
     true,
     true,
     true,
     {{HDN_BEGINDRAG, 3, 1}, {HDN_ENDDRAG, 3, 0}},
     {0, 3, 1, 2},
     0},
    {"over its own dividers",
     kReportStyle,
     0,
     {{Step::Down, 90, 10}, {Step::Move, 100, 10}, {Step::Move, 115, 10}, {Step::Move, 65, 10}, {Step::Up, 65, 10}},
     true,
     false,
     true,
     {{HDN_BEGINDRAG, 1, 1}, {HDN_ENDDRAG, 1, 0}},
     {0, 1, 2, 3},
     0},
    {"released outside every item",
     kReportStyle,
     0,
     {{Step::Down, 30, 10}, {Step::Move, 40, 10}, {Step::Move, 175, 10}, {Step::Move, 175, 80}, {Step::Up, 175, 80}},
     true,
     false,
     true,
     {kBegin0, kEnd0},
     {0, 1, 2, 3},
     -1},
    {"begin vetoed",
     kReportStyle,
     1,
     {{Step::Down, 30, 10}, {Step::Move, 40, 10}, {Step::Move, 175, 10}, {Step::Up, 175, 10}},
     false,
     false,
     true,
     {kBegin0, kEnd0},
     {0, 1, 2, 3},
     0},
    {"cancel mode mid-drag",
     kReportStyle,
     0,
     {{Step::Down, 30, 10},
      {Step::Move, 40, 10},
      {Step::Move, 175, 10},
      {Step::Cancel, 0, 0},
      {Step::Move, 230, 10},
      {Step::Up, 230, 10}},
     false,
     false,
     false,
     {kBegin0},
     {0, 1, 2, 3},
     0},
    {"without HDS_DRAGDROP",
     kReportStyle & ~HDS_DRAGDROP,
     0,
     {{Step::Down, 30, 10}, {Step::Move, 40, 10}, {Step::Move, 175, 10}, {Step::Up, 175, 10}},
     false,
     false,
     true,
     {{HDN_ITEMCLICKA, 0, 0}},
     {0, 1, 2, 3},
     0},
    // Without HDS_BUTTONS nothing holds the mouse: a release elsewhere is
    // not seen, and the hover after it must not start a drag.
    {"release not seen",
     HDS_DRAGDROP | HDS_FULLDRAG,
     0,
     {{Step::Down, 30, 10}, {Step::Hover, 175, 10}, {Step::Hover, 176, 10}},
     false,
     false,
     false,
     {},
     {0, 1, 2, 3},
     0},
};

TEST(HeaderDrag, NotificationsOrderAndPopupsFollowThePress) {
    for (const DragCase& c : kDragCases) {
        SCOPED_TRACE(c.name);
        RecordingParent parent(kParentRect, false);
        parent.beginDragReply = c.beginReply;
        auto header = MakeHeader(parent.hwnd, c.style);
        ASSERT_NE(header, nullptr);
        for (size_t i = 0; i + 1 < c.steps.size(); i++) Play(*header, c.steps[i]);
        EXPECT_EQ(Shown(CFlatHeaderDragWnd::kClassName), c.image);
        EXPECT_EQ(Shown(CFlatHeaderDropWnd::kClassName), c.marker);
        EXPECT_EQ(GetCapture() == header->GetSafeHwnd(), c.capture);
        Play(*header, c.steps.back());
        EXPECT_EQ(parent.notices, c.notices);
        EXPECT_EQ(Order(*header), c.order);
        EXPECT_EQ(header->GetDropState(), c.dropState);
        // Whatever happened, nothing is left behind.
        EXPECT_EQ(FindPopup(CFlatHeaderDragWnd::kClassName), nullptr);
        EXPECT_EQ(FindPopup(CFlatHeaderDropWnd::kClassName), nullptr);
        EXPECT_EQ(GetCapture(), nullptr);
    }
}

TEST(HeaderDrag, ImageFollowsTheCursorCentredAndRefusedDropKeepsTheOrder) {
    RecordingParent parent(kParentRect, false);
    parent.endDragReply = 1;
    auto header = MakeHeader(parent.hwnd, kReportStyle);
    for (Step step : {Step{Step::Down, 90, 10}, Step{Step::Move, 100, 12}, Step{Step::Move, 171, 17}})
        Play(*header, step);
    RECT image;
    ASSERT_TRUE(GetWindowRect(FindPopup(CFlatHeaderDragWnd::kClassName), &image));
    EXPECT_EQ(image.right - image.left, kColumnWidth);  // the pressed item's size
    EXPECT_EQ(image.bottom - image.top, kHeaderHeight);
    EXPECT_EQ(image.left, kParentRect.left + 171 - kColumnWidth / 2);
    EXPECT_EQ(image.top, kParentRect.top + 17 - kHeaderHeight / 2);
    Play(*header, {Step::Up, 171, 17});
    EXPECT_EQ(parent.notices, (std::vector<Notice>{{HDN_BEGINDRAG, 1, 1}, {HDN_ENDDRAG, 1, 0}}));
    EXPECT_EQ(Order(*header), (std::vector<int>{0, 1, 2, 3}));
}

TEST(HeaderDrag, DestroyedMidDragTakesItsPopupsAndCaptureAlong) {
    RecordingParent parent(kParentRect, false);
    auto header = MakeHeader(parent.hwnd, kReportStyle);
    for (Step step : {Step{Step::Down, 30, 10}, Step{Step::Move, 40, 10}, Step{Step::Move, 175, 10}})
        Play(*header, step);
    ASSERT_TRUE(Shown(CFlatHeaderDropWnd::kClassName));
    DestroyWindow(*header);
    EXPECT_EQ(FindPopup(CFlatHeaderDragWnd::kClassName), nullptr);
    EXPECT_EQ(FindPopup(CFlatHeaderDropWnd::kClassName), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(parent.notices, std::vector<Notice>{kBegin0});
}

TEST(HeaderDropMarker, StandsAtTheDividerOfEachPosition) {
    RecordingParent parent(kParentRect, false);
    auto header = MakeHeader(parent.hwnd, kReportStyle);
    const int count = 4;
    struct Case {
        int position;
        int dividerX;  // client x of the marker's tips; -1 hidden
    };
    // Left edges less one; count and count + 1 both at the last right edge.
    const Case cases[] = {{0, -1 + 0},      {1, 59},  {3, 179},        {count, 240},
                          {count + 1, 240}, {-1, -1}, {count + 2, -1}, {2, 119}};
    for (const Case& c : cases) {
        EXPECT_EQ(SendMessageA(*header, HDM_SETHOTDIVIDER, FALSE, c.position), c.position);
        HWND marker = FindPopup(CFlatHeaderDropWnd::kClassName);
        bool hidden = c.position < 0 || c.position > count + 1;
        ASSERT_EQ(marker == nullptr, hidden) << c.position;
        if (hidden) continue;
        RECT r;
        GetWindowRect(marker, &r);
        const int height = kHeaderHeight + 20;
        EXPECT_EQ(r.left, kParentRect.left + c.dividerX - 6) << c.position;
        EXPECT_EQ(r.right - r.left, 12) << c.position;
        EXPECT_EQ(r.top, kParentRect.top + kHeaderHeight / 2 - height / 2) << c.position;  // 10 above the header
        EXPECT_EQ(r.bottom - r.top, height) << c.position;
        EXPECT_TRUE(IsWindowVisible(marker));
    }
    // By a screen point: over the right half of column 1, the divider after it.
    const LPARAM point = MAKELPARAM(kParentRect.left + 100, kParentRect.top + 5);
    EXPECT_EQ(SendMessageA(*header, HDM_SETHOTDIVIDER, TRUE, point), 2);
    EXPECT_EQ(SendMessageA(*header, HDM_SETHOTDIVIDER, TRUE, MAKELPARAM(kParentRect.left + 280, kParentRect.top + 5)),
              -1);
    EXPECT_EQ(FindPopup(CFlatHeaderDropWnd::kClassName), nullptr);
}

TEST(HeaderDropMarker, ShapedAsTwoRedArrowsAroundTheHeader) {
    RecordingParent parent(kParentRect, false);
    auto header = MakeHeader(parent.hwnd, kReportStyle);
    SendMessageA(*header, HDM_SETHOTDIVIDER, FALSE, 1);
    HWND marker = FindPopup(CFlatHeaderDropWnd::kClassName);
    ASSERT_NE(marker, nullptr);
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(marker, shape), ERROR);
    const int h = kHeaderHeight + 20;
    struct Probe {
        int x, y;
        bool inside;
    };
    const Probe probes[] = {{6, 1, true},     {6, 7, true},      {2, 5, true},      {9, 5, true},
                            {6, 12, false},   {6, h / 2, false}, {6, h - 8, true},  {6, h - 2, true},
                            {1, h - 5, true}, {0, 0, false},     {11, h - 1, false}};
    for (const Probe& p : probes) EXPECT_EQ(PtInRegion(shape, p.x, p.y) != FALSE, p.inside) << p.x << "," << p.y;
    DeleteObject(shape);
    // The marker paints itself in the header's marker colour.
    Pixels painted =
        Draw(12, h, 0, [&](HDC dc) { SendMessageA(marker, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0); });
    EXPECT_TRUE(painted.All(RECT{0, 0, 12, h}, 0xFF0000));
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
    EXPECT_EQ(InsertColumn(*header, -1, 50, HDF_STRING, "C"), -1);
    HDITEMA nothing{};  // no mask: the platform refuses it
    EXPECT_LT(SendMessageA(*header, HDM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&nothing)), 0);
    ASSERT_EQ(header->GetItemCount(), 5);

    auto limitsOf = [&](int item) {
        HeaderItemLimits l{-7, -7};
        bool valid = header->GetItemWidthLimits(item, l);
        return valid ? std::to_string(l.minWidth) + "-" + std::to_string(l.maxWidth) : std::string("none");
    };
    auto all = [&] {
        std::vector<std::string> result;
        for (int i = -1; i <= header->GetItemCount(); i++) result.push_back(limitsOf(i));
        return result;
    };
    EXPECT_EQ(all(), (std::vector<std::string>{"none", "0-0", "10-100", "0-0", "20-200", "0-0", "none"}));
    EXPECT_TRUE(SendMessageA(*header, HDM_DELETEITEM, 1, 0));
    EXPECT_FALSE(SendMessageA(*header, HDM_DELETEITEM, 9, 0));
    EXPECT_EQ(all(), (std::vector<std::string>{"none", "0-0", "0-0", "20-200", "0-0", "none"}));
    HeaderItemLimits untouched{3, 4};
    EXPECT_FALSE(header->GetItemWidthLimits(4, untouched));
    EXPECT_EQ(untouched.minWidth, 3);
    EXPECT_EQ(untouched.maxWidth, 4);
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

TEST(HeaderItems, OwnFontAndImageSize) {
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

    HIMAGELIST empty = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    HIMAGELIST list = ImageList_Create(12, 14, ILC_COLOR32, 1, 1);
    HBITMAP tile = CreateBitmap(12, 14, 1, 32, nullptr);
    ImageList_Add(list, tile, nullptr);
    SendMessageA(*header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(empty));
    EXPECT_EQ(SendMessageA(*header, HDM_GETIMAGELIST, 0, 0), reinterpret_cast<LRESULT>(empty));
    SendMessageA(*header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(SendMessageA(*header, HDM_GETIMAGELIST, 0, 0), reinterpret_cast<LRESULT>(list));
    SendMessageA(*header, HDM_SETIMAGELIST, 0, 0);
    DeleteObject(tile);
    ImageList_Destroy(list);
    ImageList_Destroy(empty);
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
