// Web pages: plain navigation, navigation with the login form, site pages.
#include "lobby/browser_dlg.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <optional>

#include "diag/debuglog.h"
#include "lobby/login_form.h"
#include "lobby/mailbox.h"
#include "lobby/protocol.h"
#include "lobby/resource.h"
#include "win/named_lock.h"

namespace {

using protocol::kSitePageKeys;
constexpr const char* kSiteValueNames[] = {protocol::kSitePageValue};
constexpr int kSitePageCount = static_cast<int>(std::size(kSitePageKeys));
constexpr int kSiteValueCount = static_cast<int>(std::size(kSiteValueNames));
constexpr size_t kSiteAddressRoom = 260;
// Commands 9302..9304 open the last three site pages.
constexpr int kFirstCommandPage = 3;

struct SafeArrayDeleter {
    void operator()(SAFEARRAY* array) const { SafeArrayDestroy(array); }
};
using SafeArrayOwner = std::unique_ptr<SAFEARRAY, SafeArrayDeleter>;

// A byte array holding `bytes`; null when it cannot be made.
SafeArrayOwner MakeByteArray(const std::string& bytes) {
    SafeArrayOwner array(SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
    void* data = nullptr;
    if (!array || FAILED(SafeArrayAccessData(array.get(), &data))) return nullptr;
    memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array.get());
    return array;
}

loginform::Values ReadLoginValues() {
    loginform::Values values;
    for (size_t i = 0; i < loginform::kFieldCount; i++) values[i] = ReadMailboxText(loginform::kFields[i].valueName);
    return loginform::CutToCapacity(std::move(values), dbcs::System());
}

// Each set of login values is posted at most once.
void ConsumeLoginValues() {
    WriteMailboxText(protocol::kUrl, "");
    for (const loginform::Field& field : loginform::kFields) WriteMailboxText(field.valueName, "");
}

}  // namespace

void CBrowserDlg::CreateWebView() {
    webBrowser.onCommandStateChange = [this](long command, bool enable) { OnCommandStateChange(command, enable); };
    webBrowser.Create(hwnd, IDC_WEB_VIEW);
}

void CBrowserDlg::NavigateTo(const std::string& address) {
    win::Variant url, empty;
    if (!url.SetText(address)) return;
    webBrowser.Navigate2(url.Get(), empty.Get(), empty.Get(), empty.Get(), empty.Get());
}

void CBrowserDlg::NavigateWithLogin(const std::string& address, UrlLock lock) {
    win::Variant url;
    url.SetText(address);
    // Taken before the values are read: an 8830 served while we wait posts
    // them, and they are posted once.
    std::optional<win::NamedLock> urlLock;
    if (lock == UrlLock::Take) urlLock.emplace(kUrlLockName, kLockWaitMs);
    loginform::Values values = ReadLoginValues();
    std::string body = loginform::FormatBody(values);
    for (const char* text : loginform::EmptyFieldLogTexts(values)) debugPrint(diag::kLoginErrorLog, text);
    ConsumeLoginValues();
    urlLock.reset();

    SafeArrayOwner array = MakeByteArray(body);
    if (!array) return;
    VARIANT postData;
    VariantInit(&postData);
    V_VT(&postData) = VT_ARRAY | VT_UI1;
    V_ARRAY(&postData) = array.get();  // still owned by `array`
    win::Variant flags, headers;
    V_VT(headers.Get()) = VT_BSTR;
    V_BSTR(headers.Get()) = SysAllocString(loginform::kHeaders);
    webBrowser.Navigate2(url.Get(), flags.Get(), nullptr, &postData, headers.Get());
}

bool CBrowserDlg::ReadSitePageAddress(std::string& address, int pageIndex, int valueIndex) {
    address.clear();
    if (pageIndex < 0 || pageIndex >= kSitePageCount || valueIndex < 0 || valueIndex >= kSiteValueCount) {
        return false;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSitePageKeys[pageIndex], 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char buffer[kSiteAddressRoom + 1] = {};
    DWORD size = kSiteAddressRoom;
    if (RegQueryValueExA(key, kSiteValueNames[valueIndex], nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) ==
        ERROR_SUCCESS) {
        size_t length = strnlen(buffer, size);
        // Without a terminator a value filling the whole room is too long as well.
        if (length < kSiteAddressRoom) address.assign(buffer, length);
    }
    RegCloseKey(key);
    return true;
}

void CBrowserDlg::OnWebCommand(UINT id) {
    switch (id) {
    case ID_WEB_BACK:
        webBrowser.GoBack();
        break;
    case ID_WEB_FORWARD:
        webBrowser.GoForward();
        break;
    case ID_WEB_STOP:
        webBrowser.Stop();
        break;
    case ID_WEB_RELOAD:
        webBrowser.Refresh();
        break;
    case ID_WEB_HOME:
        NavigateTo(homeAddress);
        break;
    }
}

void CBrowserDlg::OnSitePageCommand(UINT id) {
    std::string address;
    if (ReadSitePageAddress(address, kFirstCommandPage + static_cast<int>(id - ID_PAGE_OPERATOR), siteValueIndex)) {
        NavigateWithLogin(address);
    }
}

void CBrowserDlg::OnCommandStateChange(long command, bool enable) {
    const unsigned buttonId = protocol::NavigationButtonOf(command);
    if (!buttonId) return;
    if (HWND button = GetDlgItem(static_cast<int>(buttonId))) EnableWindow(button, enable);
}
