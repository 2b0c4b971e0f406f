// The registry mailbox: string values under one HKEY_LOCAL_MACHINE key through
// which every text of the window-message protocol travels.
#pragma once
#include <optional>
#include <string>

// No result when the key cannot be opened; empty text when the value is
// missing or longer than 259 characters.
std::optional<std::string> ReadMailbox(const char* keyPath, const char* valueName);

// Stores `text` as REG_SZ without its terminator; false when the key cannot be
// created or opened.
bool WriteMailbox(const char* keyPath, const char* valueName, const std::string& text);

// Mailbox text, with no result and empty text alike.
std::string ReadMailboxText(const char* valueName);
bool WriteMailboxText(const char* valueName, const std::string& text);
