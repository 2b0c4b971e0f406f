// The two pop-ups of a column drag: the image of the dragged item that
// follows the cursor, and the red marker of two arrows at the divider where
// the item would land. Each object belongs to its window and deletes itself
// once the window is destroyed; the header only destroys the window.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <new>
#include <utility>

#include "win/gdi.h"
#include "win/wnd.h"

class CFlatHeaderCtrl;

class CFlatHeaderPopup : public win::CWnd {
public:
    // Destroys the window, and with it the object.
    void Destroy();

protected:
    CFlatHeaderPopup() = default;
    // Makes `popup`'s window; on failure the object is deleted and the
    // result is null.
    template <class Popup, class... Args>
    static Popup* Open(Popup* popup, Args&&... args) {
        if (!popup) return nullptr;
        if (!popup->Create(std::forward<Args>(args)...)) {
            delete popup;
            return nullptr;
        }
        popup->ownedByWindow = true;
        return popup;
    }
    void OnFinalMessage() override {
        if (ownedByWindow) delete this;
    }

private:
    bool ownedByWindow = false;
};

class CFlatHeaderDragWnd : public CFlatHeaderPopup {
public:
    static constexpr char kClassName[] = "MFCFHDragWnd";

    // A hidden image of `item` over `screenRect`, drawn from `record` with the
    // header's colours, font and item painting; null when it cannot be made.
    static CFlatHeaderDragWnd* Open(const RECT& screenRect, CFlatHeaderCtrl& header, int item, const HDITEMA& record);

protected:
    win::RouteTable Routes() const override;

private:
    friend class CFlatHeaderPopup;
    CFlatHeaderDragWnd() = default;
    bool Create(const RECT& screenRect, CFlatHeaderCtrl& owner, int index, const HDITEMA& itemRecord);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    void OnPaint();
    void Paint(HDC dc);

    CFlatHeaderCtrl* header = nullptr;
    int item = -1;
    const HDITEMA* record = nullptr;
};

class CFlatHeaderDropWnd : public CFlatHeaderPopup {
public:
    static constexpr char kClassName[] = "MFCFHDropWnd";
    static constexpr int kWidth = 12;

    // A hidden marker for a header `headerHeight` pixels high: its arrows
    // stand 10 pixels above and below the header. Null when it cannot be made.
    static CFlatHeaderDropWnd* Open(COLORREF colour, int headerHeight);
    // Shows the marker with its arrows' tips at x and centred on y.
    void ShowAt(int x, int y);
    int Height() const { return height; }

protected:
    win::RouteTable Routes() const override;

private:
    friend class CFlatHeaderPopup;
    explicit CFlatHeaderDropWnd(COLORREF colour);
    bool Create(int headerHeight);
    LRESULT OnEraseBkgnd(WPARAM wp, LPARAM lp);

    win::Brush brush;
    int height = 0;
};
