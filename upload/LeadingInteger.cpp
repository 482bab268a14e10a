#include "upload/LeadingInteger.h"

#include <cctype>

namespace corvane {

int32_t LeadingInteger(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    while (std::isspace(static_cast<unsigned char>(*text))) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    uint32_t value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10 + static_cast<uint32_t>(*text - '0');
        ++text;
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

}  // namespace corvane
