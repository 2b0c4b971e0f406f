// CReportCtrl's painting, geometry and hit testing: the client area is drawn
// off-screen over its clip box and copied once; only the rows and columns in
// the clip box are walked, so a repaint costs the same at any row count.
#include <algorithm>
#include <cstring>

#include "controls/report/report_ctrl.h"
#include "win/draw.h"
#include "win/offscreen_dc.h"

using namespace report;

namespace {

RECT ToRect(const Box& box) { return {box.left, box.top, box.right, box.bottom}; }

bool AnyGrid(uint32_t style) { return (style & (HorizontalGrid | VerticalGrid)) != 0; }

}  // namespace

// --- geometry ---------------------------------------------------------------------

int CReportCtrl::HitTest(ReportHitTest& hit) {
    EnsureColumns();
    return ReportModel::HitTest(hit);
}

bool CReportCtrl::GetRowRect(int row, int column, RECT& rect, int part) {
    EnsureColumns();
    Box box;
    if (!GetRowBox(row, column, box, part)) return false;
    rect = ToRect(box);
    return true;
}

bool CReportCtrl::GetItemRect(int item, int subItem, RECT& rect, int part) {
    EnsureColumns();
    Box box;
    if (!GetItemBox(item, subItem, box, part)) return false;
    rect = ToRect(box);
    return true;
}

SIZE CReportCtrl::MeasureCell(int item, int subItem) {
    win::ClientDC dc(hwnd);
    return MeasureCell(dc, item, subItem);
}

SIZE CReportCtrl::MeasureCell(HDC dc, int item, int subItem) {
    if (subItem < 0) return {kDefaultColumnWidth, RowHeight()};
    char text[kTextBufferSize] = "";
    ReportItem cell{};
    cell.mask = MaskText;
    cell.item = item;
    cell.subItem = subItem;
    cell.text = text;
    cell.textMax = kTextBufferSize;
    if (!GetItem(cell)) return {0, RowHeight()};
    int width = 2 * kTextMargin;
    if ((cell.mask & MaskImage) && images) width += imageSize.cx + kTextMargin;
    if (cell.mask & MaskCheck) width += checkSize + kTextMargin;
    if (cell.mask & MaskText) {
        win::SelectScope select(dc, FontOf(cell.state));
        SIZE extent{};
        GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &extent);
        width += extent.cx;
    }
    return {width, RowHeight()};
}

void CReportCtrl::EnsureColumns() {
    if (columnsDirty) ReadColumns();
}

// --- colours and fonts -------------------------------------------------------------

HFONT CReportCtrl::FontOf(uint32_t state) const {
    return (state & StateBold) && boldFont ? boldFont.Get() : CurrentFont();
}

COLORREF CReportCtrl::PlainBackground(const ReportItem& item, bool odd) const {
    COLORREF colour = colours[IsWindowEnabled(hwnd) ? ColourWindow : ColourDisabled];
    // Without a colour table there is no alternate colour, rather than black rows.
    if (odd && (Style() & AlternateRows) && ColorCount() > 0) colour = GetColor(0);
    if ((item.mask & MaskBackColor) && item.backColor < ColorCount()) colour = GetColor(item.backColor);
    return colour;
}

COLORREF CReportCtrl::RowBackground(const ReportItem& item, bool odd) const {
    if (item.state & StateSelected) {
        if (keyboardFocus) return colours[ColourSelection];
        if (Style() & ShowSelectionAlways) return colours[ColourFace];
    }
    return PlainBackground(item, odd);
}

COLORREF CReportCtrl::CellTextColour(const ReportItem& cell, bool focusedCell) const {
    const bool own = (cell.mask & MaskTextColor) && cell.textColor < ColorCount();
    const COLORREF colour = own ? GetColor(cell.textColor) : colours[ColourText];
    if (focusedCell || !(cell.state & StateSelected) || (own && (Style() & KeepItemColors))) return colour;
    if (keyboardFocus) return colours[ColourSelectionText];
    if (Style() & ShowSelectionAlways) return colours[ColourUnfocusedSelectionText];
    return colour;
}

// --- the paint handler -------------------------------------------------------------

