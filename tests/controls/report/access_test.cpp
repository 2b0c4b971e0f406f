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

constexpr int kSettleMs = 300;

VARIANT Child(LONG id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// One call of each kind, on a child where it takes one.
using Call = std::function<HRESULT(IAccessible*, VARIANT)>;
std::vector<std::pair<const char*, Call>> ChildCalls() {
    auto text = [](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
        return [get](IAccessible* a, VARIANT v) {
            BSTR s = nullptr;
            const HRESULT hr = (a->*get)(v, &s);
            SysFreeString(s);
            return hr;
        };
    };
    auto variant = [](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
        return [get](IAccessible* a, VARIANT v) {
            VARIANT out;
            VariantInit(&out);
            const HRESULT hr = (a->*get)(v, &out);
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
             IDispatch* d = nullptr;
             const HRESULT hr = a->get_accChild(v, &d);
             if (d) d->Release();
             return hr;
         }},
        {"location",
         [](IAccessible* a, VARIANT v) {
             long x, y, w, h;
             return a->accLocation(&x, &y, &w, &h, v);
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

// The events raised for one window's client area, as lines: "focus 3",
// "selection 3", "add 4", "remove 2", "within", "state 1", "reorder", "name 2".
class EventRecorder {
public:
    explicit EventRecorder(HWND target) {
        window = target;
        lines = &recorded;
        hook = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_NAMECHANGE, nullptr, Record, GetCurrentProcessId(), 0,
                               WINEVENT_OUTOFCONTEXT);
    }
    ~EventRecorder() {
        UnhookWinEvent(hook);
        lines = nullptr;
    }
    std::vector<std::string> Take() { return std::exchange(recorded, {}); }

private:
    static void CALLBACK Record(HWINEVENTHOOK, DWORD event, HWND from, LONG object, LONG child, DWORD, DWORD) {
        if (!lines || from != window || object != OBJID_CLIENT) return;
        static const std::pair<DWORD, const char*> kNames[] = {
            {EVENT_OBJECT_REORDER, "reorder"},        {EVENT_OBJECT_FOCUS, "focus"},
            {EVENT_OBJECT_SELECTION, "selection"},    {EVENT_OBJECT_SELECTIONADD, "add"},
            {EVENT_OBJECT_SELECTIONREMOVE, "remove"}, {EVENT_OBJECT_SELECTIONWITHIN, "within"},
            {EVENT_OBJECT_STATECHANGE, "state"},      {EVENT_OBJECT_NAMECHANGE, "name"},
        };
        for (const auto& [code, name] : kNames)
            if (code == event)
                lines->push_back(std::string(name) + (child != CHILDID_SELF ? " " + std::to_string(child) : ""));
    }
    static inline HWND window = nullptr;
    static inline std::vector<std::string>* lines = nullptr;
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
    // What the tool prints of a child, without its place (which follows the font).
    static std::string Line(IAccessible* object, LONG child) {
        acctree::Entry entry = acctree::Describe(object, child);
        entry.located = false;
        return acctree::Format(entry);
    }
    static std::vector<std::string> Children(IAccessible* object) {
        long count = 0;
        object->get_accChildCount(&count);
        std::vector<VARIANT> kids(static_cast<size_t>(count));
        LONG got = 0;
        EXPECT_TRUE(SUCCEEDED(AccessibleChildren(object, 0, count, kids.data(), &got)));
        std::vector<std::string> lines;
        for (LONG i = 0; i < got; ++i) {
            EXPECT_EQ(kids[static_cast<size_t>(i)].vt, VT_I4) << "rows are simple children";
            EXPECT_EQ(kids[static_cast<size_t>(i)].lVal, i + 1) << "child id = row + 1";
            lines.push_back(Line(object, kids[static_cast<size_t>(i)].lVal));
        }
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
    // Past the control's quiet interval: its events have gone out.
    void Settle() {
        const DWORD end = GetTickCount() + kSettleMs;
        while (static_cast<int>(end - GetTickCount()) > 0) {
            Pump();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
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
        "outline item \"Lobby All User\" value=\"0\" state=collapsed,focusable,selectable",
        "outline item \"Hold'em 10/20\" value=\"0\" state=expanded,focusable,selectable",
        "outline item \"MARLOW\" value=\"1\" state=focusable,selectable",
        "outline item \"ESTRID\" value=\"1\" state=focusable,selectable",
        "outline item \"Omaha 5/10\" value=\"0\" state=collapsed,focusable,selectable",
    };
    EXPECT_EQ(Children(object.Get()), rows);
    BSTR action = nullptr;
    object->get_accDefaultAction(Child(2), &action);
    EXPECT_STREQ(action, L"Collapse");
    SysFreeString(action);
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
    // Navigation by rows, and out of the ends.
    struct Step {
        LONG from;
        long direction;
        LONG to;  // 0: none
    };
    const Step steps[] = {{CHILDID_SELF, NAVDIR_FIRSTCHILD, 1},
                          {CHILDID_SELF, NAVDIR_LASTCHILD, 50},
                          {5, NAVDIR_NEXT, 6},
                          {5, NAVDIR_UP, 4},
                          {1, NAVDIR_PREVIOUS, 0},
                          {50, NAVDIR_DOWN, 0}};
    for (const Step& s : steps) {
        VARIANT end;
        VariantInit(&end);
        object->accNavigate(s.direction, Child(s.from), &end);
        EXPECT_EQ(end.vt == VT_I4 ? end.lVal : 0, s.to) << s.from << " " << s.direction;
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

TEST_F(ReportAccess, SelectingNotifiesAsAClickWould) {
    Make(0, 6);
    ComPtr<IAccessible> object = Object();
    const std::string click = std::to_string(static_cast<int32_t>(NotifyClick));
    struct Case {
        long flags;
        LONG child;
        LRESULT veto;  // the parent's answer to the click
        std::vector<std::string> notices;
        std::vector<LONG> selection;
        LONG focus;
    };
    const long take = SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION;
    const Case cases[] = {
        {take, 3, 0, {"-2049 item 2 sub 0 keys 1", "-2051 item 2 state 3", "-2052 item 2 state 3"}, {3}, 3},
        {SELFLAG_ADDSELECTION,
         5,
         0,
         {"-2049 item 4 sub 0 keys 9", "-2051 item 4 state 3", "-2052 item 4 state 3"},
         {3, 5},
         5},
        {SELFLAG_ADDSELECTION, 5, 0, {}, {3, 5}, 5},  // already selected
        {SELFLAG_EXTENDSELECTION,
         6,
         0,
         {"-2049 item 5 sub 0 keys 5", "-2051 item 5 state 3", "-2052 item 5 state 3", "-2051 item 2 state 0",
          "-2052 item 2 state 0"},
         {5, 6},
         6},
        {SELFLAG_REMOVESELECTION,
         5,
         0,
         {"-2049 item 4 sub 0 keys 9", "-2051 item 4 state 1", "-2052 item 4 state 1"},
         {6},
         5},
        {SELFLAG_TAKEFOCUS, 1, 0, {}, {6}, 1},
        {take, 2, 1, {"-2049 item 1 sub 0 keys 1"}, {6}, 1},  // the parent took the click
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
    }
    EXPECT_EQ(object->accSelect(SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION, Child(1)), E_INVALIDARG);
    EXPECT_EQ(object->accSelect(SELFLAG_TAKESELECTION, Child(CHILDID_SELF)), E_INVALIDARG);
}

TEST_F(ReportAccess, TheDefaultActionTogglesAGroupAsItsButtonDoes) {
    Make(Tree, 2);  // g0 and g1, collapsed, two users each
    ComPtr<IAccessible> object = Object();
    parent.answer = [](NMHDR& h) -> LRESULT {
        return h.code == NotifyButtonClick && reinterpret_cast<ReportNotify&>(h).item == 3;
    };
    EXPECT_EQ(object->accDoDefaultAction(Child(1)), S_OK);
    EXPECT_EQ(parent.Take(), (std::vector<std::string>{"-2064 item 0 sub 0", "-2065 item 0 sub 0"}));
    long count = 0;
    object->get_accChildCount(&count);
    EXPECT_EQ(count, 4);
    EXPECT_NE(State(object.Get(), 1) & STATE_SYSTEM_EXPANDED, 0);
    EXPECT_EQ(object->accDoDefaultAction(Child(2)), DISP_E_MEMBERNOTFOUND) << "a user has no action";
    EXPECT_EQ(object->accDoDefaultAction(Child(4)), S_FALSE) << "the parent refuses g1";
    EXPECT_NE(State(object.Get(), 4) & STATE_SYSTEM_COLLAPSED, 0);
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

TEST_F(ReportAccess, EventsFollowTheUserAndBurstsCoalesce) {
    Make(Tree, 4);  // rows g0..g3, collapsed
    EventRecorder events(report);
    auto headerClick = [this] {
        NMHEADERA notice{};
        notice.hdr = {report.GetHeader(), 0, HDN_ITEMCLICKA};
        SendMessageA(report, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> events;
    };
    const Step steps[] = {
        // The first "focus" is the system's, for the control itself.
        {"click on g1", [&] { Click(RowPoint(1)); }, {"focus", "focus 2", "selection 2"}},
        {"key down", [&] { Key(VK_DOWN); }, {"focus 3", "selection 3"}},
        {"ctrl and a key move the focus only", [&] { Key(VK_DOWN, false, true); }, {"focus 4"}},
        {"expand g3 by its button",
         [&] {
             Click({RowRect(3).left + report.RowHeight() / 2, RowRect(3).top + 4});
         },
         {"state 4", "reorder"}},
        {"sort", headerClick, {"reorder"}},
        {"rename g0", [&] { SetText(0, 0, "first"); }, {"name 1"}},
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
         {"focus", "focus 4"}},
        {"hidden, nothing is told",
         [&] {
             ShowWindow(report, SW_HIDE);
             SetText(3, 0, "hidden");
         },
         {}},
    };
    for (const Step& s : steps) {
        s.act();
        Settle();
        EXPECT_EQ(events.Take(), s.events) << s.what;
    }
}

}  // namespace
}  // namespace reportwin
