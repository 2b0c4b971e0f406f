#include "lobby/chat_pane.h"

#include "lobby/chat_text.h"

namespace {
std::string WindowText(HWND window, size_t limit) {
    std::string text(limit + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(limit + 1))));
    return text;
}

// The edit's own position of byte `offset` of its text: the platform's ANSI
// edit counts bytes, Wine's counts UTF-16 units, which differ once a
// double-byte character comes before the offset.
size_t EditPosition(HWND edit, const std::string& text, size_t offset) {
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(offset), nullptr, 0);
    if (static_cast<size_t>(units) == offset) return offset;
    SendMessageA(edit, EM_SETSEL, 0, -1);
    DWORD end = 0;
    SendMessageA(edit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
    return end == text.size() ? offset : static_cast<size_t>(units);
}

void Replace(HWND edit, size_t from, size_t to, const char* text) {
    SendMessageA(edit, EM_SETSEL, from, to);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}
}  // namespace

void ChatPane::Attach(HWND displayEdit, HWND inputEdit) {
    display = displayEdit;
    input = inputEdit;
    // Appends replace a selection, which the edit's limit bounds too.
    SendMessageA(display, EM_SETLIMITTEXT, chat::kDisplayLimit, 0);
    SendMessageA(input, EM_SETLIMITTEXT, chat::kInputLimit, 0);
}

void ChatPane::Append(const std::string& text) {
    if (!display) return;
    // In place: only the dropped head and the new tail are touched, never the
    // whole text, so a full display costs no more than a short one.
    size_t length = static_cast<size_t>(GetWindowTextLengthA(display));
    chat::Trim trim;
    if (length + text.size() > chat::kDisplayLimit) {
        const std::string shown = WindowText(display, length);
        trim = chat::PlanAppend(shown, text, leadByte);
        if (trim.dropDisplay) Replace(display, 0, EditPosition(display, shown, trim.dropDisplay), "");
        length -= trim.dropDisplay;
    }
    // A position past the end stands for the end, in bytes or in characters.
    Replace(display, length, length, text.c_str() + trim.dropNew);
    const LRESULT lines = SendMessageA(display, EM_GETLINECOUNT, 0, 0);
    SendMessageA(display, EM_LINESCROLL, 0, lines);
}

std::optional<std::string> ChatPane::TakeTypedLine() {
    if (!input) return std::nullopt;
    // The limit counts characters, so a line of double-byte ones holds more bytes.
    std::optional<std::string> line =
        chat::TypedLine(WindowText(input, static_cast<size_t>(GetWindowTextLengthA(input))));
    if (line) SetWindowTextA(input, "");  // its own change reads an empty text
    return line;
}
