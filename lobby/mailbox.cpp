#include "lobby/mailbox.h"

#include <windows.h>

#include <cstring>

#include "lobby/protocol.h"

namespace {

// A busy lobby reads the mailbox four times a join: the key stays open
// between reads (one per thread), and is opened again when a read through it
// fails, as it does once the key was deleted, or for another key.
class OpenMailbox {
public:
    ~OpenMailbox() { Close(); }
    HKEY Get(const char* keyPath, bool reopen) {
        if (reopen || !key || path != keyPath) {
            Close();
            if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath, &key) != ERROR_SUCCESS) key = nullptr;
            path = key ? keyPath : "";
        }
        return key;
    }

private:
    void Close() {
        if (key) RegCloseKey(key);
        key = nullptr;
    }
    HKEY key = nullptr;
    std::string path;
};

thread_local OpenMailbox mailbox;

}  // namespace

std::optional<std::string> ReadMailbox(const char* keyPath, const char* valueName, size_t maxLength) {
    // Room for one byte more than the longest text, and a terminator behind it.
    std::string buffer(maxLength + 2, '\0');
    DWORD size = 0;
    LONG status = ERROR_FILE_NOT_FOUND;
    for (bool reopen : {false, true}) {
        HKEY key = mailbox.Get(keyPath, reopen);
        if (!key) return std::nullopt;
        size = static_cast<DWORD>(maxLength + 1);
        status = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_SUCCESS) break;
    }
    if (status != ERROR_SUCCESS) return std::string();
    // Stored without terminator, a value one longer than the limit still fits
    // the room; it is as much too long as any longer one.
    buffer.resize(strnlen(buffer.c_str(), size));
    if (buffer.size() > maxLength) return std::string();
    return buffer;
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

std::string ReadMailboxText(const char* valueName, size_t maxLength) {
    return ReadMailbox(protocol::kMailboxKey, valueName, maxLength).value_or(std::string());
}

bool WriteMailboxText(const char* valueName, const std::string& text) {
    return WriteMailbox(protocol::kMailboxKey, valueName, text);
}
