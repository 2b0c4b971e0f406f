// The report control's input under Wine, as message sequences a recording
// parent receives: clicks with their modifiers, keys, the wheel and its
// setting, scroll bars with the header following, the focus, in-place edits
// begun by a click or a character and ended by Escape, Enter or Tab, header
// clicks, divider double clicks, drags and right clicks, and the tip trigger.
#include <algorithm>
#include <functional>
#include <memory>

#include "tests/controls/report/window_fixture.h"

namespace reportwin {
namespace {

const std::vector<uint32_t> kSelection{NotifyClick, NotifyStateChanging, NotifyStateChanged};

class ReportInput : public ReportWindowTest {
protected:
    static std::string State(int item, uint32_t state, bool changing = false) {
        return std::to_string(static_cast<int32_t>(changing ? NotifyStateChanging : NotifyStateChanged)) + " item " +
               std::to_string(item) + " state " + std::to_string(state);
    }
    // -2051 and -2052 of one item.
    static std::vector<std::string> Change(int item, uint32_t state) {
        return {State(item, state, true), State(item, state)};
    }
    static std::string ClickLine(int item, UINT keys) {
        return "-2049 item " + std::to_string(item) + " sub 0 keys " + std::to_string(keys);
    }
    static std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    }
    HWND EditorWindow() {
        for (HWND c = GetWindow(report, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char name[16] = "";
            GetClassNameA(c, name, sizeof name);
            if (lstrcmpiA(name, "Edit") == 0 && IsWindow(c)) return c;
        }
        return nullptr;
    }
    void SetWheelLines(const char* value) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        if (value)
            RegSetValueExA(key, "WheelScrollLines", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(strlen(value) + 1));
        else
            RegDeleteValueA(key, "WheelScrollLines");
        RegCloseKey(key);
        SendMessageA(report, WM_SETTINGCHANGE, 0, 0);
    }
};

// --- clicks and selection ---------------------------------------------------------

TEST_F(ReportInput, ClicksSelectByTheirModifiers) {
    struct Case {
        const char* what;
        DWORD style;
        UINT keys;
        int row;
        int vetoed;  // the parent refuses to change this item's selection
        std::vector<std::string> notices;
        const char* selection;
    };
    const UINT shift = MK_LBUTTON | MK_SHIFT, ctrl = MK_LBUTTON | MK_CONTROL, both = shift | MK_CONTROL;
    const Case cases[] = {
        {"shift from the anchor", 0, shift, 3, -1, Join({{ClickLine(3, shift)}, Change(2, 2), Change(3, 3)}), "1 2 3"},
        {"ctrl adds", 0, ctrl, 3, -1, Join({{ClickLine(3, ctrl)}, Change(3, 3)}), "1 3"},
        {"ctrl on the selected row takes it away", 0, ctrl, 1, -1, Join({{ClickLine(1, ctrl)}, Change(1, 1)}), ""},
        {"shift and ctrl keep the rest", 0, both, 2, -1, Join({{ClickLine(2, both)}, Change(2, 3)}), "1 2"},
        {"a plain click deselects the rest", 0, MK_LBUTTON, 2, -1,
         Join({{ClickLine(2, MK_LBUTTON)}, Change(2, 3), Change(1, 0)}), "2"},
        {"a vetoed deselection keeps the row", 0, MK_LBUTTON, 2, 1,
         Join({{ClickLine(2, MK_LBUTTON)}, Change(2, 3), {State(1, 0, true)}}), "1 2"},
        {"single selection collapses the range", SingleSelection, shift, 3, -1,
         Join({{ClickLine(3, shift)}, Change(3, 3), Change(1, 0)}), "3"},
    };
    for (const Case& c : cases) {
        Reset();
        Make(c.style, 5);
        Click(CellPoint(1, 0), MK_LBUTTON);
        parent.Take();
        const int vetoed = c.vetoed;
        parent.answer = [vetoed](NMHDR& h) -> LRESULT {
            return h.code == NotifyStateChanging && reinterpret_cast<ReportNotify&>(h).item == vetoed;
        };
        Click(CellPoint(c.row, 0), c.keys);
        EXPECT_EQ(parent.Take(kSelection), c.notices) << c.what;
        EXPECT_EQ(Selection(), c.selection) << c.what;
        EXPECT_EQ(report.FocusRow(), c.row) << c.what;
        parent.answer = nullptr;
    }
}

TEST_F(ReportInput, TheClickRecordAndItsVeto) {
    Make(0, 5);
    ReportItem param{};
    param.mask = MaskParam;
    param.item = 2;
    param.param = 77;
    ASSERT_TRUE(report.SetItem(param));
    ReportNotify click{};
    parent.answer = [&](NMHDR& h) -> LRESULT {
        if (h.code != NotifyClick) return 0;
        click = reinterpret_cast<ReportNotify&>(h);
        return 1;
    };
    const POINT at = CellPoint(2, 0);
    Click(at, MK_LBUTTON);
    EXPECT_EQ(click.x, at.x);
    EXPECT_EQ(click.y, at.y);
    EXPECT_EQ(click.hitFlags, HitText);
    EXPECT_EQ(click.item, 2);
    EXPECT_EQ(click.param, 77);
    EXPECT_EQ(report.FocusRow(), -2) << "a vetoed click selects nothing";
    EXPECT_EQ(GetFocus(), report.GetSafeHwnd()) << "but takes the focus";
    // A right click selects its row alone; with a modifier it leaves the selection.
    parent.answer = nullptr;
    Click(CellPoint(1, 0), MK_LBUTTON);
    Click(CellPoint(3, 0), MK_RBUTTON | MK_CONTROL, WM_RBUTTONDOWN);
    EXPECT_EQ(Selection(), "1");
    Click(CellPoint(3, 0), MK_RBUTTON, WM_RBUTTONDOWN);
    EXPECT_EQ(Selection(), "3");
    EXPECT_EQ(parent.Take({NotifyRightClick}),
              (std::vector<std::string>{"-2061 item 3 sub 0 keys 10", "-2061 item 3 sub 0 keys 2"}));
}

TEST_F(ReportInput, TreeButtonsAndDoubleClicksToggleGroups) {
    Make(Tree, 2);  // g0 (item 0) with g0a, g0b; g1 (item 3) with g1a, g1b; all closed
    const std::vector<uint32_t> codes{NotifyClick, NotifyDoubleClick, NotifyButtonClick, NotifyExpanded};
    const RECT group = RowRect(0);
    const POINT button{report.RowHeight() / 2, (group.top + group.bottom) / 2};
    Click(button, MK_LBUTTON);
    EXPECT_EQ(report.RowCount(), 4);
    EXPECT_EQ(parent.Take(codes), (std::vector<std::string>{"-2064 item 0 sub 0", "-2065 item 0 sub 0"}));
    EXPECT_EQ(Selection(), "") << "a button click selects nothing";
    parent.answer = [](NMHDR& h) -> LRESULT { return h.code == NotifyButtonClick; };
    Click(button, MK_LBUTTON);
    EXPECT_EQ(report.RowCount(), 4) << "vetoed";
    parent.answer = nullptr;
    parent.Take();
    Click(CellPoint(3, 0), MK_LBUTTON, WM_LBUTTONDBLCLK);
    EXPECT_EQ(report.RowCount(), 6);
    EXPECT_EQ(parent.Take(codes), (std::vector<std::string>{"-2050 item 3 sub 0 keys 1", "-2065 item 3 sub 0"}));
    Click(CellPoint(1, 0), MK_LBUTTON, WM_LBUTTONDBLCLK);  // a leaf
    EXPECT_EQ(report.RowCount(), 6);
    EXPECT_EQ(parent.Take(codes), std::vector<std::string>{"-2050 item 1 sub 0 keys 1"});
}

// --- keys --------------------------------------------------------------------------

TEST_F(ReportInput, KeysNotifyThenMove) {
    const std::vector<uint32_t> codes{NotifyKeyDown, NotifyStateChanging, NotifyStateChanged};
    struct Case {
        const char* what;
        DWORD style;
        int rows, focus;
        UINT key;
        std::vector<std::string> notices;
        int after;
    };
    const Case cases[] = {
        {"down on a fresh control", 0, 5, -2, VK_DOWN, Join({{"-2059 key 40 item -2"}, Change(0, 3)}), 0},
        {"down onto the entry row", EntryRow, 5, -2, VK_DOWN, Join({{"-2059 key 40 item -2"}, Change(-1, 3)}), -1},
        {"up on row 0", 0, 5, 0, VK_UP, {"-2059 key 38 item 0"}, 0},
        {"up onto the entry row", EntryRow, 5, 0, VK_UP, Join({{"-2059 key 38 item 0"}, Change(-1, 3), Change(0, 0)}),
         -1},
        {"end on an empty control", 0, 0, -2, VK_END, {"-2059 key 35 item -2"}, -2},
        {"space on an empty control", EntryRow, 0, -2, VK_SPACE, {"-2059 key 32 item -2"}, -2},
    };
    for (const Case& c : cases) {
        Reset();
        Make(c.style, c.rows);
        SetFocus(report);
        if (c.focus != -2) {
            report.SelectRows(c.focus, c.focus, true, false, false, false);
            report.SetAnchorRow(c.focus);
        }
        parent.Take();
        Key(c.key);
        EXPECT_EQ(parent.Take(codes), c.notices) << c.what;
        EXPECT_EQ(report.FocusRow(), c.after) << c.what;
    }
    // Shift and Ctrl come from the keyboard's state.
    Reset();
    Make(0, 5);
    SetFocus(report);
    Key(VK_DOWN);
    Key(VK_DOWN, true);
    Key(VK_DOWN, false, true);
    EXPECT_EQ(Selection(), "0 1");
    EXPECT_EQ(report.FocusRow(), 2);
}

TEST_F(ReportInput, AVetoedKeyNeitherMovesNorStartsAnEdit) {
    Make(CellFocus, 3);
    SetFocus(report);
    Click(CellPoint(1, 0), MK_LBUTTON);
    parent.Take();
    parent.answer = [](NMHDR& h) -> LRESULT { return h.code == NotifyKeyDown; };
    Key(VK_DOWN);
    Key('A');
    Char('a');
    EXPECT_EQ(report.FocusRow(), 1);
    EXPECT_EQ(EditorWindow(), nullptr);
    EXPECT_EQ(parent.Take({NotifyBeginEdit}), std::vector<std::string>{});
    // Allowed, the letter opens the focused cell with that letter.
    parent.answer = nullptr;
    Key('A');
    Char('a');
    HWND editor = EditorWindow();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(parent.Take({NotifyBeginEdit}), std::vector<std::string>{"-2057 item 1 sub 0 key 97 'row1'"});
    char text[32] = "";
    GetWindowTextA(editor, text, sizeof text);
    EXPECT_STREQ(text, "a");
    Key(VK_ESCAPE);
    Pump();
    EXPECT_EQ(report.GetItemText(1, 0), "row1");
}

// --- editing --------------------------------------------------------------------------

TEST_F(ReportInput, AClickOnTheFocusedCellOpensAnEditorThatEndsByItsKey) {
    struct Case {
        UINT key;
        LRESULT parentAnswer;
        const char* stored;
    };
    const Case cases[] = {
        {VK_RETURN, 0, "changed"}, {VK_TAB, 0, "changed"}, {VK_ESCAPE, 0, "row1c1"}, {VK_RETURN, 1, "row1c1"}};
    for (const Case& c : cases) {
        Reset();
        Make(CellFocus, 3, 2, 80);
        SetFocus(report);
        const POINT cell = CellPoint(1, 1);
        Click(cell, MK_LBUTTON);
        EXPECT_EQ(EditorWindow(), nullptr) << "the first click only focuses the cell";
        Click(cell, MK_LBUTTON);
        HWND editor = EditorWindow();
        ASSERT_NE(editor, nullptr) << c.key;
        EXPECT_EQ(report.GetEditor(), editor);
        EXPECT_EQ(GetFocus(), editor);
        RECT place, text;
        GetWindowRect(editor, &place);
        MapWindowPoints(nullptr, report, reinterpret_cast<POINT*>(&place), 2);
        ASSERT_TRUE(report.GetItemRect(1, 1, text, PartText));
        EXPECT_EQ(place.left, text.left);
        EXPECT_EQ(place.top, text.top + 2);
        SetWindowTextA(editor, "changed");
        const LRESULT answer = c.parentAnswer;
        parent.answer = [answer](NMHDR& h) -> LRESULT { return h.code == NotifyEndEdit ? answer : 0; };
        Key(c.key);
        Pump();
        EXPECT_EQ(parent.Take({NotifyBeginEdit, NotifyEndEdit}),
                  (std::vector<std::string>{"-2057 item 1 sub 1 key 1 'row1c1'",
                                            "-2058 item 1 sub 1 key " + std::to_string(c.key) + " 'changed'"}))
            << c.key;
        EXPECT_EQ(report.GetItemText(1, 1), c.stored) << c.key;
        EXPECT_FALSE(IsWindow(editor)) << c.key;
        EXPECT_EQ(report.GetEditor(), nullptr);
        EXPECT_EQ(GetFocus(), report.GetSafeHwnd()) << c.key;
        EXPECT_TRUE(report.HasKeyboardFocus());
        parent.answer = nullptr;
    }
}

TEST_F(ReportInput, EditsThatCannotBeginAndEditsTheControlEnds) {
    Make(CellFocus | EntryRow, 3);
    SetFocus(report);
    SetState(0, StateReadOnly);
    ReportItem none{};
    none.mask = MaskText;
    none.item = 2;
    none.subItem = 0;
    none.text = nullptr;
    ASSERT_TRUE(report.SetItem(none));
    struct Case {
        int row, column;
        BOOL result;
    };
    const Case cases[] = {{-2, 0, FALSE}, {1, -1, FALSE}, {0, 0, FALSE}, {2, 0, FALSE}, {1, 3, FALSE}, {1, 0, TRUE}};
    for (const Case& c : cases) {
        EXPECT_EQ(report.BeginEdit(c.row, c.column, 1), c.result) << c.row << "," << c.column;
        parent.Take();
    }
    HWND editor = EditorWindow();
    ASSERT_NE(editor, nullptr);
    SetWindowTextA(editor, "scrolled away");
    SendMessageA(report, WM_VSCROLL, SB_LINEDOWN, 0);  // the control ends it, storing
    Pump();
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(report.GetItemText(1, 0), "scrolled away");
    EXPECT_EQ(GetFocus(), report.GetSafeHwnd());
    EXPECT_EQ(parent.Take({NotifyEndEdit}), std::vector<std::string>{}) << "its late report is not passed on";
    // Without the entry row style, row -1 is no row to edit.
    report.ModifyStyle(EntryRow, 0);
    EXPECT_FALSE(report.BeginEdit(-1, 0, 1));
    // A parent that edits with a window of its own.
    HWND own = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 10, 10, parent.hwnd, nullptr, nullptr, nullptr);
    parent.answer = [own](NMHDR& h) -> LRESULT {
        if (h.code != NotifyBeginEdit) return 0;
        reinterpret_cast<ReportEditNotify&>(h).editor = own;
        return 1;
    };
    EXPECT_TRUE(report.BeginEdit(1, 0, 1));
    EXPECT_EQ(report.GetEditor(), own);
    EXPECT_EQ(GetFocus(), own);
    EXPECT_FALSE(report.HasKeyboardFocus()) << "the parent's editor is outside the control";
    parent.answer = nullptr;
}

