#include "diag/debuglog.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace diag {

namespace {

constexpr std::size_t kMaxLineLength = kLogLineSize - 1;

std::string FormatHead(const LogStamp& stamp, const char* name) {
    const LocalTime& t = stamp.time;
    char head[kLogLineSize];
    std::snprintf(head, sizeof head, "%02d/%02d/%02d %02d:%02d:%02d-%d TRD=%d ", t.month, t.day, t.year % 100, t.hour,
                  t.minute, t.second, t.millisecond, static_cast<int>(stamp.threadId));
    std::string text = head;
    if (name && *name) {
        text += '[';
        text += name;
        text += "] ";
    }
    return text;
}

std::string FormatTail(const LogStamp& stamp) {
    char tail[32];
    std::snprintf(tail, sizeof tail, " ERR=%d \r\n", static_cast<int>(stamp.errorCode));
    return tail;
}

}  // namespace

LogStamp TakeStamp() {
    const unsigned long errorCode = LastErrorCode();
    return LogStamp{NowLocal(), CurrentThreadId(), errorCode};
}

std::string FormatLogLine(const LogStamp& stamp, const char* name, const char* body, dbcs::LeadByteTest isLead) {
    std::string line = FormatHead(stamp, name);
    const std::string tail = FormatTail(stamp);
    const std::size_t fixed = line.size() + tail.size();
    std::string_view text = body ? body : "";
    line.append(text.substr(0, dbcs::HeadLength(text, fixed < kMaxLineLength ? kMaxLineLength - fixed : 0, isLead)));
    line += tail;
    if (line.size() > kMaxLineLength)  // only an absurdly long name gets here
        line.resize(dbcs::HeadLength(line, kMaxLineLength, isLead));
    return line;
}

std::string FormatFaultBody(const void* address) {
    char body[32];
    std::snprintf(body, sizeof body, "EIP=%08" PRIXPTR, reinterpret_cast<std::uintptr_t>(address));
    return body;
}

void AppendLogLine(const char* fileName, const std::string& line) { AppendToFile(fileName, line.data(), line.size()); }

}  // namespace diag

void debugPrint(const char* fileName, const char* text) {
    static const bool timeZoneReady = (diag::InitTimeZone(), true);
    (void)timeZoneReady;
    const diag::LogStamp stamp = diag::TakeStamp();
    if (fileName)
        diag::AppendLogLine(fileName, diag::FormatLogLine(stamp, nullptr, text));
    else
        diag::DebuggerOutput("debugPrint error");
    diag::SetLastErrorCode(stamp.errorCode);
}
