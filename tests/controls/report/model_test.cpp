// The report control's model without a window: the item exchange record, the
// tree and its rows, focus and selection across tree changes, sorting,
// notifications, handles that must fail, and a parent that calls back into
// the control from inside its notifications.
#include <cstring>
#include <tuple>
#include <utility>

#include "tests/controls/report/report_fixture.h"

namespace report_test {
namespace {

// --- the item exchange record ---------------------------------------------------

class ItemTest : public TreeTest {};

TEST_F(ItemTest, GetItemReportsWhatIsThereAndOnlyThat) {
    NodeHandle node = Add(nullptr);
    report.DefineSubItem({});
    struct Case {
        const char* what;
        uint32_t setMask;
        const char* setText;
        int image, check, textColor, overlay, backColor, preview;
        uint32_t ask;
        uint32_t mask;
        const char* text;  // nullptr: the buffer stays untouched
    };
    const uint32_t always = MaskState | MaskParam | MaskIndent;  // a shown tree row has its indent
    const uint32_t cellBits = MaskImage | MaskCheck | MaskTextColor | MaskOverlay;
    const Case cases[] = {
        {"never set text", 0, nullptr, 0, 0, 0, 0, 0, 0, MaskText, always, nullptr},
        {"empty text", MaskText, "", 0, 0, 0, 0, 0, 0, MaskText, always | MaskText, ""},
        {"text not asked for", MaskText, "ab", 0, 0, 0, 0, 0, 0, 0, always, nullptr},
        {"null text removes it", MaskText, nullptr, 0, 0, 0, 0, 0, 0, MaskText, always, nullptr},
        {"cell numbers", cellBits, nullptr, 3, 7, 0, 1, 0, 0, 0, always | cellBits, nullptr},
        {"item fields", MaskBackColor | MaskPreview | MaskParam, nullptr, -1, -1, -1, -1, 2, 5, 0,
         always | cellBits | MaskBackColor | MaskPreview, nullptr},
    };
    for (const Case& c : cases) {
        ReportItem set{};
        set.mask = c.setMask;
        set.item = ItemOf(node);
        set.subItem = 1;
        set.text = const_cast<char*>(c.setText);
        set.image = c.image;
        set.check = c.check;
        set.textColor = c.textColor;
        set.overlay = c.overlay;
        set.backColor = c.backColor;
        set.preview = c.preview;
        set.param = 9;
        ASSERT_TRUE(report.SetItem(set)) << c.what;
        char buffer[16] = "untouched";
        ReportItem get{};
        get.mask = c.ask;
        get.item = set.item;
        get.subItem = 1;
        get.text = buffer;
        get.textMax = sizeof buffer;
        ASSERT_TRUE(report.GetItem(get)) << c.what;
        EXPECT_EQ(get.mask, c.mask) << c.what;
        EXPECT_STREQ(buffer, c.text ? c.text : "untouched") << c.what;
    }
    ReportItem last{};
    last.item = ItemOf(node);
    last.subItem = 1;
    report.GetItem(last);
    EXPECT_EQ(last.image, 3);
    EXPECT_EQ(last.overlay, 1);
    EXPECT_EQ(last.backColor, 2);
    EXPECT_EQ(last.preview, 5);
    EXPECT_EQ(last.param, 9);

    // Out of range: a subitem without definition, items -2 and past the end.
    for (auto [item, subItem] : {std::pair{0, 2}, {-2, 0}, {1, 0}}) {
        ReportItem get{};
        get.item = item;
        get.subItem = subItem;
        EXPECT_FALSE(report.GetItem(get)) << item << "," << subItem;
        EXPECT_FALSE(report.SetItem(get)) << item << "," << subItem;
    }
}

TEST_F(ItemTest, OwnedStateBitsSurviveSetItem) {
    NodeHandle parent = Add("p");
    Add("c", parent);
    Focus(parent);
    report.SelectRows(0, 0, true, false, false, false);
    ASSERT_EQ(State(parent), StateFocused | StateSelected | StateCollapsed);
    for (uint32_t wanted : {0u, 0x1FFu, StateBold | StateExpanded}) {
        ReportItem set{};
        set.mask = MaskState;
        set.item = ItemOf(parent);
        set.state = wanted;
        ASSERT_TRUE(report.SetItem(set));
        EXPECT_EQ(State(parent), (wanted & ~StatesOwned) | StateFocused | StateSelected | StateCollapsed) << wanted;
    }
    EXPECT_EQ(report.GetSelection(), std::vector<int>{ItemOf(parent)});
}

TEST_F(ItemTest, TextsAreCutWholeAndNeverBreakTheirCell) {
    report.SetLeadByteTest([](unsigned char byte) { return byte >= 0x81; });
    report.DefineSubItem({});
    NodeHandle node = Add("a");
    const int item = ItemOf(node);
    std::string wide = std::string(254, 'x') + "\x82\x60";
    ASSERT_TRUE(report.SetItemText(item, 0, wide.c_str()));
    ASSERT_TRUE(report.SetItemText(item, 1, "left|right"));
    EXPECT_EQ(report.GetItemText(item, 0), std::string(254, 'x'));
    EXPECT_EQ(report.GetItemText(item, 1), "left!right");
    // A small buffer gets capacity - 1 bytes; a failed read leaves an empty string.
    char small[4] = "zzz";
    EXPECT_EQ(report.GetItemText(item, 1, small, sizeof small), 3);
    EXPECT_STREQ(small, "lef");
    EXPECT_EQ(report.GetItemText(item, 7, small, sizeof small), 0);
    EXPECT_STREQ(small, "");
}

TEST_F(ItemTest, SubItemsDefinedLaterTakeTextOnOldItems) {
    NodeHandle node = Add("a");
    report.DefineSubItem({});
    report.DefineSubItem({});
    EXPECT_TRUE(report.SetItemText(ItemOf(node), 2, "late"));
    EXPECT_EQ(report.GetItemText(ItemOf(node), 2), "late");
    EXPECT_EQ(report.GetItemText(ItemOf(node), 0), "a");
}

// --- the tree and its rows ------------------------------------------------------

TEST_F(TreeTest, InsertAfterPlacesAmongSiblings) {
    NodeHandle p = Add("p");
    NodeHandle b = Add("b", p, SortedChild);  // the first child ignores the argument
    Add("d", p, LastChild);
    Add("a", p, FirstChild);
    Add("c", p, b);
    EXPECT_EQ(Children(p), "a b c d");
    NodeHandle q = Add("q");
    EXPECT_NE(Add("y", q, 12345), 0u) << "the first child ignores even a made-up argument";
    EXPECT_EQ(Add("x", q, b), 0u) << "a sibling under another parent";
    EXPECT_EQ(Children(q), "y");
    EXPECT_EQ(report.GetItemCount(), 7);
}

TEST_F(TreeTest, SortedInsertionGoesBeforeEqualChildren) {
    NodeHandle p = Add("p");
    NodeHandle first = 0;
    for (const char* text : {"aa", "bb", "dd"}) {
        NodeHandle n = Add(text, p, LastChild);
        if (!first && std::strcmp(text, "bb") == 0) first = n;
    }
    Add("cc", p, SortedChild);
    EXPECT_EQ(Children(p), "aa bb cc dd");
    NodeHandle second = Add("bb", p, SortedChild);
    EXPECT_EQ(Children(p), "aa bb bb cc dd");
    EXPECT_EQ(report.GetNextItem(report.GetNextItem(p, 4), 1), second);
    EXPECT_EQ(report.GetNextItem(second, 1), first);
}

TEST_F(TreeTest, NavigationCodes) {
    NodeHandle a = Add("a"), b = Add("b");
    NodeHandle a1 = Add("a1", a), a2 = Add("a2", a);
    NodeHandle deep = Add("x", a2);
    Focus(b);
    struct Case {
        NodeHandle node;
        int code;
        NodeHandle expected;
    };
    const Case cases[] = {
        {deep, 0, a}, {a, 0, a},        {RootNode, 0, 0}, {a1, 1, a2}, {a2, 1, 0}, {a2, 2, a1},
        {a1, 2, 0},   {deep, 3, a2},    {a1, 3, a},       {a, 3, 0},   {a, 4, a1}, {RootNode, 4, a},
        {deep, 4, 0}, {RootNode, 5, b}, {0, 5, b},        {a, 6, 0},   {a, -1, 0}, {RootNode, 1, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(report.GetNextItem(c.node, c.code), c.expected) << c.node << " " << c.code;
    EXPECT_TRUE(report.ItemHasChildren(a));
    EXPECT_FALSE(report.ItemHasChildren(b));
    EXPECT_TRUE(report.IsDescendant(a, deep));
    EXPECT_TRUE(report.IsDescendant(RootNode, deep));
    EXPECT_FALSE(report.IsDescendant(deep, deep));
    EXPECT_FALSE(report.IsDescendant(b, deep));
    EXPECT_EQ(report.GetItemNode(-1), 0u);
    EXPECT_EQ(report.GetItemNode(ItemOf(a2)), a2);
}

TEST_F(TreeTest, RowsFollowExpandCollapseAndToggle) {
    NodeHandle a = Add("a"), b = Add("b");
    NodeHandle a1 = Add("a1", a);
    Add("a2", a);
    Add("a11", a1);
    Add("b1", b);
    EXPECT_EQ(Rows(), "a b");
    struct Step {
        NodeHandle node;
        int code;
        bool ok;
        const char* rows;
    };
    const Step steps[] = {
        {a, 1, true, "a a1 a2 b"},     {a1, 2, true, "a a1 a11 a2 b"},       {a, 0, true, "a b"},
        {a, 2, true, "a a1 a11 a2 b"}, {b, 1, true, "a a1 a11 a2 b b1"},     {a1, 0, true, "a a1 a2 b b1"},
        {a, 3, false, "a a1 a2 b b1"}, {RootNode, 0, false, "a a1 a2 b b1"},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(report.Expand(s.node, s.code), s.ok);
        EXPECT_EQ(Rows(), s.rows);
    }
    // Indent and button bits, as a rebuild of the rows gives them.
    EXPECT_EQ(State(a) & (StateExpanded | StateCollapsed), StateExpanded);
    EXPECT_EQ(State(a1) & (StateExpanded | StateCollapsed), StateCollapsed);
    ReportItem query{};
    query.item = ItemOf(a1);
    query.subItem = 0;
    report.GetItem(query);
    EXPECT_EQ(query.indent, 2);
    // An indent set by hand lasts until the next tree change gives the rows theirs again.
    query.mask = MaskIndent;
    query.indent = 7;
    ASSERT_TRUE(report.SetItem(query));
    report.GetItem(query);
    EXPECT_EQ(query.indent, 7);
    Add("c");
    report.GetItem(query);
    EXPECT_EQ(query.indent, 2);

    report.CacheStyle(0);
    EXPECT_FALSE(report.Expand(a, 1)) << "not a tree";
}

TEST_F(TreeTest, GetItemStringShowsTheTreeInItsFirstColumn) {
    NodeHandle a = Add("top");
    NodeHandle b = Add("mid", a);
    NodeHandle c = Add("deep", b);
    NodeHandle leaf = Add("x|y", c);
    for (NodeHandle n : {a, b, c}) report.Expand(n, 1);
    EXPECT_EQ(report.GetItemString(ItemOf(c), ';'), "    -deep\n");
    EXPECT_EQ(report.GetItemString(ItemOf(leaf), '!'), "       x y\n") << "level 4, no children, separator replaced";
    report.Expand(a, 0);
    EXPECT_EQ(report.GetItemString(ItemOf(a), ';'), "+top\n");

    // Several columns in display order; a cell without text shows its image or check.
    report.DefineSubItem({});
    report.DefineSubItem({});
    report.SetColumns({{0, 50}, {1, 50}, {2, 50}}, {2, 0, 1});
    ReportItem set{};
    set.mask = MaskImage;
    set.item = ItemOf(a);
    set.subItem = 2;
    set.image = 4;
    report.SetItem(set);
    set.mask = MaskCheck;
    set.subItem = 1;
    set.check = 1;
    report.SetItem(set);
    EXPECT_EQ(report.GetItemString(ItemOf(a), '\t'), "+4\ttop\t1\n");
    EXPECT_EQ(report.GetItemString(99, '\t'), "");
}

// --- focus around tree changes ------------------------------------------------------

TEST_F(TreeTest, DeletingTheFocusedNodeMovesTheFocus) {
    // a (a1 a2) b: each case focuses a node and deletes one.
    struct Case {
        const char* focus;
        const char* remove;
        const char* focusAfter;
        const char* rowsAfter;
    };
    const Case cases[] = {
        {"a1", "a1", "a2", "a a2 b"},       // next sibling
        {"a2", "a2", "a", "a a1 b"},        // no next sibling: the parent
        {"b", "b", "entry", "a a1 a2"},     // a top-level node without next sibling: row -1
        {"a2", "a", "b", "b"},              // focus below the deleted node
        {"b", "a1", "b", "a a2 b"},         // another node keeps the focus on its new row
        {"none", "a1", "entry", "a a2 b"},  // no focus before: row -1
    };
    for (const Case& c : cases) {
        report.DeleteAllItems();
        NodeHandle nodes[4];
        nodes[0] = Add("a");
        nodes[1] = Add("a1", nodes[0]);
        nodes[2] = Add("a2", nodes[0]);
        nodes[3] = Add("b");
        report.Expand(nodes[0], 1);
        auto find = [&](const char* text) {
            for (NodeHandle n : nodes)
                if (Text(n) == text) return n;
            return NodeHandle{0};
        };
        if (std::strcmp(c.focus, "none") != 0)
            Focus(find(c.focus));
        else
            report.SelectRows(-2, -2, false, false, false, false);
        ASSERT_TRUE(report.DeleteItem(find(c.remove)));
        EXPECT_EQ(Focus(), c.focusAfter) << c.focus << " deleting " << c.remove;
        EXPECT_EQ(Rows(), c.rowsAfter);
        int focused = 0;
        for (int item = -1; item < report.GetItemCount(); ++item) focused += (State(item) & StateFocused) != 0;
        EXPECT_EQ(focused, 1) << "exactly one item carries the focus bit";
    }
}

TEST_F(TreeTest, CollapsingOverTheFocusMovesItUpAndDeselectsWhatHides) {
    NodeHandle g = Add("g");
    NodeHandle u1 = Add("u1", g), u2 = Add("u2", g);
    NodeHandle other = Add("other");
    NodeHandle o1 = Add("o1", other);
    report.Expand(g, 1);
    report.Expand(other, 1);
    ASSERT_EQ(Rows(), "g u1 u2 other o1");
    report.SelectRows(1, 2, true, false, false, false);  // u1 u2, focus on u1
    report.SelectRows(4, 4, true, true, false, false);   // o1 too, focus on o1
    Focus(u2);
    report.Expand(g, 0);
    EXPECT_EQ(Focus(), "g");
    EXPECT_EQ(Rows(), "g other o1");
    EXPECT_EQ(State(u1) & StateSelected, 0u);
    EXPECT_EQ(State(u2) & StateSelected, 0u);
    EXPECT_EQ(report.GetSelection(), std::vector<int>{ItemOf(o1)});

    // Expanding elsewhere leaves the shown, selected children of the focus alone.
    Focus(other);
    report.Expand(g, 1);
    EXPECT_EQ(Focus(), "other");
    EXPECT_EQ(report.GetSelection(), std::vector<int>{ItemOf(o1)});
}

TEST_F(TreeTest, HandOverKeepsTheTopRowUnlessTheEndComesIntoView) {
    std::vector<NodeHandle> nodes;
    for (int i = 0; i < 30; ++i) nodes.push_back(Add(std::to_string(i).c_str()));
    report.SetTopRow(25);
    Focus(nodes[27]);
    report.DeleteItem(nodes[29]);  // rows 25..28 leave six rows of space: the last row goes to the bottom
    EXPECT_EQ(report.TopRow(), 19);
    report.SetTopRow(5);
    report.DeleteItem(nodes[0]);  // the rows still fill the area: the top row stays
    EXPECT_EQ(report.TopRow(), 5);
    EXPECT_EQ(Focus(), "27");
    EXPECT_TRUE(report.EnsureVisible(ItemOf(nodes[1]), true));
    EXPECT_EQ(report.TopRow(), 0);
    EXPECT_TRUE(report.EnsureVisible(ItemOf(nodes[20]), true));
    EXPECT_EQ(report.TopRow(), 10);
}

// A join must not repaint what it does not change: a crowded, closed group
// takes new children unseen, and the focus row is repainted only when it moves.
TEST_F(TreeTest, TreeChangesRepaintOnlyTheRowsTheyChange) {
    using Spans = std::vector<std::pair<int, int>>;
    struct Case {
        const char* what;
        std::function<void(NodeHandle open, NodeHandle closed, NodeHandle empty)> change;
        Spans repainted;
    };
    const Case cases[] = {
        {"a child into a closed group with children", [&](NodeHandle, NodeHandle c, NodeHandle) { Add("x", c); }, {}},
        {"the first child of a group: its button",
         [&](NodeHandle, NodeHandle, NodeHandle e) { Add("x", e); },
         {{3, 3}}},
        {"a child into the open group: the rows below, the moved focus",
         [&](NodeHandle o, NodeHandle, NodeHandle) { Add("x", o); },
         {{2, -1}, {2, 2}, {3, 3}}},
        {"a top-level row below the focus", [&](NodeHandle, NodeHandle, NodeHandle) { Add("z"); }, {{4, -1}}},
        {"deleting a closed group's child",
         [&](NodeHandle, NodeHandle c, NodeHandle) { report.DeleteItem(report.GetNextItem(c, 4)); },
         {}},
        {"a row's preview band: the rows below it too",
         [&](NodeHandle, NodeHandle c, NodeHandle) {
             ReportItem band{};
             band.mask = MaskPreview;
             band.item = ItemOf(c);
             band.preview = 2;
             report.SetItem(band);
         },
         {{2, -1}}},
    };
    for (const Case& c : cases) {
        report.DeleteAllItems();
        NodeHandle open = Add("open"), closed = Add("closed"), empty = Add("empty");
        Add("o1", open);
        Add("c1", closed), Add("c2", closed);
        report.Expand(open, 1);
        ASSERT_EQ(Rows(), "open o1 closed empty");
        Focus(closed);
        report.invalidated.clear();
        c.change(open, closed, empty);
        EXPECT_EQ(report.invalidated, c.repainted) << c.what;
        EXPECT_EQ(Problems(), "") << c.what;
    }
}

// --- sorting -----------------------------------------------------------------------

TEST_F(TreeTest, SortingSortsEveryLevelAndTwiceReverses) {
    NodeHandle b = Add("b"), a = Add("a");
    Add("b2", b), Add("b1", b);
    NodeHandle a3 = Add("a3", a);
    Add("a1", a);
    Add("z", a3), Add("y", a3);
    for (NodeHandle n : {a, b, a3}) report.Expand(n, 1);
    Focus(a3);
    ASSERT_TRUE(report.SortItems(0, true));
    EXPECT_EQ(Rows(), "a a1 a3 y z b b1 b2");
    EXPECT_EQ(Focus(), "a3");
    EXPECT_EQ(report.sortMarkSubItem, 0);
    ASSERT_TRUE(report.SortItems(0, false));
    EXPECT_EQ(Rows(), "b b2 b1 a a3 z y a1");
    EXPECT_FALSE(report.sortMarkAscending);
    EXPECT_FALSE(report.SortItems(1, true)) << "not a shown column";
}

TEST(ListSort, KeepsTheFocusOnItsItemAndScrollsItToTheTop) {
    TestReport report;
    report.DefineSubItem({});
    report.SetColumns({{0, 100}}, {0});
    report.SetItemArea(100, 10 * report.RowHeight());
    const char* words[] = {"m", "c", "x", "a", "q", "b", "z", "e", "k", "d", "y", "f", "p", "g", "w"};
    for (const char* w : words) {
        ReportItem item{};
        item.mask = MaskText;
        item.item = 1000;  // past the end: appended
        item.text = const_cast<char*>(w);
        ASSERT_GE(report.InsertListItem(item), 0);
    }
    ASSERT_EQ(report.GetItemCount(), 15);
    report.SelectRows(1, 1, true, false, false, false);  // "c"
    ASSERT_TRUE(report.SortItems(0, true));
    EXPECT_EQ(report.RowToItem(report.FocusRow()), 1);
    EXPECT_EQ(report.FocusRow(), 2);  // a b c
    EXPECT_EQ(report.TopRow(), 2);
    report.SelectRows(2, 2, false, false, false, false);
    ASSERT_TRUE(report.SortItems(0, false));
    EXPECT_EQ(report.FocusRow(), 12);
    EXPECT_EQ(report.TopRow(), 5) << "near the end the last row ends the area";
    std::string order;
    for (int row = 0; row < report.RowCount(); ++row) order += report.GetItemText(report.RowToItem(row), 0);
    EXPECT_EQ(order, "zyxwqpmkgfedcba");
    EXPECT_EQ(report.ItemToRow(3), 14);

    // A list insert and delete above the focus keep it on its item.
    ReportItem first{};
    first.mask = MaskText;
    first.text = const_cast<char*>("new");
    ASSERT_EQ(report.InsertListItem(first), 0);
    EXPECT_EQ(report.GetItemText(report.RowToItem(report.FocusRow()), 0), "c");
    ASSERT_TRUE(report.DeleteListItem(0));
    EXPECT_EQ(report.GetItemText(report.RowToItem(report.FocusRow()), 0), "c");
}

// --- notifications ------------------------------------------------------------------

TEST_F(TreeTest, EveryDeletedItemIsNotifiedDepthFirst) {
    NodeHandle a = Add("a");
    NodeHandle a1 = Add("a1", a);
    NodeHandle a11 = Add("a11", a1);
    NodeHandle a2 = Add("a2", a);
    NodeHandle b = Add("b");
    intptr_t param = 100;
    for (NodeHandle n : {a, a1, a11, a2, b}) SetParam(n, param++);
    report.Take();
    ASSERT_TRUE(report.DeleteItem(a));
    // Item indices as they are when each item goes: a11 (2), a1 (1), a2 (1), a (0).
    EXPECT_EQ(report.Take(), (std::vector<Note>{{NotifyDeleteItem, 2, 0, 0, 102},
                                                {NotifyDeleteItem, 1, 0, 0, 101},
                                                {NotifyDeleteItem, 1, 0, 0, 103},
                                                {NotifyDeleteItem, 0, 0, 0, 100}}));
    Add("c", b);
    report.DeleteAllItems();
    EXPECT_EQ(report.Take(), (std::vector<Note>{{NotifyDeleteItem, 1, 0, 0, 0}, {NotifyDeleteItem, 0, 0, 0, 104}}));
    EXPECT_EQ(report.GetItemCount(), 0);
    EXPECT_EQ(report.FocusRow(), -2);
}

TEST(ListNotify, SelectionNotifiesWithVetoAndMask) {
    TestReport report;
    report.DefineSubItem({});
    for (int i = 0; i < 4; ++i) {
        ReportItem item{};
        item.mask = MaskParam;
        item.item = i;
        item.param = 10 + i;
        report.InsertListItem(item);
    }
    // The parent refuses item 2.
    report.answer = [](NotifyHeader& h) {
        return h.code == NotifyStateChanging && reinterpret_cast<ReportNotify&>(h).item == 2 ? 1 : 0;
    };
    report.SelectRows(1, 3, true, false, false, true);
    EXPECT_EQ(report.Take(), (std::vector<Note>{{NotifyStateChanging, 1, -1, 3, 0},
                                                {NotifyStateChanged, 1, -1, 3, 0},
                                                {NotifyStateChanging, 2, -1, 2, 0},
                                                {NotifyStateChanging, 3, -1, 2, 0},
                                                {NotifyStateChanged, 3, -1, 2, 0}}));
    EXPECT_EQ(report.GetSelection(), (std::vector<int>{1, 3}));
    // Masked off, -2051 behaves as if the parent answered 0; -2052 still goes out.
    report.SetNotificationMask(~(1u << 3));
    report.SelectRows(2, 2, true, false, false, true);
    EXPECT_EQ(report.Take(), (std::vector<Note>{{NotifyStateChanged, 2, -1, 3, 0},
                                                {NotifyStateChanged, 1, -1, 0, 0},
                                                {NotifyStateChanged, 3, -1, 0, 0}}));
    EXPECT_EQ(report.GetSelection(), std::vector<int>{2});
    EXPECT_FALSE(report.NotificationEnabled(NotifyStateChanging));
    report.SetNotificationMask(0);
    report.DeleteAllItems();
    EXPECT_TRUE(report.Take().empty());
}

TEST(VirtualItems, TheParentFillsRecordsThroughTheCache) {
    TestReport report;
    report.CacheStyle(VirtualItems);
    report.DefineSubItem({});
    report.DefineSubItem({});
    report.SetVirtualItemCount(300);
    int asked = 0;
    report.answer = [&](NotifyHeader& h) -> intptr_t {
        if (h.code != NotifyGetItemData) return 0;
        ++asked;
        ReportItem& item = reinterpret_cast<ReportItemNotify&>(h).item;
        EXPECT_EQ(item.textMax, 256);
        EXPECT_EQ(item.image, -1);
        EXPECT_EQ(item.preview, 0);
        std::string text = "row " + std::to_string(item.item) + "/" + std::to_string(item.subItem);
        std::strcpy(item.text, text.c_str());
        item.image = item.item % 7;
        item.mask |= MaskImage | MaskState;
        item.state = StateBold;
        return 0;
    };
    EXPECT_EQ(report.GetItemText(5, 1), "row 5/1");
    EXPECT_EQ(report.GetItemText(5, 1), "row 5/1");
    EXPECT_EQ(asked, 1) << "the second read comes from the cache";
    EXPECT_EQ(report.GetItemText(5, 0), "row 5/0");
    EXPECT_EQ(asked, 2) << "another subitem's empty entry is fetched";
    EXPECT_EQ(report.GetItemText(133, 0), "row 133/0");  // slot 5 again
    EXPECT_EQ(report.GetItemText(5, 1), "row 5/1");
    EXPECT_EQ(asked, 4);
    report.EnableCache(false);
    report.GetItemText(5, 1);
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(report.Take().back(), (Note{NotifyGetItemData, 5, 1, MaskText, 0}));
    EXPECT_EQ(report.GetItemCount(), 300);
    EXPECT_EQ(report.RowToItem(17), 17);
    EXPECT_FALSE(report.SetItemText(1, 0, "no"));
    EXPECT_FALSE(report.DeleteAllItems());
    EXPECT_FALSE(report.SortItems(0, true));
    EXPECT_EQ(report.InsertItem("x", -1, -1, -1, RootNode, LastChild, -1), 0u);
}

// --- handles that must fail ---------------------------------------------------------

TEST_F(TreeTest, StaleAndMadeUpHandlesFailAndChangeNothing) {
    NodeHandle a = Add("a");
    NodeHandle a1 = Add("a1", a);
    NodeHandle gone = Add("gone", a1);
    NodeHandle goneWithParent = Add("c", gone);
    report.Expand(a, 1);
    ASSERT_TRUE(report.DeleteItem(gone));
    NodeHandle reused = Add("reused", a);  // takes the slot of a deleted node
    const NodeHandle bad[] = {0,         1,           0x7FFFFFFF, 0x12345678, FirstChild,
                              LastChild, SortedChild, 0xFFFFFFFF, gone,       goneWithParent};
    const std::string rows = Rows();
    const int count = report.GetItemCount();
    report.Take();
    for (NodeHandle h : bad) {
        EXPECT_FALSE(report.DeleteItem(h)) << h;
        EXPECT_FALSE(report.Expand(h, 2)) << h;
        EXPECT_EQ(Add("x", h), 0u) << h;
        EXPECT_EQ(report.GetNextItem(h, 4), 0u) << h;
        EXPECT_FALSE(report.ItemHasChildren(h)) << h;
        EXPECT_FALSE(report.IsDescendant(h, a1)) << h;
        EXPECT_FALSE(report.IsDescendant(a, h)) << h;
        NodeInfo info;
        EXPECT_FALSE(report.GetNodeInfo(h, info)) << h;
        EXPECT_EQ(report.ItemOfId(h), -2) << h;
        EXPECT_NE(h, reused);
    }
    EXPECT_FALSE(report.DeleteItem(RootNode));
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(report.GetItemCount(), count);
    EXPECT_TRUE(report.Take().empty());
    for (NodeHandle h : {a, a1, reused}) EXPECT_TRUE(h < 0x80000000u && h != 0) << h;
}

TEST_F(TreeTest, TreeChangesNeedTheirStyles) {
    report.CacheStyle(TreeShownOnly);
    EXPECT_EQ(Add("a"), 0u);
    EXPECT_EQ(report.GetItemCount(), 0);
    report.CacheStyle(Tree);
    NodeHandle a = Add("a");
    report.CacheStyle(TreeShownOnly);
    EXPECT_FALSE(report.DeleteItem(a));
    EXPECT_TRUE(report.Expand(a, 1));
    ReportItem item{};
    EXPECT_EQ(report.InsertListItem(item), -2) << "a tree takes no list items";
}

TEST_F(TreeTest, StyleChangesMoveTheRowHeightOnlyWhenTheyHappen) {
    const int height = report.RowHeight();
    report.ChangeStyle(Tree | HorizontalGrid);
    report.ChangeStyle(Tree | HorizontalGrid);
    EXPECT_EQ(report.RowHeight(), height + 1);
    report.ChangeStyle(Tree);
    report.ChangeStyle(Tree);
    EXPECT_EQ(report.RowHeight(), height);
    report.SetFocusColumn(0);
    report.ChangeStyle(Tree | CellFocus);
    report.ChangeStyle(Tree);
    EXPECT_EQ(report.FocusColumn(), -1);

    // Leaving tree mode shows every item as a row, in item order.
    NodeHandle a = Add("a");
    Add("a1", a);
    Add("b");
    report.ChangeStyle(0);
    EXPECT_EQ(Rows(), "a a1 b");
    report.ChangeStyle(Tree);
    EXPECT_EQ(Rows(), "a b");
}

// --- a parent that calls back from inside its notifications ----------------------------

TEST_F(TreeTest, ParentDeletingFromInsideDeleteNotifications) {
    struct Case {
        const char* what;
        const char* victim;  // the parent deletes it on the first -2055
        const char* rowsAfter;
    };
    const Case cases[] = {
        {"the item being deleted", "a11", "b"},
        {"the parent of the one being deleted", "a1", "b"},
        {"an unrelated node", "b", ""},
        {"everything", "*", ""},
    };
    for (const Case& c : cases) {
        report.answer = nullptr;
        report.DeleteAllItems();
        NodeHandle a = Add("a");
        NodeHandle a1 = Add("a1", a);
        NodeHandle a11 = Add("a11", a1);
        NodeHandle b = Add("b");
        report.Expand(a, 1);
        report.Take();
        bool done = false;
        report.answer = [&](NotifyHeader& h) -> intptr_t {
            if (h.code != NotifyDeleteItem || done) return 0;
            done = true;
            std::string v = c.victim;
            if (v == "*")
                report.DeleteAllItems();
            else
                report.DeleteItem(v == "a11" ? a11 : v == "a1" ? a1 : b);
            return 0;
        };
        ASSERT_TRUE(report.DeleteItem(a)) << c.what;
        EXPECT_EQ(Rows(), c.rowsAfter) << c.what;
        const size_t expected = 4 - static_cast<size_t>(report.GetItemCount());
        EXPECT_EQ(report.notes.size(), expected) << c.what << ": one notification per item removed";
        EXPECT_EQ(Problems(), "") << c.what;
    }
}

TEST_F(TreeTest, ParentInsertingFromInsideStateNotifications) {
    NodeHandle g = Add("g");
    report.answer = [&](NotifyHeader& h) -> intptr_t {
        if (h.code == NotifyStateChanged && report.GetItemCount() < 6) {
            Add("new", RootNode, FirstChild);
            report.Expand(g, 2);
        }
        return 0;
    };
    Add("g1", g);
    Add("g2", g);
    report.Expand(g, 1);
    report.SelectRows(0, 2, true, false, false, true);
    EXPECT_GT(report.GetItemCount(), 3);
    EXPECT_EQ(Problems(), "");
}

// A and its child B; the tree style cleared, one of them deleted, the style
// set again, and a child made, in the deleted item's slot if one is free.
TEST_F(TreeTest, DeletingInListModeNeverLeavesAChildAFreedParent) {
    for (const auto& [item, deleted, childrenOfA] : {std::tuple{0, false, "B"}, {1, true, "C"}}) {
        report.ChangeStyle(Tree);
        report.DeleteAllItems();
        const NodeHandle a = Add("A"), b = Add("B", a);
        report.ChangeStyle(0);
        ASSERT_EQ(report.DeleteListItem(item), deleted) << "a parent of children stays";
        report.ChangeStyle(Tree);
        EXPECT_EQ(report.GetNextItem(Add("C", deleted ? a : b), 0), a);
        EXPECT_EQ(Children(a), childrenOfA);
        EXPECT_EQ(Problems(), "");
    }
}

TEST_F(TreeTest, ParentDeletingEverythingInsideASortComparison) {
    for (bool tree : {true, false}) {
        report.answer = nullptr;
        report.SetCompareCallback(nullptr, 0);
        report.DeleteAllItems();
        report.ChangeStyle(tree ? Tree : 0);
        for (const char* text : {"d", "b", "a", "c"}) {
            if (tree) {
                NodeHandle n = Add(text);
                Add(text, n);
            } else {
                ReportItem item{};
                item.mask = MaskText;
                item.item = 99;
                item.text = const_cast<char*>(text);
                report.InsertListItem(item);
            }
        }
        static TestReport* target;
        target = &report;
        report.SetCompareCallback(
            [](int, int, int, int, intptr_t) {
                target->DeleteAllItems();
                return -1;
            },
            0);
        EXPECT_TRUE(report.SortItems(0, true));
        EXPECT_EQ(report.GetItemCount(), 0);
        EXPECT_EQ(Problems(), "");
        report.ChangeStyle(Tree);
        const NodeHandle p = Add("p");
        EXPECT_EQ(report.GetNextItem(RootNode, 4), p);
        EXPECT_EQ(Add("q", RootNode, SortedChild), 0u) << "the comparison removed the parent's children and q";
    }
}

}  // namespace
}  // namespace report_test
