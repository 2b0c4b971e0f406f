// Views without documents: a view is a child window that draws one thing and
// gets a first update once its frame is complete; a frame is a top-level
// window whose client area one view fills. Window classes can be listed by
// name, so that a frame can be told which view to make at run time.
#pragma once
#include "win/wnd.h"

namespace win {

class RuntimeClass {
public:
    using Factory = CWnd* (*)();
    // Lists a class under `name`; listing a name again replaces the factory.
    static void Register(const char* name, Factory factory);
    template <class T>
    static void Register(const char* name) {
        Register(name, []() -> CWnd* { return new T; });
    }
    // A new object of the class listed as `name`; null when none is.
    static CWnd* CreateObject(const char* name);
};

class CView : public CWnd {
public:
    static constexpr char kClassName[] = "MFCView";

    // PreCreateWindow sees the request first and may change it.
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    virtual bool PreCreateWindow(CREATESTRUCTA& cs);
    // Once the frame and the view's window exist; the base repaints the view.
    virtual void OnInitialUpdate();
    virtual void OnDraw(HDC dc) = 0;
    // The object is deleted after its window's last message (views made by name).
    void DeleteWithWindow() { deleteWithWindow = true; }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    void OnFinalMessage() override;

private:
    bool deleteWithWindow = false;
};

class CFrameWnd : public CWnd {
public:
    static constexpr char kClassName[] = "MFCFrame";
    static constexpr UINT kViewId = 0xE900;

    // A hidden frame whose client area holds a new view of the class listed
    // as `viewClass`, made with `viewStyle` plus child and visible. Fails,
    // leaving nothing behind, when the name lists no view.
    bool Create(const char* title, DWORD style, const RECT& rect, const char* viewClass, DWORD viewStyle = 0);
    // The view while its window lives, else null.
    CView* GetActiveView() const;
    // The view's first update, then the frame is shown.
    void InitialUpdateFrame(int show = SW_SHOW);

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void FitView();

    HWND viewWindow = nullptr;  // the view belongs to its window
};

}  // namespace win
