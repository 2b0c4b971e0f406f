// Reading buddylist.dat back, for the tests of the file the browser writes
// (the browser itself never reads it).
#pragma once
#include <cstddef>
#include <string>

#include "lobby/buddy_records.h"

namespace testsupport {

// Appends the file's records to `buddies` in file order and returns how many.
// A tail shorter than a record is ignored; a nickname without its terminator
// is cut to 20 characters; the spare bytes read as zero. So saving what was
// loaded gives whole records only, and loading that again gives the same list.
size_t DecodeBuddyFile(const std::string& bytes, SDList& buddies);

}  // namespace testsupport
