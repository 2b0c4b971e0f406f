// What a screen reader reads of a skinned button: the platform's standard
// object of its window, with the name and description the button is given
// (its window text is an internal caption), the push button's role and a
// default action that clicks it. The window is held weakly: after
// Disconnect every call fails.
#pragma once
#include <windows.h>

#include <string>

#include "win/accessible.h"

class ButtonAccessible : public win::AccessibleBase {
public:
    // One reference, the caller's; null when the standard object cannot be made.
    static ButtonAccessible* Create(HWND button, const std::string& name, const std::string& description);
    void Disconnect();

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

protected:
    HWND Window() const override { return standard ? button : nullptr; }

private:
    ButtonAccessible(HWND button, IAccessible* standard, std::string name, std::string description)
        : button(button), standard(standard), name(std::move(name)), description(std::move(description)) {}
    ~ButtonAccessible() override;
    // S_OK for the button itself, else why not.
    HRESULT Self(const VARIANT& child) const;

    HWND button;
    IAccessible* standard;  // none once disconnected
    std::string name, description;
};
