// What the report control's window tests share: a parent that records the
// control's notifications as lines and answers as the test says, a control
// of the lobby list's size with rows, the mouse and keys as the system
// delivers them, and the client area painted into memory.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "controls/report/report_ctrl.h"
#include "tests/controls/flatheader/header_fixture.h"

namespace reportwin {

using namespace report;
using headertest::Pixels;
using headertest::Rgb;

constexpr UINT kId = 1018;
constexpr RECT kLobby{0, 0, 168, 220};

// One notification as a line: "-2051 item 3 state 3", "-2049 item 1 sub 0 keys 4",
// "-2059 key 40 item 0", "-2053 sub 1", "-2058 item 0 sub 0 key 13 'text'".
std::string Describe(const NMHDR& header);

// One for the whole run: under Wine without a window manager, hiding or
// destroying a top-level window waits two seconds for the X server.
class RecordingParent {
public:
    static RecordingParent& Shared();
    RecordingParent();
    ~RecordingParent();
    RecordingParent(const RecordingParent&) = delete;
    RecordingParent& operator=(const RecordingParent&) = delete;

    std::vector<std::string> Take() {
        codes.clear();
        return std::exchange(lines, {});
    }
    // Lines of these codes only (the others are dropped).
    std::vector<std::string> Take(const std::vector<uint32_t>& codes);

    HWND hwnd = nullptr;
    HFONT font = nullptr;
    std::vector<std::string> lines;
    std::vector<uint32_t> codes;
    // The parent's answer to a notification; it may change the record.
    std::function<LRESULT(NMHDR&)> answer;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
};

// A control that tells which cells its tip was asked for.
class TestCtrl : public CReportCtrl {
public:
    std::vector<std::string> tips;  // "item 1 sub 0 'text'"

protected:
    void PreShowTip(ReportItem& item) override;
};

class ReportWindowTest : public ::testing::Test {
protected:
    RecordingParent& parent = RecordingParent::Shared();
    TestCtrl report;

    ReportWindowTest();
    ~ReportWindowTest() override;
    // A fresh control in place of the old one, for the next case of a table.
    void Reset();
    // The control with `columns` columns of `width` ("Name", "Col1"...) and
    // rows "row0", "row1"... (list), or groups "g0".. of two users each (tree).
    void Make(DWORD style, int rows, int columns = 1, int width = 150, const RECT& place = kLobby);
    NodeHandle AddTree(const char* text, NodeHandle parentNode = RootNode);
    void SetText(int item, int subItem, const char* text);
    void SetState(int item, uint32_t state);
    void SetCheck(int item, int subItem, int check);
    // The middle of a cell's text part, or of the cell when it has no text room.
    POINT CellPoint(int item, int subItem);
    RECT RowRect(int row);
    void Click(POINT point, UINT keys = 0, UINT message = WM_LBUTTONDOWN);
    // A key as the keyboard delivers it, with Shift and Ctrl held as given.
    void Key(UINT key, bool shift = false, bool ctrl = false);
    void Char(UINT character);
    // Posted WM_VSCROLL requests waiting for the control, as their codes.
    std::vector<int> TakePostedScrolls();
    void Pump();
    Pixels Render();
    std::string Selection();
};

}  // namespace reportwin
