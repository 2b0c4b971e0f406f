#include "skin/button_accessible.h"

#include <new>

namespace {
constexpr char kPress[] = "Press";
}  // namespace

ButtonAccessible* ButtonAccessible::Create(HWND button, const std::string& name, const std::string& description) {
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(button, OBJID_CLIENT, win::kIidAccessible, reinterpret_cast<void**>(&standard))) ||
        !standard)
        return nullptr;
    auto* made = new (std::nothrow) ButtonAccessible(button, standard, name, description);
    if (!made) standard->Release();
    return made;
}

ButtonAccessible::~ButtonAccessible() {
    if (standard) standard->Release();
}

void ButtonAccessible::Disconnect() {
    if (!standard) return;
    standard->Release();
    standard = nullptr;
    DisconnectClients();
}

HRESULT ButtonAccessible::Self(const VARIANT& child) const {
    if (!standard) return win::kAccessibleGone;
    LONG id;
    return win::ChildIdOf(child, id) && id == CHILDID_SELF ? S_OK : E_INVALIDARG;
}

// --- what the button's window cannot tell ---------------------------------------------

HRESULT ButtonAccessible::get_accName(VARIANT child, BSTR* out) {
    win::ClearOut(out);
    const HRESULT self = Self(child);
    return self == S_OK ? win::TextResult(name, out) : self;
}

HRESULT ButtonAccessible::get_accDescription(VARIANT child, BSTR* out) {
    win::ClearOut(out);
    const HRESULT self = Self(child);
    return self == S_OK ? win::TextResult(description, out) : self;
}

HRESULT ButtonAccessible::get_accRole(VARIANT child, VARIANT* out) {
    win::ClearOut(out);
    const HRESULT self = Self(child);
    if (self != S_OK) return self;
    if (!out) return E_POINTER;
    win::SetChildId(out, ROLE_SYSTEM_PUSHBUTTON);
    return S_OK;
}

HRESULT ButtonAccessible::get_accDefaultAction(VARIANT child, BSTR* out) {
    win::ClearOut(out);
    const HRESULT self = Self(child);
    return self == S_OK ? win::TextResult(kPress, out) : self;
}

// Posted as the button's own click would tell its parent: the client is not
// kept waiting for what the command does (Exit ends the window). Refused
// where a click would be: also while a modal dialog has disabled the window.
HRESULT ButtonAccessible::accDoDefaultAction(VARIANT child) {
    const HRESULT self = Self(child);
    if (self != S_OK) return self;
    if (!IsWindowEnabled(button) || !IsWindowVisible(button) || !IsWindowEnabled(GetAncestor(button, GA_ROOT)))
        return E_FAIL;
    const int id = GetDlgCtrlID(button);
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return S_OK;
}

// --- the rest is the standard object's -------------------------------------------------

HRESULT ButtonAccessible::get_accParent(IDispatch** out) {
    win::ClearOut(out);
    return standard ? standard->get_accParent(out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::get_accChildCount(long* out) {
    win::ClearOut(out);
    return standard ? standard->get_accChildCount(out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::get_accChild(VARIANT child, IDispatch** out) {
    win::ClearOut(out);
    return standard ? standard->get_accChild(child, out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::get_accValue(VARIANT child, BSTR* out) {
    win::ClearOut(out);
    return standard ? standard->get_accValue(child, out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::get_accState(VARIANT child, VARIANT* out) {
    win::ClearOut(out);
    return standard ? standard->get_accState(child, out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::get_accHelp(VARIANT child, BSTR* out) {
    win::ClearOut(out);
    return standard ? standard->get_accHelp(child, out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    win::ClearOut(file, topic);
    return standard ? standard->get_accHelpTopic(file, child, topic) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* out) {
    win::ClearOut(out);
    return standard ? standard->get_accKeyboardShortcut(child, out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::get_accFocus(VARIANT* out) {
    win::ClearOut(out);
    return standard ? standard->get_accFocus(out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::get_accSelection(VARIANT* out) {
    win::ClearOut(out);
    return standard ? standard->get_accSelection(out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::accSelect(long flags, VARIANT child) {
    return standard ? standard->accSelect(flags, child) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::accLocation(long* x, long* y, long* width, long* height, VARIANT child) {
    win::ClearOut(x, y, width, height);
    return standard ? standard->accLocation(x, y, width, height, child) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    win::ClearOut(end);
    return standard ? standard->accNavigate(direction, start, end) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::accHitTest(long x, long y, VARIANT* out) {
    win::ClearOut(out);
    return standard ? standard->accHitTest(x, y, out) : win::kAccessibleGone;
}

HRESULT ButtonAccessible::put_accName(VARIANT, BSTR) { return standard ? DISP_E_MEMBERNOTFOUND : win::kAccessibleGone; }

HRESULT ButtonAccessible::put_accValue(VARIANT, BSTR) {
    return standard ? DISP_E_MEMBERNOTFOUND : win::kAccessibleGone;
}
