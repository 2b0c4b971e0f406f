// The report control's painting, read back from a memory DC through
// WM_PRINTCLIENT and from the window: selection colours with and without
// the focus, alternate rows, grid lines, tree buttons, check states, cut-off
// text, the empty-list text, the entry row's frame, what the parent draws,
// image blends and the sunken edge.
#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <vector>

#include "tests/controls/report/window_fixture.h"
#include "win/gdi.h"

namespace reportwin {
namespace {

class ReportPaint : public ReportWindowTest {
protected:
    DWORD Colour(CReportCtrl::SystemColour which) { return Rgb(report.GetSystemColour(which)); }
    int Count(const Pixels& p, const RECT& box, DWORD colour) {
        int n = 0;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) n += p.At(x, y) == colour;
        return n;
    }
    // Pixels of the row at x, halfway down.
    DWORD RowPixel(const Pixels& p, int row, int x) {
        const RECT r = RowRect(row);
        return p.At(x, (r.top + r.bottom) / 2);
    }
};

TEST_F(ReportPaint, SelectedRowsByFocusAndStyle) {
    struct Case {
        const char* what;
        DWORD style;
        bool focused;
        CReportCtrl::SystemColour background, text;
        bool ownColour;
    };
    const Case cases[] = {
        {"focused", 0, true, CReportCtrl::ColourSelection, CReportCtrl::ColourSelectionText, false},
        {"not focused", 0, false, CReportCtrl::ColourWindow, CReportCtrl::ColourText, false},
        {"kept visible", ShowSelectionAlways, false, CReportCtrl::ColourFace, CReportCtrl::ColourUnfocusedSelectionText,
         false},
        {"own colour, focused", 0, true, CReportCtrl::ColourSelection, CReportCtrl::ColourSelectionText, false},
        {"own colour kept", KeepItemColors, true, CReportCtrl::ColourSelection, CReportCtrl::kSystemColours, true},
    };
    for (const Case& c : cases) {
        Reset();
        Make(c.style, 4);
        report.SetColor(0, RGB(200, 0, 0));
        ReportItem colour{};
        colour.mask = MaskTextColor;
        colour.item = 1;
        colour.subItem = 0;
        colour.textColor = 0;
        if (std::strstr(c.what, "own")) {
            ASSERT_TRUE(report.SetItem(colour));
        }
        report.SelectRows(1, 1, true, false, false, false);
        SetFocus(c.focused ? report.GetSafeHwnd() : parent.hwnd);
        ASSERT_EQ(report.HasKeyboardFocus(), c.focused) << c.what;
        const Pixels p = Render();
        EXPECT_EQ(RowPixel(p, 1, 140), Colour(c.background)) << c.what;
        EXPECT_EQ(RowPixel(p, 0, 140), Colour(CReportCtrl::ColourWindow)) << c.what;
        RECT text;
        ASSERT_TRUE(report.GetItemRect(1, 0, text, PartText));
        const DWORD ink = c.ownColour ? 0xC80000 : Colour(c.text);
        EXPECT_GT(Count(p, text, ink), 3) << c.what;
        // The header paints itself: the control leaves its place alone.
        EXPECT_EQ(p.At(5, 5), 0xFF00FFu) << c.what;
    }
}

TEST_F(ReportPaint, AlternateRowsAndGridLines) {
    struct Case {
        const char* what;
        DWORD style;
        bool colourTable;
    };
    const Case cases[] = {
        {"alternate", AlternateRows, true},         {"alternate without a colour table", AlternateRows, false},
        {"horizontal grid", HorizontalGrid, false}, {"full horizontal grid", HorizontalGrid | FullGrid, false},
        {"vertical grid", VerticalGrid, false},     {"full vertical grid", VerticalGrid | FullGrid, false},
    };
    for (const Case& c : cases) {
        Reset();
        Make(c.style, 3, 2, 60);
        if (c.colourTable) report.SetColor(0, RGB(1, 2, 3));
        const int plainHeight = report.RowHeight() - ((c.style & HorizontalGrid) ? 1 : 0);
        const RECT area = report.ItemArea();
        const Pixels p = Render();
        const DWORD window = Colour(CReportCtrl::ColourWindow), grid = Colour(CReportCtrl::ColourGrid);
        for (int row = 0; row < 3; ++row) {
            const bool tinted = (c.style & AlternateRows) && c.colourTable && row % 2 == 1;
            EXPECT_EQ(RowPixel(p, row, 50), tinted ? 0x010203u : window) << c.what << " row " << row;
            const RECT r = RowRect(row);
            EXPECT_EQ(r.bottom - r.top, report.RowHeight());
            const bool line = (c.style & HorizontalGrid) != 0;
            EXPECT_EQ(p.At(50, r.bottom - 1), line ? grid : tinted ? 0x010203u : window) << c.what << " row " << row;
        }
        if (c.style & HorizontalGrid) {
            ASSERT_GT(plainHeight, 0);
            const int below = RowRect(2).bottom + report.RowHeight() - 1;
            EXPECT_EQ(p.At(50, below), (c.style & FullGrid) ? grid : window) << c.what;
            EXPECT_EQ(p.At(50, below - 1), window) << c.what;
        }
        // Vertical lines at the columns' left edge and each column's right edge.
        const int lowY = area.bottom - 3, rowY = (RowRect(1).top + RowRect(1).bottom) / 2;
        if (c.style & VerticalGrid) {
            for (int x : {0, 59, 119}) EXPECT_EQ(p.At(x, rowY), grid) << c.what << " x " << x;
            EXPECT_EQ(p.At(59, lowY), (c.style & FullGrid) ? grid : window) << c.what;
            EXPECT_EQ(p.At(60, rowY), window) << c.what;
        }
    }
}

TEST_F(ReportPaint, TreeButtonsShowPlusAndMinus) {
    Make(Tree, 0);
    NodeHandle open = AddTree("open");
    AddTree("child", open);
    NodeHandle closed = AddTree("closed");
    AddTree("hidden", closed);
    report.Expand(open, 1);
    const Pixels p = Render();
    const std::vector<std::pair<char, DWORD>> legend{{'S', Colour(CReportCtrl::ColourShadow)},
                                                     {'.', Colour(CReportCtrl::ColourWindow)},
                                                     {'T', Colour(CReportCtrl::ColourText)}};
    auto button = [&](int row) {
        const RECT r = RowRect(row);
        const int h = report.RowHeight(), x = h / 2, y = (r.top + r.top + h) / 2;
        return p.Art(RECT{x - 4, y - 4, x + 5, y + 5}, legend);
    };
    EXPECT_EQ(button(0),
              "SSSSSSSSS\n"
              "S.......S\n"
              "S.......S\n"
              "S.......S\n"
              "S.TTTTT.S\n"
              "S.......S\n"
              "S.......S\n"
              "S.......S\n"
              "SSSSSSSSS\n");
    EXPECT_EQ(button(2),
              "SSSSSSSSS\n"
              "S.......S\n"
              "S...T...S\n"
              "S...T...S\n"
              "S.TTTTT.S\n"
              "S...T...S\n"
              "S...T...S\n"
              "S.......S\n"
              "SSSSSSSSS\n");
    // A leaf has none: its square is plain background.
    const RECT leaf = RowRect(1);
    EXPECT_TRUE(p.All(RECT{0, leaf.top, 2 * report.RowHeight(), leaf.top + report.RowHeight()},
                      Colour(CReportCtrl::ColourWindow)));
}

TEST_F(ReportPaint, CheckStates) {
    const int states[] = {0, 1, 3, 5, 7, 9};
    Make(0, 6);
    for (int i = 0; i < 6; ++i) SetCheck(i, 0, states[i]);
    const Pixels p = Render();
    const DWORD window = Colour(CReportCtrl::ColourWindow);
    struct Look {
        bool box, marked, crossed;
    };
    const Look looks[] = {{true, false, false}, {true, true, false}, {true, true, true},
                          {false, true, false}, {false, true, true}, {true, false, false}};
    std::string art[6];
    for (int i = 0; i < 6; ++i) {
        RECT check;
        ASSERT_TRUE(report.GetItemRect(i, 0, check, PartCheck));
        const int size = report.CheckSize(), top = (check.top + check.bottom) / 2 - size / 2;
        const RECT box{check.left, top, check.left + size, top + size};
        const RECT inner{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3};
        const std::string what = "state " + std::to_string(states[i]);
        EXPECT_EQ(p.At(box.left, box.top) != window, looks[i].box) << what << ": a square's corner";
        int dark = 0;
        for (int y = inner.top; y < inner.bottom; ++y)
            for (int x = inner.left; x < inner.right; ++x) dark += (p.At(x, y) & 0xFF) < 0x60 && p.At(x, y) != 0xFF0000;
        if (!looks[i].crossed) {
            EXPECT_EQ(dark > 0, looks[i].marked) << what << ": the mark";
        }
        EXPECT_EQ(Count(p, box, 0xFF0000) > 4, looks[i].crossed) << what << ": the red cross";
        art[i] = p.Art(box, {{'.', window}});
    }
    EXPECT_EQ(art[5], art[0]) << "9 draws the empty box of 0";
    EXPECT_NE(art[1], art[0]);
}

TEST_F(ReportPaint, CutOffTextEndsInAnEllipsis) {
    Make(0, 2, 1, 70);
    SetText(0, 0, "a name far too long for its cell");
    const Pixels p = Render();
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(report, WM_GETFONT, 0, 0));
    const DWORD window = Colour(CReportCtrl::ColourWindow);
    for (int row = 0; row < 2; ++row) {
        RECT text;
        ASSERT_TRUE(report.GetItemRect(row, 0, text, PartText));
        const std::string content = report.GetItemText(row, 0);
        auto reference = [&](UINT flags) {
            return headertest::Draw(p.width, p.height, window, [&](HDC dc) {
                win::SelectScope select(dc, font);
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, report.GetSystemColour(CReportCtrl::ColourText));
                RECT r = text;
                DrawTextA(dc, content.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | flags);
            });
        };
        const Pixels ellipsis = reference(DT_END_ELLIPSIS), clipped = reference(0);
        auto same = [&](const Pixels& other) {
            for (int y = text.top; y < text.bottom; ++y)
                for (int x = text.left; x < text.right; ++x)
                    if (p.At(x, y) != other.At(x, y)) return false;
            return true;
        };
        EXPECT_TRUE(same(ellipsis)) << content;
        EXPECT_EQ(same(clipped), row == 1) << content << ": a text that fits has no ellipsis";
    }
}