// --- wheel and scroll bars ---------------------------------------------------------------

TEST_F(ReportInput, TheWheelPostsLinesByTheSetting) {
    Make(0, 40);
    struct Case {
        const char* setting;  // nullptr: no value, the default of 3
        int delta;
        std::vector<int> posted;
        int top;  // after the requests are handled
    };
    const std::vector<int> three(3, SB_LINEUP), six(6, SB_LINEDOWN);
    const Case cases[] = {
        {nullptr, -240, six, 16},
        {nullptr, 120, three, 7},
        {"0", 120, {}, 10},
        {"1", -120, {SB_LINEDOWN}, 11},
        {"-1", -120, {SB_PAGEDOWN}, 10 + report.VisibleRows(10, true)},
        {"4294967295", 120, {SB_PAGEUP}, std::max(10 - report.VisibleRows(0, true), 0)},
        {"100000", -120, {}, 40 - report.VisibleRows(20, true)},  // moved at once, nothing posted
        {"not a number", 120, {}, 10},
    };
    for (const Case& c : cases) {
        SetWheelLines(c.setting);
        report.SetTopRow(10);
        SendMessageA(report, WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), 0);
        EXPECT_EQ(TakePostedScrolls(), c.posted) << (c.setting ? c.setting : "default") << " " << c.delta;
        report.SetTopRow(10);
        SendMessageA(report, WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), 0);
        Pump();
        EXPECT_EQ(report.TopRow(), c.top) << (c.setting ? c.setting : "default") << " " << c.delta;
    }
    SetWheelLines(nullptr);
}

