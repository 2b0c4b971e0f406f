#include "tests/controls/flatheader/header_fixture.h"

#include <algorithm>

#include "win/gdi.h"

namespace headertest {

std::string Names(const std::vector<Notice>& notices) {
    std::string names;
    for (const Notice& n : notices) {
        const char* code = n.code == HDN_BEGINDRAG ? "begin" : n.code == HDN_ENDDRAG ? "end" : "click";
        names += (names.empty() ? "" : ", ") + std::string(code) + " " + std::to_string(n.item) + " " +
                 std::to_string(n.button);
    }
    return names;
}

RecordingParent::RecordingParent(const RECT& r, bool visible) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "FlatHeaderTestParent";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, wc.lpszClassName, "Header test", WS_POPUP | (visible ? WS_VISIBLE : 0), r.left, r.top,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

RecordingParent::~RecordingParent() { DestroyWindow(hwnd); }

LRESULT CALLBACK RecordingParent::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<RecordingParent*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NOTIFY && self) {
        const auto* notice = reinterpret_cast<const NMHEADERA*>(lp);
        const UINT code = notice->hdr.code;
        if (code == HDN_BEGINDRAG || code == HDN_ENDDRAG || code == HDN_ITEMCLICKA || code == HDN_ITEMCLICKW)
            self->notices.push_back({code, notice->iItem, notice->iButton});
        if (code == HDN_BEGINDRAG) return self->beginDragReply;
        if (code == HDN_ENDDRAG) return self->endDragReply;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int InsertColumn(HWND header, int index, int width, int format, const char* text) {
    HDITEMA item{};
    item.mask = HDI_WIDTH | HDI_FORMAT | HDI_TEXT;
    item.cxy = width;
    item.fmt = format;
    item.pszText = const_cast<char*>(text);
    return static_cast<int>(
        SendMessageA(header, HDM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

std::unique_ptr<HeaderRightClickHeader> MakeHeader(HWND parent, DWORD style, int columns, int width, int height) {
    auto header = std::make_unique<HeaderRightClickHeader>();
    if (!header->Create(style | WS_VISIBLE, RECT{0, 0, width, height}, parent, 0)) return nullptr;
    for (int i = 0; i < columns; i++) {
        std::string text = "Col" + std::to_string(i);
        InsertColumn(*header, i, kColumnWidth, HDF_LEFT | HDF_STRING, text.c_str());
    }
    return header;
}

std::vector<int> Order(HWND header) {
    int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<int> order(static_cast<size_t>(count));
    SendMessageA(header, HDM_GETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data()));
    return order;
}

HWND FindPopup(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    DWORD process = 0;
    if (window) GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() ? window : nullptr;
}

void Mouse(HWND header, UINT msg, POINT client, UINT keys) {
    if (!GetCapture()) {
        POINT screen = client;
        ClientToScreen(header, &screen);
        SendMessageA(header, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    }
    SendMessageA(header, msg, keys, MAKELPARAM(client.x, client.y));
}

DWORD Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

bool Pixels::All(const RECT& box, DWORD colour) const {
    for (int y = box.top; y < box.bottom; y++)
        for (int x = box.left; x < box.right; x++)
            if (At(x, y) != colour) return false;
    return true;
}

std::string Pixels::Art(const RECT& box, const std::vector<std::pair<char, DWORD>>& legend) const {
    std::string art;
    for (int y = box.top; y < box.bottom; y++) {
        for (int x = box.left; x < box.right; x++) {
            char c = '?';
            for (const auto& entry : legend)
                if (entry.second == At(x, y)) c = entry.first;
            art += c;
        }
        art += '\n';
    }
    return art;
}

Pixels Draw(int width, int height, DWORD background, const std::function<void(HDC)>& paint) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    win::Bitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* p = static_cast<DWORD*>(bits);
    std::fill(p, p + width * height, background);
    win::MemoryDC dc;
    {
        win::SelectScope select(dc, dib);
        paint(dc);
        GdiFlush();
    }
    Pixels pixels{width, height, std::vector<DWORD>(p, p + width * height)};
    for (DWORD& px : pixels.data) px &= 0xFFFFFF;
    return pixels;
}

Pixels Render(HWND header) {
    RECT client;
    GetClientRect(header, &client);
    return Draw(client.right, client.bottom, 0xFF00FF,
                [&](HDC dc) { SendMessageA(header, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0); });
}

}  // namespace headertest
