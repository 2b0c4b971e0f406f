#include "uninstaller/uninstall_window.h"

#include <commctrl.h>

#include <vector>

#include "uninstaller/removal.h"
#include "uninstaller/resource.h"
#include "win/file.h"

namespace uninst {

namespace {

const char kClassName[] = "VozareZodidazod";
const char kCaption[] = "message";
constexpr int kWidth = 600;
constexpr int kHeight = 300;
constexpr int kBannerHeight = 90;
constexpr BYTE kKoreanCharset = 129;
const char kDefaultTextColour[] = "255,255,255";
const char kDefaultBackground[] = "18,34,85";

COLORREF ToColorRef(const std::string& text) {
    Rgb c = ParseColour(text);
    return RGB(c.r, c.g, c.b);
}

std::string LoadShortString(HMODULE module, UINT id) {
    char text[40] = {};
    int len = LoadStringA(module, id, text, sizeof(text));
    return std::string(text, len > 0 ? len : 0);
}

// A folder of our own in the user's temporary directory, made new, so that nothing
// planted there beforehand (a link to another file, say) is ever written through.
std::wstring MakePrivateTempFolder() {
    wchar_t temp[MAX_PATH] = {};
    DWORD len = GetTempPathW(MAX_PATH, temp);
    if (len == 0 || len >= MAX_PATH) return std::wstring();
    std::wstring base = temp;
    if (base.back() != L'\\') base += L'\\';
    base += L"temp3-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) + L"-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring folder = base + std::to_wstring(attempt);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return std::wstring();
}

// Writes the "SKIN" resource to "temp3.ini" in a new private folder; "" when there is
// none or it cannot be written. *folder is set when a folder was made, for removal.
std::wstring WriteSkinFile(std::wstring* folder) {
    HRSRC found = FindResourceA(nullptr, "SKIN", "COMPRESS");
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return std::wstring();
    *folder = MakePrivateTempFolder();
    if (folder->empty()) return std::wstring();
    std::wstring path = *folder + L"\\temp3.ini";
    win::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return std::wstring();
    DWORD size = SizeofResource(nullptr, found);
    DWORD written = 0;
    bool ok = WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size;
    return ok ? path : std::wstring();
}

HFONT MakeArial(int height, int weight, BYTE charset) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
}

// How many of the text's characters the selected font has no glyph for; 0 when it cannot tell.
size_t MissingGlyphs(HDC dc, const std::wstring& text) {
    std::vector<WORD> glyphs(text.size() + 1);
    if (GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
        GDI_ERROR)
        return 0;
    size_t missing = 0;
    for (size_t i = 0; i < text.size(); ++i) missing += glyphs[i] == 0xFFFF && text[i] != L'\n' && text[i] != L'\r';
    return missing;
}

void DrawLine(HDC dc, const std::wstring& text, int height, int weight, COLORREF colour, RECT rect) {
    // The face chosen for the Korean character set may lack the text's glyphs (Wine picks a
    // Hangul-only one when no Korean font has Latin letters), and so may the one for the
    // default set under a Far East code page: the first that lacks the fewest draws it.
    win::GdiObject<HFONT> font;
    size_t fewest = static_cast<size_t>(-1);
    for (BYTE charset : {kKoreanCharset, BYTE(DEFAULT_CHARSET), BYTE(ANSI_CHARSET)}) {
        win::GdiObject<HFONT> candidate(MakeArial(height, weight, charset));
        win::SelectScope probe(dc, candidate.Get());
        size_t missing = MissingGlyphs(dc, text);
        if (missing < fewest) {
            fewest = missing;
            font = std::move(candidate);
        }
        if (missing == 0) break;
    }
    win::SelectScope select(dc, font.Get());
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), -1, &rect, DT_WORDBREAK);
}

}  // namespace

UninstallWindow::UninstallWindow(HINSTANCE instance) : instance(instance) {}

UninstallWindow::~UninstallWindow() {
    if (hwnd) DestroyWindow(hwnd);
    // The class holds our brush; it goes before the brush does.
    if (background) UnregisterClassA(kClassName, instance);
}

bool UninstallWindow::Create() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &UninstallWindow::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_UNINSTALLER));
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc)) return false;
    int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    // WS_BORDER with WS_DLGFRAME would make WS_CAPTION; the window has no caption bar.
    DWORD style = WS_POPUP | WS_SYSMENU | WS_DLGFRAME | WS_MINIMIZEBOX;
    return CreateWindowExA(0, kClassName, kClassName, style, x, y, kWidth, kHeight, nullptr, nullptr, instance, this) !=
           nullptr;
}