TEST_F(ReportPaint, TheEmptyListTextIsCentred) {
    struct Case {
        int columns, width;
        const char* text;
        int centre;  // -1: no text
    };
    const Case cases[] = {{1, 120, nullptr, 60}, {0, 0, nullptr, -2}, {1, 120, "", -1}, {2, 150, nullptr, -2}};
    for (const Case& c : cases) {
        Reset();
        Make(0, 0, c.columns, c.width);
        if (c.text) report.SetEmptyText(c.text);
        RECT client;
        GetClientRect(report, &client);
        const int centre = c.centre == -2 ? client.right / 2 : c.centre;
        const Pixels p = Render();
        const DWORD ink = Colour(CReportCtrl::ColourText);
        int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
        for (int y = report.ItemArea().top; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.At(x, y) == ink) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        if (c.centre == -1) {
            EXPECT_EQ(right, -1);
            continue;
        }
        ASSERT_GE(right, 0) << c.columns;
        EXPECT_NEAR((left + right) / 2.0, centre, 2.0) << c.columns;
        EXPECT_GE(top, report.ItemArea().top + 2);
        EXPECT_LT(bottom, report.ItemArea().top + 2 + report.RowHeight());
    }
}

TEST_F(ReportPaint, TheEntryRowHasItsFrame) {
    Make(EntryRow, 2);
    SetText(-1, 0, "new");
    const RECT e = report.EntryRowRect();
    const Pixels p = Render();
    const DWORD light = Colour(CReportCtrl::ColourHighlight), dark = Colour(CReportCtrl::ColourDarkShadow);
    EXPECT_TRUE(p.All(RECT{e.left, e.top, e.right - 1, e.top + 1}, light));
    EXPECT_TRUE(p.All(RECT{e.left, e.top, e.left + 1, e.bottom - 1}, light));
    EXPECT_TRUE(p.All(RECT{e.left, e.bottom - 1, e.right, e.bottom}, dark));
    EXPECT_TRUE(p.All(RECT{e.right - 1, e.top, e.right, e.bottom}, dark));
    // Face between the frame and the row, the row itself in the window colour.
    EXPECT_EQ(p.At(e.right - 5, e.top + 1), Colour(CReportCtrl::ColourFace));
    const RECT row = RowRect(-1);
    EXPECT_EQ(row.bottom - row.top, report.RowHeight());
    EXPECT_EQ(p.At(140, (row.top + row.bottom) / 2), Colour(CReportCtrl::ColourWindow));
    EXPECT_EQ(report.ItemArea().top, e.bottom);
}

