// Our framework layer: routing of messages, commands and notifications to
// typed handlers, default handling, subclassing, and the GDI owners.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "win/cursor_clip.h"
#include "win/draw.h"
#include "win/gdi.h"
#include "win/offscreen_dc.h"
#include "win/wnd.h"

namespace {

const char kClass[] = "FrameworkTestWindow";

class Recorder : public win::CWnd {
public:
    std::vector<std::string> log;

    void OnTimer(UINT_PTR id) { log.push_back("timer " + std::to_string(id)); }
    void OnLButtonDown(UINT flags, POINT pt) {
        log.push_back("down " + std::to_string(flags) + " " + std::to_string(pt.x) + "," + std::to_string(pt.y));
    }
    void OnSeven() { log.push_back("command 7"); }
    void OnEditChange() { log.push_back("change 8"); }
    void OnRange(UINT id) { log.push_back("range " + std::to_string(id)); }
    LRESULT OnClick(NMHDR* header) {
        log.push_back("click " + std::to_string(header->idFrom));
        return 55;
    }
    LRESULT OnReportClick(NMHDR* header) {
        log.push_back("report click " + std::to_string(header->idFrom));
        return 0;
    }
    LRESULT OnRaw(WPARAM wp, LPARAM lp) { return static_cast<LRESULT>(wp) * 10 + lp; }
    LRESULT OnGetText(WPARAM, LPARAM) {
        log.push_back("gettext");
        return Default();
    }

protected:
    win::RouteTable Routes() const override {
        using namespace win;
        static const Route routes[] = {
            OnMessage<WM_TIMER, &Recorder::OnTimer>(),
            OnMessage<WM_LBUTTONDOWN, &Recorder::OnLButtonDown>(),
            OnMessage<WM_GETTEXT, &Recorder::OnGetText>(),
            OnRawMessage<WM_PAINT, &Recorder::OnRaw>(),  // raw even where a cracker exists
            OnCommand<7, &Recorder::OnSeven>(),
            OnCommandCode<8, EN_CHANGE, &Recorder::OnEditChange>(),
            OnCommandRange<100, 102, &Recorder::OnRange>(),
            OnNotify<NM_CLICK, 9, &Recorder::OnClick>(),
            OnNotify<-2049, 1018, &Recorder::OnReportClick>(),
        };
        return MakeRouteTable(routes);
    }
};

HWND CreateRecorder(Recorder& recorder) {
    win::CWnd::RegisterClass(kClass, 0, nullptr, nullptr);
    recorder.CreateEx(0, kClass, "title", WS_POPUP, RECT{0, 0, 50, 50}, nullptr, 0);
    return recorder.GetSafeHwnd();
}

TEST(Routes, MessagesCommandsAndNotificationsReachTypedHandlers) {
    Recorder r;
    HWND hwnd = CreateRecorder(r);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(win::CWnd::FromHandle(hwnd), &r);

    SendMessageA(hwnd, WM_TIMER, 3, 0);
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-2, 40));
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), 0);
    // A double click on an owner-drawn button adds BN_DOUBLECLICKED: no second click.
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(7, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(hwnd));
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(100, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(hwnd));
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(8, EN_SETFOCUS), 0);  // other code: not routed
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(8, EN_CHANGE), 0);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(99, 0), 0);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(101, 0), 0);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(103, 0), 0);
    NMHDR click{nullptr, 9, static_cast<UINT>(NM_CLICK)};
    NMHDR otherId{nullptr, 10, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(SendMessageA(hwnd, WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&click)), 55);
    EXPECT_EQ(SendMessageA(hwnd, WM_NOTIFY, 10, reinterpret_cast<LPARAM>(&otherId)), 0);
    // A control's own negative code fills the whole 32-bit field; its 16-bit form is another code.
    NMHDR reportClick{nullptr, 1018, static_cast<UINT>(-2049)};
    NMHDR cutCode{nullptr, 1018, 0xF7FF};
    SendMessageA(hwnd, WM_NOTIFY, 1018, reinterpret_cast<LPARAM>(&reportClick));
    SendMessageA(hwnd, WM_NOTIFY, 1018, reinterpret_cast<LPARAM>(&cutCode));
    EXPECT_EQ(SendMessageA(hwnd, WM_PAINT, 4, 2), 42);

    EXPECT_EQ(r.log, (std::vector<std::string>{"timer 3", "down 1 -2,40", "command 7", "change 8", "range 101",
                                               "click 9", "report click 1018"}));
    DestroyWindow(hwnd);
    EXPECT_EQ(r.GetSafeHwnd(), nullptr);  // unbound at WM_NCDESTROY
}

