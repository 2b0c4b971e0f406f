// The report control's window under Wine: its class, creation and attaching
// to a dialog's control, the header beneath it, and the notifications a
// recording parent receives (codes, ids, fields), with its mask and vetoes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "controls/report/report_ctrl.h"

using namespace report;

namespace {

constexpr UINT kId = 1018;

struct Note {
    uint32_t code;
    UINT_PTR id;
    HWND from;
    int item;
    int subItem;
    uint32_t state;
    intptr_t param;
    bool operator==(const Note& o) const {
        return code == o.code && id == o.id && from == o.from && item == o.item && subItem == o.subItem &&
               state == o.state && param == o.param;
    }
};

std::ostream& operator<<(std::ostream& out, const Note& n) {
    return out << "{" << -static_cast<int32_t>(n.code) << " id " << n.id << " item " << n.item << " sub " << n.subItem
               << " state " << n.state << " param " << n.param << "}";
}

// A top-level window with a font that records every WM_NOTIFY and answers
// from a table of codes.
class RecordingParent {
public:
    std::vector<Note> notes;
    std::vector<std::pair<uint32_t, int>> vetoes;  // code and item answered with 1
    // For NotifyGetItemData: fills the record.
    void (*fill)(ReportItem&) = nullptr;

    RecordingParent() {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ReportTestParent";
        RegisterClassExA(&wc);
        font = CreateFontA(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        hwnd = CreateWindowExA(0, "ReportTestParent", "parent", WS_OVERLAPPEDWINDOW, 10, 10, 400, 400, nullptr, nullptr,
                               GetModuleHandleA(nullptr), this);
    }
    ~RecordingParent() {
        DestroyWindow(hwnd);
        DeleteObject(font);
    }
    std::vector<Note> Take() { return std::exchange(notes, {}); }

    HWND hwnd = nullptr;
    HFONT font = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<RecordingParent*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && msg == WM_GETFONT) return reinterpret_cast<LRESULT>(self->font);
        if (self && msg == WM_NOTIFY) return self->OnNotify(wp, *reinterpret_cast<NMHDR*>(lp));
        return DefWindowProcA(window, msg, wp, lp);
    }
    LRESULT OnNotify(WPARAM wp, NMHDR& header) {
        EXPECT_EQ(wp, header.idFrom);
        if (header.code == NotifyGetItemData) {
            ReportItem& item = reinterpret_cast<ReportItemNotify&>(header).item;
            notes.push_back(
                {header.code, header.idFrom, header.hwndFrom, item.item, item.subItem, item.mask, item.textMax});
            if (fill) fill(item);
            return 0;
        }
        const ReportNotify& n = reinterpret_cast<ReportNotify&>(header);
        notes.push_back({header.code, header.idFrom, header.hwndFrom, n.item, n.subItem, n.state, n.param});
        for (auto [code, item] : vetoes)
            if (code == header.code && item == n.item) return 1;
        return 0;
    }
};

class ReportWindow : public ::testing::Test {
protected:
    RecordingParent parent;
    CReportCtrl report;

    void Make(DWORD style) {
        ASSERT_TRUE(report.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | style, RECT{0, 0, 168, 220}, parent.hwnd, kId));
        report.DefineSubItem({0, 120, 0, 0, 0, "Name"});
        ASSERT_TRUE(report.ShowColumn(0));
    }
    NodeHandle Add(const char* text, NodeHandle under, intptr_t param) {
        NodeHandle node = report.InsertItem(text, -1, -1, -1, under, LastChild, -1);
        NodeInfo info;
        report.GetNodeInfo(node, info);
        ReportItem item{};
        item.mask = MaskParam;
        item.item = info.item;
        item.param = param;
        report.SetItem(item);
        return node;
    }
    Note Expect(uint32_t code, int item, int subItem, uint32_t state, intptr_t param) {
        return {code, kId, report.GetSafeHwnd(), item, subItem, state, param};
    }
};

