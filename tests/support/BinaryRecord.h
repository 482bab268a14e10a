#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::test {

// A record as the binary parameter files hold it: a big-endian 16-bit length that counts its
// own two bytes, then the body.
std::string Record(std::string_view body);
// A record of `length` bytes in all whose body is letters counting up from `first`: never a zero
// byte or Ctrl-Z, so that it also reads as text.
std::string Record(uint32_t length, char first = 'a');

}  // namespace corvane::test
