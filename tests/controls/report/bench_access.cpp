// Benchmark, not a test: what a screen reader asks of a list it lands on, the
// child count and the names of the rows on screen (get_accChildCount,
// get_accName of an object got once through AccessibleObjectFromWindow), at
// 100 and at 100,000 rows scrolled to the middle; in the same run the same
// calls on a SysListView32 in report view with as many items (owner data, as
// its inserts would take the run's time), and the getting of the object
// itself. A second anchor is the list view's own messages for the same
// answers (LVM_GETITEMCOUNT and LVM_GETITEMTEXT of the rows on screen), what a
// list-view proxy asks where the platform has one. Medians of 201 rounds.
// Run: tools/wine-test.sh build/win32 $PWD/build/win32/tests/controls/report/report_access_bench.exe
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "controls/report/report_ctrl.h"
#include "tests/controls/report/bench_lists.h"
#include "win/accessible.h"

namespace {

using bench::kLobbyList;
constexpr int kRounds = 201;

using bench::Now;
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

double Median(const std::function<size_t()>& round, size_t* read) {
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        const double start = Now();
        *read = round();
        times.push_back(Now() - start);
    }
    std::nth_element(times.begin(), times.begin() + kRounds / 2, times.end());
    return times[kRounds / 2];
}

struct Figures {
    double calls = 0;     // seconds per round of the accessible calls
    double object = 0;    // seconds to get the object
    double messages = 0;  // seconds per round of the list view's messages
    int shown = 0;
    size_t read = 0;
};

Figures Ours(HWND frame, int rows) {
    CReportCtrl report;
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
    Figures f;
    const int top = report.TopRow();
    f.shown = report.VisibleRows(top, false);
    IAccessible* object = ObjectOf(report);
    f.calls = Median([&] { return ReadRows(object, top, top + f.shown - 1); }, &f.read);
    if (object) object->Release();
    size_t got = 0;
    f.object = Median([&] { return GetObject(report); }, &got);
    return f;
}

Figures Platform(HWND frame, int rows) {
    HWND list = bench::MakePlayerList(frame, rows, "Players");
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(rows - 1), FALSE);
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(rows / 2), FALSE);
    Pump();
    Figures f;
    const int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    f.shown = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
    IAccessible* object = ObjectOf(list);
    f.calls = Median([&] { return ReadRows(object, top, top + f.shown - 1); }, &f.read);
    if (object) object->Release();
    size_t texts = 0;
    f.object = Median([&] { return GetObject(list); }, &texts);
    f.messages = Median(
        [&] {
            size_t read = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0;
            char text[256];
            for (int row = top; row < top + f.shown; ++row) {
                LVITEMA item{};
                item.pszText = text;
                item.cchTextMax = sizeof text;
                read += static_cast<size_t>(
                    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
            }
            return read;
        },
        &texts);
    DestroyWindow(list);
    return f;
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    HWND frame = bench::MakePlayerFrame("ReportAccessBench");

    const int sizes[] = {100, 100000};
    Figures ours[2], platform[2];
    for (int i = 0; i < 2; ++i) {
        ours[i] = Ours(frame, sizes[i]);
        platform[i] = Platform(frame, sizes[i]);
        std::printf(
            "%6d rows: CReportCtrl %d rows on screen, calls %.1f us a round (%zu characters read), object "
            "%.1f us; SysListView32 %d rows, calls %.1f us (%zu characters read), object %.1f us, its "
            "messages %.1f us\n",
            sizes[i], ours[i].shown, ours[i].calls * 1e6, ours[i].read, ours[i].object * 1e6, platform[i].shown,
            platform[i].calls * 1e6, platform[i].read, platform[i].object * 1e6, platform[i].messages * 1e6);
        std::fflush(stdout);
    }
    const char* rows[] = {"100", "100,000"};
    for (int i = 0; i < 2; ++i) {
        const std::string what = std::string("access: count and names on screen at ") + rows[i] + " rows";
        bench::Row(what.c_str(), ours[i].calls * 1e6, "SysListView32", platform[i].calls * 1e6, "us", "-");
    }
    bench::Row("access: the same at 100,000 rows, against messages", ours[1].calls * 1e6, "LVM_GETITEMTEXT",
               platform[1].messages * 1e6, "us", "-");
    bench::Row("access: AccessibleObjectFromWindow at 100,000 rows", ours[1].object * 1e6, "SysListView32",
               platform[1].object * 1e6, "us", "-");
    bench::Row("access: 100,000 rows / 100 rows", ours[1].calls / ours[0].calls, "SysListView32",
               platform[1].calls / platform[0].calls, "x", "CReportCtrl <= 1.2");
    DestroyWindow(frame);
    CoUninitialize();
    return 0;
}