LRESULT CReportCtrl::OnPaint(WPARAM wp, LPARAM) {
    // Like the common controls, paint into a DC passed in wParam.
    if (wp) {
        Paint(reinterpret_cast<HDC>(wp));
    } else {
        win::PaintDC dc(hwnd);
        Paint(dc, &surface);
    }
    return 0;
}

LRESULT CReportCtrl::OnPrintClient(WPARAM wp, LPARAM) {
    if (wp) Paint(reinterpret_cast<HDC>(wp));
    return 0;
}

void CReportCtrl::Paint(HDC target, win::OffscreenCache* cache) {
    win::SaveDCScope saved(target);
    // The header, an open editor and its button paint themselves, and are not
    // always asked to again: the copy must not cover any of them. One that
    // lies outside what is painted (the header, when rows scroll) costs nothing.
    RECT clip;
    if (GetClipBox(target, &clip) <= NULLREGION) return;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT place, overlap;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&place), 2);
        if (IntersectRect(&overlap, &place, &clip))
            ExcludeClipRect(target, place.left, place.top, place.right, place.bottom);
    }
    win::COffscreenDC offscreen(target, cache);
    PaintItems(offscreen);
}

void CReportCtrl::PaintItems(HDC dc) {
    RECT clip;
    if (GetClipBox(dc, &clip) <= NULLREGION) return;
    EnsureColumns();
    DrawBackground(dc, clip, colours[IsWindowEnabled(hwnd) ? ColourWindow : ColourDisabled]);
    win::SaveDCScope saved(dc);
    SelectObject(dc, CurrentFont());
    SetBkMode(dc, TRANSPARENT);
    if (Style() & EntryRow) PaintEntryRow(dc, clip);
    const int rowsBottom = PaintRows(dc, clip);
    if (AnyGrid(Style())) PaintGrid(dc, clip, rowsBottom);
    if (RowCount() == 0) PaintEmptyText(dc);
}

void CReportCtrl::DrawBackground(HDC dc, const RECT& rect, COLORREF colour) { win::FillSolidRect(dc, rect, colour); }

void CReportCtrl::DrawFocusFrame(HDC dc, RECT rect, bool narrow) {
    if (narrow) {
        ++rect.left;
        --rect.right;
        --rect.bottom;
    }
    if (rect.right > rect.left && rect.bottom > rect.top) DrawFocusRect(dc, &rect);
}

void CReportCtrl::PaintEntryRow(HDC dc, const RECT& clip) {
    RECT overlap;
    if (!IntersectRect(&overlap, &entryRect, &clip)) return;
    win::FillSolidRect(dc, entryRect, colours[ColourFace]);
    const int origin = itemArea.left - ScrollX();
    const RECT row{origin, EntryRowBox().top, origin + TotalColumnWidth(), EntryRowBox().bottom};
    DrawRow(dc, row, clip, -1, false);
    // The frame last, so that the row never covers it.
    win::Draw3dRect(dc, entryRect, colours[ColourHighlight], colours[ColourDarkShadow]);
    if (ShowsFocus() && FocusRow() == -1 && FocusColumn() < 0) {
        RECT frame = row;
        if (AnyGrid(Style())) {
            ++frame.left;
            --frame.right;
        }
        SetBkColor(dc, colours[ColourWindow]);
        SetTextColor(dc, colours[ColourText]);
        DrawFocusFrame(dc, frame, false);
    }
}

