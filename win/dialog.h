// Dialogs built from resource templates: the object is bound at WM_INITDIALOG
// and the window is subclassed, so that routes and Default() work as for any
// CWnd, with the dialog manager's procedure beneath.
#pragma once
#include "win/wnd.h"

namespace win {

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr) : templateId(templateId), parent(parent) {}

    // Runs the dialog modally with its own message loop, so that queued
    // messages pass PreTranslateMessage first. Returns the EndDialog result,
    // or -1 when the dialog cannot be created.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    bool IsModalLoopRunning() const { return running; }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(hwnd, id); }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Enter (IDOK) and Escape or WM_CLOSE (IDCANCEL).
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Queued messages, before the dialog manager sees them; true eats the message.
    bool PreTranslateMessage(MSG& msg) override;

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    UINT templateId;
    HWND parent;

private:
    static INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void RunModalLoop();

    INT_PTR result = -1;
    bool running = false;
    bool endRequested = false;
};

}  // namespace win
