#include "controls/report/report_item_edit.h"

#include <string>

#include "controls/report/report_records.h"

CReportItemEdit::CReportItemEdit(int item, int subItem, bool withButton)
    : item(item), subItem(subItem), withButton(withButton) {}

bool CReportItemEdit::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    HWND window =
        CreateWindowExA(0, "EDIT", "", style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                        parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!window) return false;
    SubclassWindow(window);
    return true;
}

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

void CReportItemEdit::StartEdit(UINT key) {
    const int length = GetWindowTextLengthA(hwnd);
    if (key == 1 || key == VK_RETURN || key == VK_BACK) {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(length), -1);
    } else {
        SendMessage(EM_SETSEL, 0, -1);
    }
    SendMessage(EM_SCROLLCARET);
    const bool ownAction = key == 1 || key == VK_RETURN || key == VK_TAB || (key >= VK_SPACE && key <= VK_DOWN);
    if (!ownAction) SendMessage(WM_CHAR, key, 0);
}

LRESULT CReportItemEdit::OnKeyDown(WPARAM wp, LPARAM) {
    if (wp != VK_TAB && wp != VK_RETURN && wp != VK_ESCAPE) return Default();
    endKey = static_cast<UINT>(wp);
    ::SetFocus(GetParent(hwnd));
    return 0;
}

LRESULT CReportItemEdit::OnChar(WPARAM wp, LPARAM) {
    // The keys that end the edit would only beep in a single-line edit.
    if (wp == VK_TAB || wp == VK_RETURN || wp == VK_ESCAPE) return 0;
    return Default();
}

LRESULT CReportItemEdit::OnKillFocus(WPARAM, LPARAM) {
    const LRESULT result = Default();
    ReportEnd();
    return result;
}

void CReportItemEdit::ReportEnd() {
    if (ended) return;
    ended = true;
    std::string text = GetWindowText();
    report::ReportEditNotify end{};
    end.header = {hwnd, static_cast<uintptr_t>(GetDlgCtrlID(hwnd)), report::NotifyEndEdit};
    end.item = item;
    end.subItem = subItem;
    end.withButton = withButton;
    end.editor = hwnd;
    end.key = endKey;
    end.text = text.data();
    HWND self = hwnd;
    ::SendMessageA(GetParent(hwnd), WM_NOTIFY, end.header.id, reinterpret_cast<LPARAM>(&end));
    PostMessageA(self, WM_CLOSE, 0, 0);
}