// Returns the bottom of the last row drawn, or of the clip box when the rows go on below it.
int CReportCtrl::PaintRows(HDC dc, const RECT& clip) {
    const int origin = itemArea.left - ScrollX(), end = origin + TotalColumnWidth();
    const int bottom = std::min<int>(clip.bottom, itemArea.bottom);
    const int focus = FocusRow();
    int y = itemArea.top;
    for (int row = TopRow(); row < RowCount() && y < bottom; ++row) {
        const int height = RowPixelHeight(row);
        if (y + height <= clip.top) {
            y += height;
            continue;
        }
        const int item = RowToItem(row);
        ReportItem info{};
        info.item = item;
        info.subItem = -1;
        GetItem(info);
        const int indent = std::min(IndentPixels((info.mask & MaskIndent) ? info.indent : 0), ColumnWidth(0));
        const RECT rect{origin + indent, y, end, y + RowHeight()};
        const bool odd = (row & 1) != 0;
        DrawRow(dc, rect, clip, item, odd);
        if (info.preview > 0) {
            ReportPreviewNotify band{};
            band.header.code = NotifyDrawPreview;
            band.item = item;
            band.state = info.state;
            band.dc = dc;
            band.left = rect.left;
            band.top = rect.bottom;
            band.right = end;
            band.bottom = y + height;
            band.param = info.param;
            Notify(&band.header);
        }
        if (Style() & HorizontalGrid)
            win::FillSolidRect(dc, RECT{rect.left, rect.bottom - 1, end, rect.bottom}, colours[ColourGrid]);
        if (ShowsFocus() && row == focus && (!(Style() & CellFocus) || FocusColumn() < 0)) {
            SetBkColor(dc, RowBackground(info, odd));
            SetTextColor(dc, colours[ColourText]);
            DrawFocusFrame(dc, rect, AnyGrid(Style()));
        }
        y += height;
    }
    return y;
}

void CReportCtrl::PaintGrid(HDC dc, const RECT& clip, int rowsBottom) {
    const COLORREF grid = colours[ColourGrid];
    const int origin = itemArea.left - ScrollX(), end = origin + TotalColumnWidth();
    const int top = itemArea.top;
    const int bottom =
        (Style() & FullGrid) ? static_cast<int>(itemArea.bottom) : std::min<int>(rowsBottom, itemArea.bottom);
    if (end <= origin) return;
    auto vertical = [&](int x) {
        if (x >= clip.left && x < clip.right) win::FillSolidRect(dc, RECT{x, top, x + 1, bottom}, grid);
    };
    if (bottom > top) {
        vertical(origin);
        vertical(end - 1);
        if (Style() & VerticalGrid)
            for (int p = 0; p < ColumnCount(); ++p) vertical(origin + ColumnLeft(p) + ColumnWidth(p) - 1);
    }
    if ((Style() & HorizontalGrid) && (Style() & FullGrid) && RowHeight() > 0)
        for (int y = rowsBottom + RowHeight(); y <= std::min<int>(clip.bottom, itemArea.bottom); y += RowHeight())
            win::FillSolidRect(dc, RECT{origin, y - 1, end, y}, grid);
}

