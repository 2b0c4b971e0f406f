// The lobby chat's two edits: the conversation display (edit 1014), trimmed
// in place, and the one-line input (edit 1015).
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "controls/report/cell_string.h"

class ChatPane {
public:
    // `leadByte` tells the first byte of a double-byte character.
    explicit ChatPane(report::LeadByteTest leadByte) : leadByte(leadByte) {}
    // Both edits of the dialog; sets their limits.
    void Attach(HWND display, HWND input);
    // Appends text at the end of the display, leading lines dropped to keep
    // it within its limit, and scrolls to the end.
    void Append(const std::string& text);
    // Each change of the input: the line Enter ended, the input then emptied;
    // nothing while the user is typing. An empty line is not to be sent.
    std::optional<std::string> TakeTypedLine();

private:
    HWND display = nullptr;
    HWND input = nullptr;
    report::LeadByteTest leadByte;
};
