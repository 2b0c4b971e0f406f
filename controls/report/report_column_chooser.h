// ReportColumnChooser: a list box of the owner's that a report control keeps
// filled with the columns the user can bring back: the captions of the
// defined subitems that are not shown and that Accepts lets in, in subitem
// order, each entry carrying its subitem number as its item data. The
// control refills it whenever it reads its header's columns again: a column
// shown, hidden, resized or moved.
#pragma once
#include <windows.h>

#include "controls/report/report_model.h"
#include "win/wnd.h"

class CReportCtrl;

class ReportColumnChooser : public win::CWnd {
public:
    ReportColumnChooser() = default;
    // A control still filling it forgets it.
    ~ReportColumnChooser() override;

    // The list's own filter: every hidden subitem unless a derived list says otherwise.
    virtual bool Accepts(int subItem, const report::SubItemDef& def);
    // Empties the list box and fills it from the control's subitems.
    void Refill(const report::ReportModel& report);
    // The subitem of entry `index`, -1 when there is no such entry.
    int SubItemAt(int index) const;

private:
    friend class CReportCtrl;
    CReportCtrl* filler = nullptr;
};
