#include "upload/LeadingInteger.h"

#include <cctype>
#include <limits>

namespace corvane {

namespace {

// What atoi would read at the start of a text, with what it passes over in silence.
struct Scanned {
    bool negative = false;
    bool digits = false;
    bool beyond32Bits = false;
    uint32_t value = 0;  // modulo 2^32
};

Scanned Scan(const char* text) {
    Scanned scanned;
    if (text == nullptr) {
        return scanned;
    }
    while (std::isspace(static_cast<unsigned char>(*text))) {
        ++text;
    }
    scanned.negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    uint64_t exact = 0;
    while (*text >= '0' && *text <= '9') {
        const auto digit = static_cast<uint32_t>(*text - '0');
        scanned.digits = true;
        scanned.value = scanned.value * 10 + digit;
        exact = scanned.beyond32Bits ? exact : exact * 10 + digit;
        scanned.beyond32Bits = scanned.beyond32Bits || exact > std::numeric_limits<uint32_t>::max();
        ++text;
    }
    return scanned;
}

}  // namespace

int32_t LeadingInteger(const char* text) {
    const Scanned scanned = Scan(text);
    return static_cast<int32_t>(scanned.negative ? 0u - scanned.value : scanned.value);
}

std::optional<uint32_t> LeadingCount(const char* text) {
    const Scanned scanned = Scan(text);
    if (!scanned.digits || scanned.negative || scanned.beyond32Bits ||
        scanned.value > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
        return std::nullopt;
    }
    return scanned.value;
}

}  // namespace corvane
