// Benchmark, not a test: the lobby's tree inserts (groups of 99 users, each
// user the last child of its group) into CReportCtrl and, in the same run,
// into a SysTreeView32 doing the same; both visible, of the lobby list's size.
// Then one node expanded over 20,000 and 200,000 children, as the lobby
// collapses and expands "Lobby All User" whenever the local user joins a
// table. Each figure is the best of three; each expand follows a collapse.
// Run: tools/wine-test.sh build/win32 $PWD/build/win32/tests/controls/report/report_bench.exe
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "controls/report/report_ctrl.h"
#include "tests/support/bench_row.h"

namespace {

constexpr int kUsersPerGroup = 99;
constexpr RECT kLobbyList{0, 0, 168, 220};  // control 1018: 84 x 110 dialog units

using bench::Now;
using bench::Pump;

std::string Name(const char* stem, int n) { return stem + std::to_string(n); }

void MakeLobbyList(CReportCtrl& report, HWND frame) {
    report.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | report::Tree | report::TruncationTips, kLobbyList,
                  frame, 1018);
    report.DefineSubItem({0, 160, 0, 0, 0, "Lobby"});
    report.ShowColumn(0);
    Pump();
}

HWND MakeTreeView(HWND frame) {
    HWND tree = CreateWindowExA(
        0, WC_TREEVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 180, 0,
        kLobbyList.right, kLobbyList.bottom, frame, nullptr, nullptr, nullptr);
    Pump();
    return tree;
}

HTREEITEM InsertTreeItem(HWND tree, HTREEITEM parent, const std::string& text, int image) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = image;
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

double Ours(HWND frame, int groups) {
    CReportCtrl report;
    MakeLobbyList(report, frame);
    const double start = Now();
    for (int g = 0; g < groups; ++g) {
        std::string group = Name("Table ", g);
        report::NodeHandle row = report.InsertItem(group.c_str(), 1, -1, -1, report::RootNode, report::LastChild, 0);
        for (int u = 0; u < kUsersPerGroup; ++u) {
            std::string user = Name("player", g * kUsersPerGroup + u);
            report.InsertItem(user.c_str(), 0, -1, -1, row, report::LastChild, 0);
        }
    }
    const double elapsed = Now() - start;
    Pump();
    return elapsed;
}

double Platform(HWND frame, int groups) {
    HWND tree = MakeTreeView(frame);
    const double start = Now();
    for (int g = 0; g < groups; ++g) {
        HTREEITEM row = InsertTreeItem(tree, TVI_ROOT, Name("Table ", g), 1);
        for (int u = 0; u < kUsersPerGroup; ++u) InsertTreeItem(tree, row, Name("player", g * kUsersPerGroup + u), 0);
    }
    const double elapsed = Now() - start;
    Pump();
    DestroyWindow(tree);
    return elapsed;
}

template <class F>
double Best(F run) {
    double best = 1e30;
    for (int i = 0; i < 3; ++i) best = std::min(best, run());
    return best;
}

// One expand after a collapse, the window updated both times.
template <class Expand, class Collapse>
double TimedExpand(HWND window, Expand expand, Collapse collapse) {
    collapse();
    UpdateWindow(window);
    const double start = Now();
    expand();
    UpdateWindow(window);
    return Now() - start;
}

double OursExpand(HWND frame, int children) {
    CReportCtrl report;
    MakeLobbyList(report, frame);
    const report::NodeHandle all =
        report.InsertItem("Lobby All User", 1, -1, -1, report::RootNode, report::LastChild, 0);
    for (int u = 0; u < children; ++u)
        report.InsertItem(Name("player", u).c_str(), 0, -1, -1, all, report::LastChild, 0);
    return Best([&] { return TimedExpand(report, [&] { report.Expand(all, 1); }, [&] { report.Expand(all, 0); }); });
}

double PlatformExpand(HWND frame, int children) {
    HWND tree = MakeTreeView(frame);
    HTREEITEM all = InsertTreeItem(tree, TVI_ROOT, "Lobby All User", 1);
    for (int u = 0; u < children; ++u) InsertTreeItem(tree, all, Name("player", u), 0);
    auto expand = [&](WPARAM code) { SendMessageA(tree, TVM_EXPAND, code, reinterpret_cast<LPARAM>(all)); };
    const double best =
        Best([&] { return TimedExpand(tree, [&] { expand(TVE_EXPAND); }, [&] { expand(TVE_COLLAPSE); }); });
    DestroyWindow(tree);
    return best;
}

// The figures at two sizes beside their anchors, and how each grows.
void Rows(const char* small, const char* large, const char* growth, const char* target, const double ours[2],
          const double platform[2]) {
    bench::Row(small, ours[0], "SysTreeView32", platform[0], "s", target);
    bench::Row(large, ours[1], "SysTreeView32", platform[1], "s", target);
    bench::Row(growth, ours[1] / ours[0], "SysTreeView32", platform[1] / platform[0], "x", "CReportCtrl <= 12");
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ReportBenchFrame";
    RegisterClassExA(&wc);
    HWND frame = CreateWindowExA(0, "ReportBenchFrame", "report bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                 300, nullptr, nullptr, nullptr, nullptr);
    Pump();

    double ours[2], platform[2];
    const int groups[2] = {100, 1000};
    for (int i = 0; i < 2; ++i) {
        ours[i] = Best([&] { return Ours(frame, groups[i]); });
        platform[i] = Best([&] { return Platform(frame, groups[i]); });
    }
    for (int i = 0; i < 2; ++i)
        std::printf("%7d tree inserts: CReportCtrl %.3f s, SysTreeView32 %.3f s, ratio %.2f (target <= 1)\n",
                    groups[i] * (kUsersPerGroup + 1), ours[i], platform[i], ours[i] / platform[i]);
    std::printf("growth 100,000 / 10,000: CReportCtrl %.2f (target <= 12), SysTreeView32 %.2f\n", ours[1] / ours[0],
                platform[1] / platform[0]);
    Rows("report: 10,000 tree inserts", "report: 100,000 tree inserts", "report: inserts 100,000 / 10,000 (growth)",
         "ratio <= 1", ours, platform);

    const int children[2] = {20000, 200000};
    for (int i = 0; i < 2; ++i) {
        ours[i] = OursExpand(frame, children[i]);
        platform[i] = PlatformExpand(frame, children[i]);
    }
    Rows("report: expand over 20,000 children", "report: expand over 200,000 children",
         "report: expand 200,000 / 20,000 (growth)", "-", ours, platform);
    DestroyWindow(frame);
    return 0;
}
