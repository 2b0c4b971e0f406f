// Shows two report controls for a screenshot: a list of several columns with
// grid lines, checks and images, and a lobby-like tree with expanded and
// collapsed groups, a selection and the focus. Used by tools/report-shot.sh.
//   reportshot.exe [SECONDS]    prints "ready" once both are painted
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/report/report_ctrl.h"

using namespace report;

namespace {

const RECT kWindow{20, 20, 620, 300};

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    if (msg == WM_GETFONT) return reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND CreateParent() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "ReportShot";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "Report control", WS_POPUP | WS_BORDER | WS_VISIBLE, kWindow.left,
                           kWindow.top, kWindow.right - kWindow.left, kWindow.bottom - kWindow.top, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// Two 16 x 16 images: a table (green felt) and a player (a head and shoulders).
HIMAGELIST MakeImages() {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 32, 16};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, magenta);
    HBRUSH felt = CreateSolidBrush(RGB(0, 128, 64)), wood = CreateSolidBrush(RGB(128, 64, 0));
    HBRUSH skin = CreateSolidBrush(RGB(240, 190, 140)), shirt = CreateSolidBrush(RGB(40, 90, 200));
    HGDIOBJ pen = SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, wood);
    Ellipse(dc, 0, 3, 16, 14);
    SelectObject(dc, felt);
    Ellipse(dc, 2, 5, 14, 12);
    SelectObject(dc, shirt);
    Ellipse(dc, 19, 9, 30, 20);
    SelectObject(dc, skin);
    Ellipse(dc, 21, 1, 28, 9);
    SelectObject(dc, pen);
    SelectObject(dc, old);
    ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
    for (HBRUSH b : {magenta, felt, wood, skin, shirt}) DeleteObject(b);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}

void SetCell(CReportCtrl& report, int item, int subItem, const char* text, int image = -1, int check = -1,
             int colour = -1) {
    ReportItem cell{};
    cell.mask =
        MaskText | (image >= 0 ? MaskImage : 0) | (check >= 0 ? MaskCheck : 0) | (colour >= 0 ? MaskTextColor : 0);
    cell.item = item;
    cell.subItem = subItem;
    cell.text = const_cast<char*>(text);
    cell.image = image;
    cell.check = check;
    cell.textColor = colour;
    report.SetItem(cell);
}

void FillList(CReportCtrl& list) {
    list.DefineSubItem({0, 110, 0, 0, 0, "Player"});
    list.DefineSubItem({0, 90, 0, 0, 0, "Table"});
    list.DefineSubItem({1, 60, 0, 0, 0, "Chips"});
    list.DefineSubItem({0, 56, 0, 0, 0, "Ready"});
    for (int s = 0; s < 4; ++s) list.ShowColumn(s);
    list.SetColor(0, RGB(240, 244, 250));
    list.SetColor(1, RGB(192, 0, 0));
    struct Row {
        const char* player;
        const char* table;
        const char* chips;
        int check;
    };
    const Row rows[] = {
        {"ESTRID", "Aurora 2/4", "1,250", 1},  {"karl_the_great_bluffer", "Aurora 2/4", "980", 0},
        {"MIRANDA", "Borealis", "12,400", 1},  {"nightowl", "Borealis", "75", 3},
        {"Petra & Jo", "Cygnus", "3,300", 5},  {"quentin", "Cygnus", "410", 4},
        {"RUFUS", "Draco 10/20", "22,000", 9}, {"sable", "Draco 10/20", "0", 2},
    };
    int index = 0;
    for (const Row& r : rows) {
        ReportItem item{};
        item.item = index;
        const int at = list.InsertListItem(item);
        SetCell(list, at, 0, r.player, 1, -1, r.chips[0] == '0' ? 1 : -1);
        SetCell(list, at, 1, r.table);
        SetCell(list, at, 2, r.chips);
        SetCell(list, at, 3, r.check == 1 || r.check == 5 ? "yes" : "no", -1, r.check);
        ++index;
    }
    list.SelectRows(2, 2, true, false, false, false);
    list.SelectRows(4, 4, true, true, false, false);
}

void FillTree(CReportCtrl& tree) {
    tree.DefineSubItem({0, 160, 0, 0, 0, "Lobby"});
    tree.ShowColumn(0);
    struct Group {
        const char* name;
        bool open;
        const char* users[5];
    };
    const Group groups[] = {
        {"Aurora 2/4", true, {"ESTRID", "karl", "MIRANDA", nullptr}},
        {"Borealis", false, {"nightowl", "Petra", nullptr}},
        {"Cygnus 5/10", true, {"quentin", "RUFUS", "sable", "a_player_with_a_long_name", nullptr}},
        {"Draco", false, {"tomas", nullptr}},
    };
    NodeHandle selected = 0;
    for (const Group& g : groups) {
        NodeHandle group = tree.InsertItem(g.name, 0, -1, -1, RootNode, LastChild, -1);
        ReportItem bold{};
        bold.mask = MaskState;
        NodeInfo info;
        tree.GetNodeInfo(group, info);
        bold.item = info.item;
        bold.state = StateBold;
        tree.SetItem(bold);
        for (const char* const* u = g.users; *u; ++u) {
            NodeHandle user = tree.InsertItem(*u, 1, -1, -1, group, LastChild, -1);
            if (std::string(*u) == "RUFUS") selected = user;
        }
        if (g.open) tree.Expand(group, 1);
    }
    NodeInfo info;
    tree.GetNodeInfo(selected, info);
    const int row = tree.ItemToRow(info.item);
    tree.SelectRows(row, row, true, false, false, false);
}

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const DWORD holdMs = (argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 5) * 1000;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND parent = CreateParent();
    HIMAGELIST images = MakeImages();
    CReportCtrl list, tree;
    const DWORD base = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP;
    if (!parent ||
        !list.Create(base | HorizontalGrid | VerticalGrid | AlternateRows | ShowSelectionAlways | CellFocus,
                     RECT{10, 10, 380, 250}, parent, 1) ||
        !tree.Create(base | Tree | TruncationTips, RECT{400, 10, 568, 230}, parent, 1018))
        return 1;
    list.SetImageList(images);
    tree.SetImageList(images);
    FillList(list);
    FillTree(tree);
    SetForegroundWindow(parent);
    SetFocus(tree);
    Pump(500);
    std::printf("ready\n");
    std::fflush(stdout);
    Pump(holdMs);
    DestroyWindow(parent);
    ImageList_Destroy(images);
    return 0;
}
