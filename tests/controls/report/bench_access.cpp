// Benchmark, not a test: what a screen reader asks of a list it lands on, the
// child count and the names of the rows on screen (get_accChildCount,
// get_accName of an object got once through AccessibleObjectFromWindow), at
// 100 and at 100,000 rows scrolled to the middle; in the same run the same
// calls on a SysListView32 in report view with as many items (owner data, as
// its inserts would take the run's time), and the getting of the object
// itself. A second anchor is the list view's own messages for the same
// answers (LVM_GETITEMCOUNT and LVM_GETITEMTEXT of the rows on screen), what a
// list-view proxy asks where the platform has one. Medians of 201 rounds, the
// four lists taking turns so that drift falls on all alike.
// With --joins: a stream of joins above the focused row of a 100,000-row
// tree, each followed by what the message loop does meanwhile, and then the
// events they make, into a tree whose rows are all selected, with a WinEvent
// hook in and without one, against the same stream into one with none
// selected; medians of 21 turns of 1,000 joins.
// Run: tools/wine-test.sh build/win32 $PWD/build/win32/tests/controls/report/report_access_bench.exe [--joins]
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "controls/report/report_ctrl.h"
#include "tests/controls/report/bench_lists.h"
#include "win/accessible.h"

namespace {

using bench::kLobbyList;
constexpr int kRounds = 201;

using bench::Pump;

std::string Player(int n) { return "player" + std::to_string(n); }

IAccessible* ObjectOf(HWND window) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(window, OBJID_CLIENT, win::kIidAccessible, reinterpret_cast<void**>(&object));
    return object;
}

// One round: the child count and the names of children first..last; the
// characters of the names read, so that nothing is left unused.
size_t ReadRows(IAccessible* object, int first, int last) {
    if (!object) return 0;
    long count = 0;
    object->get_accChildCount(&count);
    size_t read = static_cast<size_t>(count > 0);
    VARIANT child;
    child.vt = VT_I4;
    for (int row = first; row <= last; ++row) {
        child.lVal = row + 1;
        BSTR name = nullptr;
        if (SUCCEEDED(object->get_accName(child, &name)) && name) read += SysStringLen(name);
        SysFreeString(name);
    }
    return read;
}

// The getting of the object a reader starts from.
size_t GetObject(HWND window) {
    IAccessible* object = ObjectOf(window);
    if (object) object->Release();
    return object != nullptr;
}

// One list, scrolled to its middle, and the object a reader got for it.
struct Subject {
    HWND window = nullptr;
    int top = 0;
    int shown = 0;
    IAccessible* object = nullptr;
};

Subject Ours(CReportCtrl& report, HWND frame, int rows) {
    report.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | report::TruncationTips, kLobbyList, frame, 1018);
    report.DefineSubItem({0, 160, 0, 0, 0, "Players"});
    report.ShowColumn(0);
    for (int n = 0; n < rows; ++n) {
        const std::string text = Player(n);
        report::ReportItem item{};
        item.mask = report::MaskText;
        item.item = n;
        item.text = const_cast<char*>(text.c_str());
        report.InsertListItem(item);
    }
    report.SetTopRow(rows / 2);
    Pump();
    const int top = report.TopRow();
    return {report, top, report.VisibleRows(top, false), ObjectOf(report)};
}

Subject Platform(HWND frame, int rows) {
    HWND list = bench::MakePlayerList(frame, rows, "Players");
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(rows - 1), FALSE);
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(rows / 2), FALSE);
    Pump();
    return {list, static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)),
            static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)) + 1, ObjectOf(list)};
}

