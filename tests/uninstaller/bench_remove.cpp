// Benchmark, not a test: RemoveTree on a generated tree of 20,000 files in 2,000
// directories, next to "cmd /c rd /s /q" on an identical tree, in the same run.
// Run: tools/wine-test.sh build/win32 $PWD/build/win32/tests/uninstaller/uninstaller_bench.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/bench_row.h"
#include "tests/uninstaller/win_helpers.h"
#include "uninstaller/removal.h"

namespace {

constexpr int kTopDirs = 40;
constexpr int kSubDirsPerTop = 49;  // 40 + 40 * 49 = 2,000 directories
constexpr int kFilesPerDir = 10;    // 20,000 files

void Generate(const std::string& root) {
    auto files = [](const std::string& dir) {
        for (int f = 0; f < kFilesPerDir; ++f)
            uninst_test::MakeFile(dir + "\\file" + std::to_string(f) + ".dat", "data");
    };
    for (int t = 0; t < kTopDirs; ++t) {
        std::string top = root + "\\dir" + std::to_string(t);
        CreateDirectoryA(top.c_str(), nullptr);
        files(top);
        for (int s = 0; s < kSubDirsPerTop; ++s) {
            std::string sub = top + "\\sub" + std::to_string(s);
            CreateDirectoryA(sub.c_str(), nullptr);
            files(sub);
        }
    }
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

}  // namespace

int main() {
    uninst_test::ScratchDir scratch("bench");
    std::string ours = scratch / "ours", rd = scratch / "rd";
    uninst_test::MakeDirs(ours);
    uninst_test::MakeDirs(rd);
    Generate(ours);
    Generate(rd);
    std::printf("tree: %d directories, %d files, twice\n", kTopDirs * (1 + kSubDirsPerTop),
                kTopDirs * (1 + kSubDirsPerTop) * kFilesPerDir);

    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    LARGE_INTEGER t0, t1, t2, t3;
    QueryPerformanceCounter(&t0);
    uninst::RemovalStats stats;
    bool ok = uninst::RemoveTree(uninst_test::Wide(ours), L"*.*", uninst::KeepList(), &stats);
    QueryPerformanceCounter(&t1);
    SetCurrentDirectoryA(previous);

    std::string command = "cmd /c rd /s /q \"" + rd + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    QueryPerformanceCounter(&t2);
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    QueryPerformanceCounter(&t3);

    std::printf("RemoveTree:      %.3f s (%s, %d files, %d directories removed)\n", Seconds(t0, t1),
                ok ? "ok" : "FAILED", stats.filesDeleted, stats.dirsRemoved);
    std::printf("cmd /c rd /s /q: %.3f s (tree %s)\n", Seconds(t2, t3),
                uninst_test::Exists(rd) ? "still there" : "gone");
    std::printf("ratio:           %.2f\n", Seconds(t0, t1) / Seconds(t2, t3));
    bench::Row("uninstaller: remove 20,000 files in 2,000 directories", Seconds(t0, t1), "cmd /c rd /s /q",
               Seconds(t2, t3), "s", "not slower than before");
    return ok ? 0 : 1;
}
