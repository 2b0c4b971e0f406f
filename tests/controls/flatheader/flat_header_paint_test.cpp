// The flat header's painting, read back from a memory DC: face, separators
// and frame, the sort arrow at its pixels, images, bitmaps and text laid out
// by the item's justification, owner-drawn items and the pressed look.
#include <gtest/gtest.h>

#include "tests/controls/flatheader/header_fixture.h"
#include "win/gdi.h"

using namespace headertest;

namespace {

const int kWidth = 200;
const int kHeight = 20;

class HeaderPaint : public ::testing::Test {
protected:
    void SetUp() override {
        header = MakeHeader(parent.hwnd, kReportStyle, 0, kWidth, kHeight);
        ASSERT_NE(header, nullptr);
        face = Rgb(GetSysColor(COLOR_BTNFACE));
        highlight = Rgb(GetSysColor(COLOR_BTNHIGHLIGHT));
        shadow = Rgb(GetSysColor(COLOR_BTNSHADOW));
        text = Rgb(GetSysColor(COLOR_BTNTEXT));
    }
    int Insert(int width, int format, const char* caption = "") {
        return InsertColumn(*header, 1000, width, format, caption);
    }
    void SetItem(int item, UINT mask, int format, HBITMAP bitmap = nullptr, int image = 0) {
        HDITEMA record{};
        record.mask = mask | HDI_FORMAT;
        record.fmt = format;
        record.hbm = bitmap;
        record.iImage = image;
        SendMessageA(*header, HDM_SETITEMA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record));
    }
    // The interior of an item: inside the frame, clear of its separators.
    RECT Interior(int left, int right) const { return {left + 1, 1, right - 1, kHeight - 1}; }
    std::string ArrowArt(const Pixels& p, int x) const {
        const int y = (kHeight - 8 - 1) >> 1;
        return p.Art(RECT{x - 1, y - 1, x + 9, y + 9}, {{'.', face}, {'H', highlight}, {'S', shadow}});
    }
    // Columns of the box that hold anything but the face colour.
    std::vector<int> InkColumns(const Pixels& p, int left, int right) const {
        std::vector<int> columns;
        for (int x = left; x < right; x++)
            if (!p.All(RECT{x, 1, x + 1, kHeight - 1}, face)) columns.push_back(x);
        return columns;
    }

    RecordingParent parent{RECT{0, 0, 400, 100}, false};
    std::unique_ptr<HeaderRightClickHeader> header;
    DWORD face = 0, highlight = 0, shadow = 0, text = 0;
};

// Boxes with their arrow one pixel around, as arrows point up and down.
const char kAscending[] =
    "..........\n"
    "....SH....\n"
    "....SH....\n"
    "...S..H...\n"
    "...S..H...\n"
    "..S....H..\n"
    "..S....H..\n"
    ".S......H.\n"
    "..HHHHHHH.\n"
    "..........\n";
const char kDescending[] =
    "..........\n"
    ".SSSSSSSS.\n"
    ".S......H.\n"
    "..S....H..\n"
    "..S....H..\n"
    "...S..H...\n"
    "...S..H...\n"
    "....SH....\n"
    "....SH....\n"
    "..........\n";

TEST_F(HeaderPaint, EmptyHeaderIsFaceWithoutFrame) {
    Pixels p = Render(*header);
    EXPECT_TRUE(p.All(RECT{0, 0, kWidth, kHeight}, face));
}

TEST_F(HeaderPaint, SeparatorsAndTheFrameAroundTheItemsOnly) {
    Insert(50, HDF_LEFT);
    Insert(60, HDF_LEFT);
    Insert(40, HDF_LEFT);
    for (bool buffered : {true, false}) {
        header->doubleBuffered = buffered;
        Pixels p = Render(*header);
        struct Dot {
            int x, y;
            DWORD colour;
        };
        // Separators at x - 1 and x, rows 2 to height - 3; the frame with
        // highlight top and left, shadow right and bottom, 150 wide.
        const Dot dots[] = {{49, 2, shadow},  {50, 2, highlight},  {49, 17, shadow},    {50, 17, highlight},
                            {109, 9, shadow}, {110, 9, highlight}, {49, 1, face},       {49, 18, face},
                            {51, 9, face},    {0, 0, highlight},   {148, 0, highlight}, {0, 18, highlight},
                            {149, 0, shadow}, {149, 19, shadow},   {0, 19, shadow},     {49, 0, highlight},
                            {49, 19, shadow}, {150, 0, face},      {150, 19, face},     {199, 10, face}};
        for (const Dot& d : dots)
            EXPECT_EQ(p.At(d.x, d.y), d.colour) << "(" << d.x << "," << d.y << ") buffered " << buffered;
        // No separator after the last item: only the frame's right edge.
        EXPECT_TRUE(p.All(RECT{150, 0, kWidth, kHeight}, face));
        EXPECT_TRUE(p.All(RECT{111, 1, 148, kHeight - 1}, face));
    }
}

