// What the flat header tests share: a parent window that records the
// header's notifications and answers them as told, a header with columns,
// the mouse as the system delivers it, and pixels painted into memory.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/flatheader/header_popups.h"
#include "controls/flatheader/right_click_header.h"

namespace headertest {

// One notification the parent received: its code, item and button.
struct Notice {
    UINT code;
    int item;
    int button;
};

// "begin 0 1, end 0 0, click 0 0": each notification's code, item and button.
std::string Names(const std::vector<Notice>& notices);

class RecordingParent {
public:
    RecordingParent(const RECT& screenRect, bool visible);
    ~RecordingParent();
    RecordingParent(const RecordingParent&) = delete;
    RecordingParent& operator=(const RecordingParent&) = delete;

    HWND hwnd = nullptr;
    std::vector<Notice> notices;  // drag notifications and clicks, in order
    LRESULT beginDragReply = 0;
    LRESULT endDragReply = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

constexpr int kHeaderWidth = 300;
constexpr int kHeaderHeight = 24;
constexpr int kColumnWidth = 60;
constexpr DWORD kReportStyle = 0xC3;  // CCS_TOP | HDS_BUTTONS | HDS_DRAGDROP | HDS_FULLDRAG

// A header of `columns` columns of kColumnWidth, captioned "Col0", "Col1"...
// at the parent's top left.
std::unique_ptr<HeaderRightClickHeader> MakeHeader(HWND parent, DWORD style, int columns = 4, int width = kHeaderWidth,
                                                   int height = kHeaderHeight);
int InsertColumn(HWND header, int index, int width, int format, const char* text);
std::vector<int> Order(HWND header);
// A top-level window of this process with the class, or null.
HWND FindPopup(const char* className);

// A mouse message as the system sends it: hit-tested first while nothing
// holds the capture.
void Mouse(HWND header, UINT msg, POINT client, UINT keys);

// 0xRRGGBB pixels of a width x height area, row by row.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> data;
    DWORD At(int x, int y) const { return data[static_cast<size_t>(y * width + x)]; }
    // Every pixel of the box has `colour`.
    bool All(const RECT& box, DWORD colour) const;
    // The box as rows of characters, one per pixel, from `legend` ('?' for others).
    std::string Art(const RECT& box, const std::vector<std::pair<char, DWORD>>& legend) const;
};
DWORD Rgb(COLORREF c);
// The header painted into a memory DC through its WM_PAINT with a DC.
Pixels Render(HWND header);
// Pixels drawn by `paint` on an area filled with `background`.
Pixels Draw(int width, int height, DWORD background, const std::function<void(HDC)>& paint);

}  // namespace headertest