TEST_F(ReportPaint, TheParentDrawsPreviewBandsAndItsOwnCells) {
    Make(0, 3);
    ReportItem preview{};
    preview.mask = MaskPreview;
    preview.item = 0;
    preview.subItem = -1;
    preview.preview = 10;
    ASSERT_TRUE(report.SetItem(preview));
    SetState(1, StateOwnerDraw);
    RECT band{}, cell{};
    parent.answer = [&](NMHDR& h) -> LRESULT {
        if (h.code == NotifyDrawPreview) {
            auto& n = reinterpret_cast<ReportPreviewNotify&>(h);
            band = {n.left, n.top, n.right, n.bottom};
            win::Brush blue(CreateSolidBrush(RGB(0, 0, 255)));
            FillRect(static_cast<HDC>(n.dc), &band, blue);
        }
        if (h.code == NotifyDrawSubItem) {
            auto& n = reinterpret_cast<ReportDrawNotify&>(h);
            cell = {n.left, n.top, n.right, n.bottom};
            EXPECT_EQ(n.item->item, 1);
            win::Brush green(CreateSolidBrush(RGB(0, 255, 0)));
            FillRect(static_cast<HDC>(n.dc), &cell, green);
            return 1;
        }
        return 0;
    };
    const Pixels p = Render();
    const RECT row0 = RowRect(0);
    EXPECT_EQ(band.top, row0.bottom);
    EXPECT_EQ(band.bottom - band.top, 10);
    EXPECT_EQ(p.At(50, band.top + 5), 0x0000FFu);
    EXPECT_EQ(RowRect(1).top, band.bottom) << "the next row starts below the band";
    EXPECT_TRUE(p.All(cell, 0x00FF00));
    EXPECT_EQ(cell.left, ReportModel::kTextMargin) << "the cell less its margins";
    parent.answer = nullptr;
}

