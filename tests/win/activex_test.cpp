// The ActiveX container's key handling against a stand-in control: the object
// that the control makes active is offered the keys aimed at the control's
// windows before the dialog manager sees them, and can claim them.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <vector>

#include "win/activex.h"

namespace {

// {5B0F4C2E-8D1A-4F67-9E21-3C7A5D90B1E4}
const CLSID kFakeClsid = {0x5b0f4c2e, 0x8d1a, 0x4f67, {0x9e, 0x21, 0x3c, 0x7a, 0x5d, 0x90, 0xb1, 0xe4}};

// In-place activation makes itself the frame's active object, as a web view
// does; it records every key it is offered and claims Tab.
class FakeControl final : public IOleObject, public IOleInPlaceActiveObject {
public:
    struct Offer {
        UINT message;
        WPARAM key;
    };
    static std::vector<Offer> offers;
    static HWND lastWindow;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IOleObject) {
            *out = static_cast<IOleObject*>(this);
        } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceActiveObject) {
            *out = static_cast<IOleInPlaceActiveObject*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs;
        if (left == 0) delete this;
        return left;
    }

    // IOleObject: only what a container calls to embed and close a control.
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        if (site) site->AddRef();
        if (clientSite) clientSite->Release();
        clientSite = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override {
        if (window) DestroyWindow(window);
        window = nullptr;
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override {
        IOleInPlaceSite* inPlace = nullptr;
        if (!site || FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))))
            return E_FAIL;
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* document = nullptr;
        RECT position, clip;
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        HRESULT hr = inPlace->GetWindowContext(&frame, &document, &position, &clip, &info);
        inPlace->Release();
        if (FAILED(hr)) return hr;
        if (document) document->Release();
        frame->SetActiveObject(this, L"fake");
        frame->Release();
        window = lastWindow =
            CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, rect->left, rect->top, rect->right - rect->left,
                            rect->bottom - rect->top, parent, nullptr, nullptr, nullptr);
        return S_OK;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        *status = OLEMISC_SETCLIENTSITEFIRST;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* out) override {
        *out = window;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override {
        offers.push_back({msg->message, msg->wParam});
        return msg->message == WM_KEYDOWN && msg->wParam == VK_TAB ? S_OK : S_FALSE;
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

private:
    ~FakeControl() {
        if (clientSite) clientSite->Release();
    }
    ULONG refs = 1;
    IOleClientSite* clientSite = nullptr;
    HWND window = nullptr;
};

std::vector<FakeControl::Offer> FakeControl::offers;
HWND FakeControl::lastWindow = nullptr;

class FakeFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* control = new FakeControl;
        HRESULT hr = control->QueryInterface(iid, out);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

class ActiveObjectKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_TRUE(SUCCEEDED(
            CoRegisterClassObject(kFakeClsid, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registration)));
        ASSERT_TRUE(win::CAxHost::RegisterHostClass());
        frame = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
        CreateWindowExA(0, win::CAxHost::kHostClass, "", WS_CHILD, 0, 0, 100, 100, frame,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kHostId)), nullptr, nullptr);
        sibling = CreateWindowExA(0, "EDIT", "", WS_CHILD, 100, 0, 100, 20, frame, nullptr, nullptr, nullptr);
        FakeControl::offers.clear();
        ASSERT_TRUE(host.Attach(frame, kHostId, kFakeClsid));
        controlWindow = FakeControl::lastWindow;
        ASSERT_TRUE(IsChild(host.GetSafeHwnd(), controlWindow));
    }
    void TearDown() override {
        host.DestroyControl();
        DestroyWindow(frame);
        CoRevokeClassObject(registration);
        OleUninitialize();
    }

    bool Offer(HWND target, UINT message, WPARAM key) {
        MSG msg{target, message, key, 0, 0, {0, 0}};
        return host.TranslateAccelerator(msg);
    }

    static constexpr UINT kHostId = 1002;
    FakeFactory factory;
    DWORD registration = 0;
    win::CAxHost host;
    HWND frame = nullptr;
    HWND sibling = nullptr;
    HWND controlWindow = nullptr;
};

TEST_F(ActiveObjectKeys, KeysAimedAtTheControlAreOfferedFirst) {
    struct Case {
        const char* what;
        bool atControl;  // else at a window beside the host
        UINT message;
        WPARAM key;
        bool offered;
        bool claimed;
    };
    const Case cases[] = {
        {"Tab in the page", true, WM_KEYDOWN, VK_TAB, true, true},
        {"Enter in the page", true, WM_KEYDOWN, VK_RETURN, true, false},
        {"a character", true, WM_CHAR, 'a', true, false},
        {"a key coming up", true, WM_KEYUP, VK_DOWN, true, false},
        {"Alt shortcut", true, WM_SYSKEYDOWN, 'F', true, false},
        {"not a key", true, WM_MOUSEMOVE, 0, false, false},
        {"Tab beside the host", false, WM_KEYDOWN, VK_TAB, false, false},
    };
    for (const Case& c : cases) {
        FakeControl::offers.clear();
        EXPECT_EQ(Offer(c.atControl ? controlWindow : sibling, c.message, c.key), c.claimed) << c.what;
        ASSERT_EQ(FakeControl::offers.size(), c.offered ? 1u : 0u) << c.what;
        if (c.offered) {
            EXPECT_EQ(FakeControl::offers[0].message, c.message) << c.what;
        }
    }
    // The host window itself counts as the control's.
    FakeControl::offers.clear();
    EXPECT_TRUE(Offer(host.GetSafeHwnd(), WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(FakeControl::offers.size(), 1u);
}

TEST_F(ActiveObjectKeys, NothingIsOfferedOnceTheControlIsGone) {
    host.DestroyControl();
    FakeControl::offers.clear();
    EXPECT_FALSE(Offer(host.GetSafeHwnd(), WM_KEYDOWN, VK_TAB));
    EXPECT_TRUE(FakeControl::offers.empty());
}

}  // namespace
