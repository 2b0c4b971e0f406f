// CReportCtrl: the report control's window ("MFCReportCtrl"), a thin shell
// over its model. It owns the header, forwards the model's notifications to
// its parent as WM_NOTIFY, and keeps the scroll bars, the areas and the fonts.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>

#include "controls/flatheader/right_click_header.h"
#include "controls/report/report_model.h"
#include "win/gdi.h"
#include "win/wnd.h"

class CReportCtrl : public win::CWnd, public report::ReportModel {
public:
    static constexpr char kClassName[] = "MFCReportCtrl";
    static constexpr int kTextMargin = 6;
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
    // come from the model. Painting, hit testing and editing keep their
    // signatures here; their bodies arrive with the control's painting and input.
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
    void RedrawItems(int first, int last, bool updateNow = false);
    HIMAGELIST GetImageList() const { return images; }
    HIMAGELIST SetImageList(HIMAGELIST list);
    HIMAGELIST SetCheckImageList(HIMAGELIST list);
    HWND GetHeader() const { return header; }
    // The header's sort mark: a header item index (-1 none) and its direction.
    int GetSortColumn(bool* ascending) const { return GetSortMark(ascending); }

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
    void Layout(int width, int height);

private:
    void OnDestroy();
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnSetFont(WPARAM, LPARAM);
    LRESULT OnGetFont(WPARAM, LPARAM);
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    LRESULT OnSettingChange(WPARAM, LPARAM);

    HFONT CurrentFont() const;
    void ApplyFont(HFONT given, bool redraw);
    void RecalcRowHeight();
    void ReadColumns();
    void UpdateScrollBars();
    void PlaceHeader();
    static int ClampWidth(const report::SubItemDef& def, int width);

    // Columns go through the header's HDM_* messages; the sort mark through
    // the flat header's own functions.
    bool CreateHeader();
    void SetSortMark(int column, bool ascending);
    int GetSortMark(bool* ascending) const;

    HeaderRightClickHeader header;

    win::Font font;  // none: the stock GUI font
    win::Font boldFont;
    HIMAGELIST images = nullptr;
    HIMAGELIST checkImages = nullptr;
    SIZE imageSize{0, 0};
    int checkSize = 8;
    std::array<COLORREF, kSystemColours> colours{};
    UINT wheelLines = 3;
    HWND editor = nullptr;  // the active in-place editor

    RECT client{}, headerRect{}, entryRect{}, itemArea{};
    struct ScrollState {
        int verticalMax, verticalPage, verticalPos, horizontalMax, horizontalPage, horizontalPos;
    };
    ScrollState shownScroll{-1, -1, -1, -1, -1, -1};
    RECT headerPlace{};
    bool updatingScroll = false;
};
