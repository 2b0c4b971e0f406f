// The report control as a screen reader meets it, under Wine, through the
// platform's entry points (AccessibleObjectFromWindow, AccessibleChildren and
// the IAccessible calls): the lobby's rows with their names, levels, states
// and places; selection and expansion asked for by the reader, with the
// notices a click gives the parent; the object outliving its control; and
// the events of clicks, keys, expansion, sorting and bursts, as a WinEvent
// hook records them.
#include <wrl/client.h>

#include <functional>

#include "lobby/lobby_users.h"
#include "tests/controls/report/window_fixture.h"
#include "tools/acctree/acc_tree.h"
#include "win/accessible.h"

namespace reportwin {
namespace {

using Microsoft::WRL::ComPtr;

VARIANT Child(LONG id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// One call of each kind, on a child where it takes one. A failed call
// leaves no stale value in its out-parameters.
wchar_t kStale[] = L"stale";
IDispatch* const kNoObject = reinterpret_cast<IDispatch*>(&kStale);
using Call = std::function<HRESULT(IAccessible*, VARIANT)>;
std::vector<std::pair<const char*, Call>> ChildCalls() {
    auto text = [](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
        return [get](IAccessible* a, VARIANT v) {
            BSTR s = kStale;
            const HRESULT hr = (a->*get)(v, &s);
            EXPECT_TRUE(SUCCEEDED(hr) || !s) << "cleared";
            if (s != kStale) SysFreeString(s);
            return hr;
        };
    };
    auto variant = [](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
        return [get](IAccessible* a, VARIANT v) {
            VARIANT out;
            out.vt = VT_I4;
            const HRESULT hr = (a->*get)(v, &out);
            EXPECT_TRUE(SUCCEEDED(hr) || out.vt == VT_EMPTY) << "cleared";
            VariantClear(&out);
            return hr;
        };
    };
    return {
        {"name", text(&IAccessible::get_accName)},
        {"value", text(&IAccessible::get_accValue)},
        {"description", text(&IAccessible::get_accDescription)},
        {"help", text(&IAccessible::get_accHelp)},
        {"shortcut", text(&IAccessible::get_accKeyboardShortcut)},
        {"default action", text(&IAccessible::get_accDefaultAction)},
        {"role", variant(&IAccessible::get_accRole)},
        {"state", variant(&IAccessible::get_accState)},
        {"child",
         [](IAccessible* a, VARIANT v) {
             IDispatch* d = kNoObject;
             const HRESULT hr = a->get_accChild(v, &d);
             EXPECT_TRUE(SUCCEEDED(hr) || !d) << "cleared";
             if (d && d != kNoObject) d->Release();
             return hr;
         }},
        {"location",
         [](IAccessible* a, VARIANT v) {
             long x = 7, y = 7, w = 7, h = 7;
             const HRESULT hr = a->accLocation(&x, &y, &w, &h, v);
             EXPECT_TRUE(SUCCEEDED(hr) || (x | y | w | h) == 0) << "cleared";
             return hr;
         }},
        {"navigate",
         [](IAccessible* a, VARIANT v) {
             VARIANT out;
             VariantInit(&out);
             const HRESULT hr = a->accNavigate(NAVDIR_NEXT, v, &out);
             VariantClear(&out);
             return hr;
         }},
        {"select", [](IAccessible* a, VARIANT v) { return a->accSelect(SELFLAG_TAKESELECTION, v); }},
        {"do default action", [](IAccessible* a, VARIANT v) { return a->accDoDefaultAction(v); }},
    };
}

// The same calls and the ones without a child.
std::vector<std::pair<const char*, Call>> AllCalls() {
    auto calls = ChildCalls();
    calls.push_back({"child count", [](IAccessible* a, VARIANT) {
                         long n;
                         return a->get_accChildCount(&n);
                     }});
    calls.push_back({"parent", [](IAccessible* a, VARIANT) {
                         IDispatch* d = nullptr;
                         const HRESULT hr = a->get_accParent(&d);
                         if (d) d->Release();
                         return hr;
                     }});
    calls.push_back({"focus", [](IAccessible* a, VARIANT) {
                         VARIANT out;
                         const HRESULT hr = a->get_accFocus(&out);
                         if (SUCCEEDED(hr)) VariantClear(&out);
                         return hr;
                     }});
    calls.push_back({"hit test", [](IAccessible* a, VARIANT) {
                         VARIANT out;
                         const HRESULT hr = a->accHitTest(30, 30, &out);
                         if (SUCCEEDED(hr)) VariantClear(&out);
                         return hr;
                     }});
    return calls;
}

// The events raised for one window's client area, as lines naming the child
// as the object names it then: "focus g1", "selection row3", "add row4",
// "remove row2", "within", "state g3", "reorder", "name first". A list ends
// with a marker event of our own, raised once the control told what it had.
class EventRecorder {
public:
    EventRecorder(HWND target, IAccessible* object) {
        window = target;
        names = object;
        lines = &recorded;
        hook = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_NAMECHANGE, nullptr, Record, GetCurrentProcessId(), 0,
                               WINEVENT_OUTOFCONTEXT);
    }
    ~EventRecorder() {
        UnhookWinEvent(hook);
        lines = nullptr;
    }
    std::vector<std::string> Take(CReportCtrl& report) {
        report.FlushAccessEvents();
        marked = false;
        NotifyWinEvent(EVENT_OBJECT_REORDER, window, kMarker, CHILDID_SELF);
        for (const DWORD end = GetTickCount() + 5000; !marked && static_cast<int>(end - GetTickCount()) > 0;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        }
        EXPECT_TRUE(marked) << "the marker came back";
        return std::exchange(recorded, {});
    }
    static std::string Name(LONG child) { return acctree::Describe(names, child).name; }
    static inline LONG focused = CHILDID_SELF;  // the child of the last "focus"

private:
    static constexpr LONG kMarker = 0x4D41524B;
    static void CALLBACK Record(HWINEVENTHOOK, DWORD event, HWND from, LONG object, LONG child, DWORD, DWORD) {
        marked = marked || (from == window && object == kMarker);
        if (!lines || from != window || object != OBJID_CLIENT) return;
        static const std::pair<DWORD, const char*> kNames[] = {
            {EVENT_OBJECT_REORDER, "reorder"},        {EVENT_OBJECT_FOCUS, "focus"},
            {EVENT_OBJECT_SELECTION, "selection"},    {EVENT_OBJECT_SELECTIONADD, "add"},
            {EVENT_OBJECT_SELECTIONREMOVE, "remove"}, {EVENT_OBJECT_SELECTIONWITHIN, "within"},
            {EVENT_OBJECT_STATECHANGE, "state"},      {EVENT_OBJECT_NAMECHANGE, "name"},
        };
        if (event == EVENT_OBJECT_FOCUS) focused = child;
        for (const auto& [code, name] : kNames)
            if (code == event) lines->push_back(std::string(name) + (child != CHILDID_SELF ? " " + Name(child) : ""));
    }
    static inline HWND window = nullptr;
    static inline IAccessible* names = nullptr;
    static inline std::vector<std::string>* lines = nullptr;
    static inline bool marked = false;
    HWINEVENTHOOK hook = nullptr;
    std::vector<std::string> recorded;
};

class ReportAccess : public ReportWindowTest {
protected:
    ReportAccess() { CoInitialize(nullptr); }
    ~ReportAccess() override { CoUninitialize(); }