TEST_F(HeaderPaint, SortArrowAtItsPixelsForEachJustification) {
    struct Case {
        int format;
        bool ascending;
        int arrowX;
        const char* art;
    };
    // Item 0..60, content 6..54; an empty text takes no room.
    const Case cases[] = {
        {HDF_LEFT, true, 6, kAscending},     {HDF_LEFT, false, 6, kDescending},  {HDF_RIGHT, true, 46, kAscending},
        {HDF_RIGHT, false, 46, kDescending}, {HDF_CENTER, true, 46, kAscending}, {HDF_CENTER, false, 46, kDescending},
    };
    Insert(60, HDF_LEFT);
    Insert(60, HDF_LEFT);
    for (const Case& c : cases) {
        SetItem(0, 0, c.format);
        header->SetSortColumn(0, c.ascending);
        Pixels p = Render(*header);
        EXPECT_EQ(ArrowArt(p, c.arrowX), c.art) << "format " << c.format << " ascending " << c.ascending;
        EXPECT_EQ(InkColumns(p, 1, 58).size(), 8u) << "format " << c.format;  // nothing else drawn
    }
    bool ascending = false;
    EXPECT_EQ(header->GetSortColumn(&ascending), 0);
    EXPECT_FALSE(ascending);
    header->SetSortColumn(-1, true);
    EXPECT_TRUE(InkColumns(Render(*header), 1, 58).empty());
}

TEST_F(HeaderPaint, ArrowNeedsEightPixelsOfRoom) {
    Insert(20, HDF_LEFT);  // content 6..14: room for the arrow
    Insert(19, HDF_LEFT);  // content 6..13: too little
    header->SetSortColumn(0, true);
    EXPECT_EQ(ArrowArt(Render(*header), 6), kAscending);
    header->SetSortColumn(1, true);
    EXPECT_TRUE(InkColumns(Render(*header), 21, 38).empty());
}

