#include "lobby/login_form.h"

#include <algorithm>
#include <cstdio>

namespace loginform {

Values CutToCapacity(Values values, dbcs::LeadByteTest isLead) {
    for (size_t i = 0; i < kFieldCount; i++) values[i] = dbcs::Cut(values[i], kFields[i].capacity, isLead);
    return values;
}

std::string FormatBody(const Values& values) {
    // Values within their capacities give at most 385 characters.
    char body[kBodyBufferSize] = "";
    int length =
        std::snprintf(body, sizeof body, kBodyFormat, values[0].c_str(), values[1].c_str(), values[2].c_str(),
                      values[3].c_str(), values[4].c_str(), values[5].c_str(), values[6].c_str(), values[7].c_str());
    if (length < 0) return std::string();
    return std::string(body, std::min(static_cast<size_t>(length), sizeof body - 1));
}

std::vector<const char*> EmptyFieldLogTexts(const Values& values) {
    std::vector<const char*> texts;
    for (size_t i = 0; i < kFieldCount; i++) {
        if (values[i].empty() && kFields[i].logText) texts.push_back(kFields[i].logText);
    }
    return texts;
}

}  // namespace loginform