    ComPtr<IAccessible> Object() {
        ComPtr<IAccessible> object;
        EXPECT_EQ(AccessibleObjectFromWindow(report, OBJID_CLIENT, win::kIidAccessible,
                                             reinterpret_cast<void**>(object.GetAddressOf())),
                  S_OK);
        return object;
    }
    // What the tool prints of a child, without its place (which follows the font) and id.
    static std::string Line(IAccessible* object, LONG child) {
        acctree::Entry entry = acctree::Describe(object, child);
        entry.located = false;
        entry.childId = CHILDID_SELF;
        return acctree::Format(entry);
    }
    // A child as an id, the header's object as -1; the variant is cleared.
    LONG IdOf(VARIANT& kid) {
        ComPtr<IAccessible> inner;
        HWND window = nullptr;
        if (kid.vt == VT_DISPATCH)
            kid.pdispVal->QueryInterface(win::kIidAccessible, reinterpret_cast<void**>(inner.GetAddressOf()));
        if (inner) WindowFromAccessibleObject(inner.Get(), &window);
        const LONG id = kid.vt == VT_I4 ? kid.lVal : window && window == report.GetHeader() ? -1 : 0;
        VariantClear(&kid);
        return id;
    }
    std::vector<LONG> Ids(IAccessible* object) {
        long count = 0;
        object->get_accChildCount(&count);
        std::vector<VARIANT> kids(static_cast<size_t>(count));
        LONG got = 0;
        EXPECT_TRUE(SUCCEEDED(AccessibleChildren(object, 0, count, kids.data(), &got)));
        std::vector<LONG> ids;
        for (VARIANT& kid : kids) ids.push_back(IdOf(kid));
        return ids;
    }
    std::vector<std::string> Children(IAccessible* object) {
        std::vector<std::string> lines;
        for (LONG id : Ids(object)) lines.push_back(id == -1 ? "header" : Line(object, id));
        return lines;
    }
    static LONG State(IAccessible* object, LONG child) {
        VARIANT state;
        VariantInit(&state);
        object->get_accState(Child(child), &state);
        return state.lVal;
    }
    static std::vector<LONG> Selection(IAccessible* object) {
        VARIANT out;
        VariantInit(&out);
        object->get_accSelection(&out);
        std::vector<LONG> ids;
        if (out.vt == VT_I4) ids.push_back(out.lVal);
        ComPtr<IEnumVARIANT> list;
        if (out.vt == VT_UNKNOWN)
            out.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(list.GetAddressOf()));
        VARIANT next;
        while (list && list->Next(1, &next, nullptr) == S_OK) ids.push_back(next.lVal);
        VariantClear(&out);
        return ids;
    }
    void MakeLobby() {
        ASSERT_TRUE(report.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | Tree | TruncationTips, kLobby,
                                  parent.hwnd, kId));
        report.DefineSubItem({0, 148, 0, 0, 0, "Players"});
        report.ShowColumn(0);
        lobby.emplace_back(std::make_unique<LobbyUsers>(report, nullptr));
        LobbyUsers& users = *lobby.back();
        users.Create();
        const LobbyUsers::Joined mine = users.Add(1, "MARLOW", "Hold'em 10/20", {12, 1});
        users.Add(2, "ESTRID", "Hold'em 10/20", {12, 1});
        users.Add(3, "KOBUS", "Omaha 5/10", {14, 2});
        users.Add(4, "TAMSIN", "", {});
        users.ShowOwnGroup(mine.group);
        Pump();
    }
    POINT RowPoint(int row) {
        const RECT rect = RowRect(row);
        return {rect.left + 60, (rect.top + rect.bottom) / 2};
    }
    std::vector<std::unique_ptr<LobbyUsers>> lobby;
};

