// Skin bitmaps and shaped buttons in this process: the faces a button shows
// are read back from its window's pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "skin/shaped_button.h"
#include "skin/skin_bitmap.h"
#include "skin/skin_ids.h"
#include "tests/support/testsupport.h"
#include "win/gdi.h"

namespace {

const UINT kButtonId = 9100;
const int kWidth = 16;
const int kHeight = 14;
// The rows of a toolbar strip, top to bottom.
const int kNormalRow = 0, kPressedRow = 1, kHoverRow = 2, kDisabledRow = 3;

// 32-bit pixels of a width x height area, drawn by `paint` into a DIB section.
template <class Paint>
std::vector<DWORD> Pixels(int width, int height, Paint paint) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    win::Bitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win::MemoryDC dc;
    {
        win::SelectScope select(dc, dib);
        paint(static_cast<HDC>(dc));
        GdiFlush();
    }
    const DWORD* p = static_cast<const DWORD*>(bits);
    std::vector<DWORD> pixels(p, p + width * height);
    for (DWORD& px : pixels) px &= 0xFFFFFF;
    return pixels;
}

std::vector<DWORD> WindowPixels(HWND window) {
    UpdateWindow(window);
    return Pixels(kWidth, kHeight, [&](HDC target) {
        win::ClientDC source(window);
        BitBlt(target, 0, 0, kWidth, kHeight, source, 0, 0, SRCCOPY);
    });
}

// The state image `row` of column `column` of a toolbar strip, as the screen shows it.
std::vector<DWORD> StripPixels(UINT bitmapId, int column, int row) {
    win::Bitmap strip(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId)));
    return Pixels(kWidth, kHeight, [&](HDC target) {
        win::MemoryDC source(target);
        win::SelectScope select(source, strip);
        BitBlt(target, 0, 0, kWidth, kHeight, source, column * kWidth, row * kHeight, SRCCOPY);
    });
}

std::vector<DWORD> ImagePixels(HBITMAP image) {
    return Pixels(kWidth, kHeight, [&](HDC target) {
        win::MemoryDC source(target);
        win::SelectScope select(source, image);
        BitBlt(target, 0, 0, kWidth, kHeight, source, 0, 0, SRCCOPY);
    });
}

DWORD Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// The parent: reflects owner drawing to the button and counts its clicks.
struct Parent {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Parent*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg == WM_DRAWITEM && CShapedButton::Reflect(*reinterpret_cast<DRAWITEMSTRUCT*>(lp))) return TRUE;
        if (msg == WM_COMMAND && self && LOWORD(wp) == kButtonId && HIWORD(wp) == BN_CLICKED) self->clicks++;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    Parent() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = "ShapedButtonTestParent";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, wc.lpszClassName, "Shaped", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr,
                               nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetForegroundWindow(hwnd);
    }
    ~Parent() { DestroyWindow(hwnd); }
    HWND hwnd;
    int clicks = 0;
};

class ShapedButton : public ::testing::Test {
protected:
    void SetUp() override {
        win::Region shape(CreateRectRgn(0, 0, kWidth, kHeight));
        ASSERT_TRUE(button.CreateShaped("WebButton0", WS_CHILD | WS_VISIBLE, 10, 10, shape, parent.hwnd, kButtonId));
        ASSERT_TRUE(button.SetStateImages(IDB_WEB_BUTTONS, false, RECT{0, 0, kWidth, 4 * kHeight}));
        testsupport::PumpFor(100);
    }
    void Mouse(UINT msg, WPARAM keys, int x, int y) { button.SendMessage(msg, keys, MAKELPARAM(x, y)); }
    std::vector<DWORD> Face(int row) { return StripPixels(IDB_WEB_BUTTONS, 0, row); }

    Parent parent;
    CShapedButton button;
};

TEST_F(ShapedButton, HoverShowsWhileInsideAndLeavesWithoutClick) {
    EXPECT_EQ(WindowPixels(button), Face(kNormalRow));
    Mouse(WM_MOUSEMOVE, 0, 5, 5);
    EXPECT_TRUE(button.Hovering());
    EXPECT_EQ(GetCapture(), button.GetSafeHwnd());
    EXPECT_EQ(WindowPixels(button), Face(kHoverRow));

    Mouse(WM_MOUSEMOVE, 0, 30, 5);
    EXPECT_FALSE(button.Hovering());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(WindowPixels(button), Face(kNormalRow));
    EXPECT_EQ(parent.clicks, 0);
}

