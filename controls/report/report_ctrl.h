// CReportCtrl: the report control's window ("MFCReportCtrl") over its model.
// It owns the header and the tip window, forwards the model's notifications
// to its parent as WM_NOTIFY, keeps the scroll bars, the areas and the fonts
// (report_ctrl.cpp), paints (report_paint.cpp), takes the mouse, the keys,
// the header's notifications and in-place edits (report_input.cpp), and
// answers assistive technology (report_accessible.cpp).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>

#include "controls/flatheader/right_click_header.h"
#include "controls/report/report_column_chooser.h"
#include "controls/report/report_model.h"
#include "controls/report/report_tip.h"
#include "win/gdi.h"
#include "win/offscreen_dc.h"
#include "win/wnd.h"

namespace report {
class ReportAccessible;
struct AccessEvents;
}  // namespace report

class CReportCtrl : public win::CWnd, public report::ReportModel {
public:
    static constexpr char kClassName[] = "MFCReportCtrl";
    // Registers the window class unless it exists.
    static bool RegisterWindowClass();

    // Registers the class if needed; throws std::runtime_error when it cannot.
    CReportCtrl();
    ~CReportCtrl() override;

    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    // Attaches to a dialog's control; a failing Initialize throws std::bad_alloc.
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(UINT id, HWND parent);

    // The replaceable operations, in table order. GetItemString (2),
    // CompareCells (5), CompareItems (6), Notify (9), the record cache and
    // access (12-17), SelectRows (19), SortRows (26) and SortChildren (27)
    // come from the model.
    virtual BOOL Initialize();                                                            // 1
    virtual void DrawSubItem(HDC dc, const RECT& cell, report::ReportItem& item);         // 3
    virtual void DrawBackground(HDC dc, const RECT& rect, COLORREF colour);               // 4
    virtual BOOL BeginEdit(int row, int column, UINT firstChar);                          // 7
    virtual void EndEdit(BOOL commit, report::ReportEditNotify* end);                     // 8
    virtual void LoadSystemColors();                                                      // 10
    virtual UINT ReadWheelScrollLines();                                                  // 11
    virtual void PreShowTip(report::ReportItem& item);                                    // 18
    virtual void PaintItems(HDC dc);                                                      // 20
    virtual void DrawRow(HDC dc, const RECT& row, const RECT& clip, int item, bool odd);  // 21
    virtual void DrawTreeButton(HDC dc, const RECT& square, bool collapsed);              // 22
    virtual int DrawImage(HDC dc, const RECT& room, report::ReportItem& item);            // 23
    virtual int DrawCheck(HDC dc, const RECT& room, report::ReportItem& item);            // 24
    virtual int DrawText(HDC dc, const RECT& room, report::ReportItem& item);             // 25

    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    // Shows a defined subitem as the header's last column.
    bool ShowColumn(int subItem);
    int HideColumn(int subItem);
    bool SetColumnWidth(int subItem, int width);
    int HitTest(report::ReportHitTest& hit);
    // Row -1 is the entry row; column -1 the whole row; part 4 ends the row
    // at the last column's end. False when the row is not on screen.
    bool GetRowRect(int row, int column, RECT& rect, int part = report::PartCell);
    // Parts 0-4: the cell, its image, its check, its text, its text to the
    // row's end (the first column's cell for that one).
    bool GetItemRect(int item, int subItem, RECT& rect, int part);
    // The room the cell's content takes; subitem -1 gives the default column width.
    SIZE MeasureCell(int item, int subItem);
    // The first and last rows (last -2: first only), with the update at once.
    void RedrawItems(int first, int last, bool updateNow = false);
    HIMAGELIST GetImageList() const { return images; }
    HIMAGELIST SetImageList(HIMAGELIST list);
    HIMAGELIST SetCheckImageList(HIMAGELIST list);
    HWND GetHeader() const { return header; }
    // The list of hidden columns to keep filled (null: none), filled at once.
    // The list and the control each let go of the other when they go.
    void SetColumnChooser(ReportColumnChooser* list);
    ReportColumnChooser* GetColumnChooser() const { return chooser; }
    // Shown centred in the item area while there are no rows; "" shows nothing.
    void SetEmptyText(const std::string& text) { emptyText = text; }
    const std::string& GetEmptyText() const { return emptyText; }
    CReportTipCtrl& GetTip() { return tip; }
    HWND GetEditor() const { return editor; }
    // The control, or a child of it, has the keyboard focus.
    bool HasKeyboardFocus() const { return keyboardFocus; }
    // The header's sort mark: a header item index (-1 none) and its direction.
    int GetSortColumn(bool* ascending) const { return GetSortMark(ascending); }
    // What changed goes out to assistive technology now rather than at the
    // end of the quiet interval.
    void FlushAccessEvents();
    // Posted to itself by a reader's default action: wParam what, lParam the item's id.
    static constexpr UINT kAccessAction = WM_USER + 0x42;