// --- reading -------------------------------------------------------------------------------

TEST_F(ReportAccess, TheLobbyReadsAsAnOutline) {
    MakeLobby();
    ComPtr<IAccessible> object = Object();
    ASSERT_TRUE(object);
    EXPECT_EQ(Line(object.Get(), CHILDID_SELF),
              "outline \"Players\" state=focusable,multi selectable,extended selectable");
    const std::vector<std::string> rows = {
        "header",
        "outline item \"Lobby All User\" value=\"0\" action=\"Expand\" state=collapsed,focusable,selectable",
        "outline item \"Hold'em 10/20\" value=\"0\" action=\"Collapse\" state=expanded,focusable,selectable",
        "outline item \"MARLOW\" value=\"1\" action=\"Double Click\" state=focusable,selectable",
        "outline item \"ESTRID\" value=\"1\" action=\"Double Click\" state=focusable,selectable",
        "outline item \"Omaha 5/10\" value=\"0\" action=\"Expand\" state=collapsed,focusable,selectable",
    };
    EXPECT_EQ(Children(object.Get()), rows);
    const std::vector<acctree::Entry> counted = acctree::Walk(report, acctree::Options{0, false});
    ASSERT_GE(counted.size(), 2u);
    EXPECT_EQ(acctree::Format(counted[1]), "... 6 more") << "none listed, all counted";
    HWND found = nullptr;
    EXPECT_EQ(WindowFromAccessibleObject(object.Get(), &found), S_OK);
    EXPECT_EQ(found, report.GetSafeHwnd());
}

