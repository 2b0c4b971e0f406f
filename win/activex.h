// Hosting an ActiveX control in one of our windows: the container side of an
// in-place embedding (client site, in-place site and frame), an event sink
// joined to the control's connection point, and late-bound method calls.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "win/wnd.h"

namespace win {

// Owner of one interface reference.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(ComPtr&& other) noexcept : ptr(std::exchange(other.ptr, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.ptr, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already holds.
    void Reset(T* p = nullptr) {
        if (ptr) ptr->Release();
        ptr = p;
    }
    // For out-parameters: drops the old reference first.
    T** Receive() {
        Reset();
        return &ptr;
    }
    template <class Q>
    HRESULT As(ComPtr<Q>& other, REFIID iid) const {
        if (!ptr) return E_POINTER;
        return ptr->QueryInterface(iid, reinterpret_cast<void**>(other.Receive()));
    }
    T* Get() const { return ptr; }
    T* operator->() const { return ptr; }
    explicit operator bool() const { return ptr != nullptr; }

private:
    T* ptr = nullptr;
};

// Owner of a VARIANT, cleared (freeing what it holds) at the end.
class Variant {
public:
    Variant() { VariantInit(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value); }
    // Holds a VT_BSTR of the 8-bit text, converted from the system code page.
    bool SetText(const std::string& text);

    VARIANT* Get() { return &value; }

private:
    VARIANT value;
};

class CAxHost : public CWnd {
public:
    using EventHandler = std::function<void(DISPID id, const DISPPARAMS& params)>;

    CAxHost() = default;
    ~CAxHost() override;

    // A plain window class for dialog templates; the control is created in it
    // by Attach. Register before the dialog is created.
    static constexpr char kHostClass[] = "MFCAxHost";
    static bool RegisterHostClass();

    // Binds to the host window `id` of `parent` and creates the control there,
    // in-place active and filling the window.
    bool Attach(HWND parent, UINT id, const CLSID& clsid);
    // Joins `handler` to the control's outgoing interface `events`.
    bool Advise(const IID& events, EventHandler handler);
    // Unadvises and releases the control; the window stays.
    void DestroyControl();

    bool HasControl() const { return static_cast<bool>(object); }
    // A method call by dispatch id, arguments in their written order.
    HRESULT InvokeMethod(DISPID id, std::initializer_list<VARIANTARG> args);
    // The object the control calls with its events (null before Advise).
    IDispatch* EventSink() const;
    // Offers a key message aimed at our window or one of its children to the
    // control's active object, as a container must before the dialog manager
    // sees it; true when the control took the key.
    bool TranslateAccelerator(MSG& msg);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    class Site;
    class Sink;
    bool CreateControl(const CLSID& clsid);
    void FitControl();

    Site* site = nullptr;
    Sink* sink = nullptr;
    ComPtr<IOleObject> object;
    ComPtr<IDispatch> dispatch;
    ComPtr<IConnectionPoint> eventPoint;
    DWORD eventCookie = 0;
};

}  // namespace win
