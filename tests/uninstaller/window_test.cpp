// The window in-process: its painting (through WM_PRINTCLIENT, which shares the
// paint function) into a memory DC.
#include <gtest/gtest.h>

#include "tests/uninstaller/win_helpers.h"
#include "win/gdi.h"
#include "uninstaller/settings.h"
#include "uninstaller/uninstall_window.h"

#include <commctrl.h>

using namespace uninst;

namespace {

const COLORREF kFill = RGB(1, 2, 3);

// The test program's own directory holds the settings file the window reads.
class PaintTest : public ::testing::Test {
protected:
    void SetUp() override { ini = uninst_test::Narrow(ProgramDirectory()) + "uninstaller.ini"; }
    void TearDown() override { DeleteFileA(ini.c_str()); }
    std::string ini;
};

struct Canvas {
    Canvas() : dc(nullptr) {
        HDC screen = GetDC(nullptr);
        memory = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, 600, 300);
        ReleaseDC(nullptr, screen);
        old = SelectObject(memory, bitmap);
        win::GdiObject<HBRUSH> fill(CreateSolidBrush(kFill));
        RECT all = {0, 0, 600, 300};
        FillRect(memory, &all, fill.Get());
    }
    ~Canvas() {
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    // How many pixels of the area differ from the fill, and how many have `colour`.
    std::pair<int, int> Count(RECT r, COLORREF colour) const {
        int changed = 0, exact = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                COLORREF c = GetPixel(memory, x, y);
                changed += c != kFill;
                exact += c == colour;
            }
        return {changed, exact};
    }
    HDC dc;
    HDC memory;
    HBITMAP bitmap;
    HGDIOBJ old;
};

}  // namespace

TEST_F(PaintTest, BandTextsAndWrappedVersionLine) {
    uninst_test::MakeFile(ini,
                          "[INFO]\r\nVER_NAME=Quintara Poker\r\nDIR=C:\\Games\\Quintara\r\nVER_INFO=Version 1.2.3 "
                          "build 4567 of the card room client, a long line that wraps at word boundaries and is cut "
                          "at the bottom edge of its rectangle\r\n");
    UninstallWindow window(GetModuleHandleA(nullptr));
    ASSERT_TRUE(window.Create());
    EXPECT_EQ(window.Settings().verName, L"Quintara Poker");
    Canvas canvas;
    SendMessageA(window.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.memory), PRF_CLIENT);

    // The band is black without a skin (the version line is drawn over its lower part).
    EXPECT_EQ(canvas.Count({0, 0, 370, 90}, RGB(0, 0, 0)).second, 370 * 90);
    // White bold line and white "Directory" line, each inside its rectangle.
    EXPECT_GT(canvas.Count({25, 117, 580, 137}, RGB(255, 255, 255)).second, 50);
    EXPECT_GT(canvas.Count({25, 137, 580, 170}, RGB(255, 255, 255)).second, 20);
    // The version line wraps below its first line and stops at its rectangle's bottom (100).
    EXPECT_GT(canvas.Count({375, 73, 580, 86}, RGB(13, 37, 75)).first, 20);
    EXPECT_GT(canvas.Count({375, 86, 580, 100}, RGB(13, 37, 75)).first, 20);
    EXPECT_EQ(canvas.Count({375, 100, 600, 117}, 0).first, 0);
    EXPECT_EQ(canvas.Count({0, 170, 600, 300}, 0).first, 0);
}

TEST_F(PaintTest, WindowWithoutSettingsStillPaints) {
    UninstallWindow window(GetModuleHandleA(nullptr));
    ASSERT_TRUE(window.Create());
    EXPECT_TRUE(window.Settings().verName.empty());
    EXPECT_EQ(window.Keep().Size(), 0u);
    HWND progress = FindWindowExA(window.Handle(), nullptr, "msctls_progress32", nullptr);
    ASSERT_TRUE(progress);
    RECT r;
    GetWindowRect(progress, &r);
    MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 25);
    EXPECT_EQ(r.top, 180);
    EXPECT_EQ(r.right - r.left, 540);
    EXPECT_EQ(r.bottom - r.top, 20);
    EXPECT_EQ(SendMessageA(progress, PBM_GETRANGE, FALSE, 0), 100);
    Canvas canvas;
    SendMessageA(window.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.memory), PRF_CLIENT);
    EXPECT_EQ(canvas.Count({0, 0, 600, 90}, RGB(0, 0, 0)).second, 600 * 90);
}
