#include "win/dialog.h"

namespace win {

INT_PTR CALLBACK CDialog::StaticDlgProc(HWND window, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG) return FALSE;  // everything else reaches WindowProc
    auto* self = reinterpret_cast<CDialog*>(lp);
    self->Bind(window);
    self->superProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
    return self->OnInitDialog();
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT handled = 0;
    if (Dispatch(msg, wp, lp, handled)) return handled;
    // Buttons, Enter, Escape and the close box all come as BN_CLICKED.
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        if (LOWORD(wp) == IDOK) {
            OnOK();
            return 0;
        }
        if (LOWORD(wp) == IDCANCEL) {
            OnCancel();
            return 0;
        }
    }
    return DefWindowProc(msg, wp, lp);
}

bool CDialog::PreTranslateMessage(MSG& msg) { return IsDialogMessageA(hwnd, &msg) != FALSE; }

INT_PTR CDialog::DoModal() {
    endRequested = false;
    result = -1;
    HWND created = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent, StaticDlgProc,
                                      reinterpret_cast<LPARAM>(this));
    if (!created) return -1;
    bool ownerDisabled = parent && IsWindowEnabled(parent) && !EnableWindow(parent, FALSE);
    if (!endRequested) {
        ShowWindow(created, SW_SHOWNORMAL);
        RunModalLoop();
    }
    if (ownerDisabled) EnableWindow(parent, TRUE);
    if (IsWindow(created)) DestroyWindow(created);
    return result;
}

// The end request is checked after every message, sent ones included: a box
// opened by a handler runs a loop of its own, which swallows the wake-up
// that EndDialog posts, and a sent message is handled inside PeekMessage
// without returning one.
void CDialog::RunModalLoop() {
    running = true;
    MSG msg;
    while (!endRequested) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!endRequested) MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
            break;
        }
        // The dialog's children first (an in-place editor takes its own Enter
        // and Escape), then the dialog itself for every message, as before.
        if (WalkPreTranslateTree(hwnd, msg) || PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    running = false;
}

void CDialog::EndDialog(INT_PTR value) {
    result = value;
    endRequested = true;
    if (hwnd) PostMessageA(hwnd, WM_NULL, 0, 0);  // wake the loop
}

}  // namespace win
