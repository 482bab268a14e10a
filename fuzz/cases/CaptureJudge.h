#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "fuzz/cases/Violations.h"

namespace corvane::fuzz {

// A caller's reply buffer of exactly the size asked for, so that the address sanitizer sees any
// write past it, filled with Canary so that writes past the capacity show too.
class ReplyBuffer {
  public:
    static constexpr char Canary = 0x5A;

    explicit ReplyBuffer(size_t size);
    std::span<char> Span() { return {bytes.get(), size}; }

  private:
    std::unique_ptr<char[]> bytes;
    size_t size;
};

// A capture into a ReplyBuffer is zero-ended within its capacity (its first byte is cleared even
// with none), leaves the rest of the buffer alone, reads as empty when no reply came, and holds
// only bytes read from the line, in the order read.
void ExpectCapture(std::span<const char> reply, size_t capacity, bool replied,
                   std::string_view readFromLine, Violations& violations);

}  // namespace corvane::fuzz
