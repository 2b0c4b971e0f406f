// CReportItemEdit: the edit box laid over a cell to edit its text in place.
// PLACEHOLDER until the real editor lands: a plain EDIT, without the "..."
// button, that reports -2058 to its parent once, on Enter, Escape, Tab or
// the loss of the focus, then closes and deletes itself.
#pragma once
#include <windows.h>

#include "win/wnd.h"

class CReportItemEdit : public win::CWnd {
public:
    CReportItemEdit(int item, int subItem, bool withButton);

    // Made with new: the object deletes itself once its window is gone.
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    // Caret or selection for the key that began the edit (a character replaces the text).
    void StartEdit(UINT key);

protected:
    win::RouteTable Routes() const override;
    void OnFinalMessage() override { delete this; }

private:
    LRESULT OnKeyDown(WPARAM wp, LPARAM lp);
    LRESULT OnChar(WPARAM wp, LPARAM lp);
    LRESULT OnKillFocus(WPARAM wp, LPARAM lp);
    LRESULT OnGetDlgCode(WPARAM, LPARAM) { return DLGC_WANTALLKEYS; }
    void ReportEnd();

    bool ended = false;
    int item;
    int subItem;
    bool withButton;
    UINT endKey = VK_RETURN;
};
