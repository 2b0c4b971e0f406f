#include "tests/controls/report/window_fixture.h"

#include <algorithm>
#include <sstream>

namespace reportwin {

std::string Describe(const NMHDR& header) {
    std::ostringstream out;
    out << static_cast<int32_t>(header.code);
    const auto& n = reinterpret_cast<const ReportNotify&>(header);
    switch (header.code) {
    case NotifyStateChanging:
    case NotifyStateChanged:
        out << " item " << n.item << " state " << n.state;
        break;
    case NotifyClick:
    case NotifyDoubleClick:
    case NotifyRightClick:
        out << " item " << n.item << " sub " << n.subItem << " keys " << n.keys;
        break;
    case NotifyKeyDown:
        out << " key " << n.keys << " item " << n.item;
        break;
    case NotifyColumnClick:
    case NotifyDividerDoubleClick:
    case NotifyColumnRightClick:
        out << " sub " << reinterpret_cast<const ReportColumnNotify&>(header).subItem;
        break;
    case NotifyBeginEdit:
    case NotifyEndEdit:
    case NotifyEditButton: {
        const auto& e = reinterpret_cast<const ReportEditNotify&>(header);
        out << " item " << e.item << " sub " << e.subItem << " key " << e.key << " '" << (e.text ? e.text : "(none)")
            << "'";
        break;
    }
    default:
        out << " item " << n.item << " sub " << n.subItem;
        break;
    }
    return out.str();
}

RecordingParent& RecordingParent::Shared() {
    static RecordingParent* shared = new RecordingParent;  // lives until the process ends
    return *shared;
}

RecordingParent::RecordingParent() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "ReportScreenParent";
    RegisterClassExA(&wc);
    font = CreateFontA(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    hwnd = CreateWindowExA(0, "ReportScreenParent", "parent", WS_POPUP | WS_VISIBLE, 20, 20, 400, 300, nullptr, nullptr,
                           GetModuleHandleA(nullptr), this);
    SetForegroundWindow(hwnd);
}

RecordingParent::~RecordingParent() {
    DestroyWindow(hwnd);
    DeleteObject(font);
}

std::vector<std::string> RecordingParent::Take(const std::vector<uint32_t>& wanted) {
    std::vector<std::string> kept;
    for (size_t i = 0; i < lines.size(); ++i)
        if (std::find(wanted.begin(), wanted.end(), codes[i]) != wanted.end()) kept.push_back(lines[i]);
    lines.clear();
    codes.clear();
    return kept;
}

LRESULT CALLBACK RecordingParent::Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<RecordingParent*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && msg == WM_GETFONT) return reinterpret_cast<LRESULT>(self->font);
    if (self && msg == WM_NOTIFY) {
        NMHDR& header = *reinterpret_cast<NMHDR*>(lp);
        EXPECT_EQ(wp, header.idFrom);
        self->lines.push_back(Describe(header));
        self->codes.push_back(header.code);
        return self->answer ? self->answer(header) : 0;
    }
    return DefWindowProcA(window, msg, wp, lp);
}

void TestCtrl::PreShowTip(ReportItem& item) {
    tips.push_back("item " + std::to_string(item.item) + " sub " + std::to_string(item.subItem) + " '" +
                   (item.text ? item.text : "") + "'");
}

ReportWindowTest::ReportWindowTest() {
    parent.answer = nullptr;
    parent.Take();
    SetForegroundWindow(parent.hwnd);
    SetFocus(parent.hwnd);
}

ReportWindowTest::~ReportWindowTest() {
    parent.answer = nullptr;
    BYTE keys[256] = {};
    SetKeyboardState(keys);
}

void ReportWindowTest::Reset() {
    report.~TestCtrl();
    new (&report) TestCtrl();
    parent.Take();
}

