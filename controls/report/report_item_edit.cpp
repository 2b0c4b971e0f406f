#include "controls/report/report_item_edit.h"

#include <string>

#include "controls/report/report_model.h"

using namespace report;

namespace {

constexpr int kButtonRoom = 10;  // the edit keeps more than this beside the square
constexpr int kTextBuffer = 256;

bool EndsEdit(WPARAM key) { return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE; }

}  // namespace

CReportItemEdit::CReportItemEdit(int item, int subItem, BOOL withButton)
    : item(item), subItem(subItem), withButton(withButton) {}

win::RouteTable CReportItemEdit::Routes() const {
    using namespace win;
    using E = CReportItemEdit;
    static const Route routes[] = {
        OnRawMessage<WM_KEYDOWN, &E::OnKeyDown>(),
        OnRawMessage<WM_CHAR, &E::OnChar>(),
        OnRawMessage<WM_KILLFOCUS, &E::OnKillFocus>(),
        OnRawMessage<WM_GETDLGCODE, &E::OnGetDlgCode>(),
    };
    return MakeRouteTable(routes);
}

void CReportItemEdit::PreCreateWindow(CREATESTRUCTA& cs) {
    if (withButton && cs.cx > cs.cy + kButtonRoom)
        cs.cx -= cs.cy;
    else
        withButton = FALSE;
}

BOOL CReportItemEdit::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (hwnd) return FALSE;
    CREATESTRUCTA cs{};
    cs.style = static_cast<LONG>(style);
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = parent;
    PreCreateWindow(cs);
    HWND window =
        CreateWindowExA(0, "EDIT", "", static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy, parent,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!window) return FALSE;
    SubclassWindow(window);
    if (withButton && !CreateButton(cs)) {
        DestroyWindow(window);
        return FALSE;
    }
    ownedByWindow = true;
    return TRUE;
}

bool CReportItemEdit::CreateButton(const CREATESTRUCTA& cs) {
    button.Reset(CreateWindowExA(0, "BUTTON", kButtonText, WS_CHILD | WS_VISIBLE, cs.x + cs.cx, cs.y, cs.cy, cs.cy,
                                 cs.hwndParent, nullptr, GetModuleHandleA(nullptr), nullptr));
    if (!button) return false;
    const WPARAM font = static_cast<WPARAM>(::SendMessageA(cs.hwndParent, WM_GETFONT, 0, 0));
    ::SendMessageA(button, WM_SETFONT, font, TRUE);
    return true;
}

void CReportItemEdit::OnFinalMessage() {
    if (ownedByWindow) delete this;
}

void CReportItemEdit::StartEdit(UINT key) {
    if (!hwnd) return;
    const bool keep = key == 1 || key == VK_RETURN || key == VK_BACK;
    const LPARAM length = GetWindowTextLengthA(hwnd);
    SendMessage(EM_SETSEL, keep ? static_cast<WPARAM>(length) : 0, -1);
    SendMessage(EM_SCROLLCARET);
    // Tab and Space open the text for a choice; a typed character, even one
    // that shares its number with a page or arrow key, replaces it.
    const bool select = key == VK_TAB || key == VK_SPACE;
    if (key == VK_BACK || (!keep && !select)) SendMessage(WM_CHAR, key);
}

void CReportItemEdit::Follow(int newItem, const RECT& rect) {
    item = newItem;
    const int height = rect.bottom - rect.top;
    const int width = rect.right - rect.left - (button ? height : 0);
    constexpr UINT kMove = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, width, height, kMove);
    if (button) SetWindowPos(button, nullptr, rect.left + width, rect.top, height, height, kMove);
}

bool CReportItemEdit::PreTranslateMessage(MSG& msg) {
    if (!hwnd || msg.hwnd != hwnd) return false;
    if (msg.message == WM_KEYDOWN && EndsEdit(msg.wParam)) {
        EndByKey(static_cast<UINT>(msg.wParam));
        return true;
    }
    return msg.message == WM_SYSCHAR;
}

void CReportItemEdit::EndByKey(UINT key) {
    endKey = key;
    // Losing the focus ends the edit; the object may be gone after this.
    ::SetFocus(GetParent(hwnd));
}

// A message loop that does not pre-translate (a system dialog's, a menu's)
// still delivers the keys here, since the editor asks for all of them.
LRESULT CReportItemEdit::OnKeyDown(WPARAM wp, LPARAM) {
    if (!EndsEdit(wp)) return Default();
    EndByKey(static_cast<UINT>(wp));
    return 0;
}

LRESULT CReportItemEdit::OnChar(WPARAM wp, LPARAM) {
    // The keys that end the edit would only beep in a one-line edit.
    return EndsEdit(wp) ? 0 : Default();
}

LRESULT CReportItemEdit::OnKillFocus(WPARAM wp, LPARAM) {
    Default();
    if (withButton && button && reinterpret_cast<HWND>(wp) == button.Get())
        AskForText();
    else
        EndEdit();
    return 0;
}

void CReportItemEdit::AskForText() {
    const HWND control = GetParent(hwnd);
    if (auto* report = dynamic_cast<ReportModel*>(CWnd::FromHandle(control))) {
        char buffer[kTextBuffer] = "";
        ::GetWindowTextA(hwnd, buffer, kTextBuffer);
        ReportEditNotify record{};
        record.header = {control, static_cast<uintptr_t>(GetDlgCtrlID(control)), NotifyEditButton};
        record.item = item;
        record.subItem = subItem;
        record.withButton = withButton;
        record.editor = hwnd;
        record.text = buffer;
        if (report->Notify(&record.header) == 1) {
            buffer[kTextBuffer - 1] = '\0';  // whatever the parent wrote
            ::SetWindowTextA(hwnd, buffer);
        }
    }
    // The edit goes on.
    ::SetFocus(hwnd);
}

void CReportItemEdit::EndEdit() {
    if (ended) return;
    ended = TRUE;
    const HWND self = hwnd;
    const HWND control = GetParent(self);
    std::string finalText = GetWindowText();
    ReportEditNotify record{};
    record.header = {self, static_cast<uintptr_t>(GetDlgCtrlID(self)), NotifyEndEdit};
    record.item = item;
    record.subItem = subItem;
    record.withButton = withButton;
    record.editor = self;
    record.key = endKey;
    record.text = finalText.data();
    if (control) ::SendMessageA(control, WM_NOTIFY, record.header.id, reinterpret_cast<LPARAM>(&record));
    // Closed only after the control has read the record. The control may have
    // destroyed the editor meanwhile: from here on only the handle is used.
    PostMessageA(self, WM_CLOSE, 0, 0);
}
