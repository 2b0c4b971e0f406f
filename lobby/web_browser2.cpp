#include "lobby/web_browser2.h"

#include <exdisp.h>

// {8856F961-340A-11D0-A96B-00C04FD705A2}
const CLSID CWebBrowser2::kClsid = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

namespace {

VARIANTARG ByReference(VARIANT* value) {
    VARIANTARG arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&arg) = value;
    return arg;
}

// An event argument as the wanted type; false when it cannot be one.
bool ArgumentAs(const VARIANTARG& arg, VARTYPE type, VARIANT& out) {
    VariantInit(&out);
    const VARIANTARG* source = &arg;
    if (V_VT(&arg) == (VT_VARIANT | VT_BYREF)) source = V_VARIANTREF(&arg);
    return source && SUCCEEDED(VariantChangeType(&out, const_cast<VARIANTARG*>(source), 0, type));
}

}  // namespace

bool CWebBrowser2::Create(HWND parent, UINT id) {
    if (!Attach(parent, id, kClsid)) return false;
    return Advise(DIID_DWebBrowserEvents2, [this](DISPID event, const DISPPARAMS& params) { OnEvent(event, params); });
}

HRESULT CWebBrowser2::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                                VARIANT* headers) {
    return InvokeMethod(kNavigate2, {ByReference(url), ByReference(flags), ByReference(targetFrameName),
                                     ByReference(postData), ByReference(headers)});
}

void CWebBrowser2::OnEvent(DISPID id, const DISPPARAMS& params) {
    if (id != kCommandStateChange || params.cArgs != 2 || !onCommandStateChange) return;
    // Last argument first: rgvarg[1] is the command, rgvarg[0] the flag.
    VARIANT command, enable;
    if (!ArgumentAs(params.rgvarg[1], VT_I4, command) || !ArgumentAs(params.rgvarg[0], VT_BOOL, enable)) return;
    onCommandStateChange(V_I4(&command), V_BOOL(&enable) != VARIANT_FALSE);
}
