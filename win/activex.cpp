#include "win/activex.h"

#include <algorithm>
#include <vector>

namespace win {

bool Variant::SetText(const std::string& text) {
    VariantClear(&value);
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR converted = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!converted) return false;
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), converted, length);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = converted;
    return true;
}

// The container as the control sees it. One object serves all three site
// interfaces; their shared IOleWindow members are the same for each.
class CAxHost::Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit Site(HWND window) : window(window) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
            *out = static_cast<IOleClientSite*>(this);
        } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
            *out = static_cast<IOleInPlaceSite*>(this);
        } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
            *out = static_cast<IOleInPlaceFrame*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = window;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        *frame = this;
        AddRef();
        *document = nullptr;
        GetClientRect(window, position);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(window, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow: no tool space, no menus to merge.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    // The control's keys go through this object while it is active.
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
        if (object) object->AddRef();
        active.Reset(object);
        return S_OK;
    }

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    IOleInPlaceActiveObject* ActiveObject() const { return active.Get(); }
    // The active object holds us as its site: dropped before the control goes.
    void ForgetActiveObject() { active.Reset(); }

private:
    ~Site() = default;
    LONG refs = 1;
    HWND window;
    ComPtr<IOleInPlaceActiveObject> active;
};

// Receives the control's events through its outgoing dispatch interface.
class CAxHost::Sink final : public IDispatch {
public:
    Sink(const IID& events, EventHandler handler) : events(events), handler(std::move(handler)) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == events) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        // A copy: the handler may detach us while it runs.
        EventHandler call = handler;
        if (call && params) call(id, *params);
        return S_OK;
    }

    // The control may keep us past our owner; from now on events go nowhere.
    void Detach() { handler = nullptr; }

private:
    ~Sink() = default;
    LONG refs = 1;
    IID events;
    EventHandler handler;
};

CAxHost::~CAxHost() { DestroyControl(); }

bool CAxHost::RegisterHostClass() {
    // The default procedure only: Attach subclasses the window it finds.
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kHostClass;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CAxHost::Attach(HWND parent, UINT id, const CLSID& clsid) {
    if (!hwnd && !SubclassDlgItem(id, parent)) return false;
    return CreateControl(clsid);
}

bool CAxHost::CreateControl(const CLSID& clsid) {
    if (object) return true;
    ComPtr<IOleObject> created;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(created.Receive())))) {
        return false;
    }
    if (!site) site = new Site(hwnd);
    IOleClientSite* clientSite = site;
    DWORD misc = 0;
    created->GetMiscStatus(DVASPECT_CONTENT, &misc);
    bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) created->SetClientSite(clientSite);
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(created.As(persist, IID_IPersistStreamInit))) persist->InitNew();
    if (!siteFirst) created->SetClientSite(clientSite);

    RECT rect;
    GetClientRect(hwnd, &rect);
    if (FAILED(created->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, hwnd, &rect))) {
        created->SetClientSite(nullptr);
        created->Close(OLECLOSE_NOSAVE);
        return false;
    }
    created.As(dispatch, IID_IDispatch);
    object = std::move(created);
    return true;
}

bool CAxHost::Advise(const IID& events, EventHandler handler) {
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(object.As(container, IID_IConnectionPointContainer))) return false;
    ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(events, point.Receive()))) return false;
    auto* created = new Sink(events, std::move(handler));
    DWORD cookie = 0;
    if (FAILED(point->Advise(created, &cookie))) {
        created->Release();
        return false;
    }
    if (eventPoint) eventPoint->Unadvise(eventCookie);
    if (sink) {
        sink->Detach();
        sink->Release();
    }
    sink = created;
    eventPoint = std::move(point);
    eventCookie = cookie;
    return true;
}

IDispatch* CAxHost::EventSink() const { return sink; }

bool CAxHost::TranslateAccelerator(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !hwnd || !site) return false;
    if (msg.hwnd != hwnd && !IsChild(hwnd, msg.hwnd)) return false;
    // Held for the call: the key may close the control and with it the site.
    ComPtr<IOleInPlaceActiveObject> active;
    if (IOleInPlaceActiveObject* current = site->ActiveObject()) {
        current->AddRef();
        active.Reset(current);
    }
    return active && active->TranslateAccelerator(&msg) == S_OK;
}

void CAxHost::DestroyControl() {
    // Events stop first, so that none reaches an owner being torn down. The
    // control leaves in-place activity while our window, its parent, still
    // exists; then it drops its site, so that Close calls nothing of ours.
    if (eventPoint) eventPoint->Unadvise(eventCookie);
    eventPoint.Reset();
    if (sink) {
        sink->Detach();
        sink->Release();
        sink = nullptr;
    }
    dispatch.Reset();
    if (object) {
        ComPtr<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(object.As(inPlace, IID_IOleInPlaceObject))) inPlace->InPlaceDeactivate();
        if (site) site->ForgetActiveObject();
        object->SetClientSite(nullptr);
        object->Close(OLECLOSE_NOSAVE);
        object.Reset();
    }
    if (site) {
        static_cast<IOleClientSite*>(site)->Release();
        site = nullptr;
    }
}

HRESULT CAxHost::InvokeMethod(DISPID id, std::initializer_list<VARIANTARG> args) {
    if (!dispatch) return E_POINTER;
    // Dispatch arguments travel last to first.
    std::vector<VARIANTARG> reversed(args);
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void CAxHost::FitControl() {
    ComPtr<IOleInPlaceObject> inPlace;
    if (FAILED(object.As(inPlace, IID_IOleInPlaceObject))) return;
    RECT rect;
    GetClientRect(hwnd, &rect);
    inPlace->SetObjectRects(&rect, &rect);
}

LRESULT CAxHost::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE) FitControl();
    if (msg == WM_DESTROY) DestroyControl();
    return CWnd::WindowProc(msg, wp, lp);
}

}  // namespace win