TEST_F(ReportWindow, ClassAsTheControlRegistersIt) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "MFCReportCtrl", &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_EQ(wc.hCursor, LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(5));
    EXPECT_EQ(wc.hIcon, nullptr);
    EXPECT_EQ(wc.lpszMenuName, nullptr);
}

TEST_F(ReportWindow, MadeOrAttachedItInitializesOnce) {
    for (bool attach : {false, true}) {
        CReportCtrl control;
        const DWORD style = WS_CHILD | WS_VISIBLE | Tree | HorizontalGrid;
        if (attach) {
            // As a dialog makes its control from the template, then the owner attaches.
            HWND window = CreateWindowExA(0, "MFCReportCtrl", "", style, 0, 0, 168, 220, parent.hwnd,
                                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kId)),
                                          GetModuleHandleA(nullptr), nullptr);
            ASSERT_TRUE(control.SubclassDlgItem(kId, parent.hwnd));
            EXPECT_EQ(control.GetSafeHwnd(), window);
        } else {
            ASSERT_TRUE(control.Create(style, RECT{0, 0, 168, 220}, parent.hwnd, kId));
        }
        std::vector<HWND> children;
        for (HWND c = GetWindow(control, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
        ASSERT_EQ(children.size(), 1u) << attach;
        HWND header = children[0];
        char className[32] = "";
        GetClassNameA(header, className, sizeof className);
        EXPECT_STREQ(className, "SysHeader32");
        EXPECT_EQ(header, control.GetHeader());
        EXPECT_EQ(GetWindowLongA(header, GWL_STYLE) & 0xC3, 0xC3);
        EXPECT_EQ(GetDlgCtrlID(header), 0);
        // The parent's font is copied, not shared; the header paints with a copy of ours.
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
        EXPECT_NE(font, parent.font);
        LOGFONTA copy{}, original{};
        GetObjectA(font, sizeof copy, &copy);
        GetObjectA(parent.font, sizeof original, &original);
        EXPECT_STREQ(copy.lfFaceName, "Arial");
        EXPECT_EQ(copy.lfHeight, original.lfHeight);
        LOGFONTA headerFont{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(header, WM_GETFONT, 0, 0)), sizeof headerFont, &headerFont);
        EXPECT_STREQ(headerFont.lfFaceName, "Arial");
        EXPECT_EQ(headerFont.lfHeight, original.lfHeight);
        EXPECT_EQ(control.Style(), static_cast<uint32_t>(GetWindowLongA(control, GWL_STYLE)));
        // The row height of the font counts the grid line of a style given at creation.
        TEXTMETRICA metrics{};
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, font);
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        EXPECT_EQ(control.RowHeight(), metrics.tmHeight + metrics.tmExternalLeading + 3);
        EXPECT_EQ(control.CheckSize(), control.RowHeight() - 2);
        // The header sits on top, the item area below it.
        RECT place;
        GetWindowRect(header, &place);
        MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.top, 0);
        EXPECT_GT(place.bottom, 0);
        EXPECT_EQ(control.ItemArea().top, place.bottom);
        DestroyWindow(control);
    }
}

TEST_F(ReportWindow, TheParentHearsOfEveryDeletedItem) {
    Make(Tree);
    NodeHandle g = Add("g", RootNode, 10);
    Add("u1", g, 11);
    Add("u2", g, 12);
    NodeHandle h = Add("h", RootNode, 20);
    Add("h1", h, 21);
    parent.Take();
    ASSERT_TRUE(report.DeleteItem(g));
    EXPECT_EQ(parent.Take(),
              (std::vector<Note>{Expect(NotifyDeleteItem, 1, 0, 0, 11), Expect(NotifyDeleteItem, 1, 0, 0, 12),
                                 Expect(NotifyDeleteItem, 0, 0, 0, 10)}));
    // Masked off, nothing arrives; back on, destroying the window tells of the rest.
    report.SetNotificationMask(~(1u << 7));
    ASSERT_TRUE(report.DeleteItem(Add("x", h, 30)));
    EXPECT_TRUE(parent.Take().empty());
    report.SetNotificationMask(0xFFFFFFFF);
    HWND window = report.GetSafeHwnd();
    DestroyWindow(window);
    EXPECT_EQ(parent.Take(), (std::vector<Note>{{NotifyDeleteItem, kId, window, 1, 0, 0, 21},
                                                {NotifyDeleteItem, kId, window, 0, 0, 0, 20}}));
    EXPECT_EQ(report.GetItemCount(), 0);
}

