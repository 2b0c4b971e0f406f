#include "lobby/mailbox.h"

#include <windows.h>

#include "lobby/protocol.h"

std::optional<std::string> ReadMailbox(const char* keyPath, const char* valueName) {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath, &key) != ERROR_SUCCESS) return std::nullopt;
    char buffer[protocol::kMailboxRoom + 1] = {};
    DWORD size = protocol::kMailboxRoom;
    LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::string();
    // Stored without terminator, a value of exactly 260 characters still fits
    // the room; it is as much too long as any longer one.
    std::string text(buffer, strnlen(buffer, size));
    if (text.size() > protocol::kMailboxMaxLength) return std::string();
    return text;
}

bool WriteMailbox(const char* keyPath, const char* valueName, const std::string& text) {
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, keyPath, &key) != ERROR_SUCCESS) return false;
    // The registry stores a terminator it finds right behind the data; a guard
    // byte keeps the stored value exactly the text's length.
    std::string guarded = text + '!';
    RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(guarded.data()),
                   static_cast<DWORD>(text.size()));
    RegCloseKey(key);
    return true;
}

std::string ReadMailboxText(const char* valueName) {
    return ReadMailbox(protocol::kMailboxKey, valueName).value_or(std::string());
}

bool WriteMailboxText(const char* valueName, const std::string& text) {
    return WriteMailbox(protocol::kMailboxKey, valueName, text);
}