    enum SystemColour {
        ColourWindow,
        ColourSelection,
        ColourFace,
        ColourText,
        ColourSelectionText,
        ColourUnfocusedSelectionText,
        ColourGrid,
        ColourDisabled,
        ColourLight,
        ColourShadow,
        ColourHighlight,
        ColourDarkShadow,
        kSystemColours
    };
    COLORREF GetSystemColour(SystemColour which) const { return colours[which]; }
    int CheckSize() const { return checkSize; }
    UINT WheelScrollLines() const { return wheelLines; }
    const RECT& ItemArea() const { return itemArea; }
    const RECT& EntryRowRect() const { return entryRect; }

protected:
    win::RouteTable Routes() const override;
    intptr_t SendNotify(report::NotifyHeader& record) override;
    void InvalidateRows(int first, int last) override;
    void ScrollChanged() override;
    void ShowSortMark(int subItem, bool ascending) override;
    void UpdateNow() override;
    void HideTip() override;
    void ItemChanged(int item, int subItem, report::ItemChange change) override;
    void Layout(int width, int height);

private:
    // Posted to itself: a column dragged off the header goes once the drag is over.
    static constexpr UINT kHideColumnLater = WM_USER + 0x40;
    // Posted to itself, or its timer: the events of what changed go out.
    static constexpr UINT kAccessEvents = WM_USER + 0x41;
    static constexpr UINT_PTR kAccessTimer = 0x7A11;

    void OnDestroy();
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnSetFont(WPARAM, LPARAM);
    LRESULT OnGetFont(WPARAM, LPARAM);
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    LRESULT OnSettingChange(WPARAM, LPARAM);
    LRESULT OnNcCalcSize(WPARAM, LPARAM);
    LRESULT OnNcPaint(WPARAM, LPARAM);
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnPrintClient(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM) { return TRUE; }
    LRESULT OnEnable(WPARAM, LPARAM);
    LRESULT OnPaletteChanged(WPARAM, LPARAM);
    LRESULT OnQueryNewPalette(WPARAM, LPARAM);

    // report_input.cpp
    LRESULT OnLButtonDown(WPARAM, LPARAM);
    LRESULT OnRButtonDown(WPARAM, LPARAM);
    LRESULT OnLButtonDblClk(WPARAM, LPARAM);
    LRESULT OnMouseMove(WPARAM, LPARAM);
    LRESULT OnMouseWheel(WPARAM, LPARAM);
    LRESULT OnVScroll(WPARAM, LPARAM);
    LRESULT OnHScroll(WPARAM, LPARAM);
    LRESULT OnKeyDown(WPARAM, LPARAM);
    LRESULT OnChar(WPARAM, LPARAM);
    LRESULT OnGetDlgCode(WPARAM, LPARAM) { return DLGC_WANTARROWS; }
    LRESULT OnSetFocus(WPARAM, LPARAM);
    LRESULT OnKillFocus(WPARAM, LPARAM);
    LRESULT OnNotify(WPARAM, LPARAM);
    LRESULT OnHideColumnLater(WPARAM, LPARAM);
    LRESULT OnHeaderNotify(const NMHDR& notice);
    LRESULT OnEditorEnd(const report::ReportEditNotify& end);
    void FollowEditedItem();
    bool OnHeaderRightClick(int item);
    void HeaderItemChanged(const NMHEADERA& notice);
    void AutoSizeColumn(int subItem);
    void ShowTipAt(POINT point);
    intptr_t NotifyHit(uint32_t code, UINT keys, POINT point, const report::ReportHitTest& hit);
    intptr_t NotifyColumn(uint32_t code, int subItem);
    void CloseEditor() {
        if (editor) EndEdit(TRUE, nullptr);
    }