TEST_F(ReportWindow, SelectionNotifiesAndTheParentCanVetoOrMask) {
    Make(Tree);
    for (int i = 0; i < 3; ++i) Add(("row" + std::to_string(i)).c_str(), RootNode, 100 + i);
    parent.Take();
    struct Case {
        const char* what;
        uint32_t mask;
        std::vector<std::pair<uint32_t, int>> vetoes;
        std::vector<Note> expected;
        std::vector<int> selection;
    };
    const Case cases[] = {
        {"all allowed",
         0xFFFFFFFF,
         {},
         {Expect(NotifyStateChanging, 0, -1, 3, 0), Expect(NotifyStateChanged, 0, -1, 3, 0),
          Expect(NotifyStateChanging, 1, -1, 2, 0), Expect(NotifyStateChanged, 1, -1, 2, 0),
          Expect(NotifyStateChanging, 2, -1, 2, 0), Expect(NotifyStateChanged, 2, -1, 2, 0)},
         {0, 1, 2}},
        {"item 1 vetoed",
         0xFFFFFFFF,
         {{NotifyStateChanging, 1}},
         {Expect(NotifyStateChanging, 0, -1, 3, 0), Expect(NotifyStateChanged, 0, -1, 3, 0),
          Expect(NotifyStateChanging, 1, -1, 2, 0), Expect(NotifyStateChanging, 2, -1, 2, 0),
          Expect(NotifyStateChanged, 2, -1, 2, 0)},
         {0, 2}},
        {"changing masked: as if answered 0",
         ~(1u << 3),
         {{NotifyStateChanging, 1}},
         {Expect(NotifyStateChanged, 0, -1, 3, 0), Expect(NotifyStateChanged, 1, -1, 2, 0),
          Expect(NotifyStateChanged, 2, -1, 2, 0)},
         {0, 1, 2}},
    };
    for (const Case& c : cases) {
        report.SetNotificationMask(0);
        report.SelectRows(-2, -2, true, false, false, true);  // nothing selected, no focus
        report.SetNotificationMask(c.mask);
        parent.vetoes = c.vetoes;
        report.SelectRows(0, 2, true, false, false, true);
        EXPECT_EQ(parent.Take(), c.expected) << c.what;
        EXPECT_EQ(report.GetSelection(), c.selection) << c.what;
    }
}

TEST_F(ReportWindow, VirtualItemsAskTheParent) {
    Make(VirtualItems);
    report.SetVirtualItemCount(1000);
    parent.Take();  // the rows on screen, read for the scroll bars
    parent.fill = [](ReportItem& item) {
        std::strcpy(item.text, ("user " + std::to_string(item.item)).c_str());
        item.image = 1;
        item.mask |= MaskImage;
    };
    EXPECT_EQ(report.GetItemText(777, 0), "user 777");
    ReportItem query{};
    query.item = 777;
    query.subItem = 0;
    ASSERT_TRUE(report.GetItem(query));
    EXPECT_EQ(query.image, 1);
    // One request: mask with the text bit, a 256-byte buffer (in the param column here).
    EXPECT_EQ(parent.Take(), std::vector<Note>{Expect(NotifyGetItemData, 777, 0, MaskText, 256)});
}

