// Start-up rules of the browser that need no window: the window title and the
// address on the command line.
#pragma once
#include <string>

namespace startup {

// The title holds 49 characters: names longer than kMaxNameLength are cut to it, so the
// title formed here and when the dialog opens always agree and always fit.
constexpr size_t kTitleCapacity = 49;
constexpr size_t kMaxNameLength = 41;
constexpr char kDefaultTitle[] = "Quintara Poker Browser";
constexpr char kSettingsFile[] = "main.ini";

// "<name> Browser", or the default title for an empty name.
std::string FormWindowTitle(const std::string& name);

// The first run of characters up to a blank, leading blanks skipped; empty when
// the line holds none. Quotes have no meaning.
std::string FirstCommandLineToken(const std::string& commandLine);

}  // namespace startup
