#include "lobby/startup.h"

namespace startup {

std::string FormWindowTitle(const std::string& name, dbcs::LeadByteTest isLead) {
    if (name.empty()) return kDefaultTitle;
    return dbcs::Cut(name, kMaxNameLength, isLead) + " Browser";
}

std::string FirstCommandLineToken(const std::string& commandLine) {
    size_t begin = commandLine.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    size_t end = commandLine.find(' ', begin);
    return commandLine.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace startup
