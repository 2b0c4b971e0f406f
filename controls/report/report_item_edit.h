// CReportItemEdit: the one-line edit box the report control lays over a cell,
// optionally with a "..." button at its right end that asks the control's
// parent for a text (-2062). When the focus leaves it for anything but its
// button (Enter, Tab and Escape send the focus to the control) it reports its
// text and the key that ended it to the control once (-2058) and closes;
// the object goes with its window.
#pragma once
#include <windows.h>

#include "win/window_handle.h"
#include "win/wnd.h"

class CReportItemEdit : public win::CWnd {
public:
    static constexpr char kButtonText[] = "...";

    CReportItemEdit(int item, int subItem, BOOL withButton);
    ~CReportItemEdit() override = default;

    // An edit control over `rect` of `parent` (the report control), with
    // the button in a square at its right end when there is room for one.
    // On success the object belongs to its window; on failure nothing is
    // left and the caller deletes the object.
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    // Places the caret or the selection for the key that began the edit:
    // 1 (a click) and Enter keep the text with the caret at its end,
    // Backspace removes its last character, Tab and Space select it all, and
    // any other character replaces it.
    void StartEdit(UINT key);
    // Moves the editor, and its button, over `rect`: the text of its cell,
    // whose item is now number `item`.
    void Follow(int item, const RECT& rect);

    int Item() const { return item; }
    int SubItem() const { return subItem; }
    BOOL WithButton() const { return withButton; }
    HWND ButtonWindow() const { return button.Get(); }
    // 13 (Enter), 9 (Tab) or 27 (Escape): the key that ended the edit.
    UINT EndKey() const { return endKey; }

    bool PreTranslateMessage(MSG& msg) override;

protected:
    win::RouteTable Routes() const override;
    void OnFinalMessage() override;

private:
    // Narrows the request to leave the button its square, or drops the button.
    void PreCreateWindow(CREATESTRUCTA& cs);
    bool CreateButton(const CREATESTRUCTA& cs);
    LRESULT OnKeyDown(WPARAM wp, LPARAM);
    LRESULT OnChar(WPARAM wp, LPARAM);
    LRESULT OnKillFocus(WPARAM wp, LPARAM);
    LRESULT OnGetDlgCode(WPARAM, LPARAM) { return DLGC_WANTALLKEYS; }
    void EndByKey(UINT key);
    void AskForText();
    void EndEdit();

    BOOL ended = FALSE;
    int item;
    int subItem;
    BOOL withButton;
    win::WindowHandle button;  // a sibling: the control's child beside the edit
    UINT endKey = VK_RETURN;
    bool ownedByWindow = false;
};
