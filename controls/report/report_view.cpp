#include "controls/report/report_view.h"

#include <new>

void CReportView::RegisterClasses() {
    win::RuntimeClass::Register<CReportView>("CReportView");
    win::RuntimeClass::Register<CReportCtrl>("CReportCtrl");
}

win::RouteTable CReportView::Routes() const {
    using namespace win;
    using V = CReportView;
    static const Route routes[] = {
        OnRawMessage<WM_SIZE, &V::OnSize>(),
        OnRawMessage<WM_SETFOCUS, &V::OnSetFocus>(),
        OnRawMessage<WM_ERASEBKGND, &V::OnEraseBkgnd>(),
        OnRawMessage<WM_GETFONT, &V::OnGetFont>(),
    };
    return MakeRouteTable(routes);
}

bool CReportView::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!CView::PreCreateWindow(cs)) return false;
    report.CacheStyle(static_cast<uint32_t>(cs.style) & 0xFFFF);
    return true;
}

void CReportView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    if (created) return;
    if (&GetReportCtrl() == &report) {
        RECT client;
        GetClientRect(hwnd, &client);
        if (!report.Create((report.Style() & 0xFFFF) | kControlStyle, client, hwnd, 0)) throw std::bad_alloc();
    }
    created = true;
}

LRESULT CReportView::OnSize(WPARAM, LPARAM) {
    Default();
    if (ControlShown()) {
        RECT client;
        GetClientRect(hwnd, &client);
        MoveWindow(report, 0, 0, client.right, client.bottom, TRUE);
    }
    return 0;
}

LRESULT CReportView::OnSetFocus(WPARAM, LPARAM) {
    if (ControlShown()) ::SetFocus(report);
    return 0;
}