    // report_paint.cpp
    // With a cache, the window's own surface is drawn on (screen paints only).
    void Paint(HDC target, win::OffscreenCache* cache = nullptr);
    void PaintEntryRow(HDC dc, const RECT& clip);
    int PaintRows(HDC dc, const RECT& clip);
    void PaintGrid(HDC dc, const RECT& clip, int rowsBottom);
    void PaintEmptyText(HDC dc);
    void DrawFocusFrame(HDC dc, RECT rect, bool narrow);
    // The colours a row's background and a cell's text take.
    COLORREF PlainBackground(const report::ReportItem& item, bool odd) const;
    COLORREF RowBackground(const report::ReportItem& item, bool odd) const;
    COLORREF CellTextColour(const report::ReportItem& cell, bool focusedCell) const;
    bool ShowsFocus() const { return keyboardFocus && !editor; }
    HFONT FontOf(uint32_t state) const;
    void EnsureColumns();
    SIZE MeasureCell(HDC dc, int item, int subItem);
    HFONT CurrentFont() const;
    void ApplyFont(HFONT given, bool redraw);
    void RecalcRowHeight();
    void ReadColumns();
    void UpdateScrollBars();
    void InvalidateCells();
    bool SetBar(int bar, int max, int page, int pos);
    void PlaceHeader();
    static int ClampWidth(const report::SubItemDef& def, int width);

    // report_accessible.cpp
    friend class report::ReportAccessible;
    LRESULT OnGetObject(WPARAM, LPARAM);
    LRESULT OnAccessEvents(WPARAM, LPARAM);
    LRESULT OnAccessAction(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    bool AccessHeard() const;
    // Something a screen reader may want to hear of changed: its events go
    // out once the burst is over. The control's taking the focus makes the
    // focus row worth telling again.
    void AccessChanged(bool focusTaken = false);
    void SendAccessEvents();

    // Columns go through the header's HDM_* messages; the sort mark through
    // the flat header's own functions.
    bool CreateHeader();
    void SetSortMark(int column, bool ascending);
    int GetSortMark(bool* ascending) const;

    HeaderRightClickHeader header;
    win::OffscreenCache surface;
    CReportTipCtrl tip;
    ReportColumnChooser* chooser = nullptr;

    win::Font font;  // none: the stock GUI font
    win::Font boldFont;
    HIMAGELIST images = nullptr;
    HIMAGELIST checkImages = nullptr;
    SIZE imageSize{0, 0};
    int checkSize = 8;
    std::array<COLORREF, kSystemColours> colours{};
    UINT wheelLines = 3;
    HWND editor = nullptr;  // the active in-place editor; its cell is the model's edit cell
    bool keyboardFocus = false;
    bool columnsDirty = false;  // a column drag reordered the header
    COLORREF dropHighlight = RGB(255, 255, 255);
    std::string emptyText = "There are no items to show in this view.";

    RECT client{}, headerRect{}, entryRect{}, itemArea{};
    struct ScrollState {
        int verticalMax, verticalPage, verticalPos, horizontalMax, horizontalPage, horizontalPos;
    };
    ScrollState shownScroll{-1, -1, -1, -1, -1, -1};
    RECT headerPlace{};
    bool updatingScroll = false;
    std::unique_ptr<report::AccessEvents> access;  // from the first change or request
};