TEST_F(ReportInput, ScrollBarsMoveRowsAndTheHeaderFollows) {
    Make(0, 30, 3, 100);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    const int page = report.VisibleRows(0, true);
    struct Case {
        int bar, code, thumb, position;
    };
    const Case cases[] = {
        {SB_VERT, SB_LINEDOWN, 0, 1},   {SB_VERT, SB_PAGEDOWN, 0, 1 + page}, {SB_VERT, SB_BOTTOM, 0, 30 - page},
        {SB_VERT, SB_THUMBTRACK, 7, 7}, {SB_VERT, SB_PAGEUP, 0, 0},          {SB_VERT, SB_LINEUP, 0, 0},
        {SB_HORZ, SB_LINERIGHT, 0, -1}, {SB_HORZ, SB_PAGERIGHT, 0, -2},      {SB_HORZ, SB_THUMBPOSITION, 50, 50},
        {SB_HORZ, SB_LEFT, 0, 0},       {SB_HORZ, SB_RIGHT, 0, -3},
    };
    const RECT area = report.ItemArea();
    const int width = area.right - area.left, end = 300 - width;
    for (const Case& c : cases) {
        const int before = report.ScrollX();
        SendMessageA(report, c.bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(c.code, c.thumb), 0);
        int expected = c.position;
        if (c.position == -1) expected = std::min(before + width / 8, end);
        if (c.position == -2) expected = std::min(before + width, end);
        if (c.position == -3) expected = end;
        ASSERT_TRUE(GetScrollInfo(report, c.bar, &info));
        EXPECT_EQ(info.nPos, expected) << c.bar << " " << c.code;
        EXPECT_EQ(c.bar == SB_VERT ? report.TopRow() : report.ScrollX(), expected) << c.bar << " " << c.code;
        RECT place;
        GetWindowRect(report.GetHeader(), &place);
        MapWindowPoints(nullptr, report, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, -report.ScrollX()) << "the header follows";
        EXPECT_EQ(place.right - place.left, 300);
    }
}

