// The report control's tip window, in-place editor and view under Wine:
// when a tip shows, how it fades, where the presses and moves on it arrive;
// the keys and the button of the editor, its one end report and its
// self-deletion; the view's one control and its creation by name.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <set>

#include "controls/report/report_item_edit.h"
#include "controls/report/report_view.h"
#include "tests/controls/report/popup_fixture.h"
#include "tests/controls/report/window_fixture.h"

using namespace report;
using popuptest::PumpTranslated;

namespace {

constexpr char kLong[] = "a long user name beyond the cell";

class ReportTip : public reportwin::ReportWindowTest {
protected:
    void SetUp() override { MakeTipped(); }
    void MakeTipped() {
        Make(TruncationTips, 3, 1, 80);
        SetText(1, 0, kLong);
        SetFocus(report);
    }
    HWND Tip() { return report.GetTip(); }
    // The pointer over row 1's text, as the control shows its tips.
    void Hover() { SendMessageA(report, WM_MOUSEMOVE, 0, MAKELPARAM(CellPoint(1, 0).x, CellPoint(1, 0).y)); }
    BYTE ShownAlpha() {
        BYTE alpha = 0;
        DWORD flags = 0;
        EXPECT_TRUE(GetLayeredWindowAttributes(Tip(), nullptr, &alpha, &flags));
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
        return alpha;
    }
    SIZE Extent(const char* text) {
        HDC dc = GetDC(report);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(report, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
        SelectObject(dc, old);
        ReleaseDC(report, dc);
        return size;
    }
};

TEST_F(ReportTip, ShowsOnlyTextsWiderThanTheirCellWhileTheApplicationHasTheFocus) {
    const int width = Extent(kLong).cx;
    struct Case {
        RECT cell;
        bool focus;
        BOOL shown;
    };
    const Case cases[] = {
        {{10, 10, 10 + width, 30}, true, FALSE},      // fits exactly
        {{10, 10, 10 + width - 1, 30}, true, TRUE},   // one pixel too narrow
        {{10, 10, 10 + width - 1, 30}, true, TRUE},   // asked again: stays
        {{10, 10, 10 + width + 9, 30}, true, FALSE},  // room to spare
        {{10, 10, 10, 30}, true, FALSE},              // empty
        {{10, 10, 20, 30}, false, FALSE},             // nothing of ours has the focus
    };
    for (const Case& c : cases) {
        SetFocus(c.focus ? report.GetSafeHwnd() : nullptr);
        EXPECT_EQ(report.GetTip().ShowTip(c.cell, kLong), c.shown) << c.cell.right - c.cell.left;
        EXPECT_EQ(IsWindowVisible(Tip()) != 0, c.shown != 0) << c.cell.right - c.cell.left;
    }
}

TEST_F(ReportTip, FadesInByStepsButShowsAtOnceSoonAfterAHide) {
    ASSERT_TRUE(report.GetTip().IsLayered());
    ASSERT_EQ(GetWindowLongA(Tip(), GWL_EXSTYLE) & WS_EX_LAYERED, WS_EX_LAYERED);
    Hover();
    ASSERT_TRUE(IsWindowVisible(Tip()));
    std::vector<int> seen{ShownAlpha()};
    EXPECT_EQ(seen[0], 0);
    PumpTranslated([&] {
        const int alpha = ShownAlpha();
        if (alpha != seen.back()) seen.push_back(alpha);
        return alpha == 255;
    });
    ASSERT_EQ(seen.back(), 255);
    EXPECT_GE(seen.size(), 3u) << "in steps, not at once";
    for (size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GT(seen[i], seen[i - 1]);
        EXPECT_TRUE(seen[i] % 10 == 0 || seen[i] == 255) << seen[i];
    }
    // Moving on to the next cell: no fade.
    report.GetTip().HideTip();
    Hover();
    EXPECT_EQ(ShownAlpha(), 255);
    // Once the pause is over the next tip fades in again.
    report.GetTip().HideTip();
    ASSERT_TRUE(PumpTranslated([&] { return report.GetTip().Alpha() == 0; }));
    Hover();
    EXPECT_EQ(ShownAlpha(), 0);
}

TEST_F(ReportTip, MovesLeavingTheCellGoToTheWindowBelow) {
    Hover();
    RECT cell, tip;
    ASSERT_TRUE(report.GetItemRect(1, 0, cell, PartText));
    GetClientRect(Tip(), &tip);
    const int margin = ReportModel::kTextMargin, middle = tip.bottom / 2;
    // Within the cell the tip stays; beyond it, over the control's empty
    // right part, the tip goes and the control gets the move.
    SendMessageA(Tip(), WM_MOUSEMOVE, 0, MAKELPARAM(margin + 3, middle));
    EXPECT_TRUE(IsWindowVisible(Tip()));
    MSG moved{};
    EXPECT_FALSE(PeekMessageA(&moved, report, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE));
    const POINT beyond{cell.right - cell.left + margin + 20, middle};
    SendMessageA(Tip(), WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(beyond.x, beyond.y));
    EXPECT_FALSE(IsWindowVisible(Tip()));
    ASSERT_TRUE(PeekMessageA(&moved, report, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    POINT at = popuptest::Screen(Tip(), beyond);
    ScreenToClient(report, &at);
    EXPECT_EQ(moved.wParam, static_cast<WPARAM>(MK_SHIFT));
    EXPECT_EQ(moved.lParam, MAKELPARAM(at.x, at.y));
}

TEST_F(ReportTip, PressesReachTheControlAtTheSameScreenPoint) {
    // A long double-click time, so that a slow machine still counts two
    // quick presses as one double click.
    const UINT systemTime = GetDoubleClickTime();
    SetDoubleClickTime(60000);
    Reset();
    MakeTipped();
    SetDoubleClickTime(systemTime);
    const std::string row1 = "item 1 sub 0 keys ";
    struct Step {
        UINT pressed, keys, arrives;
        std::vector<std::string> notes;
    };
    const Step steps[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, WM_LBUTTONDOWN, {"-2049 " + row1 + "1"}},
        {WM_LBUTTONDOWN, MK_LBUTTON, WM_LBUTTONDBLCLK, {"-2050 " + row1 + "1"}},
        {WM_LBUTTONDOWN, MK_LBUTTON, WM_LBUTTONDOWN, {"-2049 " + row1 + "1"}},  // a third press starts afresh
        {WM_RBUTTONDOWN, MK_RBUTTON, WM_RBUTTONDOWN, {"-2061 " + row1 + "2"}},
        {WM_MBUTTONDOWN, MK_MBUTTON, WM_MBUTTONDOWN, {}},
    };
    for (const Step& s : steps) {
        SetFocus(report);
        Hover();
        ASSERT_TRUE(IsWindowVisible(Tip())) << s.pressed;
        const POINT on{20, 5};
        POINT at = popuptest::Screen(Tip(), on);
        ScreenToClient(report, &at);
        parent.Take();
        PostMessageA(Tip(), s.pressed, s.keys, MAKELPARAM(on.x, on.y));
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, Tip(), 0, 0, PM_REMOVE));
        EXPECT_TRUE(win::CWnd::WalkPreTranslateTree(nullptr, msg)) << "the tip takes its presses";
        EXPECT_FALSE(IsWindowVisible(Tip()));
        ASSERT_TRUE(PeekMessageA(&msg, report, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) << s.pressed;
        EXPECT_EQ(msg.message, s.arrives);
        EXPECT_EQ(msg.wParam, s.keys);
        EXPECT_EQ(msg.lParam, MAKELPARAM(at.x, at.y));
        DispatchMessageA(&msg);
        EXPECT_EQ(parent.Take({NotifyClick, NotifyDoubleClick, NotifyRightClick}), s.notes) << s.pressed;
    }
}

// --- the editor ---------------------------------------------------------------------------

class ReportEditor : public reportwin::ReportWindowTest {
protected:
    HWND OpenEditor(int item, UINT key) {
        SetFocus(report);
        if (!report.BeginEdit(item, 0, key)) return nullptr;
        return report.GetEditor();
    }
    static std::string Text(HWND window) {
        char text[64] = "";
        GetWindowTextA(window, text, sizeof text);
        return text;
    }
    HWND Button() {
        for (HWND c = GetWindow(report, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (Text(c) == CReportItemEdit::kButtonText) return c;
        return nullptr;
    }
};

TEST_F(ReportEditor, TheFirstKeyPlacesTheCaretOrReplacesTheText) {
    Make(0, 2);
    struct Case {
        UINT key;
        const char* text;
        DWORD from, to;
    };
    const Case cases[] = {
        {1, "row1", 4, 4},        {VK_RETURN, "row1", 4, 4}, {VK_BACK, "row", 3, 3}, {VK_TAB, "row1", 0, 4},
        {VK_SPACE, "row1", 0, 4}, {'x', "x", 1, 1},          {'$', "$", 1, 1},  // a typed character, though it shares
                                                                                // its number with Home
    };
    for (const Case& c : cases) {
        HWND editor = OpenEditor(1, c.key);
        ASSERT_NE(editor, nullptr) << c.key;
        DWORD from = 0, to = 0;
        SendMessageA(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(Text(editor), c.text) << c.key;
        EXPECT_EQ(from, c.from) << c.key;
        EXPECT_EQ(to, c.to) << c.key;
        report.EndEdit(FALSE, nullptr);
        Pump();
    }
}

TEST_F(ReportEditor, KeysFromTheQueueEndTheEditAndTellWhichOne) {
    struct Case {
        UINT key;  // 0: the focus simply moves away
        const char* stored;
        UINT reported;
    };
    const Case cases[] = {{VK_RETURN, "changed", VK_RETURN},
                          {VK_TAB, "changed", VK_TAB},
                          {VK_ESCAPE, "row1", VK_ESCAPE},
                          {0, "changed", 13}};
    for (const Case& c : cases) {
        Reset();
        Make(0, 3);
        HWND editor = OpenEditor(1, 1);
        ASSERT_NE(editor, nullptr);
        SetWindowTextA(editor, "changed");
        parent.Take();
        if (c.key)
            PostMessageA(editor, WM_KEYDOWN, c.key, 1);
        else
            SetFocus(parent.hwnd);
        Pump();
        EXPECT_EQ(parent.Take({NotifyEndEdit}),
                  std::vector<std::string>{"-2058 item 1 sub 0 key " + std::to_string(c.reported) + " 'changed'"});
        EXPECT_EQ(report.GetItemText(1, 0), c.stored) << c.key;
        EXPECT_FALSE(IsWindow(editor)) << c.key;
        EXPECT_EQ(GetFocus(), c.key ? report.GetSafeHwnd() : parent.hwnd) << c.key;
    }
}

TEST_F(ReportEditor, TheButtonAsksTheParentForATextAndTheEditGoesOn) {
    struct Case {
        int width;
        LRESULT answer;
        bool button;
        const char* text;
    };
    const Case cases[] = {{150, 1, true, "picked"}, {150, 0, true, "row1"}, {30, 1, false, "row1"}};
    for (const Case& c : cases) {
        Reset();
        Make(0, 3, 1, c.width);
        HWND from = nullptr;
        const LRESULT answer = c.answer;
        parent.answer = [&from, answer](NMHDR& h) -> LRESULT {
            auto& record = reinterpret_cast<ReportEditNotify&>(h);
            if (h.code == NotifyBeginEdit) record.withButton = 1;
            if (h.code != NotifyEditButton) return 0;
            from = h.hwndFrom;
            lstrcpynA(record.text, "picked", 256);
            return answer;
        };
        HWND editor = OpenEditor(1, 1);
        ASSERT_NE(editor, nullptr);
        HWND button = Button();
        ASSERT_EQ(button != nullptr, c.button) << c.width;
        RECT cell, edit;
        report.GetItemRect(1, 0, cell, PartText);
        GetWindowRect(editor, &edit);
        MapWindowPoints(nullptr, report, reinterpret_cast<POINT*>(&edit), 2);
        const int height = edit.bottom - edit.top;
        EXPECT_EQ(edit.right, cell.right - (c.button ? height : 0)) << "room for a square button";
        if (!button) {
            report.EndEdit(FALSE, nullptr);
            continue;
        }
        parent.Take();
        SetFocus(button);  // what a press on it does
        Pump();
        EXPECT_EQ(parent.Take({NotifyEditButton, NotifyEndEdit}),
                  std::vector<std::string>{"-2062 item 1 sub 0 key 0 'row1'"});
        EXPECT_EQ(from, report.GetSafeHwnd());
        EXPECT_EQ(GetFocus(), editor);
        EXPECT_EQ(report.GetEditor(), editor);
        EXPECT_EQ(Text(editor), c.text);
        PostMessageA(editor, WM_KEYDOWN, VK_RETURN, 1);
        Pump();
        EXPECT_EQ(report.GetItemText(1, 0), c.text);
        EXPECT_EQ(parent.Take({NotifyEndEdit}).size(), 1u);
        parent.answer = nullptr;
    }
}

TEST_F(ReportEditor, TheEditorStaysWithItsItemAndEndsWithIt) {
    struct Case {
        const char* what;
        std::function<void()> change;
        int item;  // -2: gone, and the edit with it
        const char* texts;
    };
    const Case cases[] = {
        {"an item above goes", [&] { report.DeleteListItem(0); }, 1, "row1 EDITED row3 "},
        {"the rows are sorted", [&] { report.SortItems(0, false); }, 2, "row0 row1 EDITED row3 "},
        {"the item goes", [&] { report.DeleteListItem(2); }, -2, "row0 row1 row3 "},
    };
    for (const Case& c : cases) {
        Reset();
        Make(CellFocus, 4);
        HWND editor = OpenEditor(2, 1);
        SetWindowTextA(editor, "EDITED");
        c.change();
        RECT place, text{};
        GetWindowRect(editor, &place);
        MapWindowPoints(nullptr, report, reinterpret_cast<POINT*>(&place), 2);
        if (report.GetItemRect(c.item, 0, text, PartText)) {
            EXPECT_EQ(place.top, text.top + 2) << c.what << ": over its item's row";
        }
        PostMessageA(editor, WM_KEYDOWN, VK_RETURN, 1);
        Pump();
        EXPECT_FALSE(IsWindow(editor)) << c.what;
        const std::string end = "-2058 item " + std::to_string(c.item) + " sub 0 key 13 'EDITED'";
        EXPECT_EQ(parent.Take({NotifyEndEdit}), c.item == -2 ? std::vector<std::string>{} : std::vector{end});
        std::string texts;
        for (int item = 0; item < report.GetItemCount(); ++item) texts += report.GetItemText(item, 0) + " ";
        EXPECT_EQ(texts, c.texts) << c.what;
    }
}

TEST_F(ReportEditor, RowsPaintedWhileTheEditorIsOpenLeaveItsButtonAlone) {
    // More rows than fit: one added below them moves the scroll bar, which
    // repaints the control but not its children.
    Make(0, 20);
    parent.answer = [](NMHDR& h) -> LRESULT {
        if (h.code == NotifyBeginEdit) reinterpret_cast<ReportEditNotify&>(h).withButton = 1;
        return 0;
    };
    OpenEditor(1, 1);
    const HWND button = Button();
    ASSERT_NE(button, nullptr);
    auto shown = [button] {  // what the screen shows of the button
        RECT box;
        GetClientRect(button, &box);
        return headertest::Draw(box.right, box.bottom, 0, [&](HDC dc) {
                   HDC screen = GetDC(button);
                   BitBlt(dc, 0, 0, box.right, box.bottom, screen, 0, 0, SRCCOPY);
                   ReleaseDC(button, screen);
               }).data;
    };
    Pump();
    const std::vector<DWORD> before = shown();
    ASSERT_GT(std::count(before.begin(), before.end(), headertest::Rgb(GetSysColor(COLOR_BTNFACE))), 0);
    ReportItem row{};
    row.item = 20;
    report.InsertListItem(row);
    UpdateWindow(report);
    EXPECT_TRUE(shown() == before) << "the button was painted over";
    parent.answer = nullptr;
}

// An editor that counts the objects alive, to see it delete itself.
class CountedEdit : public CReportItemEdit {
public:
    CountedEdit(int item, int subItem, BOOL withButton) : CReportItemEdit(item, subItem, withButton) { ++alive; }
    ~CountedEdit() override { --alive; }
    static inline int alive = 0;
};

TEST(ReportItemEdit, ReportsOnceAndDeletesItselfWithItsWindow) {
    reportwin::RecordingParent& owner = reportwin::RecordingParent::Shared();
    owner.Take();
    auto* edit = new CountedEdit(2, 1, FALSE);
    ASSERT_TRUE(edit->Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, RECT{10, 10, 200, 30}, owner.hwnd, 0));
    HWND editor = *edit;
    SetWindowTextA(editor, "typed");
    SetFocus(editor);
    // The parent takes the focus back and away again while it reads the report.
    HWND from = nullptr;
    owner.answer = [&](NMHDR& h) -> LRESULT {
        from = h.hwndFrom;
        SetFocus(editor);
        SetFocus(owner.hwnd);
        return 0;
    };
    SetFocus(owner.hwnd);
    EXPECT_TRUE(PumpTranslated([&] { return !IsWindow(editor); }));
    owner.answer = nullptr;
    EXPECT_EQ(owner.Take(), std::vector<std::string>{"-2058 item 2 sub 1 key 13 'typed'"});
    EXPECT_EQ(from, editor);
    EXPECT_EQ(CountedEdit::alive, 0);
    // A window that cannot be made leaves the object to its maker.
    for (const char* refused : {"Edit", "Button"}) {
        popuptest::BlockCreation block(refused);
        auto* failed = new CountedEdit(0, 0, TRUE);
        EXPECT_FALSE(failed->Create(WS_CHILD | WS_VISIBLE, RECT{10, 10, 200, 30}, owner.hwnd, 0)) << refused;
        EXPECT_EQ(CountedEdit::alive, 1) << refused;
        delete failed;
    }
    EXPECT_EQ(GetWindow(owner.hwnd, GW_CHILD), nullptr) << "nothing left behind";
}

// --- the view ------------------------------------------------------------------------------

TEST(ReportView, ClassesAreMadeByName) {
    CReportView::RegisterClasses();
    struct Case {
        const char* name;
        bool view, control;
    };
    const Case cases[] = {{"CReportView", true, false}, {"CReportCtrl", false, true}, {"CView", false, false}};
    for (const Case& c : cases) {
        win::CWnd* made = win::RuntimeClass::CreateObject(c.name);
        EXPECT_EQ(dynamic_cast<CReportView*>(made) != nullptr, c.view) << c.name;
        EXPECT_EQ(dynamic_cast<CReportCtrl*>(made) != nullptr, c.control) << c.name;
        delete made;
    }
    win::CFrameWnd frame;
    EXPECT_FALSE(frame.Create("no view", WS_OVERLAPPEDWINDOW, RECT{0, 0, 100, 100}, "CReportCtrl"));
    EXPECT_EQ(frame.GetSafeHwnd(), nullptr);
}

// A view closed from its list (a click, a double click, a row selected) goes,
// its control with it, only once the control's handler has returned: not yet
// when the view's answer returns to the control.
bool viewGone = false, goneDuringNotify = false;
struct ClosingView : CReportView {
    UINT closeOn = 0;
    ~ClosingView() override { viewGone = true; }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == closeOn) DestroyWindow(hwnd);
        return CReportView::WindowProc(msg, wp, lp);
    }
};
LRESULT CALLBACK AfterNotify(int code, WPARAM wp, LPARAM lp) {
    if (reinterpret_cast<CWPRETSTRUCT*>(lp)->message == WM_NOTIFY) goneDuringNotify |= viewGone;
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(ReportView, AViewClosedFromItsListGoesAfterTheListsHandler) {
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterNotify, nullptr, GetCurrentThreadId());
    for (auto [code, msg] : {std::pair{NotifyClick, WM_LBUTTONDOWN}, {NotifyDoubleClick, WM_LBUTTONDBLCLK},
                             {NotifyStateChanged, WM_LBUTTONDOWN}}) {
        viewGone = goneDuringNotify = false;
        auto* view = new ClosingView;
        ASSERT_TRUE(view->Create(Tree | WS_CHILD, RECT{0, 0, 200, 150}, reportwin::RecordingParent::Shared().hwnd, 7));
        view->DeleteWithWindow();
        view->closeOn = static_cast<UINT>(code);
        view->OnInitialUpdate();
        CReportCtrl& list = view->GetReportCtrl();
        list.DefineSubItem({0, 150, 0, 0, 0, "Name"});
        list.ShowColumn(0);
        list.InsertItem("row", -1, -1, -1, RootNode, LastChild, -1);
        SendMessageA(list, msg, MK_LBUTTON, MAKELPARAM(20, list.ItemArea().top + 2));
        EXPECT_TRUE(viewGone && !goneDuringNotify) << code;
    }
    UnhookWindowsHookEx(hook);
}

TEST(ReportView, MakesOneControlAtTheFirstUpdateAndKeepsItFilling) {
    reportwin::RecordingParent& parent = reportwin::RecordingParent::Shared();
    CReportView::RegisterClasses();
    auto children = [](HWND window) {
        int count = 0;
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++count;
        return count;
    };
    for (DWORD style : {DWORD{0}, DWORD{Tree}}) {
        auto* view = dynamic_cast<CReportView*>(win::RuntimeClass::CreateObject("CReportView"));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(view->Create(style | WS_CHILD | WS_VISIBLE, RECT{0, 0, 200, 150}, parent.hwnd, 7));
        view->DeleteWithWindow();
        HWND window = *view;
        CReportCtrl& report = view->GetReportCtrl();
        MoveWindow(window, 0, 0, 220, 160, TRUE);
        EXPECT_EQ(children(window), 0) << "resized before the first update";
        EXPECT_EQ(report.GetSafeHwnd(), nullptr);
        view->OnInitialUpdate();
        view->OnInitialUpdate();
        EXPECT_EQ(children(window), 1) << style;
        ASSERT_NE(report.GetSafeHwnd(), nullptr);
        // Only a tree takes tree inserts.
        EXPECT_EQ(report.InsertItem("group", -1, -1, -1, RootNode, LastChild, -1) != NodeHandle{}, style == Tree);
        EXPECT_EQ(GetWindowLongA(report, GWL_STYLE) & 0xFFFF0000, static_cast<LONG>(CReportView::kControlStyle));
        MoveWindow(window, 0, 0, 300, 90, TRUE);
        RECT place;
        GetWindowRect(report, &place);
        EXPECT_EQ(place.right - place.left, 300);
        EXPECT_EQ(place.bottom - place.top, 90);
        SetFocus(window);
        EXPECT_EQ(GetFocus(), report.GetSafeHwnd());
        DestroyWindow(window);
        EXPECT_FALSE(IsWindow(window));
    }
}

}  // namespace
