#pragma once
// Timestamped diagnostic lines appended to log files in the current directory.

#include "diag/platform.h"

#include <cstddef>
#include <string>

#include "win/dbcs.h"

namespace diag {

constexpr char kListErrorLog[] = "SDListErr.log";
constexpr char kListExceptionLog[] = "SDListDbg_Exception.log";
constexpr char kLoginErrorLog[] = "MB_ERR.LOG";

// Lines are built in a buffer of this size: at most kLogLineSize - 1 characters.
constexpr std::size_t kLogLineSize = 200;

struct LogStamp {
    LocalTime time;
    unsigned long threadId;
    unsigned long errorCode;
};

// Reads the caller's last error first, before anything here can change it.
LogStamp TakeStamp();

// "mm/dd/yy hh:mm:ss-ms TRD=id [name] body ERR=code \r\n"; the bracketed name
// only when name is not empty. A body too long for the line is cut so that
// the line still ends with its error code and line break; the cut never
// splits a double-byte character.
std::string FormatLogLine(const LogStamp& stamp, const char* name, const char* body,
                          dbcs::LeadByteTest isLead = dbcs::System());

// "EIP=" and the address as at least 8 upper-case hexadecimal digits.
std::string FormatFaultBody(const void* address);

// Appends the line to fileName; a file that cannot be opened loses the line.
void AppendLogLine(const char* fileName, const std::string& line);

}  // namespace diag

// The writer not tied to a list: no name, no debugger output, no lock.
void debugPrint(const char* fileName, const char* text);