TEST_F(ReportAccess, PlacesStatesAndHitsFollowTheScroll) {
    Make(0, 50, 2, 80);
    report.SetTopRow(20);
    Pump();
    ComPtr<IAccessible> object = Object();
    const int top = report.TopRow(), shown = report.VisibleRows(top, false);
    ASSERT_EQ(top, 20);
    ASSERT_GT(shown, 3);
    for (int row = 0; row < 50; ++row) {
        const bool offscreen = row < top || row >= top + shown;
        EXPECT_EQ((State(object.Get(), row + 1) & STATE_SYSTEM_OFFSCREEN) != 0, offscreen) << row;
        if (offscreen) continue;
        RECT rect = RowRect(row);
        MapWindowPoints(report, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        long x, y, w, h;
        ASSERT_EQ(object->accLocation(&x, &y, &w, &h, Child(row + 1)), S_OK);
        EXPECT_EQ(y, rect.top) << row;
        EXPECT_EQ(h, rect.bottom - rect.top) << row;
        EXPECT_EQ(w, 160) << "two columns of 80";
        VARIANT hit;
        ASSERT_EQ(object->accHitTest(x + 5, y + 1, &hit), S_OK) << row;  // the last row shows only its top
        EXPECT_EQ(hit.lVal, row + 1);
    }
    // The other columns are read as the description; the header is a child
    // before the rows, found by navigation and by hit testing.
    BSTR description = nullptr;
    object->get_accDescription(Child(top + 1), &description);
    EXPECT_STREQ(description, L"Col1: row20c1");
    SysFreeString(description);
    RECT header;
    GetWindowRect(report.GetHeader(), &header);
    VARIANT hit;
    object->accHitTest(header.left + 5, header.top + 5, &hit);
    EXPECT_EQ(IdOf(hit), -1);
    struct Step {
        LONG from;
        long direction;
        LONG to;  // 0: none, -1: the header
    };
    const Step steps[] = {{CHILDID_SELF, NAVDIR_FIRSTCHILD, -1},
                          {CHILDID_SELF, NAVDIR_LASTCHILD, 50},
                          {5, NAVDIR_NEXT, 6},
                          {5, NAVDIR_UP, 4},
                          {1, NAVDIR_PREVIOUS, -1},
                          {50, NAVDIR_DOWN, 0}};
    for (const Step& s : steps) {
        VARIANT end;
        VariantInit(&end);
        object->accNavigate(s.direction, Child(s.from), &end);
        EXPECT_EQ(IdOf(end), s.to) << s.from << " " << s.direction;
    }
}

TEST_F(ReportAccess, ABadChildIdIsRefused) {
    Make(0, 3);
    ComPtr<IAccessible> object = Object();
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = nullptr;
    for (const VARIANT& bad : {Child(-1), Child(4), text})
        for (const auto& [what, call] : ChildCalls()) EXPECT_EQ(call(object.Get(), bad), E_INVALIDARG) << what;
}

// --- acting ---------------------------------------------------------------------------------

// Each flag as documented: only TAKEFOCUS moves the focus and the anchor, an
// extension leaves rows outside its range alone; the parent hears the click
// a change of selection would take, and a reader hears the events.
TEST_F(ReportAccess, SelectingNotifiesAsAClickWould) {
    Make(0, 6);
    ComPtr<IAccessible> object = Object();
    EventRecorder events(report, object.Get());
    struct Case {
        long flags;
        LONG child;
        LRESULT veto;  // the parent's answer to the click
        std::vector<std::string> notices;
        std::vector<LONG> selection;
        LONG focus;
        std::vector<std::string> events;
    };
    const long take = SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION;
    auto changed = [](int item, int state) {
        const std::string tail = " item " + std::to_string(item) + " state " + std::to_string(state);
        return std::vector<std::string>{"-2051" + tail, "-2052" + tail};
    };
    auto click = [](int item, int keys, std::vector<std::string> then) {
        then.insert(then.begin(), "-2049 item " + std::to_string(item) + " sub 0 keys " + std::to_string(keys));
        return then;
    };
    std::vector<std::string> extendRemove = changed(2, 1);
    for (const std::string& line : changed(4, 0)) extendRemove.push_back(line);
    const Case cases[] = {
        {take, 3, 0, click(2, 1, changed(2, 3)), {3}, 3, {"focus", "focus row2", "selection row2"}},
        {SELFLAG_ADDSELECTION, 5, 0, click(4, 9, changed(4, 2)), {3, 5}, 3, {"add row4"}},
        {SELFLAG_ADDSELECTION, 5, 0, {}, {3, 5}, 3, {}},  // already selected
        {SELFLAG_EXTENDSELECTION, 2, 0, click(1, 5, changed(1, 2)), {2, 3, 5}, 3, {"add row1"}},
        {SELFLAG_EXTENDSELECTION | SELFLAG_REMOVESELECTION,
         5,
         0,
         click(4, 13, extendRemove),
         {2},
         3,
         {"remove row2", "remove row4"}},
        {SELFLAG_REMOVESELECTION, 2, 0, click(1, 9, changed(1, 0)), {}, 3, {"remove row1"}},
        {SELFLAG_TAKESELECTION, 6, 0, click(5, 1, changed(5, 3)), {6}, 3, {"selection row5"}},
        {SELFLAG_TAKEFOCUS, 1, 0, {}, {6}, 1, {"focus row0"}},
        {0, 4, 0, {}, {6}, 1, {}},
        {take, 2, 1, {"-2049 item 1 sub 0 keys 1"}, {6}, 1, {}},  // the parent took the click
    };
    for (const Case& c : cases) {
        const LRESULT veto = c.veto;
        parent.answer = [veto](NMHDR& h) -> LRESULT { return h.code == NotifyClick ? veto : 0; };
        EXPECT_EQ(object->accSelect(c.flags, Child(c.child)), S_OK) << c.flags << " " << c.child;
        EXPECT_EQ(parent.Take(), c.notices) << c.flags << " " << c.child;
        EXPECT_EQ(Selection(object.Get()), c.selection) << c.flags << " " << c.child;
        VARIANT focus;
        ASSERT_EQ(object->get_accFocus(&focus), S_OK);
        EXPECT_EQ(focus.lVal, c.focus) << c.flags << " " << c.child;
        EXPECT_EQ(events.Take(report), c.events) << c.flags << " " << c.child;
    }
    // A list's rows go by number, as the platform's list view's: the focused
    // row that moves is told again under its new number.
    ReportItem above{};
    above.mask = MaskText;
    above.text = const_cast<char*>("new");
    report.InsertListItem(above);
    EXPECT_EQ(events.Take(report), (std::vector<std::string>{"reorder", "focus row0"}));
    EXPECT_EQ(object->accSelect(SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION, Child(1)), E_INVALIDARG);
    EXPECT_EQ(object->accSelect(SELFLAG_TAKESELECTION, Child(CHILDID_SELF)), E_INVALIDARG);
}

// Posted, as a click would come: nothing happens inside the reader's call.
TEST_F(ReportAccess, TheDefaultActionTogglesAGroupOrDoubleClicks) {
    Make(Tree, 2);  // g0 and g1, collapsed, two users each
    ComPtr<IAccessible> object = Object();
    parent.answer = [](NMHDR& h) -> LRESULT {
        return h.code == NotifyButtonClick && reinterpret_cast<ReportNotify&>(h).item == 3;
    };
    const std::vector<LONG> groups = Ids(object.Get());  // the header, g0, g1
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(object->accDoDefaultAction(Child(groups[1])), S_OK);
    EXPECT_EQ(parent.Take(), std::vector<std::string>{});
    Pump();
    EXPECT_EQ(parent.Take(), (std::vector<std::string>{"-2064 item 0 sub 0", "-2065 item 0 sub 0"}));
    EXPECT_NE(State(object.Get(), groups[1]) & STATE_SYSTEM_EXPANDED, 0);
    const std::vector<LONG> rows = Ids(object.Get());  // the header, g0, g0a, g0b, g1
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(object->accDoDefaultAction(Child(rows[2])), S_OK);
    EXPECT_EQ(object->accDoDefaultAction(Child(rows[4])), S_OK);
    Pump();
    EXPECT_EQ(parent.Take(), (std::vector<std::string>{"-2050 item 1 sub 0 keys 1", "-2064 item 3 sub 0"}));
    EXPECT_NE(State(object.Get(), rows[4]) & STATE_SYSTEM_COLLAPSED, 0) << "the parent refused g1";
}

TEST_F(ReportAccess, AHeldObjectFailsCleanlyOnceTheControlIsGone) {
    Make(0, 3);
    ComPtr<IAccessible> object = Object();
    EXPECT_EQ(object->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Child(1)), S_OK);
    DestroyWindow(report);
    for (const auto& [what, call] : AllCalls()) EXPECT_EQ(call(object.Get(), Child(1)), RPC_E_DISCONNECTED) << what;
    Reset();  // the control object itself goes too
    for (const auto& [what, call] : AllCalls()) EXPECT_EQ(call(object.Get(), Child(1)), RPC_E_DISCONNECTED) << what;
    EXPECT_EQ(object.Reset(), 0u);
}

