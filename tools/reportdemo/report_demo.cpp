// A frame with a report view of many rows, to try the report control by hand
// and to photograph it (tools/report-shot.sh).
//
//   reportdemo.exe [list|tree] [--rows N] [--style HEX] [--select ROW]
//                  [--edit ROW COLUMN] [--tip ROW COLUMN] [--hover ROW COLUMN]
//                  [--seconds N]
//
// list (the default) shows players in five columns with grid lines and
// checks; tree shows them under groups, some expanded and some collapsed.
// --style replaces the view's report styles (the low word). --select selects
// a row and gives the control the focus; --edit opens the cell's editor;
// --tip shows a tip over the cell's text from the demo itself; --hover puts
// the pointer on the cell's text, so that the control shows its own tip.
// ROW is a row on screen and COLUMN a display position. Prints "ready" once
// the window shows what was asked; --seconds closes it after N seconds.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "controls/report/report_tip.h"
#include "controls/report/report_view.h"
#include "win/app.h"

using namespace report;

namespace {

const RECT kFrame{40, 40, 680, 520};
constexpr int kMaxRows = 1000000;
constexpr int kBuddyColour = 1;  // colour-table entry of a buddy's name
constexpr uint32_t kListStyle = HorizontalGrid | VerticalGrid | TruncationTips | ShowSelectionAlways;
constexpr uint32_t kTreeStyle = Tree | HorizontalGrid | TruncationTips | ShowSelectionAlways;

struct Cell {
    int row = -1, column = -1;
    bool Given() const { return row >= 0 && column >= 0; }
};

struct Options {
    bool tree = false;
    int rows = 500;
    long style = -1;
    int select = -1;
    Cell edit, tip, hover;
    int seconds = 0;
};

bool ParseCell(int& i, int argc, char** argv, Cell& cell) {
    if (i + 2 >= argc) return false;
    cell.row = std::atoi(argv[++i]);
    cell.column = std::atoi(argv[++i]);
    return true;
}

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "list" || a == "tree")
            o.tree = a == "tree";
        else if (a == "--rows" && more)
            o.rows = std::atoi(argv[++i]);
        else if (a == "--style" && more)
            o.style = std::strtol(argv[++i], nullptr, 16);
        else if (a == "--select" && more)
            o.select = std::atoi(argv[++i]);
        else if (a == "--seconds" && more)
            o.seconds = std::atoi(argv[++i]);
        else if (!((a == "--edit" && ParseCell(i, argc, argv, o.edit)) ||
                   (a == "--tip" && ParseCell(i, argc, argv, o.tip)) ||
                   (a == "--hover" && ParseCell(i, argc, argv, o.hover))))
            return false;
    }
    o.rows = o.rows < 0 ? 0 : o.rows > kMaxRows ? kMaxRows : o.rows;
    return true;
}

// --- the players ----------------------------------------------------------------------

const char* const kFirst[] = {"Ace", "Bjorn", "Cara",   "Dusty", "Elin", "Fitz", "Greta", "Hollis",
                              "Ivo", "Juno",  "Kasper", "Lark",  "Mila", "Nash", "Oona",  "Pike"};
const char* const kLast[] = {"Moreau", "Quill", "Halvorsen", "Okafor", "Brandt", "Castell", "Varga", "Lindqvist"};
const char* const kStakes[] = {"$0.02/$0.05", "$0.10/$0.25", "$0.50/$1", "$1/$2", "$5/$10", "$25/$50"};
const char* const kNotes[] = {"",
                              "Sitting out",
                              "Waiting for a seat at the high-stakes final table",
                              "Away",
                              "Playing three tables at once, back in five minutes",
                              ""};

struct Player {
    std::string name, table, stakes, seats, note;
    int check;
    bool buddy;
};

