#pragma once

#include <cstdint>
#include <optional>

namespace corvane {

// The number at the start of a text, read the way atoi reads it: leading white space, an
// optional sign, then decimal digits up to the first other character. No digits (or a null
// text) give 0; a number beyond 32 bits keeps its low 32 bits instead of being undefined.
int32_t LeadingInteger(const char* text);

// The same reading for a count: nothing where atoi would make one up, that is when there are no
// digits, a minus sign, or more than a signed 32-bit number holds.
std::optional<uint32_t> LeadingCount(const char* text);

}  // namespace corvane