TEST_F(HeaderPaint, LongTextEndsInAnEllipsisAndTheArrowFollowsTheRoom) {
    const char caption[] = "Players seated at the table";
    Insert(80, HDF_LEFT | HDF_STRING, caption);
    Insert(60, HDF_LEFT);
    header->SetSortColumn(0, true);
    Pixels p = Render(*header);
    // Content 6..74; the text gets 6..60, the arrow 66..74.
    EXPECT_EQ(ArrowArt(p, 66), kAscending);
    EXPECT_TRUE(p.All(RECT{60, 1, 66, kHeight - 1}, face));
    Pixels expected = Draw(kWidth, kHeight, face, [&](HDC dc) {
        win::SelectScope font(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        RECT room{6, 0, 60, kHeight};
        DrawTextA(dc, caption, -1, &room, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    });
    std::vector<std::pair<char, DWORD>> legend{{'.', face}, {'#', text}};
    RECT room{6, 1, 60, kHeight - 1};
    EXPECT_EQ(p.Art(room, legend), expected.Art(room, legend));
    EXPECT_FALSE(p.All(room, face));
}

TEST_F(HeaderPaint, ImageFlagWithoutImageListDrawsNothingAtAll) {
    win::Bitmap bitmap(CreateBitmap(10, 10, 1, 32, nullptr));
    Insert(80, HDF_LEFT | HDF_STRING, "Seats");
    Insert(60, HDF_LEFT);
    header->SetSortColumn(0, true);
    for (int justify : {HDF_LEFT, HDF_RIGHT, HDF_CENTER}) {
        SetItem(0, HDI_BITMAP | HDI_IMAGE, justify | HDF_STRING | HDF_IMAGE | HDF_BITMAP, bitmap);
        EXPECT_TRUE(Render(*header).All(Interior(0, 80), face)) << "justification " << justify;
        // The same item without the image flag shows its parts.
        SetItem(0, HDI_BITMAP, justify | HDF_STRING | HDF_BITMAP, bitmap);
        EXPECT_FALSE(Render(*header).All(Interior(0, 80), face)) << "justification " << justify;
    }
}

TEST_F(HeaderPaint, ImageAndBitmapTakeTheirPlaces) {
    const DWORD green = 0x00C000, blue = 0x0000C0;
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    win::Bitmap tile(CreateBitmap(16, 16, 1, 32, std::vector<DWORD>(256, green).data()));
    ImageList_Add(list, tile, nullptr);
    SendMessageA(*header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
    win::Bitmap square(CreateBitmap(10, 10, 1, 32, std::vector<DWORD>(100, blue).data()));
    Insert(80, HDF_LEFT);
    Insert(60, HDF_LEFT);

    struct Case {
        int format;
        int imageX, bitmapX;  // -1: not drawn
    };
    // Content 6..74; the image is 16 wide, the bitmap 10.
    const Case cases[] = {
        {HDF_LEFT | HDF_BITMAP, -1, 64},
        {HDF_LEFT | HDF_IMAGE | HDF_BITMAP, 6, 64},
        {HDF_RIGHT | HDF_IMAGE | HDF_BITMAP, 22, 6},  // bitmap on the left, then the image
        {HDF_RIGHT | HDF_IMAGE | HDF_BITMAP | HDF_BITMAP_ON_RIGHT, 6, 64},
        {HDF_CENTER | HDF_IMAGE | HDF_BITMAP, 6, 64},
    };
    for (const Case& c : cases) {
        SetItem(0, HDI_BITMAP | HDI_IMAGE, c.format, square);
        Pixels p = Render(*header);
        // Vertically centred: images at 10 - 8, bitmaps at 10 - 5.
        EXPECT_TRUE(c.imageX < 0 || p.All(RECT{c.imageX, 2, c.imageX + 16, 18}, green)) << "format " << c.format;
        EXPECT_TRUE(c.bitmapX < 0 || p.All(RECT{c.bitmapX, 5, c.bitmapX + 10, 15}, blue)) << "format " << c.format;
        size_t expectedInk = (c.imageX >= 0 ? 16u : 0u) + (c.bitmapX >= 0 ? 10u : 0u);
        EXPECT_EQ(InkColumns(p, 1, 78).size(), expectedInk) << "format " << c.format;
    }
    SendMessageA(*header, HDM_SETIMAGELIST, 0, 0);
    ImageList_Destroy(list);
}

TEST_F(HeaderPaint, OwnerDrawnItemGetsOnlyItsSeparator) {
    Insert(60, HDF_OWNERDRAW | HDF_STRING, "Owner");
    Insert(60, HDF_LEFT);
    header->SetSortColumn(0, true);
    Pixels p = Render(*header);
    EXPECT_TRUE(p.All(Interior(0, 59), face));
    EXPECT_EQ(p.At(59, 9), shadow);
    EXPECT_EQ(p.At(60, 9), highlight);
}

TEST_F(HeaderPaint, PressedItemIsInvertedUntilReleased) {
    Insert(60, HDF_LEFT | HDF_STRING, "Name");
    Insert(60, HDF_LEFT | HDF_STRING, "Stakes");
    Insert(60, HDF_LEFT | HDF_STRING, "Seats");
    Pixels normal = Render(*header);
    Mouse(*header, WM_LBUTTONDOWN, POINT{90, 10}, MK_LBUTTON);
    Pixels held = Render(*header);
    // The item 60..120 inverted, under the frame and the next separator.
    auto inverted = [](int x, int y) {
        bool drawnLater = y == 0 || y == kHeight - 1 || (x == 119 && y >= 2 && y < kHeight - 2);
        return x >= 60 && x < 120 && !drawnLater;
    };
    for (int y = 0; y < kHeight; y++) {
        for (int x = 0; x < kWidth; x++) {
            DWORD expected = inverted(x, y) ? normal.At(x, y) ^ 0xFFFFFF : normal.At(x, y);
            ASSERT_EQ(held.At(x, y), expected) << "(" << x << "," << y << ")";
        }
    }
    Mouse(*header, WM_LBUTTONUP, POINT{90, 10}, 0);
    EXPECT_EQ(Render(*header).data, normal.data);
}

}  // namespace
