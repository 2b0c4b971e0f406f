#include "controls/report/report_column_chooser.h"

#include "controls/report/report_ctrl.h"

#include <algorithm>
#include <vector>

ReportColumnChooser::~ReportColumnChooser() {
    if (filler) filler->SetColumnChooser(nullptr);
}

bool ReportColumnChooser::Accepts(int, const report::SubItemDef&) { return true; }

// The control asks on every change of its columns, a divider drag's every
// mouse move among them: the list is filled anew only when the columns it
// lists change, and keeps the user's pick and the top row.
void ReportColumnChooser::Refill(const report::ReportModel& report) {
    if (!hwnd) return;
    std::vector<int> wanted;
    for (int subItem = 0; subItem < report.SubItemCount(); ++subItem)
        if (!report.IsColumnShown(subItem) && Accepts(subItem, *report.GetSubItem(subItem))) wanted.push_back(subItem);
    // A sorted list box keeps its entries in another order.
    std::vector<int> listed(static_cast<size_t>(std::max(static_cast<int>(SendMessage(LB_GETCOUNT)), 0)));
    for (size_t i = 0; i < listed.size(); ++i) listed[i] = SubItemAt(static_cast<int>(i));
    std::sort(listed.begin(), listed.end());
    if (listed == wanted) return;

    const int picked = SubItemAt(static_cast<int>(SendMessage(LB_GETCURSEL)));
    const LRESULT top = SendMessage(LB_GETTOPINDEX);
    SendMessage(LB_RESETCONTENT);
    for (int subItem : wanted) {
        const LRESULT entry =
            SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(report.GetSubItem(subItem)->caption.c_str()));
        if (entry < 0) continue;
        SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(entry), subItem);
        if (subItem == picked) SendMessage(LB_SETCURSEL, static_cast<WPARAM>(entry));
    }
    if (top > 0) SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(top));
}

int ReportColumnChooser::SubItemAt(int index) const {
    return index < 0 ? -1 : static_cast<int>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index)));
}