TEST_F(ShapedButton, PressedWhileHeldAndNoClickWhenReleasedOutside) {
    Mouse(WM_MOUSEMOVE, 0, 5, 5);
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    EXPECT_EQ(WindowPixels(button), Face(kPressedRow));
    // Held: moving out does not drop the capture, so the release is ours.
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 40, 30);
    EXPECT_EQ(GetCapture(), button.GetSafeHwnd());
    Mouse(WM_LBUTTONUP, 0, 40, 30);
    EXPECT_EQ(parent.clicks, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(button.Hovering());
    EXPECT_EQ(WindowPixels(button), Face(kNormalRow));
}

TEST_F(ShapedButton, ReleaseInsideClicksAndKeepsHovering) {
    Mouse(WM_MOUSEMOVE, 0, 5, 5);
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    Mouse(WM_LBUTTONUP, 0, 5, 5);
    EXPECT_EQ(parent.clicks, 1);
    EXPECT_TRUE(button.Hovering());
    EXPECT_EQ(WindowPixels(button), Face(kHoverRow));
    // A quick second click is a second press, not a double-click notice.
    Mouse(WM_LBUTTONDBLCLK, MK_LBUTTON, 5, 5);
    EXPECT_EQ(WindowPixels(button), Face(kPressedRow));
    Mouse(WM_LBUTTONUP, 0, 5, 5);
    EXPECT_EQ(parent.clicks, 2);
}

TEST_F(ShapedButton, DisabledShowsTheFourthImage) {
    EnableWindow(button, FALSE);
    EXPECT_EQ(WindowPixels(button), Face(kDisabledRow));
    Mouse(WM_MOUSEMOVE, 0, 5, 5);  // hover does not light a disabled button
    EXPECT_EQ(WindowPixels(button), Face(kDisabledRow));
}

TEST_F(ShapedButton, CaptureTakenByAnotherWindowDropsTheHover) {
    Mouse(WM_MOUSEMOVE, 0, 5, 5);
    SetCapture(parent.hwnd);
    EXPECT_FALSE(button.Hovering());
    EXPECT_EQ(WindowPixels(button), Face(kNormalRow));
    ReleaseCapture();
    Mouse(WM_MOUSEMOVE, 0, 5, 5);  // and hovering again takes it back
    EXPECT_EQ(GetCapture(), button.GetSafeHwnd());
}

TEST(ShapedButtonImages, CutsFacesSideBySideAndFromAnyCorner) {
    Parent parent;
    CShapedButton button;
    win::Region shape(CreateRectRgn(0, 0, kWidth, kHeight));
    ASSERT_TRUE(button.CreateShaped("WebButton0", WS_CHILD | WS_VISIBLE, 0, 0, shape, parent.hwnd, kButtonId));
    // The normal faces of Back, Forward, Stop and Reload, side by side.
    ASSERT_TRUE(button.SetStateImages(IDB_WEB_BUTTONS, true, RECT{0, 0, 4 * kWidth, kHeight}));
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(ImagePixels(button.Image(CShapedButton::Face(i))), StripPixels(IDB_WEB_BUTTONS, i, 0)) << i;
    // Exit's column of the system strip, vertically.
    ASSERT_TRUE(button.SetStateImages(IDB_SYSTEM_BUTTONS, false, RECT{16, 0, 32, 56}));
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(ImagePixels(button.Image(CShapedButton::Face(i))), StripPixels(IDB_SYSTEM_BUTTONS, 1, i)) << i;
}

