// The report control as assistive technology sees it: an IAccessible with
// one simple child per row and the header as a child object, and the events
// that follow the user (focus, selection, expand and collapse, rows
// reordered, names). A tree's rows keep their child ids while rows come and
// go (the item's node handle); a list's are row + 1, as the platform's list
// view numbers them. Every answer costs the same at any number of rows.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "controls/report/report_records.h"
#include "win/accessible.h"

class CReportCtrl;

namespace report {

// Holds its control weakly: the control disconnects it when its window goes,
// and every call fails from then on, whoever still holds the object.
// It enumerates its children itself, so that AccessibleChildren takes them
// in one call rather than one call per row.
class ReportAccessible : public win::AccessibleBase, public IEnumVARIANT {
public:
    explicit ReportAccessible(CReportCtrl& ctrl) : ctrl(&ctrl) {}
    void Disconnect();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AccessibleBase::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return AccessibleBase::Release(); }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override;
    // Children at..at+count-1 (the header first, then the rows), at moved on.
    HRESULT FetchChildren(long& at, ULONG count, VARIANT* out, ULONG* fetched);

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

protected:
    HWND Window() const override;

private:
    // The row a child id names (-1: the control itself), or why there is none.
    HRESULT Resolve(const VARIANT& child, int& row) const;
    uint32_t StateBits(int row) const;
    bool RowBox(int row, RECT& rect) const;
    HRESULT ChangeSelection(int row, long flags);
    // The header window while it shows, and its object as a child.
    HWND Header() const;
    HRESULT HeaderChild(VARIANT* out) const;

    CReportCtrl* ctrl;  // none once the window is gone
    long enumAt = 0;    // the enumeration's next child
};

// What the control has told assistive technology, and what changed since:
// the events of a burst (a thousand joins) go out together, at most once per
// quiet interval.
// Selection changes are noted as the model makes them, so that telling them
// never walks the selection.
struct AccessEvents {
    static constexpr DWORD kQuietMs = 100;
    static constexpr size_t kMaxItemEvents = 16;

    ~AccessEvents();

    ReportAccessible* object = nullptr;  // made on the first request
    bool scheduled = false;
    DWORD lastFlush = 0;     // when the last events had gone out
    uint64_t rowsSeen = 0;   // the rows' change count when they were last told
    uint32_t focusSeen = 0;  // the focused item's id, and its row, as last told
    int focusRowSeen = -2;
    std::vector<std::pair<uint32_t, bool>> selected;  // item id, selected as last told
    std::vector<int> renamed;                         // items whose name was set
    std::vector<NodeHandle> toggled;                  // nodes expanded or collapsed
    bool overflow = false;                            // names or toggles too many to tell one by one
    bool selectionOverflow = false;                   // the same of the selection
};

}  // namespace report