void UninstallWindow::StartCompletionTimer(bool complete) {
    removalComplete = complete;
    SetTimer(hwnd, kCompletionTimer, 100, nullptr);
}

LRESULT CALLBACK UninstallWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<UninstallWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<UninstallWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);  // e.g. WM_GETMINMAXINFO before the bind
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd = nullptr;
        self->progress = nullptr;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return self->HandleMessage(msg, wParam, lParam);
}

LRESULT UninstallWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void UninstallWindow::OnCreate() {
    std::wstring ini = ProgramDirectory() + L"uninstaller.ini";
    settings = ReadSettings(ini);
    keepListRead = ReadKeepListFile(ini, keep);
    if (keepListRead == KeepListRead::OutOfMemory) {
        MessageBoxA(hwnd, "insufficiency of memory.", "Error", MB_OK);
        return;
    }
    LoadSkin();
    background.Reset(CreateSolidBrush(ToColorRef(backgroundColour)));
    SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(background.Get()));
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    CreateProgressBar();
}

void UninstallWindow::LoadSkin() {
    std::wstring folder;
    std::wstring path = WriteSkinFile(&folder);
    if (path.empty()) {
        textColour = kDefaultTextColour;
        backgroundColour = kDefaultBackground;
    } else if (HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        // As data only: the file lies in a folder others can write to, so none of its code runs.
        banner.Reset(LoadBitmapA(module, MAKEINTRESOURCEA(108)));
        textColour = LoadShortString(module, 2);
        backgroundColour = LoadShortString(module, 1);
        FreeLibrary(module);
    }  // else both colour texts stay empty: 0,0,0
    // Removed through handles that must name our own entries, never what a link leads to.
    if (folder.empty()) return;
    DeleteNamedEntry(folder + L"\\temp3.ini");
    DeleteNamedEntry(folder);
}

void UninstallWindow::CreateProgressBar() {
    progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_BORDER, 25, 180, 540, 20, hwnd, nullptr, instance,
                               nullptr);
    if (!progress) return;
    SetWindowPos(progress, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ShowWindow(progress, SW_SHOW);
}

void UninstallWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    Paint(dc);
    EndPaint(hwnd, &ps);
}

void UninstallWindow::Paint(HDC dc) {
    {
        win::MemoryDC band(dc);
        win::GdiObject<HBITMAP> image(CreateCompatibleBitmap(dc, kWidth, kBannerHeight));
        win::SelectScope selectImage(band.Get(), image.Get());
        PatBlt(band.Get(), 0, 0, kWidth, kBannerHeight, BLACKNESS);
        if (banner) {
            win::MemoryDC source(dc);
            win::SelectScope selectBanner(source.Get(), banner.Get());
            BitBlt(band.Get(), 0, 0, kWidth, kBannerHeight, source.Get(), 0, 0, SRCCOPY);
        }
        BitBlt(dc, 0, 0, kWidth, kBannerHeight, band.Get(), 0, 0, SRCCOPY);
    }
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = GetTextColor(dc);
    DrawLine(dc, Bounded(L"This will remove all " + settings.verName + L" files from your system.", 259), 14, FW_BOLD,
             RGB(255, 255, 255), RECT{25, 117, 580, 137});
    DrawLine(dc, Bounded(L"Directory " + settings.dir, 259), 12, 0, ToColorRef(textColour), RECT{25, 137, 580, 170});
    DrawLine(dc, settings.verInfo, 11, 0, RGB(13, 37, 75), RECT{375, 73, 580, 100});
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

void UninstallWindow::OnClose() {
    if (MessageBoxA(hwnd, "Quit ?", kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) DestroyWindow(hwnd);
}

void UninstallWindow::OnTimer(UINT_PTR id) {
    if (id != kCompletionTimer) return;
    // Stop first: the message box below runs a loop that would deliver the timer again.
    KillTimer(hwnd, kCompletionTimer);
    for (int position = 0; position < 500; position += 5) {
        Sleep(5);
        SendMessageA(progress, PBM_SETPOS, position, 0);
    }
    MessageBoxA(hwnd, removalComplete ? "Uninstall complete." : "Uninstall not complete. Delete directory manually.",
                kCaption, MB_OK);
    DestroyWindow(hwnd);
}

}  // namespace uninst
