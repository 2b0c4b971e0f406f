// The report control's header: a flat header that tells its owner about
// right-button presses on its items, so that the owner can offer a column
// menu before the header's own handling runs.
#pragma once
#include <functional>
#include <utility>

#include "controls/flatheader/flat_header.h"

class HeaderRightClickHeader : public CFlatHeaderCtrl {
public:
    // Gets the index of the item under a right-button press and the press
    // point (client coordinates); true when it handled the press.
    using RightClickHandler = std::function<bool(int item, POINT point)>;

    explicit HeaderRightClickHeader(RightClickHandler handler = {}) : onRightClick(std::move(handler)) {}
    void SetRightClickHandler(RightClickHandler handler) { onRightClick = std::move(handler); }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool ReportRightClick(LPARAM lp);

    RightClickHandler onRightClick;
};