TEST(ShapedButtonImages, MissingStripKeepsImagesAndGeneratesFaces) {
    Parent parent;
    CShapedButton button;
    win::Region shape(CreateRectRgn(0, 0, kWidth, kHeight));
    ASSERT_TRUE(button.CreateShaped("", WS_CHILD | WS_VISIBLE, 10, 10, shape, parent.hwnd, kButtonId));
    EXPECT_FALSE(button.SetStateImages(4242, false, RECT{0, 0, kWidth, 4 * kHeight}));
    button.faceColours = {RGB(10, 20, 30), RGB(40, 50, 60), RGB(70, 80, 90), RGB(100, 110, 120)};
    std::vector<DWORD> normal = WindowPixels(button);
    EXPECT_EQ(normal[5 * kWidth + 8], Rgb(RGB(10, 20, 30)));                      // the face
    EXPECT_EQ(normal[0], Rgb(GetSysColor(COLOR_3DHILIGHT)));                      // top-left bevel
    EXPECT_EQ(normal[kWidth * kHeight - 1], Rgb(GetSysColor(COLOR_3DDKSHADOW)));  // bottom-right bevel
    EnableWindow(button, FALSE);
    EXPECT_EQ(WindowPixels(button)[5 * kWidth + 8], Rgb(RGB(100, 110, 120)));
}

TEST(ShapedButtonCreate, ShapeIsMovedToItsBoxAndTheCallerKeepsIt) {
    Parent parent;
    CShapedButton button;
    win::Region shape(CreateRectRgn(3, 5, 3 + 21, 5 + 11));
    ASSERT_TRUE(button.CreateShaped("x", WS_CHILD | WS_VISIBLE, 40, 20, shape, parent.hwnd, kButtonId));
    RECT r;
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, parent.hwnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 21);
    EXPECT_EQ(r.bottom - r.top, 11);
    EXPECT_EQ(button.Centre().x, 10);
    EXPECT_EQ(button.Centre().y, 5);
    win::Region windowShape(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(button, windowShape), ERROR);
    GetRgnBox(windowShape, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    GetRgnBox(shape, &r);  // untouched
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST(SkinBitmaps, EveryBitmapHasItsSizeAndEightBitsUncompressed) {
    struct Expected {
        UINT id;
        int width, height;
    };
    const Expected table[] = {{172, 688, 25}, {173, 6, 501},  {174, 6, 501}, {175, 688, 6}, {168, 80, 56},
                              {136, 32, 56},  {187, 121, 42}, {193, 20, 42}, {192, 20, 42}, {162, 40, 88},
                              {184, 18, 18},  {185, 18, 18},  {189, 18, 18}};
    HMODULE self = GetModuleHandleA(nullptr);
    for (const Expected& e : table) {
        SkinBitmap bitmap;
        ASSERT_TRUE(bitmap.Load(self, e.id)) << e.id;
        EXPECT_EQ(bitmap.Width(), e.width) << e.id;
        EXPECT_EQ(bitmap.Height(), e.height) << e.id;
        HRSRC resource = FindResourceA(self, MAKEINTRESOURCEA(e.id), MAKEINTRESOURCEA(2));
        auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(self, resource)));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biBitCount, 8) << e.id;
        EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB)) << e.id;
    }
}

TEST(SkinBitmaps, EmptyAndMissingHoldNothing) {
    SkinBitmap bitmap;
    bitmap.Release();  // never loaded: nothing to do
    EXPECT_EQ(bitmap.Handle(), nullptr);
    ASSERT_TRUE(bitmap.Load(GetModuleHandleA(nullptr), IDB_INVITE));
    EXPECT_FALSE(bitmap.Load(GetModuleHandleA(nullptr), 4242));
    EXPECT_EQ(bitmap.Handle(), nullptr);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
}

TEST(SkinBitmaps, DrawCopiesTheSourceRectangle) {
    SkinBitmap bitmap;
    ASSERT_TRUE(bitmap.Load(GetModuleHandleA(nullptr), IDB_WEB_BUTTONS));
    // The hover face of Stop (column 2, row 2), drawn at (0,0).
    std::vector<DWORD> drawn = Pixels(
        kWidth, kHeight, [&](HDC dc) { bitmap.Draw(dc, 0, 0, 2 * kWidth, 2 * kHeight, kWidth, kHeight, SRCCOPY); });
    EXPECT_EQ(drawn, StripPixels(IDB_WEB_BUTTONS, 2, 2));
    EXPECT_NE(drawn, StripPixels(IDB_WEB_BUTTONS, 2, 0));
}

}  // namespace
