// The registry mailbox: string values under one HKEY_LOCAL_MACHINE key through
// which every text of the window-message protocol travels.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "lobby/protocol.h"

// No result when the key cannot be opened; empty text when the value is
// missing or longer than maxLength characters (259: what the main client writes).
std::optional<std::string> ReadMailbox(const char* keyPath, const char* valueName,
                                       size_t maxLength = protocol::kMailboxMaxLength);

// Stores `text` as REG_SZ without its terminator; false when the key cannot be
// created or opened.
bool WriteMailbox(const char* keyPath, const char* valueName, const std::string& text);

// Mailbox text, with no result and empty text alike.
std::string ReadMailboxText(const char* valueName, size_t maxLength = protocol::kMailboxMaxLength);
bool WriteMailboxText(const char* valueName, const std::string& text);

// "URL" passes from a second start to the running copy under this lock: the
// second start holds it from its write until the running copy has read the
// address (its 8830 carries the address's length), and whoever empties "URL"
// takes it first. A holder that hangs delays the others kLockWaitMs at most.
constexpr char kUrlLockName[] = "Local\\QuintaraBrowserUrl";
constexpr uint32_t kLockWaitMs = 60000;
// The longest address a command line can hold.
constexpr size_t kHandedOverMaxLength = 32767;
