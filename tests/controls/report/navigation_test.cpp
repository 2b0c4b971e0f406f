// The report control's screen logic without a window: where rows and cell
// parts lie and what a point hits, what keys, clicks, the wheel and the
// scroll bars do to focus, selection and scrolling, including on an empty
// control, without a focus row, and with absurd wheel settings and indents.
#include <algorithm>
#include <climits>
#include <sstream>
#include <utility>

#include "tests/controls/report/report_fixture.h"

namespace report_test {
namespace {

constexpr int kRow = 16;

// Two columns of 60 and 80 pixels, rows of 16, an item area of six rows
// below a 20-pixel header, images 16 and checks 14 wide.
class Screen : public TestReport {
public:
    void Make(uint32_t style, int rows, int areaWidth = 150) {
        CacheStyle(style);
        DefineSubItem({});
        DefineSubItem({});
        SetColumns({{0, 60}, {1, 80}}, {0, 1});
        AdjustTotalColumnWidth(140);
        SetRowHeight(kRow);
        SetPartWidths(16, 14);
        SetAreas({0, 20, areaWidth, 20 + 6 * kRow}, (style & EntryRow) ? Box{0, 0, 150, kRow} : Box{});
        for (int i = 0; i < rows; ++i) {
            ReportItem item{};
            item.mask = MaskText;
            item.item = i;
            std::string text = "r" + std::to_string(i);
            item.text = text.data();
            InsertListItem(item);
        }
    }
    void Focus(int row) {
        SelectRows(row, row, row != -2, false, false, false);
        SetAnchorRow(row);
    }
    // "focus 3 top 1 sel 2 3"
    std::string State() {
        std::ostringstream out;
        out << "focus " << FocusRow() << " top " << TopRow() << " sel";
        std::vector<int> selection = GetSelection();
        std::sort(selection.begin(), selection.end());
        for (int item : selection) out << " " << item;
        return out.str();
    }
    // The focus and selected bits agree with the focus row and the selection list.
    std::string Problems() {
        const std::vector<int> listed = GetSelection();
        const int focusItem = RowToItem(FocusRow());
        for (int item = -1; item < GetItemCount(); ++item) {
            ReportItem query{};
            query.item = item;
            query.subItem = -1;
            GetItem(query);
            const bool selected = std::find(listed.begin(), listed.end(), item) != listed.end();
            if (((query.state & StateSelected) != 0) != selected) return "selection of " + std::to_string(item);
            if (((query.state & StateFocused) != 0) != (item == focusItem)) return "focus of " + std::to_string(item);
        }
        return "";
    }
    void SetCell(int item, int subItem, const char* text, int image = -1, int check = -1) {
        ReportItem cell{};
        cell.mask = MaskText | (image >= 0 ? MaskImage : 0) | (check >= 0 ? MaskCheck : 0);
        cell.item = item;
        cell.subItem = subItem;
        cell.text = const_cast<char*>(text);
        cell.image = image;
        cell.check = check;
        EXPECT_TRUE(SetItem(cell));
    }
    void SetItemField(int item, uint32_t mask, int value) {
        ReportItem field{};
        field.mask = mask;
        field.item = item;
        field.subItem = -1;
        field.indent = field.preview = value;
        EXPECT_TRUE(SetItem(field));
    }
    Box HitBox(const ReportHitTest& hit) const { return {hit.left, hit.top, hit.right, hit.bottom}; }
};

// --- geometry and hit testing -----------------------------------------------------

TEST(ReportScreen, HitTestNamesEveryPartOfTheCell) {
    Screen report;
    report.Make(EntryRow, 4);
    report.SetCell(0, 0, "a", 1, 0);
    report.SetCell(0, 1, "b");
    report.SetItemField(2, MaskPreview, 8);  // row 2 is 24 pixels tall
    ASSERT_TRUE(report.SetItemText(-1, 1, "entry"));
    struct Case {
        int x, y;
        uint32_t flags;
        int item, subItem, column, row;
        Box box;
    };
    const Box row0a{0, 20, 60, 36}, row0b{60, 20, 140, 36}, row1a{0, 36, 60, 52};
    const Case cases[] = {
        {5, 19, HitAbove, -2, -1, -1, -2, {}},
        {5, 116, HitBelow, -2, -1, -1, -2, {}},
        {-1, 30, HitLeft, -2, -1, -1, -2, {}},
        {150, 30, HitRight, -2, -1, -1, -2, {}},
        {3, 25, HitImage, 0, 0, 0, 0, row0a},  // the margin before an image is the image's
        {27, 25, HitImage, 0, 0, 0, 0, row0a},
        {28, 25, HitCheck, 0, 0, 0, 0, row0a},
        {47, 25, HitCheck, 0, 0, 0, 0, row0a},
        {48, 25, HitText, 0, 0, 0, 0, row0a},
        {53, 25, HitText, 0, 0, 0, 0, row0a},
        {54, 25, HitNowhere, 0, 0, 0, 0, row0a},
        {62, 25, HitNowhere, 0, 1, 1, 0, row0b},
        {66, 35, HitText, 0, 1, 1, 0, row0b},
        {3, 40, HitNowhere, 1, 0, 0, 1, row1a},
        {6, 40, HitText, 1, 0, 0, 1, row1a},
        {10, 70, HitPreview, 2, -1, -1, 2, {0, 68, 140, 76}},
        {145, 25, HitNowhere, -2, -1, -1, -2, {}},   // right of the last column
        {100, 100, HitNowhere, -2, -1, -1, -2, {}},  // below the last row
        {70, 8, HitEntryRow | HitText, -1, 1, 1, -1, {60, 0, 140, kRow}},
        {145, 8, HitEntryRow | HitNowhere, -2, -1, -1, -2, {}},
        {70, 18, HitAbove, -2, -1, -1, -2, {}},  // between the entry row and the items
    };
    for (const Case& c : cases) {
        ReportHitTest hit{};
        hit.x = c.x;
        hit.y = c.y;
        const int item = report.HitTest(hit);
        const std::string at = std::to_string(c.x) + "," + std::to_string(c.y);
        EXPECT_EQ(hit.flags, c.flags) << at;
        EXPECT_EQ(item, c.item) << at;
        EXPECT_EQ(hit.item, c.item) << at;
        EXPECT_EQ(hit.subItem, c.subItem) << at;
        EXPECT_EQ(hit.column, c.column) << at;
        EXPECT_EQ(hit.row, c.row) << at;
        if (c.item != -2) {
            EXPECT_EQ(report.HitBox(hit), c.box) << at;
        }
    }
}

TEST(ReportScreen, TreeButtonsIndentsAndSpanningRows) {
    Screen report;
    report.CacheStyle(Tree);
    report.Make(Tree, 0);
    NodeHandle group = report.InsertItem("group", -1, -1, -1, RootNode, LastChild, -1);
    NodeHandle user = report.InsertItem("user", -1, -1, -1, group, LastChild, -1);
    report.Expand(group, 1);
    NodeHandle banner = report.InsertItem(nullptr, -1, -1, -1, RootNode, LastChild, 1);
    NodeInfo info;
    report.GetNodeInfo(banner, info);
    ASSERT_TRUE(report.SetItemText(info.item, 1, "a banner over the whole row"));
    struct Case {
        int x, y;
        uint32_t flags;
        int subItem;
        Box box;
    };
    const Case cases[] = {
        {0, 25, HitTreeButton, 0, {0, 20, kRow, 36}},  // level 1: the button left of the text
        {15, 25, HitTreeButton, 0, {0, 20, kRow, 36}},
        {22, 25, HitText, 0, {kRow, 20, 60, 36}},
        {10, 40, HitNowhere, 0, {0, 36, 60, 52}},  // the indent of a leaf at level 2
        {2 * kRow + 6, 40, HitText, 0, {2 * kRow, 36, 60, 52}},
        {100, 60, HitText, 1, {kRow, 52, 140, 68}},  // the banner spans the row
    };
    for (const Case& c : cases) {
        ReportHitTest hit{};
        hit.x = c.x;
        hit.y = c.y;
        report.HitTest(hit);
        EXPECT_EQ(hit.flags, c.flags) << c.x << "," << c.y;
        EXPECT_EQ(hit.subItem, c.subItem) << c.x << "," << c.y;
        EXPECT_EQ(report.HitBox(hit), c.box) << c.x << "," << c.y;
        EXPECT_NE(hit.node, 0u);
    }
    Box text;
    ASSERT_TRUE(report.GetItemBox(info.item, 1, text, PartTextToRowEnd));
    EXPECT_EQ(text, (Box{kRow + 6, 52, 134, 68}));
    (void)user;
}

TEST(ReportScreen, RowAndPartRectangles) {
    Screen report;
    report.Make(0, 10, 100);
    report.SetCell(0, 0, "a", 1, 0);
    report.SetCell(0, 1, "b");
    report.SetCell(1, 0, "c", -1, 2);
    struct Case {
        int item, subItem, part;
        bool found;
        Box box;
    };
    const Case cases[] = {
        {0, 0, PartCell, true, {0, 20, 60, 36}},
        {0, 0, PartImage, true, {6, 20, 22, 36}},
        {0, 0, PartCheck, true, {28, 20, 42, 36}},
        {0, 0, PartText, true, {48, 20, 54, 36}},
        {0, 0, PartTextToRowEnd, true, {48, 20, 134, 36}},
        {0, 1, PartText, true, {66, 20, 134, 36}},
        {0, 1, PartImage, false, {}},
        {1, 0, PartCheck, true, {6, 36, 20, 52}},
        {1, 0, PartText, true, {26, 36, 54, 52}},
        {1, 0, 5, false, {}},
        {6, 0, PartCell, false, {}},   // below the area
        {-1, 0, PartCell, false, {}},  // no entry row
    };
    for (const Case& c : cases) {
        Box box;
        EXPECT_EQ(report.GetItemBox(c.item, c.subItem, box, c.part), c.found)
            << c.item << "/" << c.subItem << "/" << c.part;
        if (c.found) {
            EXPECT_EQ(box, c.box) << c.item << "/" << c.subItem << "/" << c.part;
        }
    }
    // Scrolled, everything moves left; a whole row spans the item area.
    report.ScrollToX(500);
    EXPECT_EQ(report.ScrollX(), 40);
    Box row;
    ASSERT_TRUE(report.GetRowBox(0, -1, row));
    EXPECT_EQ(row, (Box{-40, 20, 60, 36}));
    ASSERT_TRUE(report.GetRowBox(5, 1, row));
    EXPECT_EQ(row, (Box{20, 100, 100, 116}));
    EXPECT_FALSE(report.GetRowBox(6, 1, row));
    ReportHitTest hit{};
    hit.x = 25;
    hit.y = 40;
    report.HitTest(hit);
    EXPECT_EQ(hit.column, 1);
}

TEST(ReportScreen, AnAbsurdIndentPushesTheTextOutWithoutOverflow) {
    Screen report;
    report.Make(0, 2);
    for (int indent : {INT_MAX, 1 << 27, 3}) {
        report.SetItemField(0, MaskIndent, indent);
        EXPECT_LE(report.IndentPixels(indent), 1 << 24);
        EXPECT_GE(report.IndentPixels(indent), 0);
        Box box;
        EXPECT_EQ(report.GetItemBox(0, 0, box, PartCell), indent == 3) << indent;
        ReportHitTest hit{};
        hit.x = 10;
        hit.y = 25;
        report.HitTest(hit);
        EXPECT_EQ(hit.flags, HitNowhere) << indent;
    }
}

// --- keys ---------------------------------------------------------------------------

TEST(ReportScreen, KeysMoveTheFocusOnlyToRowsThatAreThere) {
    struct Case {
        const char* what;
        uint32_t style;
        int rows, focus, top;
        uint32_t key;
        bool shift, ctrl;
        const char* after;
        bool passedOn;
    };
    const Case cases[] = {
        {"down on a fresh list", 0, 10, -2, 0, keys::Down, false, false, "focus 0 top 0 sel 0", false},
        {"down with an entry row", EntryRow, 10, -2, 0, keys::Down, false, false, "focus -1 top 0 sel -1", false},
        {"down on an empty list", 0, 0, -2, 0, keys::Down, false, false, "focus -2 top 0 sel", false},
        {"down, empty, entry row", EntryRow, 0, -2, 0, keys::Down, false, false, "focus -1 top 0 sel -1", false},
        {"down past the page", 0, 10, 5, 0, keys::Down, false, false, "focus 6 top 1 sel 6", false},
        {"down on the last row", 0, 10, 9, 4, keys::Down, false, false, "focus 9 top 4 sel 9", false},
        {"shift down", 0, 10, 2, 0, keys::Down, true, false, "focus 3 top 0 sel 2 3", false},
        {"ctrl down", 0, 10, 2, 0, keys::Down, false, true, "focus 3 top 0 sel 2", false},
        {"up on row 0", 0, 10, 0, 0, keys::Up, false, false, "focus 0 top 0 sel 0", false},
        {"up on row 0, entry row", EntryRow, 10, 0, 0, keys::Up, false, false, "focus -1 top 0 sel -1", false},
        {"up without focus", EntryRow, 10, -2, 0, keys::Up, false, false, "focus -2 top 0 sel", false},
        {"up above the top", 0, 10, 4, 4, keys::Up, false, false, "focus 3 top 3 sel 3", false},
        {"end", 0, 10, 2, 0, keys::End, false, false, "focus 9 top 4 sel 9", true},
        {"shift end", 0, 10, 2, 0, keys::End, true, false, "focus 9 top 4 sel 2 3 4 5 6 7 8 9", true},
        {"ctrl end moves the focus only", 0, 10, 2, 0, keys::End, false, true, "focus 9 top 4 sel 2", true},
        {"end on an empty list", 0, 0, -2, 0, keys::End, false, false, "focus -2 top 0 sel", true},
        {"home", 0, 10, 7, 4, keys::Home, false, false, "focus 0 top 0 sel 0", true},
        {"home without focus", 0, 10, -2, 3, keys::Home, false, false, "focus -2 top 3 sel", true},
        {"home on the entry row", EntryRow, 10, -1, 3, keys::Home, false, false, "focus -1 top 3 sel -1", true},
        {"home on an empty list", EntryRow, 0, -2, 0, keys::Home, false, false, "focus -2 top 0 sel", true},
        {"page down", 0, 10, 0, 0, keys::PageDown, false, false, "focus 5 top 0 sel 5", false},
        {"page down from the page's end", 0, 10, 5, 0, keys::PageDown, false, false, "focus 9 top 4 sel 9", false},
        {"page up", 0, 10, 9, 4, keys::PageUp, false, false, "focus 4 top 4 sel 4", false},
        {"page up from the top row", 0, 10, 4, 4, keys::PageUp, false, false, "focus 0 top 0 sel 0", false},
        {"shift page down", 0, 10, 1, 0, keys::PageDown, true, false, "focus 5 top 0 sel 1 2 3 4 5", false},
        {"page down, empty", 0, 0, -2, 0, keys::PageDown, false, false, "focus -2 top 0 sel", false},
        {"page up, empty", EntryRow, 0, -2, 0, keys::PageUp, false, false, "focus -2 top 0 sel", false},
        {"space keeps", 0, 10, 2, 0, keys::Space, false, false, "focus 2 top 0 sel 2", false},
        {"ctrl space toggles", 0, 10, 2, 0, keys::Space, false, true, "focus 2 top 0 sel", false},
        {"space without focus", 0, 10, -2, 0, keys::Space, false, false, "focus -2 top 0 sel", false},
        {"escape", 0, 10, 2, 0, keys::Escape, false, false, "focus 2 top 0 sel 2", true},
        {"another key", 0, 10, 2, 0, 'A', false, false, "focus 2 top 0 sel 2", true},
    };
    for (const Case& c : cases) {
        Screen report;
        report.Make(c.style, c.rows);
        if (c.focus != -2) report.Focus(c.focus);
        report.SetTopRow(c.top);
        report.Take();
        EXPECT_EQ(report.KeyDown(c.key, 0, c.shift, c.ctrl), c.passedOn) << c.what;
        EXPECT_EQ(report.State(), c.after) << c.what;
        EXPECT_EQ(report.Problems(), "") << c.what;
        EXPECT_EQ(report.notes.front().code, NotifyKeyDown) << c.what;
    }
}

TEST(ReportScreen, TheEntryRowFocusATreeChangeLeftBehindIsNoRow) {
    Screen report;
    report.Make(0, 3);
    report.SelectRows(-1, -1, true, false, false, false);  // as a tree hand-over may leave it
    EXPECT_TRUE(report.GetSelection().empty()) << "item -1 is no item without the entry row";
    report.KeyDown(keys::Space, 0, false, false);
    EXPECT_TRUE(report.GetSelection().empty());
    report.KeyDown(keys::Down, 0, false, false);
    EXPECT_EQ(report.State(), "focus 0 top 0 sel 0");
}

TEST(ReportScreen, AVetoedKeyNeitherMovesNorStartsAnEdit) {
    Screen report;
    report.Make(CellFocus, 4);
    report.ClickRow(1, 1, false, false, false);
    ReportNotify seen{};
    bool veto = false;
    report.answer = [&](NotifyHeader& h) -> intptr_t {
        if (h.code != NotifyKeyDown) return 0;
        seen = reinterpret_cast<ReportNotify&>(h);
        return veto;
    };
    EXPECT_TRUE(report.KeyDown('A', 0x1E, false, false));
    EXPECT_TRUE(report.EditOnCharacter());
    EXPECT_EQ(seen.keys, static_cast<uint32_t>('A'));
    EXPECT_EQ(seen.hitFlags, 0x1Eu);
    EXPECT_EQ(seen.item, 1);
    EXPECT_EQ(seen.subItem, 1);
    veto = true;
    EXPECT_TRUE(report.KeyDown('B', 0, false, false));
    EXPECT_FALSE(report.EditOnCharacter()) << "the vetoed key's character starts nothing";
    EXPECT_TRUE(report.KeyDown(keys::Down, 0, false, false));
    EXPECT_EQ(report.FocusRow(), 1);
    veto = false;
    report.KeyDown('C', 0, false, true);
    EXPECT_FALSE(report.EditOnCharacter()) << "not with Ctrl";
    report.KeyDown('C', 0, false, false);
    EXPECT_TRUE(report.EditOnCharacter());
    report.KeyDown(keys::Down, 0, false, false);
    EXPECT_FALSE(report.EditOnCharacter());
}

TEST(ReportScreen, LeftAndRightWalkTheTree) {
    Screen report;
    report.CacheStyle(Tree);
    report.Make(Tree, 0, 100);
    NodeHandle g1 = report.InsertItem("g1", -1, -1, -1, RootNode, LastChild, -1);
    report.InsertItem("u1", -1, -1, -1, g1, LastChild, -1);
    NodeHandle g2 = report.InsertItem("g2", -1, -1, -1, RootNode, LastChild, -1);
    report.InsertItem("u2", -1, -1, -1, g2, LastChild, -1);
    report.InsertItem("g3", -1, -1, -1, RootNode, LastChild, -1);
    report.Expand(g1, 1);
    auto rows = [&report] {
        std::string out;
        for (int row = 0; row < report.RowCount(); ++row) out += report.GetItemText(report.RowToItem(row), 0) + " ";
        return out + "focus " + std::to_string(report.FocusRow()) + " x " + std::to_string(report.ScrollX());
    };
    struct Step {
        uint32_t style;
        int focus;
        uint32_t key;
        const char* after;
    };
    const Step steps[] = {
        {Tree, 1, keys::Left, "g1 u1 g2 g3 focus 0 x 0"},               // a child goes to its parent
        {Tree, 0, keys::Left, "g1 g2 g3 focus 0 x 0"},                  // an open node closes
        {Tree, 0, keys::Left, "g1 g2 g3 focus 0 x 0"},                  // a closed top node: scrolls
        {Tree, 1, keys::Right, "g1 g2 u2 g3 focus 1 x 0"},              // a closed node opens
        {Tree, 1, keys::Right, "g1 g2 u2 g3 focus 2 x 0"},              // an open one hands on to its child
        {Tree, 3, keys::Right, "g1 g2 u2 g3 focus 3 x 12"},             // a leaf: the view scrolls
        {Tree | EntryRow, 0, keys::Left, "g1 g2 u2 g3 focus -1 x 12"},  // a top node to the entry row
        {Tree, 3, keys::Left, "g1 g2 u2 g3 focus 3 x 0"},
    };
    for (const Step& s : steps) {
        report.CacheStyle(s.style);
        report.Focus(s.focus);
        report.KeyDown(s.key, 0, false, false);
        EXPECT_EQ(rows(), s.after) << s.focus << " " << s.key;
    }
}

TEST(ReportScreen, CellFocusMovesByColumnsThatTakeIt) {
    Screen report;
    report.Make(CellFocus, 3, 100);
    report.DefineSubItem({FormatNoCellFocus, 0, 0, 0, 0, ""});
    report.DefineSubItem({});
    report.SetColumns({{0, 60}, {1, 80}, {2, 50}, {3, 70}}, {0, 1, 2, 3});
    report.AdjustTotalColumnWidth(260 - report.TotalColumnWidth());
    report.ClickRow(0, 0, false, false, false);
    struct Step {
        uint32_t key;
        int column, scroll;
    };
    const Step steps[] = {{keys::Right, 1, 60}, {keys::Right, 3, 160}, {keys::Right, 3, 160},
                          {keys::Left, 1, 60},  {keys::Left, 0, 0},    {keys::Left, -1, 0}};
    for (const Step& s : steps) {
        report.KeyDown(s.key, 0, false, false);
        EXPECT_EQ(report.FocusColumn(), s.column);
        EXPECT_EQ(report.ScrollX(), s.scroll);
    }
    // A click on a column that takes no focus clears it.
    report.ClickRow(0, 2, false, false, true);
    EXPECT_EQ(report.FocusColumn(), -1);
}

// --- clicks ----------------------------------------------------------------------------

TEST(ReportScreen, ClicksWithShiftAndCtrlSelect) {
    struct Case {
        const char* what;
        uint32_t style;
        const char* clicks;  // c plain, s Shift, k Ctrl, b both; then the row
        int vetoDeselect;    // the parent keeps this item selected
        const char* after;
    };
    const Case cases[] = {
        {"click", 0, "c1", -1, "focus 1 top 0 sel 1"},
        {"shift extends from the anchor", 0, "c1 s4", -1, "focus 4 top 0 sel 1 2 3 4"},
        {"the anchor stays", 0, "c1 s4 s0", -1, "focus 0 top 0 sel 0 1"},
        {"ctrl toggles one", 0, "c1 s4 k2", -1, "focus 2 top 0 sel 1 3 4"},
        {"ctrl twice", 0, "c1 k3 k3", -1, "focus 3 top 0 sel 1"},
        {"shift+ctrl adds a range", 0, "c1 k3 b5", -1, "focus 5 top 0 sel 1 3 4 5"},
        {"shift before any anchor", 0, "s3", -1, "focus 3 top 0 sel 3"},
        {"a miss", 0, "c2 c-2", -1, "focus 2 top 0 sel 2"},
        {"single: shift", SingleSelection, "c1 s4", -1, "focus 4 top 0 sel 4"},
        {"single: ctrl", SingleSelection, "c1 k3", -1, "focus 3 top 0 sel 3"},
        {"vetoed deselection", 0, "c1 c3", 1, "focus 3 top 0 sel 1 3"},
    };
    for (const Case& c : cases) {
        Screen report;
        report.Make(c.style, 8);
        const int veto = c.vetoDeselect;
        report.answer = [veto](NotifyHeader& h) -> intptr_t {
            const ReportNotify& n = reinterpret_cast<ReportNotify&>(h);
            return h.code == NotifyStateChanging && n.item == veto && !(n.state & StateSelected);
        };
        std::istringstream in(c.clicks);
        std::string click;
        while (in >> click) {
            const char kind = click[0];
            report.ClickRow(std::stoi(click.substr(1)), 0, kind == 's' || kind == 'b', kind == 'k' || kind == 'b',
                            true);
        }
        EXPECT_EQ(report.State(), c.after) << c.what;
        EXPECT_EQ(report.Problems(), "") << c.what;
    }
}

TEST(ReportScreen, AClickOnTheFocusedCellAsksForAnEdit) {
    Screen report;
    report.Make(CellFocus, 3);
    EXPECT_FALSE(report.ClickRow(1, 1, false, false, true)) << "the first click focuses the cell";
    EXPECT_TRUE(report.ClickRow(1, 1, false, false, true));
    EXPECT_FALSE(report.ClickRow(1, 0, false, false, true)) << "another cell";
    EXPECT_FALSE(report.ClickRow(1, 0, false, false, false)) << "a click that brings the focus back";
    EXPECT_FALSE(report.ClickRow(1, 0, false, true, true)) << "ctrl";
    report.CacheStyle(0);
    EXPECT_FALSE(report.ClickRow(1, 0, false, false, true)) << "rows, not cells";
    report.CacheStyle(EntryRow);
    report.ClickRow(-1, 1, false, false, true);
    EXPECT_TRUE(report.ClickRow(-1, 1, false, false, true)) << "the entry row is edited by cells";
}

TEST(ReportScreen, TheEditedCellKeepsItsItemAndTheSelectionKeepsToItsOwn) {
    Screen report;
    report.Make(0, 4);
    const ReportItem blank{};
    report.SetEditCell(2, 1);
    report.DeleteListItem(0);
    EXPECT_EQ(report.EditItem(), 1);
    report.InsertListItem(blank);
    EXPECT_EQ(report.EditItem(), 2);
    report.DeleteListItem(2);
    report.InsertListItem(blank);  // in the freed slot
    EXPECT_EQ(report.EditItem(), -2) << "gone, whatever took its place";
    // The parent deletes the item being selected and makes another in its slot.
    bool acted = false;
    report.answer = [&](NotifyHeader& h) -> intptr_t {
        if (h.code != NotifyStateChanging || std::exchange(acted, true)) return 0;
        report.DeleteListItem(1);
        report.InsertListItem(blank);
        return 0;
    };
    report.Take();
    report.SelectRows(1, 1, true, false, false, true);
    EXPECT_EQ(report.Codes(), (std::vector<uint32_t>{NotifyStateChanging, NotifyDeleteItem}));
    EXPECT_EQ(report.State(), "focus -2 top 0 sel");
    EXPECT_EQ(report.Problems(), "");
}

// --- scrolling and the wheel ------------------------------------------------------------

TEST(ReportScreen, ScrollBarRequests) {
    Screen report;
    report.Make(0, 10, 100);
    struct Case {
        int top, code, thumb, expected;
    };
    const Case vertical[] = {
        {3, ScrollLineUp, 0, 2},   {0, ScrollLineUp, 0, 0},     {3, ScrollLineDown, 0, 4},
        {4, ScrollLineDown, 0, 4}, {4, ScrollPageUp, 0, 0},     {2, ScrollPageUp, 0, 0},
        {0, ScrollPageDown, 0, 4}, {1, ScrollThumbTrack, 3, 3}, {1, ScrollThumbPosition, 99, 4},
        {3, ScrollTop, 0, 0},      {0, ScrollBottom, 0, 4},     {2, 8, 0, 2},
    };
    for (const Case& c : vertical) {
        report.SetTopRow(c.top);
        EXPECT_EQ(report.VerticalScrollTarget(c.code, c.thumb), c.expected) << c.top << " " << c.code;
    }
    // Columns of 140 in an area of 100: steps of 12, the right end at 40.
    const Case horizontal[] = {
        {0, ScrollLineDown, 0, 12},    {36, ScrollLineDown, 0, 40}, {20, ScrollLineUp, 0, 8},
        {5, ScrollLineUp, 0, 0},       {0, ScrollPageDown, 0, 40},  {40, ScrollPageUp, 0, 0},
        {0, ScrollThumbTrack, 25, 25}, {30, ScrollTop, 0, 0},       {0, ScrollBottom, 0, 40},
    };
    for (const Case& c : horizontal) {
        report.ScrollToX(c.top);
        EXPECT_EQ(report.HorizontalScrollTarget(c.code, c.thumb), c.expected) << c.top << " " << c.code;
    }
}

TEST(ReportScreen, TheWheelNeverFloodsNorOverflows) {
    Screen report;
    struct Case {
        int delta;
        uint32_t lines;
        int rows;
        int code, count;
        bool direct;
    };
    const Case cases[] = {
        {120, 3, 20, ScrollLineUp, 3, false},
        {-240, 3, 20, ScrollLineDown, 6, false},
        {119, 1, 20, ScrollLineUp, 0, false},  // truncated toward zero
        {-121, 1, 20, ScrollLineDown, 1, false},
        {120, 0, 20, ScrollLineUp, 0, false},
        {0, 3, 20, ScrollLineUp, 0, false},
        {120, 3, 0, ScrollLineUp, 0, false},
        {600, 3, 20, ScrollLineUp, 15, true},
        {600, 3, 10, ScrollLineUp, 10, true},
        {32767, 0xFFFFFFFEu, 20, ScrollLineUp, 20, true},
        {-32768, 0x7FFFFFFFu, 20, ScrollLineDown, 20, true},
        {120, ReportModel::kWheelPages, 20, ScrollPageUp, 1, false},
        {-360, ReportModel::kWheelPages, 20, ScrollPageDown, 3, false},
        {-32768, ReportModel::kWheelPages, 20, ScrollPageDown, 20, false},
    };
    for (const Case& c : cases) {
        Screen report;
        report.Make(0, c.rows);
        const WheelSteps steps = report.WheelScroll(c.delta, c.lines);
        EXPECT_EQ(steps.count, c.count) << c.delta << " x " << c.lines;
        if (c.count) {
            EXPECT_EQ(steps.code, c.code) << c.delta << " x " << c.lines;
        }
        EXPECT_EQ(steps.direct, c.direct) << c.delta << " x " << c.lines;
    }
    report.Make(0, 20);
    report.ScrollRows(INT_MAX);
    EXPECT_EQ(report.TopRow(), 14);
    report.ScrollRows(-5);
    EXPECT_EQ(report.TopRow(), 9);
    report.ScrollRows(INT_MIN);
    EXPECT_EQ(report.TopRow(), 0);
}

}  // namespace
}  // namespace report_test
