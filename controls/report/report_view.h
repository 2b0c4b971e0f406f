// CReportView: a view that holds one report control and keeps it filling
// its client area, so that a frame can show a report without a dialog. The
// low word of the view's window style selects the control's report styles.
#pragma once
#include "controls/report/report_ctrl.h"
#include "win/view.h"

class CReportView : public win::CView {
public:
    static constexpr DWORD kControlStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;  // 0x50010000

    // Lists "CReportView" and "CReportCtrl" for creation by name.
    static void RegisterClasses();

    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    // Creates the control once, over the whole client area; throws
    // std::bad_alloc when it cannot be made.
    void OnInitialUpdate() override;
    void OnDraw(HDC) override {}  // the control paints itself
    // The control the view shows; a derived view may show another.
    virtual CReportCtrl& GetReportCtrl() { return report; }

protected:
    win::RouteTable Routes() const override;

private:
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnSetFocus(WPARAM, LPARAM);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    // The control takes its parent's font when it is made; without one its
    // rows would keep their first height of 10 pixels under a taller font.
    LRESULT OnGetFont(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)); }
    bool ControlShown() const { return created && report.GetSafeHwnd(); }

    bool created = false;
    CReportCtrl report;
};