Player MakePlayer(int n) {
    Player p;
    p.name = std::string(kFirst[n % 16]) + " " + kLast[(n / 16) % 8] + (n >= 128 ? " " + std::to_string(n / 128) : "");
    p.table = "Vega " + std::to_string(1 + n % 37);
    p.stakes = kStakes[n % 6];
    p.seats = std::to_string(2 + n % 8) + "/9";
    p.note = kNotes[n % 6];
    p.check = n % 3 == 0 ? 1 : 0;
    p.buddy = n % 7 == 2;
    return p;
}

void DefineColumns(CReportCtrl& report) {
    const SubItemDef columns[] = {
        {FormatReserveCheck, 170, 60, 0, 0, "Player"},
        {0, 90, 40, 0, 0, "Table"},
        {1, 95, 40, 0, 0, "Stakes"},
        {2, 60, 40, 0, 0, "Seats"},
        {0, 180, 40, 0, 0, "Note"},
    };
    for (const SubItemDef& c : columns) report.ShowColumn(report.DefineSubItem(c));
    report.SetColor(0, RGB(0xF3, 0xF5, 0xFA));  // alternate rows, with that style
    report.SetColor(kBuddyColour, RGB(0x00, 0x33, 0xAA));
}

void FillRow(CReportCtrl& report, int item, const Player& p) {
    const std::string* texts[] = {&p.name, &p.table, &p.stakes, &p.seats, &p.note};
    for (int sub = 0; sub < 5; ++sub) report.SetItemText(item, sub, texts[sub]->c_str());
    ReportItem first{};
    first.mask = MaskCheck | MaskTextColor;
    first.item = item;
    first.check = p.check;
    first.textColor = p.buddy ? kBuddyColour : -1;
    report.SetItem(first);
}

void FillList(CReportCtrl& report, int rows) {
    for (int n = 0; n < rows; ++n) {
        ReportItem item{};
        item.item = n;
        const int index = report.InsertListItem(item);
        if (index >= 0) FillRow(report, index, MakePlayer(n));
    }
}

NodeHandle AddGroup(CReportCtrl& report, const char* name, NodeHandle parent) {
    return report.InsertItem(name, -1, -1, -1, parent, LastChild, 0);
}

void FillTree(CReportCtrl& report, int rows) {
    struct Group {
        const char* name;
        int under;  // index of the group it belongs to, -1 for the top
        bool expanded;
    };
    const Group groups[] = {{"Texas Hold'em - No Limit", -1, true},
                            {"Texas Hold'em - Limit", -1, false},
                            {"Omaha Hi/Lo", -1, true},
                            {"Tournaments", -1, true},
                            {"Sit & Go - 6 seats", 3, true},
                            {"Sit & Go - 9 seats", 3, false}};
    const int kGroups = static_cast<int>(sizeof groups / sizeof groups[0]);
    NodeHandle nodes[kGroups];
    for (int g = 0; g < kGroups; ++g)
        nodes[g] = AddGroup(report, groups[g].name, groups[g].under < 0 ? RootNode : nodes[groups[g].under]);
    const int players[] = {0, 1, 2, 4, 5};  // the groups that seat players
    for (int n = 0; n < rows; ++n) {
        const Player p = MakePlayer(n);
        const NodeHandle node = report.InsertItem(p.name.c_str(), -1, p.check, p.buddy ? kBuddyColour : -1,
                                                  nodes[players[n % 5]], LastChild, -1);
        NodeInfo info;
        if (node && report.GetNodeInfo(node, info)) FillRow(report, info.item, p);
    }
    for (int g = kGroups - 1; g >= 0; --g)
        if (groups[g].expanded) report.Expand(nodes[g], 1);
}

// --- cells on screen --------------------------------------------------------------

