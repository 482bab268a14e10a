#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvane::fuzz {

// Reads the fields of a structured case from arbitrary input. Every read succeeds: once the
// input is used up, numbers read as 0 and byte runs as empty, so any input is a valid case.
class FuzzBytes {
  public:
    explicit FuzzBytes(std::span<const uint8_t> bytes) : rest(bytes) {}

    bool Empty() const { return rest.empty(); }
    uint8_t Byte();
    // Little-endian, from as many bytes as are left.
    uint16_t Number16();
    uint32_t Number32();
    // Up to count bytes.
    std::span<const uint8_t> Take(size_t count);
    // A run of bytes behind its 16-bit length.
    std::span<const uint8_t> Chunk() { return Take(Number16()); }

  private:
    std::span<const uint8_t> rest;
};

}  // namespace corvane::fuzz
