// Benchmark, not a test: the lobby's tree inserts (groups of 99 users, each
// user the last child of its group) into CReportCtrl and, in the same run,
// into a SysTreeView32 doing the same; both visible, of the lobby list's size.
// Each figure is the best of three.
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

double Ours(HWND frame, int groups) {
    CReportCtrl report;
    report.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | report::Tree | report::TruncationTips, kLobbyList,
                  frame, 1018);
    report.DefineSubItem({0, 160, 0, 0, 0, "Lobby"});
    report.ShowColumn(0);
    Pump();
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
    HWND tree = CreateWindowExA(
        0, WC_TREEVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 180, 0,
        kLobbyList.right, kLobbyList.bottom, frame, nullptr, nullptr, nullptr);
    Pump();
    const double start = Now();
    for (int g = 0; g < groups; ++g) {
        std::string group = Name("Table ", g);
        TVINSERTSTRUCTA insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE;
        insert.item.pszText = group.data();
        insert.item.iImage = 1;
        HTREEITEM row =
            reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        for (int u = 0; u < kUsersPerGroup; ++u) {
            std::string user = Name("player", g * kUsersPerGroup + u);
            insert.hParent = row;
            insert.item.pszText = user.data();
            insert.item.iImage = 0;
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
        }
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
    bench::Row("report: 10,000 tree inserts", ours[0], "SysTreeView32", platform[0], "s", "ratio <= 1");
    bench::Row("report: 100,000 tree inserts", ours[1], "SysTreeView32", platform[1], "s", "ratio <= 1");
    bench::Row("report: inserts 100,000 / 10,000 (growth)", ours[1] / ours[0], "SysTreeView32",
               platform[1] / platform[0], "x", "CReportCtrl <= 12");
    DestroyWindow(frame);
    return 0;
}