TEST_F(ReportPaint, DropHighlightsBlendTheImage) {
    Make(0, 3);
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
    win::Bitmap bitmap(CreateBitmap(16, 16, 1, 32, nullptr));
    {
        win::MemoryDC dc;
        win::SelectScope select(dc, bitmap);
        win::Brush blue(CreateSolidBrush(RGB(0, 0, 255)));
        RECT all{0, 0, 16, 16};
        FillRect(dc, &all, blue);
    }
    ImageList_Add(images, bitmap, nullptr);
    report.SetImageList(images);
    for (int i = 0; i < 3; ++i) {
        ReportItem image{};
        image.mask = MaskImage;
        image.item = i;
        image.subItem = 0;
        image.image = 0;
        ASSERT_TRUE(report.SetItem(image));
    }
    SetState(1, StateDropHighlight);
    SetState(2, StateDropHighlightStrong);
    const Pixels p = Render();
    // Blends show as a share of the image's pixels in the blend colour.
    int white[3];
    for (int i = 0; i < 3; ++i) {
        RECT r;
        ASSERT_TRUE(report.GetItemRect(i, 0, r, PartImage));
        const int top = (r.top + r.bottom) / 2 - 8 + 1;
        white[i] = Count(p, RECT{r.left, top, r.left + 16, top + 16}, 0xFFFFFF);
        EXPECT_EQ(white[i] + Count(p, RECT{r.left, top, r.left + 16, top + 16}, 0x0000FF), 256) << i;
    }
    EXPECT_EQ(white[0], 0);
    // The platform dithers: 25 and 50 each keep part of the image, and differ.
    for (int i : {1, 2}) {
        EXPECT_GT(white[i], 0) << i;
        EXPECT_LT(white[i], 256) << i;
    }
    EXPECT_NE(white[1], white[2]);
    report.SetImageList(nullptr);
    ImageList_Destroy(images);
}

