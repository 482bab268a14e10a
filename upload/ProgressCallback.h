#pragma once

#include <cstdint>
#include <functional>

namespace corvane {

// Reports (position, range); only the low 16 bits of each count, a range of 0 counts as 1.
// Returns 1; callers ignore the result.
using ProgressCallback = std::function<int(uint32_t position, uint32_t range)>;

}  // namespace corvane