TEST(Routes, DefaultRunsTheProcedureBeneath) {
    Recorder r;
    HWND hwnd = CreateRecorder(r);
    char text[16] = "";
    EXPECT_EQ(GetWindowTextA(hwnd, text, sizeof text), 5);
    EXPECT_STREQ(text, "title");
    EXPECT_EQ(r.log, std::vector<std::string>{"gettext"});
    DestroyWindow(hwnd);
}

TEST(Routes, SubclassedControlKeepsItsOwnBehaviour) {
    HWND edit = CreateWindowExA(0, "EDIT", "abc", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    {
        Recorder r;
        ASSERT_TRUE(r.SubclassWindow(edit));
        EXPECT_EQ(r.GetWindowText(), "abc");  // the edit's own WM_GETTEXT, through Default()
        SendMessageA(edit, WM_TIMER, 4, 0);
        EXPECT_EQ(r.log, (std::vector<std::string>{"gettext", "timer 4"}));
    }
    // The object is gone: the control runs on its own again.
    EXPECT_EQ(win::CWnd::FromHandle(edit), nullptr);
    char text[8] = "";
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "abc");
    DestroyWindow(edit);
}

TEST(Routes, SubclassingAWindowOfOurOwnClassDoesNotLoop) {
    win::CWnd::RegisterClass(kClass, 0, nullptr, nullptr);
    // Made by someone else, as a dialog makes its controls: not bound yet.
    HWND hwnd = CreateWindowExA(0, kClass, "own", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(win::CWnd::FromHandle(hwnd), nullptr);
    {
        Recorder r;
        ASSERT_TRUE(r.SubclassWindow(hwnd));
        EXPECT_EQ(r.GetWindowText(), "own");  // Default() reaches the system's procedure, not ours again
        EXPECT_EQ(r.log, std::vector<std::string>{"gettext"});
    }
    EXPECT_EQ(win::CWnd::FromHandle(hwnd), nullptr);
    DestroyWindow(hwnd);
}

TEST(Gdi, ScopesRestoreTheOriginalObjects) {
    win::MemoryDC dc;
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    {
        win::Pen redPen(CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
        win::Brush blueBrush(CreateSolidBrush(RGB(0, 0, 255)));
        win::Font smallFont(CreateFontA(8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
        win::Bitmap surface(CreateBitmap(4, 4, 1, 32, nullptr));
        win::SelectScope selectPen(dc, redPen);
        win::SelectScope selectBrush(dc, blueBrush);
        win::SelectScope selectFont(dc, smallFont);
        win::SelectScope selectBitmap(dc, surface);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), redPen.Get());
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), surface.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap);
}

TEST(Gdi, OwnersMoveAndDeleteExactlyOnce) {
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    {
        win::Brush first(raw);
        win::Brush second(std::move(first));
        EXPECT_EQ(first.Get(), nullptr);
        EXPECT_EQ(second.Get(), raw);
        win::Brush third;
        third = std::move(second);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);  // deleted by the last owner
}

// A 32-bit DIB filled with one colour, selected into a memory DC.
struct DibTarget {
    DibTarget(int width, int height, COLORREF fill)
        : dib(CreateBitmap(width, height, 1, 32, nullptr)), select(dc, dib) {
        win::FillSolidRect(dc, RECT{0, 0, width, height}, fill);
    }
    DWORD At(int x, int y) const { return GetPixel(dc, x, y); }
    win::MemoryDC dc;
    win::Bitmap dib;
    win::SelectScope select;
};

TEST(Gdi, OffscreenSurfaceCopiesItsClipBoxBackWhenItEnds) {
    const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0), green = RGB(0, 255, 0);
    DibTarget target(20, 10, blue);
    HGDIOBJ targetBitmap = GetCurrentObject(target.dc, OBJ_BITMAP);
    IntersectClipRect(target.dc, 5, 2, 15, 8);
    {
        win::COffscreenDC surface(target.dc);
        ASSERT_FALSE(surface.IsDirect());
        EXPECT_NE(surface.Get(), target.dc.Get());
        const RECT area{5, 2, 15, 8};
        EXPECT_TRUE(EqualRect(&surface.Area(), &area));
        // Drawn in the target's coordinates, not yet on the target.
        win::FillSolidRect(surface, RECT{0, 0, 20, 10}, red);
        SetPixel(surface, 5, 2, green);
        SetPixel(surface, 14, 7, green);
        EXPECT_EQ(target.At(10, 5), blue);
    }
    struct Dot {
        int x, y;
        COLORREF colour;
    };
    const Dot dots[] = {{5, 2, green}, {14, 7, green}, {10, 5, red},  {6, 2, red},  {4, 2, blue},
                        {15, 7, blue}, {10, 1, blue},  {10, 8, blue}, {0, 0, blue}, {19, 9, blue}};
    for (const Dot& d : dots) EXPECT_EQ(target.At(d.x, d.y), d.colour) << d.x << "," << d.y;
    EXPECT_EQ(GetCurrentObject(target.dc, OBJ_BITMAP), targetBitmap);
}