void CReportCtrl::PaintEmptyText(HDC dc) {
    if (emptyText.empty()) return;
    const int total = TotalColumnWidth();
    // Without columns the band takes the whole width, or the text could not show.
    RECT band{0, itemArea.top + 2, client.right, itemArea.top + 2 + RowHeight()};
    if (total > 0 && total <= client.right) {
        band.left = itemArea.left - ScrollX();
        band.right = band.left + total;
    }
    SetTextColor(dc, colours[ColourText]);
    ::DrawTextA(dc, emptyText.c_str(), static_cast<int>(emptyText.size()), &band,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// --- rows and cells ------------------------------------------------------------------

void CReportCtrl::DrawRow(HDC dc, const RECT& row, const RECT& clip, int item, bool odd) {
    ReportItem info{};
    info.item = item;
    info.subItem = -1;
    if (!GetItem(info)) return;
    win::FillSolidRect(dc, row, RowBackground(info, odd));
    const HGDIOBJ oldFont = SelectObject(dc, FontOf(info.state));
    const int origin = itemArea.left - ScrollX();
    const int focus = FocusRow();
    const bool focusedRow = focus != -2 && RowToItem(focus) == item;
    const bool cellFocus = (Style() & CellFocus) || item == -1;
    NodeInfo node;
    const bool span = TreeShown() && item >= 0 && GetNodeInfo(GetItemNode(item), node) && node.spanSubItem >= 0;
    if (info.state & (StateCollapsed | StateExpanded))
        DrawTreeButton(dc, RECT{row.left - RowHeight(), row.top, row.left, row.bottom},
                       (info.state & StateCollapsed) != 0);
    const int columns = span ? std::min(ColumnCount(), 1) : ColumnCount();
    for (int position = 0; position < columns; ++position) {
        RECT cell{origin + ColumnLeft(position), row.top, 0, row.bottom};
        cell.right = span ? row.right : cell.left + ColumnWidth(position);
        if (position == 0) cell.left = row.left;
        if (cell.left >= clip.right) break;
        if (cell.right <= clip.left || cell.right <= cell.left) continue;
        char text[kTextBufferSize] = "";
        ReportItem content{};
        content.mask = MaskText;
        content.item = item;
        content.subItem = span ? node.spanSubItem : ColumnSubItem(position);
        content.text = text;
        content.textMax = kTextBufferSize;
        if (!GetItem(content)) continue;
        const bool focusedCell = focusedRow && cellFocus && position == FocusColumn();
        if (focusedCell) win::FillSolidRect(dc, cell, PlainBackground(info, odd));
        SetTextColor(dc, CellTextColour(content, focusedCell));
        const RECT inner{cell.left + kTextMargin, cell.top, cell.right - kTextMargin, cell.bottom};
        DrawSubItem(dc, inner, content);
        if (focusedCell && ShowsFocus()) {
            SetBkColor(dc, PlainBackground(info, odd));
            DrawFocusFrame(dc, cell, AnyGrid(Style()));
        }
    }
    SelectObject(dc, oldFont);
}

void CReportCtrl::DrawSubItem(HDC dc, const RECT& cell, ReportItem& item) {
    if (item.state & StateOwnerDraw) {
        ReportDrawNotify draw{};
        draw.header.code = NotifyDrawSubItem;
        draw.item = &item;
        draw.dc = dc;
        draw.left = cell.left;
        draw.top = cell.top;
        draw.right = cell.right;
        draw.bottom = cell.bottom;
        if (Notify(&draw.header) != 0) return;
    }
    RECT room = cell;
    int width = DrawImage(dc, room, item);
    if (width > 0)
        room.left += width + kTextMargin;
    else if ((item.mask & MaskImage) && images)
        return;  // no room even for the image
    width = DrawCheck(dc, room, item);
    if (width > 0)
        room.left += width + kTextMargin;
    else if (item.mask & MaskCheck)
        return;
    DrawText(dc, room, item);
}

int CReportCtrl::DrawImage(HDC dc, const RECT& room, ReportItem& item) {
    const SubItemDef* def = GetSubItem(item.subItem);
    const bool reserved = images && def && (def->format & FormatReserveImage);
    if (!images || !(item.mask & MaskImage)) return reserved ? imageSize.cx : 0;
    const int width = std::min<int>(imageSize.cx, room.right - room.left);
    if (width <= 0) return 0;
    const int top = (room.top + room.bottom) / 2 - imageSize.cy / 2 + 1;
    UINT style = ILD_TRANSPARENT;
    COLORREF blend = CLR_DEFAULT;
    if (item.state & (StateDropHighlight | StateDropHighlightStrong)) {
        style |= (item.state & StateDropHighlightStrong) ? ILD_BLEND50 : ILD_BLEND25;
        blend = dropHighlight;
    }
    ImageList_DrawEx(images, item.image, dc, room.left, top, width, imageSize.cy, CLR_NONE, blend, style);
    if (item.mask & MaskOverlay)
        ImageList_DrawEx(images, item.overlay, dc, room.left, top, width, imageSize.cy, CLR_NONE, blend, style);
    return imageSize.cx;
}

int CReportCtrl::DrawCheck(HDC dc, const RECT& room, ReportItem& item) {
    const SubItemDef* def = GetSubItem(item.subItem);
    const bool reserved = def && (def->format & FormatReserveCheck);
    if (!(item.mask & MaskCheck)) return reserved ? checkSize : 0;
    if (room.right - room.left <= checkSize) return 0;
    const int middle = (room.top + room.bottom) / 2;
    if (checkImages) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(checkImages, &cx, &cy);
        ImageList_Draw(checkImages, item.check, dc, room.left, middle - cy / 2, ILD_TRANSPARENT);
        return checkSize;
    }
    const int state = item.check;
    const bool radio = state >= 4 && state <= 7;
    const bool marked = state == 1 || state == 3 || state == 5 || state == 7;
    const bool crossed = state == 2 || state == 3 || state == 6 || state == 7;
    RECT box{room.left, middle - checkSize / 2, room.left + checkSize, middle - checkSize / 2 + checkSize};
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     (radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | DFCS_FLAT | (marked ? DFCS_CHECKED : 0));
    if (crossed) {
        win::Pen red(CreatePen(PS_SOLID, 2, RGB(255, 0, 0)));
        win::SelectScope pen(dc, red);
        RECT in = box;
        InflateRect(&in, -1, -1);
        if (radio) OffsetRect(&in, 1, 0);
        MoveToEx(dc, in.left, in.top, nullptr);
        LineTo(dc, in.right - 1, in.bottom - 1);
        MoveToEx(dc, in.right - 1, in.top, nullptr);
        LineTo(dc, in.left, in.bottom - 1);
    }
    return checkSize;
}

int CReportCtrl::DrawText(HDC dc, const RECT& room, ReportItem& item) {
    const int width = room.right - room.left;
    if (!(item.mask & MaskText) || !item.text || width <= 0) return 0;
    const int length = static_cast<int>(std::strlen(item.text));
    SIZE extent{};
    GetTextExtentPoint32A(dc, item.text, length, &extent);
    const SubItemDef* def = GetSubItem(item.subItem);
    const uint32_t align = def ? def->format & FormatAlignMask : 0;
    if (align != 3) {
        RECT rect = room;
        const UINT justify = align == 1 ? DT_RIGHT : align == 2 ? DT_CENTER : DT_LEFT;
        // Names are shown as they are: "&" is no mnemonic here.
        ::DrawTextA(dc, item.text, length, &rect, justify | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    return std::max(0, std::min<int>(extent.cx, width));
}

void CReportCtrl::DrawTreeButton(HDC dc, const RECT& square, bool collapsed) {
    const int x = (square.left + square.right) / 2, y = (square.top + square.bottom) / 2;
    win::FillSolidRect(dc, RECT{x - 4, y - 4, x + 5, y + 5}, colours[ColourShadow]);
    win::FillSolidRect(dc, RECT{x - 3, y - 3, x + 4, y + 4}, colours[ColourWindow]);
    win::FillSolidRect(dc, RECT{x - 2, y, x + 3, y + 1}, colours[ColourText]);
    if (collapsed) win::FillSolidRect(dc, RECT{x, y - 2, x + 1, y + 3}, colours[ColourText]);
}

// --- non-client area, state changes --------------------------------------------------

// The border style is drawn as a sunken edge: the client gives up what the
// edge takes beyond the plain border, before the system places the scroll bars.
LRESULT CReportCtrl::OnNcCalcSize(WPARAM, LPARAM lp) {
    if ((GetWindowLongA(hwnd, GWL_STYLE) & WS_BORDER) && lp)
        InflateRect(reinterpret_cast<RECT*>(lp), -(GetSystemMetrics(SM_CXEDGE) - GetSystemMetrics(SM_CXBORDER)),
                    -(GetSystemMetrics(SM_CYEDGE) - GetSystemMetrics(SM_CYBORDER)));
    return Default();
}

LRESULT CReportCtrl::OnNcPaint(WPARAM, LPARAM) {
    const LRESULT result = Default();
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_BORDER) {
        HDC dc = GetWindowDC(hwnd);
        RECT window;
        GetWindowRect(hwnd, &window);
        OffsetRect(&window, -window.left, -window.top);
        DrawEdge(dc, &window, EDGE_SUNKEN, BF_RECT);
        ReleaseDC(hwnd, dc);
    }
    return result;
}

LRESULT CReportCtrl::OnEnable(WPARAM, LPARAM) {
    InvalidateRect(hwnd, nullptr, FALSE);
    return 0;
}

LRESULT CReportCtrl::OnPaletteChanged(WPARAM wp, LPARAM) {
    if (reinterpret_cast<HWND>(wp) != hwnd) InvalidateRect(hwnd, nullptr, FALSE);
    return 0;
}

LRESULT CReportCtrl::OnQueryNewPalette(WPARAM, LPARAM) {
    InvalidateRect(hwnd, nullptr, FALSE);
    return FALSE;
}
