// Start-up rules of the browser that need no window: the window title and the
// address on the command line.
#pragma once
#include <string>

#include "win/dbcs.h"

namespace startup {

// The title holds 49 bytes: names longer than kMaxNameLength bytes are cut to it, so the
// title formed here and when the dialog opens always agree and always fit.
constexpr size_t kTitleCapacity = 49;
constexpr size_t kMaxNameLength = 41;
constexpr char kDefaultTitle[] = "Quintara Poker Browser";
constexpr char kSettingsFile[] = "main.ini";

// "<name> Browser", or the default title for an empty name. The name is cut
// at a character boundary, so that the title reads back as it was set.
std::string FormWindowTitle(const std::string& name, dbcs::LeadByteTest isLead);

// The first run of characters up to a blank, leading blanks skipped; empty when
// the line holds none. Quotes have no meaning.
std::string FirstCommandLineToken(const std::string& commandLine);

}  // namespace startup
