// A push button cut to a region whose face is one of four images (normal,
// pressed, hover, disabled), cut from a bitmap strip or drawn from its caption.
// It captures the mouse while the pointer is inside, so that it sees the
// pointer leave and can drop the hover image at once.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "win/gdi.h"
#include "win/wnd.h"

class ButtonAccessible;

class CShapedButton : public win::CWnd {
public:
    enum Face { kNormal, kPressed, kHover, kDisabled };

    CShapedButton();
    ~CShapedButton() override;

    // Creates the button with a copy of `shape` moved so that its box starts
    // at (x, y); the caller keeps `shape`.
    bool CreateShaped(const std::string& caption, DWORD style, int x, int y, HRGN shape, HWND parent, UINT id);
    // Cuts the four faces from `sourceRect` of a bitmap resource, stacked
    // vertically or side by side; false, and nothing changed, when it is missing.
    bool SetStateImages(UINT bitmapId, bool horizontal, const RECT& sourceRect);
    // Attaching to an existing button makes it owner-drawn.
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(UINT id, HWND parent);

    // Owner draw; the parent hands its WM_DRAWITEM over (see Reflect).
    void DrawItem(const DRAWITEMSTRUCT& item);
    // Draws `item` when it belongs to a shaped button; false otherwise.
    static bool Reflect(const DRAWITEMSTRUCT& item);

    // What a screen reader says of the button, in place of its caption.
    void SetAccessibleText(const std::string& name, const std::string& description);

    POINT Centre() const { return centre; }
    bool Hovering() const { return hover; }
    HBITMAP Image(Face face) const { return images[face]; }

    int bevelDepth = 1;
    std::array<COLORREF, 4> faceColours;

protected:
    win::RouteTable Routes() const override;
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    void OnMouseMove(UINT flags, POINT pt);
    void OnLButtonDown(UINT flags, POINT pt);
    void OnLButtonUp(UINT flags, POINT pt);
    void OnCaptureChanged();
    void OnCreated();
    LRESULT OnGetObject(WPARAM wp, LPARAM lp);
    void OnDestroy();
    void ReleaseAccessible();

    void HoverCheck(POINT pt);
    bool HitTest(POINT pt) const;
    void Capture();
    void Uncapture();
    void Redraw();

    void GenerateFaces(HDC target, const RECT& client);
    void DrawCaption(HDC dc, Face face) const;
    void DrawBevel(HDC dc, bool pressed) const;

    std::array<win::Bitmap, 4> images;
    POINT centre{0, 0};
    bool held = false;
    bool hover = false;
    bool captured = false;
    win::Region region;
    bool facesNeeded = true;
    std::string accessibleName, accessibleDescription;
    ButtonAccessible* accessible = nullptr;  // made on the first request, until the window goes
};
