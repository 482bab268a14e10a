#pragma once

#include <cstdint>

namespace corvane {

// The number at the start of a text, read the way atoi reads it: leading white space, an
// optional sign, then decimal digits up to the first other character. No digits (or a null
// text) give 0; a number beyond 32 bits keeps its low 32 bits instead of being undefined.
int32_t LeadingInteger(const char* text);

}  // namespace corvane
