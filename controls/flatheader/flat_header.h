// The report control's column header: the platform's header window keeps the
// items, their order, hit testing and divider tracking; this object paints
// the items flat with a sort arrow, keeps per-item width limits, and lets the
// user reorder columns by dragging them, with a drag image and a drop marker.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "controls/flatheader/header_logic.h"
#include "win/cursor_clip.h"
#include "win/gdi.h"
#include "win/wnd.h"

class CFlatHeaderDragWnd;
class CFlatHeaderDropWnd;

class CFlatHeaderCtrl : public win::CWnd {
public:
    // Drop states of the last column drag.
    static constexpr int kDroppedOnHeader = 0;
    static constexpr int kDroppedOutside = -1;

    CFlatHeaderCtrl();
    ~CFlatHeaderCtrl() override;

    // Creates the platform header as a child of `parent` and takes it over.
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    // Takes over an existing header window; its items start without limits.
    bool SubclassWindow(HWND header);

    // Column -1 removes the arrow.
    void SetSortColumn(int column, bool ascending);
    int GetSortColumn(bool* ascending = nullptr) const;
    bool SetItemWidthLimits(int item, int minWidth, int maxWidth);
    bool GetItemWidthLimits(int item, HeaderItemLimits& limits) const;
    int GetDropState() const { return dropState; }
    // A column drag is under way: from HDN_BEGINDRAG until the release or a
    // cancel (which sends no HDN_ENDDRAG).
    bool IsDragging() const { return dragging; }
    // Shows the drop marker at a display position (byPoint false) or at the
    // divider nearest a screen point (byPoint true, x and y packed as in
    // HDM_SETHOTDIVIDER); returns the position, -1 when hidden.
    int SetDropMarker(bool byPoint, LPARAM value);
    int GetItemCount() const;

    bool doubleBuffered = true;
    COLORREF dropMarkerColour = RGB(255, 0, 0);

protected:
    win::RouteTable Routes() const override;

    // Owner-drawn items get only their separator.
    virtual void DrawItem(DRAWITEMSTRUCT*) {}
    // Paints one item's content into `rect` (the item less the spacing).
    virtual void DrawFlatItem(HDC dc, RECT rect, const HDITEMA& item, bool sort, bool ascending);
    // The content parts, each between `left` and `right` of `rect`'s row;
    // each returns the width it took, 0 when it drew nothing.
    int DrawItemImage(HDC dc, const RECT& rect, int left, int right, const HDITEMA& item, bool rightAligned);
    int DrawItemBitmap(HDC dc, const RECT& rect, int left, int right, const HDITEMA& item, bool rightAligned);
    int DrawItemText(HDC dc, const RECT& rect, int left, int right, const HDITEMA& item);
    int DrawSortArrow(HDC dc, const RECT& rect, int left, int right, bool ascending, bool rightAligned);

    // The width of the item's bitmap when it fits between left and right, else 0.
    int BitmapWidth(const HDITEMA& item, int left, int right) const;
    HFONT Font() const;

    const int spacing = 6;
    SIZE imageSize{0, 0};
    const SIZE arrowSize{8, 8};

private:
    friend class CFlatHeaderDragWnd;
    static constexpr int kTextLength = 80;

    LRESULT OnInsertItem(WPARAM wp, LPARAM lp);
    LRESULT OnDeleteItem(WPARAM wp, LPARAM lp);
    LRESULT OnSetImageList(WPARAM wp, LPARAM lp);
    LRESULT OnSetHotDivider(WPARAM wp, LPARAM lp) { return SetDropMarker(wp != 0, lp); }
    LRESULT OnNcHitTest(WPARAM wp, LPARAM lp);
    LRESULT OnPaint(WPARAM wp, LPARAM lp);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    LRESULT OnSysColorChange(WPARAM wp, LPARAM lp);
    LRESULT OnSetFont(WPARAM wp, LPARAM lp);
    LRESULT OnGetFont(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(Font()); }
    void OnLButtonDown(UINT flags, POINT pt);
    void OnMouseMove(UINT flags, POINT pt);
    void OnLButtonUp(UINT flags, POINT pt);
    LRESULT OnCancelMode(WPARAM wp, LPARAM lp);
    LRESULT OnCaptureChanged(WPARAM wp, LPARAM lp);
    void OnDestroy();

    void Paint(HDC dc);
    void PaintItems(HDC dc);
    void DrawSeparator(HDC dc, const RECT& item) const;
    void LoadColours();
    void CopyFont(HFONT source);

    void PressDivider(POINT pt);
    void EndTracking();
    void BeginDrag(POINT pt);
    void DragTo(POINT pt);
    void Drop();
    // Ends a press however it ends: the cursor is freed, and a drag is
    // dropped without notification.
    void AbandonPress();
    void EndDrag();
    void DestroyDragWindow();
    void DestroyDropWindow();
    void ShowDropMarker(int position);

    bool ReadItem(int item, HDITEMA& record, char* text, UINT mask) const;
    RECT ItemRect(int item) const;
    RECT ScreenItemRect(int item) const;
    int ItemOrder(int item) const;
    int OrderToIndex(int order) const;
    int HitTest(POINT client, HDHITTESTINFO& info) const;
    int DropPositionAt(POINT client) const;
    LRESULT Notify(int code, int item, int button);

    bool ownsWindow = false;
    int dropState = kDroppedOnHeader;
    int hotItem = -1;
    int hotOrder = 0;
    HDHITTESTINFO hit{};
    HDITEMA pressedItem{};
    char pressedText[kTextLength] = "";
    HeaderItemLimits pressedLimits;
    bool tracking = false;
    win::CursorClip cursorClip;
    int dropMarkerPosition = -1;
    CFlatHeaderDropWnd* dropWindow = nullptr;
    bool pressed = false;
    bool dragging = false;
    CFlatHeaderDragWnd* dragWindow = nullptr;
    UINT mouseFlags = 0;
    POINT mousePoint{0, 0};
    bool sortAscending = false;
    int sortColumn = -1;
    ItemLimitsList limits;
    struct Colours {
        COLORREF highlight, shadow, face, text;
    } colours{};
    win::Pen highlightPen;
    win::Pen shadowPen;
    win::Font font;  // none: the stock GUI font
};