// What the window shows, frame and scroll bars included, read from the screen.
Pixels Screen(HWND window) {
    RECT place;
    GetWindowRect(window, &place);
    const int width = place.right - place.left, height = place.bottom - place.top;
    return headertest::Draw(width, height, 0, [&](HDC memory) {
        HDC shown = GetWindowDC(window);
        BitBlt(memory, 0, 0, width, height, shown, 0, 0, SRCCOPY);
        ReleaseDC(window, shown);
    });
}

// Scrolling and inserting redraw only what changed, the scroll bar only when
// its thumb moved: the window must still show exactly what a full repaint shows.
TEST_F(ReportPaint, AfterScrollsAndInsertsTheWindowShowsAFullRepaint) {
    const DWORD look = AlternateRows | HorizontalGrid | VerticalGrid | FullGrid;
    using Step = std::function<void()>;
    auto scroll = [&](UINT code, int times) -> Step {
        return [=] {
            for (int i = 0; i < times; ++i) SendMessageA(report, WM_VSCROLL, code, 0);
        };
    };
    auto append = [&](int rows) -> Step {
        return [=] {
            for (int i = 0; i < rows; ++i) {
                if (report.Style() & Tree) {
                    AddTree("new");
                } else {
                    ReportItem item{};
                    item.mask = MaskText;
                    item.item = report.GetItemCount();
                    item.text = const_cast<char*>("new");
                    report.InsertListItem(item);
                }
            }
        };
    };
    struct Case {
        const char* what;
        DWORD style;
        int rows;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"list by lines", look, 60, {scroll(SB_LINEDOWN, 3), scroll(SB_LINEUP, 1), scroll(SB_LINEDOWN, 1)}},
        {"list by pages", look, 60, {scroll(SB_PAGEDOWN, 2), scroll(SB_PAGEUP, 1), scroll(SB_BOTTOM, 1)}},
        {"tree by lines", Tree | look, 20, {scroll(SB_LINEDOWN, 4), scroll(SB_LINEUP, 2)}},
        {"tree by pages", Tree | look, 20, {scroll(SB_PAGEDOWN, 3), scroll(SB_TOP, 1)}},
        {"rows added below a full view", look, 30, {append(1), append(40), scroll(SB_PAGEDOWN, 1), append(5)}},
        {"rows that make the bar appear", Tree | look, 2, {append(3), append(10), scroll(SB_LINEDOWN, 1)}},
        {"a column hidden and shown under an entry row",
         EntryRow | look,
         5,
         {[&] { SetText(-1, 1, "entry"); }, [&] { report.HideColumn(1); }, [&] { report.ShowColumn(1); }}},
    };
    for (const Case& c : cases) {
        Reset();
        Make(c.style, c.rows, 2, 60);
        report.SetColor(0, RGB(1, 2, 3));
        RedrawWindow(report, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            c.steps[i]();
            UpdateWindow(report);
            const Pixels shown = Screen(report);
            RedrawWindow(report, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            const Pixels full = Screen(report);
            ASSERT_GT(std::count(full.data.begin(), full.data.end(), Colour(CReportCtrl::ColourGrid)), 100)
                << c.what << ": the screen was not read";
            EXPECT_TRUE(shown.data == full.data) << c.what << ", step " << i;
        }
    }
}

TEST_F(ReportPaint, TheBorderIsASunkenEdge) {
    Make(0, 2);
    RECT window, client;
    GetWindowRect(report, &window);
    GetClientRect(report, &client);
    const int edge = GetSystemMetrics(SM_CXEDGE);
    EXPECT_EQ(client.right, window.right - window.left - 2 * edge);
    EXPECT_EQ(client.bottom, window.bottom - window.top - 2 * GetSystemMetrics(SM_CYEDGE));
    RedrawWindow(report, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetWindowDC(report);
    const int w = window.right - window.left, h = window.bottom - window.top;
    EXPECT_EQ(GetPixel(dc, 5, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(GetPixel(dc, 5, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(GetPixel(dc, 5, h - 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(GetPixel(dc, w - 2, 20), GetSysColor(COLOR_3DLIGHT));
    ReleaseDC(report, dc);
}

}  // namespace
}  // namespace reportwin
