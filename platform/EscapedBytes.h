#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

// Bytes from or for the module as one printable line: printable ASCII as it is, \r \n \t and \\ as
// such, anything else as \xNN.
std::string EscapedBytes(std::span<const uint8_t> bytes);

// Text from outside the program (a file, port, key or process name, a USB string) as one
// printable line that cannot steer the terminal: as EscapedBytes, except that a backslash and
// well-formed UTF-8 characters from U+00A0 on are kept, so that Windows paths and names in other
// scripts read as they are.
std::string EscapedText(std::string_view text);

}  // namespace corvane
