#include "fuzz/cases/FuzzBytes.h"

#include <algorithm>

namespace corvane::fuzz {

uint8_t FuzzBytes::Byte() {
    const std::span<const uint8_t> one = Take(1);
    return one.empty() ? 0 : one[0];
}

// The operands of | are not sequenced: each part is read in a statement of its own.
uint16_t FuzzBytes::Number16() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
}

uint32_t FuzzBytes::Number32() {
    const uint32_t low = Number16();
    return low | static_cast<uint32_t>(Number16()) << 16;
}

std::span<const uint8_t> FuzzBytes::Take(size_t count) {
    const std::span<const uint8_t> taken = rest.first(std::min(count, rest.size()));
    rest = rest.subspan(taken.size());
    return taken;
}

}  // namespace corvane::fuzz
