// Benchmark, not a test: a full repaint (invalidate and update) of the lobby
// list's control at 100, 10,000 and 100,000 rows (groups of 99 users, all
// shown), and a scroll through the whole list by pages; in the same run the
// same of a SysListView32 in report view with as many rows (owner data), as
// the platform's anchor. The lists take turns, one shown at a time, so that
// drift in the machine's speed falls on all alike: repaints are the median of
// 101 rounds of all six, and the two lists of a size scroll by turns. A short
// list is paged through again until at least 200 pages are timed, going back
// up by pages untimed: Wine's list view ignores SB_TOP, and would otherwise be
// timed on pages that cannot move.
// Run: tools/wine-test.sh build/win32 $PWD/build/win32/tests/controls/report/report_repaint_bench.exe
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
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

// One list being measured: its window and how to read its top row.
struct Subject {
    HWND window;
    std::function<int()> top;
};

// Only the subject measured is shown, so that each is painted alone.
void ShowAlone(const std::vector<Subject>& subjects, size_t shown) {
    for (size_t k = 0; k < subjects.size(); ++k) ShowWindow(subjects[k].window, k == shown ? SW_SHOWNA : SW_HIDE);
    UpdateWindow(subjects[shown].window);
    Pump();
}

void BackToTop(const Subject& s) {
    for (int last = -1; s.top() != 0 && s.top() != last;) {
        last = s.top();
        SendMessageA(s.window, WM_VSCROLL, SB_PAGEUP, 0);
    }
    UpdateWindow(s.window);
}

struct Pages {
    double spent = 0;  // seconds
    int pages = 0;
    double Page() const { return spent / pages; }
};

// One scroll from the top by pages, until they stop moving.
void PagePass(const Subject& s, Pages& p) {
    BackToTop(s);
    const double start = Now();
    for (int last = -1; s.top() != last;) {
        last = s.top();
        SendMessageA(s.window, WM_VSCROLL, SB_PAGEDOWN, 0);
        UpdateWindow(s.window);
        ++p.pages;
    }
    p.spent += Now() - start;
}

// Both lists of one size scroll through by turns, a short list again until
// enough pages are timed.
std::pair<Pages, Pages> PageThrough(const std::vector<Subject>& subjects, size_t ours, size_t platform) {
    Pages a, b;
    while (a.pages < kMinPages || b.pages < kMinPages) {
        for (auto [k, p] : {std::pair{ours, &a}, std::pair{platform, &b}}) {
            if (p->pages >= kMinPages) continue;
            ShowAlone(subjects, k);
            PagePass(subjects[k], *p);
        }
    }
    return {a, b};
}

std::unique_ptr<CReportCtrl> Ours(HWND frame, int rows) {
    auto report = std::make_unique<CReportCtrl>();
    report->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | report::Tree | report::TruncationTips, kLobbyList,
                   frame, 1018);
    report->DefineSubItem({0, 160, 0, 0, 0, "Lobby"});
    report->ShowColumn(0);
    for (int made = 0, g = 0; made < rows; ++g) {
        const std::string group = "Table " + std::to_string(g);
        report::NodeHandle node =
            report->InsertItem(group.c_str(), -1, -1, -1, report::RootNode, report::LastChild, -1);
        ++made;
        for (int u = 0; u < kUsersPerGroup && made < rows; ++u, ++made) {
            const std::string user = "player" + std::to_string(made);
            report->InsertItem(user.c_str(), -1, -1, -1, node, report::LastChild, -1);
        }
        report->Expand(node, 1);
    }
    Pump();
    return report;
}

}  // namespace

int main() {
    HWND frame = bench::MakePlayerFrame("ReportRepaintBench");

    constexpr int kSizes = 3;
    const int sizes[kSizes] = {100, 10000, 100000};
    // Ours first, then the list views, in the order of sizes.
    std::vector<std::unique_ptr<CReportCtrl>> reports;
    std::vector<Subject> subjects;
    for (int rows : sizes) {
        reports.push_back(Ours(frame, rows));
        CReportCtrl* report = reports.back().get();
        subjects.push_back({*report, [report] { return report->TopRow(); }});
    }
    for (int rows : sizes) {
        HWND list = bench::MakePlayerList(frame, rows, "Lobby");
        subjects.push_back({list, [list] { return static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)); }});
    }
    const std::vector<double> repaint = bench::MediansByTurns(
        subjects.size(), kRepaints,
        [&](size_t k) {
            InvalidateRect(subjects[k].window, nullptr, FALSE);
            UpdateWindow(subjects[k].window);
        },
        [&](size_t k) { ShowAlone(subjects, k); });
    auto ours = [](int i) { return static_cast<size_t>(i); };
    auto platform = [](int i) { return static_cast<size_t>(kSizes + i); };
    std::vector<Pages> pages(subjects.size());
    for (int i = 0; i < kSizes; ++i)
        std::tie(pages[ours(i)], pages[platform(i)]) = PageThrough(subjects, ours(i), platform(i));

    for (int i = 0; i < kSizes; ++i)
        std::printf(
            "%6d rows: repaint CReportCtrl %.1f us, SysListView32 %.1f us, ratio %.2f; "
            "scroll by %d pages: CReportCtrl %.1f us per page, SysListView32 %.1f us, ratio %.2f\n",
            sizes[i], repaint[ours(i)] * 1e6, repaint[platform(i)] * 1e6, repaint[ours(i)] / repaint[platform(i)],
            pages[ours(i)].pages, pages[ours(i)].Page() * 1e6, pages[platform(i)].Page() * 1e6,
            pages[ours(i)].Page() / pages[platform(i)].Page());
    std::printf("repaint at 100,000 rows / at 100 rows: CReportCtrl %.2f (target <= 1.2), SysListView32 %.2f\n",
                repaint[ours(2)] / repaint[ours(0)], repaint[platform(2)] / repaint[platform(0)]);
    std::printf("page at 100,000 rows / at 100 rows: CReportCtrl %.2f, SysListView32 %.2f\n",
                pages[ours(2)].Page() / pages[ours(0)].Page(), pages[platform(2)].Page() / pages[platform(0)].Page());
    const char* rows[] = {"100", "10,000", "100,000"};
    for (int i = 0; i < kSizes; ++i) {
        const std::string repaintRow = std::string("report: repaint at ") + rows[i] + " rows";
        const std::string pageRow = std::string("report: page down at ") + rows[i] + " rows";
        bench::Row(repaintRow.c_str(), repaint[ours(i)] * 1e3, "SysListView32", repaint[platform(i)] * 1e3, "ms", "-");
        bench::Row(pageRow.c_str(), pages[ours(i)].Page() * 1e3, "SysListView32", pages[platform(i)].Page() * 1e3, "ms",
                   "-");
    }
    bench::Row("report: repaint 100,000 rows / 100 rows", repaint[ours(2)] / repaint[ours(0)], "SysListView32",
               repaint[platform(2)] / repaint[platform(0)], "x", "CReportCtrl <= 1.2");
    reports.clear();
    DestroyWindow(frame);
    return 0;
}