// --- the header ------------------------------------------------------------------------------

TEST_F(ReportInput, HeaderClicksSortAndReverse) {
    Make(0, 0, 2, 80);
    const char* names[] = {"pear", "apple", "fig", "kiwi"};
    for (int i = 0; i < 4; ++i) {
        ReportItem item{};
        item.mask = MaskText;
        item.item = i;
        item.text = const_cast<char*>(names[i]);
        report.InsertListItem(item);
    }
    auto rows = [this] {
        std::string out;
        for (int r = 0; r < report.RowCount(); ++r) out += report.GetItemText(report.RowToItem(r), 0) + " ";
        return out;
    };
    auto headerNotify = [this](UINT code, int item) {
        NMHEADERA notice{};
        notice.hdr = {report.GetHeader(), 0, code};
        notice.iItem = item;
        return SendMessageA(report, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    };
    struct Step {
        UINT code;
        int item;
        LRESULT veto;
        const char* rows;
    };
    const Step steps[] = {
        {HDN_ITEMCLICKA, 0, 0, "apple fig kiwi pear "},
        {HDN_ITEMCLICKA, 0, 0, "pear kiwi fig apple "},
        {HDN_ITEMCLICKW, 0, 0, "apple fig kiwi pear "},
        {HDN_ITEMCLICKA, 0, 1, "apple fig kiwi pear "},  // the parent takes the click
    };
    for (const Step& s : steps) {
        const LRESULT veto = s.veto;
        parent.answer = [veto](NMHDR& h) -> LRESULT { return h.code == NotifyColumnClick ? veto : 0; };
        headerNotify(s.code, s.item);
        EXPECT_EQ(rows(), s.rows);
        EXPECT_EQ(parent.Take({NotifyColumnClick}), std::vector<std::string>{"-2053 sub 0"});
    }
    parent.answer = nullptr;
    report.ModifyStyle(0, NoSort);
    headerNotify(HDN_ITEMCLICKA, 0);
    EXPECT_EQ(rows(), "apple fig kiwi pear ") << "no sorting with NoSort";
}

TEST_F(ReportInput, ADividerDoubleClickSizesTheColumnToItsWidestCell) {
    Make(Tree, 0, 2, 50);
    NodeHandle g = AddTree("g");
    AddTree("a rather wide user name", g);
    SetText(0, 1, "x");
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(report, WM_GETFONT, 0, 0));
    HDC dc = GetDC(report);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE wide{};
    GetTextExtentPoint32A(dc, "a rather wide user name", 23, &wide);
    SelectObject(dc, old);
    ReleaseDC(report, dc);
    EXPECT_EQ(report.MeasureCell(1, 0).cx, wide.cx + 2 * ReportModel::kTextMargin);
    EXPECT_EQ(report.MeasureCell(1, 0).cy, report.RowHeight());
    EXPECT_EQ(report.MeasureCell(1, -1).cx, ReportModel::kDefaultColumnWidth);
    auto divider = [this](int item, LRESULT veto) {
        parent.answer = [veto](NMHDR& h) -> LRESULT { return h.code == NotifyDividerDoubleClick ? veto : 0; };
        NMHEADERA notice{};
        notice.hdr = {report.GetHeader(), 0, static_cast<UINT>(HDN_DIVIDERDBLCLICKA)};
        notice.iItem = item;
        SendMessageA(report, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
        parent.answer = nullptr;
        return report.GetSubItem(item)->width;
    };
    EXPECT_EQ(divider(0, 1), 50) << "vetoed";
    // The first column counts the indent of the deepest row: level 2 here.
    EXPECT_EQ(divider(0, 0), wide.cx + 2 * ReportModel::kTextMargin + 2 * report.RowHeight());
    EXPECT_EQ(report.TotalColumnWidth(), report.GetSubItem(0)->width + 50);
    EXPECT_EQ(parent.Take({NotifyDividerDoubleClick, NotifyColumnChanged}),
              (std::vector<std::string>{"-2060 sub 0", "-2060 sub 0", "-2054 item -2 sub 0"}));
}

TEST_F(ReportInput, ColumnsDraggedOffGoAndRightClicksReachTheParent) {
    Make(RemovableColumns, 2, 3, 60);
    HWND header = report.GetHeader();
    // A drag released outside every item: the header's drop state is -1.
    auto endDrag = [&](int item) {
        NMHEADERA notice{};
        notice.hdr = {header, 0, static_cast<UINT>(HDN_ENDDRAG)};
        notice.iItem = item;
        return SendMessageA(report, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    };
    headertest::Mouse(header, WM_LBUTTONDOWN, POINT{90, 5}, MK_LBUTTON);
    headertest::Mouse(header, WM_MOUSEMOVE, POINT{110, 5}, MK_LBUTTON);
    headertest::Mouse(header, WM_MOUSEMOVE, POINT{110, 60}, MK_LBUTTON);
    headertest::Mouse(header, WM_LBUTTONUP, POINT{110, 60}, 0);
    Pump();
    EXPECT_FALSE(report.IsColumnShown(1)) << "dragged off the header";
    EXPECT_EQ(report.ColumnCount(), 2);
    EXPECT_EQ(report.TotalColumnWidth(), 120);
    // Without the style a column dragged off stays, in its place.
    report.ModifyStyle(RemovableColumns, 0);
    EXPECT_EQ(endDrag(0), 1) << "the drop state is still -1: the order stays";
    Pump();
    EXPECT_TRUE(report.IsColumnShown(0));
    EXPECT_TRUE(report.IsColumnShown(2));
    // Right clicks on columns.
    parent.answer = [](NMHDR& h) -> LRESULT { return h.code == NotifyColumnRightClick; };
    parent.Take();
    SendMessageA(header, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(70, 5));
    EXPECT_EQ(parent.Take(), std::vector<std::string>{"-2066 sub 2"});
    parent.answer = nullptr;
}

// Messages to the header while a bare notice of it is handled.
std::vector<UINT> headerMessages;
LRESULT CALLBACK RecordHeaderMessage(int code, WPARAM wp, LPARAM lp) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lp);
    char name[32] = "";
    if (code == HC_ACTION && GetClassNameA(sent->hwnd, name, sizeof name) && lstrcmpiA(name, WC_HEADERA) == 0)
        headerMessages.push_back(sent->message);
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(ReportInput, BareHeaderNoticesAreReadNoFurtherThanTheirCode) {
    Make(0, 2, 2, 60);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordHeaderMessage, nullptr, GetCurrentThreadId());
    // What lies past the NMHDR would read as an NMHEADERA naming item 0.
    struct {
        NMHDR header;
        int after[4];
    } notice{{report.GetHeader(), 0, 0}, {}};
    for (UINT code : {static_cast<UINT>(NM_RELEASEDCAPTURE), static_cast<UINT>(NM_RCLICK)}) {
        notice.header.code = code;
        SendMessageA(report, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    }
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(headerMessages, std::vector<UINT>{}) << "no header item was looked up";
    EXPECT_EQ(parent.Take(), std::vector<std::string>{});
}

TEST_F(ReportInput, TheColumnChooserListsTheHiddenColumnsItAccepts) {
    Make(0, 1, 4, 50);
    struct NoCol3 : ReportColumnChooser {
        bool Accepts(int subItem, const SubItemDef&) override { return subItem != 3; }
    };
    auto chooser = std::make_unique<NoCol3>();
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 80, 80, parent.hwnd, nullptr, nullptr, nullptr);
    ASSERT_TRUE(chooser->SubclassWindow(list));
    report.HideColumn(3);
    report.SetColumnChooser(chooser.get());
    auto reorder = [&] {  // the first column dragged behind the last
        for (auto [msg, x] : {std::pair{WM_LBUTTONDOWN, 20}, {WM_MOUSEMOVE, 40}, {WM_MOUSEMOVE, 95}, {WM_LBUTTONUP, 95}})
            headertest::Mouse(report.GetHeader(), msg, POINT{x, 5}, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON);
        UpdateWindow(report);
    };
    // The user's pick (*) stays through resizes, moves and changes of the list.
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[] {}, ""},
        {[&] { report.HideColumn(1); report.HideColumn(0); }, "Name=0 Col1=1"},
        {[&] { SendMessageA(list, LB_SETCURSEL, 1, 0); report.SetColumnWidth(2, 60); }, "Name=0 *Col1=1"},
        {[&] { report.ShowColumn(0); }, "*Col1=1"},  // behind Col2
        {reorder, "*Col1=1"},
    };
    for (const auto& [change, expected] : steps) {
        change();
        std::string entries;
        for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
            char text[16] = "";
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            entries += std::string(i ? " " : "") + (SendMessageA(list, LB_GETCURSEL, 0, 0) == i ? "*" : "") + text +
                       "=" + std::to_string(chooser->SubItemAt(i));
        }
        EXPECT_EQ(entries, expected);
    }
    EXPECT_EQ(report.ColumnSubItem(0), 0) << "reordered";
    chooser.reset();
    EXPECT_EQ(report.GetColumnChooser(), nullptr) << "a list that goes is forgotten";
    report.ShowColumn(1);
    DestroyWindow(list);
}