// A window's kept surface: reused from paint to paint, each time drawing only
// the new clip box and starting from the state it had before the last paint.
TEST(Gdi, KeptOffscreenSurfaceDrawsEachClipBoxAfresh) {
    const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0);
    win::OffscreenCache cache;
    DibTarget first(20, 10, blue), second(20, 10, blue);
    IntersectClipRect(first.dc, 0, 0, 20, 10);
    IntersectClipRect(second.dc, 12, 3, 16, 9);
    HDC kept = nullptr;
    for (DibTarget* target : {&first, &second}) {
        RECT clip;
        GetClipBox(target->dc, &clip);
        win::COffscreenDC surface(target->dc, &cache);
        ASSERT_FALSE(surface.IsDirect());
        if (kept) {
            EXPECT_EQ(surface.Get(), kept) << "made once";
        }
        kept = surface.Get();
        RECT box;
        GetClipBox(surface, &box);
        EXPECT_TRUE(EqualRect(&box, &clip)) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
        EXPECT_EQ(GetTextColor(surface), RGB(0, 0, 0)) << "nothing left of the last paint";
        SetTextColor(surface, red);
        win::FillSolidRect(surface, RECT{0, 0, 20, 10}, red);
    }
    EXPECT_EQ(first.At(0, 0), red);
    EXPECT_EQ(first.At(19, 9), red);
    for (const POINT p : {POINT{12, 3}, POINT{15, 8}}) EXPECT_EQ(second.At(p.x, p.y), red);
    for (const POINT p : {POINT{11, 3}, POINT{16, 8}, POINT{12, 2}, POINT{0, 0}}) EXPECT_EQ(second.At(p.x, p.y), blue);
}

TEST(Gdi, OffscreenSurfaceDrawsDirectlyOnRecordingsAndEmptyClips) {
    HDC recording = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(recording, nullptr);
    {
        win::COffscreenDC surface(recording);
        EXPECT_TRUE(surface.IsDirect());
        EXPECT_EQ(surface.Get(), recording);
    }
    DeleteEnhMetaFile(CloseEnhMetaFile(recording));

    DibTarget target(8, 8, RGB(0, 0, 255));
    IntersectClipRect(target.dc, 0, 0, 0, 0);
    win::COffscreenDC surface(target.dc);
    EXPECT_TRUE(surface.IsDirect());
    EXPECT_EQ(surface.Get(), target.dc.Get());
}

bool ClipIs(const RECT& expected) {
    RECT clip;
    return GetClipCursor(&clip) && EqualRect(&clip, &expected);
}

TEST(CursorClip, PutsBackTheClipThatWasInForce) {
    RECT free;
    ASSERT_TRUE(GetClipCursor(&free));
    const RECT outer{0, 0, 400, 300}, inner{10, 10, 100, 100}, tighter{20, 20, 50, 50};
    {
        win::CursorClip clip;
        clip.Confine(inner);
        EXPECT_TRUE(clip.Active());
        EXPECT_TRUE(ClipIs(inner));
        clip.Confine(tighter);
        EXPECT_TRUE(ClipIs(tighter));
        clip.Release();
        EXPECT_FALSE(clip.Active());
        EXPECT_TRUE(ClipIs(free));
        clip.Release();  // nothing left to release
        EXPECT_TRUE(ClipIs(free));
    }
    // A clip set by someone else comes back, also when the scope just ends.
    ClipCursor(&outer);
    {
        win::CursorClip clip;
        clip.Confine(inner);
        EXPECT_TRUE(ClipIs(inner));
    }
    EXPECT_TRUE(ClipIs(outer));
    ClipCursor(nullptr);
    EXPECT_TRUE(ClipIs(free));
}

}  // namespace