// The list view's own messages for the same answers.
size_t ReadByMessages(const Subject& s) {
    size_t read = SendMessageA(s.window, LVM_GETITEMCOUNT, 0, 0) > 0;
    char text[256];
    for (int row = s.top; row < s.top + s.shown; ++row) {
        LVITEMA item{};
        item.pszText = text;
        item.cchTextMax = sizeof text;
        read += static_cast<size_t>(
            SendMessageA(s.window, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    }
    return read;
}

void CALLBACK Heard(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {}

int Joins() {
    constexpr int kRows = 100000, kJoins = 1000;
    HWND frame = bench::MakePlayerFrame("ReportJoinBench");
    const bool selected[] = {true, false, true, false}, hooked[] = {true, true, false, false};
    CReportCtrl trees[4];
    report::NodeHandle middle[4] = {};  // the joins go in below it, below the screen
    for (size_t k = 0; k < 4; ++k) {
        trees[k].Create(WS_CHILD | WS_VISIBLE | report::Tree, kLobbyList, frame, 1018);
        trees[k].DefineSubItem({0, 160, 0, 0, 0, "Players"});
        trees[k].ShowColumn(0);
        for (int n = 0; n < kRows; ++n) {
            const report::NodeHandle node =
                trees[k].InsertItem(Player(n).c_str(), -1, -1, -1, report::RootNode, report::LastChild, -1);
            if (n == kRows / 2) middle[k] = node;
        }
        trees[k].SelectRows(kRows - 1, selected[k] ? 0 : kRows - 1, selected[k], false, false, false);
    }
    HWINEVENTHOOK hook = nullptr;
    int joined = kRows;
    const std::vector<double> times = bench::MediansByTurns(
        4, 21,
        [&](size_t k) {
            for (int j = 0; j < kJoins; ++j) {
                trees[k].InsertItem(Player(++joined).c_str(), -1, -1, -1, report::RootNode, middle[k], -1);
                Pump();
            }
            trees[k].FlushAccessEvents();
            Pump();
        },
        [&](size_t k) {
            if (hooked[k] == (hook != nullptr)) return;
            if (hook)
                UnhookWinEvent(std::exchange(hook, nullptr));
            else
                hook = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_NAMECHANGE, nullptr, Heard,
                                       GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
        });
    if (hook) UnhookWinEvent(hook);
    bench::Row("access: a join into 100,000 rows all selected, a hook in", times[0] / kJoins * 1e6, "none selected",
               times[1] / kJoins * 1e6, "us", "<= 1.1");
    bench::Row("access: the same without a hook", times[2] / kJoins * 1e6, "none selected", times[3] / kJoins * 1e6,
               "us", "<= 1.1");
    for (CReportCtrl& tree : trees) DestroyWindow(tree);
    DestroyWindow(frame);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--joins") {
        CoInitialize(nullptr);
        const int result = Joins();
        CoUninitialize();
        return result;
    }
    CoInitialize(nullptr);
    HWND frame = bench::MakePlayerFrame("ReportAccessBench");

    constexpr int kSizes = 2;
    const int sizes[kSizes] = {100, 100000};
    // Ours first, then the list views, in the order of sizes.
    CReportCtrl reports[kSizes];
    std::vector<Subject> subjects;
    for (int i = 0; i < kSizes; ++i) subjects.push_back(Ours(reports[i], frame, sizes[i]));
    for (int i = 0; i < kSizes; ++i) subjects.push_back(Platform(frame, sizes[i]));
    // What the last round read, so that nothing is left unused.
    std::vector<size_t> read(subjects.size()), got(subjects.size()), texts(kSizes);
    const std::vector<double> calls = bench::MediansByTurns(subjects.size(), kRounds, [&](size_t k) {
        read[k] = ReadRows(subjects[k].object, subjects[k].top, subjects[k].top + subjects[k].shown - 1);
    });
    const std::vector<double> object =
        bench::MediansByTurns(subjects.size(), kRounds, [&](size_t k) { got[k] = GetObject(subjects[k].window); });
    const std::vector<double> messages =
        bench::MediansByTurns(kSizes, kRounds, [&](size_t k) { texts[k] = ReadByMessages(subjects[kSizes + k]); });

    auto ours = [](int i) { return static_cast<size_t>(i); };
    auto platform = [](int i) { return static_cast<size_t>(kSizes + i); };
    for (int i = 0; i < kSizes; ++i)
        std::printf(
            "%6d rows: CReportCtrl %d rows on screen, calls %.1f us a round (%zu characters read), object "
            "%.1f us; SysListView32 %d rows, calls %.1f us (%zu characters read), object %.1f us, its "
            "messages %.1f us\n",
            sizes[i], subjects[ours(i)].shown, calls[ours(i)] * 1e6, read[ours(i)], object[ours(i)] * 1e6,
            subjects[platform(i)].shown, calls[platform(i)] * 1e6, read[platform(i)], object[platform(i)] * 1e6,
            messages[i] * 1e6);
    const char* rows[] = {"100", "100,000"};
    for (int i = 0; i < kSizes; ++i) {
        const std::string what = std::string("access: count and names on screen at ") + rows[i] + " rows";
        bench::Row(what.c_str(), calls[ours(i)] * 1e6, "SysListView32", calls[platform(i)] * 1e6, "us", "-");
    }
    bench::Row("access: the same at 100,000 rows, against messages", calls[ours(1)] * 1e6, "LVM_GETITEMTEXT",
               messages[1] * 1e6, "us", "-");
    bench::Row("access: AccessibleObjectFromWindow at 100,000 rows", object[ours(1)] * 1e6, "SysListView32",
               object[platform(1)] * 1e6, "us", "-");
    bench::Row("access: 100,000 rows / 100 rows", calls[ours(1)] / calls[ours(0)], "SysListView32",
               calls[platform(1)] / calls[platform(0)], "x", "CReportCtrl <= 1.2");
    for (Subject& s : subjects) {
        if (s.object) s.object->Release();
        DestroyWindow(s.window);
    }
    DestroyWindow(frame);
    CoUninitialize();
    return 0;
}