// --- focus and tips ---------------------------------------------------------------------------

TEST_F(ReportInput, TipsAreAskedForOverTextWhileTheControlHasTheFocus) {
    Make(TruncationTips | Tree, 0, 1, 80);
    NodeHandle g = AddTree("group");
    AddTree("a long user name beyond the cell", g);
    report.Expand(g, 1);
    const POINT text = CellPoint(1, 0);
    struct Case {
        bool focused;
        POINT at;
        UINT buttons;
        size_t tips;
    };
    const RECT row = RowRect(1);
    const Case cases[] = {
        {false, text, 0, 0},
        {true, text, 0, 1},
        {true, text, MK_LBUTTON, 0},
        {true, POINT{report.RowHeight() / 2, (RowRect(0).top + RowRect(0).bottom) / 2}, 0, 0},  // the button
        {true, POINT{5, (row.top + row.bottom) / 2}, 0, 0},                                     // the indent
    };
    for (const Case& c : cases) {
        SetFocus(c.focused ? report.GetSafeHwnd() : parent.hwnd);
        report.tips.clear();
        SendMessageA(report, WM_MOUSEMOVE, c.buttons, MAKELPARAM(c.at.x, c.at.y));
        EXPECT_EQ(report.tips.size(), c.tips) << c.at.x << "," << c.at.y;
    }
    SetFocus(report);
    report.tips.clear();
    SendMessageA(report, WM_MOUSEMOVE, 0, MAKELPARAM(text.x, text.y));
    EXPECT_EQ(report.tips, std::vector<std::string>{"item 1 sub 0 'a long user name beyond the cell'"});
    // The tip stands over the text part, one margin wider on each side.
    RECT part, shown;
    ASSERT_TRUE(report.GetItemRect(1, 0, part, PartText));
    MapWindowPoints(report, nullptr, reinterpret_cast<POINT*>(&part), 2);
    ASSERT_TRUE(IsWindowVisible(report.GetTip()));
    GetWindowRect(report.GetTip(), &shown);
    EXPECT_EQ(shown.left, part.left - ReportModel::kTextMargin);
    EXPECT_EQ(shown.top, part.top);
    EXPECT_EQ(shown.bottom, part.bottom);
    EXPECT_GT(shown.right, part.right + ReportModel::kTextMargin);
    report.GetTip().HideTip();
    // Without the style nothing is asked.
    report.ModifyStyle(TruncationTips, 0);
    report.tips.clear();
    SendMessageA(report, WM_MOUSEMOVE, 0, MAKELPARAM(text.x, text.y));
    EXPECT_TRUE(report.tips.empty());
}

TEST_F(ReportInput, FocusComesAndGoes) {
    Make(0, 3);
    EXPECT_FALSE(report.HasKeyboardFocus());
    SetFocus(report);
    EXPECT_TRUE(report.HasKeyboardFocus());
    EXPECT_EQ(SendMessageA(report, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
    SetFocus(parent.hwnd);
    EXPECT_FALSE(report.HasKeyboardFocus());
    // Hidden from the parent's view, an editor of the control keeps it.
    SetFocus(report);
    ASSERT_TRUE(report.BeginEdit(0, 0, 1));
    EXPECT_TRUE(report.HasKeyboardFocus());
    SetFocus(parent.hwnd);  // the editor loses the focus outside the control
    Pump();
    EXPECT_EQ(report.GetEditor(), nullptr);
    EXPECT_FALSE(report.HasKeyboardFocus());
}

}  // namespace
}  // namespace reportwin
