// Serving assistive technology through IAccessible: a base object that counts
// its references and answers IUnknown, IOleWindow and the IDispatch part
// (which clients of IAccessible do not need: they call its own table), the
// helpers every server needs, and an enumerator of child ids.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace win {

// IAccessible's interface id. The import libraries' IID_IAccessible is an
// import of oleacc, not the id itself, so this project names its own.
inline constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// What every call answers once the object's window is gone.
constexpr HRESULT kAccessibleGone = RPC_E_DISCONNECTED;

// The answer to WM_GETOBJECT that hands `object` to the asking client.
LRESULT AccessibleResult(IAccessible* object, WPARAM wp);
// The child id a variant names: VT_I4, or VT_EMPTY for the object itself.
bool ChildIdOf(const VARIANT& child, LONG& id);
void SetChildId(VARIANT* out, LONG id);
// A text of the system code page as the caller's string; S_FALSE and none
// when it is empty.
HRESULT TextResult(const std::string& text, BSTR* out);
// "Not there" in each of the out forms IAccessible uses.
HRESULT NoText(BSTR* out);
HRESULT NoChild(VARIANT* out);
// Every call clears its out-parameters first, as the platform's own objects
// do: a failure must not leave the caller's old value looking like an answer.
inline void Clear(BSTR* out) {
    if (out) *out = nullptr;
}
inline void Clear(VARIANT* out) {
    if (out) VariantInit(out);
}
inline void Clear(IDispatch** out) {
    if (out) *out = nullptr;
}
inline void Clear(long* out) {
    if (out) *out = 0;
}
template <class... Out>
void ClearOut(Out... outs) {
    (Clear(outs), ...);
}

class AccessibleBase : public IAccessible, public IOleWindow {
public:
    AccessibleBase(const AccessibleBase&) = delete;
    AccessibleBase& operator=(const AccessibleBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // Lets WindowFromAccessibleObject find the window without asking the parent.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;

protected:
    AccessibleBase() = default;
    virtual ~AccessibleBase() = default;
    // The window the object speaks for; none once it is gone.
    virtual HWND Window() const = 0;
    // Cuts off the clients in other processes: their calls fail from now on.
    void DisconnectClients();

private:
    LONG refs = 1;
};

// An IEnumVARIANT over VT_I4 child ids (a selection of several children).
class ChildEnum : public IEnumVARIANT {
public:
    explicit ChildEnum(std::vector<LONG> ids, size_t at = 0) : ids(std::move(ids)), at(at) {}
    ChildEnum(const ChildEnum&) = delete;
    ChildEnum& operator=(const ChildEnum&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override;

private:
    virtual ~ChildEnum() = default;
    std::vector<LONG> ids;
    size_t at;
    LONG refs = 1;
};

}  // namespace win
