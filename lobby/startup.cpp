#include "lobby/startup.h"

namespace startup {

std::string FormWindowTitle(const std::string& name) {
    if (name.empty()) return kDefaultTitle;
    return name.substr(0, kMaxNameLength) + " Browser";
}

std::string FirstCommandLineToken(const std::string& commandLine) {
    size_t begin = commandLine.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    size_t end = commandLine.find(' ', begin);
    return commandLine.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace startup
