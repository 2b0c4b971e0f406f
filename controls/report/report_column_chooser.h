// ReportColumnChooser: a list box of the owner's that a report control keeps
// filled with the columns the user can bring back: the captions of the
// defined subitems that are not shown and that Accepts lets in, in subitem
// order, each entry carrying its subitem number as its item data. The
// control asks it to refill whenever it reads its header's columns again (a
// column shown, hidden, resized or moved); it fills anew only when the
// columns it lists change, keeping the selected entry and the top row.
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
    // Fills the list box from the control's subitems unless it lists them already.
    void Refill(const report::ReportModel& report);
    // The subitem of entry `index`, -1 when there is no such entry.
    int SubItemAt(int index) const;

private:
    friend class CReportCtrl;
    CReportCtrl* filler = nullptr;
};