void ReportWindowTest::Make(DWORD style, int rows, int columns, int width, const RECT& place) {
    ASSERT_TRUE(report.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | style, place, parent.hwnd, kId));
    for (int c = 0; c < columns; ++c) {
        report.DefineSubItem({0, width, 0, 0, 0, c ? "Col" + std::to_string(c) : "Name"});
        ASSERT_TRUE(report.ShowColumn(c));
    }
    for (int i = 0; i < rows; ++i) {
        const std::string text = "row" + std::to_string(i);
        if (style & Tree) {
            const std::string group = "g" + std::to_string(i);
            NodeHandle g = AddTree(group.c_str());
            AddTree((group + "a").c_str(), g);
            AddTree((group + "b").c_str(), g);
            continue;
        }
        ReportItem item{};
        item.mask = MaskText;
        item.item = i;
        item.text = const_cast<char*>(text.c_str());
        ASSERT_EQ(report.InsertListItem(item), i);
        for (int c = 1; c < columns; ++c) SetText(i, c, (text + "c" + std::to_string(c)).c_str());
    }
    Pump();
    parent.Take();
}

NodeHandle ReportWindowTest::AddTree(const char* text, NodeHandle parentNode) {
    return report.InsertItem(text, -1, -1, -1, parentNode, LastChild, -1);
}

void ReportWindowTest::SetText(int item, int subItem, const char* text) {
    ASSERT_TRUE(report.SetItemText(item, subItem, text));
}

void ReportWindowTest::SetState(int item, uint32_t state) {
    ReportItem change{};
    change.mask = MaskState;
    change.item = item;
    change.subItem = -1;
    change.state = state;
    ASSERT_TRUE(report.SetItem(change));
}

void ReportWindowTest::SetCheck(int item, int subItem, int check) {
    ReportItem change{};
    change.mask = MaskCheck;
    change.item = item;
    change.subItem = subItem;
    change.check = check;
    ASSERT_TRUE(report.SetItem(change));
}

POINT ReportWindowTest::CellPoint(int item, int subItem) {
    RECT rect{};
    if (!report.GetItemRect(item, subItem, rect, PartText)) report.GetItemRect(item, subItem, rect, PartCell);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

RECT ReportWindowTest::RowRect(int row) {
    RECT rect{};
    report.GetRowRect(row, -1, rect);
    return rect;
}

void ReportWindowTest::Click(POINT point, UINT keys, UINT message) {
    SendMessageA(report, message, keys, MAKELPARAM(point.x, point.y));
}

void ReportWindowTest::Key(UINT key, bool shift, bool ctrl) {
    BYTE keys[256] = {};
    if (shift) keys[VK_SHIFT] = 0x80;
    if (ctrl) keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(GetFocus() ? GetFocus() : report.GetSafeHwnd(), WM_KEYDOWN, key, 1);
    SetKeyboardState(std::array<BYTE, 256>{}.data());
}

void ReportWindowTest::Char(UINT character) { SendMessageA(GetFocus(), WM_CHAR, character, 1); }

std::vector<int> ReportWindowTest::TakePostedScrolls() {
    std::vector<int> codes;
    MSG msg;
    while (PeekMessageA(&msg, report, WM_VSCROLL, WM_VSCROLL, PM_REMOVE)) codes.push_back(LOWORD(msg.wParam));
    return codes;
}

void ReportWindowTest::Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // As our message loops do: the editor and the tip see their messages first.
        if (win::CWnd::WalkPreTranslateTree(nullptr, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

Pixels ReportWindowTest::Render() {
    RECT client;
    GetClientRect(report, &client);
    return headertest::Draw(client.right, client.bottom, 0xFF00FF, [&](HDC dc) {
        SendMessageA(report, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

std::string ReportWindowTest::Selection() {
    std::vector<int> items = report.GetSelection();
    std::sort(items.begin(), items.end());
    std::string out;
    for (int item : items) out += (out.empty() ? "" : " ") + std::to_string(item);
    return out;
}

}  // namespace reportwin
