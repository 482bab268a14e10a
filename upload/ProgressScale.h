#pragma once

#include <cstdint>

namespace corvane {

// What a progress display shows for one report (position, range): only the low 16 bits of each
// count, and a range of 0 counts as 1.
struct ProgressScale {
    uint16_t position;
    uint16_t range;  // never 0
};

constexpr ProgressScale ScaleProgress(uint32_t position, uint32_t range) {
    const auto lowRange = static_cast<uint16_t>(range & 0xFFFF);
    return {static_cast<uint16_t>(position & 0xFFFF), lowRange == 0 ? uint16_t{1} : lowRange};
}

}  // namespace corvane
