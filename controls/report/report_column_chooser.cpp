#include "controls/report/report_column_chooser.h"

#include "controls/report/report_ctrl.h"

ReportColumnChooser::~ReportColumnChooser() {
    if (filler) filler->SetColumnChooser(nullptr);
}

bool ReportColumnChooser::Accepts(int, const report::SubItemDef&) { return true; }

void ReportColumnChooser::Refill(const report::ReportModel& report) {
    if (!hwnd) return;
    SendMessage(LB_RESETCONTENT);
    for (int subItem = 0; subItem < report.SubItemCount(); ++subItem) {
        const report::SubItemDef& def = *report.GetSubItem(subItem);
        if (report.IsColumnShown(subItem) || !Accepts(subItem, def)) continue;
        const LRESULT entry = SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(def.caption.c_str()));
        if (entry >= 0) SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(entry), subItem);
    }
}

int ReportColumnChooser::SubItemAt(int index) const {
    return index < 0 ? -1 : static_cast<int>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index)));
}
