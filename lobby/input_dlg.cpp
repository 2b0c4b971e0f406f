#include "lobby/input_dlg.h"

#include "lobby/resource.h"

namespace {
std::string ControlText(HWND control) {
    int length = GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(control, text.data(), length + 1)));
    return text;
}
}  // namespace

CInputDlg::CInputDlg(HWND parent) : CDialog(IDD_INPUT, parent) {}

BOOL CInputDlg::OnInitDialog() {
    SetDlgItemTextA(hwnd, IDC_INPUT_TEXT, text.c_str());
    SetDlgItemTextA(hwnd, IDC_INPUT_PROMPT, prompt.c_str());
    SendDlgItemMessageA(hwnd, IDC_INPUT_TEXT, EM_LIMITTEXT, kMaxTextLength, 0);
    return TRUE;
}

void CInputDlg::OnOK() {
    HWND edit = GetDlgItem(IDC_INPUT_TEXT);
    std::string entered = ControlText(edit);
    // The limit stops typing, not a longer initial text: ask again.
    if (entered.size() > kMaxTextLength) {
        // Owned by this dialog: a box owned by the disabled browser would enable it again.
        MessageBoxA(hwnd, "Please enter no more than 21 characters.", "Input", MB_OK | MB_ICONEXCLAMATION);
        SetFocus(edit);
        ::SendMessageA(edit, EM_SETSEL, 0, -1);
        return;
    }
    text = entered;
    prompt = ControlText(GetDlgItem(IDC_INPUT_PROMPT));
    EndDialog(IDOK);
}
