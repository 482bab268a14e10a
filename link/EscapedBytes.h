#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace corvane {

// Bytes from or for the module as one printable line: printable ASCII as it is, \r \n \t and \\ as
// such, anything else as \xNN.
std::string EscapedBytes(std::span<const uint8_t> bytes);

}  // namespace corvane