// --- events ----------------------------------------------------------------------------------

// Each step's events, and what the child id of the last "focus" names after
// it: a tree's ids stay with their rows while rows come and go above them.
TEST_F(ReportAccess, EventsFollowTheUserAndBurstsCoalesce) {
    Make(Tree, 4);  // rows g0..g3, collapsed
    ComPtr<IAccessible> object = Object();
    EventRecorder events(report, object.Get());
    auto headerClick = [this] {
        NMHEADERA notice{};
        notice.hdr = {report.GetHeader(), 0, HDN_ITEMCLICKA};
        SendMessageA(report, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> events;
        const char* focus = nullptr;  // what the last "focus" names after the step
    };
    const Step steps[] = {
        // The first "focus" is the system's, for the control itself.
        {"click on g1", [&] { Click(RowPoint(1)); }, {"focus", "focus g1", "selection g1"}},
        {"key down", [&] { Key(VK_DOWN); }, {"focus g2", "selection g2"}},
        {"ctrl and a key move the focus only", [&] { Key(VK_DOWN, false, true); }, {"focus g3"}},
        {"expand g3 by its button",
         [&] {
             Click({RowRect(3).left + report.RowHeight() / 2, RowRect(3).top + 4});
         },
         {"state g3", "reorder"}},
        {"a join above the focused row",
         [&] { report.InsertItem("a", -1, -1, -1, RootNode, FirstChild, -1); },
         {"reorder"},
         "g3"},
        {"sorted down, g3 first",
         [&] {
             headerClick();
             headerClick();
         },
         {"reorder"},
         "g3"},
        {"rename g0", [&] { SetText(0, 0, "first"); }, {"name first"}},
        {"a thousand rows",
         [&] {
             for (int i = 0; i < 1000; ++i) AddTree("crowd");
         },
         {"reorder"}},
        {"focus away and back",
         [&] {
             SetFocus(parent.hwnd);
             SetFocus(report);
         },
         {"focus", "focus g3"}},
        {"hidden, nothing is told",
         [&] {
             ShowWindow(report, SW_HIDE);
             SetText(3, 0, "hidden");
         },
         {}},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(events.Take(report), s.events) << s.what;
        EXPECT_TRUE(!s.focus || EventRecorder::Name(EventRecorder::focused) == s.focus) << s.what;
    }
}

}  // namespace
}  // namespace reportwin