// The text part of a cell in the control's client coordinates, from the
// header's item and the rows' layout.
bool CellTextRect(CReportCtrl& report, Cell cell, RECT& out) {
    const int subItem = report.ColumnSubItem(cell.column);
    const int index = report.HeaderIndexOf(subItem);
    RECT item;
    if (subItem < 0 || index < 0 ||
        !SendMessageA(report.GetHeader(), HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return false;
    MapWindowPoints(report.GetHeader(), report, reinterpret_cast<POINT*>(&item), 2);
    const RECT& area = report.ItemArea();
    const int top = area.top + (cell.row - report.TopRow()) * report.RowHeight();
    const SubItemDef* def = report.GetSubItem(subItem);
    const int checkRoom = def && (def->format & FormatReserveCheck) ? report.CheckSize() + CReportCtrl::kTextMargin : 0;
    out = {item.left + CReportCtrl::kTextMargin + checkRoom, top, item.right - CReportCtrl::kTextMargin,
           top + report.RowHeight()};
    return cell.row >= report.TopRow() && out.bottom <= area.bottom;
}

void MovePointer(POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (win::CWnd::WalkPreTranslateTree(nullptr, msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string CellText(CReportCtrl& report, Cell cell) {
    return report.GetItemText(report.RowToItem(cell.row), report.ColumnSubItem(cell.column));
}

void ShowAsked(CReportCtrl& report, CReportTipCtrl& tip, const Options& o) {
    if (o.select >= 0 && o.select < report.RowCount()) report.SelectRows(o.select, o.select, true, false, false, true);
    SetFocus(report);
    RECT rect;
    if (o.edit.Given() && !report.BeginEdit(o.edit.row, o.edit.column, 1)) std::printf("edit: no editor opened\n");
    if (o.tip.Given() && CellTextRect(report, o.tip, rect) && tip.Create(&report)) {
        const std::string text = CellText(report, o.tip);
        if (!tip.ShowTip(rect, text.c_str())) std::printf("tip: the text fits its cell\n");
    }
    if (o.hover.Given() && CellTextRect(report, o.hover, rect)) {
        POINT at{rect.left + 4, (rect.top + rect.bottom) / 2};
        ClientToScreen(report, &at);
        MovePointer(at);
    }
}

void CALLBACK CloseFrame(HWND frame, UINT, UINT_PTR, DWORD) { DestroyWindow(frame); }

// The control hands a screen reader its object through COM, on this thread.
struct ComApartment {
    HRESULT hr = OleInitialize(nullptr);
    ~ComApartment() {
        if (SUCCEEDED(hr)) OleUninitialize();
    }
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: reportdemo [list|tree] [--rows N] [--style HEX] [--select ROW] [--edit ROW COLUMN]\n"
                     "                  [--tip ROW COLUMN] [--hover ROW COLUMN] [--seconds N]\n");
        return 2;
    }
    const ComApartment com;
    win::CWinApp app;
    CReportView::RegisterClasses();
    const uint32_t style = options.style >= 0 ? static_cast<uint32_t>(options.style) & 0xFFFF
                           : options.tree     ? kTreeStyle
                                              : kListStyle;
    win::CFrameWnd frame;
    if (!frame.Create(options.tree ? "Report demo - tree" : "Report demo - list", WS_OVERLAPPEDWINDOW, kFrame,
                      "CReportView", style)) {
        std::fprintf(stderr, "reportdemo: the frame cannot be made\n");
        return 1;
    }
    app.mainWnd = &frame;
    frame.InitialUpdateFrame();
    auto* view = dynamic_cast<CReportView*>(frame.GetActiveView());
    if (!view) return 1;
    CReportCtrl& report = view->GetReportCtrl();
    DefineColumns(report);
    if (style & Tree)
        FillTree(report, options.rows);
    else if (!(style & TreeStyles))
        FillList(report, options.rows);
    SetForegroundWindow(frame);
    UpdateWindow(frame);
    CReportTipCtrl tip;  // the demo's own, for --tip
    ShowAsked(report, tip, options);
    Pump(300);
    std::printf("ready\n");
    std::fflush(stdout);
    if (options.seconds > 0) SetTimer(frame, 1, static_cast<UINT>(options.seconds) * 1000, CloseFrame);
    return app.Run();
}