TEST_F(ReportWindow, HeaderColumnsAndTheSortMark) {
    Make(0);
    for (int i = 1; i <= 3; ++i) report.DefineSubItem({0, -1, 50, 150, 0, "col" + std::to_string(i)});
    for (int i = 1; i <= 3; ++i) ASSERT_TRUE(report.ShowColumn(i));
    EXPECT_FALSE(report.ShowColumn(2)) << "already shown";
    EXPECT_FALSE(report.ShowColumn(9)) << "not defined";
    HWND header = report.GetHeader();
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(report.TotalColumnWidth(), 120 + 3 * 150) << "the default width 200 held to the maximum 150";
    struct Width {
        int asked, given;
    };
    for (Width w : {Width{10, 50}, Width{-1, 150}, Width{99, 99}, Width{1000, 150}}) {
        ASSERT_TRUE(report.SetColumnWidth(2, w.asked));
        HDITEMA item{};
        item.mask = HDI_WIDTH;
        SendMessageA(header, HDM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.cxy, w.given) << w.asked;
        EXPECT_EQ(report.TotalColumnWidth(), 120 + 300 + w.given);
    }
    ReportItem row{};
    row.mask = MaskText;
    row.text = const_cast<char*>("x");
    ASSERT_EQ(report.InsertListItem(row), 0);
    ASSERT_TRUE(report.SortItems(2, false));
    bool ascending = true;
    EXPECT_EQ(report.GetSortColumn(&ascending), 2);
    EXPECT_FALSE(ascending);
    EXPECT_EQ(report.HideColumn(0), TRUE);  // left of the mark: the mark moves left
    EXPECT_EQ(report.GetSortColumn(nullptr), 1);
    EXPECT_EQ(report.HideColumn(2), TRUE);  // the marked column itself
    EXPECT_EQ(report.GetSortColumn(nullptr), -1);
    EXPECT_EQ(report.HideColumn(2), FALSE);
    EXPECT_FALSE(report.IsColumnShown(0));
    EXPECT_TRUE(report.IsColumnShown(3));
    EXPECT_EQ(report.TotalColumnWidth(), 300);
    EXPECT_EQ(report.ColumnCount(), 2);
}

TEST_F(ReportWindow, StyleChangesReachRowsAreasAndScrollBars) {
    Make(Tree);
    const int height = report.RowHeight();
    report.ModifyStyle(0, HorizontalGrid);
    report.ModifyStyle(0, HorizontalGrid);
    EXPECT_EQ(report.RowHeight(), height + 1);
    report.ModifyStyle(HorizontalGrid, 0);
    EXPECT_EQ(report.RowHeight(), height);

    const int headerBottom = report.ItemArea().top;
    report.ModifyStyle(0, NoHeader);
    EXPECT_EQ(report.ItemArea().top, 0);
    EXPECT_EQ(GetWindowLongA(report.GetHeader(), GWL_STYLE) & WS_VISIBLE, 0);
    report.ModifyStyle(0, EntryRow);
    EXPECT_EQ(report.EntryRowRect().top, 0);
    EXPECT_EQ(report.ItemArea().top, height + 2 * GetSystemMetrics(SM_CYDLGFRAME));
    report.ModifyStyle(NoHeader | EntryRow, 0);
    EXPECT_EQ(report.ItemArea().top, headerBottom);
    EXPECT_NE(GetWindowLongA(report.GetHeader(), GWL_STYLE) & WS_VISIBLE, 0);

    for (int i = 0; i < 40; ++i) Add(std::to_string(i).c_str(), RootNode, i);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(report, SB_VERT, &info));
    const int whole = report.VisibleRows(report.TopRow(), true);
    EXPECT_EQ(info.nMax, 39);
    EXPECT_EQ(static_cast<int>(info.nPage), whole);
    EXPECT_EQ(whole, (report.ItemArea().bottom - report.ItemArea().top) / report.RowHeight());
    report.SetTopRow(30);
    ASSERT_TRUE(GetScrollInfo(report, SB_VERT, &info));
    EXPECT_EQ(info.nPos, std::min(30, 40 - whole));
}

}  // namespace
