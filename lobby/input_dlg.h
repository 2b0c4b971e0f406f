// A small modal dialog asking for one line of text under a prompt.
#pragma once
#include <string>

#include "win/dialog.h"

class CInputDlg : public win::CDialog {
public:
    static constexpr size_t kMaxTextLength = 21;

    explicit CInputDlg(HWND parent = nullptr);

    // Set before DoModal; after IDOK `text` holds what the user entered.
    std::string text;
    std::string prompt;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
