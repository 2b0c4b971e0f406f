#include "win/accessible.h"

#include <new>
#include <utility>

namespace win {

LRESULT AccessibleResult(IAccessible* object, WPARAM wp) { return LresultFromObject(kIidAccessible, wp, object); }

bool ChildIdOf(const VARIANT& child, LONG& id) {
    if (child.vt == VT_EMPTY) {
        id = CHILDID_SELF;
        return true;
    }
    if (child.vt != VT_I4) return false;
    id = child.lVal;
    return true;
}

void SetChildId(VARIANT* out, LONG id) {
    out->vt = VT_I4;
    out->lVal = id;
}

HRESULT TextResult(const std::string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    *out = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!*out) return E_OUTOFMEMORY;
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), *out, length);
    return S_OK;
}

HRESULT NoText(BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
}

HRESULT NoChild(VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    return S_FALSE;
}

// --- AccessibleBase ------------------------------------------------------------------

HRESULT AccessibleBase::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible)
        *out = static_cast<IAccessible*>(this);
    else if (iid == IID_IOleWindow)
        *out = static_cast<IOleWindow*>(this);
    else
        *out = nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG AccessibleBase::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs)); }

ULONG AccessibleBase::Release() {
    const LONG left = InterlockedDecrement(&refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT AccessibleBase::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT AccessibleBase::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT AccessibleBase::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT AccessibleBase::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

HRESULT AccessibleBase::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = Window();
    return *window ? S_OK : kAccessibleGone;
}

HRESULT AccessibleBase::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

void AccessibleBase::DisconnectClients() { CoDisconnectObject(static_cast<IAccessible*>(this), 0); }

// --- ChildEnum -------------------------------------------------------------------------

HRESULT ChildEnum::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = iid == IID_IUnknown || iid == IID_IEnumVARIANT ? static_cast<IEnumVARIANT*>(this) : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG ChildEnum::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs)); }

ULONG ChildEnum::Release() {
    const LONG left = InterlockedDecrement(&refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT ChildEnum::Next(ULONG count, VARIANT* out, ULONG* fetched) {
    if (!out && count) return E_POINTER;
    ULONG given = 0;
    for (; given < count && at < ids.size(); ++given) SetChildId(&out[given], ids[at++]);
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

HRESULT ChildEnum::Skip(ULONG count) {
    const size_t left = ids.size() - at;
    at += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
}

HRESULT ChildEnum::Reset() {
    at = 0;
    return S_OK;
}

HRESULT ChildEnum::Clone(IEnumVARIANT** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) ChildEnum(ids, at);
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace win
