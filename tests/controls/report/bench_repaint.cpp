// Benchmark, not a test: a full repaint (invalidate and update) of the lobby
// list's control at 100, 10,000 and 100,000 rows (groups of 99 users, all
// shown), and a scroll through the whole list by pages; in the same run the
// same of a SysListView32 in report view with as many rows (owner data), as
// the platform's anchor. Repaints are the median of 101; a short list is
// paged through again until at least 200 pages are timed, going back up by
// pages untimed: Wine's list view ignores SB_TOP, and would otherwise be timed
// on pages that cannot move.
// Run: tools/wine-test.sh build/win32 $PWD/build/win32/tests/controls/report/report_repaint_bench.exe
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "controls/report/report_ctrl.h"
#include "tests/controls/report/bench_lists.h"

namespace {

constexpr int kUsersPerGroup = 99;
using bench::kLobbyList;
constexpr int kRepaints = 101;
constexpr int kMinPages = 200;

using bench::Now;
using bench::Pump;

struct Figures {
    double repaint;  // seconds, median
    double page;     // seconds per page of the scroll
    int pages;
};

void BackToTop(HWND control, const std::function<int()>& top) {
    for (int last = -1; top() != 0 && top() != last;) {
        last = top();
        SendMessageA(control, WM_VSCROLL, SB_PAGEUP, 0);
    }
    UpdateWindow(control);
}

Figures Measure(HWND control, const std::function<int()>& top) {
    std::vector<double> times;
    for (int i = 0; i < kRepaints; ++i) {
        const double start = Now();
        InvalidateRect(control, nullptr, FALSE);
        UpdateWindow(control);
        times.push_back(Now() - start);
    }
    std::nth_element(times.begin(), times.begin() + kRepaints / 2, times.end());
    Figures f{times[kRepaints / 2], 0, 0};
    // A short list is scrolled through again until enough pages are timed.
    double spent = 0;
    while (f.pages < kMinPages) {
        BackToTop(control, top);
        const double start = Now();
        for (int last = -1; top() != last;) {
            last = top();
            SendMessageA(control, WM_VSCROLL, SB_PAGEDOWN, 0);
            UpdateWindow(control);
            ++f.pages;
        }
        spent += Now() - start;
    }
    f.page = spent / f.pages;
    return f;
}

Figures Ours(HWND frame, int rows) {
    CReportCtrl report;
    report.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | report::Tree | report::TruncationTips, kLobbyList,
                  frame, 1018);
    report.DefineSubItem({0, 160, 0, 0, 0, "Lobby"});
    report.ShowColumn(0);
    for (int made = 0, g = 0; made < rows; ++g) {
        const std::string group = "Table " + std::to_string(g);
        report::NodeHandle node = report.InsertItem(group.c_str(), -1, -1, -1, report::RootNode, report::LastChild, -1);
        ++made;
        for (int u = 0; u < kUsersPerGroup && made < rows; ++u, ++made) {
            const std::string user = "player" + std::to_string(made);
            report.InsertItem(user.c_str(), -1, -1, -1, node, report::LastChild, -1);
        }
        report.Expand(node, 1);
    }
    Pump();
    return Measure(report, [&] { return report.TopRow(); });
}

Figures Platform(HWND frame, int rows) {
    HWND list = bench::MakePlayerList(frame, rows, "Lobby");
    const Figures f = Measure(list, [&] { return static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)); });
    DestroyWindow(list);
    return f;
}

}  // namespace

int main() {
    HWND frame = bench::MakePlayerFrame("ReportRepaintBench");

    const int sizes[] = {100, 10000, 100000};
    Figures ours[3], platform[3];
    for (int i = 0; i < 3; ++i) {
        ours[i] = Ours(frame, sizes[i]);
        platform[i] = Platform(frame, sizes[i]);
    }
    for (int i = 0; i < 3; ++i)
        std::printf(
            "%6d rows: repaint CReportCtrl %.1f us, SysListView32 %.1f us, ratio %.2f; "
            "scroll by %d pages: CReportCtrl %.1f us per page, SysListView32 %.1f us, ratio %.2f\n",
            sizes[i], ours[i].repaint * 1e6, platform[i].repaint * 1e6, ours[i].repaint / platform[i].repaint,
            ours[i].pages, ours[i].page * 1e6, platform[i].page * 1e6, ours[i].page / platform[i].page);
    std::printf("repaint at 100,000 rows / at 100 rows: CReportCtrl %.2f (target <= 1.2), SysListView32 %.2f\n",
                ours[2].repaint / ours[0].repaint, platform[2].repaint / platform[0].repaint);
    std::printf("page at 100,000 rows / at 100 rows: CReportCtrl %.2f, SysListView32 %.2f\n",
                ours[2].page / ours[0].page, platform[2].page / platform[0].page);
    const char* rows[] = {"100", "10,000", "100,000"};
    for (int i = 0; i < 3; ++i) {
        const std::string repaint = std::string("report: repaint at ") + rows[i] + " rows";
        const std::string page = std::string("report: page down at ") + rows[i] + " rows";
        bench::Row(repaint.c_str(), ours[i].repaint * 1e3, "SysListView32", platform[i].repaint * 1e3, "ms", "-");
        bench::Row(page.c_str(), ours[i].page * 1e3, "SysListView32", platform[i].page * 1e3, "ms", "-");
    }
    bench::Row("report: repaint 100,000 rows / 100 rows", ours[2].repaint / ours[0].repaint, "SysListView32",
               platform[2].repaint / platform[0].repaint, "x", "CReportCtrl <= 1.2");
    DestroyWindow(frame);
    return 0;
}
